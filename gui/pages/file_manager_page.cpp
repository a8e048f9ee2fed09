// SPDX-License-Identifier: MIT
#include "gui/pages/file_manager_page.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "core/files/file_download.h"
#include "core/files/file_source.h"
#include "core/files/file_types.h"
#include "core/files/memory_info.h"
#include "gui/app_context.h"
#include "gui/field_messages.h"
#include "gui/language_apply.h"
#include "gui/pages/page_kit.h"
#include "gui/password_gate_prompt.h"
#include "gui/printer_text.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {

const QStringList kDevices{"DRAM", "FLASH", "CARD"};

QGridLayout* fileGroupGrid(QWidget* group) {
    return pagekit::grid(group, 10, 8);
}

// The file manager's messages are English only.
const QString kOpenFileError = QStringLiteral("Open File Error");
const QString kLedMessage = QStringLiteral("Please wait for the LED to change to Green.");

// "BMP" -> "*.[Bb][Mm][Pp]": Linux names are case-sensitive, and logo.bmp,
// LOGO.BMP and Logo.Bmp are all BMP files.
QString anyCasePattern(const QString& extension) {
    QString pattern = QStringLiteral("*.");
    for (QChar c : extension) {
        if (c.isLetter())
            pattern += QLatin1Char('[') + c.toUpper() + c.toLower() + QLatin1Char(']');
        else
            pattern += c;
    }
    return pattern;
}

}  // namespace

QString FileManagerPage::openFilter(int fileType) {
    if (fileType == m350::kFileBitmapFont) return {};
    const QString all = QStringLiteral("*.* (*)");
    const QString extension = QString::fromLatin1(m350::fileTypeInfo(fileType).pattern);
    if (extension.isEmpty()) return all;
    const QString own = QStringLiteral("*.%1 (%2)").arg(extension, anyCasePattern(extension));
    // The True Type dialog lists fonts only.
    return fileType == m350::kFileTrueType ? own : own + QStringLiteral(";;") + all;
}

QStringList FileManagerPage::fontFolders() {
    QStringList folders;
    auto add = [&folders](const QString& folder) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir() && !folders.contains(folder))
            folders << folder;
    };
    add(QStringLiteral("/usr/share/fonts"));
    add(QStandardPaths::writableLocation(QStandardPaths::FontsLocation));
    add(QDir::homePath() + QStringLiteral("/.fonts"));
    return folders;
}

FileManagerPage::FileManagerPage(AppContext& app, QWidget* sheet, QString startupDirectory)
    : QObject(sheet), app_(app), startupDirectory_(std::move(startupDirectory)) {
    setObjectName(QStringLiteral("FileManagerPage"));
    fileDownloadGroup_ = pagekit::named(new QGroupBox(QStringLiteral("File Download"), sheet),
                                        "GroupBoxFileDownload");
    fileInfoGroup_ = pagekit::named(new QGroupBox(QStringLiteral("File Information"), sheet),
                                    "GroupBoxFileInfo");
    fileFormatGroup_ =
        pagekit::named(new QGroupBox(QStringLiteral("File Format"), sheet), "GroupBoxFileFormat");
    buildDownloadGroup();
    buildInfoGroup();
    buildFormatGroup();

    // Download across the top; information and format side by side below it.
    auto* page = new QVBoxLayout(sheet);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(6);
    page->addWidget(fileDownloadGroup_);
    auto* lower = new QHBoxLayout;
    lower->setSpacing(6);
    lower->addWidget(fileInfoGroup_, 1);
    lower->addWidget(fileFormatGroup_, 1);
    page->addLayout(lower, 1);

    connect(browseButton_, &QPushButton::clicked, this, &FileManagerPage::onBrowseClicked);
    connect(fontViewButton_, &QPushButton::clicked, this, &FileManagerPage::onFontViewClicked);
    connect(downloadButton_, &QPushButton::clicked, this, &FileManagerPage::onDownloadClicked);
    connect(getButton_, &QPushButton::clicked, this, &FileManagerPage::onGetClicked);
    connect(deviceRadio_, &RadioGroup::itemIndexChanged, this, &FileManagerPage::onDeviceClicked);
    connect(fileFormatButton_, &QPushButton::clicked, this, &FileManagerPage::onFileFormatClicked);
}

