// SPDX-License-Identifier: MIT
// Building blocks of the configuration sub-pages: named controls placed in
// grid layouts, so captions of any length push their boxes aside instead of
// running under them.
#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/widgets/classic_style.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

namespace configkit {

// Breaks a caption into lines no wider than width, only where the Unicode
// line-breaking rules allow: between words, after a hyphen the word has, and
// in Chinese and Japanese between characters except where their rules forbid
// it (no line starts with "ー", a small kana or closing punctuation). A word
// is never cut: one wider than the line stands alone on it, and the caption's
// minimum width (widestPiece) asks the layout for that room.
inline QStringList breakLines(const QFont& font, const QString& text, int width) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    lines.removeAll(QString());
    return lines;
}

// Width of the widest piece of a caption that no line break may split,
// rounded up as widestLine does.
inline int widestPiece(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& piece : breakLines(font, text, 0))
        widest = std::max(widest, metrics.horizontalAdvance(piece));
    return static_cast<int>(std::ceil(widest)) + 1;
}

// Width of the widest line of a caption left unwrapped, rounded up to whole
// pixels with one to spare, as the text layout measures fractions.
inline int widestLine(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return static_cast<int>(std::ceil(widest)) + 1;
}

// A caption that wraps onto as many lines as its column needs (see
// breakLines) and asks its layout for the height of those lines and for the
// width of its widest word. Only where the layout cannot give that height
// does it draw itself a point or two smaller rather than lose a line.
class FitLabel : public QLabel {
  public:
    FitLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
        setProperty("m350WrapsAtWords", true);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const QMargins m = contentsMargins();
        const QFontMetrics metrics(font());
        const auto lines =
            breakLines(font(), text(), std::max(width - m.left() - m.right(), 1)).size();
        return static_cast<int>(std::max<qsizetype>(lines, 1)) * metrics.lineSpacing() + m.top() +
               m.bottom();
    }
    // The whole caption on one line, where the page has the room.
    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        const QMargins m = contentsMargins();
        return {widestLine(font(), text()) + m.left() + m.right(),
                metrics.lineSpacing() + m.top() + m.bottom()};
    }
    // Narrow columns are fine, the caption goes onto more lines; but never
    // narrower than its widest word. A caption that does not wrap (a unit or
    // range beside its box) needs all of its width.
    QSize minimumSizeHint() const override {
        if (!wordWrap()) return sizeHint();
        const QMargins m = contentsMargins();
        return {widestPiece(font(), text()) + m.left() + m.right(), sizeHint().height()};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const QRect area = contentsRect();
        QFont f = font();
        QStringList lines;
        int spacing = 0;
        for (int size = f.pointSize(); size > 5; --size) {
            f.setPointSize(size);
            const QFontMetrics metrics(f);
            lines = breakLines(f, text(), area.width());
            spacing = metrics.lineSpacing();
            if (lines.size() * spacing <= area.height()) break;
        }
        QPainter painter(this);
        painter.setFont(f);
        const int block = static_cast<int>(lines.size()) * spacing;
        int top = area.top();
        if (alignment() & Qt::AlignVCenter) top += (area.height() - block) / 2;
        if (alignment() & Qt::AlignBottom) top += area.height() - block;
        const int horizontal = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask);
        for (const QString& line : lines) {
            style()->drawItemText(&painter, QRect(area.left(), top, area.width(), spacing),
                                  horizontal | Qt::AlignVCenter, palette(), isEnabled(), line,
                                  foregroundRole());
            top += spacing;
        }
    }
};

inline QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new FitLabel(text, parent);
    if (name && *name) l->setObjectName(QString::fromLatin1(name));
    return l;
}

// A push button of the sub-pages, named by its documented name.
inline QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// No typing limit: what a box takes is checked on Set and Save, by the
// box's caption, and number boxes get their validator (numberTyping) once
// the pages are built.
inline QLineEdit* edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

// A drop-down list with its items and nothing selected.
inline QComboBox* combo(QWidget* parent, const char* name, const QStringList& items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(false);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setMaxVisibleItems(20);
    return c;
}

// Fills a grid in blocks of three columns (caption, box, note), each block a
// column of rows; block b starts at grid column 3 * b.
class Rows {
  public:
    // boxWidth > 0: edit boxes are kept to that width (those side by side in
    // one row to two thirds of it), leaving the room to the captions.
    explicit Rows(QGridLayout* grid, int boxWidth = 0) : grid_(grid), boxWidth_(boxWidth) {}

    // Boxes and lists of the rows added from now on are this tall, where a
    // page must hold many rows; 0 leaves them their own height.
    void setBoxHeight(int height) { boxHeight_ = height; }

