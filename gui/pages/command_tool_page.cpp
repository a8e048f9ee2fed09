#include "gui/pages/command_tool_page.h"

#include <QTextEdit>

#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "gui/main_window.h"

namespace m350::gui {


CommandToolPage::CommandToolPage(MainWindow& main, QWidget* sheet) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("CommandToolPage"));
    RichEditTText = m350::gui::place(new QTextEdit(sheet), "RichEditTText", 4, 4, 592, 500);
    RichEditTText->setLineWrapMode(QTextEdit::NoWrap);
    RichEditTText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditTText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QStringList buffers;
    for (int i = 1; i <= 12; ++i) buffers << QString::number(i);
    RadioGroupSelect =
        new m350::gui::RadioGroup(sheet, "RadioGroupSelect", "Editor", 604, 4, 105, 200, buffers, 2);
    RadioGroupSelect->setItemIndex(0);
    ButtonLoadFile = newButton(sheet, "ButtonLoadFile", "Load", 604, 214, 105);
    ButtonSaveFile = newButton(sheet, "ButtonSaveFile", "Save", 604, 245, 105);
    ButtonSend = newButton(sheet, "ButtonSend", "Send", 604, 276, 105);
    ButtonSendFile = newButton(sheet, "ButtonSendFile", "Send File", 604, 307, 105);
}

void CommandToolPage::initialise() {}

}  // namespace m350::gui
