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

namespace {

using m350ui::pagekit::Button;
using m350ui::pagekit::Caption;
using m350ui::pagekit::Edit;
using m350ui::pagekit::Named;

constexpr int kVariablePitch = 1;
constexpr int kFlash = 1;
// The sample of the chosen font is drawn at this size.
constexpr int kSampleWidth = 145, kSampleHeight = 56;

QComboBox* DropDown(QWidget* parent, const char* name, const QStringList& items, int selected) {
    auto* c = m350ui::pagekit::DropDown(parent, name, items, selected);
    // The longest item of some languages would push the page wider than the
    // window; the list is as wide as its column, the open list shows all.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(10);
    return c;
}

QGridLayout* Grid(QWidget* group) { return m350ui::pagekit::Grid(group, 8, 6); }

// A caption and its box in the next row of a two-column grid.
void Row(QGridLayout* grid, QLabel* caption, QWidget* box) {
    const int row = grid->rowCount();
    caption->setBuddy(box);
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
}

}  // namespace

FontManagerPage::FontManagerPage(TFormMain& main, QWidget* sheet) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("FontManagerPage"));
    GroupBoxFontSelect =
        Named(new QGroupBox(QStringLiteral("Font Select"), sheet), "GroupBoxFontSelect");
    GroupBoxSatndEncode =
        Named(new QGroupBox(QStringLiteral("Standard Encode"), sheet), "GroupBoxSatndEncode");
    // One item per row: the longer translations of the encodings need the
    // whole width of the column.
    RadioGroupAsiaFontEncode = new m350ui::RadioGroup(
        sheet, "RadioGroupAsiaFontEncode", QStringLiteral("Asian Font Encode"), 0, 0, 349, 100,
        {"Traditional Chinese", "Simplified Chinese", "Korean", "Japanese"}, 1);
    RadioGroupAsiaFontEncode->setItemIndex(0);
    GroupBoxEncodeTable =
        Named(new QGroupBox(QStringLiteral("Encode by Table"), sheet), "GroupBoxEncodeTable");
    ButtonSaveFont = Button(sheet, "ButtonSaveFont", "Save Font");
    ButtonDowloadFont = Button(sheet, "ButtonDowloadFont", "Download Font");
    BuildFontSelect();
    BuildStandardEncode();
    BuildEncodeTable();

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
void FontManagerPage::BuildFontSelect() {
    QGroupBox* g = GroupBoxFontSelect;
    QGridLayout* grid = Grid(g);
    LabelFontEncode = Caption(g, "LabelFontEncode", "Font Encode");
    ComboBoxFontEncode = DropDown(
        g, "ComboBoxFontEncode",
        {"Standard Encode", "Asian Font Encode", "Encode by Table", "Encode by Table (Asian)"}, 0);
    LabelFontPitch = Caption(g, "LabelFontPitch", "Font Pitch");
    ComboBoxFontPitch =
        DropDown(g, "ComboBoxFontPitch", {"Fixed Pitch", "Variable Pitch"}, kVariablePitch);
    LabelPrinterDevice = Caption(g, "LabelPrinterDevice", "Printer Device");
    ComboBoxMemoryDevice = DropDown(g, "ComboBoxMemoryDevice", {"DRAM", "FLASH", "CARD"}, kFlash);
    LabelWindowsFontName = Caption(g, "LabelWindowsFontName", "Windows Font Name");
    EditWinFontName = Edit(g, "EditWinFontName");
    EditWinFontName->setReadOnly(true);
    LabelFontSize = Caption(g, "LabelFontSize", "Font Size");
    EditWinFontSize = Edit(g, "EditWinFontSize");
    EditWinFontSize->setReadOnly(true);
    ButtonSelectFont = Button(g, "ButtonSelectFont", "Select Font");
    ButtonPreviewFont = Button(g, "ButtonPreviewFont", "Preview Font");
    ImageSmaple = Named(new QLabel(g), "ImageSmaple");
    ImageSmaple->setFixedSize(kSampleWidth, kSampleHeight);
    ImageSmaple->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelPrinterFontName = Caption(g, "LabelPrinterFontName", "Printer Font Name");
    EditPrinterFontName = Edit(g, "EditPrinterFontName", "FONT001");
    LabelFontWidth = Caption(g, "LabelFontWidth", "Font Width");
    EditFontWidth = Edit(g, "EditFontWidth");
    LabelFontHeight = Caption(g, "LabelFontHeight", "Font Height");
    EditFontHeight = Edit(g, "EditFontHeight");
    LabelItalicWidth = Caption(g, "LabelItalicWidth", "Italic Width");
    EditItalicWidth = Edit(g, "EditItalicWidth");

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
void FontManagerPage::BuildStandardEncode() {
    QGroupBox* g = GroupBoxSatndEncode;
    QGridLayout* grid = Grid(g);
    LabelFontMapping = Caption(g, "LabelFontMapping", "Font Mapping");
    ComboBoxSEncode = DropDown(g, "ComboBoxSEncode",
                               {"Standard Mapping", "Full ASCII Mapping", "Customer Mapping"}, 0);
    // Its items are the same in every language: as wide as the longest.
    ComboBoxSEncode->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    LabelStartAscii = Caption(g, "LabelStartAscii", "Character Start ASCII");
    EditCharStart = Edit(g, "EditCharStart", "32", 3);
    LabelEndAscii = Caption(g, "LabelEndAscii", "Character End ASCII");
    EditCharEnd = Edit(g, "EditCharEnd", "127", 3);
    for (QLineEdit* e : {EditCharStart, EditCharEnd}) e->setMaximumWidth(60);
    // The preset list under its caption, with the group's whole width.
    LabelFontMapping->setBuddy(ComboBoxSEncode);
    grid->addWidget(LabelFontMapping, 0, 0, 1, 2);
    grid->addWidget(ComboBoxSEncode, 1, 0, 1, 2, Qt::AlignLeft);
    Row(grid, LabelStartAscii, EditCharStart);
    Row(grid, LabelEndAscii, EditCharEnd);
    grid->setColumnStretch(1, 1);
}

// The table text, By File, and the table's Load and Save.
void FontManagerPage::BuildEncodeTable() {
    QGroupBox* g = GroupBoxEncodeTable;
    QGridLayout* grid = Grid(g);
    MemoFontTable = Named(new QPlainTextEdit(g), "MemoFontTable");
    MemoFontTable->setLineWrapMode(QPlainTextEdit::NoWrap);
    CheckBoxFileTable = Named(new QCheckBox(QStringLiteral("By File"), g), "CheckBoxFileTable");
    ButtonFontTblLoad = Button(g, "ButtonFontTblLoad", "Load");
    ButtonFontTblSave = Button(g, "ButtonFontTblSave", "Save");
    grid->addWidget(MemoFontTable, 0, 0, 1, 4);
    grid->addWidget(CheckBoxFileTable, 1, 0);
    grid->addWidget(ButtonFontTblLoad, 1, 2);
    grid->addWidget(ButtonFontTblSave, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
}

void FontManagerPage::Initialise() {}
