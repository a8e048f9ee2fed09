#include "gui/pages/command_tool_page.h"

#include <QTextEdit>

#include "gui/app_context.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

CommandToolPage::CommandToolPage(AppContext& app, QWidget* sheet) : QObject(sheet), app_(app) {
    setObjectName(QStringLiteral("CommandToolPage"));
    editor_ = place(new QTextEdit(sheet), "RichEditTText", 4, 4, 592, 500);
    editor_->setLineWrapMode(QTextEdit::NoWrap);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QStringList buffers;
    for (int i = 1; i <= 12; ++i) buffers << QString::number(i);
    selectRadio_ =
        new RadioGroup(sheet, "RadioGroupSelect", "Editor", 604, 4, 105, 200, buffers, 2);
    selectRadio_->setItemIndex(0);
    loadFileButton_ = newButton(sheet, "ButtonLoadFile", "Load", 604, 214, 105);
    saveFileButton_ = newButton(sheet, "ButtonSaveFile", "Save", 604, 245, 105);
    sendButton_ = newButton(sheet, "ButtonSend", "Send", 604, 276, 105);
    sendFileButton_ = newButton(sheet, "ButtonSendFile", "Send File", 604, 307, 105);
}

void CommandToolPage::initialise() {}

}  // namespace m350::gui
