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

class AppContext;
class RadioGroup;

class FontManagerPage : public QObject {
    Q_OBJECT
  public:
    FontManagerPage(AppContext& app, QWidget* sheet);

    // Start-up state of the page, set while the main window is built.
    void initialise();

  private:
    // "Font Select".
    QGroupBox* fontSelectGroup_;
    QLabel *fontEncodeLabel_, *fontPitchLabel_, *printerDeviceLabel_;
    QComboBox *fontEncodeCombo_, *fontPitchCombo_, *memoryDeviceCombo_;
    QLabel *windowsFontNameLabel_, *fontSizeLabel_;
    QLineEdit *winFontNameEdit_, *winFontSizeEdit_;
    QPushButton *selectFontButton_, *previewFontButton_;
    QLabel* sample_;  // the "ABCD" sample of the chosen font
    QLabel *printerFontNameLabel_, *fontWidthLabel_, *fontHeightLabel_, *italicWidthLabel_;
    QLineEdit *printerFontNameEdit_, *fontWidthEdit_, *fontHeightEdit_, *italicWidthEdit_;
    // "Standard Encode".
    QGroupBox* standEncodeGroup_;
    QLabel *fontMappingLabel_, *startAsciiLabel_, *endAsciiLabel_;
    QComboBox* sEncodeCombo_;
    QLineEdit *charStartEdit_, *charEndEdit_;
    // "Asian Font Encode".
    RadioGroup* asiaFontEncodeRadio_;
    // "Encode by table".
    QGroupBox* encodeTableGroup_;
    QPlainTextEdit* fontTableMemo_;
    QCheckBox* fileTableCheck_;
    QPushButton *fontTblLoadButton_, *fontTblSaveButton_;
    QPushButton *saveFontButton_, *downloadFontButton_;

    void buildFontSelect();
    void buildStandardEncode();
    void buildEncodeTable();

    AppContext& app_;
};

}  // namespace m350::gui
