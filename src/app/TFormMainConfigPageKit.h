// Building blocks of the configuration sub-pages: named controls placed in
// grid layouts, so captions of any length push their boxes aside instead of
// running under them.
#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QStyle>

namespace configkit {

// A caption that wraps between words and, where one word alone is still
// wider than its column (long compound words of some languages), draws
// itself a point or two smaller rather than cutting the word.
class FitLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        const QRect area = contentsRect();
        const int flags = static_cast<int>(alignment()) | Qt::TextWordWrap;
        QFont f = font();
        for (int size = f.pointSize(); size > 5; --size) {
            f.setPointSize(size);
            const QRect need = QFontMetrics(f).boundingRect(area, flags, text());
            if (need.width() <= area.width() && need.height() <= area.height()) break;
        }
        QPainter painter(this);
        painter.setFont(f);
        style()->drawItemText(&painter, area, flags, palette(), isEnabled(), text(),
                              foregroundRole());
    }
};

inline QLabel* Label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new FitLabel(text, parent);
    if (name && *name) l->setObjectName(QString::fromLatin1(name));
    return l;
}

// maxLength 0: the box takes any length (the record field cuts it).
inline QLineEdit* Edit(QWidget* parent, const char* name, int maxLength = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

// A drop-down list with its items and nothing selected.
inline QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items) {
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
            Caption(caption);
            grid_->addWidget(caption, row_, c);
            caption->setBuddy(box);
        }
        if (box) {
            if (Narrow(box, boxWidth_)) {
                grid_->addWidget(box, row_, c + 1, Qt::AlignLeft);
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
        if (boxWidth_ > 0) strip->setAlignment(Qt::AlignLeft);
        QWidget* first = nullptr;
        for (QWidget* w : boxes) {
            Narrow(w, boxWidth_ * 2 / 3);
            strip->addWidget(w);
            if (!first) first = w;
        }
        const int c = 3 * block_;
        if (caption) {
            Caption(caption);
            grid_->addWidget(caption, row_, c);
            caption->setBuddy(first);
        }
        grid_->addLayout(strip, row_, c + 1);
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
    static void Caption(QLabel* caption) {
        caption->setWordWrap(true);
        caption->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }

    static bool Narrow(QWidget* box, int width) {
        if (auto* combo = qobject_cast<QComboBox*>(box); combo && width > 0) {
            // The open list still shows whole items.
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            combo->setMinimumContentsLength(5);
            return false;
        }
        if (width <= 0 || !qobject_cast<QLineEdit*>(box)) return false;
        box->setMaximumWidth(width);
        return true;
    }

    QGridLayout* grid_;
    int boxWidth_;
    int block_ = 0;
    int row_ = 0;
};

// The grid of a sub-page, with room left below the rows.
inline QGridLayout* PageGrid(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    return grid;
}

// Pushes the rows to the top once the page is filled.
inline void FinishGrid(QGridLayout* grid) {
    grid->setRowStretch(grid->rowCount(), 1);
}

}  // namespace configkit
