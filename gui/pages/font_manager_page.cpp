#include "gui/pages/font_manager_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app_context.h"
#include "gui/pages/page_kit.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {

using pagekit::button;
using pagekit::caption;
using pagekit::edit;
using pagekit::named;

constexpr int kVariablePitch = 1;
constexpr int kFlash = 1;
// The sample of the chosen font is drawn at this size.
constexpr int kSampleWidth = 145, kSampleHeight = 56;

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items, int selected) {
    auto* c = pagekit::dropDown(parent, name, items, selected);
    // The longest item of some languages would push the page wider than the
    // window; the list is as wide as its column, the open list shows all.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(10);
    return c;
}

QGridLayout* pageGrid(QWidget* group) {
    return pagekit::grid(group, 8, 6);
}

// A caption and its box in the next row of a two-column grid.
void Row(QGridLayout* grid, QLabel* caption, QWidget* box) {
    const int row = grid->rowCount();
    caption->setBuddy(box);
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
}

}  // namespace

FontManagerPage::FontManagerPage(AppContext& app, QWidget* sheet) : QObject(sheet), app_(app) {
    setObjectName(QStringLiteral("FontManagerPage"));
    fontSelectGroup_ =
        named(new QGroupBox(QStringLiteral("Font Select"), sheet), "GroupBoxFontSelect");
    standEncodeGroup_ =
        named(new QGroupBox(QStringLiteral("Standard Encode"), sheet), "GroupBoxSatndEncode");
    // One item per row: the longer translations of the encodings need the
    // whole width of the column.
    asiaFontEncodeRadio_ = new RadioGroup(
        sheet, "RadioGroupAsiaFontEncode", QStringLiteral("Asian Font Encode"), 0, 0, 349, 100,
        {"Traditional Chinese", "Simplified Chinese", "Korean", "Japanese"}, 1);
    asiaFontEncodeRadio_->setItemIndex(0);
    encodeTableGroup_ =
        named(new QGroupBox(QStringLiteral("Encode by Table"), sheet), "GroupBoxEncodeTable");
    saveFontButton_ = button(sheet, "ButtonSaveFont", "Save Font");
    downloadFontButton_ = button(sheet, "ButtonDowloadFont", "Download Font");
    buildFontSelect();
    buildStandardEncode();
    buildEncodeTable();

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(fontSelectGroup_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(saveFontButton_);
    buttons->addWidget(downloadFontButton_);
    buttons->addStretch(1);
    left->addLayout(buttons);

    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(standEncodeGroup_);
    right->addWidget(asiaFontEncodeRadio_);
    right->addWidget(encodeTableGroup_, 1);

    auto* page = new QHBoxLayout(sheet);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(6);
    page->addLayout(left, 4);
    page->addLayout(right, 3);
}

// Encode mode, pitch and target device; the system font with its size, the
// select and preview buttons and the sample; the printer font's name and cell.
void FontManagerPage::buildFontSelect() {
    QGroupBox* g = fontSelectGroup_;
    QGridLayout* grid = pageGrid(g);
    fontEncodeLabel_ = caption(g, "LabelFontEncode", "Font Encode");
    fontEncodeCombo_ = dropDown(
        g, "ComboBoxFontEncode",
        {"Standard Encode", "Asian Font Encode", "Encode by Table", "Encode by Table (Asian)"}, 0);
    fontPitchLabel_ = caption(g, "LabelFontPitch", "Font Pitch");
    fontPitchCombo_ =
        dropDown(g, "ComboBoxFontPitch", {"Fixed Pitch", "Variable Pitch"}, kVariablePitch);
    printerDeviceLabel_ = caption(g, "LabelPrinterDevice", "Printer Device");
    memoryDeviceCombo_ = dropDown(g, "ComboBoxMemoryDevice", {"DRAM", "FLASH", "CARD"}, kFlash);
    windowsFontNameLabel_ = caption(g, "LabelWindowsFontName", "Windows Font Name");
    winFontNameEdit_ = edit(g, "EditWinFontName");
    winFontNameEdit_->setReadOnly(true);
    fontSizeLabel_ = caption(g, "LabelFontSize", "Font Size");
    winFontSizeEdit_ = edit(g, "EditWinFontSize");
    winFontSizeEdit_->setReadOnly(true);
    selectFontButton_ = button(g, "ButtonSelectFont", "Select Font");
    previewFontButton_ = button(g, "ButtonPreviewFont", "Preview Font");
    sample_ = named(new QLabel(g), "ImageSmaple");
    sample_->setFixedSize(kSampleWidth, kSampleHeight);
    sample_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    printerFontNameLabel_ = caption(g, "LabelPrinterFontName", "Printer Font Name");
    printerFontNameEdit_ = edit(g, "EditPrinterFontName", "FONT001");
    fontWidthLabel_ = caption(g, "LabelFontWidth", "Font Width");
    fontWidthEdit_ = edit(g, "EditFontWidth");
    fontHeightLabel_ = caption(g, "LabelFontHeight", "Font Height");
    fontHeightEdit_ = edit(g, "EditFontHeight");
    italicWidthLabel_ = caption(g, "LabelItalicWidth", "Italic Width");
    italicWidthEdit_ = edit(g, "EditItalicWidth");

    Row(grid, fontEncodeLabel_, fontEncodeCombo_);
    Row(grid, fontPitchLabel_, fontPitchCombo_);
    Row(grid, printerDeviceLabel_, memoryDeviceCombo_);
    Row(grid, windowsFontNameLabel_, winFontNameEdit_);
    Row(grid, fontSizeLabel_, winFontSizeEdit_);
    auto* fontButtons = new QHBoxLayout;
    fontButtons->setSpacing(8);
    fontButtons->addWidget(selectFontButton_);
    fontButtons->addWidget(previewFontButton_);
    fontButtons->addStretch(1);
    grid->addLayout(fontButtons, grid->rowCount(), 0, 1, 2);
    grid->addWidget(sample_, grid->rowCount(), 1);
    Row(grid, printerFontNameLabel_, printerFontNameEdit_);
    Row(grid, fontWidthLabel_, fontWidthEdit_);
    Row(grid, fontHeightLabel_, fontHeightEdit_);
    Row(grid, italicWidthLabel_, italicWidthEdit_);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(grid->rowCount(), 1);
}

// The mapping preset and the first and last code of the range.
void FontManagerPage::buildStandardEncode() {
    QGroupBox* g = standEncodeGroup_;
    QGridLayout* grid = pageGrid(g);
    fontMappingLabel_ = caption(g, "LabelFontMapping", "Font Mapping");
    sEncodeCombo_ = dropDown(g, "ComboBoxSEncode",
                             {"Standard Mapping", "Full ASCII Mapping", "Customer Mapping"}, 0);
    // Its items are the same in every language: as wide as the longest.
    sEncodeCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    startAsciiLabel_ = caption(g, "LabelStartAscii", "Character Start ASCII");
    charStartEdit_ = edit(g, "EditCharStart", "32", 3);
    endAsciiLabel_ = caption(g, "LabelEndAscii", "Character End ASCII");
    charEndEdit_ = edit(g, "EditCharEnd", "127", 3);
    for (QLineEdit* e : {charStartEdit_, charEndEdit_}) e->setMaximumWidth(60);
    // The preset list under its caption, with the group's whole width.
    fontMappingLabel_->setBuddy(sEncodeCombo_);
    grid->addWidget(fontMappingLabel_, 0, 0, 1, 2);
    grid->addWidget(sEncodeCombo_, 1, 0, 1, 2, Qt::AlignLeft);
    Row(grid, startAsciiLabel_, charStartEdit_);
    Row(grid, endAsciiLabel_, charEndEdit_);
    grid->setColumnStretch(1, 1);
}

// The table text, By File, and the table's load and Save.
void FontManagerPage::buildEncodeTable() {
    QGroupBox* g = encodeTableGroup_;
    QGridLayout* grid = pageGrid(g);
    fontTableMemo_ = named(new QPlainTextEdit(g), "MemoFontTable");
    fontTableMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    fileTableCheck_ = named(new QCheckBox(QStringLiteral("By File"), g), "CheckBoxFileTable");
    fontTblLoadButton_ = button(g, "ButtonFontTblLoad", "Load");
    fontTblSaveButton_ = button(g, "ButtonFontTblSave", "Save");
    grid->addWidget(fontTableMemo_, 0, 0, 1, 4);
    grid->addWidget(fileTableCheck_, 1, 0);
    grid->addWidget(fontTblLoadButton_, 1, 2);
    grid->addWidget(fontTblSaveButton_, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
}

void FontManagerPage::initialise() {}

}  // namespace m350::gui
