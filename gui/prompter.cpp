// SPDX-License-Identifier: MIT
#include "gui/prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>
#include <algorithm>

#include "core/version.h"
#include "gui/language_apply.h"

namespace m350::gui {

const char* const kProgramTitle = "M350 Configuration Utility " M350_VERSION;

FileDialogRequest anyFileRequest() {
    return {QString(), QStringLiteral("*.* (*)"), QString(), QString(), QString()};
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

int titleBarWidth(const QWidget& window) {
    // The title bar's three buttons and the window's icon with their
    // padding, as the common window managers draw them (openbox takes 80).
    constexpr int kTitleBarButtons = 96;
    // Title bars are drawn in the desktop's own font, mostly bold; not in the
    // window's, which may be smaller.
    QFont bold = QApplication::font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + kTitleBarButtons;
}

void keepTitleWhole(QWidget& window) {
    const int need = titleBarWidth(window);
    QLayout* layout = window.layout();
    if (layout == nullptr) {
        window.setMinimumWidth(std::max(window.minimumWidth(), need));
        return;
    }
    // A spacer across the layout: the window's own size rules (a fixed size
    // from its layout among them) then keep to that width.
    const QMargins m = layout->contentsMargins();
    auto* room =
        new QSpacerItem(need - m.left() - m.right(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->addItem(room, grid->rowCount(), 0, 1, std::max(grid->columnCount(), 1));
    else
        layout->addItem(room);
}

int QtPrompter::run(QMessageBox& box) const {
    // The buttons in the interface language, as every other button.
    if (language_) {
        const int language = language_();
        const std::pair<QMessageBox::StandardButton, QString> texts[] = {
            {QMessageBox::Ok, languageQText(0, language)},
            {QMessageBox::Cancel, languageQText(2, language)},
            {QMessageBox::Yes, ownTr("Yes", language)},
            {QMessageBox::No, ownTr("No", language)}};
        for (const auto& [which, text] : texts)
            if (QAbstractButton* b = box.button(which)) b->setText(text);
    }
    // As wide as its text needs, a box with a short text would leave the
    // program's title cut in the title bar.
    keepTitleWhole(box);
    return box.exec();
}

// The boxes have no parent: during a link operation the main window is
// disabled, and a box owned by it would come up disabled too.
void QtPrompter::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok);
    run(box);
}

void QtPrompter::messageWithDetails(const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok);
    if (!details.isEmpty()) box.setDetailedText(details);
    run(box);
}

bool QtPrompter::question(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), text,
                    QMessageBox::Yes | QMessageBox::No);
    return run(box) == QMessageBox::Yes;
}

bool QtPrompter::confirm(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), text,
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return run(box) == QMessageBox::Ok;
}

QString QtPrompter::openFile(const FileDialogRequest& r) {
    if (r.places.isEmpty())
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), r.title, r.directory,
                                            r.filter);
    QFileDialog dialog(QApplication::activeWindow(), r.title, r.directory, r.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QList<QUrl> urls = dialog.sidebarUrls();
    for (const QString& place : r.places) urls << QUrl::fromLocalFile(place);
    dialog.setSidebarUrls(urls);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString QtPrompter::saveFile(const FileDialogRequest& r) {
    QFileDialog dialog(QApplication::activeWindow(), r.title, r.directory, r.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!r.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(r.defaultSuffix);
    if (!r.fileName.isEmpty()) dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

std::optional<QFont> QtPrompter::chooseFont(const QFont& initial) {
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, initial, QApplication::activeWindow());
    if (!ok) return std::nullopt;
    return font;
}

int QtPrompter::runModal(QDialog& dialog) {
    return dialog.exec();
}

}  // namespace m350::gui
