// Contents of the "Bitmap Font Manager" page (TabSheet3): the font chosen and
// its cell on the left; how its characters are chosen (standard range, Asian
// encoding, table) on the right; Save Font and Download Font below. The groups
// are laid out in grids, so a longer translation widens its column.
#pragma once

#include <QObject>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace m350::gui {

class MainWindow;
class RadioGroup;

class FontManagerPage : public QObject {
    Q_OBJECT
  public:
    FontManagerPage(MainWindow& main, QWidget* TabSheet3);

    // "Font Select".
    QGroupBox* GroupBoxFontSelect;
    QLabel *LabelFontEncode, *LabelFontPitch, *LabelPrinterDevice;
    QComboBox *ComboBoxFontEncode, *ComboBoxFontPitch, *ComboBoxMemoryDevice;
    QLabel *LabelWindowsFontName, *LabelFontSize;
    QLineEdit *EditWinFontName, *EditWinFontSize;
    QPushButton *ButtonSelectFont, *ButtonPreviewFont;
    QLabel* ImageSmaple;  // the "ABCD" sample of the chosen font
    QLabel *LabelPrinterFontName, *LabelFontWidth, *LabelFontHeight, *LabelItalicWidth;
    QLineEdit *EditPrinterFontName, *EditFontWidth, *EditFontHeight, *EditItalicWidth;

    // "Standard Encode".
    QGroupBox* GroupBoxSatndEncode;
    QLabel *LabelFontMapping, *LabelStartAscii, *LabelEndAscii;
    QComboBox* ComboBoxSEncode;
    QLineEdit *EditCharStart, *EditCharEnd;

    // "Asian Font Encode".
    m350::gui::RadioGroup* RadioGroupAsiaFontEncode;

    // "Encode by table".
    QGroupBox* GroupBoxEncodeTable;
    QPlainTextEdit* MemoFontTable;
    QCheckBox* CheckBoxFileTable;
    QPushButton *ButtonFontTblLoad, *ButtonFontTblSave;

    QPushButton *ButtonSaveFont, *ButtonDowloadFont;

    // Start-up state of the page, set while the main window is built.
    void initialise();

  private:
    void buildFontSelect();
    void buildStandardEncode();
    void buildEncodeTable();

    MainWindow& main_;
};

}  // namespace m350::gui
