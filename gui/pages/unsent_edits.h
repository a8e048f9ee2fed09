// SPDX-License-Identifier: MIT
// Which tabs of the configuration pages hold boxes the operator changed
// since the printer's values were last shown (Read, Clear, start-up) or the
// tab was last written (Set). Set writes the tab on top only, and Read, Load
// and closing the window replace or drop what the boxes hold; the page asks
// before any of them would leave or lose such a change. A tab holding one
// shows a mark, with a tip that says why.
#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QTabWidget;
class QWidget;

namespace m350::gui {

class UnsentEdits final : public QObject {
  public:
    // Watches the boxes of every tab of tabs that tracked accepts (line
    // edits, lists, check boxes); what they show now counts as sent.
    UnsentEdits(QTabWidget* tabs, const std::function<bool(const QWidget*)>& tracked);

    // Every box shows what the printer holds.
    void markAllSent();
    // The boxes of the tab at index were written to the printer.
    void markTabSent(int index);
    // The program itself changes what boxes show (the same values in a new
    // unit, encoding or language): a box unchanged before stays unchanged.
    void programChange(const std::function<void()>& change);

    // The box, by object name, holds a change; false for one not watched.
    bool changed(const QString& box) const;
    // Indexes of the tabs holding changes, in tab order.
    QList<int> changedTabs() const;
    // The captions of those tabs, "Common, Z".
    QString tabNames(const QList<int>& indexes) const;
    // The tip on a marked tab (in the interface language).
    void setMarkTip(const QString& tip);

  private:
    static QString state(const QWidget* box);
    bool changed(const QWidget* box) const;
    int tabOf(const QWidget* box) const;
    void refresh();

    QTabWidget* tabs_;
    QList<QWidget*> boxes_;
    QHash<const QWidget*, QString> sent_;
    QHash<const QWidget*, QWidget*> sheetOf_;
    QList<int> marked_;
    QString tip_;
    QIcon mark_;
    bool quiet_ = false;
};

}  // namespace m350::gui
