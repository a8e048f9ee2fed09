// SPDX-License-Identifier: MIT
// m350-printer-sim: a simulated M350 label printer for tests and demonstrations.
#include <CLI/CLI.hpp>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "commands.h"
#include "printer.h"
#include "server.h"
#include "session.h"

namespace {

const char kDescription[] =
    "A simulated M350 label printer. It answers report queries with framed replies,\n"
    "status requests with status bytes, applies command lines to its settings and\n"
    "keeps a transcript of every byte it receives and sends. A label (CLS, the\n"
    "drawing commands, PRINT) is reported on standard output as \"printed N label:\"\n"
    "with its command lines. It listens on at least one of --tcp, --pty, --parallel\n"
    "and --udp.";

const char kFooter[] =
    "Transcript (--transcript FILE): one line per event, flushed at once:\n"
    "  <id> OPEN tcp|pty|parallel|udp\n"
    "  <id> RX <hex>    bytes received (lowercase, no spaces)\n"
    "  <id> TX <hex>    bytes sent\n"
    "  <id> CLOSE\n"
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
    "\n"
    "Faults (--fault MODE[:KEY], repeatable; a fault with :KEY applies to that\n"
    "reply only and wins over one without). MODE is one of\n"
    "  silent        never answer\n"
    "  broken-frame  send \"{5|ab\" and nothing more of it\n"
    "  drop          close the connection instead of answering (on the\n"
    "                pseudo-terminal: go silent)\n"
    "  slow:MS       wait MS milliseconds before answering\n"
    "  empty         answer the empty frame \"{0|}\"\n"
    "  garbage       answer \"{x|}\"\n"
    "  trickle:MS    send the answer one byte every MS milliseconds: a valid\n"
    "                reply, slow but steady (also steady:MS); the host takes it\n"
    "                when each byte comes within its read limit and the whole\n"
    "                within the reply's allowance\n"
    "  stream[:MS]   never answer, but send bytes without an opening brace\n"
    "                without end instead: as fast as the host takes them, or one\n"
    "                every MS milliseconds (the transcript keeps the first)\n"
    "KEY is a report key (SPEED, EDITION ...), status (ESC !?), ext-status\n"
    "(ESC !S), INTERFACE (the interface announcement), SERIAL (the OUT _SERIAL$\n"
    "line) or PASSWORDSET (the reply to DIAGNOSTIC PASSWORD), FILE (DIAGNOSTIC\n"
    "FILE), DEBUG (the \"U\" of the pass-through mode) or MODULE (the module's\n"
    "answers). For status bytes, broken-frame and garbage send half the bytes and\n"
    "empty sends none.\n"
    "\n"
    "Unknown report keys are answered with the empty frame \"{0|}\".\n"
    "SIGTERM or SIGINT ends the simulator cleanly.";

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

// An integer from lo to hi (base 10, or any base with base 0: 0x..); nullopt
// for anything else.
std::optional<long> integerIn(const std::string& v, long lo, long hi, int base = 10) {
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, base);
    if (v.empty() || *end || n < lo || n > hi) return std::nullopt;
    return n;
}

// Everything the command line says, as given; turned into the printer and
// the server's options by build().
struct SimOptions {
    m350::sim::ServerOptions server;
    std::string ptyLatency, udpFlood, udpState, udpFlags;
    std::vector<std::string> udpDrop;
    std::string profile = "full";
    std::optional<int> edition;
    std::optional<std::string> dpi, bluetooth, wifi;
    std::optional<std::string> password, serial;
    std::vector<std::string> sets, readOnly, files, accessPoints, bluetoothDevices, faults;
    std::string moduleName, scanDelay = "500", gapSensor, blineSensor, dumpText;
    std::string media = "liner", mediaFile, statusByte, extStatus;
    bool escZCrLfRestores = false;
};

