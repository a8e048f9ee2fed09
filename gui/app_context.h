// SPDX-License-Identifier: MIT
// What pages and dialogs need of the application, and all they see of it:
// the standard call pattern around a link operation, the prompter, the
// window's language and printer text encoding and where dialogs open. The
// main window provides it; pages never include the main window's header.
#pragma once

#include <QPoint>
#include <cstdint>
#include <functional>
#include <string>

#include "core/link/link_operations.h"
#include "core/ops/operations.h"

class QWidget;

namespace m350::gui {

class Prompter;

// What runStandard and runQuiet return when another operation is running:
// nothing was done and nothing is shown. One operation at a time reaches the
// printer; a click that arrives meanwhile (the window processes events while
// its worker runs the exchange) must not start a second one.
inline constexpr int kBusy = -1;

class AppContext {
  public:
    virtual ~AppContext() = default;

    // Runs a bound operation (core/ops/operations.h) on the selected
    // interface: the main window is disabled while it runs, a failure shows
    // its result text, onSuccess runs before the window is enabled again.
    // Returns the result code.
    virtual int runStandard(const m350::BoundOperation& op,
                            const std::function<void()>& onSuccess = {}) = 0;
    // Message boxes, confirmations and file dialogs.
    virtual Prompter& prompter() = 0;
    // The interface language (index into the language table).
    virtual int language() const = 0;
    // The encoding printer texts are shown and typed in: the operator's
    // choice, else the interface language's (core/i18n/text_encoding.h).
    virtual std::string textEncoding() const = 0;
    // The operator's choice: an encoding name, or empty to follow the
    // interface language.
    virtual const std::string& textEncodingChoice() const = 0;
    virtual void setTextEncodingChoice(std::string name) = 0;
    // Where the dialogs of the function buttons open: a third of the main
    // window's width and height from its top-left corner.
    virtual QPoint dialogPlace() const = 0;
    // The parent of modal dialogs.
    virtual QWidget* dialogParent() = 0;

    // The printer function dialogs (sensor calibration, emulation).
    // The interface selected in the main window (item index of ComboBoxInterFace).
    virtual int interfaceIndex() const = 0;
    // Runs a bound operation on iface with nothing around it:
    // the main window is not disabled and a failure shows no text. For the
    // exchanges of a modal dialog whose failures stay silent or have their own
    // message; the modal dialog keeps the main window from starting another
    // operation meanwhile. Returns the result code.
    virtual int runQuiet(const m350::BoundOperation& op, int iface) = 0;
    // The link's context, for work that shows the progress window without a
    // link operation (making a bitmap font).
    virtual m350::LinkContext& link() = 0;
};

}  // namespace m350::gui
