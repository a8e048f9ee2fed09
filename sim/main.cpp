// m350-printer-sim: a simulated M350 label printer for tests and demonstrations.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "printer.h"
#include "server.h"
#include "session.h"

namespace {

const char kUsage[] =
    "Usage: m350-printer-sim [OPTION]...\n"
    "A simulated M350 label printer. It answers report queries with framed replies,\n"
    "status requests with status bytes, applies command lines to its settings and\n"
    "keeps a transcript of every byte it receives and sends. A label (CLS, the\n"
    "drawing commands, PRINT) is reported on standard output as \"printed N label:\"\n"
    "with its command lines.\n"
    "\n"
    "Where it listens (at least one):\n"
    "  --tcp HOST:PORT       TCP on a loopback address (127.x.x.x or localhost);\n"
    "                        port 0 picks a free port. Each accepted connection is\n"
    "                        one connection of the transcript.\n"
    "  --pty                 a pseudo-terminal in raw mode standing for the serial\n"
    "                        port; each open of the device is one connection.\n"
    "  --pty-link PATH       keep a symlink at PATH to the pseudo-terminal device.\n"
    "  --pty-latency MS      take what the host writes to the pseudo-terminal only MS\n"
    "                        milliseconds after it arrived, as a virtual serial port\n"
    "                        (socat, ser2net) does: what the host purges from its\n"
    "                        output meanwhile is lost, as it is there\n"
    "  --parallel PATH       read what is written to the FIFO at PATH (created when\n"
    "                        absent); each writer session is one connection. Nothing\n"
    "                        is answered there.\n"
    "  --udp HOST[:PORT]     the printers' UDP protocol (discovery, network settings,\n"
    "                        factory default), port 22368 by default; HOST is a\n"
    "                        loopback address, or 0.0.0.0 inside a network namespace\n"
    "                        of its own (broadcasts and the multicast group\n"
    "                        224.0.0.251). Every datagram is one RX or TX line of\n"
    "                        the transcript connection \"udp\".\n"
    "  --udp-answer WHICH    discovery requests answered: both (default), broadcast,\n"
    "                        multicast or none\n"
    "  --udp-flood N[:MS]    send N more copies of each discovery reply, MS apart\n"
    "                        (default 1)\n"
    "  --udp-state N         state byte of the discovery reply (1 printing, 2 paused,\n"
    "                        3 error), default 0\n"
    "  --udp-flags N         error flags byte of the discovery reply, default 0\n"
    "  --udp-model TEXT      model name of the discovery reply, default M350\n"
    "                        (MAC, address and name come from MACADDR, LASTUSEDIP\n"
    "                        and NETNAME)\n"
    "  --udp-drop WHICH      leave settings reads unanswered: read-ip (the IP\n"
    "                        settings), read-mode (the address mode) or reads (both);\n"
    "                        repeatable\n"
    "  --udp-impostor HOW    answer each settings read first with a datagram that is\n"
    "                        not its reply (address 10.77.0.99, DHCP): mac (another\n"
    "                        device's), sequence (an earlier exchange's) or command\n"
    "                        (a discovery reply); the true reply follows\n"
    "\n"
    "Reporting:\n"
    "  --ready-file PATH     when listening, write the lines \"tcp HOST:PORT\",\n"
    "                        \"pty /dev/pts/N\", \"parallel PATH\" and \"udp HOST:PORT\" to PATH\n"
    "                        (atomically);\n"
    "                        the same lines go to standard output.\n"
    "  --transcript FILE     append one line per event, flushed at once:\n"
    "                          <id> OPEN tcp|pty|parallel|udp\n"
    "                          <id> RX <hex>    bytes received (lowercase, no spaces)\n"
    "                          <id> TX <hex>    bytes sent\n"
    "                          <id> CLOSE\n"
    "\n"
    "The printer:\n"
    "  --edition N           edition number (report key EDITION), default 108\n"
    "  --dpi 203|300         resolution, default 203\n"
    "  --bluetooth yes|no    Bluetooth module fitted, default yes\n"
    "  --wifi MODE           wireless module: wpa, wep, eap, none (open network) or\n"
    "                        off (no module); default wpa\n"
    "  --profile NAME        a ready set of the above: full (default), basic (edition\n"
    "                        99: no emulations, counters or modules), emulation\n"
    "                        (edition 103, no modules), 300dpi (full at 300 dpi)\n"
    "                        Explicit --edition, --dpi, --bluetooth, --wifi win.\n"
    "  --password TEXT       the printer password (report key PASSWORD)\n"
    "  --serial TEXT         the serial number answered to OUT _SERIAL$\n"
    "  --set KEY=VALUE       the payload answered to DIAGNOSTIC REPORT KEY\n"
    "                        (repeatable; applied after the profile)\n"
    "  --read-only KEY       the setting of report key KEY keeps its value whatever\n"
    "                        command line would change it; the line is still taken\n"
    "                        (repeatable), as a printer that refuses a setting\n"
    "  --file DEV:NAME=TEXT  a file already stored on device D (DRAM), F (FLASH) or C\n"
    "                        (CARD); listed in the file lists, fetched with\n"
    "                        DIAGNOSTIC FILE (repeatable)\n"
    "\n"
    "Memory devices: DRAM (D), FLASH (F) and CARD (C) report their physical size\n"
    "(DPHYSPACE ...) and free space (DFREESPACE ...) in KB; --set DPHYSPACE=N sets\n"
    "a size, --set DFREESPACE=N the free space of the empty device. DOWNLOAD stores\n"
    "a file (each takes whole KB of the free space), the file lists (DFILELIST ...)\n"
    "name the stored files, KILL [F,|E,]\"*.*\" empties a device and KILL with a\n"
    "name deletes one file. Of each file the size, a CRC-32 and the first 1 MiB are\n"
    "kept; DIAGNOSTIC FILE returns what was kept. A connection whose first bytes\n"
    "hold control characters the command language never uses is a firmware image:\n"
    "counted and checked, not interpreted. Standard output gets one line per\n"
    "stored file, firmware image, format and deletion:\n"
    "  stored F:LOGO.BMP 1234 bytes crc32 1a2b3c4d\n"
    "  firmware 1048576 bytes crc32 5e6f7a8b\n"
    "  formatted F        deleted F:LOGO.BMP\n"
    "  download cut short F:BIG.DAT 4096 of 10000 bytes\n"
    "  --ext-module NAME     an external Bluetooth module named NAME on the printer's\n"
    "                        serial port: DEBUG 4193,7,2 answers \"U\" and enters the\n"
    "                        pass-through mode (AT+STA, AT+GLN, at+sln=, at+pin=)\n"
    "                        until ESC !R\n"
    "  --scan-delay MS       how long SCANAP and SCANBT take, default 500\n"
    "  --ap SSID,CODE[,RSSI] an access point SCANAP reports (repeatable; CODE 1 WEP,\n"
    "                        2 WPA, else none); --ap none: the scan finds nothing.\n"
    "                        Without --ap three made-up ones; --wifi off: -1\n"
    "  --bt NAME,MAC         a device SCANBT reports (repeatable); --bt none: the\n"
    "                        scan finds nothing. Without --bt two made-up ones;\n"
    "                        --bluetooth no: -1\n"
    "  --gapsensor LINER/LABEL, --blinesensor LINER/LABEL\n"
    "                        the readings GAPSENSOR or BLINESENSOR answers, one frame\n"
    "                        per intensity level from level 0: comma-separated\n"
    "                        numbers with the liner (black mark) under the sensor, a\n"
    "                        slash, the same with a label there; for example\n"
    "                        100,500,900/120,600,300. Default: sixteen levels\n"
    "  --dump-text TEXT      what a host sends while the printer is in dump mode:\n"
    "                        a DUMP_TEXT SAVE takes it in at once (up to its size),\n"
    "                        so DIAGNOSTIC FILE returns it\n"
    "  --media liner|label   what lies under the sensor at first, default liner\n"
    "  --media-file PATH     read what lies under the sensor from PATH at every\n"
    "                        sensor read (\"liner\" or \"label\"), so the media can\n"
    "                        be changed while a calibration runs: echo label > PATH\n"
    "  --status-byte N       the byte answered to ESC !? (decimal or 0x..), default 0\n"
    "  --esc-z-crlf-restores ESC Z directly followed by CR LF (the exit-line-mode\n"
    "                        command) puts the emulation back as it was. Off by\n"
    "                        default: ESC Z switches to the Z emulation whatever\n"
    "                        follows, and nothing is known of a printer that does\n"
    "                        otherwise\n"
    "  --ext-status HEX      the 8 bytes answered to ESC !S, as 16 hex digits\n"
    "\n"
    "Faults (repeatable; a fault with :KEY applies to that reply only and wins over\n"
    "one without):\n"
    "  --fault MODE[:KEY]    MODE is one of\n"
    "                          silent        never answer\n"
    "                          broken-frame  send \"{5|ab\" and nothing more of it\n"
    "                          drop          close the connection instead of answering\n"
    "                                        (on the pseudo-terminal: go silent)\n"
    "                          slow:MS       wait MS milliseconds before answering\n"
    "                          empty         answer the empty frame \"{0|}\"\n"
    "                          garbage       answer \"{x|}\"\n"
    "                          trickle:MS    send the answer one byte every MS milliseconds:\n"
    "                                        a valid reply, slow but steady (also\n"
    "                                        steady:MS); the host takes it when each\n"
    "                                        byte comes within its read limit and the\n"
    "                                        whole within the reply's allowance\n"
    "                          stream[:MS]   never answer, but send bytes without an\n"
    "                                        opening brace without end instead: as fast as\n"
    "                                        the host takes them, or one every MS\n"
    "                                        milliseconds (the transcript keeps the first)\n"
    "                        KEY is a report key (SPEED, EDITION ...), status (ESC !?),\n"
    "                        ext-status (ESC !S), INTERFACE (the interface\n"
    "                        announcement), SERIAL (the OUT _SERIAL$ line) or\n"
    "                        PASSWORDSET (the reply to DIAGNOSTIC PASSWORD), FILE\n"
    "                        (DIAGNOSTIC FILE), DEBUG (the \"U\" of the pass-through\n"
    "                        mode) or MODULE (the module's answers). For status\n"
    "                        bytes, broken-frame and garbage send half the bytes and\n"
    "                        empty sends none.\n"
    "\n"
    "Unknown report keys are answered with the empty frame \"{0|}\".\n"
    "SIGTERM or SIGINT ends the simulator cleanly.\n";

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "m350-printer-sim: %s\n", message.c_str());
    std::exit(2);
}

