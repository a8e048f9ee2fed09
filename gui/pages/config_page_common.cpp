// SPDX-License-Identifier: MIT
// The printer information box and the sub-pages "Common", "Z", "D" and
// "RS-232" of PageControl2. Only the controls live here; what they show and
// how they are read back is the binding table's (config_binding.cpp).
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTabWidget>

#include "core/config/config_record.h"
#include "gui/pages/config_page.h"
#include "gui/pages/config_page_kit.h"

namespace m350::gui {

using configkit::combo;
using configkit::edit;
using configkit::label;

namespace {

QStringList withEmptyItem(const m350::KeywordTable& table) {
    QStringList items{QString()};
    for (std::string_view e : table.entries)
        items << QString::fromLatin1(e.data(), static_cast<qsizetype>(e.size()));
    return items;
}

const QStringList kOffOn{"", "OFF", "ON"};

// Numbers here are short; captions get the room.
constexpr int kBoxWidth = 56;

// A shown-only base value beside its box: hidden until a record has one.
QLineEdit* baseBox(QWidget* parent, const char* name) {
    QLineEdit* e = edit(parent, name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setMaximumWidth(48);
    e->hide();
    return e;
}

QLabel* unitLabel(QWidget* parent, int n) {
    return label(parent, QStringLiteral("LabelUnit%1").arg(n).toLatin1().constData(), "inch");
}

QLabel* rangeLabel(QWidget* parent, const char* name, const char* text) {
    return label(parent, name, QString::fromLatin1(text));
}

}  // namespace

void ConfigPage::buildInfoBox() {
    QGroupBox* box = printerInfoGroup_;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 0, 8, 4);
    new configkit::BelowCaption(box);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    const int boxHeight = configkit::compactBoxHeight(box->font());
    // Captions stay on one line; the boxes share what the captions leave.
    auto caption = [box](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), box);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto readOnly = [box, boxHeight](const char* name) {
        QLineEdit* e = edit(box, name);
        e->setReadOnly(true);
        e->setFixedHeight(boxHeight);
        // Never below what a short value needs; the layout gives the rest.
        e->setMinimumWidth(40);
        return e;
    };
    // Three rows in two halves of three columns each (caption, box, box):
    // the version, the longest value, spans the whole row; the serial
    // number and the check sum share the second; the pairs of counters the
    // third. Captions of one half line up, and so do the boxes.
    auto place = [grid](QLabel* label, QWidget* first, int row, int column, int span) {
        label->setBuddy(first);
        grid->addWidget(label, row, column);
        grid->addWidget(first, row, column + 1, 1, span);
    };
    place(caption("LabelVersion", "Version:"), readOnly("EditVersion"), 0, 0, 5);
    place(caption("LabelSerial", "Serial No:"), readOnly("EditSerial"), 1, 0, 2);
    QLabel* checksum = caption("LabelCHecksum", "Check Sum:");
    QLabel* cutting = caption("LabelCuttingCounter", "Cutting Counter:");
    // A little air between the halves.
    for (QLabel* right : {checksum, cutting}) right->setContentsMargins(6, 0, 0, 0);
    place(checksum, readOnly("EditChecksum"), 1, 3, 2);
    place(caption("LabelMilage", "Mileage:"), readOnly("EditMilage"), 2, 0, 1);
    grid->addWidget(readOnly("EditResetMilage"), 2, 2);
    place(cutting, readOnly("EditCuttingCounter"), 2, 3, 1);
    grid->addWidget(readOnly("EditResetCuttingCounter"), 2, 5);
    for (int c : {1, 2, 4, 5}) grid->setColumnStretch(c, 1);
}

