// Contents of the "Command Tool" page (TabSheet4).
#pragma once

#include <QObject>

class QPushButton;
class QTextEdit;
class QWidget;

namespace m350::gui {

class MainWindow;
class RadioGroup;

class CommandToolPage : public QObject {
    Q_OBJECT
  public:
    CommandToolPage(MainWindow& main, QWidget* TabSheet4);

    QTextEdit* RichEditTText;
    m350::gui::RadioGroup* RadioGroupSelect;
    QPushButton *ButtonLoadFile, *ButtonSaveFile, *ButtonSend, *ButtonSendFile;

    // Start-up state of the page, set while the main window is built.
    void initialise();

  private:
    MainWindow& main_;
};

}  // namespace m350::gui