// Choose the file; its size and printer file name follow from it.
void FileManagerPage::onBrowseClicked() {
    downloadButton_->setEnabled(false);
    const int type = fileTypeCombo_->currentIndex();
    FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = openFilter(type);
    request.directory = startupDirectory_;
    if (type == m350::kFileTrueType) {
        // The system's fonts, with the operator's own folder beside them.
        const QStringList fonts = fontFolders();
        if (!fonts.isEmpty()) request.directory = fonts.first();
        request.places = fonts;
    }
    const QString path = app_.prompter().openFile(request);
    if (path.isEmpty()) return;

    std::uint64_t size = 0;
    std::string error;
    if (!m350::regularFileSize(localPath(path), size, error)) {
        app_.prompter().message(kOpenFileError);
        return;
    }
    // The true size, however large: a file the printer cannot take is refused
    // at Download with the reason.
    fileSizeEdit_->setText(QString::number(size));
    chosenPath_ = path;
    const QByteArray fileName = QFileInfo(path).fileName().toUtf8();
    fileNameEdit_->setText(QString::fromStdString(
        m350::printerFileName(std::string_view(fileName.constData(), fileName.size()), type)));
    downloadButton_->setEnabled(true);
}

int FileManagerPage::language() const {
    return app_.language();
}

void FileManagerPage::onFontViewClicked() {
    // For looking at the installed fonts; the choice is not used here.
    app_.prompter().chooseFont(fileFormatGroup_->font());
}

void FileManagerPage::onDownloadClicked() {
    const int type = fileTypeCombo_->currentIndex();
    const bool raw = m350::fileTypeInfo(type).raw;
    // The name goes to the printer in the printer text encoding.
    const std::string encoding = app_.textEncoding();
    const std::optional<std::string> encoded = printerBytes(fileNameEdit_->text(), encoding);
    if (!encoded && !raw) {
        app_.prompter().message(unwritableText(fileNameEdit_->text(), app_.language(), encoding));
        return;
    }
    const std::string name = encoded.value_or(std::string());
    const std::string path = localPath(chosenPath_);
    std::uint64_t size = 0;
    std::string error;
    const bool readable = m350::regularFileSize(path, size, error);
    if (raw && !readable) {
        app_.prompter().message(kOpenFileError);
        return;
    }
    // The name and the size, before the password is asked for: the core's
    // verdict, worded with the name box's caption.
    const m350::DownloadVerdict verdict = m350::checkDownload(name, readable ? size : 0, raw);
    if (verdict.name != m350::NameProblem::kNone) {
        app_.prompter().message(
            fileNameMessage(captionText(fileNameLabel_), verdict.name, app_.language()));
        return;
    }
    if (verdict.tooLarge) {
        app_.prompter().message(fileTooLargeMessage(size, app_.language()));
        return;
    }
    // New firmware replaces what runs the printer: the operator sees which
    // file and how large before anything is asked or sent.
    if (type == m350::kFileFirmware) {
        const QString question =
            ownTr("Send firmware %1 (%2 bytes)? The printer replaces its firmware.", language())
                .arg(QDir::toNativeSeparators(chosenPath_))
                .arg(size);
        if (!app_.prompter().confirm(question)) return;
    }
    if (!passwordGate(app_)) return;

    if (raw) {
        app_.runStandard(ops::sendFileRaw(path), [this] { app_.prompter().message(kLedMessage); });
        return;
    }
    m350::DownloadRequest request;
    request.path = path;
    request.name = name;
    request.device = deviceCombo_->currentIndex();
    app_.runStandard(ops::downloadFile(request));
}

void FileManagerPage::onGetClicked() {
    memory_ = {};
    const int result = app_.runStandard(ops::readMemoryInfo(memory_), [this] {
        states_.fill(ListState::kCurrent);
        partialPending_ = false;
        showMemory();
    });
    if (result == m350::kOk) return;
    // The lists on show are the Get before's; the record holds what this one
    // read before it failed, shown with the next choice of device.
    states_.fill(ListState::kStale);
    partialPending_ = true;
    showListState();
}

void FileManagerPage::onDeviceClicked() {
    if (partialPending_) {
        states_.fill(ListState::kPartial);
        partialPending_ = false;
    }
    showMemory();
}

