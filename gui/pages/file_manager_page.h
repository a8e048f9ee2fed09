// SPDX-License-Identifier: MIT
// Contents of the "File Manager" page (TabSheet2): the download, memory
// information and format groups. The controls are laid out in grids so a
// longer translation widens its column instead of running under a box.
//
// Download sends the chosen file into a memory device under its printer file
// name, or a firmware or TCF file unchanged; Get reads the sizes and file lists
// of all three devices into the page's record, and the device choice only picks
// which part of the record shows; Format empties a device.
#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "core/files/memory_info.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace m350::gui {

class AppContext;
class RadioGroup;

class FileManagerPage : public QObject {
    Q_OBJECT
  public:
    // startupDirectory: where the open dialog starts (True Type fonts aside).
    FileManagerPage(AppContext& app, QWidget* sheet, QString startupDirectory = {});

    // The memory record as the last Get left it (partly filled after a failure).
    const m350::MemoryInfo& memoryInfo() const { return memory_; }

    // What a device's list shows, told under the list whenever it is not
    // the printer's answer to the last Get.
    enum class ListState {
        kNotRead,    // no Get yet
        kCurrent,    // the last Get read it
        kStale,      // the last Get failed: the list of the Get before
        kPartial,    // the last Get failed: what it read before the failure
        kFormatted,  // the device was formatted since
    };
    ListState listState(int device) const { return states_[static_cast<std::size_t>(device)]; }

    // The page's own texts in the current language.
    Q_INVOKABLE void refreshLanguage();

    // What the open dialog of a file type lists: "*.BMP (*.[Bb][Mm][Pp]);;*.* (*)";
    // empty for Bitmap Font (every file).
    static QString openFilter(int fileType);
    // Where the True Type dialog starts, and every font folder it offers.
    static QStringList fontFolders();

  private slots:
    void onBrowseClicked();
    void onFontViewClicked();
    void onDownloadClicked();
    void onGetClicked();
    void onDeviceClicked();
    void onFileFormatClicked();

  private:
    // "File Download".
    QGroupBox* fileDownloadGroup_;
    QLabel *fileTypeLabel_, *fileNameLabel_, *fileSizeLabel_, *memoryDeviceLabel_;
    QComboBox* fileTypeCombo_;  // item index = file type code
    QLineEdit *fileNameEdit_, *fileSizeEdit_;
    QComboBox* deviceCombo_;  // DRAM, FLASH, CARD
    QPushButton *browseButton_, *fontViewButton_, *downloadButton_;
    // "File Information".
    QGroupBox* fileInfoGroup_;
    RadioGroup* deviceRadio_;
    QPushButton* getButton_;
    QLabel *physicalSpaceLabel_, *freeSpaceLabel_, *physicalUnitLabel_, *freeUnitLabel_;
    QLineEdit *physicalSpaceEdit_, *freeSpaceEdit_;
    QListWidget* fileList_;
    QLabel* listStateLabel_;  // why the list is not the printer's own
    // "File Format".
    QGroupBox* fileFormatGroup_;
    RadioGroup* formatDeviceRadio_;
    QPushButton* fileFormatButton_;

    void buildDownloadGroup();
    void buildInfoGroup();
    void buildFormatGroup();
    // The selected device's part of the record into the boxes and the list.
    void showMemory();
    // Under the list: why it is not the printer's answer to the last Get.
    void showListState();
    int language() const;

    AppContext& app_;
    QString startupDirectory_;
    QString chosenPath_;  // the file of the last successful Browse
    m350::MemoryInfo memory_;
    std::array<ListState, m350::kDeviceCount> states_{};
    // The record holds a failed Get's part, not yet on show.
    bool partialPending_ = false;
};

}  // namespace m350::gui
