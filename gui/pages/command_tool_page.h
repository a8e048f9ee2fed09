// Contents of the "Command Tool" page (TabSheet4).
#pragma once

#include <QObject>

class QPushButton;
class QTextEdit;
class QWidget;
class TFormMain;
namespace m350ui {
class RadioGroup;
}

class CommandToolPage : public QObject {
    Q_OBJECT
  public:
    CommandToolPage(TFormMain& main, QWidget* TabSheet4);

    QTextEdit* RichEditTText;
    m350ui::RadioGroup* RadioGroupSelect;
    QPushButton *ButtonLoadFile, *ButtonSaveFile, *ButtonSend, *ButtonSendFile;

    // Start-up state of the page, set while the main window is built.
    void initialise();

  private:
    TFormMain& main_;
};