    // Starts the next block of rows at the top.
    void nextBlock() {
        ++block_;
        row_ = 0;
    }
    // A row: caption (the label's buddy is the first box), the box, and an
    // optional note to its right (unit or range label).
    void add(QLabel* caption, QWidget* box, QWidget* note = nullptr) {
        const int c = 3 * block_;
        if (caption) {
            styleCaption(caption);
            grid_->addWidget(caption, row_, c);
            caption->setBuddy(box);
        }
        if (box) {
            fitHeight(box);
            if (narrow(box, boxWidth_)) {
                grid_->addWidget(box, row_, c + 1, Qt::AlignLeft);
            } else if (!note && boxWidth_ > 0 && qobject_cast<QComboBox*>(box)) {
                // A list with no note beside it may use the note's column
                // too, for the longer items of some languages.
                grid_->addWidget(box, row_, c + 1, 1, 2);
            } else {
                grid_->addWidget(box, row_, c + 1);
            }
        }
        if (note) grid_->addWidget(note, row_, c + 2);
        ++row_;
    }
    // A row whose box area holds several controls side by side.
    void add(QLabel* caption, std::initializer_list<QWidget*> boxes, QWidget* note = nullptr) {
        auto* strip = new QHBoxLayout;
        strip->setSpacing(4);
        strip->setContentsMargins(0, 0, 0, 0);
        QWidget* first = nullptr;
        for (QWidget* w : boxes) {
            fitHeight(w);
            narrow(w, boxWidth_ * 2 / 3);
            strip->addWidget(w);
            if (!first) first = w;
        }
        const int c = 3 * block_;
        if (caption) {
            styleCaption(caption);
            grid_->addWidget(caption, row_, c);
            caption->setBuddy(first);
            // The boxes after the first are named by the same caption in
            // messages.
            for (QWidget* w : boxes)
                if (w != first) w->setProperty("m350CaptionLabel", caption->objectName());
        }
        // narrow boxes start where the single boxes of the other rows start
        // (the alignment is the grid cell's: addLayout() overrides one set
        // on the strip itself). Without a note the strip may use the note's
        // column too, so the boxes column stays as narrow as a single box.
        grid_->addLayout(strip, row_, c + 1, 1, note ? 1 : 2,
                         boxWidth_ > 0 ? Qt::AlignLeft : Qt::Alignment());
        if (note) grid_->addWidget(note, row_, c + 2);
        ++row_;
    }
    // A row spanning the block (separators, buttons).
    void span(QWidget* w) {
        grid_->addWidget(w, row_, 3 * block_, 1, 3);
        ++row_;
    }
    int row() const { return row_; }

  private:
    // Long captions (other languages) wrap onto a second line rather than
    // squeezing their boxes or being cut.
    static void styleCaption(QLabel* caption) {
        caption->setWordWrap(true);
        caption->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }

    // Sets a list to follow its items' width once it is first shown: setting
    // it at once builds the list's drop-down (a list view with its frame and
    // scroll bars) for every list of every sub-page while the window starts.
    class AdjustWhenShown final : public QObject {
      public:
        using QObject::QObject;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show) {
                static_cast<QComboBox*>(watched)->setSizeAdjustPolicy(QComboBox::AdjustToContents);
                watched->removeEventFilter(this);
                deleteLater();
            }
            return false;
        }
    };

    void fitHeight(QWidget* box) const {
        if (boxHeight_ > 0 && (qobject_cast<QLineEdit*>(box) || qobject_cast<QComboBox*>(box)))
            box->setFixedHeight(boxHeight_);
    }

    static bool narrow(QWidget* box, int width) {
        if (auto* combo = qobject_cast<QComboBox*>(box); combo && width > 0) {
            // As wide as the longest item of the current language, so the
            // chosen one is never cut; follows the items when they change.
            if (combo->isVisible())
                combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            else
                combo->installEventFilter(new AdjustWhenShown(combo));
            return false;
        }
        if (width <= 0 || !qobject_cast<QLineEdit*>(box)) return false;
        box->setMaximumWidth(width);
        return true;
    }

    QGridLayout* grid_;
    int boxWidth_;
    int boxHeight_ = 0;
    int block_ = 0;
    int row_ = 0;
};

// The grid of a sub-page, with room left below the rows.
inline QGridLayout* pageGrid(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    return grid;
}

// The height of a box or list on a page packed with rows: a line of the
// font with room for the frame above and below.
inline int compactBoxHeight(const QFont& font) {
    return QFontMetrics(font).height() + 5;
}

// The top margin of a group box's layout that clears the group's caption
// (drawn from the box's top edge, across its frame line) by two pixels.
inline int belowCaption(const QFont& font) {
    return std::max(QFontMetrics(font).height() - ClassicStyle::kFrameTop + 1, 4);
}

// Keeps a group box's layout just below its caption, in whatever font the
// language gives the box (the Chinese and Japanese faces are taller).
class BelowCaption final : public QObject {
  public:
    explicit BelowCaption(QWidget* box) : QObject(box) {
        box->installEventFilter(this);
        fit(box);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FontChange) fit(static_cast<QWidget*>(watched));
        return false;
    }

  private:
    static void fit(QWidget* box) {
        if (QLayout* layout = box->layout()) {
            QMargins m = layout->contentsMargins();
            m.setTop(belowCaption(box->font()));
            layout->setContentsMargins(m);
        }
    }
};

// The panel that carries a sub-page's rows inside a scroll area filling the
// page: where a language wraps its captions onto more lines than the page has
// room for, the rows scroll instead of being squeezed.
inline QWidget* scrollingPanel(QWidget* page, const char* name) {
    auto* scroll = new QScrollArea(page);
    scroll->setObjectName(QString::fromLatin1(name) + QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* panel = new QWidget;
    panel->setObjectName(QString::fromLatin1(name));
    scroll->setWidget(panel);
    // The page's own colour, not the scroll area's base.
    scroll->viewport()->setAutoFillBackground(false);
    panel->setAutoFillBackground(false);
    auto* fill = new QVBoxLayout(page);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scroll);
    return panel;
}

// Pushes the rows to the top once the page is filled.
inline void finishGrid(QGridLayout* grid) {
    grid->setRowStretch(grid->rowCount(), 1);
}

}  // namespace configkit

}  // namespace m350::gui
