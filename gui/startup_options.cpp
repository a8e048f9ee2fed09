// SPDX-License-Identifier: MIT
#include "gui/startup_options.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include "core/transport/port_settings.h"
#include "core/transport/usb_backend.h"
#include "core/version.h"

namespace m350::gui {

namespace {

// "COM12" -> 12 when it has the prefix and a number in 1..max, else 0.
int portNumber(const QString& text, const QString& prefix, int max) {
    if (!text.startsWith(prefix, Qt::CaseInsensitive)) return 0;
    bool ok = false;
    const int n = text.mid(prefix.size()).toInt(&ok);
    return ok && n >= 1 && n <= max && !text.mid(prefix.size()).startsWith('+') ? n : 0;
}

// Host name or dotted address, optionally followed by ":port". The address
// field of the link holds 63 characters.
bool parseAddress(const QString& text, std::string& host, std::optional<int>& port) {
    QString h = text;
    const int colon = text.lastIndexOf(':');
    if (colon >= 0) {
        bool ok = false;
        const int p = text.mid(colon + 1).toInt(&ok);
        if (!ok || p < 1 || p > 65535) return false;
        port = p;
        h = text.left(colon);
    }
    static const QRegularExpression kHost(QStringLiteral("^[A-Za-z0-9._-]{1,63}$"));
    if (!kHost.match(h).hasMatch()) return false;
    host = h.toStdString();
    return true;
}

// Qt's own options, taken by QApplication from the same command line: the
// ones that take a value, then the flags. Either may be written with one dash
// or two, and a value may follow after "=".
const QStringList kQtValueOptions = {
    QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"), QStringLiteral("plugin"),
    QStringLiteral("qmljsdebugger"), QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"),   QStringLiteral("qwindowtitle"),
    QStringLiteral("session"),       QStringLiteral("display"),
    QStringLiteral("geometry"),      QStringLiteral("style"),
    QStringLiteral("stylesheet"),    QStringLiteral("name"),
    QStringLiteral("title"),         QStringLiteral("visual"),
    QStringLiteral("qwindowscreen"), QStringLiteral("fontengine"),
};
const QStringList kQtFlags = {
    QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
    QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
};

const char* const kQtHelp =
    "\nQt options (taken by Qt before the program's own):\n"
    "  -platform NAME[:OPTIONS]   Window system plugin (xcb, wayland, offscreen ...).\n"
    "  -platformtheme NAME        Platform theme.\n"
    "  -plugin NAME               Additional plugin to load.\n"
    "  -style NAME                Widget style (fusion, windows ...).\n"
    "  -stylesheet FILE           Style sheet applied to the whole program.\n"
    "  -reverse                   Right-to-left layout.\n"
    "  -qwindowgeometry GEOMETRY  Geometry of the first window.\n"
    "  -qwindowtitle TITLE        Title of the first window.\n"
    "  -display DISPLAY           X11 display to use.\n"
    "  -session ID                Restore a session.\n";

// The program's own arguments: args less the options Qt takes itself.
QStringList withoutQtOptions(const QStringList& args) {
    QStringList own;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (i == 0 || !arg.startsWith('-') || arg == QStringLiteral("--")) {
            own << arg;
            continue;
        }
        QString name = arg.mid(arg.startsWith(QStringLiteral("--")) ? 2 : 1);
        const bool inlineValue = name.contains('=');
        name = name.section('=', 0, 0);
        if (kQtFlags.contains(name)) continue;
        if (kQtValueOptions.contains(name)) {
            if (!inlineValue) ++i;
            continue;
        }
        own << arg;
    }
    return own;
}

}  // namespace