bool parseHex8(const std::string& hex, std::array<std::uint8_t, 8>& out) {
    if (hex.size() != 16) return false;
    for (int i = 0; i < 8; ++i) {
        std::string pair = hex.substr(static_cast<std::size_t>(i) * 2, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        out[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(std::strtoul(pair.c_str(), nullptr, 16));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    m350::sim::Profile profile;
    // Explicit flags win over --profile, whatever their order on the command line.
    std::optional<int> edition, dpi;
    std::optional<bool> bluetooth;
    std::optional<std::string> wifi;
    m350::sim::ServerOptions server;
    std::vector<m350::sim::Fault> faults;
    std::vector<std::pair<std::string, std::string>> sets;
    std::string statusByte, extStatus;
    struct PresetFile {
        char device;
        std::string name, text;
    };
    std::vector<PresetFile> files;
    std::string moduleName;
    int scanDelay = 500;
    bool escZCrLfRestores = false;
    std::optional<std::vector<std::string>> accessPoints, bluetoothDevices;
    std::optional<m350::sim::Printer::SensorCurve> gapCurve, blineCurve;
    bool labelFirst = false;
    std::string dumpText;
    std::string mediaFile;
    std::vector<std::string> readOnly;

    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string opt = args[i], value;
        bool hasValue = false;
        if (auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
            hasValue = true;
        }
        auto need = [&]() -> std::string {
            if (hasValue) return value;
            if (i + 1 >= args.size()) fail(opt + " needs a value");
            return args[++i];
        };
        if (opt == "--help" || opt == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (opt == "--version") {
            std::printf("m350-printer-sim %s\n", M350_VERSION);
            return 0;
        } else if (opt == "--tcp") {
            server.tcp = need();
        } else if (opt == "--pty") {
            server.pty = true;
        } else if (opt == "--pty-latency") {
            std::string v = need();
            char* end = nullptr;
            long ms = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || ms < 0 || ms > 60000) fail("bad --pty-latency " + v);
            server.ptyLatencyMs = static_cast<int>(ms);
        } else if (opt == "--pty-link") {
            server.ptyLink = need();
            server.pty = true;
        } else if (opt == "--parallel") {
            server.parallel = need();
        } else if (opt == "--udp") {
            server.udp = need();
        } else if (opt == "--udp-answer") {
            std::string v = need();
            if (v != "both" && v != "broadcast" && v != "multicast" && v != "none")
                fail("--udp-answer is both, broadcast, multicast or none");
            server.udpBehaviour.answer = v;
        } else if (opt == "--udp-flood") {
            std::string v = need();
            char* end = nullptr;
            long n = std::strtol(v.c_str(), &end, 10);
            long ms = 1;
            if (*end == ':') ms = std::strtol(end + 1, &end, 10);
            if (v.empty() || *end || n < 0 || n > 100000 || ms < 0 || ms > 10000)
                fail("bad --udp-flood " + v);
            server.udpBehaviour.floodCount = static_cast<int>(n);
            server.udpBehaviour.floodIntervalMs = static_cast<int>(ms);
        } else if (opt == "--udp-state" || opt == "--udp-flags") {
            std::string v = need();
            char* end = nullptr;
            long b = std::strtol(v.c_str(), &end, 0);
            if (v.empty() || *end || b < 0 || b > 255) fail("bad " + opt + " " + v);
            (opt == "--udp-state" ? server.udpBehaviour.state : server.udpBehaviour.flags) =
                static_cast<std::uint8_t>(b);
        } else if (opt == "--udp-model") {
            server.udpBehaviour.model = need();
        } else if (opt == "--udp-drop") {
            std::string v = need();
            if (v == "read-ip" || v == "reads") server.udpBehaviour.dropReadIp = true;
            if (v == "read-mode" || v == "reads") server.udpBehaviour.dropReadMode = true;
            if (v != "read-ip" && v != "read-mode" && v != "reads")
                fail("--udp-drop is read-ip, read-mode or reads");
        } else if (opt == "--udp-impostor") {
            std::string v = need();
            if (v != "mac" && v != "sequence" && v != "command")
                fail("--udp-impostor is mac, sequence or command");
            server.udpBehaviour.impostor = v;
        } else if (opt == "--ready-file") {
            server.readyFile = need();
        } else if (opt == "--transcript") {
            server.transcript = need();
        } else if (opt == "--edition") {
            std::string v = need();
            char* end = nullptr;
            long e = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || e < 0 || e > 100000) fail("bad --edition " + v);
            edition = static_cast<int>(e);
        } else if (opt == "--dpi") {
            std::string v = need();
            if (v != "203" && v != "300") fail("--dpi is 203 or 300");
            dpi = std::atoi(v.c_str());
        } else if (opt == "--bluetooth") {
            std::string v = need();
            if (v != "yes" && v != "no") fail("--bluetooth is yes or no");
            bluetooth = v == "yes";
        } else if (opt == "--wifi") {
            std::string v = need();
            if (v != "wpa" && v != "wep" && v != "eap" && v != "none" && v != "off")
                fail("--wifi is wpa, wep, eap, none or off");
            wifi = v;
        } else if (opt == "--profile") {
            std::string v = need();
            if (v == "full") {
                profile = m350::sim::Profile{};
            } else if (v == "basic") {
                profile.edition = 99;
                profile.bluetooth = false;
                profile.wifi = "off";
            } else if (v == "emulation") {
                profile.edition = 103;
                profile.bluetooth = false;
                profile.wifi = "off";
            } else if (v == "300dpi") {
                profile = m350::sim::Profile{};
                profile.dpi = 300;
            } else {
                fail("unknown --profile " + v);
            }
        } else if (opt == "--password") {
            sets.emplace_back("PASSWORD", need());
        } else if (opt == "--serial") {
            sets.emplace_back("_SERIAL$", need());
        } else if (opt == "--set") {
            std::string v = need();
            auto eq = v.find('=');
            if (eq == std::string::npos || eq == 0) fail("--set wants KEY=VALUE");
            sets.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (opt == "--read-only") {
            std::string v = need();
            if (v.empty()) fail("--read-only wants a report key");
            readOnly.push_back(v);
        } else if (opt == "--file") {
            std::string v = need();
            auto eq = v.find('=');
            if (v.size() < 3 || v[1] != ':' || eq == std::string::npos || eq <= 2 ||
                (v[0] != 'D' && v[0] != 'F' && v[0] != 'C'))
                fail("--file wants D|F|C:NAME=TEXT");
            files.push_back({v[0], v.substr(2, eq - 2), v.substr(eq + 1)});
        } else if (opt == "--ext-module") {
            moduleName = need();
            if (moduleName.empty()) fail("--ext-module wants a name");
        } else if (opt == "--esc-z-crlf-restores") {
            escZCrLfRestores = true;
        } else if (opt == "--scan-delay") {
            std::string v = need();
            char* end = nullptr;
            long ms = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || ms < 0 || ms > 600000) fail("bad --scan-delay " + v);
            scanDelay = static_cast<int>(ms);
        } else if (opt == "--ap" || opt == "--bt") {
            std::string v = need();
            auto& list = opt == "--ap" ? accessPoints : bluetoothDevices;
            if (!list) list.emplace();
            if (v == "none") continue;
            if (v.find(',') == std::string::npos || v.find('\r') != std::string::npos)
                fail(opt + " wants " + (opt == "--ap" ? "SSID,CODE[,RSSI]" : "NAME,MAC"));
            // The reply carries a field after the code; give one when left out.
            if (opt == "--ap" && v.find(',', v.find(',') + 1) == std::string::npos) v += ",-50";
            list->push_back(v);
        } else if (opt == "--gapsensor" || opt == "--blinesensor") {
            std::string v = need();
            m350::sim::Printer::SensorCurve curve;
            if (!m350::sim::parseSensorCurve(v, curve))
                fail(opt + " wants LINER/LABEL readings, e.g. 100,500,900/120,600,300");
            (opt == "--gapsensor" ? gapCurve : blineCurve) = curve;
        } else if (opt == "--dump-text") {
            dumpText = need();
        } else if (opt == "--media") {
            std::string v = need();
            if (v != "liner" && v != "label") fail("--media is liner or label");
            labelFirst = v == "label";
        } else if (opt == "--media-file") {
            mediaFile = need();
            if (mediaFile.empty()) fail("--media-file wants a path");
        } else if (opt == "--status-byte") {
            statusByte = need();
        } else if (opt == "--ext-status") {
            extStatus = need();
        } else if (opt == "--fault") {
            std::string v = need();
            m350::sim::Fault f;
            if (!m350::sim::parseFault(v, f)) fail("bad --fault " + v);
            faults.push_back(f);
        } else {
            fail("unknown option " + opt + " (see --help)");
        }
    }

    if (edition) profile.edition = *edition;
    if (dpi) profile.dpi = *dpi;
    if (bluetooth) profile.bluetooth = *bluetooth;
    if (wifi) profile.wifi = *wifi;
    m350::sim::Printer printer(profile);
    for (auto& [k, v] : sets) printer.set(k, v);
    printer.readOnly.insert(readOnly.begin(), readOnly.end());
    for (auto& f : files) printer.appendFile(f.device, f.name, f.text);
    printer.moduleName = moduleName;
    printer.onEvent = [](const std::string& what) {
        std::fprintf(stdout, "%s\n", what.c_str());
        std::fflush(stdout);
    };
    printer.scanDelayMs = scanDelay;
    printer.escZCrLfRestores = escZCrLfRestores;
    printer.accessPoints = accessPoints;
    printer.bluetoothDevices = bluetoothDevices;
    if (gapCurve) printer.gapSensor = *gapCurve;
    if (blineCurve) printer.blineSensor = *blineCurve;
    printer.labelUnderSensor = labelFirst;
    printer.mediaFile = mediaFile;
    printer.dumpIncoming = dumpText;
    if (!statusByte.empty()) {
        char* end = nullptr;
        long b = std::strtol(statusByte.c_str(), &end, 0);
        if (*end || b < 0 || b > 255) fail("bad --status-byte " + statusByte);
        printer.statusByte = static_cast<std::uint8_t>(b);
    }
    if (!extStatus.empty() && !parseHex8(extStatus, printer.extStatus))
        fail("--ext-status wants 16 hex digits");

    m350::sim::installStopSignals();
    m350::sim::Server srv(printer, faults, server);
    std::string error;
    if (!srv.start(error)) fail(error);
    srv.run();
    return 0;
}
