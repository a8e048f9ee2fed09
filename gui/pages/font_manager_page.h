// Contents of the "Bitmap Font Manager" page (TabSheet3): the font chosen and
// its cell on the left; how its characters are chosen (standard range, Asian
// encoding, table) on the right; Save Font and Download Font below. The groups
// are laid out in grids, so a longer translation widens its column.
#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <optional>

#include "core/fonts/font_file.h"
#include "core/fonts/font_job.h"

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

    // The selected system font.
    const QFont& selectedFont() const { return font_; }
    // The font job of the page's settings written to path; false after
    // telling the operator why ("Font Parameter Error").
    bool assembleJob(const QString& path, m350::FontJob& job);

  public slots:
    void onFontEncodeChanged(int index);
    void onSEncodeChanged(int index);
    void onFontTblLoadClicked();
    void onFontTblSaveClicked();
    void onSelectFontClicked();
    void onSaveFontClicked();
    void onDownloadFontClicked();
    void onPreviewFontClicked();
    // Shows font in the name, size, cell and sample fields.
    void applyFont(const QFont& font);

  private:
    // "Font Select".
    QGroupBox* fontSelectGroup_;
    QLabel *fontEncodeLabel_, *fontPitchLabel_, *printerDeviceLabel_;
    QComboBox *fontEncodeCombo_, *fontPitchCombo_, *memoryDeviceCombo_;
    // Code page of single-byte codes (Windows-1252 unless chosen).
    QLabel* codePageLabel_;
    QComboBox* codePageCombo_;
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
    QFont font_;
    QString tablePath_;  // the table file of the last Load

    // The table's characters as bytes of the font's encoding; nothing when
    // there is no usable table.
    std::optional<std::string> tableBytes(bool doubleByte, int asianEncoding);
    bool makeFontFile(m350::FontJob& job);
    std::string singleByteCodePage() const;
    // Makes the page's font into a private temporary file and reads it back.
    std::optional<m350::FontFileContents> makeBitmapPreview();
};

}  // namespace m350::gui
