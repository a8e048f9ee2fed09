#include "gui/prompter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QUrl>

#include "core/version.h"

namespace m350::gui {

const char* const kProgramTitle = "M350 Configuration Utility " M350_VERSION;

// The boxes have no parent: during a link operation the main window is
// disabled, and a box owned by it would come up disabled too.
void QtPrompter::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok);
    box.exec();
}

void QtPrompter::messageWithDetails(const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok);
    if (!details.isEmpty()) box.setDetailedText(details);
    box.exec();
}

bool QtPrompter::question(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), text,
                    QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompter::confirm(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), text,
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
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
