// SPDX-License-Identifier: MIT
#include "gui/pages/config_binding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "gui/pages/wireless_enable_rules.h"

namespace m350::gui {

namespace {

using F = Field;
using R = BindRule;

constexpr ConfigBinding kBindings[] = {
    // Printer information box.
    {"EditVersion", F::version, R::kInfoText},
    {"EditMilage", F::mileage, R::kInfoText},
    {"EditResetMilage", F::resetMileage, R::kInfoText},
    {"EditChecksum", F::checksum, R::kInfoText},
    {"EditSerial", F::serial, R::kInfoText},
    {"EditCuttingCounter", F::cutCounter, R::kInfoCount},
    {"EditResetCuttingCounter", F::resetCutCounter, R::kInfoCount},
    // Common. The post-print action comes before the cutter piece, whose rule
    // looks at the list.
    {"EditSpeed", F::speed, R::kSpeed},
    {"ComboBoxDensity", F::density, R::kItemPlusOne},
    {"EditDensityBase", F::densityBase, R::kBase},
    {"EditWidth", F::paperWidth, R::kLengthReal},
    {"EditHeight", F::paperHeight, R::kLengthReal},
    {"ComboBoxMediaSensor", F::sensorMode, R::kItemPlusOne},
    {"EditGapSize", F::gapSize, R::kLengthReal},
    {"EditGapOffset", F::gapOffset, R::kLengthReal},
    {"ComboBoxPrintOut", F::printOut, R::kItemPlusOne},
    {"EditCutterPiece", F::cutterPiece, R::kCutterPiece},
    {"EditReferenceX", F::referenceX, R::kInteger},
    {"EditReferenceY", F::referenceY, R::kInteger},
    {"ComboBoxDirection", F::direction, R::kItemPlusOne},
    {"ComboBoxMirror", F::mirror, R::kItemPlusOne},
    {"EditOffset", F::offset, R::kInteger},
    {"EditOffsetBase", F::offsetBase, R::kBase},
    {"EditShiftY", F::shiftY, R::kInteger},
    {"EditShiftYBase", F::shiftYBase, R::kBase},
    {"EditShiftX", F::shiftX, R::kInteger},
    {"EditShiftXBase", F::shiftXBase, R::kBase},
    {"ComboBoxRibbon", F::ribbon, R::kItemPlusOne},
    {"ComboBoxRibbonSensor", F::ribbonSensor, R::kItemPlusOne},
    {"ComboBoxRibbonEncoder", F::ribbonEncoder, R::kItemPlusOne},
    {"ComboBoxCodePage", F::codePage, R::kItemPlusOne},
    {"ComboBoxCountryCode", F::countryCode, R::kItemPlusOne},
    {"ComboBoxDisplayLanguage", F::displayLanguage, R::kItemPlusOne},
    {"ComboBoxHead", F::headSensor, R::kItemPlusOne},
    {"ComboBoxReprint", F::reprint, R::kItemPlusOne},
    {"EditMaximumLength", F::maxLength, R::kLengthReal},
    {"EditGapInten", F::gapInten, R::kInteger},
    {"EditBlineInten", F::blineInten, R::kInteger},
    {"EditContinuousInten", F::conInten, R::kInteger},
    {"ComboBoxThreshold", F::autoThreshold, R::kItemPlusOne},
    // Z.
    {"EditDarknessZ", F::zDarkness, R::kInteger},
    {"EditPrintSpeedZ", F::zSpeed, R::kInteger},
    {"EditTearOffZ", F::zPosition, R::kInteger},
    {"ComboBoxPrintModeZ", F::zPrintMode, R::kItem},
    {"EditPrintWidthZ", F::zLabelWidth, R::kLengthInt},
    {"EditControlPrefixZ", F::zControl, R::kCharacter},
    {"EditFormatPrefixZ", F::zFormat, R::kCharacter},
    {"EditDelimiterCharZ", F::zDelimiter, R::kCharacter},
    {"ComboBoxMediaPowerUpZ", F::zFeedPowerUp, R::kItem},
    {"ComboBoxHeadCloseZ", F::zFeedHeadClose, R::kItem},
    {"EditLabelTopZ", F::zLabelTop, R::kInteger},
    {"EditLeftPositionZ", F::zLabelShift, R::kInteger},
    // D.
    {"EditHeatD", F::dHeat, R::kInteger},
    {"EditPrintSpeedD", F::dSpeed, R::kReal},
    {"EditLabelWidthD", F::dLabelWidth, R::kLengthInt},
    {"ComboBoxPresentSensorD", F::dPresentSensor, R::kItem},
    {"ComboBoxCutterEquippedD", F::dCutterEquipped, R::kItem},
    {"ComboBoxControlCodesD", F::dControlCodes, R::kItem},
    {"EditColumnOffsetD", F::dColumnOffset, R::kLengthInt},
    {"EditRowOffsetD", F::dRowOffset, R::kLengthInt},
    // RS-232.
    {"ComboBoxBaudrate", F::baudRate, R::kItem},
    {"ComboBoxDatabit", F::dataBits, R::kItemPlusOne},
    {"ComboBoxParity", F::parity, R::kItemPlusOne},
    {"ComboBoxStopBit", F::stopBits, R::kItemPlusOne},
};

// What each number box takes. Lengths take the range of their unit.
struct BoxRule {
    std::string_view control;
    NumberRule rule;
};
constexpr BoxRule kNumberRules[] = {
    {"EditSpeed", ranges::kSpeed},
    {"EditCutterPiece", ranges::kCount},
    {"EditReferenceX", ranges::kAnyDots},
    {"EditReferenceY", ranges::kAnyDots},
    {"EditOffset", ranges::kAnyDots},
    {"EditShiftY", ranges::kAnyDots},
    {"EditShiftX", ranges::kAnyDots},
    {"EditGapInten", ranges::kSensorIntensity},
    {"EditBlineInten", ranges::kSensorIntensity},
    {"EditContinuousInten", ranges::kSensorIntensity},
    {"EditDarknessZ", ranges::kZDarkness},
    {"EditPrintSpeedZ", ranges::kCount},
    {"EditTearOffZ", ranges::kZTearOff},
    {"EditLabelTopZ", ranges::kZLabelTop},
    {"EditLeftPositionZ", ranges::kZLeftPosition},
    {"EditHeatD", ranges::kDHeat},
    {"EditPrintSpeedD", ranges::kDSpeed},
    {"edtRoamRssi", ranges::kRoamTrigger},
    {"edtScanRssi", ranges::kRoamDelta},
    {"edtWifiRawPort", ranges::kTcpPort},
};

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string decimal(std::int32_t v) {
    return std::to_string(v);
}

// A typed text cut to what its field holds happens in setText; the view only
// hands over the bytes.
void showText(ConfigFormView& view, std::string_view control, const ConfigRecord& r, Field f) {
    view.setText(control, r.present(f) ? r.text(f) : std::string());
}

// The resolution lengths are shown and typed with in a unit.
double resolutionOf(const ConfigRecord& r, bool inch) {
    return inch ? r.real(F::dpi) : r.real(F::dotsPerMm);
}

bool isLength(BindRule rule) {
    return rule == R::kLengthReal || rule == R::kLengthInt;
}

void showBinding(const ConfigBinding& b, const ConfigRecord& r, bool inch, ConfigFormView& view,
                 ShownLengths* lengths) {
    const bool present = r.present(b.field);
    switch (b.rule) {
        case R::kInfoText:
            view.setText(b.control, r.text(b.field));
            break;
        case R::kInfoCount:
            view.setText(b.control, decimal(r.integer(b.field)));
            break;
        case R::kReal:
            view.setText(b.control, present ? formatGeneral(r.real(b.field)) : std::string());
            break;
        case R::kSpeed:
            // The speed and the three prefix characters (below) show their
            // value even when the printer has not told it: the reset record
            // holds real starting values for them (3 ips, "~", "^", ","),
            // which Clear shows and a Set then sends as typed.
            view.setText(b.control, formatGeneral(r.real(b.field)));
            break;
        case R::kLengthReal:
        case R::kLengthInt: {
            std::string shown;
            if (lengths) lengths->forget(b.control);
            if (present) {
                // A record with no usable resolution (a damaged file) shows
                // the box empty rather than a division by zero.
                const double dots = r.number(b.field);
                if (auto units = dotsToUnits(r, dots, inch)) {
                    shown = formatUnits(*units);
                    if (lengths)
                        lengths->remember(b.control, {shown, dots, resolutionOf(r, inch), inch});
                }
            }
            view.setText(b.control, shown);
            break;
        }
        case R::kInteger:
            view.setText(b.control, present ? decimal(r.integer(b.field)) : std::string());
            break;
        case R::kCutterPiece: {
            constexpr int kCutterItem = 4;
            const bool cutter = view.item("ComboBoxPrintOut") == kCutterItem;
            view.setText(b.control,
                         present && cutter ? decimal(r.integer(b.field)) : std::string());
            break;
        }
        case R::kBase: {
            const bool shown = present && r.integer(b.field) != 0;
            view.setVisible(b.control, shown);
            view.setText(b.control, shown ? decimal(r.integer(b.field)) : std::string());
            break;
        }
        case R::kItemPlusOne:
            view.setItem(b.control, present ? r.integer(b.field) + 1 : -1);
            break;
        case R::kItem:
            view.setItem(b.control, present ? r.integer(b.field) : -1);
            break;
        case R::kCharacter: {
            const char c = r.character(b.field);
            view.setText(b.control, c != '\0' ? std::string(1, c) : std::string());
            break;
        }
    }
}

void showBluetooth(const ConfigRecord& r, ConfigFormView& view) {
    static constexpr std::string_view kControls[] = {"LabelBTName",      "LabelBTPinCode",
                                                     "EditBTName",       "EditBTPinCode",
                                                     "EditBTMACAddress", "EditBTSoftware"};
    for (auto c : kControls) view.setEnabled(c, false);
    // Without Bluetooth the boxes keep whatever they showed before.
    if (!r.byte(F::btPresent)) return;
    for (auto c : {"LabelBTName", "LabelBTPinCode", "EditBTName", "EditBTPinCode"})
        view.setEnabled(c, true);
    showText(view, "EditBTName", r, F::btName);
    showText(view, "EditBTPinCode", r, F::btPinCode);
    showText(view, "EditBTMACAddress", r, F::btLocalMac);
    showText(view, "EditBTSoftware", r, F::btVersion);
}

void showWireless(const ConfigRecord& r, ConfigFormView& view) {
    static constexpr std::string_view kOff[] = {
        "LabelWiFiSSID",    "LabelWiFiEncryption", "LabelWiFiKey",
        "LabelWiFiDHCP",    "LabelWiFiIP",         "LabelWiFiMask",
        "LabelWiFiGateway", "EditWiFiSSID",        "ComboBoxWiFiEncryption",
        "EditWiFiKey",      "ComboBoxWiFiDHCP",    "EditWiFiIP",
        "EditWiFiMask",     "EditWiFiGateway",     "edtWiFiDnsSrvIp",
        "edtRoamRssi",      "edtScanRssi"};
    for (auto c : kOff) view.setEnabled(c, false);
    if (!r.byte(F::wifiPresent)) return;

    // 1. What a printer with the module can always change.
    static constexpr std::string_view kOn[] = {"LabelWiFiSSID", "LabelWiFiEncryption",
                                               "LabelWiFiKey",  "LabelWiFiDHCP",
                                               "EditWiFiSSID",  "ComboBoxWiFiEncryption",
                                               "EditWiFiKey",   "ComboBoxWiFiDHCP",
                                               "edtRoamRssi",   "edtScanRssi"};
    for (auto c : kOn) view.setEnabled(c, true);

    // 2. SSID, and the security choices back to none.
    showText(view, "EditWiFiSSID", r, F::wifiSsid);
    view.setItem("ComboBoxWiFiEncryption", 0);
    view.setItem("cbxWiFiEapType", 0);
    view.setText("edtWiFiUsername", "");
    view.setText("edtWiFiPasswd", "");

    // 3. Security, with the enterprise details for WPA-Enterprise.
    if (r.present(F::wifiSecurity)) {
        const int security = r.integer(F::wifiSecurity);
        view.setItem("ComboBoxWiFiEncryption", security);
        if (security == kEncryptionWpaEnterprise) {
            const int eapType = r.integer(F::wifiEap) >> 4;
            view.setItem("cbxWiFiEapType", eapType);
            view.eapTypeChanged();
            view.setText("edtWiFiUsername", r.text(F::wifiUsername));
            view.setText("edtWiFiPasswd", r.text(F::wifiPassword));
            auto showName = [&](std::string_view control, Field f) {
                const std::string name = r.text(f);
                if (!name.empty()) view.setText(control, name);
            };
            showName("edtWiFiSrvCerPath", F::wifiCaCert);
            if (view.item("cbxWiFiEapType") == kEapTls) {
                showName("edtWiFiClientCerPath", F::wifiClientCert);
                showName("edtWiFiPrivKeyPath", F::wifiPrivateKey);
            }
        }
        view.encryptionChanged();
    }

    // 4. Key.
    showText(view, "EditWiFiKey", r, F::wifiKey);

    // 5. MAC address; all zeros is a printer without a working module.
    const std::string mac = r.text(F::wifiMac);
    view.setText("edtWiFiMac", mac);
    view.setMacNoModule(mac == kNoModuleMac);

    // 6. Network printer name, only when the printer told it.
    if (r.present(F::wifiPrintName)) view.setText("Edit1Printname", r.text(F::wifiPrintName));

    // 7. Addresses: static ones editable, DHCP ones shown as in use.
    view.setItem("ComboBoxWiFiDHCP", -1);
    if (r.present(F::wifiIp)) {
        view.setItem("ComboBoxWiFiDHCP", kDhcpOn);
        const std::string ip = r.text(F::wifiIp);
        if (ip != "0.0.0.0") {
            view.setItem("ComboBoxWiFiDHCP", kDhcpOff);
            for (auto c : {"LabelWiFiIP", "LabelWiFiMask", "LabelWiFiGateway", "EditWiFiIP",
                           "EditWiFiMask", "EditWiFiGateway"})
                view.setEnabled(c, true);
            view.setVisible("edtWiFiDnsSrvIp", true);
            view.setText("EditWiFiIP", ip);
            showText(view, "EditWiFiMask", r, F::wifiMask);
            showText(view, "EditWiFiGateway", r, F::wifiGateway);
        } else {
            view.setText("EditWiFiIP", r.text(F::wifiCurrentIp));
            view.setText("EditWiFiMask", r.text(F::wifiCurrentMask));
            view.setText("EditWiFiGateway", r.text(F::wifiCurrentGateway));
        }
    }

    // 8. Roaming and the raw port.
    auto showInt = [&](std::string_view control, Field f) {
        view.setText(control, r.present(f) ? decimal(r.integer(f)) : std::string());
    };
    showInt("edtRoamRssi", F::wifiRoamTrigger);
    showInt("edtScanRssi", F::wifiRoamDelta);
    showInt("edtWifiRawPort", F::wifiRawPort);
}

void showExternalModule(const ConfigRecord& r, ConfigFormView& view) {
    for (auto c : {"lblExBTName", "lblExBTPinCode", "edtExBTName", "edtExBTPinCode"})
        view.setEnabled(c, false);
    if (r.byte(F::extBtPresent)) {
        for (auto c : {"lblExBTName", "lblExBTPinCode", "edtExBTName", "edtExBTPinCode"})
            view.setEnabled(c, true);
        showText(view, "edtExBTName", r, F::extBtName);
        showText(view, "edtExBTPinCode", r, F::extBtPinCode);
    }
    if (!r.byte(F::extWifiPresent)) return;
    for (auto c : {"edtExWiFiSSID", "cbbExWiFiEncryption", "edtExWiFiKey", "cbbExWiFiDHCP"})
        view.setEnabled(c, true);
    showText(view, "edtExWiFiSSID", r, F::extWifiSsid);
    view.setItem("cbbExWiFiEncryption",
                 r.present(F::extWifiSecurity) ? r.integer(F::extWifiSecurity) : -1);
    showText(view, "edtExWiFiKey", r, F::extWifiKey);
    view.setItem("cbbExWiFiDHCP", -1);
    if (!r.present(F::extWifiIp)) return;
    view.setItem("cbbExWiFiDHCP", 2);
    const std::string ip = r.text(F::extWifiIp);
    const bool fixed = ip != "0.0.0.0";
    if (fixed) view.setItem("cbbExWiFiDHCP", 1);
    for (auto c : {"edtExWiFiIP", "edtExWiFiMask", "edtExWiFiGateway"}) view.setEnabled(c, fixed);
    if (fixed) {
        view.setText("edtExWiFiIP", ip);
        showText(view, "edtExWiFiMask", r, F::extWifiMask);
        showText(view, "edtExWiFiGateway", r, F::extWifiGateway);
    } else {
        view.setText("edtExWiFiIP", r.text(F::extWifiCurrentIp));
        view.setText("edtExWiFiMask", r.text(F::extWifiCurrentMask));
        view.setText("edtExWiFiGateway", r.text(F::extWifiCurrentGateway));
    }
}

void showFtp(const ConfigRecord& r, ConfigFormView& view) {
    view.setItem("cbxFtpcEnabled",
                 r.present(F::ftpClientEnabled) ? r.integer(F::ftpClientEnabled) : -1);
    showText(view, "edtFtpSrvIp", r, F::ftpServer);
    showText(view, "edtFtpPath", r, F::ftpPath);
    showText(view, "edtDescriptFile", r, F::ftpDescriptionFile);
    showText(view, "edtFtpUser", r, F::ftpUser);
    showText(view, "edtFtpPswd", r, F::ftpPassword);
}

// Dots of a length box: those it was filled with while it still shows them
// (in the record's resolution), else its text times the record's resolution.
// nullopt when the box holds no number.
std::optional<double> lengthDots(const ConfigBinding& b, const std::string& text,
                                 const ConfigRecord& r, bool inch, const ShownLengths* lengths) {
    const double resolution = resolutionOf(r, inch);
    if (const ShownLengths::Entry* e =
            lengths ? lengths->unchanged(b.control, text, inch) : nullptr) {
        if (e->resolution == resolution) return e->dots;
        // Shown with another resolution (a loaded file): the same length in
        // this record's dots, as if its exact value had been typed.
        if (!(e->resolution > 0)) return std::nullopt;
        const double dots = e->dots / e->resolution * resolution;
        if (b.rule == R::kLengthInt) {
            // Whole dots the way a typed value is cut, without letting the
            // division's last bit turn 812 into 811.
            const double near = std::round(dots);
            return std::fabs(dots - near) < 1e-6 ? near : std::trunc(dots);
        }
        return dots;
    }
    auto v = parseRealEntry(text);
    if (!v) return std::nullopt;
    const double dots = unitsToDots(r, *v, inch);
    return b.rule == R::kLengthInt ? std::trunc(dots) : dots;
}

// Builds the record from the view, stopping at the first box that cannot go
// to the printer.
class Builder {
  public:
    Builder(const ConfigFormView& view, bool inch, const ShownLengths* lengths)
        : view_(view), inch_(inch), lengths_(lengths) {}

