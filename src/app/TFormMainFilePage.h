// Contents of the "File Manager" page (TabSheet2).
#pragma once

#include <QObject>

class QGroupBox;
class QWidget;
class TFormMain;

class FileManagerPage : public QObject {
    Q_OBJECT
  public:
    FileManagerPage(TFormMain& main, QWidget* TabSheet2);

    QGroupBox *GroupBoxFileDownload, *GroupBoxFileInfo, *GroupBoxFileFormat;

  private:
    TFormMain& main_;
};
