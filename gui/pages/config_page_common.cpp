// The printer information box and the sub-pages "Common", "Z", "D" and
// "RS-232" of PageControl2. Only the controls live here; what they show and
// how they are read back is the binding table's (ConfigBinding.cpp).
#include <QComboBox>
#include <QGroupBox>
#include <QTabWidget>

#include "gui/pages/config_page.h"
#include "gui/pages/config_page_kit.h"
#include "core/config/config_record.h"

using configkit::Combo;
using configkit::Edit;
using configkit::Label;

namespace {

QStringList WithEmptyItem(const m350::KeywordTable& table) {
    QStringList items{QString()};
    for (std::string_view e : table.entries)
        items << QString::fromLatin1(e.data(), static_cast<qsizetype>(e.size()));
    return items;
}

const QStringList kOffOn{"", "OFF", "ON"};

// Numbers here are short; captions get the room.
constexpr int kBoxWidth = 56;

// A shown-only base value beside its box: hidden until a record has one.
QLineEdit* BaseBox(QWidget* parent, const char* name) {
    QLineEdit* e = Edit(parent, name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setMaximumWidth(48);
    e->hide();
    return e;
}

QLabel* UnitLabel(QWidget* parent, int n) {
    return Label(parent, QStringLiteral("LabelUnit%1").arg(n).toLatin1().constData(), "inch");
}

QLabel* RangeLabel(QWidget* parent, const char* name, const char* text) {
    return Label(parent, name, QString::fromLatin1(text));
}

}  // namespace

void ConfigPage::BuildInfoBox() {
    QGroupBox* box = GroupBoxPrinterInfo;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 14, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    // Captions stay on one line; the boxes share what the captions leave.
    auto caption = [box](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), box);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto readOnly = [box](const char* name) {
        QLineEdit* e = Edit(box, name);
        e->setReadOnly(true);
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

void ConfigPage::BuildCommonPage() {
    QWidget* p = configkit::ScrollingPanel(TabSheet5, "PanelCommon");
    QGridLayout* grid = configkit::PageGrid(p);
    configkit::Rows rows(grid, kBoxWidth);

    QStringList density{QString()};
    for (int i = 0; i <= 15; ++i) density << QString::number(i);
    rows.add(Label(p, "LabelSpeed", "Speed"), Edit(p, "EditSpeed", 2));
    rows.add(Label(p, "LabelDensity", "Density"),
             {Combo(p, "ComboBoxDensity", density), BaseBox(p, "EditDensityBase")});
    rows.add(Label(p, "LabelWidth", "Paper Width"), Edit(p, "EditWidth"), UnitLabel(p, 1));
    rows.add(Label(p, "LabelHeight", "Paper Height"), Edit(p, "EditHeight"), UnitLabel(p, 2));
    rows.add(Label(p, "LabelSensorType", "Media Sensor"),
             Combo(p, "ComboBoxMediaSensor", {"", "Gap", "Bline", "Continuous"}));
    rows.add(Label(p, "LabelVerticalGap", "Gap"), Edit(p, "EditGapSize"), UnitLabel(p, 3));
    rows.add(Label(p, "LabelGapOffset", "Gap Offset"), Edit(p, "EditGapOffset"), UnitLabel(p, 4));
    rows.add(Label(p, "LabelPrintOut", "Post-Print Action"),
             Combo(p, "ComboBoxPrintOut", {"", "OFF", "TEAR", "PEEL", "CUTTER"}));
    rows.add(Label(p, "LabelCutterPiece", "Cut Piece"), Edit(p, "EditCutterPiece"));
    rows.add(Label(p, "LabelReference", "Reference"),
             {Edit(p, "EditReferenceX"), Edit(p, "EditReferenceY")});

    QComboBox* direction = Combo(p, "ComboBoxDirection", {"", "0", "1"});
    QComboBox* mirror = Combo(p, "ComboBoxMirror", {"", "0", "1"});
    rows.add(Label(p, "LabelDirection", "Direction"), {direction, mirror});
    // One digit each: two narrow lists side by side.
    for (QComboBox* c : {direction, mirror}) c->setMinimumContentsLength(1);
    rows.add(Label(p, "LabelOffset", "Offset"),
             {Edit(p, "EditOffset"), BaseBox(p, "EditOffsetBase")});
    rows.add(Label(p, "LabelShiftX", "Shift X"),
             {Edit(p, "EditShiftX"), BaseBox(p, "EditShiftXBase")});
    rows.add(Label(p, "LabelShiftY", "Shift Y"),
             {Edit(p, "EditShiftY"), BaseBox(p, "EditShiftYBase")});

    // Two blocks of rows: three leave the captions too little room in the
    // longer languages.
    rows.nextBlock();
    rows.add(Label(p, "LabelRibbon", "Ribbon"), Combo(p, "ComboBoxRibbon", kOffOn));
    rows.add(Label(p, "LabelRibbonSensor", "Ribbon Sensor"),
             Combo(p, "ComboBoxRibbonSensor", kOffOn));
    rows.add(Label(p, "LabelRibbonEncoder", "Ribbon Encoder Err."),
             Combo(p, "ComboBoxRibbonEncoder", kOffOn));
    rows.add(Label(p, "LabelCodePage", "Code Page"),
             Combo(p, "ComboBoxCodePage", WithEmptyItem(m350::kCodePageTable)));
    rows.add(Label(p, "LabelCountryCode", "Country Code"),
             Combo(p, "ComboBoxCountryCode", WithEmptyItem(m350::kCountryTable)));
    rows.add(Label(p, "LabelDisplayLanguage", "Language"),
             Combo(p, "ComboBoxDisplayLanguage",
                   {"", "English", "French", "Spanish", "Italian", "Russian", "German"}));

    rows.add(Label(p, "LabelHead", "Head-up Sensor"), Combo(p, "ComboBoxHead", kOffOn));
    rows.add(Label(p, "LabelReprint", "Reprint After Error"), Combo(p, "ComboBoxReprint", kOffOn));
    rows.add(Label(p, "LabelMaximumLength", "Maximum Length"), Edit(p, "EditMaximumLength"),
             UnitLabel(p, 5));
    rows.add(Label(p, "LabelGapInten", "Gap Inten."), Edit(p, "EditGapInten"));
    rows.add(Label(p, "LabelBlineInten", "Bline Inten."), Edit(p, "EditBlineInten"));
    rows.add(Label(p, "LabelContinuousInten", "Continuous Inten."), Edit(p, "EditContinuousInten"));
    rows.add(Label(p, "LabelThresholdDetection", "Threshold Detection"),
             Combo(p, "ComboBoxThreshold", {"", "MANUAL", "AUTO"}));
    for (int c : {0, 3}) grid->setColumnStretch(c, 1);
    configkit::FinishGrid(grid);
}

void ConfigPage::BuildZPage() {
    QWidget* p = TabSheet6;
    QGridLayout* grid = configkit::PageGrid(p);
    configkit::Rows rows(grid, kBoxWidth);
    const QStringList mediaActions{"", "FEED", "CALIBRATION", "LENGTH", "NO MOTION"};

    rows.add(Label(p, "LabelDarknessZ", "Darkness"), Edit(p, "EditDarknessZ", 2),
             RangeLabel(p, "LabelRangeDarknessZ", "0 to 30"));
    rows.add(Label(p, "LabelPrintSpeedZ", "Print Speed"), Edit(p, "EditPrintSpeedZ"));
    rows.add(Label(p, "LabelTearOffZ", "Tear Off"), Edit(p, "EditTearOffZ", 4),
             RangeLabel(p, "LabelRangeTearOffZ", "-120 to 120"));
    rows.add(Label(p, "LabelPrintModeZ", "Print Mode"),
             Combo(p, "ComboBoxPrintModeZ", {"", "TEAR OFF", "PEEL OFF", "CUTTER"}));
    rows.add(Label(p, "LabelPrintWidthZ", "Print Width"), Edit(p, "EditPrintWidthZ"),
             UnitLabel(p, 6));
    rows.add(Label(p, "LabelControlPrefixZ", "Control Prefix"), Edit(p, "EditControlPrefixZ", 1));

    rows.nextBlock();
    rows.add(Label(p, "LabelFormatPrefixZ", "Format Prefix"), Edit(p, "EditFormatPrefixZ", 1));
    rows.add(Label(p, "LabelDelimiterCharZ", "Delimiter Char"), Edit(p, "EditDelimiterCharZ", 1));
    rows.add(Label(p, "LabelMediaPowerUpZ", "Media Power Up"),
             Combo(p, "ComboBoxMediaPowerUpZ", mediaActions));
    rows.add(Label(p, "LabelHeadCloseZ", "Head Close"),
             Combo(p, "ComboBoxHeadCloseZ", mediaActions));
    rows.add(Label(p, "LabelLabelTopZ", "Label Top"), Edit(p, "EditLabelTopZ", 4),
             RangeLabel(p, "LabelRangeLabelTopZ", "-120 to 120"));
    rows.add(Label(p, "LabelLeftPositionZ", "Left Position"), Edit(p, "EditLeftPositionZ", 5),
             RangeLabel(p, "LabelRangeLeftPositionZ", "-9999 to 9999"));
    for (int c : {0, 3}) grid->setColumnStretch(c, 1);
    configkit::FinishGrid(grid);
}

void ConfigPage::BuildDPage() {
    QWidget* p = TabSheet7;
    QGridLayout* grid = configkit::PageGrid(p);
    configkit::Rows rows(grid, kBoxWidth);

    rows.add(Label(p, "LabelHeatD", "Heat"), Edit(p, "EditHeatD", 2),
             RangeLabel(p, "LabelRangeHeatD", "0 to 30"));
    rows.add(Label(p, "LabelPrintSpeedD", "Print Speed"), Edit(p, "EditPrintSpeedD"));
    rows.add(Label(p, "LabelLabelWidthD", "Label Width"), Edit(p, "EditLabelWidthD"),
             UnitLabel(p, 7));
    rows.add(Label(p, "LabelPresentSensorD", "Present Sensor"),
             Combo(p, "ComboBoxPresentSensorD", kOffOn));

    rows.nextBlock();
    rows.add(Label(p, "LabelCutterEquippedD", "Cutter Equipped"),
             Combo(p, "ComboBoxCutterEquippedD", kOffOn));
    rows.add(Label(p, "LabelControlCodesD", "Control Codes"),
             Combo(p, "ComboBoxControlCodesD", {"", "Standard", "Alternate", "Alternate-2"}));
    rows.add(Label(p, "LabelColumnOffsetD", "Column Offset"), Edit(p, "EditColumnOffsetD"),
             UnitLabel(p, 8));
    rows.add(Label(p, "LabelRowOffsetD", "Row Offset"), Edit(p, "EditRowOffsetD"), UnitLabel(p, 9));
    for (int c : {0, 3}) grid->setColumnStretch(c, 1);
    configkit::FinishGrid(grid);
}

void ConfigPage::BuildRs232Page() {
    QWidget* p = TabSheet8;
    QGridLayout* grid = configkit::PageGrid(p);
    configkit::Rows rows(grid, kBoxWidth);
    rows.add(Label(p, "LabelBaudrate", "Baud Rate"),
             Combo(p, "ComboBoxBaudrate",
                   {"", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    rows.add(Label(p, "LabelDataBit", "Data Bits"), Combo(p, "ComboBoxDatabit", {"", "7", "8"}));
    rows.add(Label(p, "LabelParity", "Parity"),
             Combo(p, "ComboBoxParity", {"", "None", "Odd", "Even"}));
    rows.add(Label(p, "LabelStopBit", "Stop Bit(s)"), Combo(p, "ComboBoxStopBit", {"", "1", "2"}));
    // The lists keep a sensible width; the rest of the page stays empty.
    grid->setColumnStretch(3, 1);
    configkit::FinishGrid(grid);
}