    std::optional<BuildError> error;

    bool binding(const ConfigBinding& b, ConfigRecord& r);
    void wireless(ConfigRecord& r);

  private:
    bool fail(std::string_view control, BuildError::Reason reason, std::string detail = {}) {
        if (!error)
            error =
                BuildError{std::string(control), view_.text(control), reason, std::move(detail)};
        return false;
    }
    // The bytes of a text box for field f: nullopt (and the error set) for a
    // character the encoding cannot hold or more bytes than f keeps.
    std::optional<std::string> text(std::string_view control, Field f) {
        if (auto unheld = view_.unheldCharacter(control)) {
            fail(control, BuildError::Reason::kUnheldCharacter, *unheld);
            return std::nullopt;
        }
        std::string t = view_.text(control);
        if (!quotable(t)) {
            fail(control, BuildError::Reason::kUnquotable);
            return std::nullopt;
        }
        const std::size_t room = fieldInfoOf(f).width - 1u;
        if (t.size() > room) {
            fail(control, BuildError::Reason::kTooLong, std::to_string(room));
            return std::nullopt;
        }
        return t;
    }
    // A typed number against its box's range and precision; what the
    // program filled in goes back as it came. False (and the error set)
    // when it cannot go to the printer.
    bool inRange(std::string_view control, const std::string& text) {
        if (!view_.changed(control)) return true;
        const auto rule = numberRuleOf(control, inch_);
        if (!rule) return true;
        const NumberVerdict v = checkNumber(text, *rule);
        switch (v.fault) {
            case NumberFault::kOutOfRange:
                if (!error)
                    error =
                        BuildError{std::string(control), text,      BuildError::Reason::kOutOfRange,
                                   rangeText(*rule),     rule->min, rule->max};
                return false;
            case NumberFault::kTooPrecise:
                return fail(control, BuildError::Reason::kTooPrecise,
                            std::to_string(rule->decimals));
            case NumberFault::kNotANumber:
                return fail(control, BuildError::Reason::kNotANumber);
            default:
                return true;
        }
    }
    // Text boxes of the wireless and Bluetooth pages: built only from a box
    // that is shown and not empty.
    void shownText(std::string_view control, Field f, ConfigRecord& r) {
        r.setPresent(f, false);
        if (error || !view_.visible(control)) return;
        auto t = text(control, f);
        if (t && !t->empty()) r.setText(f, *t);
    }
    void address(std::string_view control, bool present) {
        if (error || !present || !view_.changed(control)) return;
        if (!isIpv4Address(view_.text(control))) fail(control, BuildError::Reason::kNotAnAddress);
    }
    void required(std::string_view control, bool present) {
        if (!error && !present && view_.visible(control)) fail(control, BuildError::Reason::kEmpty);
    }
    // Texts that go out even when empty.
    void alwaysText(std::string_view control, Field f, ConfigRecord& r) {
        if (error) return;
        if (auto t = text(control, f)) r.setText(f, *t);
    }

