// SPDX-License-Identifier: MIT
#include "gui/widgets/input_guards.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <map>

namespace m350::gui {

namespace {

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    return mods == Qt::NoModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

// Watches the routed fields and every push button of one dialog.
class EnterRouter final : public QObject {
  public:
    explicit EnterRouter(QDialog* dialog) : QObject(dialog) {
        setObjectName(QStringLiteral("EnterRouter"));
    }

    void watchButton(QPushButton* button) {
        // Not the default, not even while it has the focus: the dialog keeps
        // no default at all, and Enter on the button is handled here.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(this);
        actions_[button] = button;
    }
    void route(QWidget* field, QPushButton* action) {
        field->installEventFilter(this);
        actions_[field] = action;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isEnter(event)) return false;
        auto it = actions_.find(watched);
        if (it == actions_.end()) return false;
        QPushButton* action = it->second;
        if (action && action->isEnabled() && action->isVisibleTo(action->window())) action->click();
        event->accept();
        return true;
    }

  private:
    std::map<QObject*, QPointer<QPushButton>> actions_;
};

bool takesWheel(const QObject* o) {
    return qobject_cast<const QComboBox*>(o) || qobject_cast<const QAbstractSpinBox*>(o);
}

class WheelGuard final : public QObject {
  public:
    explicit WheelGuard(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("WheelGuard"));
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Polish:
                // Qt gives these boxes the focus on a wheel turn; here only
                // a click or Tab does.
                if (takesWheel(watched)) {
                    auto* w = static_cast<QWidget*>(watched);
                    if (w->focusPolicy() == Qt::WheelFocus) w->setFocusPolicy(Qt::StrongFocus);
                }
                return false;
            case QEvent::Wheel:
                if (!takesWheel(watched) || static_cast<QWidget*>(watched)->hasFocus())
                    return false;
                // Ignored and taken: the parent gets the turn (and scrolls).
                event->ignore();
                return true;
            default:
                return false;
        }
    }
};

// Swallows the second click of a double click on a push or tool button: the
// press, release and click came first and ran the button's action once.
class DoubleClickGuard final : public QObject {
  public:
    explicit DoubleClickGuard(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("DoubleClickGuard"));
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonDblClick) return false;
        if (!qobject_cast<QPushButton*>(watched) && !qobject_cast<QToolButton*>(watched))
            return false;
        event->accept();
        return true;
    }
};

}  // namespace

void routeEnter(QDialog* dialog, std::initializer_list<EnterRoute> routes) {
    auto* router = new EnterRouter(dialog);
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) router->watchButton(b);
    for (const EnterRoute& r : routes)
        for (QWidget* field : r.fields) router->route(field, r.action);
}

void guardWheelOnUnfocusedInputs() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app ||
        app->findChild<WheelGuard*>(QStringLiteral("WheelGuard"), Qt::FindDirectChildrenOnly))
        return;
    app->installEventFilter(new WheelGuard(app));
}

void guardDoubleClicksOnButtons() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->findChild<DoubleClickGuard*>(QStringLiteral("DoubleClickGuard"),
                                                  Qt::FindDirectChildrenOnly))
        return;
    app->installEventFilter(new DoubleClickGuard(app));
}

}  // namespace m350::gui
