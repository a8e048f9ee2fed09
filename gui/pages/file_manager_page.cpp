#include "gui/pages/file_manager_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app_context.h"
#include "gui/pages/page_kit.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {

using pagekit::button;
using pagekit::caption;
using pagekit::dropDown;
using pagekit::named;

const QStringList kDevices{"DRAM", "FLASH", "CARD"};
constexpr int kFlash = 1;

QGridLayout* pageGrid(QWidget* group) {
    return pagekit::grid(group, 10, 8);
}

}  // namespace

FileManagerPage::FileManagerPage(AppContext& app, QWidget* sheet) : QObject(sheet), app_(app) {
    setObjectName(QStringLiteral("FileManagerPage"));
    fileDownloadGroup_ =
        named(new QGroupBox(QStringLiteral("File Download"), sheet), "GroupBoxFileDownload");
    fileInfoGroup_ =
        named(new QGroupBox(QStringLiteral("File Information"), sheet), "GroupBoxFileInfo");
    fileFormatGroup_ =
        named(new QGroupBox(QStringLiteral("File Format"), sheet), "GroupBoxFileFormat");
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
}

// File type and Browse, then the printer file name, its size and the memory
// device, then Download.
void FileManagerPage::buildDownloadGroup() {
    QGroupBox* g = fileDownloadGroup_;
    QGridLayout* grid = pageGrid(g);
    fileTypeLabel_ = caption(g, "LabelFileType", "File Type");
    fileTypeCombo_ = dropDown(g, "ComboBoxFileType",
                              {"BMP", "PCX", "True Type Font", "Bitmap Font", "Printer BASIC File",
                               "Data File", "Firmware File", "TCF File"},
                              0);
    browseButton_ = button(g, "ButtonBrowse", "Browse");
    fontViewButton_ = button(g, "ButtonFontView", "Font View");
    fileNameLabel_ = caption(g, "LabelFileName", "File Name");
    fileNameEdit_ = named(new QLineEdit(g), "EditFileName");
    fileSizeLabel_ = caption(g, "LabelFileSize", "File Size");
    fileSizeEdit_ = named(new QLineEdit(g), "EditFileSize");
    fileSizeEdit_->setReadOnly(true);
    memoryDeviceLabel_ = caption(g, "LabelMemoryDevice", "Memory Device");
    deviceCombo_ = dropDown(g, "ComboBoxDevice", kDevices, kFlash);
    downloadButton_ = button(g, "ButtonDownload", "Download");
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
    QGridLayout* grid = pageGrid(g);
    deviceRadio_ = new RadioGroup(g, "RadioGroupDevice", QStringLiteral("Memory Device"), 0, 0, 200,
                                  41, kDevices, 3);
    deviceRadio_->setItemIndex(kFlash);
    getButton_ = button(g, "ButtonGet", "Get");
    physicalSpaceLabel_ = caption(g, "LabelPhysicalSpace", "Physical Space");
    physicalSpaceEdit_ = named(new QLineEdit(g), "EditPhysicalSpace");
    physicalSpaceEdit_->setReadOnly(true);
    physicalUnitLabel_ = caption(g, "LabelPhysicalUnit", "KB");
    freeSpaceLabel_ = caption(g, "LabelFreeSpace", "Free Space");
    freeSpaceEdit_ = named(new QLineEdit(g), "EditFreeSpace");
    freeSpaceEdit_->setReadOnly(true);
    freeUnitLabel_ = caption(g, "LabelFreeUnit", "KB");
    fileList_ = named(new QListWidget(g), "ListBoxFileList");
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
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
}

// The device to empty and Format, at the top of the group.
void FileManagerPage::buildFormatGroup() {
    QGroupBox* g = fileFormatGroup_;
    QGridLayout* grid = pageGrid(g);
    formatDeviceRadio_ = new RadioGroup(
        g, "RadioGroupFormatDevice", QStringLiteral("Memory Device"), 0, 0, 200, 41, kDevices, 3);
    formatDeviceRadio_->setItemIndex(kFlash);
    fileFormatButton_ = button(g, "ButtonFileFormat", "Format");
    grid->addWidget(formatDeviceRadio_, 0, 0);
    grid->addWidget(fileFormatButton_, 0, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
}

}  // namespace m350::gui
