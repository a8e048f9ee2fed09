// SPDX-License-Identifier: MIT
// "Dump Text Setup": where the printer's dump goes: printed on labels, saved
// on its memory card under a name, or saved in the printer for fetching.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/printer/dump_text.h"

namespace m350::gui {

class Prompter;
class RadioGroup;

class DumpTextDialog : public QDialog {
    Q_OBJECT
  public:
    // request: in, the mode and file name to show; out, the choice once
    // confirmed (the mode also as the operator picks it).
    DumpTextDialog(m350::DumpRequest& request, Prompter& prompter, int language,
                   QWidget* parent = nullptr);

    bool confirmed() const { return confirmed_; }

  public slots:
    void onDumpModeClicked(int index);
    void onOkClicked();
    void onCancelClicked();

  private:
    // Print Label disables the file name, Save to SD Card enables it, Save
    // to File leaves it as it was.
    void applyFileNameRule(int mode);

    RadioGroup* dumpModeRadio_;
    QLabel* fileNameLabel_;
    QLineEdit* fileNameEdit_;
    QPushButton *okButton_, *cancelButton_;

    m350::DumpRequest& request_;
    Prompter& prompter_;
    bool confirmed_ = false;
};

// Shown when the card file name cannot go into the printer's command.
extern const char* const kDumpFileNameNotSendableText;

}  // namespace m350::gui