void FileManagerPage::showMemory() {
    const int device = deviceRadio_->itemIndex();
    if (device < 0 || device >= m350::kDeviceCount) return;
    const m350::DeviceMemory& d = memory_.devices[static_cast<std::size_t>(device)];
    physicalSpaceEdit_->setText(d.physicalKnown ? QString::number(d.physicalSize) : QString());
    freeSpaceEdit_->setText(d.freeKnown ? QString::number(d.freeSpace) : QString());
    fileList_->clear();
    const std::string encoding = app_.textEncoding();
    for (const std::string& line : m350::fileListLines(d.fileList))
        fileList_->addItem(printerText(line, encoding));
    showListState();
}

void FileManagerPage::showListState() {
    const int device = deviceRadio_->itemIndex();
    if (device < 0 || device >= m350::kDeviceCount) return;
    const int language = app_.language();
    QString text;
    switch (states_[static_cast<std::size_t>(device)]) {
        case ListState::kNotRead:
        case ListState::kCurrent:
            break;
        case ListState::kStale:
            text = ownTr("Not current: the last Get failed, this is what the Get before it read.",
                         language);
            break;
        case ListState::kPartial:
            text = ownTr("Partial: the last Get failed, this is what it read before failing.",
                         language);
            break;
        case ListState::kFormatted:
            text =
                ownTr("Formatted since the last Get: the device's files were deleted.", language);
            break;
    }
    if (!text.isEmpty())
        text += QLatin1Char(' ') + ownTr("Press Get to read the printer again.", language);
    listStateLabel_->setText(text);
    listStateLabel_->setVisible(!text.isEmpty());
    // A list that is not the printer's own is greyed.
    for (int i = 0; i < fileList_->count(); ++i)
        fileList_->item(i)->setForeground(text.isEmpty() ? fileList_->palette().text()
                                                         : fileList_->palette().placeholderText());
}

void FileManagerPage::refreshLanguage() {
    showListState();
}

void FileManagerPage::onFileFormatClicked() {
    const int device = formatDeviceRadio_->itemIndex();
    // The question names the device whose files go.
    const QString question = ownTr("Format %1? Every file on %1 is deleted.", language())
                                 .arg(formatDeviceRadio_->itemText(device < 0 ? 0 : device));
    if (!app_.prompter().confirm(question)) return;
    if (!passwordGate(app_)) return;
    app_.runStandard(ops::formatDevice(device), [this, device] {
        // The device holds no files now: its list is emptied and its free
        // space unknown until the next Get.
        if (device < 0 || device >= m350::kDeviceCount) return;
        auto& d = memory_.devices[static_cast<std::size_t>(device)];
        d.fileList.clear();
        d.freeKnown = false;
        d.freeSpace = 0;
        states_[static_cast<std::size_t>(device)] = ListState::kFormatted;
        if (device == deviceRadio_->itemIndex()) showMemory();
    });
}

// File type and Browse, then the printer file name, its size and the memory
// device, then Download.
void FileManagerPage::buildDownloadGroup() {
    QGroupBox* g = fileDownloadGroup_;
    QGridLayout* grid = fileGroupGrid(g);
    fileTypeLabel_ = pagekit::caption(g, "LabelFileType", "File Type");
    fileTypeCombo_ =
        pagekit::dropDown(g, "ComboBoxFileType",
                          {"BMP", "PCX", "True Type Font", "Bitmap Font", "Printer BASIC File",
                           "Data File", "Firmware File", "TCF File"},
                          0);
    browseButton_ = pagekit::button(g, "ButtonBrowse", "Browse");
    fontViewButton_ = pagekit::button(g, "ButtonFontView", "Font View");
    fileNameLabel_ = pagekit::caption(g, "LabelFileName", "File Name");
    fileNameEdit_ = pagekit::named(new QLineEdit(g), "EditFileName");
    fileSizeLabel_ = pagekit::caption(g, "LabelFileSize", "File Size");
    fileSizeEdit_ = pagekit::named(new QLineEdit(g), "EditFileSize");
    fileSizeEdit_->setReadOnly(true);
    memoryDeviceLabel_ = pagekit::caption(g, "LabelMemoryDevice", "Memory Device");
    deviceCombo_ = pagekit::dropDown(g, "ComboBoxDevice", kDevices, m350::kDeviceFlash);
    downloadButton_ = pagekit::button(g, "ButtonDownload", "Download");
    downloadButton_->setEnabled(false);  // until a file has been chosen

    fileTypeLabel_->setBuddy(fileTypeCombo_);
    fileNameLabel_->setBuddy(fileNameEdit_);
    fileSizeLabel_->setBuddy(fileSizeEdit_);
    memoryDeviceLabel_->setBuddy(deviceCombo_);

    grid->addWidget(fileTypeLabel_, 0, 0);
    grid->addWidget(fileTypeCombo_, 0, 1);
    auto* browse = new QHBoxLayout;
    browse->setSpacing(8);
    browse->addWidget(browseButton_);
    browse->addWidget(fontViewButton_);
    browse->addStretch(1);
    grid->addLayout(browse, 0, 2, 1, 2);
    grid->addWidget(fileNameLabel_, 1, 0);
    grid->addWidget(fileNameEdit_, 1, 1);
    grid->addWidget(fileSizeLabel_, 1, 2);
    grid->addWidget(fileSizeEdit_, 1, 3);
    grid->addWidget(memoryDeviceLabel_, 2, 0);
    grid->addWidget(deviceCombo_, 2, 1);
    grid->addWidget(downloadButton_, 2, 3, Qt::AlignRight);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
}

