#include "gui/widgets/form_kit.h"

#include "core/i18n/language_table.h"

namespace m350::gui {

const char* const kClassicStyleSheet =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
    " left: 6px; padding: 0 2px; }";

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption, int left, int top,
                       int width, int height) {
    return place(new QPushButton(caption, parent), name, left, top, width, height);
}

QLabel* newLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                 int width, int height) {
    auto* label = new QLabel(text, parent);
    if (width < 0) width = label->sizeHint().width();
    return place(label, name, left, top, width, std::max(height, label->sizeHint().height()));
}

QGroupBox* newGroup(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height) {
    return place(new QGroupBox(caption, parent), name, left, top, width, height);
}

QComboBox* newCombo(QWidget* parent, const char* name, const QStringList& items, int left, int top,
                    int width, int height) {
    auto* combo = place(new QComboBox(parent), name, left, top, width, height);
    combo->setEditable(false);
    combo->addItems(items);
    return combo;
}

QLineEdit* newEdit(QWidget* parent, const char* name, int left, int top, int width, int height) {
    return place(new QLineEdit(parent), name, left, top, width, height);
}

void widenButtonToCaption(QPushButton* button, bool keepRight) {
    constexpr int kPadding = 12;  // frame and padding left and right
    if (button->property("m350Fitted").toBool()) {
        button->setFont(button->property("m350OwnFont").value<QFont>());
        button->setProperty("m350Fitted", false);
    }
    const int need = button->fontMetrics().horizontalAdvance(button->text()) + kPadding;
    if (need <= button->width()) return;
    QRect r = button->geometry();
    if (keepRight) {
        r.setLeft(r.right() + 1 - need);
    } else {
        r.setWidth(need);
    }
    button->setGeometry(r);
}

QString textOf(int key, int language, const char* fallback) {
    std::string_view text = m350::languageText(key, language);
    if (text.empty()) return QString::fromUtf8(fallback);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace m350::gui
