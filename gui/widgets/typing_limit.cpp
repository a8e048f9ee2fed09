#include "gui/widgets/typing_limit.h"

#include <QLineEdit>
#include <algorithm>

namespace m350::gui {

namespace {
constexpr const char* kLimitProperty = "m350TypingLimit";

void fitLimit(QLineEdit* edit, qsizetype length) {
    const int limit = edit->property(kLimitProperty).toInt();
    if (limit > 0) edit->setMaxLength(std::max(limit, static_cast<int>(length)));
}
}  // namespace

void limitTyping(QLineEdit* edit, int limit) {
    edit->setProperty(kLimitProperty, limit);
    fitLimit(edit, edit->text().size());
    // A shown value longer than the limit keeps its length; what the operator
    // types or deletes brings the limit back.
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [edit](const QString& text) { fitLimit(edit, text.size()); });
}

void setTextUncut(QLineEdit* edit, const QString& text) {
    fitLimit(edit, text.size());
    edit->setText(text);
}

}  // namespace m350::gui