// A value option that keeps the last of repeated values.
CLI::Option* single(CLI::App& app, const std::string& name, std::string& to, const char* what,
                    const char* group) {
    return app.add_option(name, to, what)
        ->group(group)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

CLI::Option* repeatable(CLI::App& app, const std::string& name, std::vector<std::string>& to,
                        const char* what, const char* group) {
    return app.add_option(name, to, what)->group(group)->take_all();
}

void addListening(CLI::App& app, SimOptions& o) {
    const char* g = "Where it listens";
    single(app, "--tcp", o.server.tcp,
           "TCP on a loopback address (127.x.x.x or localhost); port 0 picks a free port. Each "
           "accepted connection is one connection of the transcript",
           g)
        ->type_name("HOST:PORT");
    app.add_flag("--pty", o.server.pty,
                 "a pseudo-terminal in raw mode standing for the serial port; each open of the "
                 "device is one connection")
        ->group(g);
    single(app, "--pty-link", o.server.ptyLink,
           "keep a symlink at PATH to the pseudo-terminal device (implies --pty)", g)
        ->type_name("PATH");
    single(app, "--pty-latency", o.ptyLatency,
           "take what the host writes to the pseudo-terminal only MS milliseconds after it "
           "arrived, as a virtual serial port (socat, ser2net) does: what the host purges from "
           "its output meanwhile is lost, as it is there",
           g)
        ->type_name("MS");
    single(app, "--parallel", o.server.parallel,
           "read what is written to the FIFO at PATH (created when absent); each writer "
           "session is one connection. Nothing is answered there",
           g)
        ->type_name("PATH");
    single(app, "--udp", o.server.udp,
           "the printers' UDP protocol (discovery, network settings, factory default), port "
           "22368 by default; HOST is a loopback address, or 0.0.0.0 inside a network namespace "
           "of its own (broadcasts and the multicast group 224.0.0.251). Every datagram is one "
           "RX or TX line of the transcript connection \"udp\"",
           g)
        ->type_name("HOST[:PORT]");
    single(app, "--udp-answer", o.server.udpBehaviour.answer,
           "discovery requests answered: both (default), broadcast, multicast or none", g)
        ->check(CLI::IsMember({"both", "broadcast", "multicast", "none"}));
    single(app, "--udp-flood", o.udpFlood,
           "send N more copies of each discovery reply, MS apart (default 1)", g)
        ->type_name("N[:MS]");
    single(app, "--udp-state", o.udpState,
           "state byte of the discovery reply (1 printing, 2 paused, 3 error), default 0", g)
        ->type_name("N");
    single(app, "--udp-flags", o.udpFlags, "error flags byte of the discovery reply, default 0", g)
        ->type_name("N");
    single(app, "--udp-model", o.server.udpBehaviour.model,
           "model name of the discovery reply, default M350 (MAC, address and name come from "
           "MACADDR, LASTUSEDIP and NETNAME)",
           g)
        ->type_name("TEXT");
    repeatable(app, "--udp-drop", o.udpDrop,
               "leave settings reads unanswered: read-ip (the IP settings), read-mode (the "
               "address mode) or reads (both); repeatable",
               g)
        ->check(CLI::IsMember({"read-ip", "read-mode", "reads"}));
    single(app, "--udp-impostor", o.server.udpBehaviour.impostor,
           "answer each settings read first with a datagram that is not its reply (address "
           "10.77.0.99, DHCP): mac (another device's), sequence (an earlier exchange's) or "
           "command (a discovery reply); the true reply follows",
           g)
        ->check(CLI::IsMember({"mac", "sequence", "command"}));
}

void addReporting(CLI::App& app, SimOptions& o) {
    const char* g = "Reporting";
    single(app, "--ready-file", o.server.readyFile,
           "when listening, write the lines \"tcp HOST:PORT\", \"pty /dev/pts/N\", \"parallel "
           "PATH\" and \"udp HOST:PORT\" to PATH (atomically); the same lines go to standard "
           "output",
           g)
        ->type_name("PATH");
    single(app, "--transcript", o.server.transcript,
           "append one line per event to FILE, flushed at once (see below)", g)
        ->type_name("FILE");
}

void addPrinter(CLI::App& app, SimOptions& o) {
    const char* g = "The printer";
    app.add_option("--edition", o.edition, "edition number (report key EDITION), default 108")
        ->group(g)
        ->check(CLI::Range(0, 100000))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--dpi", o.dpi, "resolution: 203 (default) or 300")
        ->group(g)
        ->check(CLI::IsMember({"203", "300"}))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--bluetooth", o.bluetooth, "Bluetooth module fitted: yes (default) or no")
        ->group(g)
        ->check(CLI::IsMember({"yes", "no"}))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--wifi", o.wifi,
                   "wireless module: wpa (default), wep, eap, none (open network) or off (no "
                   "module)")
        ->group(g)
        ->check(CLI::IsMember({"wpa", "wep", "eap", "none", "off"}))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    single(app, "--profile", o.profile,
           "a ready set of the above: full (default), basic (edition 99: no emulations, "
           "counters or modules), emulation (edition 103, no modules), 300dpi (full at 300 "
           "dpi). Explicit --edition, --dpi, --bluetooth, --wifi win",
           g)
        ->check(CLI::IsMember({"full", "basic", "emulation", "300dpi"}));
    app.add_option("--password", o.password, "the printer password (report key PASSWORD)")
        ->group(g)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--serial", o.serial, "the serial number answered to OUT _SERIAL$")
        ->group(g)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    repeatable(app, "--set", o.sets,
               "the payload answered to DIAGNOSTIC REPORT KEY (repeatable; applied after the "
               "profile)",
               g)
        ->type_name("KEY=VALUE");
    repeatable(app, "--read-only", o.readOnly,
               "the setting of report key KEY keeps its value whatever command line would "
               "change it; the line is still taken (repeatable), as a printer that refuses a "
               "setting",
               g)
        ->type_name("KEY");
    repeatable(app, "--file", o.files,
               "a file already stored on device D (DRAM), F (FLASH) or C (CARD); listed in the "
               "file lists, fetched with DIAGNOSTIC FILE (repeatable)",
               g)
        ->type_name("DEV:NAME=TEXT");
    single(app, "--ext-module", o.moduleName,
           "an external Bluetooth module named NAME on the printer's serial port: DEBUG 4193,7,2 "
           "answers \"U\" and enters the pass-through mode (AT+STA, AT+GLN, at+sln=, at+pin=) "
           "until ESC !R",
           g)
        ->type_name("NAME");
    single(app, "--scan-delay", o.scanDelay, "how long SCANAP and SCANBT take, default 500", g)
        ->type_name("MS");
    repeatable(app, "--ap", o.accessPoints,
               "an access point SCANAP reports (repeatable; CODE 1 WEP, 2 WPA, else none); "
               "--ap none: the scan finds nothing. Without --ap three made-up ones; --wifi "
               "off: -1",
               g)
        ->type_name("SSID,CODE[,RSSI]");
    repeatable(app, "--bt", o.bluetoothDevices,
               "a device SCANBT reports (repeatable); --bt none: the scan finds nothing. "
               "Without --bt two made-up ones; --bluetooth no: -1",
               g)
        ->type_name("NAME,MAC");
    single(app, "--gapsensor", o.gapSensor,
           "the readings GAPSENSOR answers, one frame per intensity level from level 0: "
           "comma-separated numbers with the liner under the sensor, a slash, the same with a "
           "label there; for example 100,500,900/120,600,300. Default: sixteen levels",
           g)
        ->type_name("LINER/LABEL");
    single(app, "--blinesensor", o.blineSensor,
           "the readings BLINESENSOR answers, as --gapsensor (black mark instead of liner)", g)
        ->type_name("LINER/LABEL");
    single(app, "--dump-text", o.dumpText,
           "what a host sends while the printer is in dump mode: a DUMP_TEXT SAVE takes it in "
           "at once (up to its size), so DIAGNOSTIC FILE returns it",
           g)
        ->type_name("TEXT");
    single(app, "--media", o.media, "what lies under the sensor at first: liner (default) or label",
           g)
        ->check(CLI::IsMember({"liner", "label"}));
    single(app, "--media-file", o.mediaFile,
           "read what lies under the sensor from PATH at every sensor read (\"liner\" or "
           "\"label\"), so the media can be changed while a calibration runs: echo label > PATH",
           g)
        ->type_name("PATH");
    single(app, "--status-byte", o.statusByte,
           "the byte answered to ESC !? (decimal or 0x..), default 0", g)
        ->type_name("N");
    app.add_flag("--esc-z-crlf-restores", o.escZCrLfRestores,
                 "ESC Z directly followed by CR LF (the exit-line-mode command) puts the "
                 "emulation back as it was. Off by default: ESC Z switches to the Z emulation "
                 "whatever follows, and nothing is known of a printer that does otherwise")
        ->group(g);
    single(app, "--ext-status", o.extStatus, "the 8 bytes answered to ESC !S, as 16 hex digits", g)
        ->type_name("HEX");
    repeatable(app, "--fault", o.faults, "a fault (repeatable; the modes are below)", "Faults")
        ->type_name("MODE[:KEY]");
}

