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

#include "gui/widgets/form_kit.h"
#include "gui/pages/page_kit.h"
#include "gui/widgets/radio_group.h"
#include "gui/main_window.h"

namespace m350::gui {

namespace {

using m350::gui::pagekit::button;
using m350::gui::pagekit::caption;
using m350::gui::pagekit::edit;
using m350::gui::pagekit::named;

constexpr int kVariablePitch = 1;
constexpr int kFlash = 1;
// The sample of the chosen font is drawn at this size.
constexpr int kSampleWidth = 145, kSampleHeight = 56;

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items, int selected) {
    auto* c = m350::gui::pagekit::dropDown(parent, name, items, selected);
    // The longest item of some languages would push the page wider than the
    // window; the list is as wide as its column, the open list shows all.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(10);
    return c;
}

QGridLayout* pageGrid(QWidget* group) { return m350::gui::pagekit::grid(group, 8, 6); }

// A caption and its box in the next row of a two-column grid.
void Row(QGridLayout* grid, QLabel* caption, QWidget* box) {
    const int row = grid->rowCount();
    caption->setBuddy(box);
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
}

}  // namespace

FontManagerPage::FontManagerPage(MainWindow& main, QWidget* sheet) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("FontManagerPage"));
    GroupBoxFontSelect =
        named(new QGroupBox(QStringLiteral("Font Select"), sheet), "GroupBoxFontSelect");
    GroupBoxSatndEncode =
        named(new QGroupBox(QStringLiteral("Standard Encode"), sheet), "GroupBoxSatndEncode");
    // One item per row: the longer translations of the encodings need the
    // whole width of the column.
    RadioGroupAsiaFontEncode = new m350::gui::RadioGroup(
        sheet, "RadioGroupAsiaFontEncode", QStringLiteral("Asian Font Encode"), 0, 0, 349, 100,
        {"Traditional Chinese", "Simplified Chinese", "Korean", "Japanese"}, 1);
    RadioGroupAsiaFontEncode->setItemIndex(0);
    GroupBoxEncodeTable =
        named(new QGroupBox(QStringLiteral("Encode by Table"), sheet), "GroupBoxEncodeTable");
    ButtonSaveFont = button(sheet, "ButtonSaveFont", "Save Font");
    ButtonDowloadFont = button(sheet, "ButtonDowloadFont", "Download Font");
    buildFontSelect();
    buildStandardEncode();
    buildEncodeTable();

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(GroupBoxFontSelect, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(ButtonSaveFont);
    buttons->addWidget(ButtonDowloadFont);
    buttons->addStretch(1);
    left->addLayout(buttons);

    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(GroupBoxSatndEncode);
    right->addWidget(RadioGroupAsiaFontEncode);
    right->addWidget(GroupBoxEncodeTable, 1);

    auto* page = new QHBoxLayout(sheet);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(6);
    page->addLayout(left, 4);
    page->addLayout(right, 3);
}

