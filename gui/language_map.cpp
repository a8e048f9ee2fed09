// SPDX-License-Identifier: MIT
#include "gui/language_map.h"

#include <algorithm>

namespace m350::gui {

namespace {

constexpr int kOff = 97, kOn = 98;

// Order matters only where a control appears twice (RadioGroupUnit): its
// caption first, then its items.
constexpr TextBinding kMainWindow[] = {
    caption("GroupBoxLanguage", 9),
    items("ComboBoxLanguage", 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23),
    caption("GroupBoxPrinterFunction", 34),
    caption("ButtonSensorCalibrate", 35),
    caption("ButtonEthernet", 36),
    caption("ButtonRTCSetTime", 37),
    caption("ButtonInitial", 38),
    caption("ButtonRestPrinter", 39),
    caption("ButtonTestPatern", 40),
    caption("ButtonSelfTest", 41),
    caption("ButtonDump", 42),
    caption("ButtonIgnoreAuto", 43),
    caption("ButtonLineModeOut", 44),
    caption("ButtonPassword", 45),
    caption("ButtonActEmulation", 46),
    caption("GroupBoxInterFace", 28),
    caption("ButtonInterFace", 29),
    caption("GroupBoxPrinterStatus", 47),
    caption("ButtonGetStatus", 57),
    caption("TabSheet1", 30),
    caption("TabSheet2", 31),
    caption("TabSheet3", 32),
    caption("TabSheet4", 33),
    caption("TabSheet8", 27),
    caption("TabSheet9", 145),
    caption("GroupBoxPrintreConfig", 30),
    caption("GroupBoxPrinterInfo", 58),
    caption("LabelVersion", 59),
    caption("LabelMilage", 60),
    caption("LabelCHecksum", 61),
    caption("LabelSerial", 62),
    caption("LabelCuttingCounter", 63),
    caption("RadioGroupUnit", 24),
    items("RadioGroupUnit", 0, 25, 26),
    caption("LabelSpeed", 64),
    caption("LabelDensity", 65),
    caption("LabelWidth", 66),
    caption("LabelHeight", 67),
    caption("LabelSensorType", 68),
    items("ComboBoxMediaSensor", 1, 69, 70, 71),
    caption("LabelVerticalGap", 72),
    caption("LabelGapOffset", 73),
    caption("LabelPrintOut", 74),
    items("ComboBoxPrintOut", 1, 75, 76, 77, 78),
    caption("LabelCutterPiece", 79),
    caption("LabelReference", 80),
    caption("LabelDirection", 81),
    caption("LabelOffset", 82),
    caption("LabelShiftX", 83),
    caption("LabelShiftY", 84),
    caption("LabelRibbon", 85),
    items("ComboBoxRibbon", 1, kOff, kOn),
    caption("LabelRibbonSensor", 86),
    items("ComboBoxRibbonSensor", 1, kOff, kOn),
    caption("LabelRibbonEncoder", 87),
    items("ComboBoxRibbonEncoder", 1, kOff, kOn),
    caption("LabelCodePage", 88),
    caption("LabelCountryCode", 89),
    caption("LabelDisplayLanguage", 9),
    items("ComboBoxDisplayLanguage", 1, 10, 17, 14, 18, 19, 16),
    caption("LabelHead", 90),
    items("ComboBoxHead", 1, kOff, kOn),
    caption("LabelReprint", 91),
    items("ComboBoxReprint", 1, kOff, kOn),
    caption("LabelMaximumLength", 92),
    caption("LabelGapInten", 93),
    caption("LabelBlineInten", 94),
    caption("LabelContinuousInten", 95),
    caption("LabelThresholdDetection", 96),
    items("ComboBoxThreshold", 1, 99, 100),
    caption("LabelDarknessZ", 101),
    caption("LabelPrintSpeedZ", 102),
    caption("LabelTearOffZ", 103),
    caption("LabelPrintModeZ", 104),
    items("ComboBoxPrintModeZ", 1, 105, 106, 107),
    caption("LabelPrintWidthZ", 108),
    caption("LabelControlPrefixZ", 109),
    caption("LabelFormatPrefixZ", 110),
    caption("LabelDelimiterCharZ", 111),
    caption("LabelMediaPowerUpZ", 112),
    items("ComboBoxMediaPowerUpZ", 1, 114, 115, 116, 117),
    caption("LabelHeadCloseZ", 113),
    items("ComboBoxHeadCloseZ", 1, 114, 115, 116, 117),
    caption("LabelLabelTopZ", 118),
    caption("LabelLeftPositionZ", 119),
    caption("LabelHeatD", 120),
    caption("LabelPrintSpeedD", 121),
    caption("LabelLabelWidthD", 122),
    caption("LabelPresentSensorD", 123),
    items("ComboBoxPresentSensorD", 1, kOff, kOn),
    caption("LabelCutterEquippedD", 124),
    items("ComboBoxCutterEquippedD", 1, kOff, kOn),
    caption("LabelControlCodesD", 125),
    items("ComboBoxControlCodesD", 1, 126, 127, 128),
    caption("LabelColumnOffsetD", 129),
    caption("LabelRowOffsetD", 130),
    caption("LabelBaudrate", 131),
    caption("LabelDataBit", 132),
    caption("LabelParity", 133),
    caption("LabelStopBit", 134),
    caption("LabelBTName", 135),
    caption("LabelBTPinCode", 136),
    caption("LabelWiFiSSID", 137),
    caption("LabelWiFiEncryption", 138),
    caption("LabelWiFiKey", 139),
    caption("LabelWiFiDHCP", 140),
    items("ComboBoxWiFiDHCP", 1, kOff, kOn),
    caption("LabelWiFiIP", 141),
    caption("LabelWiFiMask", 142),
    caption("LabelWiFiGateway", 143),
    caption("btnEnableExtSetup", 146),
    caption("btnSetToModule", 148),
    caption("lblExBTName", 135),
    caption("lblExBTPinCode", 136),
    caption("lblExWiFiSSID", 137),
    caption("lblExWiFiEncryption", 138),
    caption("lblExWiFiKey", 139),
    caption("lblExWiFiDHCP", 140),
    items("cbbExWiFiDHCP", 1, kOff, kOn),
    caption("lblExWiFiIP", 141),
    caption("lblExWiFiMask", 142),
    caption("lblExWiFiGateway", 143),
    caption("ButtonClear", 8),
    caption("ButtonLoad", 6),
    caption("ButtonSave", 7),
    caption("ButtonConfigSet", 4),
    caption("ButtonRead", 5),
    caption("GroupBoxFileDownload", 152),
    caption("LabelFileType", 153),
    caption("LabelFileName", 154),
    caption("LabelFileSize", 155),
    caption("LabelMemoryDevice", 156),
    caption("ButtonBrowse", 157),
    caption("ButtonFontView", 158),
    caption("ButtonDownload", 159),
    caption("GroupBoxFileInfo", 160),
    caption("RadioGroupDevice", 161),
    caption("LabelPhysicalSpace", 162),
    caption("LabelFreeSpace", 163),
    caption("ButtonGet", 5),
    caption("GroupBoxFileFormat", 164),
    caption("RadioGroupFormatDevice", 165),
    caption("ButtonFileFormat", 166),
    caption("GroupBoxFontSelect", 167),
    caption("LabelFontEncode", 172),
    items("ComboBoxFontEncode", 0, 168, 169, 170, 171),
    caption("LabelFontPitch", 173),
    items("ComboBoxFontPitch", 0, 174, 175),
    caption("LabelPrinterDevice", 176),
    caption("LabelWindowsFontName", 177),
    caption("LabelFontSize", 178),
    caption("ButtonSelectFont", 179),
    caption("ButtonPreviewFont", 180),
    caption("LabelPrinterFontName", 181),
    caption("LabelFontWidth", 182),
    caption("LabelFontHeight", 183),
    caption("LabelItalicWidth", 184),
    caption("GroupBoxSatndEncode", 185),
    caption("LabelFontMapping", 186),
    caption("LabelStartAscii", 187),
    caption("LabelEndAscii", 188),
    caption("RadioGroupAsiaFontEncode", 189),
    items("RadioGroupAsiaFontEncode", 0, 190, 191, 192, 193),
    caption("GroupBoxEncodeTable", 194),
    caption("CheckBoxFileTable", 195),
    caption("ButtonFontTblLoad", 6),
    caption("ButtonFontTblSave", 7),
    caption("ButtonSaveFont", 196),
    caption("ButtonDowloadFont", 197),
    caption("ButtonSendFile", 198),
    caption("ButtonSend", 199),
    caption("ButtonLoadFile", 6),
    caption("ButtonSaveFile", 7),
    caption("gbWirelessProtable", 149),
    caption("gbWirelessExtDev", 150),
};

constexpr TextBinding kRs232Setup[] = {
    caption("LabelComPort", 200),     caption("LabelBaudRate", 131), caption("LabelDataBits", 132),
    caption("LabelParityCheck", 133), caption("LabelStopBits", 134), caption("LabelHardwareS", 201),
    caption("LabelSoftwareS", 202),   caption("ButtonSet", 4),       caption("ButtonCancel", 2),
};

constexpr TextBinding kLptSetup[] = {
    caption("ButtonSet", 4),
    caption("ButtonCancel", 2),
};

// LabelUnit1 and LabelUnit2 follow the configuration's unit, and
// ButtonManualCalibration changes with the manual steps; the dialog sets
// those itself.
constexpr TextBinding kSensorCalibrate[] = {
    title(35),
    caption("GroupBoxAutoCali", 225),
    caption("LabelPaperHeight", 226),
    caption("LabelGap", 227),
    caption("ButtonCalib", 228),
    caption("GroupBoxManualCalib", 229),
    caption("LabelInten", 230),
    caption("LabelThresholdValue", 231),
    caption("LabelReadIntension", 232),
    caption("LabelCurrent", 233),
    caption("LabelPaperReading", 234),
    caption("LabelGapReading", 235),
    caption("ButtonSet", 4),
    caption("ButtonManualCalibration", 236),
    caption("RadioGroupMediaType", 237),
    items("RadioGroupMediaType", 0, 238, 239, 240, 241),
    caption("ButtonCancel", 2),
};

constexpr TextBinding kPreviewFont[] = {
    title(180),
    caption("ButtonExit", 3),
};

constexpr TextBinding kDumpTextSetup[] = {
    caption("RadioGroupDumpMode", 254), items("RadioGroupDumpMode", 0, 255, 256, 257),
    caption("LabelFileName", 154),      caption("ButtonOK", 0),
    caption("ButtonCancel", 2),
};

constexpr TextBinding kRtcSetup[] = {
    title(37),
    caption("LabelYear", 247),
    caption("LabelMonth", 248),
    caption("LabelDate", 249),
    caption("LabelHour", 250),
    caption("LabelMinute", 251),
    caption("LabelSecond", 252),
    caption("ButtonSetSysTime", 253),
    caption("ButtonSet", 4),
    caption("ButtonCancel", 2),
};

constexpr TextBinding kNetSetup[] = {
    caption("GroupBoxIPSetting", 203),
    caption("LabelIPAddress", 204),
    caption("LabelPort", 205),
    caption("ButtonExit", 3),
    caption("ButtonDiscover", 206),
    caption("ButtonChangeIP", 207),
    caption("ButtonFactoryDefault", 208),
    caption("ButtonBrowser", 209),
    columns("ListView1", 0, 210, 211, 212, 213, 214),
};

constexpr TextBinding kEthernetSetup[] = {
    title(36),
    caption("RadioGroupDHCP", 215),
    items("RadioGroupDHCP", 0, 216, 217),
    caption("LabelIP", 218),
    caption("LabelMask", 219),
    caption("LabelGateWay", 220),
    caption("LabelPrinterName", 221),
    caption("LabelMACAddr", 222),
    caption("ButtonSetPrinterName", 223),
    caption("ButtonSetIP", 224),
    caption("ButtonCancel", 2),
};

constexpr TextBinding kPassword[] = {
    title(261),
    caption("ButtonOK", 0),
    caption("ButtonCancel", 2),
};

constexpr TextBinding kPasswordSetup[] = {
    title(258),
    caption("LabelOldPassword", 259),
    caption("LabelNewPassword", 260),
    caption("ButtonOK", 0),
    caption("ButtonCancel", 2),
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

std::span<const TextBinding> mainWindowBindings() {
    return kMainWindow;
}

std::span<const TextBinding> dialogBindings(std::string_view dialogClass) {
    const auto* it = std::find_if(std::begin(kDialogs), std::end(kDialogs),
                                  [&](const DialogTable& d) { return dialogClass == d.name; });
    return it == std::end(kDialogs) ? std::span<const TextBinding>() : it->bindings;
}

std::span<const char* const> dialogClassesWithTexts() {
    return kDialogNames;
}

}  // namespace m350::gui