void ConfigPage::buildCommonPage() {
    // Twenty-seven rows in two blocks side by side, all in view at the
    // window's size: the rows are packed closer than on the other pages
    // and their boxes a little lower. The scroll area only matters where
    // the desktop's font is larger than the window's own.
    // Each block is a grid of its own, so a caption that wraps in one block
    // takes no height from the row beside it in the other.
    QWidget* p = configkit::scrollingPanel(commonTab_, "PanelCommon");
    auto* blocks = new QHBoxLayout(p);
    blocks->setContentsMargins(3, 3, 3, 1);
    blocks->setSpacing(8);
    QGridLayout* grids[2];
    for (QGridLayout*& grid : grids) {
        grid = new QGridLayout;
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(1);
        grid->setColumnStretch(0, 1);
        // No stretch: where the page is narrower than both blocks would like,
        // each gives up the same width, so the block with the longer
        // captions and lists keeps the more.
        blocks->addLayout(grid);
    }
    configkit::Rows rows(grids[0], kBoxWidth);
    rows.setBoxHeight(configkit::compactBoxHeight(p->font()));

    QStringList density{QString()};
    for (int i = 0; i <= 15; ++i) density << QString::number(i);
    rows.add(label(p, "LabelSpeed", "Speed"), edit(p, "EditSpeed"));
    rows.add(label(p, "LabelDensity", "Density"),
             {combo(p, "ComboBoxDensity", density), baseBox(p, "EditDensityBase")});
    rows.add(label(p, "LabelWidth", "Paper Width"), edit(p, "EditWidth"), unitLabel(p, 1));
    rows.add(label(p, "LabelHeight", "Paper Height"), edit(p, "EditHeight"), unitLabel(p, 2));
    rows.add(label(p, "LabelSensorType", "Media Sensor"),
             combo(p, "ComboBoxMediaSensor", {"", "Gap", "Bline", "Continuous"}));
    rows.add(label(p, "LabelVerticalGap", "Gap"), edit(p, "EditGapSize"), unitLabel(p, 3));
    rows.add(label(p, "LabelGapOffset", "Gap Offset"), edit(p, "EditGapOffset"), unitLabel(p, 4));
    rows.add(label(p, "LabelPrintOut", "Post-Print Action"),
             combo(p, "ComboBoxPrintOut", {"", "OFF", "TEAR", "PEEL", "CUTTER"}));
    rows.add(label(p, "LabelCutterPiece", "Cut Piece"), edit(p, "EditCutterPiece"));
    rows.add(label(p, "LabelReference", "Reference"),
             {edit(p, "EditReferenceX"), edit(p, "EditReferenceY")});

    QComboBox* direction = combo(p, "ComboBoxDirection", {"", "0", "1"});
    QComboBox* mirror = combo(p, "ComboBoxMirror", {"", "0", "1"});
    rows.add(label(p, "LabelDirection", "Direction"), {direction, mirror});
    // One digit each: two narrow lists side by side.
    for (QComboBox* c : {direction, mirror}) c->setMinimumContentsLength(1);
    rows.add(label(p, "LabelOffset", "Offset"),
             {edit(p, "EditOffset"), baseBox(p, "EditOffsetBase")});
    rows.add(label(p, "LabelShiftX", "Shift X"),
             {edit(p, "EditShiftX"), baseBox(p, "EditShiftXBase")});
    rows.add(label(p, "LabelShiftY", "Shift Y"),
             {edit(p, "EditShiftY"), baseBox(p, "EditShiftYBase")});

    // Two blocks of rows: three leave the captions too little room in the
    // longer languages.
    configkit::finishGrid(grids[0]);
    rows = configkit::Rows(grids[1], kBoxWidth);
    rows.setBoxHeight(configkit::compactBoxHeight(p->font()));
    rows.add(label(p, "LabelRibbon", "Ribbon"), combo(p, "ComboBoxRibbon", kOffOn));
    rows.add(label(p, "LabelRibbonSensor", "Ribbon Sensor"),
             combo(p, "ComboBoxRibbonSensor", kOffOn));
    rows.add(label(p, "LabelRibbonEncoder", "Ribbon Encoder Err."),
             combo(p, "ComboBoxRibbonEncoder", kOffOn));
    rows.add(label(p, "LabelCodePage", "Code Page"),
             combo(p, "ComboBoxCodePage", withEmptyItem(m350::kCodePageTable)));
    rows.add(label(p, "LabelCountryCode", "Country Code"),
             combo(p, "ComboBoxCountryCode", withEmptyItem(m350::kCountryTable)));
    rows.add(label(p, "LabelDisplayLanguage", "Language"),
             combo(p, "ComboBoxDisplayLanguage",
                   {"", "English", "French", "Spanish", "Italian", "Russian", "German"}));

    rows.add(label(p, "LabelHead", "Head-up Sensor"), combo(p, "ComboBoxHead", kOffOn));
    rows.add(label(p, "LabelReprint", "Reprint After Error"), combo(p, "ComboBoxReprint", kOffOn));
    rows.add(label(p, "LabelMaximumLength", "Maximum Length"), edit(p, "EditMaximumLength"),
             unitLabel(p, 5));
    rows.add(label(p, "LabelGapInten", "Gap Inten."), edit(p, "EditGapInten"));
    rows.add(label(p, "LabelBlineInten", "Bline Inten."), edit(p, "EditBlineInten"));
    rows.add(label(p, "LabelContinuousInten", "Continuous Inten."), edit(p, "EditContinuousInten"));
    rows.add(label(p, "LabelThresholdDetection", "Threshold Detection"),
             combo(p, "ComboBoxThreshold", {"", "MANUAL", "AUTO"}));
    configkit::finishGrid(grids[1]);
}

