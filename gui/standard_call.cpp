// SPDX-License-Identifier: MIT
#include "gui/standard_call.h"

#include <QGuiApplication>
#include <QWidget>

#include "core/link/link_operations.h"
#include "gui/language_apply.h"
#include "gui/log_categories.h"
#include "gui/prompter.h"

namespace m350::gui {

QString portErrorDetails(const m350::PortError& error, int iface) {
    if (!error.isSet()) return {};
    QString details = QString::fromStdString(m350::describePortError(error));
    const std::string hint = m350::portErrorHint(error, iface);
    if (!hint.empty()) details += QStringLiteral("\n") + QString::fromStdString(hint);
    return details;
}

int runStandardCall(QWidget& mainWindow, Prompter& prompter, const m350::LinkContext& link,
                    int iface, const std::function<int()>& exchange,
                    const std::function<void()>& onSuccess, int language) {
    mainWindow.setEnabled(false);
    const int result = exchange();
    qCDebug(lcLink) << "operation on interface" << iface << "result" << result;
    if (result != m350::kOk) {
        std::string_view text = m350::resultText(result);
        const QString shown =
            result == m350::kCancelled
                ? ownTr("Cancelled", language)
                : QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        const QString details = portErrorDetails(link.lastError, iface);
        if (details.isEmpty()) {
            prompter.message(shown);
        } else {
            qCInfo(lcLink) << "cause:" << details;
            prompter.messageWithDetails(shown, details);
        }
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
