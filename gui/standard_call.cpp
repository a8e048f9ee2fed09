#include "gui/standard_call.h"

#include <QGuiApplication>
#include <QWidget>

#include "core/link/link_operations.h"
#include "gui/prompter.h"

namespace m350::gui {

int runStandardCall(QWidget& mainWindow, Prompter& prompter, m350::LinkContext& link, int iface,
                    std::uint32_t op, const m350::OperationCall& call,
                    const std::function<void()>& onSuccess, bool withProgress) {
    mainWindow.setEnabled(false);
    const int result = m350::runOperation(link, op, iface, call, withProgress);
    if (result != m350::kOk) {
        std::string_view text = m350::resultText(result);
        prompter.message(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    } else if (onSuccess) {
        onSuccess();
    }
    mainWindow.setEnabled(true);
    mainWindow.show();
    // Window tests run without a window system, which has no stacking order.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        mainWindow.raise();
        mainWindow.activateWindow();
    }
    return result;
}

}  // namespace m350::gui
