// SPDX-License-Identifier: MIT
#include "gui/dialogs/preview_font_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/fonts/code_pages.h"
#include "gui/language_apply.h"

namespace m350::gui {

namespace {

constexpr int kPreviewWidth = 320, kPreviewHeight = 480;
constexpr int kColumns = 16;
constexpr int kGap = 2;  // between bitmap cells

}  // namespace

BitmapFontView::BitmapFontView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ImageBitmap"));
}

void BitmapFontView::setFont(m350::FontFileContents contents) {
    contents_ = std::move(contents);
    setScale(scale_);
}

QSize BitmapFontView::cellSize() const {
    int w = contents_.cellWidth;
    for (const auto& g : contents_.glyphs) w = std::max(w, g.width);
    return {std::max(1, w) * scale_ + kGap, std::max(1, contents_.cellHeight) * scale_ + kGap};
}

void BitmapFontView::setScale(int scale) {
    scale_ = std::clamp(scale, 1, 16);
    const QSize cell = cellSize();
    const int rows = (static_cast<int>(contents_.glyphs.size()) + kColumns - 1) / kColumns;
    setFixedSize(cell.width() * kColumns, std::max(1, cell.height() * rows));
    update();
}

QRect BitmapFontView::cellRect(int i) const {
    const QSize cell = cellSize();
    return {(i % kColumns) * cell.width(), (i / kColumns) * cell.height(), cell.width() - kGap,
            cell.height() - kGap};
}

void BitmapFontView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), Qt::lightGray);
    const QSize cell = cellSize();
    const int first = event->rect().top() / cell.height() * kColumns;
    const int last = std::min<int>(static_cast<int>(contents_.glyphs.size()),
                                   (event->rect().bottom() / cell.height() + 1) * kColumns);
    for (int i = std::max(0, first); i < last; ++i) {
        const auto& g = contents_.glyphs[static_cast<std::size_t>(i)];
        const QRect r = cellRect(i);
        // A glyph cut at the cell edge has a red frame in the gap around it.
        if (g.clipped) p.fillRect(r.adjusted(-kGap / 2, -kGap / 2, kGap / 2, kGap / 2), Qt::red);
        p.fillRect(r.x(), r.y(), g.width * scale_, g.height * scale_, Qt::white);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.ink(x, y))
                    p.fillRect(r.x() + x * scale_, r.y() + y * scale_, scale_, scale_, Qt::black);
    }
}

PreviewFontDialog::PreviewFontDialog(
    const QFont& font, int language,
    std::function<std::optional<m350::FontFileContents>()> makeBitmap, QWidget* parent,
    const std::string& codePage)
    : QDialog(parent), makeBitmap_(std::move(makeBitmap)), language_(language) {
    setObjectName(QStringLiteral("TFormPreviewFont"));
    setWindowTitle(QStringLiteral("Preview Font"));
    imagePreview_ = new QLabel(this);
    imagePreview_->setObjectName(QStringLiteral("ImagePreview"));
    imagePreview_->setFixedSize(kPreviewWidth, kPreviewHeight);
    exitButton_ = new QPushButton(QStringLiteral("Exit"), this);
    exitButton_->setObjectName(QStringLiteral("ButtonExit"));
    bitmapButton_ = new QPushButton(QStringLiteral("Bitmap"), this);
    bitmapButton_->setObjectName(QStringLiteral("ButtonBitmap"));
    scaleSpin_ = new QSpinBox(this);
    scaleSpin_->setObjectName(QStringLiteral("SpinBoxScale"));
    scaleSpin_->setRange(1, 16);
    scaleSpin_->setValue(2);
    scaleSpin_->setSuffix(QStringLiteral(" x"));
    scaleSpin_->setEnabled(false);
    bitmapView_ = new BitmapFontView;
    bitmapArea_ = new QScrollArea(this);
    bitmapArea_->setObjectName(QStringLiteral("ScrollBoxBitmap"));
    bitmapArea_->setWidget(bitmapView_);
    bitmapArea_->setMinimumSize(kPreviewWidth, kPreviewHeight);
    bitmapArea_->hide();
    clippedLabel_ = new QLabel(this);
    clippedLabel_->setObjectName(QStringLiteral("LabelClipped"));
    clippedLabel_->setStyleSheet(QStringLiteral("color: red"));
    clippedLabel_->hide();

    auto* images = new QHBoxLayout;
    images->addWidget(imagePreview_, 0, Qt::AlignTop);
    images->addWidget(bitmapArea_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bitmapButton_);
    buttons->addWidget(scaleSpin_);
    buttons->addWidget(clippedLabel_);
    buttons->addStretch(1);
    buttons->addWidget(exitButton_);
    auto* all = new QVBoxLayout(this);
    all->addLayout(images);
    all->addLayout(buttons);

    connect(exitButton_, &QPushButton::clicked, this, &PreviewFontDialog::onExitClicked);
    connect(bitmapButton_, &QPushButton::clicked, this, &PreviewFontDialog::onBitmapClicked);
    connect(scaleSpin_, &QSpinBox::valueChanged, bitmapView_, &BitmapFontView::setScale);
    drawPreview(font, codePage);
    applyDialogLanguage(this, "TFormPreviewFont", language);
}

// The system font itself at 10 points: one character per cell of a 16 x 16
// grid of 20 x 30 pixels, code r * 16 + c in row r, column c; code 0 draws
// nothing.
void PreviewFontDialog::drawPreview(const QFont& font, const std::string& codePageName) {
    preview_ = QImage(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
    preview_.fill(Qt::white);
    QPainter p(&preview_);
    QFont f = font;
    f.setPointSize(10);
    p.setFont(f);
    p.setPen(Qt::black);
    const int ascent = QFontMetrics(f).ascent();
    m350::CodePage codePage(codePageName);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            const int code = r * 16 + c;
            if (code == 0) continue;
            p.drawText(c * 20 + 5, r * 30 + 5 + ascent,
                       codePage.decode(std::string(1, static_cast<char>(code))));
        }
    for (int x = 20; x <= 300; x += 20) p.drawLine(x, 0, x, kPreviewHeight - 1);
    for (int y = 30; y <= 450; y += 30) p.drawLine(0, y, kPreviewWidth - 1, y);
    p.end();
    imagePreview_->setPixmap(QPixmap::fromImage(preview_));
}

void PreviewFontDialog::onExitClicked() {
    accept();
}

void PreviewFontDialog::onBitmapClicked() {
    if (!makeBitmap_) return;
    std::optional<m350::FontFileContents> contents = makeBitmap_();
    if (!contents) return;
    const int clipped = static_cast<int>(std::count_if(
        contents->glyphs.begin(), contents->glyphs.end(), [](const auto& g) { return g.clipped; }));
    clippedLabel_->setText(
        clipped ? ownTr("%1 glyphs are cut at the cell edge (marked red).", language_).arg(clipped)
                : QString());
    clippedLabel_->setVisible(clipped > 0);
    bitmapView_->setFont(std::move(*contents));
    bitmapView_->setScale(scaleSpin_->value());
    scaleSpin_->setEnabled(true);
    bitmapArea_->show();
}

}  // namespace m350::gui
