// Contents of the "Bitmap Font Manager" page (TabSheet3).
#pragma once

#include <QObject>

class QGroupBox;
class QPushButton;
class QWidget;
class TFormMain;
namespace m350ui {
class RadioGroup;
}

class FontManagerPage : public QObject {
    Q_OBJECT
  public:
    FontManagerPage(TFormMain& main, QWidget* TabSheet3);

    QGroupBox *GroupBoxFontSelect, *GroupBoxSatndEncode, *GroupBoxEncodeTable;
    m350ui::RadioGroup* RadioGroupAsiaFontEncode;
    QPushButton *ButtonSaveFont, *ButtonDowloadFont;

    // Start-up state of the page, set while the main window is built.
    void Initialise();

  private:
    TFormMain& main_;
};
