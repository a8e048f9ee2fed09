// SPDX-License-Identifier: MIT
// m350-utility: the desktop configuration utility.
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <cstdio>
#include <exception>

#include "core/version.h"
#include "gui/main_window.h"
#include "gui/prompter.h"
#include "gui/startup_options.h"
#include "gui/widgets/classic_style.h"

namespace {

void showException(const char* what) {
    m350::gui::QtPrompter prompter;
    prompter.message(QString::fromLocal8Bit(what));
}

// An exception thrown by a handler is shown and the program goes on, as it
// would for any other failed action.
class Application final : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            showException(e.what());
        } catch (...) {
            showException("Unknown exception");
        }
        return false;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    // The options are read before the window system is opened, so --help,
    // --version and a mistyped option need no display.
    m350::gui::StartupOptions options;
    QString message;
    m350::gui::ParseOutcome outcome;
    {
        QCoreApplication probe(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("m350-utility"));
        QCoreApplication::setApplicationVersion(QStringLiteral(M350_VERSION));
        outcome = m350::gui::parseStartupOptions(QCoreApplication::arguments(), options, message);
    }
    switch (outcome) {
        case m350::gui::ParseOutcome::kHelp:
        case m350::gui::ParseOutcome::kVersion:
            std::fputs(qPrintable(message), stdout);
            return 0;
        case m350::gui::ParseOutcome::kError:
            std::fprintf(stderr, "m350-utility: %s\n", qPrintable(message));
            return 2;
        case m350::gui::ParseOutcome::kRun:
            break;
    }

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("m350-utility"));
    QApplication::setApplicationVersion(QStringLiteral(M350_VERSION));
    // The desktop finds the window's entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.m350.Utility"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/org.m350.Utility.png")));
    // The classic group boxes, drawn by the style rather than a style sheet
    // (see classic_style.h).
    QApplication::setStyle(new m350::gui::ClassicStyle);

    try {
        // The window shows first; the start-up contact follows from the event
        // loop, under the progress window when the printer is slow.
        m350::gui::MainWindowSeams seams;
        seams.contactAfterShow = true;
        m350::gui::MainWindow window(options, std::move(seams));
        window.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        showException(e.what());
    } catch (...) {
        showException("Unknown exception");
    }
    return 0;
}
