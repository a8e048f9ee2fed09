// SPDX-License-Identifier: MIT
#include "core/config/config_diff.h"

#include <charconv>
#include <cmath>

#include "core/config/config_write.h"

namespace m350 {

namespace {

using F = Field;

std::string realText(double v, int decimals) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

std::string shortestText(float v) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// Lengths the common page writes in inch or mm.
bool writtenInUnits(Field f) {
    return f == F::paperWidth || f == F::paperHeight || f == F::gapSize || f == F::gapOffset;
}

// Lengths page "D" writes in hundredths of an inch.
bool writtenInHundredths(Field f) {
    return f == F::dLabelWidth || f == F::dColumnOffset || f == F::dRowOffset;
}

void addPresent(const ConfigRecord& r, std::vector<Field>& out, std::initializer_list<Field> fs) {
    for (Field f : fs)
        if (r.present(f)) out.push_back(f);
}

}  // namespace

std::vector<Field> fieldsWrittenBy(const ConfigRecord& r, int page) {
    std::vector<Field> out;
    switch (page) {
        case kPageCommon: {
            addPresent(r, out,
                       {F::speed, F::density, F::paperWidth, F::paperHeight, F::sensorMode,
                        F::gapSize, F::gapOffset, F::printOut});
            if (r.present(F::printOut) && r.integer(F::printOut) == 3 && r.present(F::cutterPiece))
                out.push_back(F::cutterPiece);
            addPresent(
                r, out,
                {F::referenceX, F::referenceY, F::direction, F::mirror, F::offset, F::shiftX,
                 F::shiftY, F::ribbon, F::ribbonSensor, F::ribbonEncoder, F::codePage,
                 F::countryCode, F::displayLanguage, F::headSensor, F::reprint, F::maxLength});
            // The intensity of the sensor in use is the one the write sends.
            const Field intensity[] = {F::gapInten, F::blineInten, F::conInten};
            const int mode = r.integer(F::sensorMode);
            if (mode >= 0 && mode <= 2 && r.present(intensity[mode]))
                out.push_back(intensity[mode]);
            addPresent(r, out, {F::autoThreshold});
            break;
        }
        case kPageZ:
            addPresent(r, out,
                       {F::zDarkness, F::zSpeed, F::zPosition, F::zPrintMode, F::zLabelWidth,
                        F::zControl, F::zFormat, F::zDelimiter, F::zFeedPowerUp, F::zFeedHeadClose,
                        F::zLabelTop, F::zLabelShift});
            break;
        case kPageD:
            addPresent(r, out,
                       {F::dHeat, F::dSpeed, F::dLabelWidth, F::dPresentSensor, F::dCutterEquipped,
                        F::dControlCodes, F::dColumnOffset, F::dRowOffset});
            break;
        case kPageRs232:
            // The four go out together or not at all.
            if (r.present(F::baudRate) && r.present(F::dataBits) && r.present(F::parity) &&
                r.present(F::stopBits))
                out = {F::baudRate, F::dataBits, F::parity, F::stopBits};
            break;
        case kPageWireless:
            if (!r.byte(F::wifiPresent)) break;
            {
                addPresent(r, out, {F::wifiSsid, F::wifiSecurity});
                // The key goes out for WEP and WPA-PSK, the EAP login for WPA-EAP only.
                const int security = r.present(F::wifiSecurity) ? r.integer(F::wifiSecurity) : 0;
                if (security >= 1 && security <= 5) addPresent(r, out, {F::wifiKey});
                if (security == 6)
                    addPresent(r, out, {F::wifiEap, F::wifiUsername, F::wifiPassword});
                addPresent(r, out,
                           {F::wifiIp, F::wifiMask, F::wifiGateway, F::wifiPrintName, F::wifiFreq,
                            F::wifiRoamTrigger, F::wifiRoamDelta, F::wifiRawPort});
                break;
            }
        case kPageBluetooth:
            if (r.byte(F::btPresent)) addPresent(r, out, {F::btPinCode, F::btName});
            break;
        case kPageFtpUpdate:
            addPresent(r, out,
                       {F::ftpClientEnabled, F::ftpServer, F::ftpPath, F::ftpDescriptionFile,
                        F::ftpUser, F::ftpPassword});
            break;
        default:
            break;
    }
    return out;
}

std::vector<Field> comparableFields() {
    std::vector<Field> out;
    // The unit choice is the form's, not a printer setting.
    for (const FieldInfo& info : fieldTable())
        if (info.kind != FieldKind::kRaw && info.field != F::inchUnits) out.push_back(info.field);
    return out;
}

std::optional<std::string> comparedValue(const ConfigRecord& r, Field f, bool inch) {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.flagged && !r.present(f)) return std::nullopt;
    if (writtenInUnits(f)) {
        if (auto units = dotsToUnits(r, r.number(f), inch)) return unitsText(*units);
        return realText(r.number(f), 0) + " dots";
    }
    if (writtenInHundredths(f)) {
        const double dpi = r.real(F::dpi);
        if (dpi > 0.0 && std::isfinite(dpi))
            return realText(std::floor(r.number(f) * 100.0 / dpi + 0.5) / 100.0, 2);
        return realText(r.number(f), 0) + " dots";
    }
    if (f == F::speed || f == F::dSpeed) return realText(r.real(f), 1);
    if (f == F::maxLength) return realText(r.real(f), 2);
    switch (info.kind) {
        case FieldKind::kInt:
            return std::to_string(r.integer(f));
        case FieldKind::kReal:
            return shortestText(r.real(f));
        case FieldKind::kText:
            return r.text(f);
        case FieldKind::kChar:
            return r.character(f) ? std::string(1, r.character(f)) : std::string();
        case FieldKind::kByte:
        case FieldKind::kRaw:
            return std::to_string(r.byte(f));
    }
    return std::nullopt;
}

std::vector<FieldDifference> diffConfig(const ConfigRecord& left, const ConfigRecord& right,
                                        const std::vector<Field>& fields, bool inch) {
    std::vector<FieldDifference> out;
    for (Field f : fields) {
        auto a = comparedValue(left, f, inch);
        auto b = comparedValue(right, f, inch);
        if (a != b) out.push_back({f, std::move(a), std::move(b)});
    }
    return out;
}

}  // namespace m350
