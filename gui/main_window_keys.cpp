// SPDX-License-Identifier: MIT
// The main window's keys beyond the controls' own: quit, read the shown page,
// the manual and the About box.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QUrl>

#include "core/version.h"
#include "gui/language_apply.h"
#include "gui/main_window.h"
#include "gui/prompter.h"

namespace m350::gui {

void MainWindow::installShortcuts() {
    auto key = [this](const QKeySequence& sequence, const char* name, auto handler) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setObjectName(QString::fromLatin1(name));
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    // Through close(), so an operation that runs or unsent edits are asked
    // about as for the window's close button.
    key(QKeySequence(Qt::CTRL | Qt::Key_Q), "ShortcutQuit", [this] { close(); });
    key(QKeySequence(Qt::Key_F5), "ShortcutRead", &MainWindow::onRefreshKey);
    key(QKeySequence(Qt::Key_F1), "ShortcutManual", &MainWindow::openManual);
    key(QKeySequence(Qt::CTRL | Qt::Key_F1), "ShortcutAbout", &MainWindow::showAbout);
}

void MainWindow::onRefreshKey() {
    // The button that reads from the printer on each page that has one; it
    // is pressed as the operator would, so a disabled one does nothing.
    static const char* const kReadButtons[] = {"ButtonRead", "ButtonGet"};
    QWidget* page = pageTabs_->currentWidget();
    if (page == nullptr || running_) return;
    for (const char* name : kReadButtons) {
        auto* b = page->findChild<QPushButton*>(QString::fromLatin1(name));
        if (b != nullptr && b->isVisible() && b->isEnabled()) {
            b->click();
            return;
        }
    }
}

namespace {

// The package's documents folder, beside the folder of the program.
QString installedDocFolder() {
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../share/doc/m350-utility"));
}

}  // namespace

void MainWindow::openManual() {
    const QString folder = docFolder_.isEmpty() ? installedDocFolder() : docFolder_;
    const QString manual = QDir::cleanPath(folder + QStringLiteral("/README.md"));
    if (!QFileInfo::exists(manual)) {
        prompter().message(
            ownTr("The manual is not installed with this program. Read it with: man m350-utility",
                  language_));
        return;
    }
    const QUrl url = QUrl::fromLocalFile(manual);
    if (network_.openUrl) {
        network_.openUrl(url);
    } else if (!QDesktopServices::openUrl(url)) {
        prompter().message(ownTr("The manual is in %1", language_).arg(manual));
    }
}

void MainWindow::showAbout() {
    QStringList lines;
    lines << QString::fromLatin1(kProgramTitle);
    lines << ownTr("Version %1", language_).arg(QStringLiteral(M350_VERSION));
    lines << ownTr("Licence: %1", language_).arg(QStringLiteral("MIT"));
    lines << ownTr("Contact: %1", language_).arg(QStringLiteral(M350_CONTACT));
    lines << ownTr("Qt version %1", language_).arg(QString::fromLatin1(qVersion()));
    lines << ownTr("F1: manual, Ctrl+F1: about, F5: read, Ctrl+Q: quit", language_);
    prompter().message(lines.join(QLatin1Char('\n')));
}

}  // namespace m350::gui