m350::sim::Profile profileOf(const SimOptions& o) {
    m350::sim::Profile p;
    if (o.profile == "basic" || o.profile == "emulation") {
        p.edition = o.profile == "basic" ? 99 : 103;
        p.bluetooth = false;
        p.wifi = "off";
    } else if (o.profile == "300dpi") {
        p.dpi = 300;
    }
    // Explicit flags win over --profile, whatever their order on the command line.
    if (o.edition) p.edition = *o.edition;
    if (o.dpi) p.dpi = std::atoi(o.dpi->c_str());
    if (o.bluetooth) p.bluetooth = *o.bluetooth == "yes";
    if (o.wifi) p.wifi = *o.wifi;
    return p;
}

// The values CLI11 cannot check by itself, into the server's options.
void finishServer(SimOptions& o) {
    auto& s = o.server;
    if (!s.ptyLink.empty()) s.pty = true;
    if (!o.ptyLatency.empty()) {
        const auto ms = integerIn(o.ptyLatency, 0, 60000);
        if (!ms) fail("bad --pty-latency " + o.ptyLatency);
        s.ptyLatencyMs = static_cast<int>(*ms);
    }
    if (!o.udpFlood.empty()) {
        const auto colon = o.udpFlood.find(':');
        const auto n = integerIn(o.udpFlood.substr(0, colon), 0, 100000);
        const auto ms = colon == std::string::npos
                            ? std::optional<long>(1)
                            : integerIn(o.udpFlood.substr(colon + 1), 0, 10000);
        if (!n || !ms) fail("bad --udp-flood " + o.udpFlood);
        s.udpBehaviour.floodCount = static_cast<int>(*n);
        s.udpBehaviour.floodIntervalMs = static_cast<int>(*ms);
    }
    for (auto [text, name, to] : {std::tuple{&o.udpState, "--udp-state", &s.udpBehaviour.state},
                                  std::tuple{&o.udpFlags, "--udp-flags", &s.udpBehaviour.flags}}) {
        if (text->empty()) continue;
        const auto b = integerIn(*text, 0, 255, 0);
        if (!b) fail(std::string("bad ") + name + " " + *text);
        *to = static_cast<std::uint8_t>(*b);
    }
    for (const auto& d : o.udpDrop) {
        if (d == "read-ip" || d == "reads") s.udpBehaviour.dropReadIp = true;
        if (d == "read-mode" || d == "reads") s.udpBehaviour.dropReadMode = true;
    }
}

