// SPDX-License-Identifier: MIT
// Default settings of each profile and the reports computed from several settings.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>

#include "commands.h"

namespace m350::sim {

void loadDefaults(Printer& p, const Profile& profile) {
    const bool dpi300 = profile.dpi == 300;
    const double dpi = dpi300 ? 300.0 : 203.0;
    auto dots = [dpi](double inches) {
        return std::to_string(static_cast<long>(inches * dpi + 0.5));
    };

    // Identity and counters.
    p.set("DPI", dpi300 ? "300" : "203");
    p.set("EDITION", std::to_string(profile.edition));
    p.set("VERSION", dpi300 ? "M350-300 V2.07 SIM" : "M350-203 V2.07 SIM");
    p.set("MILAGE", "12.3");
    p.set("CHECKSUM", "5A3C0F12");
    p.set("_SERIAL$", "SIM350000001");
    p.set("PASSWORD", "");

    // Common settings. The speed has a fraction, so everyday runs show
    // whether a value survives being shown and sent back.
    p.set("SPEED", "2.5");
    p.set("DENSITY", "8");
    p.set("DENSITYBASE", "8");
    p.set("PAPERWIDTH", dots(4.0));
    p.set("PAPERHEIGHT", dots(3.0));
    p.set("SENSORMODE", "0");
    p.set("GAPSIZE", dots(0.12));
    p.set("GAPOFFSET", "0");
    p.set("PRINTOUT", "0");
    p.set("CUTTERPIECE", "1");
    p.set("REFERENCEX", "0");
    p.set("REFERENCEY", "0");
    p.set("DIRCTION", "0");
    p.set("MIRROR", "0");
    p.set("OFFSET", "0");
    p.set("OFFSETBASE", "0");
    p.set("SHIFT", "0");
    p.set("SHIFTBASE", "0");
    p.set("SHIFTX", "0");
    p.set("SHIFTXBASE", "0");
    p.set("RIBBON", "1");
    p.set("CODEPAGE", "850");
    p.set("COUNTRY", "001");
    p.set("HEAD", "1");
    p.set("GAPINTEN", "4");
    p.set("BLINEINTEN", "5");
    p.set("CONINTEN", "6");
    p.set("BAUDRATE", "9600");
    p.set("DATABIT", "8");
    p.set("PARITY", "None");
    p.set("STOPBIT", "1");
    p.set("REPRINT", "1");

    // The two emulations.
    p.set("ZDARKNESS", "15");
    p.set("ZSPEED", "4");
    p.set("ZPOSITION", "0");
    p.set("ZPRINTMODE", "T");
    p.set("ZLABELWIDTH", dots(4.0));
    p.set("ZCONTROL", "~");
    p.set("ZFORMAT", "^");
    p.set("ZDELIMITER", ",");
    p.set("ZFEEDPOWERUP", "C");
    p.set("ZFEEDHEADCLOSE", "C");
    p.set("ZLABELTOP", "0");
    p.set("ZLABELSHIFT", "0");
    p.set("DHEAT", "10");
    p.set("DSPEED", "G");  // 4.0 inches per second
    p.set("DLABELWIDTH", dots(4.0));
    p.set("DPRESENTSENSOR", "N");
    p.set("DCUTTEREQUIPPED", "N");
    p.set("DCONTROLCODES", "S");
    p.set("DCOLUMNOFFSET", "0");
    p.set("DROWOFFSET", "0");

    // Counters and sensors.
    p.set("CUTCOUNTER", "42");
    p.set("MAXLENGTH", dots(10.0));
    p.set("RESETMILAGE", "1.5");
    p.set("RESETCUTCOUNTER", "7");
    p.set("RIBBONSENSOR", "1");
    p.set("RIBBONENCODER", "1");
    p.set("AUTOTHRESHOLD", "1");

    // Bluetooth.
    p.set("ISBT", profile.bluetooth ? "1" : "0");
    p.set("BTPINCODE", "0000");
    p.set("BTNAME", "M350-BT");
    p.set("BTVERSION", "BT 4.2.1");
    p.set("BTLOCALMAC", "02:00:00:35:0B:01");

    // Wireless.
    const std::string& w = profile.wifi;
    const bool wifi = w != "off";
    p.set("ISWIFI", wifi ? "1" : "0");
    p.set("WIFISSID", "SimNet");
    p.set("_WPAKEY", w == "wpa" ? "simsecret123" : "");
    p.set("_WEPKEY1", w == "wep" ? "0123456789" : "");
    p.set("_WEPKEY2", "");
    p.set("_WEPKEY3", "");
    p.set("_WEPKEY4", "");
    p.set("WIFISECUR", w == "wpa" ? "5" : w == "wep" ? "1" : w == "eap" ? "6" : "0");
    p.set("WIFIKEYINDEX", "1");
    p.set("WIFIEAP", "33");  // type 2, inner method 1
    p.set("WIFIUSERNAME", w == "eap" ? "simuser" : "");
    p.set("WIFIPASSWD", w == "eap" ? "simpass" : "");
    p.set("WIFICACERT", "");
    p.set("WIFICLTCERT", "");
    p.set("WIFIPRIVKEY", "");
    p.set("WIFIIP", "0.0.0.0");
    p.set("WIFIMASK", "255.255.255.0");
    p.set("WIFIGATEWAY", "0.0.0.0");
    // Longer than the 32 characters the window lets the operator type.
    p.set("WIFIPRINTNAME", "M350-SIM-warehouse-north-dock-labeller-7");
    p.set("WIFIFREQ", "2.4");
    p.set("WIFIROAMTRIG", "-70");
    p.set("WIFIROAMDELTA", "10");
    p.set("WIFIRAWPORT", "9100");
    p.set("WIFIMAC", "02:00:00:35:0A:01");
    p.set("WIFICIP", "127.0.0.50");
    p.set("WIFICMASK", "255.0.0.0");
    p.set("WIFICGATEWAY", "127.0.0.1");
    p.set("LANGUAGE", "ENGLISH");

    // Wired network interface.
    p.set("CONFIGIP", "0.0.0.0");
    p.set("IPMASK", "255.0.0.0");
    p.set("GATEWAY", "127.0.0.1");
    p.set("LASTUSEDIP", "127.0.0.1");
    p.set("NETNAME", "M350-SIM");
    p.set("MACADDR", "02:00:00:35:00:01");

    // Sensor threshold and the emulation the printer runs.
    p.set("THRESHOLD", "30");
    p.set("ACT_EMULATION", "0");

    // Memory devices, in KB (as the utility labels them): 1 GiB DRAM, 4 GiB
    // FLASH, a 2 GiB card. Free space follows the stored files (computedReport).
    p.set("DPHYSPACE", "1048576");
    p.set("FPHYSPACE", "4194304");
    p.set("CPHYSPACE", "2097152");
}

std::optional<std::vector<std::string>> sensorReadings(const Printer& p, const std::string& key) {
    if (key != "GAPSENSOR" && key != "BLINESENSOR") return std::nullopt;
    // One frame per intensity level, for what lies under the sensor now.
    std::vector<std::string> out;
    for (long v : p.sensorCurve(key == "BLINESENSOR")) out.push_back(std::to_string(v));
    return out;
}

void loadSensorCurves(Printer& p) {
    // Sixteen levels. The gap sensor looks through the media: the liner alone
    // lets more light through than liner and label together. The black-mark
    // sensor sees the light the media reflects: little from the mark, much
    // from the paper. Both saturate at the top of their range.
    auto curve = [](long start, long step) {
        std::vector<long> v;
        for (long i = 0; i < 16; ++i) v.push_back(std::min(1023L, start + step * i));
        return v;
    };
    p.gapSensor = {curve(50, 70), curve(40, 25)};
    p.blineSensor = {curve(30, 20), curve(60, 60)};
}

bool parseSensorCurve(std::string_view text, Printer::SensorCurve& out) {
    auto list = [](std::string_view part, std::vector<long>& values) {
        values.clear();
        std::size_t pos = 0;
        while (pos <= part.size()) {
            std::size_t comma = part.find(',', pos);
            if (comma == std::string_view::npos) comma = part.size();
            std::string item(part.substr(pos, comma - pos));
            char* end = nullptr;
            long v = std::strtol(item.c_str(), &end, 10);
            if (item.empty() || *end || v < -1000000 || v > 1000000) return false;
            values.push_back(v);
            pos = comma + 1;
        }
        return !values.empty() && values.size() <= 128;
    };
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return false;
    Printer::SensorCurve curve;
    if (!list(text.substr(0, slash), curve.liner) || !list(text.substr(slash + 1), curve.label))
        return false;
    out = std::move(curve);
    return true;
}

namespace {

// The count, CR, then each entry and CR.
std::string scanList(const std::vector<std::string>& entries) {
    std::string payload = std::to_string(entries.size()) + "\r";
    for (const auto& e : entries) payload += e + "\r";
    return payload;
}

}  // namespace

std::string accessPointScan(const Printer& p) {
    if (p.get("ISWIFI") != "1") return "-1\r";
    if (p.accessPoints) return scanList(*p.accessPoints);
    return "3\rSimNet,2,-41\rGuestNet,0,-67\rOldLab,1,-80\r";
}

std::string bluetoothScan(const Printer& p) {
    if (p.get("ISBT") != "1") return "-1\r";
    if (p.bluetoothDevices) return scanList(*p.bluetoothDevices);
    return "2\rScanner-A,02:00:00:42:00:0A\rHandheld-7,02:00:00:42:00:0B\r";
}

std::string moduleAnswer(Printer& p, std::string_view command) {
    std::string c(command);
    for (auto& ch : c) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (c == "AT+STA") return "\r\n+STA:1\r\n";
    if (c == "AT+GLN") return "\r\n+LN:" + p.moduleName + "\r\n";
    if (c.rfind("AT+SLN=", 0) == 0) {
        p.moduleName = std::string(command.substr(7));
        return "\r\n1\r\n";
    }
    if (c.rfind("AT+PIN=", 0) == 0) {
        p.modulePin = std::string(command.substr(7));
        return "\r\n1\r\n";
    }
    return "\r\nERROR\r\n";
}

std::optional<std::string> computedReport(const Printer& p, const std::string& key) {
    // Internal settings (leading underscore) are not report keys.
    if (!key.empty() && key[0] == '_') return std::nullopt;
    const std::string secur = p.get("WIFISECUR");
    if (key == "WIFIWPA") return secur == "5" ? p.get("_WPAKEY") : std::string();
    if (key == "WIFIWEP") {
        if (secur.size() == 1 && secur[0] >= '1' && secur[0] <= '4')
            return p.get("_WEPKEY" + secur);
        return std::string();
    }
    if (key == "DFREESPACE" || key == "FFREESPACE" || key == "CFREESPACE") {
        // In KB, like the physical size: what the empty device offers (its
        // physical size, or the free space set for it) less every stored file,
        // each taking whole kilobytes.
        const std::string& base = p.has(key) ? key : std::string(1, key[0]) + "PHYSPACE";
        long long free = std::strtoll(p.get(base).c_str(), nullptr, 10);
        for (const auto& f : p.files(key[0]))
            free -= static_cast<long long>((f.size + 1023) / 1024);
        return std::to_string(free < 0 ? 0 : free);
    }
    if (key == "SCANAP") return accessPointScan(p);
    // The emulation switch (ESC Y, ESC Z) decides what is active from then on.
    if (key == "ACT_EMULATION" && p.emulation == "Y") return std::string("1");
    if (key == "ACT_EMULATION" && p.emulation == "Z") return std::string("0");
    if (key == "SCANBT") return bluetoothScan(p);
    static const char* clock[] = {"YEAR", "MONTH", "DATE", "HOUR", "MINUTE", "SECOND"};
    for (int i = 0; i < 6; ++i) {
        if (key != clock[i] || p.has(key)) continue;
        // A clock never set runs on the machine's local time.
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        int v[] = {tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
        return std::to_string(v[i]);
    }
    return std::nullopt;
}

}  // namespace m350::sim