ParseOutcome parseStartupOptions(const QStringList& args, StartupOptions& out, QString& message) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration and diagnostics for M350 label printers."));
    const QCommandLineOption help = parser.addHelpOption();
    // --help-all comes with the help option; it also lists Qt's own options.
    const QString helpAll = QStringLiteral("help-all");
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption iface(
        QStringLiteral("interface"),
        QStringLiteral("Interface to select: usb, com, lpt or ethernet."),
        QStringLiteral("usb|com|lpt|ethernet"));
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Printer address for ethernet."),
                                     QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption com(
        QStringLiteral("com"),
        QStringLiteral("Serial port COM1..COM30, or a serial device by its path "
                       "(/dev/ttyUSB0, /dev/serial/by-id/...)."),
        QStringLiteral("COMn|DEVICE"));
    const QCommandLineOption lpt(QStringLiteral("lpt"), QStringLiteral("Parallel port LPT1..LPT4."),
                                 QStringLiteral("LPTn"));
    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Interface language 0..13 (0 English)."),
                                      QStringLiteral("INDEX"));
    const QCommandLineOption usbDevice(
        QStringLiteral("usb-device"),
        QStringLiteral("USB printer to use when it does not report one of the printer "
                       "vendors: vendor and product identifier (and serial number) or bus "
                       "path, as `m350ctl usb list` shows; remembered for the next start. "
                       "auto: by vendor identifier again."),
        QStringLiteral("VID:PID[:SERIAL]|BUS-PATH|auto"));
    parser.addOptions({iface, address, com, lpt, language, usbDevice});
    const QCommandLineOption resetSettings(
        QStringLiteral("reset-settings"),
        QStringLiteral("Forget the interface, ports, unit, language and text encoding "
                       "remembered from earlier runs."));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Write every byte sent to and received from the printer to FILE, one "
                       "time-stamped line per event."),
        QStringLiteral("FILE"));
    parser.addOptions({resetSettings, trace});

    if (!parser.parse(withoutQtOptions(args))) {
        message = parser.errorText();
        return ParseOutcome::kError;
    }
    if (parser.isSet(help) || parser.isSet(helpAll)) {
        message = parser.helpText();
        if (parser.isSet(helpAll)) message += QString::fromLatin1(kQtHelp);
        return ParseOutcome::kHelp;
    }
    if (parser.isSet(version)) {
        message = QStringLiteral("m350-utility %1\n").arg(QStringLiteral(M350_VERSION));
        return ParseOutcome::kVersion;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first();
        return ParseOutcome::kError;
    }
    if (parser.isSet(iface)) {
        static const QStringList kNames = {QStringLiteral("usb"), QStringLiteral("com"),
                                           QStringLiteral("lpt"), QStringLiteral("ethernet")};
        const int index = kNames.indexOf(parser.value(iface).toLower());
        if (index < 0) {
            message = QStringLiteral("Unknown interface: ") + parser.value(iface);
            return ParseOutcome::kError;
        }
        out.interfaceIndex = index;
    }
    if (parser.isSet(address)) {
        std::string host;
        if (!parseAddress(parser.value(address), host, out.port)) {
            message = QStringLiteral("Invalid address: ") + parser.value(address);
            return ParseOutcome::kError;
        }
        out.address = host;
    }
    if (parser.isSet(com) && parser.value(com).startsWith('/')) {
        out.comDevicePath = parser.value(com).toStdString();
    } else if (parser.isSet(com)) {
        const int n = portNumber(parser.value(com), QStringLiteral("COM"), 30);
        if (n == 0) {
            message = QStringLiteral("Invalid serial port: ") + parser.value(com);
            return ParseOutcome::kError;
        }
        out.comName = "COM" + std::to_string(n);
    }
    if (parser.isSet(lpt)) {
        const int n = portNumber(parser.value(lpt), QStringLiteral("LPT"), 4);
        if (n == 0) {
            message = QStringLiteral("Invalid parallel port: ") + parser.value(lpt);
            return ParseOutcome::kError;
        }
        out.lptName = "LPT" + std::to_string(n);
    }
    if (parser.isSet(usbDevice)) {
        const std::string text = parser.value(usbDevice).toStdString();
        if (!m350::isUsbDeviceOption(text)) {
            message = QStringLiteral(
                          "Invalid USB device (expected VID:PID, VID:PID:SERIAL, a "
                          "bus path such as 1-1.4, or auto): ") +
                      parser.value(usbDevice);
            return ParseOutcome::kError;
        }
        out.usbDevice = text;
    }
    if (parser.isSet(language)) {
        bool ok = false;
        const int index = parser.value(language).toInt(&ok);
        if (!ok || index < 0 || index > 13) {
            message = QStringLiteral("Invalid language index: ") + parser.value(language);
            return ParseOutcome::kError;
        }
        out.language = index;
    }
    out.resetSettings = parser.isSet(resetSettings);
    if (parser.isSet(trace)) {
        if (parser.value(trace).isEmpty()) {
            message = QStringLiteral("No trace file given");
            return ParseOutcome::kError;
        }
        out.tracePath = parser.value(trace).toStdString();
    }
    return ParseOutcome::kRun;
}

}  // namespace m350::gui
