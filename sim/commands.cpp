// SPDX-License-Identifier: MIT
#include "commands.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace m350::sim {

namespace {

using Handler = std::function<bool(Printer&, const std::string& args)>;

// One command of the language: its leading words and what it does to the state.
struct Command {
    const char* words;
    Handler apply;
};

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::optional<double> number(std::string_view text) {
    std::string t = trim(text);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<long> integer(std::string_view text) {
    auto v = number(text);
    if (!v || std::fabs(*v) > 2e9) return std::nullopt;
    return static_cast<long>(std::lround(*v));
}

double printerDpi(const Printer& p) {
    auto v = number(p.get("DPI"));
    return v && *v > 0 ? *v : 203.0;
}

std::string str(long v) {
    return std::to_string(v);
}

// ON/OFF switches reported as 1/0.
Handler onOff(const char* key) {
    return [key](Printer& p, const std::string& args) {
        std::string a = upper(trim(args));
        if (a == "ON")
            p.set(key, "1");
        else if (a == "OFF")
            p.set(key, "0");
        else
            return false;
        return true;
    };
}

// A single integer argument stored as it is.
Handler intSetting(const char* key) {
    return [key](Printer& p, const std::string& args) {
        auto v = integer(args);
        if (!v) return false;
        p.set(key, str(*v));
        return true;
    };
}

// A single quoted (or bare) text argument.
Handler textSetting(const char* key) {
    return [key](Printer& p, const std::string& args) {
        auto a = splitArgs(args);
        p.set(key, a.empty() ? std::string() : a[0]);
        return true;
    };
}

// Two lengths: the first into one key, the second into another.
bool twoLengths(Printer& p, const std::string& args, const char* k1, const char* k2) {
    auto a = splitArgs(args);
    if (a.size() != 2) return false;
    auto d1 = lengthToDots(a[0], printerDpi(p));
    auto d2 = lengthToDots(a[1], printerDpi(p));
    if (!d1 || !d2) return false;
    p.set(k1, str(*d1));
    p.set(k2, str(*d2));
    return true;
}

// Post-print action: SET TEAR, SET PEEL and SET CUTTER arrive together and leave
// PRINTOUT at the one that was switched on (0 when all are off).
Handler printOut(long mode) {
    return [mode](Printer& p, const std::string& args) {
        std::string a = upper(trim(args));
        if (a == "OFF") {
            if (p.get("PRINTOUT") == str(mode)) p.set("PRINTOUT", "0");
            return true;
        }
        if (mode == 3) {
            auto n = integer(a);
            if (!n) return false;
            p.set("PRINTOUT", "3");
            p.set("CUTTERPIECE", str(*n));
            return true;
        }
        if (a != "ON") return false;
        p.set("PRINTOUT", str(mode));
        return true;
    };
}

// Wireless security as written ("WEP3", "WPAPSK", "WPAEAP", "NONE") to the number
// that WIFISECUR reports.
bool wlanSecurity(Printer& p, const std::string& args) {
    std::string a = upper(trim(args));
    if (a.size() == 4 && a.compare(0, 3, "WEP") == 0 && a[3] >= '1' && a[3] <= '4') {
        p.set("WIFISECUR", a.substr(3));
        p.set("WIFIKEYINDEX", a.substr(3));
    } else if (a == "WPAPSK") {
        p.set("WIFISECUR", "5");
    } else if (a == "WPAEAP") {
        p.set("WIFISECUR", "6");
    } else if (a == "NONE") {
        p.set("WIFISECUR", "0");
    } else {
        return false;
    }
    return true;
}

// Emulation "Z" commands arrive wrapped; take the wrapper off and return the two
// command letters with their argument, or nothing when the line is not wrapped.
std::optional<std::string> unwrapZ(std::string_view line) {
    static const std::string controlPrefix = "\x10";
    static const std::string formatPrefix = "\x1eXA\x1e";
    static const std::string controlSuffix = "\x1eXA\x1eJUS\x1eXZ";
    static const std::string formatSuffix = "\x1eJUS\x1eXZ";
    std::string s(line);
    std::string body;
    if (s.rfind(controlPrefix, 0) == 0 && s.size() >= 1 + controlSuffix.size() &&
        s.compare(s.size() - controlSuffix.size(), controlSuffix.size(), controlSuffix) == 0) {
        body = s.substr(1, s.size() - 1 - controlSuffix.size());
    } else if (s.rfind(formatPrefix, 0) == 0 &&
               s.size() >= formatPrefix.size() + formatSuffix.size() &&
               s.compare(s.size() - formatSuffix.size(), formatSuffix.size(), formatSuffix) == 0) {
        body = s.substr(formatPrefix.size(), s.size() - formatPrefix.size() - formatSuffix.size());
    } else {
        return std::nullopt;
    }
    return body;
}

bool applyZ(Printer& p, const std::string& body) {
    if (body.size() < 2) return false;
    std::string cmd = body.substr(0, 2);
    std::string arg = body.substr(2);
    auto setInt = [&](const char* key) {
        auto v = integer(arg);
        if (!v) return false;
        p.set(key, str(*v));
        return true;
    };
    auto setChar = [&](const char* key) {
        if (arg.size() != 1) return false;
        p.set(key, arg);
        return true;
    };
    if (cmd == "SD") return setInt("ZDARKNESS");
    if (cmd == "PR") return setInt("ZSPEED");
    if (cmd == "TA") return setInt("ZPOSITION");
    if (cmd == "PW") return setInt("ZLABELWIDTH");
    if (cmd == "LT") return setInt("ZLABELTOP");
    if (cmd == "LS") return setInt("ZLABELSHIFT");
    if (cmd == "CT") return setChar("ZCONTROL");
    if (cmd == "CC") return setChar("ZFORMAT");
    if (cmd == "CD") return setChar("ZDELIMITER");
    if (cmd == "MM") {
        if (arg != "T" && arg != "P" && arg != "C" && arg != "R" && arg != "A" && arg != "D")
            return false;
        p.set("ZPRINTMODE", arg);
        return true;
    }
    if (cmd == "MF") {
        auto isAction = [](char c) { return c == 'F' || c == 'C' || c == 'L' || c == 'N'; };
        if (arg.size() == 1 && isAction(arg[0])) {
            p.set("ZFEEDPOWERUP", arg);
            return true;
        }
        // The head-close action follows the delimiter character.
        if (arg.size() == 2 && isAction(arg[1])) {
            p.set("ZFEEDHEADCLOSE", arg.substr(1));
            return true;
        }
        return false;
    }
    return false;
}

// Emulation "D" commands: introduced by STX or "~", closed by CR or "|"; the same
// command comes three times, each form sets the same value.
bool applyD(Printer& p, std::string_view line) {
    std::string s(line);
    if (s.empty() || (s[0] != '\x02' && s[0] != '~')) return false;
    s.erase(0, 1);
    while (!s.empty() && (s.back() == '\r' || s.back() == '|')) s.pop_back();
    double dpi = printerDpi(p);
    auto hundredthsToDots = [dpi](const std::string& v) -> std::optional<long> {
        auto n = integer(v);
        if (!n) return std::nullopt;
        return std::lround(static_cast<double>(*n) * dpi / 100.0);
    };
    if (s.rfind("KZH", 0) == 0) {
        auto v = integer(s.substr(3));
        if (!v) return false;
        p.set("DHEAT", str(*v));
        return true;
    }
    if (s.rfind("KZP", 0) == 0) {
        if (s.size() != 4) return false;
        p.set("DSPEED", s.substr(3));
        return true;
    }
    if (s.rfind("Kc", 0) == 0) {
        std::string params = s.substr(2);
        bool any = false;
        std::size_t pos = 0;
        while (pos < params.size()) {
            std::size_t semi = params.find(';', pos);
            std::string piece =
                params.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos);
            pos = semi == std::string::npos ? params.size() : semi + 1;
            if (piece.size() < 3) continue;
            std::string name = piece.substr(0, 2), val = piece.substr(2);
            if (name == "LW" || name == "CO" || name == "RO") {
                auto d = hundredthsToDots(val);
                if (!d) continue;
                const char* key = name == "LW"   ? "DLABELWIDTH"
                                  : name == "CO" ? "DCOLUMNOFFSET"
                                                 : "DROWOFFSET";
                p.set(key, str(*d));
                any = true;
            } else if (name == "PS" || name == "CE") {
                // Reported as "E" (equipped) or "N".
                const char* key = name == "PS" ? "DPRESENTSENSOR" : "DCUTTEREQUIPPED";
                if (val == "Y")
                    p.set(key, "E");
                else if (val == "N")
                    p.set(key, "N");
                else
                    continue;
                any = true;
            } else if (name == "CC") {
                if (val != "S" && val != "1" && val != "2") continue;
                p.set("DCONTROLCODES", val);
                any = true;
            }
        }
        return any;
    }
    return false;
}

// Baud rates in the short form of SET COM1 and as reported.
std::optional<std::string> baudFromShort(const std::string& s) {
    static const char* shortForm[] = {"12", "24", "48", "96", "19", "38", "56", "115"};
    static const char* longForm[] = {"1200",  "2400",  "4800",  "9600",
                                     "19200", "38400", "57600", "115200"};
    for (int i = 0; i < 8; ++i)
        if (s == shortForm[i] || s == longForm[i]) return std::string(longForm[i]);
    return std::nullopt;
}

bool setCom1(Printer& p, const std::string& args) {
    auto a = splitArgs(args);
    if (a.size() != 4) return false;
    auto baud = baudFromShort(a[0]);
    std::string parity = upper(a[1]);
    std::string parityName = parity == "N"   ? "None"
                             : parity == "O" ? "Odd"
                             : parity == "E" ? "Even"
                                             : "";
    if (!baud || parityName.empty() || (a[2] != "7" && a[2] != "8") || (a[3] != "1" && a[3] != "2"))
        return false;
    p.set("BAUDRATE", *baud);
    p.set("PARITY", parityName);
    p.set("DATABIT", a[2]);
    p.set("STOPBIT", a[3]);
    return true;
}

bool detect(Printer& p, const std::string& args, const char* mode) {
    auto a = splitArgs(args);
    if (!a.empty() && a.size() != 2) return false;
    if (*mode) p.set("SENSORMODE", mode);
    if (a.size() == 2) {
        auto h = integer(a[0]), g = integer(a[1]);
        if (!h || !g) return false;
        p.set("PAPERHEIGHT", str(*h));
        p.set("GAPSIZE", str(*g));
    }
    return true;
}

std::string deviceOf(std::string& args) {
    // "F,..." FLASH, "E,..." CARD, nothing DRAM.
    std::string a = trim(args);
    if (a.size() >= 2 && a[1] == ',' && (a[0] == 'F' || a[0] == 'E')) {
        char d = a[0] == 'F' ? 'F' : 'C';
        args = a.substr(2);
        return std::string(1, d);
    }
    args = a;
    return "D";
}

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        // Page "Common".
        {"SPEED",
         [](Printer& p, const std::string& a) {
             auto v = number(a);
             if (!v) return false;
             p.set("SPEED", formatReal(*v, 1));
             return true;
         }},
        {"DENSITY", intSetting("DENSITY")},
        {"SIZE",
         [](Printer& p, const std::string& a) {
             return twoLengths(p, a, "PAPERWIDTH", "PAPERHEIGHT");
         }},
        {"GAP",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() == 2 && number(args[0]) == 0.0 && number(args[1]) == 0.0) {
                 p.set("SENSORMODE", "2");
                 return true;
             }
             if (!twoLengths(p, a, "GAPSIZE", "GAPOFFSET")) return false;
             p.set("SENSORMODE", "0");
             return true;
         }},
        {"BLINE",
         [](Printer& p, const std::string& a) {
             if (!twoLengths(p, a, "GAPSIZE", "GAPOFFSET")) return false;
             p.set("SENSORMODE", "1");
             return true;
         }},
        {"SET TEAR", printOut(1)},
        {"SET PEEL", printOut(2)},
        {"SET CUTTER", printOut(3)},
        {"REFERENCE",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() != 2) return false;
             auto x = integer(args[0]), y = integer(args[1]);
             if (!x || !y) return false;
             p.set("REFERENCEX", str(*x));
             p.set("REFERENCEY", str(*y));
             return true;
         }},
        {"DIRECTION",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.empty() || args.size() > 2) return false;
             auto d = integer(args[0]);
             if (!d) return false;
             p.set("DIRCTION", str(*d));
             if (args.size() == 2) {
                 auto m = integer(args[1]);
                 if (!m) return false;
                 p.set("MIRROR", str(*m));
             }
             return true;
         }},
        {"OFFSET",
         [](Printer& p, const std::string& a) {
             auto d = lengthToDots(a, printerDpi(p));
             if (!d) return false;
             p.set("OFFSET", str(*d));
             return true;
         }},
        {"SHIFT",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() == 1) {
                 auto y = integer(args[0]);
                 if (!y) return false;
                 p.set("SHIFT", str(*y));
                 return true;
             }
             if (args.size() != 2) return false;
             auto x = integer(args[0]), y = integer(args[1]);
             if (!x || !y) return false;
             p.set("SHIFTX", str(*x));
             p.set("SHIFT", str(*y));
             return true;
         }},
        {"SET RIBBONEND", onOff("RIBBONSENSOR")},
        {"SET RIBBON", onOff("RIBBON")},
        {"SET ENCODER", onOff("RIBBONENCODER")},
        {"CODEPAGE", textSetting("CODEPAGE")},
        {"COUNTRY", textSetting("COUNTRY")},
        {"LANGUAGE", textSetting("LANGUAGE")},
        {"SET HEAD", onOff("HEAD")},
        {"SET REPRINT", onOff("REPRINT")},
        {"LIMITFEED",
         [](Printer& p, const std::string& a) {
             auto d = lengthToDots(a, printerDpi(p));
             if (!d) return false;
             p.set("MAXLENGTH", str(*d));
             return true;
         }},
        {"SET GAP",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.empty() || args.size() > 2) return false;
             auto v = integer(args[0]);
             if (!v) return false;
             if (args.size() == 2) {
                 // Intensity and threshold, from the sensor calibration.
                 auto t = integer(args[1]);
                 if (!t) return false;
                 p.set("THRESHOLD", str(*t));
             }
             // The intensity belongs to the sensor that is selected.
             std::string mode = p.get("SENSORMODE");
             const char* key = mode == "1" ? "BLINEINTEN" : mode == "2" ? "CONINTEN" : "GAPINTEN";
             p.set(key, str(*v));
             return true;
         }},
        {"SET SENSOR_REF",
         [](Printer& p, const std::string& a) {
             std::string v = upper(trim(a));
             if (v == "AUTO")
                 p.set("AUTOTHRESHOLD", "1");
             else if (v == "MANUAL")
                 p.set("AUTOTHRESHOLD", "0");
             else
                 return false;
             return true;
         }},
        // Sensor calibration: the printer measures the media. With a height and a
        // gap given (in dots) it takes them as they are.
        {"GAPDETECT", [](Printer& p, const std::string& a) { return detect(p, a, "0"); }},
        {"BLINEDETECT", [](Printer& p, const std::string& a) { return detect(p, a, "1"); }},
        {"AUTODETECT", [](Printer& p, const std::string& a) { return detect(p, a, ""); }},
        // Page "RS-232".
        {"SET COM1", setCom1},
        // Page "Wireless".
        {"WLAN SSID", textSetting("WIFISSID")},
        {"WLAN SECURI", wlanSecurity},
        {"WLAN WPA", textSetting("_WPAKEY")},
        {"WLAN WEP1", textSetting("_WEPKEY1")},
        {"WLAN WEP2", textSetting("_WEPKEY2")},
        {"WLAN WEP3", textSetting("_WEPKEY3")},
        {"WLAN WEP4", textSetting("_WEPKEY4")},
        {"WLAN EAP",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() != 4) return false;
             auto type = integer(args[0]), inner = integer(args[1]);
             if (!type || !inner) return false;
             p.set("WIFIEAP", str((*type << 4) | (*inner & 15)));
             p.set("WIFIUSERNAME", args[2]);
             p.set("WIFIPASSWD", args[3]);
             return true;
         }},
        {"WLAN DHCP",
         [](Printer& p, const std::string&) {
             p.set("WIFIIP", "0.0.0.0");
             return true;
         }},
        {"WLAN IP",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() != 3) return false;
             p.set("WIFIIP", args[0]);
             p.set("WIFIMASK", args[1]);
             p.set("WIFIGATEWAY", args[2]);
             // A static address is the one in use from now on.
             p.set("WIFICIP", args[0]);
             p.set("WIFICMASK", args[1]);
             p.set("WIFICGATEWAY", args[2]);
             return true;
         }},
        {"WLAN HOSTNAME", textSetting("WIFIPRINTNAME")},
        {"WLAN RF", textSetting("WIFIFREQ")},
        {"WLAN ROAM",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() != 2) return false;
             // Empty values leave the module's setting alone.
             if (auto t = integer(args[0])) p.set("WIFIROAMTRIG", str(*t));
             if (auto d = integer(args[1])) p.set("WIFIROAMDELTA", str(*d));
             return true;
         }},
        {"WLAN PORT",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() != 1) return false;
             if (auto v = integer(args[0])) p.set("WIFIRAWPORT", str(*v));
             return true;
         }},
        {"WLAN DEFAULT",
         [](Printer& p, const std::string&) {
             Profile profile;
             profile.edition = static_cast<int>(integer(p.get("EDITION")).value_or(108));
             profile.dpi = static_cast<int>(printerDpi(p));
             profile.bluetooth = p.get("ISBT") == "1";
             profile.wifi = p.get("ISWIFI") == "1" ? "none" : "off";
             Printer fresh(profile);
             for (const auto& [k, v] : fresh.settings())
                 if (k.rfind("WIFI", 0) == 0 && k != "WIFIMAC") p.set(k, v);
             for (const char* k : {"_WPAKEY", "_WEPKEY1", "_WEPKEY2", "_WEPKEY3", "_WEPKEY4"})
                 p.set(k, "");
             return true;
         }},
        // Page "Bluetooth".
        {"BT PINCODE", textSetting("BTPINCODE")},
        {"BT NAME", textSetting("BTNAME")},
        {"BT DMAC", textSetting("BTDMAC")},
        // Page "FTP Update".
        {"FTPUPD ENABLE", textSetting("FTPUPD ENABLE")},
        {"FTPUPD SRVIP", textSetting("FTPUPD SRVIP")},
        {"FTPUPD PATH", textSetting("FTPUPD PATH")},
        {"FTPUPD DESCFILE", textSetting("FTPUPD DESCFILE")},
        {"FTPUPD ID", textSetting("FTPUPD ID")},
        {"FTPUPD PSWD", textSetting("FTPUPD PSWD")},
        // Network interface.
        {"NET DHCP",
         [](Printer& p, const std::string&) {
             p.set("CONFIGIP", "0.0.0.0");
             return true;
         }},
        {"NET IP",
         [](Printer& p, const std::string& a) {
             auto args = splitArgs(a);
             if (args.size() != 3) return false;
             p.set("CONFIGIP", args[0]);
             p.set("IPMASK", args[1]);
             p.set("GATEWAY", args[2]);
             p.set("LASTUSEDIP", args[0]);
             return true;
         }},
        {"NET NAME", textSetting("NETNAME")},
        // Maintenance.
        {"INITIALPRINTER",
         [](Printer& p, const std::string&) {
             // Factory default: settings go back to the profile, identity stays.
             Profile profile;
             profile.edition = static_cast<int>(integer(p.get("EDITION")).value_or(108));
             profile.dpi = static_cast<int>(printerDpi(p));
             profile.bluetooth = p.get("ISBT") == "1";
             profile.wifi = p.get("ISWIFI") == "1" ? "none" : "off";
             std::map<std::string, std::string> keep;
             for (const char* k : {"VERSION", "MILAGE", "CHECKSUM", "_SERIAL$", "CUTCOUNTER",
                                   "PASSWORD", "WIFIMAC", "BTLOCALMAC", "MACADDR", "BTVERSION"})
                 keep[k] = p.get(k);
             loadDefaults(p, profile);
             for (auto& [k, v] : keep) p.set(k, v);
             return true;
         }},
        {"SELFTEST", [](Printer&, const std::string&) { return true; }},
        {"DEBUG", [](Printer&, const std::string&) { return true; }},
        // KILL [F,|E,]"*.*" empties a memory device; KILL [F,|E,]"NAME" deletes one file.
        {"KILL",
         [](Printer& p, const std::string& a) {
             std::string rest = a;
             std::string dev = deviceOf(rest);
             auto args = splitArgs(rest);
             if (args.size() != 1 || args[0].empty()) return false;
             p.deleteFiles(dev[0], args[0]);
             return true;
         }},
    };
    return table;
}

