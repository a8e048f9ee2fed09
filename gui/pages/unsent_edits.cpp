// SPDX-License-Identifier: MIT
#include "gui/pages/unsent_edits.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <algorithm>

#include "gui/mnemonics.h"

namespace m350::gui {

namespace {

// A filled dot in the tab, before its caption.
QIcon markIcon(const QColor& colour) {
    QPixmap dot(10, 10);
    dot.fill(Qt::transparent);
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(1, 1, 8, 8));
    return QIcon(dot);
}

}  // namespace

UnsentEdits::UnsentEdits(QTabWidget* tabs, const std::function<bool(const QWidget*)>& tracked)
    : QObject(tabs), tabs_(tabs), mark_(markIcon(QColor(0xD0, 0x60, 0x00))) {
    setObjectName(QStringLiteral("UnsentEdits"));
    for (int i = 0; i < tabs->count(); ++i) {
        QWidget* sheet = tabs->widget(i);
        for (QWidget* w : sheet->findChildren<QWidget*>()) {
            if (!tracked(w)) continue;
            boxes_ << w;
            sheetOf_.insert(w, sheet);
            if (auto* e = qobject_cast<QLineEdit*>(w))
                connect(e, &QLineEdit::textChanged, this, &UnsentEdits::refresh);
            else if (auto* c = qobject_cast<QComboBox*>(w))
                connect(c, &QComboBox::currentIndexChanged, this, &UnsentEdits::refresh);
            else if (auto* b = qobject_cast<QAbstractButton*>(w))
                connect(b, &QAbstractButton::toggled, this, &UnsentEdits::refresh);
        }
    }
    markAllSent();
}

QString UnsentEdits::state(const QWidget* box) {
    if (auto* e = qobject_cast<const QLineEdit*>(box)) return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(box)) return QString::number(c->currentIndex());
    if (auto* b = qobject_cast<const QAbstractButton*>(box))
        return b->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return {};
}

void UnsentEdits::markAllSent() {
    for (QWidget* w : boxes_) sent_.insert(w, state(w));
    refresh();
}

void UnsentEdits::markTabSent(int index) {
    for (QWidget* w : boxes_)
        if (tabOf(w) == index) sent_.insert(w, state(w));
    refresh();
}

void UnsentEdits::programChange(const std::function<void()>& change) {
    QList<QWidget*> unchanged;
    for (QWidget* w : boxes_)
        if (!changed(w)) unchanged << w;
    quiet_ = true;
    change();
    quiet_ = false;
    for (QWidget* w : unchanged) sent_.insert(w, state(w));
    refresh();
}

bool UnsentEdits::changed(const QWidget* box) const {
    auto it = sent_.constFind(box);
    return it != sent_.constEnd() && *it != state(box);
}

bool UnsentEdits::changed(const QString& box) const {
    for (const QWidget* w : boxes_)
        if (w->objectName() == box) return changed(w);
    return false;
}

int UnsentEdits::tabOf(const QWidget* box) const {
    return tabs_->indexOf(sheetOf_.value(box));
}

QList<int> UnsentEdits::changedTabs() const {
    QList<int> out;
    for (const QWidget* w : boxes_) {
        const int tab = tabOf(w);
        if (tab >= 0 && !out.contains(tab) && changed(w)) out << tab;
    }
    std::sort(out.begin(), out.end());
    return out;
}

QString UnsentEdits::tabNames(const QList<int>& indexes) const {
    QStringList names;
    for (int i : indexes) names << withoutMnemonic(tabs_->tabText(i));
    return names.join(QStringLiteral(", "));
}

void UnsentEdits::setMarkTip(const QString& tip) {
    tip_ = tip;
    for (int i : marked_) tabs_->setTabToolTip(i, tip_);
}

void UnsentEdits::refresh() {
    if (quiet_) return;
    const QList<int> now = changedTabs();
    if (now == marked_) return;
    for (int i = 0; i < tabs_->count(); ++i) {
        const bool mark = now.contains(i);
        if (mark == marked_.contains(i)) continue;
        tabs_->setTabIcon(i, mark ? mark_ : QIcon());
        tabs_->setTabToolTip(i, mark ? tip_ : QString());
    }
    marked_ = now;
}

}  // namespace m350::gui
