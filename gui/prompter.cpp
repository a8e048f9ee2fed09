// SPDX-License-Identifier: MIT
#include "gui/prompter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

#include "core/version.h"

namespace m350::gui {

const char* const kProgramTitle = "M350 Configuration Utility " M350_VERSION;

namespace {

// A message box is as wide as its text needs, and a short text left the
// program's title cut in the title bar. The box is kept wide enough for the
// title in a bold face, with room for the title bar's buttons.
void keepTitleWhole(QMessageBox& box) {
    constexpr int kTitleBarButtons = 120;
    QFont bold = box.font();
    bold.setBold(true);
    const int need = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

int run(QMessageBox& box) {
    keepTitleWhole(box);
    return box.exec();
}

}  // namespace

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
