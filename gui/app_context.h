// What pages and dialogs need of the application, and all they see of it:
// the standard call pattern around a link operation, the prompter, the
// current language and where dialogs open. The main window provides it;
// pages never include the main window's header.
#pragma once

#include <QPoint>
#include <cstdint>
#include <functional>

#include "core/link/link_operations.h"

class QWidget;

namespace m350::gui {

class Prompter;

class AppContext {
  public:
    virtual ~AppContext() = default;

    // Runs a typed call as link operation op on the selected interface: the
    // main window is disabled while it runs, a failure shows its result text,
    // onSuccess runs before the window is enabled again. withProgress: see
    // runOperation. Returns the result code.
    virtual int runStandard(std::uint32_t op, const m350::OperationCall& call,
                            const std::function<void()>& onSuccess = {},
                            bool withProgress = false) = 0;
    // Message boxes, confirmations and file dialogs.
    virtual Prompter& prompter() = 0;
    // The interface language (index into the language table).
    virtual int currentLanguage() const = 0;
    // Where the dialogs of the function buttons open: a third of the main
    // window's width and height from its top-left corner.
    virtual QPoint dialogPlace() const = 0;
    // The parent of modal dialogs.
    virtual QWidget* dialogParent() = 0;

    // The printer function dialogs (sensor calibration, emulation).
    // The interface selected in the main window (item index of ComboBoxInterFace).
    virtual int interfaceIndex() const = 0;
    // Runs a typed call as link operation op on iface with nothing around it:
    // the main window is not disabled and a failure shows no text. For the
    // exchanges of a modal dialog whose failures stay silent or have their own
    // message; the modal dialog keeps the main window from starting another
    // operation meanwhile. Returns the result code.
    virtual int runQuiet(std::uint32_t op, int iface, const m350::OperationCall& call) = 0;
    // The link's context, for work that shows the progress window without a
    // link operation (making a bitmap font).
    virtual m350::LinkContext& link() = 0;
};

}  // namespace m350::gui
