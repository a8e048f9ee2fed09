// m350-utility: the desktop configuration utility.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "gui/main_window.h"
#include "gui/prompter.h"
#include "gui/startup_options.h"
#include "gui/widgets/form_kit.h"

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
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("m350-utility"));
    QApplication::setApplicationVersion(QStringLiteral("2.07"));
    app.setStyleSheet(QString::fromLatin1(m350::gui::kClassicStyleSheet));

    m350::gui::StartupOptions options;
    QString message;
    switch (m350::gui::parseStartupOptions(QApplication::arguments(), options, message)) {
        case m350::gui::ParseOutcome::kHelp:
            std::fputs(qPrintable(message), stdout);
            return 0;
        case m350::gui::ParseOutcome::kError:
            std::fprintf(stderr, "m350-utility: %s\n", qPrintable(message));
            return 2;
        case m350::gui::ParseOutcome::kRun:
            break;
    }

    try {
        m350::gui::MainWindow window(options);
        window.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        showException(e.what());
    } catch (...) {
        showException("Unknown exception");
    }
    return 0;
}