void ConfigPage::buildZPage() {
    QWidget* p = zTab_;
    QGridLayout* grid = configkit::pageGrid(p);
    configkit::Rows rows(grid, kBoxWidth);
    const QStringList mediaActions{"", "FEED", "CALIBRATION", "LENGTH", "NO MOTION"};

    rows.add(label(p, "LabelDarknessZ", "Darkness"), edit(p, "EditDarknessZ"),
             rangeLabel(p, "LabelRangeDarknessZ", "0 to 30"));
    rows.add(label(p, "LabelPrintSpeedZ", "Print Speed"), edit(p, "EditPrintSpeedZ"));
    rows.add(label(p, "LabelTearOffZ", "Tear Off"), edit(p, "EditTearOffZ"),
             rangeLabel(p, "LabelRangeTearOffZ", "-120 to 120"));
    rows.add(label(p, "LabelPrintModeZ", "Print Mode"),
             combo(p, "ComboBoxPrintModeZ", {"", "TEAR OFF", "PEEL OFF", "CUTTER"}));
    rows.add(label(p, "LabelPrintWidthZ", "Print Width"), edit(p, "EditPrintWidthZ"),
             unitLabel(p, 6));
    rows.add(label(p, "LabelControlPrefixZ", "Control Prefix"), edit(p, "EditControlPrefixZ"));

    rows.nextBlock();
    rows.add(label(p, "LabelFormatPrefixZ", "Format Prefix"), edit(p, "EditFormatPrefixZ"));
    rows.add(label(p, "LabelDelimiterCharZ", "Delimiter Char"), edit(p, "EditDelimiterCharZ"));
    rows.add(label(p, "LabelMediaPowerUpZ", "Media Power Up"),
             combo(p, "ComboBoxMediaPowerUpZ", mediaActions));
    rows.add(label(p, "LabelHeadCloseZ", "Head Close"),
             combo(p, "ComboBoxHeadCloseZ", mediaActions));
    rows.add(label(p, "LabelLabelTopZ", "Label Top"), edit(p, "EditLabelTopZ"),
             rangeLabel(p, "LabelRangeLabelTopZ", "-120 to 120"));
    rows.add(label(p, "LabelLeftPositionZ", "Left Position"), edit(p, "EditLeftPositionZ"),
             rangeLabel(p, "LabelRangeLeftPositionZ", "-9999 to 9999"));
    for (int c : {0, 3}) grid->setColumnStretch(c, 1);
    configkit::finishGrid(grid);
}

void ConfigPage::buildDPage() {
    QWidget* p = dTab_;
    QGridLayout* grid = configkit::pageGrid(p);
    configkit::Rows rows(grid, kBoxWidth);

    rows.add(label(p, "LabelHeatD", "Heat"), edit(p, "EditHeatD"),
             rangeLabel(p, "LabelRangeHeatD", "0 to 30"));
    rows.add(label(p, "LabelPrintSpeedD", "Print Speed"), edit(p, "EditPrintSpeedD"));
    rows.add(label(p, "LabelLabelWidthD", "Label Width"), edit(p, "EditLabelWidthD"),
             unitLabel(p, 7));
    rows.add(label(p, "LabelPresentSensorD", "Present Sensor"),
             combo(p, "ComboBoxPresentSensorD", kOffOn));

    rows.nextBlock();
    rows.add(label(p, "LabelCutterEquippedD", "Cutter Equipped"),
             combo(p, "ComboBoxCutterEquippedD", kOffOn));
    rows.add(label(p, "LabelControlCodesD", "Control Codes"),
             combo(p, "ComboBoxControlCodesD", {"", "Standard", "Alternate", "Alternate-2"}));
    rows.add(label(p, "LabelColumnOffsetD", "Column Offset"), edit(p, "EditColumnOffsetD"),
             unitLabel(p, 8));
    rows.add(label(p, "LabelRowOffsetD", "Row Offset"), edit(p, "EditRowOffsetD"), unitLabel(p, 9));
    for (int c : {0, 3}) grid->setColumnStretch(c, 1);
    configkit::finishGrid(grid);
}

void ConfigPage::buildRs232Page() {
    QWidget* p = rs232Tab_;
    QGridLayout* grid = configkit::pageGrid(p);
    configkit::Rows rows(grid, kBoxWidth);
    rows.add(label(p, "LabelBaudrate", "Baud Rate"),
             combo(p, "ComboBoxBaudrate",
                   {"", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    rows.add(label(p, "LabelDataBit", "Data Bits"), combo(p, "ComboBoxDatabit", {"", "7", "8"}));
    rows.add(label(p, "LabelParity", "Parity"),
             combo(p, "ComboBoxParity", {"", "None", "Odd", "Even"}));
    rows.add(label(p, "LabelStopBit", "Stop Bit(s)"), combo(p, "ComboBoxStopBit", {"", "1", "2"}));
    // The lists keep a sensible width; the rest of the page stays empty.
    grid->setColumnStretch(3, 1);
    configkit::finishGrid(grid);
}

}  // namespace m350::gui
