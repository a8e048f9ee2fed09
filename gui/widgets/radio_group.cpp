// SPDX-License-Identifier: MIT
#include "gui/widgets/radio_group.h"

#include <QEvent>
#include <QStyle>

#include "gui/widgets/form_kit.h"

namespace m350::gui {

RadioGroup::RadioGroup(QWidget* parent, const char* name, const QString& caption, int left, int top,
                       int width, int height, const QStringList& items, int columns)
    : QGroupBox(caption, parent), columns_(std::max(columns, 1)) {
    place(this, name, left, top, width, height);
    group_.setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(objectName() + QStringLiteral("Item") + QString::number(i));
        group_.addButton(b, i);
        buttons_.push_back(b);
    }
    connect(&group_, &QButtonGroup::idClicked, this, &RadioGroup::itemIndexChanged);
    layoutButtons();
}

int RadioGroup::itemIndex() const {
    return group_.checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < count()) {
        buttons_[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // Clearing an exclusive group needs the exclusivity lifted for a moment.
    group_.setExclusive(false);
    for (auto* b : buttons_) b->setChecked(false);
    group_.setExclusive(true);
}

QString RadioGroup::itemText(int index) const {
    QRadioButton* b = button(index);
    return b ? b->text() : QString();
}

void RadioGroup::setItemText(int index, const QString& text) {
    if (QRadioButton* b = button(index)) b->setText(text);
}

QRadioButton* RadioGroup::button(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return buttons_[static_cast<std::size_t>(index)];
}

QSize RadioGroup::minimumSizeHint() const {
    constexpr int kFrame = 8;  // inner margin left and right, as layoutButtons() places them
    int itemWidth = 0, itemHeight = 0;
    for (auto* b : buttons_) {
        itemWidth = std::max(itemWidth, b->sizeHint().width());
        itemHeight = std::max(itemHeight, b->sizeHint().height());
    }
    const int rows = (count() + columns_ - 1) / columns_;
    const int titleWidth = fontMetrics().horizontalAdvance(title()) + 16;
    return {std::max(2 * kFrame + columns_ * itemWidth, titleWidth),
            fontMetrics().height() + rows * itemHeight + 6};
}

QSize RadioGroup::sizeHint() const {
    return minimumSizeHint();
}

bool RadioGroup::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        layoutButtons();
    }
    return QGroupBox::event(event);
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    layoutButtons();
}

// items fill the columns top to bottom, each column an equal share of the
// width, each row an equal share of the height below the caption.
void RadioGroup::layoutButtons() {
    if (buttons_.empty()) return;
    const int rows = (count() + columns_ - 1) / columns_;
    const int captionHeight = fontMetrics().height();
    const int innerLeft = 8;
    const int innerTop = captionHeight;
    const int innerWidth = std::max(width() - 2 * innerLeft, 1);
    const int innerHeight = std::max(height() - innerTop - 4, 1);
    const int columnWidth = innerWidth / columns_;
    const int rowHeight = innerHeight / rows;
    for (int i = 0; i < count(); ++i) {
        const int column = i / rows;
        const int row = i % rows;
        const int h = std::min(rowHeight, buttons_[0]->sizeHint().height());
        buttons_[static_cast<std::size_t>(i)]->setGeometry(
            innerLeft + column * columnWidth, innerTop + row * rowHeight + (rowHeight - h) / 2,
            columnWidth, h);
    }
}

}  // namespace m350::gui