    const ConfigFormView& view_;
    bool inch_;
    const ShownLengths* lengths_;
};

// Builds one table entry into r; false when the box cannot go to the printer.
bool Builder::binding(const ConfigBinding& b, ConfigRecord& r) {
    if (b.rule == R::kInfoText || b.rule == R::kInfoCount || b.rule == R::kBase) return true;
    if (b.rule == R::kItemPlusOne || b.rule == R::kItem) {
        const int item = view_.item(b.control);
        if (item > 0) {
            r.setInteger(b.field, b.rule == R::kItemPlusOne ? item - 1 : item);
        } else {
            r.setPresent(b.field, false);
        }
        return true;
    }
    std::string text = view_.text(b.control);
    if (text.empty()) {
        // The cutter piece box stays empty while the post-print action is
        // not the cutter: a value it never showed stays as it is.
        constexpr int kCutterItem = 4;
        if (b.rule == R::kCutterPiece && view_.item("ComboBoxPrintOut") != kCutterItem) return true;
        r.setPresent(b.field, false);
        return true;
    }
    if (!inRange(b.control, text)) return false;
    switch (b.rule) {
        case R::kCharacter: {
            // The first character, when it is one byte (ASCII is in every
            // encoding offered); a character of several bytes does not fit.
            if (auto unheld = view_.unheldCharacter(b.control))
                return fail(b.control, BuildError::Reason::kUnheldCharacter, *unheld);
            // One character: a second one typed is refused, never dropped.
            if (text.size() > 1) return fail(b.control, BuildError::Reason::kTooLong, "1");
            r.setCharacter(b.field, text.front());
            return true;
        }
        case R::kInteger:
        case R::kCutterPiece: {
            auto v = parseIntegerEntry(text);
            if (!v) return fail(b.control, BuildError::Reason::kNotANumber);
            r.setInteger(b.field, *v);
            return true;
        }
        case R::kSpeed:
        case R::kReal: {
            if (b.rule == R::kSpeed) {
                if (auto comma = text.find(','); comma != std::string::npos) text[comma] = '.';
            }
            auto v = parseRealEntry(text);
            if (!v || std::fabs(*v) > std::numeric_limits<float>::max())
                return fail(b.control, BuildError::Reason::kNotANumber);
            r.setReal(b.field, static_cast<float>(*v));
            return true;
        }
        case R::kLengthReal:
        case R::kLengthInt: {
            auto dots = lengthDots(b, text, r, inch_, lengths_);
            if (!dots) return fail(b.control, BuildError::Reason::kNotANumber);
            if (b.rule == R::kLengthReal) {
                if (!std::isfinite(*dots) || std::fabs(*dots) > std::numeric_limits<float>::max())
                    return fail(b.control, BuildError::Reason::kNotANumber);
                r.setReal(b.field, static_cast<float>(*dots));
            } else {
                if (!(*dots >= std::numeric_limits<std::int32_t>::min() &&
                      *dots <= std::numeric_limits<std::int32_t>::max()))
                    return fail(b.control, BuildError::Reason::kNotANumber);
                r.setInteger(b.field, static_cast<std::int32_t>(*dots));
            }
            return true;
        }
        default:
            return true;
    }
}

void Builder::wireless(ConfigRecord& r) {
    shownText("EditBTPinCode", F::btPinCode, r);
    shownText("EditBTName", F::btName, r);
    shownText("EditWiFiSSID", F::wifiSsid, r);

    r.setPresent(F::wifiSecurity, false);
    if (view_.visible("ComboBoxWiFiEncryption")) {
        const int item = view_.item("ComboBoxWiFiEncryption");
        if (item >= 0) r.setInteger(F::wifiSecurity, item);
    }
    shownText("EditWiFiKey", F::wifiKey, r);

    r.setPresent(F::wifiPrintName, false);
    if (error) return;
    if (auto name = text("Edit1Printname", F::wifiPrintName); name && !name->empty())
        r.setText(F::wifiPrintName, *name);

    const std::pair<std::string_view, Field> numbers[] = {{"edtRoamRssi", F::wifiRoamTrigger},
                                                          {"edtScanRssi", F::wifiRoamDelta},
                                                          {"edtWifiRawPort", F::wifiRawPort}};
    for (const auto& [control, field] : numbers) {
        if (error) return;
        const std::string t = view_.text(control);
        if (t.empty()) {
            r.setPresent(field, false);
            continue;
        }
        auto v = parseIntegerEntry(t);
        if (!v) {
            fail(control, BuildError::Reason::kNotANumber);
            return;
        }
        if (!inRange(control, t)) return;
        r.setInteger(field, *v);
    }

    // The EAP type the printer told keeps its inner method as long as the
    // list still shows that type; a newly chosen type starts at method 1.
    const bool eapKnown = r.present(F::wifiEap);
    const std::int32_t eapRead = r.integer(F::wifiEap);
    r.setPresent(F::wifiEap, false);
    r.setPresent(F::wifiUsername, false);
    r.setPresent(F::wifiPassword, false);
    if (view_.visible("cbxWiFiEapType")) {
        const int eap = view_.item("cbxWiFiEapType");
        if (eap > 0) {
            r.setInteger(F::wifiEap, eapKnown && (eapRead >> 4) == eap && (eapRead & 15) != 0
                                         ? eapRead
                                         : eap * 16 + 1);
            alwaysText("edtWiFiUsername", F::wifiUsername, r);
            alwaysText("edtWiFiPasswd", F::wifiPassword, r);
        }
    }

    // With DHCP on, the address boxes show the addresses in use, not the
    // static ones: the static mask and gateway stay as they are, and the
    // address becomes "0.0.0.0", which asks for DHCP.
    constexpr int kDhcpOn = 2;
    if (view_.visible("ComboBoxWiFiDHCP") && view_.item("ComboBoxWiFiDHCP") == kDhcpOn) {
        r.setText(F::wifiIp, "0.0.0.0");
    } else {
        shownText("EditWiFiIP", F::wifiIp, r);
        shownText("EditWiFiMask", F::wifiMask, r);
        shownText("EditWiFiGateway", F::wifiGateway, r);
        address("EditWiFiIP", r.present(F::wifiIp));
        // A static address goes out with its mask and gateway: an emptied
        // box is refused, never filled with a value the page does not show.
        if (r.present(F::wifiIp)) {
            required("EditWiFiMask", r.present(F::wifiMask));
            required("EditWiFiGateway", r.present(F::wifiGateway));
        }
        address("EditWiFiMask", r.present(F::wifiMask));
        address("EditWiFiGateway", r.present(F::wifiGateway));
    }

    // Every FTP setting goes out, empty or not; no selection sends -1.
    r.setInteger(F::ftpClientEnabled, view_.item("cbxFtpcEnabled"));
    alwaysText("edtFtpSrvIp", F::ftpServer, r);
    alwaysText("edtFtpUser", F::ftpUser, r);
    alwaysText("edtFtpPswd", F::ftpPassword, r);
    alwaysText("edtFtpPath", F::ftpPath, r);
    alwaysText("edtDescriptFile", F::ftpDescriptionFile, r);
}

}  // namespace

std::span<const ConfigBinding> configBindings() {
    return kBindings;
}

const ConfigBinding* bindingOfControl(std::string_view control) {
    for (const auto& b : kBindings)
        if (b.control == control) return &b;
    return nullptr;
}

std::optional<NumberRule> numberRuleOf(std::string_view control, bool inch) {
    for (const auto& r : kNumberRules)
        if (r.control == control) return r.rule;
    if (const ConfigBinding* b = bindingOfControl(control); b && isLength(b->rule))
        return inch ? ranges::kLengthInch : ranges::kLengthMm;
    return std::nullopt;
}

void ShownLengths::remember(std::string_view control, Entry entry) {
    entries_[std::string(control)] = std::move(entry);
}

void ShownLengths::forget(std::string_view control) {
    if (auto it = entries_.find(control); it != entries_.end()) entries_.erase(it);
}

const ShownLengths::Entry* ShownLengths::unchanged(std::string_view control, std::string_view text,
                                                   bool inch) const {
    auto it = entries_.find(control);
    if (it == entries_.end() || it->second.text != text || it->second.inch != inch) return nullptr;
    return &it->second;
}

void showRecord(const ConfigRecord& record, bool inch, ConfigFormView& view,
                ShownLengths* lengths) {
    for (const auto& b : kBindings) showBinding(b, record, inch, view, lengths);
    showBluetooth(record, view);
    showWireless(record, view);
    showExternalModule(record, view);
    showFtp(record, view);
}

std::optional<BuildError> buildRecord(const ConfigFormView& view, bool inch, ConfigRecord& record,
                                      const ShownLengths* lengths) {
    // Built on a copy, so a bad entry leaves the caller's record as it was.
    ConfigRecord built = record;
    built.setByte(F::inchUnits, inch ? 1 : 0);
    Builder builder(view, inch, lengths);
    for (const auto& b : kBindings) {
        if (!builder.binding(b, built)) return builder.error;
    }
    builder.wireless(built);
    if (builder.error) return builder.error;
    record = built;
    return std::nullopt;
}

void convertLengths(ConfigFormView& view, const ConfigRecord& record, bool fromInch, bool toInch,
                    ShownLengths& lengths) {
    for (const auto& b : kBindings) {
        if (!isLength(b.rule)) continue;
        const std::string text = view.text(b.control);
        if (text.empty()) continue;
        auto dots = lengthDots(b, text, record, fromInch, &lengths);
        if (!dots || !std::isfinite(*dots)) continue;
        // What Set would store: single precision or whole dots.
        const double stored =
            b.rule == R::kLengthReal ? static_cast<double>(static_cast<float>(*dots)) : *dots;
        auto units = dotsToUnits(record, stored, toInch);
        if (!units) continue;
        const std::string shown = formatUnits(*units);
        view.setText(b.control, shown);
        lengths.remember(b.control, {shown, stored, resolutionOf(record, toInch), toInch});
    }
}

CertificateChoice certificatesFromForm(const ConfigFormView& view) {
    CertificateChoice choice;
    if (!view.visible("cbxWiFiEapType") || view.item("cbxWiFiEapType") <= 0) return choice;
    choice.taken = true;
    choice.caCert = view.text("edtWiFiSrvCerPath");
    choice.clientCert = view.text("edtWiFiClientCerPath");
    choice.privateKey = view.text("edtWiFiPrivKeyPath");
    return choice;
}

std::string formatGeneral(double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

std::string formatUnits(double value) {
    return unitsText(value);
}

std::optional<std::int32_t> parseIntegerEntry(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    std::int32_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::optional<double> parseRealEntry(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    // Digits, a point and an exponent only: no "inf", "nan" or hex forms.
    for (char c : text) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == 'e' ||
              c == 'E'))
            return std::nullopt;
    }
    double v = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

}  // namespace m350::gui
