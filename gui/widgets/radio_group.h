// SPDX-License-Identifier: MIT
// A captioned group of radio buttons with one selected item index, laid out
// in columns like the classic radio group control. The buttons are named
// "<group name>Item<index>".
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <vector>

namespace m350::gui {

class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(QWidget* parent, const char* name, const QString& caption, int left, int top,
               int width, int height, const QStringList& items, int columns = 1);

    // -1 when nothing is selected.
    int itemIndex() const;
    // Selecting does not emit itemIndexChanged, as a program's own change of
    // the index is not the operator's click.
    void setItemIndex(int index);
    int count() const { return static_cast<int>(buttons_.size()); }
    QString itemText(int index) const;
    void setItemText(int index, const QString& text);
    QRadioButton* button(int index) const;

    // What the items need in their columns below the caption, so a layout
    // gives a longer translation its room.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // The operator picked another item.
    void itemIndexChanged(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    // An item's new text asks for a new size; pass it on to the group's layout.
    bool event(QEvent* event) override;

  private:
    void layoutButtons();

    QButtonGroup group_;
    std::vector<QRadioButton*> buttons_;
    int columns_;
};

}  // namespace m350::gui