// "@YEAR = "24"": the clock assignments.
bool applyClock(Printer& p, std::string_view line) {
    if (line.empty() || line[0] != '@') return false;
    std::string s(line.substr(1));
    auto eq = s.find('=');
    if (eq == std::string::npos) return false;
    std::string name = upper(trim(s.substr(0, eq)));
    auto args = splitArgs(s.substr(eq + 1));
    if (args.size() != 1) return false;
    static const char* fields[] = {"YEAR", "MONTH", "DATE", "HOUR", "MINUTE", "SECOND"};
    for (const char* f : fields) {
        if (name == f) {
            auto v = integer(args[0]);
            if (!v) return false;
            p.set(f, str(*v));
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> splitArgs(std::string_view args) {
    std::vector<std::string> out;
    if (trim(args).empty()) return out;
    std::string cur;
    bool quoted = false, wasQuoted = false;
    auto finish = [&] {
        out.push_back(wasQuoted ? cur : trim(cur));
        cur.clear();
        wasQuoted = false;
    };
    for (char c : args) {
        if (c == '"') {
            if (!quoted && !wasQuoted) cur.clear();  // blanks before the opening quote
            quoted = !quoted;
            wasQuoted = true;
            continue;
        }
        if (!quoted && c == ',') {
            finish();
            continue;
        }
        if (!quoted && wasQuoted) continue;  // blanks after the closing quote
        cur.push_back(c);
    }
    finish();
    return out;
}

double dotsPerMm(double dpi) {
    long n = static_cast<long>(dpi * 0.03937007933143675 * 100);
    n = ((n + 5) / 10) * 10;
    return n * 0.01;
}

std::optional<long> lengthToDots(std::string_view text, double dpi) {
    std::string t = trim(text);
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || !std::isfinite(v) || std::fabs(v) > 1e7) return std::nullopt;
    std::string unit = upper(trim(std::string_view(end)));
    double dots;
    if (unit.empty())
        dots = v * dpi;
    else if (unit == "MM")
        dots = v * dotsPerMm(dpi);
    else if (unit == "DOT")
        dots = v;
    else
        return std::nullopt;
    return std::lround(dots);
}

namespace {

// Label commands: CLS starts a label, the drawing commands are kept as they
// came, PRINT reports the label on the simulator's output. DIRECTION, SIZE
// and GAP also go on to change their settings (false: not handled here).
std::optional<bool> applyLabel(Printer& p, const std::string& line, const std::string& up) {
    const std::string word = up.substr(0, up.find_first_of(" \t"));
    if (word == "CLS") {
        p.label.assign(1, line);
        return true;
    }
    if (word == "BOX" || word == "BARCODE" || word == "TEXT" || word == "BAR" || word == "QRCODE") {
        if (p.label.size() < 4096) p.label.push_back(line);
        return true;
    }
    if (word == "DIRECTION" || word == "SIZE" || word == "GAP") {
        if (p.label.size() < 4096) p.label.push_back(line);
        return std::nullopt;
    }
    if (word == "PRINT") {
        const std::string copies = trim(std::string_view(line).substr(word.size()));
        std::string all;
        for (const auto& l : p.label) all += (all.empty() ? "" : " | ") + l;
        p.event("printed " + (copies.empty() ? std::string("1") : copies) + " label: " + all);
        p.label.clear();
        return true;
    }
    return std::nullopt;
}

}  // namespace

bool applyCommand(Printer& printer, std::string_view rawLine) {
    if (auto z = unwrapZ(rawLine)) return applyZ(printer, *z);
    if (applyD(printer, rawLine)) return true;
    std::string line = trim(rawLine);
    if (applyClock(printer, line)) return true;
    std::string up = upper(line);
    if (auto handled = applyLabel(printer, line, up)) return *handled;
    // Longest match first: "SET RIBBONEND" before "SET RIBBON", "SET GAP" before "GAP".
    const Command* best = nullptr;
    std::size_t bestLen = 0;
    for (const auto& c : commandTable()) {
        std::size_t n = std::char_traits<char>::length(c.words);
        if (up.compare(0, n, c.words) != 0) continue;
        if (up.size() > n && up[n] != ' ' && up[n] != '\t') continue;
        if (n > bestLen) {
            best = &c;
            bestLen = n;
        }
    }
    if (!best) return false;
    return best->apply(printer, line.substr(bestLen));
}

}  // namespace m350::sim
