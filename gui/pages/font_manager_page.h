// SPDX-License-Identifier: MIT
// Contents of the "Bitmap Font Manager" page (TabSheet3): the font chosen and
// its cell on the left; how its characters are chosen (standard range, Asian
// encoding, table) on the right; Save Font and Download Font below. The groups
// are laid out in grids, so a longer translation widens its column.
#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <vector>

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
    // telling the operator which setting and why ("Font Parameter Error"
    // and a line naming it), or when the operator stopped at the question
    // naming the table's characters that cannot be in the font.
    bool assembleJob(const QString& path, m350::FontJob& job);

    // The page's own texts in the current language (the language table's
    // are put on by the main window).
    Q_INVOKABLE void refreshLanguage();

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
    // Fit glyphs that would be cut at the cell edge (off by default).
    QCheckBox* fitGlyphsCheck_;
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
    // The operator picked the code page or the Asian encoding: the printer
    // text encoding no longer sets it.
    bool codePageChosen_ = false;
    bool asianChosen_ = false;

    // The table's codes in the font's encoding, with the characters left
    // out of them; nothing when there is no usable table, with why.
    struct TableCodes {
        std::string codes;
        std::vector<std::string> unheld;   // not in the code page (UTF-8)
        std::vector<std::string> singles;  // one byte in a double-byte table
    };
    std::optional<TableCodes> tableCodes(bool doubleByte, int asianEncoding, QString& why);
    // The message naming the characters left out of a table.
    QString leftOutText(const std::vector<std::string>& unheld,
                        const std::vector<std::string>& singles, const std::string& codePage) const;
    // The code page of the table's codes as the encode mode has it.
    std::string tableCodePage() const;
    // Makes the font; before a Save or Download puts it anywhere, glyphs cut
    // at the cell edge are named and the operator asked whether to go on.
    enum class Purpose { kSave, kDownload, kPreview };
    bool makeFontFile(m350::FontJob& job, Purpose purpose);
    // "34 glyphs are cut at the cell edge: A, B, ..."
    QString clippedText(const m350::FontJob& job) const;
    std::string singleByteCodePage() const;
    // Makes the page's font into a private temporary file and reads it back.
    std::optional<m350::FontFileContents> makeBitmapPreview();
};

}  // namespace m350::gui
