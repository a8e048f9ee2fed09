// SPDX-License-Identifier: MIT
#include "gui/own_text_map.h"

#include <algorithm>
#include <iterator>

namespace m350::gui {

namespace {

constexpr OwnTextBinding kOwnMainWindow[] = {
    // The configuration page and its sub-page tabs.
    ownCaption("TabSheet5", "Common"),
    ownCaption("TabSheet11", "Bluetooth"),
    ownCaption("tsFtpUpd", "FTP Update"),
    ownCaption("CheckBoxVerifySet", "Verify"),
    ownTip("CheckBoxVerifySet",
           "After Set, read the settings back and report those the printer did not take"),
    ownTip("ToolButtonTextEncoding", "Printer text encoding"),
    ownTip("Image1", "About (Ctrl+F1)"),
    // Ranges beside the number boxes of the Z and D settings.
    ownCaption("LabelRangeDarknessZ", "0 to 30"),
    ownCaption("LabelRangeTearOffZ", "-120 to 120"),
    ownCaption("LabelRangeLabelTopZ", "-120 to 120"),
    ownCaption("LabelRangeLeftPositionZ", "-9999 to 9999"),
    ownCaption("LabelRangeHeatD", "0 to 30"),
    ownItem("ComboBoxParity", 1, "None"),
    ownItem("ComboBoxParity", 2, "Odd"),
    ownItem("ComboBoxParity", 3, "Even"),
    // Wireless.
    ownCaption("gbWirelessProtable", "Wireless module"),
    ownCaption("lblWiFiInformation", "WiFi Information"),
    ownCaption("lblRoamRssi", "Roam/Scan RSSI:"),
    ownCaption("lblWifiRawPort", "RAW Port:"),
    ownCaption("lblWiFiMac", "WLAN MAC Address:"),
    ownCaption("lblPrintname", "Network Printer Name"),
    ownCaption("lblWiFiEapType", "EAP Type:"),
    ownCaption("lblWiFiSrvCer", "CA Certificate:"),
    ownCaption("btnWiFiSrvCerBrowse", "Browse..."),
    ownCaption("lblWiFiClientCer", "User Certificate:"),
    ownCaption("btnWiFiClientCerBrowse", "Browse..."),
    ownCaption("lblWiFiPrivKey", "Private Key:"),
    ownCaption("btnWiFiPrivKeyBrowse", "Browse..."),
    ownCaption("lblWiFiUsername", "Username:"),
    ownCaption("lblWiFiPasswd", "Password:"),
    ownCaption("btnWirlessFactoryDef", "Wireless Factory Default"),
    // Bluetooth.
    ownCaption("GroupBoxBTLocal", "Bluetooth Local Information"),
    ownCaption("LabelBTMACAddress", "BT MAC Address"),
    ownCaption("LabelBTSoftware", "BT Software:"),
    ownCaption("GroupBoxBTDevice", "Bluetooth Device"),
    ownCaption("LabelBTName_d", "Device Name:"),
    ownCaption("LabelBTMAC_d", "Device MAC Address:"),
    ownCaption("BlueToothMaster", "Bluetooth Master"),
    ownCaption("ScanBT", "Scan Bluetooth device"),
    ownColumn("ListView3", 0, "Device Name"),
    ownColumn("ListView3", 1, "Mac Address"),
    // FTP update.
    ownCaption("lblFtpcEnabled", "FTP Client:"),
    ownItem("cbxFtpcEnabled", 0, "Disable"),
    ownItem("cbxFtpcEnabled", 1, "Enable"),
    ownCaption("lblFtpSrvIp", "FTP Server:"),
    ownCaption("lblFtpPath", "FTP Path:"),
    ownCaption("lblFtpUser", "FTP Username:"),
    ownCaption("lblFtpPswd", "FTP Password:"),
    ownCaption("lblDescriptFile", "Description Filename:"),
    ownCaption("gbFtpDescFormat", "Format of Description File"),
    // Access point profiles.
    ownCaption("gbApProfile", "Access Point Profile"),
    ownTip("lbxApProfile", "Double Click to Show Detail"),
    ownCaption("btnUpAp", "&Up"),
    ownCaption("btnDownAp", "&Down"),
    ownCaption("btnAddAp", "&Add"),
    ownCaption("btnDelAp", "&Del"),
    ownCaption("Label12", "Security"),
    ownCaption("Label17", "Key:"),
    ownCaption("Label13", "EAP Type:"),
    ownCaption("Label14", "Username:"),
    ownCaption("Label15", "Password:"),
    ownCaption("lblSrvCer", "CA Certificate:"),
    ownCaption("btnSrvCerBrowse", "Browse..."),
    ownCaption("lblClientCer", "User Certificate:"),
    ownCaption("btnClientCerBrowse", "Browse..."),
    ownCaption("lblClientPrivacyKey", "Private Key:"),
    ownCaption("btnClientKeyBrowse", "Browse..."),
    ownCaption("lblHowToConvert", "How to Convert PKCS#12 (.pfx .p12) to DER && KEY"),
    // File manager.
    ownItem("ComboBoxFileType", 4, "Printer BASIC File"),
    ownItem("ComboBoxFileType", 5, "Data File"),
    ownItem("ComboBoxFileType", 6, "Firmware File"),
    ownItem("ComboBoxFileType", 7, "TCF File"),
    ownCaption("LabelPhysicalUnit", "KB"),
    ownCaption("LabelFreeUnit", "KB"),
    // Font manager.
    ownCaption("LabelFontCodePage", "Code Page"),
    ownItem("ComboBoxSEncode", 0, "Standard Mapping"),
    ownItem("ComboBoxSEncode", 1, "Full ASCII Mapping"),
    ownItem("ComboBoxSEncode", 2, "Customer Mapping"),
    // Command tool.
    ownCaption("RadioGroupSelect", "Editor"),
    ownPlaceholder("ComboBoxHistory", "History"),
    ownTip("ComboBoxHistory", "Texts sent before: choose one to edit it again"),
    ownTip("ComboBoxTextEncoding",
           "Encoding of the editor's text on the printer (Auto: the printer text encoding)"),
};

constexpr OwnTextBinding kOwnRs232Setup[] = {
    ownItem("ComboBoxParity", 0, "None"), ownItem("ComboBoxParity", 1, "Odd"),
    ownItem("ComboBoxParity", 2, "Even"), ownItem("ComboBoxHdShak", 0, "None"),
    ownItem("ComboBoxSWShak", 0, "None"),
};

constexpr OwnTextBinding kOwnPreviewFont[] = {
    ownCaption("ButtonBitmap", "Bitmap"),
};

constexpr OwnTextBinding kOwnActiveEmulation[] = {
    ownTitle("Emulation Setup"),
    ownCaption("RadioGroupActiveEmulation", "Active Emulation"),
    ownCaption("Button1", "Set"),
};

struct DialogOwnTable {
    const char* name;
    std::span<const OwnTextBinding> bindings;
};

constexpr DialogOwnTable kOwnDialogs[] = {
    {"TFormRs232Setup", kOwnRs232Setup},
    {"TFormPreviewFont", kOwnPreviewFont},
    {"TActiveEmu", kOwnActiveEmulation},
};

}  // namespace

std::span<const OwnTextBinding> mainWindowOwnTexts() {
    return kOwnMainWindow;
}

std::span<const OwnTextBinding> dialogOwnTexts(std::string_view dialogClass) {
    const auto* it = std::find_if(std::begin(kOwnDialogs), std::end(kOwnDialogs),
                                  [&](const DialogOwnTable& d) { return dialogClass == d.name; });
    return it == std::end(kOwnDialogs) ? std::span<const OwnTextBinding>() : it->bindings;
}

}  // namespace m350::gui
