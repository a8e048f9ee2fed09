// SPDX-License-Identifier: MIT
// Three keyboard and mouse rules that hold in every window of the program, so
// that nothing reaches the printer the operator did not mean to send:
//
//  - Enter presses the action the focused field belongs to, or nothing. A
//    dialog with a single action makes that action its default button; a
//    dialog with several routes each field to its own action here, and none
//    of its buttons becomes the default by itself.
//  - The mouse wheel turns a list or a number box only while it has the
//    keyboard focus; otherwise the wheel scrolls what lies beneath it, so
//    rolling over a page never changes a setting.
//  - A double click on a push or tool button presses it once: its second
//    click would run the printer action again (two labels printed) even
//    when the first run ended before the second click arrived.
#pragma once

#include <initializer_list>

class QDialog;
class QPushButton;
class QWidget;

namespace m350::gui {

// One action of a dialog and the fields whose Enter presses it.
struct EnterRoute {
    std::initializer_list<QWidget*> fields;
    QPushButton* action;
};

// For a dialog with several actions: no push button of the dialog is its
// default (Enter in a field not routed here does nothing), a focused button
// presses itself on Enter, and Enter in a routed field presses that field's
// action when it is shown and enabled. Call it once the buttons exist.
void routeEnter(QDialog* dialog, std::initializer_list<EnterRoute> routes);

// Installs the wheel rule on the whole application (once; later calls do
// nothing): combo boxes and spin boxes take the focus by click or Tab only,
// and a wheel event on one without the focus passes to its parent.
void guardWheelOnUnfocusedInputs();

// Installs the double click rule on the whole application (once; later calls
// do nothing): the double-click event that follows a button's first click is
// taken before the button sees it, so the press it stands for never happens.
void guardDoubleClicksOnButtons();

}  // namespace m350::gui
