// SPDX-License-Identifier: MIT
// "Preview Font": the 256 single-byte characters of the chosen system font at
// 10 points in a 16 x 16 grid, and, on "Bitmap", the glyphs of the font file
// as the printer will get them (one bit per pixel at the cell size, scaled up
// on request).
#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>
#include <string>

#include "core/fonts/font_file.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace m350::gui {

// The glyphs of a font file drawn in rows of 16, each in its cell (scaled);
// a glyph cut at the cell edge when it was drawn is framed in red.
class BitmapFontView : public QWidget {
    Q_OBJECT
  public:
    explicit BitmapFontView(QWidget* parent = nullptr);
    void setFont(m350::FontFileContents contents);
    void setScale(int scale);
    const m350::FontFileContents& contents() const { return contents_; }
    // The grid cell of glyph i, in widget pixels.
    QRect cellRect(int i) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSize cellSize() const;
    m350::FontFileContents contents_;
    int scale_ = 2;
};

class PreviewFontDialog : public QDialog {
    Q_OBJECT
  public:
    // makeBitmap makes the font file of the page's settings and reads it
    // back; nothing when it could not (it has told the operator why).
    PreviewFontDialog(const QFont& font, int language,
                      std::function<std::optional<m350::FontFileContents>()> makeBitmap,
                      QWidget* parent = nullptr, const std::string& codePage = "CP1252");
    const QImage& previewImage() const { return preview_; }
    BitmapFontView* bitmapView() const { return bitmapView_; }

  public slots:
    void onExitClicked();
    void onBitmapClicked();

  private:
    void drawPreview(const QFont& font, const std::string& codePage);
    QImage preview_;
    QLabel* imagePreview_;
    QPushButton *exitButton_, *bitmapButton_;
    QSpinBox* scaleSpin_;
    QLabel* clippedLabel_;  // how many glyphs are cut, when any
    QScrollArea* bitmapArea_;
    BitmapFontView* bitmapView_;
    std::function<std::optional<m350::FontFileContents>()> makeBitmap_;
    int language_;
};

}  // namespace m350::gui
