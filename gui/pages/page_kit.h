// SPDX-License-Identifier: MIT
// Helpers for the pages built with Qt layouts (File Manager, Bitmap Font
// Manager): controls named by their documented names, grids with the pages'
// margins.
#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include "gui/widgets/form_kit.h"

namespace m350::gui {

namespace pagekit {

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QLabel* caption(QWidget* parent, const char* name, const char* text) {
    return named(new QLabel(QString::fromLatin1(text), parent), name);
}

inline QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = named(new QPushButton(QString::fromLatin1(caption), parent), name);
    b->setMinimumSize(90, kButtonHeight);
    return b;
}

// A drop-down list (no typing) with its items and one selected.
inline QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items,
                           int selected) {
    auto* c = named(new QComboBox(parent), name);
    c->setEditable(false);
    c->addItems(items);
    c->setCurrentIndex(selected);
    return c;
}

inline QLineEdit* edit(QWidget* parent, const char* name, const char* text = "",
                       int maxLength = 0) {
    auto* e = named(new QLineEdit(QString::fromLatin1(text), parent), name);
    limitTyping(e, maxLength);
    return e;
}

// The grid of a group box: side margins and spacing, room for the caption on top.
inline QGridLayout* grid(QWidget* group, int side, int spacing) {
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(side, 16, side, side);
    grid->setHorizontalSpacing(spacing);
    grid->setVerticalSpacing(6);
    return grid;
}

}  // namespace pagekit

}  // namespace m350::gui
