// Contents of the "Command Tool" page (TabSheet4).
#pragma once

#include <QObject>

class QPushButton;
class QTextEdit;
class QWidget;

namespace m350::gui {

class AppContext;
class RadioGroup;

class CommandToolPage : public QObject {
    Q_OBJECT
  public:
    CommandToolPage(AppContext& app, QWidget* sheet);

    // Start-up state of the page, set while the main window is built.
    void initialise();

  private:
    QTextEdit* editor_;
    RadioGroup* selectRadio_;
    QPushButton *loadFileButton_, *saveFileButton_, *sendButton_, *sendFileButton_;

    AppContext& app_;
};

}  // namespace m350::gui
