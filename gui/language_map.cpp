#include "gui/language_map.h"

#include <algorithm>

namespace m350 {

namespace {

constexpr int kOff = 97, kOn = 98;

// Order matters only where a control appears twice (RadioGroupUnit): its
// caption first, then its items.
constexpr TextBinding kMainWindow[] = {
    Caption("GroupBoxLanguage", 9),
    Items("ComboBoxLanguage", 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23),
    Caption("GroupBoxPrinterFunction", 34),
    Caption("ButtonSensorCalibrate", 35),
    Caption("ButtonEthernet", 36),
    Caption("ButtonRTCSetTime", 37),
    Caption("ButtonInitial", 38),
    Caption("ButtonRestPrinter", 39),
    Caption("ButtonTestPatern", 40),
    Caption("ButtonSelfTest", 41),
    Caption("ButtonDump", 42),
    Caption("ButtonIgnoreAuto", 43),
    Caption("ButtonLineModeOut", 44),
    Caption("ButtonPassword", 45),
    Caption("ButtonActEmulation", 46),
    Caption("GroupBoxInterFace", 28),
    Caption("ButtonInterFace", 29),
    Caption("GroupBoxPrinterStatus", 47),
    Caption("ButtonGetStatus", 57),
    Caption("TabSheet1", 30),
    Caption("TabSheet2", 31),
    Caption("TabSheet3", 32),
    Caption("TabSheet4", 33),
    Caption("TabSheet8", 27),
    Caption("TabSheet9", 145),
    Caption("GroupBoxPrintreConfig", 30),
    Caption("GroupBoxPrinterInfo", 58),
    Caption("LabelVersion", 59),
    Caption("LabelMilage", 60),
    Caption("LabelCHecksum", 61),
    Caption("LabelSerial", 62),
    Caption("LabelCuttingCounter", 63),
    Caption("RadioGroupUnit", 24),
    Items("RadioGroupUnit", 0, 25, 26),
    Caption("LabelSpeed", 64),
    Caption("LabelDensity", 65),
    Caption("LabelWidth", 66),
    Caption("LabelHeight", 67),
    Caption("LabelSensorType", 68),
    Items("ComboBoxMediaSensor", 1, 69, 70, 71),
    Caption("LabelVerticalGap", 72),
    Caption("LabelGapOffset", 73),
    Caption("LabelPrintOut", 74),
    Items("ComboBoxPrintOut", 1, 75, 76, 77, 78),
    Caption("LabelCutterPiece", 79),
    Caption("LabelReference", 80),
    Caption("LabelDirection", 81),
    Caption("LabelOffset", 82),
    Caption("LabelShiftX", 83),
    Caption("LabelShiftY", 84),
    Caption("LabelRibbon", 85),
    Items("ComboBoxRibbon", 1, kOff, kOn),
    Caption("LabelRibbonSensor", 86),
    Items("ComboBoxRibbonSensor", 1, kOff, kOn),
    Caption("LabelRibbonEncoder", 87),
    Items("ComboBoxRibbonEncoder", 1, kOff, kOn),
    Caption("LabelCodePage", 88),
    Caption("LabelCountryCode", 89),
    Caption("LabelDisplayLanguage", 9),
    Items("ComboBoxDisplayLanguage", 1, 10, 17, 14, 18, 19, 16),
    Caption("LabelHead", 90),
    Items("ComboBoxHead", 1, kOff, kOn),
    Caption("LabelReprint", 91),
    Items("ComboBoxReprint", 1, kOff, kOn),
    Caption("LabelMaximumLength", 92),
    Caption("LabelGapInten", 93),
    Caption("LabelBlineInten", 94),
    Caption("LabelContinuousInten", 95),
    Caption("LabelThresholdDetection", 96),
    Items("ComboBoxThreshold", 1, 99, 100),
    Caption("LabelDarknessZ", 101),
    Caption("LabelPrintSpeedZ", 102),
    Caption("LabelTearOffZ", 103),
    Caption("LabelPrintModeZ", 104),
    Items("ComboBoxPrintModeZ", 1, 105, 106, 107),
    Caption("LabelPrintWidthZ", 108),
    Caption("LabelControlPrefixZ", 109),
    Caption("LabelFormatPrefixZ", 110),
    Caption("LabelDelimiterCharZ", 111),
    Caption("LabelMediaPowerUpZ", 112),
    Items("ComboBoxMediaPowerUpZ", 1, 114, 115, 116, 117),
    Caption("LabelHeadCloseZ", 113),
    Items("ComboBoxHeadCloseZ", 1, 114, 115, 116, 117),
    Caption("LabelLabelTopZ", 118),
    Caption("LabelLeftPositionZ", 119),
    Caption("LabelHeatD", 120),
    Caption("LabelPrintSpeedD", 121),
    Caption("LabelLabelWidthD", 122),
    Caption("LabelPresentSensorD", 123),
    Items("ComboBoxPresentSensorD", 1, kOff, kOn),
    Caption("LabelCutterEquippedD", 124),
    Items("ComboBoxCutterEquippedD", 1, kOff, kOn),
    Caption("LabelControlCodesD", 125),
    Items("ComboBoxControlCodesD", 1, 126, 127, 128),
    Caption("LabelColumnOffsetD", 129),
    Caption("LabelRowOffsetD", 130),
    Caption("LabelBaudrate", 131),
    Caption("LabelDataBit", 132),
    Caption("LabelParity", 133),
    Caption("LabelStopBit", 134),
    Caption("LabelBTName", 135),
    Caption("LabelBTPinCode", 136),
    Caption("LabelWiFiSSID", 137),
    Caption("LabelWiFiEncryption", 138),
    Caption("LabelWiFiKey", 139),
    Caption("LabelWiFiDHCP", 140),
    Items("ComboBoxWiFiDHCP", 1, kOff, kOn),
    Caption("LabelWiFiIP", 141),
    Caption("LabelWiFiMask", 142),
    Caption("LabelWiFiGateway", 143),
    Caption("btnEnableExtSetup", 146),
    Caption("btnSetToModule", 148),
    Caption("lblExBTName", 135),
    Caption("lblExBTPinCode", 136),
    Caption("lblExWiFiSSID", 137),
    Caption("lblExWiFiEncryption", 138),
    Caption("lblExWiFiKey", 139),
    Caption("lblExWiFiDHCP", 140),
    Items("cbbExWiFiDHCP", 1, kOff, kOn),
    Caption("lblExWiFiIP", 141),
    Caption("lblExWiFiMask", 142),
    Caption("lblExWiFiGateway", 143),
    Caption("ButtonClear", 8),
    Caption("ButtonLoad", 6),
    Caption("ButtonSave", 7),
    Caption("ButtonConfigSet", 4),
    Caption("ButtonRead", 5),
    Caption("GroupBoxFileDownload", 152),
    Caption("LabelFileType", 153),
    Caption("LabelFileName", 154),
    Caption("LabelFileSize", 155),
    Caption("LabelMemoryDevice", 156),
    Caption("ButtonBrowse", 157),
    Caption("ButtonFontView", 158),
    Caption("ButtonDownload", 159),
    Caption("GroupBoxFileInfo", 160),
    Caption("RadioGroupDevice", 161),
    Caption("LabelPhysicalSpace", 162),
    Caption("LabelFreeSpace", 163),
    Caption("ButtonGet", 5),
    Caption("GroupBoxFileFormat", 164),
    Caption("RadioGroupFormatDevice", 165),
    Caption("ButtonFileFormat", 166),
    Caption("GroupBoxFontSelect", 167),
    Caption("LabelFontEncode", 172),
    Items("ComboBoxFontEncode", 0, 168, 169, 170, 171),
    Caption("LabelFontPitch", 173),
    Items("ComboBoxFontPitch", 0, 174, 175),
    Caption("LabelPrinterDevice", 176),
    Caption("LabelWindowsFontName", 177),
    Caption("LabelFontSize", 178),
    Caption("ButtonSelectFont", 179),
    Caption("ButtonPreviewFont", 180),
    Caption("LabelPrinterFontName", 181),
    Caption("LabelFontWidth", 182),
    Caption("LabelFontHeight", 183),
    Caption("LabelItalicWidth", 184),
    Caption("GroupBoxSatndEncode", 185),
    Caption("LabelFontMapping", 186),
    Caption("LabelStartAscii", 187),
    Caption("LabelEndAscii", 188),
    Caption("RadioGroupAsiaFontEncode", 189),
    Items("RadioGroupAsiaFontEncode", 0, 190, 191, 192, 193),
    Caption("GroupBoxEncodeTable", 194),
    Caption("CheckBoxFileTable", 195),
    Caption("ButtonFontTblLoad", 6),
    Caption("ButtonFontTblSave", 7),
    Caption("ButtonSaveFont", 196),
    Caption("ButtonDowloadFont", 197),
    Caption("ButtonSendFile", 198),
    Caption("ButtonSend", 199),
    Caption("ButtonLoadFile", 6),
    Caption("ButtonSaveFile", 7),
    Caption("gbWirelessProtable", 149),
    Caption("gbWirelessExtDev", 150),
};

constexpr TextBinding kRs232Setup[] = {
    Caption("LabelComPort", 200),     Caption("LabelBaudRate", 131), Caption("LabelDataBits", 132),
    Caption("LabelParityCheck", 133), Caption("LabelStopBits", 134), Caption("LabelHardwareS", 201),
    Caption("LabelSoftwareS", 202),   Caption("ButtonSet", 4),       Caption("ButtonCancel", 2),
};

constexpr TextBinding kLptSetup[] = {
    Caption("ButtonSet", 4),
    Caption("ButtonCancel", 2),
};

// LabelUnit1 and LabelUnit2 follow the configuration's unit, and
// ButtonManualCalibration changes with the manual steps; the dialog sets
// those itself.
constexpr TextBinding kSensorCalibrate[] = {
    Title(35),
    Caption("GroupBoxAutoCali", 225),
    Caption("LabelPaperHeight", 226),
    Caption("LabelGap", 227),
    Caption("ButtonCalib", 228),
    Caption("GroupBoxManualCalib", 229),
    Caption("LabelInten", 230),
    Caption("LabelThresholdValue", 231),
    Caption("LabelReadIntension", 232),
    Caption("LabelCurrent", 233),
    Caption("LabelPaperReading", 234),
    Caption("LabelGapReading", 235),
    Caption("ButtonSet", 4),
    Caption("ButtonManualCalibration", 236),
    Caption("RadioGroupMediaType", 237),
    Items("RadioGroupMediaType", 0, 238, 239, 240, 241),
    Caption("ButtonCancel", 2),
};

constexpr TextBinding kPreviewFont[] = {
    Title(180),
    Caption("ButtonExit", 3),
};

constexpr TextBinding kDumpTextSetup[] = {
    Caption("RadioGroupDumpMode", 254), Items("RadioGroupDumpMode", 0, 255, 256, 257),
    Caption("LabelFileName", 154),      Caption("ButtonOK", 0),
    Caption("ButtonCancel", 2),
};

constexpr TextBinding kRtcSetup[] = {
    Title(37),
    Caption("LabelYear", 247),
    Caption("LabelMonth", 248),
    Caption("LabelDate", 249),
    Caption("LabelHour", 250),
    Caption("LabelMinute", 251),
    Caption("LabelSecond", 252),
    Caption("ButtonSetSysTime", 253),
    Caption("ButtonSet", 4),
    Caption("ButtonCancel", 2),
};

constexpr TextBinding kNetSetup[] = {
    Caption("GroupBoxIPSetting", 203),
    Caption("LabelIPAddress", 204),
    Caption("LabelPort", 205),
    Caption("ButtonExit", 3),
    Caption("ButtonDiscover", 206),
    Caption("ButtonChangeIP", 207),
    Caption("ButtonFactoryDefault", 208),
    Caption("ButtonBrowser", 209),
    Columns("ListView1", 0, 210, 211, 212, 213, 214),
};

constexpr TextBinding kEthernetSetup[] = {
    Title(36),
    Caption("RadioGroupDHCP", 215),
    Items("RadioGroupDHCP", 0, 216, 217),
    Caption("LabelIP", 218),
    Caption("LabelMask", 219),
    Caption("LabelGateWay", 220),
    Caption("LabelPrinterName", 221),
    Caption("LabelMACAddr", 222),
    Caption("ButtonSetPrinterName", 223),
    Caption("ButtonSetIP", 224),
    Caption("ButtonCancel", 2),
};

constexpr TextBinding kPassword[] = {
    Title(261),
    Caption("ButtonOK", 0),
    Caption("ButtonCancel", 2),
};

constexpr TextBinding kPasswordSetup[] = {
    Title(258),
    Caption("LabelOldPassword", 259),
    Caption("LabelNewPassword", 260),
    Caption("ButtonOK", 0),
    Caption("ButtonCancel", 2),
};

struct DialogTable {
    const char* name;
    std::span<const TextBinding> bindings;
};

constexpr DialogTable kDialogs[] = {
    {"TFormRs232Setup", kRs232Setup},
    {"TFormLPTSetup", kLptSetup},
    {"TFormSensorCalibrate", kSensorCalibrate},
    {"TFormPreviewFont", kPreviewFont},
    {"TFormDumpTextSetup", kDumpTextSetup},
    {"TFormRTCSetup", kRtcSetup},
    {"TFormNetSetup", kNetSetup},
    {"TFormEthernetSetup", kEthernetSetup},
    {"TFormPassword", kPassword},
    {"TFormPasswordSetup", kPasswordSetup},
};

constexpr auto kDialogNames = [] {
    std::array<const char*, std::size(kDialogs)> names{};
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = kDialogs[i].name;
    return names;
}();

}  // namespace

std::span<const TextBinding> MainWindowBindings() {
    return kMainWindow;
}

std::span<const TextBinding> DialogBindings(std::string_view dialogClass) {
    const auto* it = std::find_if(std::begin(kDialogs), std::end(kDialogs),
                                  [&](const DialogTable& d) { return dialogClass == d.name; });
    return it == std::end(kDialogs) ? std::span<const TextBinding>() : it->bindings;
}

std::span<const char* const> DialogClassesWithTexts() {
    return kDialogNames;
}

}  // namespace m350
