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

class MainWindow;
class RadioGroup;

class FileManagerPage : public QObject {
    Q_OBJECT
  public:
    FileManagerPage(MainWindow& main, QWidget* TabSheet2);

    // "File Download".
    QGroupBox* GroupBoxFileDownload;
    QLabel *LabelFileType, *LabelFileName, *LabelFileSize, *LabelMemoryDevice;
    QComboBox* ComboBoxFileType;  // item index = file type code
    QLineEdit *EditFileName, *EditFileSize;
    QComboBox* ComboBoxDevice;  // DRAM, FLASH, CARD
    QPushButton *ButtonBrowse, *ButtonFontView, *ButtonDownload;

    // "File Information".
    QGroupBox* GroupBoxFileInfo;
    m350::gui::RadioGroup* RadioGroupDevice;
    QPushButton* ButtonGet;
    QLabel *LabelPhysicalSpace, *LabelFreeSpace, *LabelPhysicalUnit, *LabelFreeUnit;
    QLineEdit *EditPhysicalSpace, *EditFreeSpace;
    QListWidget* ListBoxFileList;

    // "File Format".
    QGroupBox* GroupBoxFileFormat;
    m350::gui::RadioGroup* RadioGroupFormatDevice;
    QPushButton* ButtonFileFormat;

  private:
    void buildDownloadGroup();
    void buildInfoGroup();
    void buildFormatGroup();

    MainWindow& main_;
};

}  // namespace m350::gui
