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

#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "gui/pages/page_kit.h"
#include "gui/main_window.h"

namespace m350::gui {

namespace {

using m350::gui::pagekit::button;
using m350::gui::pagekit::caption;
using m350::gui::pagekit::dropDown;
using m350::gui::pagekit::named;

const QStringList kDevices{"DRAM", "FLASH", "CARD"};
constexpr int kFlash = 1;

QGridLayout* pageGrid(QWidget* group) { return m350::gui::pagekit::grid(group, 10, 8); }

}  // namespace

FileManagerPage::FileManagerPage(MainWindow& main, QWidget* sheet) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("FileManagerPage"));
    GroupBoxFileDownload =
        named(new QGroupBox(QStringLiteral("File Download"), sheet), "GroupBoxFileDownload");
    GroupBoxFileInfo =
        named(new QGroupBox(QStringLiteral("File Information"), sheet), "GroupBoxFileInfo");
    GroupBoxFileFormat =
        named(new QGroupBox(QStringLiteral("File Format"), sheet), "GroupBoxFileFormat");
    buildDownloadGroup();
    buildInfoGroup();
    buildFormatGroup();

    // Download across the top; information and format side by side below it.
    auto* page = new QVBoxLayout(sheet);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(6);
    page->addWidget(GroupBoxFileDownload);
    auto* lower = new QHBoxLayout;
    lower->setSpacing(6);
    lower->addWidget(GroupBoxFileInfo, 1);
    lower->addWidget(GroupBoxFileFormat, 1);
    page->addLayout(lower, 1);
}

// File type and Browse, then the printer file name, its size and the memory
// device, then Download.
void FileManagerPage::buildDownloadGroup() {
    QGroupBox* g = GroupBoxFileDownload;
    QGridLayout* grid = pageGrid(g);
    LabelFileType = caption(g, "LabelFileType", "File Type");
    ComboBoxFileType = dropDown(g, "ComboBoxFileType",
                                {"BMP", "PCX", "True Type Font", "Bitmap Font",
                                 "Printer BASIC File", "Data File", "Firmware File", "TCF File"},
                                0);
    ButtonBrowse = button(g, "ButtonBrowse", "Browse");
    ButtonFontView = button(g, "ButtonFontView", "Font View");
    LabelFileName = caption(g, "LabelFileName", "File Name");
    EditFileName = named(new QLineEdit(g), "EditFileName");
    LabelFileSize = caption(g, "LabelFileSize", "File Size");
    EditFileSize = named(new QLineEdit(g), "EditFileSize");
    EditFileSize->setReadOnly(true);
    LabelMemoryDevice = caption(g, "LabelMemoryDevice", "Memory Device");
    ComboBoxDevice = dropDown(g, "ComboBoxDevice", kDevices, kFlash);
    ButtonDownload = button(g, "ButtonDownload", "Download");
    ButtonDownload->setEnabled(false);  // until a file has been chosen

    LabelFileType->setBuddy(ComboBoxFileType);
    LabelFileName->setBuddy(EditFileName);
    LabelFileSize->setBuddy(EditFileSize);
    LabelMemoryDevice->setBuddy(ComboBoxDevice);

    grid->addWidget(LabelFileType, 0, 0);
    grid->addWidget(ComboBoxFileType, 0, 1);
    auto* browse = new QHBoxLayout;
    browse->setSpacing(8);
    browse->addWidget(ButtonBrowse);
    browse->addWidget(ButtonFontView);
    browse->addStretch(1);
    grid->addLayout(browse, 0, 2, 1, 2);
    grid->addWidget(LabelFileName, 1, 0);
    grid->addWidget(EditFileName, 1, 1);
    grid->addWidget(LabelFileSize, 1, 2);
    grid->addWidget(EditFileSize, 1, 3);
    grid->addWidget(LabelMemoryDevice, 2, 0);
    grid->addWidget(ComboBoxDevice, 2, 1);
    grid->addWidget(ButtonDownload, 2, 3, Qt::AlignRight);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
}

// Which device to show, Get, the two sizes in KB and the device's files.
void FileManagerPage::buildInfoGroup() {
    QGroupBox* g = GroupBoxFileInfo;
    QGridLayout* grid = pageGrid(g);
    RadioGroupDevice = new m350::gui::RadioGroup(
        g, "RadioGroupDevice", QStringLiteral("Memory Device"), 0, 0, 200, 41, kDevices, 3);
    RadioGroupDevice->setItemIndex(kFlash);
    ButtonGet = button(g, "ButtonGet", "Get");
    LabelPhysicalSpace = caption(g, "LabelPhysicalSpace", "Physical Space");
    EditPhysicalSpace = named(new QLineEdit(g), "EditPhysicalSpace");
    EditPhysicalSpace->setReadOnly(true);
    LabelPhysicalUnit = caption(g, "LabelPhysicalUnit", "KB");
    LabelFreeSpace = caption(g, "LabelFreeSpace", "Free Space");
    EditFreeSpace = named(new QLineEdit(g), "EditFreeSpace");
    EditFreeSpace->setReadOnly(true);
    LabelFreeUnit = caption(g, "LabelFreeUnit", "KB");
    ListBoxFileList = named(new QListWidget(g), "ListBoxFileList");
    LabelPhysicalSpace->setBuddy(EditPhysicalSpace);
    LabelFreeSpace->setBuddy(EditFreeSpace);

    grid->addWidget(RadioGroupDevice, 0, 0, 1, 3);
    grid->addWidget(ButtonGet, 0, 3, Qt::AlignBottom);
    grid->addWidget(LabelPhysicalSpace, 1, 0);
    grid->addWidget(EditPhysicalSpace, 1, 1, 1, 2);
    grid->addWidget(LabelPhysicalUnit, 1, 3);
    grid->addWidget(LabelFreeSpace, 2, 0);
    grid->addWidget(EditFreeSpace, 2, 1, 1, 2);
    grid->addWidget(LabelFreeUnit, 2, 3);
    grid->addWidget(ListBoxFileList, 3, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
}

// The device to empty and Format, at the top of the group.
void FileManagerPage::buildFormatGroup() {
    QGroupBox* g = GroupBoxFileFormat;
    QGridLayout* grid = pageGrid(g);
    RadioGroupFormatDevice = new m350::gui::RadioGroup(
        g, "RadioGroupFormatDevice", QStringLiteral("Memory Device"), 0, 0, 200, 41, kDevices, 3);
    RadioGroupFormatDevice->setItemIndex(kFlash);
    ButtonFileFormat = button(g, "ButtonFileFormat", "Format");
    grid->addWidget(RadioGroupFormatDevice, 0, 0);
    grid->addWidget(ButtonFileFormat, 0, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
}

}  // namespace m350::gui