// Which device to show, Get, the two sizes in KB and the device's files.
void FileManagerPage::buildInfoGroup() {
    QGroupBox* g = fileInfoGroup_;
    QGridLayout* grid = fileGroupGrid(g);
    deviceRadio_ = new RadioGroup(g, "RadioGroupDevice", QStringLiteral("Memory Device"), 0, 0, 200,
                                  41, kDevices, 3);
    deviceRadio_->setItemIndex(m350::kDeviceFlash);
    getButton_ = pagekit::button(g, "ButtonGet", "Get");
    physicalSpaceLabel_ = pagekit::caption(g, "LabelPhysicalSpace", "Physical Space");
    physicalSpaceEdit_ = pagekit::named(new QLineEdit(g), "EditPhysicalSpace");
    physicalSpaceEdit_->setReadOnly(true);
    physicalUnitLabel_ = pagekit::caption(g, "LabelPhysicalUnit", "KB");
    freeSpaceLabel_ = pagekit::caption(g, "LabelFreeSpace", "Free Space");
    freeSpaceEdit_ = pagekit::named(new QLineEdit(g), "EditFreeSpace");
    freeSpaceEdit_->setReadOnly(true);
    freeUnitLabel_ = pagekit::caption(g, "LabelFreeUnit", "KB");
    fileList_ = pagekit::named(new QListWidget(g), "ListBoxFileList");
    listStateLabel_ = pagekit::named(new QLabel(g), "LabelFileListState");
    listStateLabel_->setWordWrap(true);
    listStateLabel_->setStyleSheet(QStringLiteral("color: #b00000"));
    listStateLabel_->hide();
    physicalSpaceLabel_->setBuddy(physicalSpaceEdit_);
    freeSpaceLabel_->setBuddy(freeSpaceEdit_);

    grid->addWidget(deviceRadio_, 0, 0, 1, 3);
    grid->addWidget(getButton_, 0, 3, Qt::AlignBottom);
    grid->addWidget(physicalSpaceLabel_, 1, 0);
    grid->addWidget(physicalSpaceEdit_, 1, 1, 1, 2);
    grid->addWidget(physicalUnitLabel_, 1, 3);
    grid->addWidget(freeSpaceLabel_, 2, 0);
    grid->addWidget(freeSpaceEdit_, 2, 1, 1, 2);
    grid->addWidget(freeUnitLabel_, 2, 3);
    grid->addWidget(fileList_, 3, 0, 1, 4);
    grid->addWidget(listStateLabel_, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
}

// The device to empty and Format, at the top of the group.
void FileManagerPage::buildFormatGroup() {
    QGroupBox* g = fileFormatGroup_;
    QGridLayout* grid = fileGroupGrid(g);
    formatDeviceRadio_ = new RadioGroup(
        g, "RadioGroupFormatDevice", QStringLiteral("Memory Device"), 0, 0, 200, 41, kDevices, 3);
    formatDeviceRadio_->setItemIndex(m350::kDeviceFlash);
    fileFormatButton_ = pagekit::button(g, "ButtonFileFormat", "Format");
    grid->addWidget(formatDeviceRadio_, 0, 0);
    grid->addWidget(fileFormatButton_, 0, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
}

}  // namespace m350::gui