// "--ap"/"--bt" entries as the printer lists them; nullopt when none was given.
std::optional<std::vector<std::string>> scanList(const std::vector<std::string>& given,
                                                 const char* option, const char* shape,
                                                 bool accessPoint) {
    if (given.empty()) return std::nullopt;
    std::vector<std::string> list;
    for (std::string v : given) {
        if (v == "none") continue;
        if (v.find(',') == std::string::npos || v.find('\r') != std::string::npos)
            fail(std::string(option) + " wants " + shape);
        // The reply carries a field after the code; give one when left out.
        if (accessPoint && v.find(',', v.find(',') + 1) == std::string::npos) v += ",-50";
        list.push_back(v);
    }
    return list;
}

// The printer the command line describes.
void buildPrinter(const SimOptions& o, m350::sim::Printer& printer) {
    if (o.password) printer.set("PASSWORD", *o.password);
    if (o.serial) printer.set("_SERIAL$", *o.serial);
    for (const auto& v : o.sets) {
        const auto eq = v.find('=');
        if (eq == std::string::npos || eq == 0) fail("--set wants KEY=VALUE");
        printer.set(v.substr(0, eq), v.substr(eq + 1));
    }
    for (const auto& k : o.readOnly) {
        if (k.empty()) fail("--read-only wants a report key");
        printer.readOnly.insert(k);
    }
    for (const auto& v : o.files) {
        const auto eq = v.find('=');
        if (v.size() < 3 || v[1] != ':' || eq == std::string::npos || eq <= 2 ||
            (v[0] != 'D' && v[0] != 'F' && v[0] != 'C'))
            fail("--file wants D|F|C:NAME=TEXT");
        printer.appendFile(v[0], v.substr(2, eq - 2), v.substr(eq + 1));
    }
    printer.moduleName = o.moduleName;
    const auto scanDelay = integerIn(o.scanDelay, 0, 600000);
    if (!scanDelay) fail("bad --scan-delay " + o.scanDelay);
    printer.scanDelayMs = static_cast<int>(*scanDelay);
    printer.escZCrLfRestores = o.escZCrLfRestores;
    printer.accessPoints = scanList(o.accessPoints, "--ap", "SSID,CODE[,RSSI]", true);
    printer.bluetoothDevices = scanList(o.bluetoothDevices, "--bt", "NAME,MAC", false);
    for (auto [text, name, to] :
         {std::tuple{&o.gapSensor, "--gapsensor", &printer.gapSensor},
          std::tuple{&o.blineSensor, "--blinesensor", &printer.blineSensor}}) {
        if (text->empty()) continue;
        if (!m350::sim::parseSensorCurve(*text, *to))
            fail(std::string(name) + " wants LINER/LABEL readings, e.g. 100,500,900/120,600,300");
    }
    printer.labelUnderSensor = o.media == "label";
    printer.mediaFile = o.mediaFile;
    printer.dumpIncoming = o.dumpText;
    if (!o.statusByte.empty()) {
        const auto b = integerIn(o.statusByte, 0, 255, 0);
        if (!b) fail("bad --status-byte " + o.statusByte);
        printer.statusByte = static_cast<std::uint8_t>(*b);
    }
    if (!o.extStatus.empty() && !parseHex8(o.extStatus, printer.extStatus))
        fail("--ext-status wants 16 hex digits");
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions o;
    CLI::App app(kDescription, "m350-printer-sim");
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("m350-printer-sim ") + M350_VERSION);
    addListening(app, o);
    addReporting(app, o);
    addPrinter(app, o);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        fail(std::string(e.what()) + " (see --help)");
    }
    finishServer(o);
    std::vector<m350::sim::Fault> faults;
    for (const auto& v : o.faults) {
        m350::sim::Fault f;
        if (!m350::sim::parseFault(v, f)) fail("bad --fault " + v);
        faults.push_back(f);
    }
    m350::sim::Printer printer(profileOf(o));
    buildPrinter(o, printer);
    printer.onEvent = [](const std::string& what) {
        std::fprintf(stdout, "%s\n", what.c_str());
        std::fflush(stdout);
    };

    m350::sim::installStopSignals();
    m350::sim::Server srv(printer, faults, o.server);
    std::string error;
    if (!srv.start(error)) fail(error);
    srv.run();
    return 0;
}