// Encode mode, pitch and target device; the system font with its size, the
// select and preview buttons and the sample; the printer font's name and cell.
void FontManagerPage::buildFontSelect() {
    QGroupBox* g = GroupBoxFontSelect;
    QGridLayout* grid = pageGrid(g);
    LabelFontEncode = caption(g, "LabelFontEncode", "Font Encode");
    ComboBoxFontEncode = dropDown(
        g, "ComboBoxFontEncode",
        {"Standard Encode", "Asian Font Encode", "Encode by Table", "Encode by Table (Asian)"}, 0);
    LabelFontPitch = caption(g, "LabelFontPitch", "Font Pitch");
    ComboBoxFontPitch =
        dropDown(g, "ComboBoxFontPitch", {"Fixed Pitch", "Variable Pitch"}, kVariablePitch);
    LabelPrinterDevice = caption(g, "LabelPrinterDevice", "Printer Device");
    ComboBoxMemoryDevice = dropDown(g, "ComboBoxMemoryDevice", {"DRAM", "FLASH", "CARD"}, kFlash);
    LabelWindowsFontName = caption(g, "LabelWindowsFontName", "Windows Font Name");
    EditWinFontName = edit(g, "EditWinFontName");
    EditWinFontName->setReadOnly(true);
    LabelFontSize = caption(g, "LabelFontSize", "Font Size");
    EditWinFontSize = edit(g, "EditWinFontSize");
    EditWinFontSize->setReadOnly(true);
    ButtonSelectFont = button(g, "ButtonSelectFont", "Select Font");
    ButtonPreviewFont = button(g, "ButtonPreviewFont", "Preview Font");
    ImageSmaple = named(new QLabel(g), "ImageSmaple");
    ImageSmaple->setFixedSize(kSampleWidth, kSampleHeight);
    ImageSmaple->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelPrinterFontName = caption(g, "LabelPrinterFontName", "Printer Font Name");
    EditPrinterFontName = edit(g, "EditPrinterFontName", "FONT001");
    LabelFontWidth = caption(g, "LabelFontWidth", "Font Width");
    EditFontWidth = edit(g, "EditFontWidth");
    LabelFontHeight = caption(g, "LabelFontHeight", "Font Height");
    EditFontHeight = edit(g, "EditFontHeight");
    LabelItalicWidth = caption(g, "LabelItalicWidth", "Italic Width");
    EditItalicWidth = edit(g, "EditItalicWidth");

    Row(grid, LabelFontEncode, ComboBoxFontEncode);
    Row(grid, LabelFontPitch, ComboBoxFontPitch);
    Row(grid, LabelPrinterDevice, ComboBoxMemoryDevice);
    Row(grid, LabelWindowsFontName, EditWinFontName);
    Row(grid, LabelFontSize, EditWinFontSize);
    auto* fontButtons = new QHBoxLayout;
    fontButtons->setSpacing(8);
    fontButtons->addWidget(ButtonSelectFont);
    fontButtons->addWidget(ButtonPreviewFont);
    fontButtons->addStretch(1);
    grid->addLayout(fontButtons, grid->rowCount(), 0, 1, 2);
    grid->addWidget(ImageSmaple, grid->rowCount(), 1);
    Row(grid, LabelPrinterFontName, EditPrinterFontName);
    Row(grid, LabelFontWidth, EditFontWidth);
    Row(grid, LabelFontHeight, EditFontHeight);
    Row(grid, LabelItalicWidth, EditItalicWidth);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(grid->rowCount(), 1);
}

// The mapping preset and the first and last code of the range.
void FontManagerPage::buildStandardEncode() {
    QGroupBox* g = GroupBoxSatndEncode;
    QGridLayout* grid = pageGrid(g);
    LabelFontMapping = caption(g, "LabelFontMapping", "Font Mapping");
    ComboBoxSEncode = dropDown(g, "ComboBoxSEncode",
                               {"Standard Mapping", "Full ASCII Mapping", "Customer Mapping"}, 0);
    // Its items are the same in every language: as wide as the longest.
    ComboBoxSEncode->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    LabelStartAscii = caption(g, "LabelStartAscii", "Character Start ASCII");
    EditCharStart = edit(g, "EditCharStart", "32", 3);
    LabelEndAscii = caption(g, "LabelEndAscii", "Character End ASCII");
    EditCharEnd = edit(g, "EditCharEnd", "127", 3);
    for (QLineEdit* e : {EditCharStart, EditCharEnd}) e->setMaximumWidth(60);
    // The preset list under its caption, with the group's whole width.
    LabelFontMapping->setBuddy(ComboBoxSEncode);
    grid->addWidget(LabelFontMapping, 0, 0, 1, 2);
    grid->addWidget(ComboBoxSEncode, 1, 0, 1, 2, Qt::AlignLeft);
    Row(grid, LabelStartAscii, EditCharStart);
    Row(grid, LabelEndAscii, EditCharEnd);
    grid->setColumnStretch(1, 1);
}

// The table text, By File, and the table's load and Save.
void FontManagerPage::buildEncodeTable() {
    QGroupBox* g = GroupBoxEncodeTable;
    QGridLayout* grid = pageGrid(g);
    MemoFontTable = named(new QPlainTextEdit(g), "MemoFontTable");
    MemoFontTable->setLineWrapMode(QPlainTextEdit::NoWrap);
    CheckBoxFileTable = named(new QCheckBox(QStringLiteral("By File"), g), "CheckBoxFileTable");
    ButtonFontTblLoad = button(g, "ButtonFontTblLoad", "Load");
    ButtonFontTblSave = button(g, "ButtonFontTblSave", "Save");
    grid->addWidget(MemoFontTable, 0, 0, 1, 4);
    grid->addWidget(CheckBoxFileTable, 1, 0);
    grid->addWidget(ButtonFontTblLoad, 1, 2);
    grid->addWidget(ButtonFontTblSave, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
}

void FontManagerPage::initialise() {}

}  // namespace m350::gui
