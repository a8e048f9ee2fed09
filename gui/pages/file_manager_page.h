// Contents of the "File Manager" page (TabSheet2): the download, memory
// information and format groups. The controls are laid out in grids so a
// longer translation widens its column instead of running under a box.
#pragma once

#include <QObject>

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
    FileManagerPage(AppContext& app, QWidget* sheet);

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
    // "File Format".
    QGroupBox* fileFormatGroup_;
    RadioGroup* formatDeviceRadio_;
    QPushButton* fileFormatButton_;

    void buildDownloadGroup();
    void buildInfoGroup();
    void buildFormatGroup();

    AppContext& app_;
};

}  // namespace m350::gui
