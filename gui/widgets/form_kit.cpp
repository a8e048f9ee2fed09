// SPDX-License-Identifier: MIT
#include "gui/widgets/form_kit.h"

#include <QEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include "core/i18n/language_table.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {

// The typing limit of limitTyping: an edit is taken when the text is no
// longer than the limit or than the text before it; typing or pasting past
// that keeps only what fits, cut from the inserted part. QLineEdit runs the
// validator on setText() too, but then the box is not modified: what the
// program shows goes in whole.
class TypingLimit final : public QValidator {
  public:
    TypingLimit(QLineEdit* edit, int limit)
        : QValidator(edit), edit_(edit), limit_(limit), before_(edit->text().size()) {
        // Follows every accepted change and every text the program sets.
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { before_ = text.size(); });
    }

    int limit() const { return limit_; }

    State validate(QString& input, int& pos) const override {
        if (!edit_->isModified()) return Acceptable;
        const qsizetype allowed = std::max<qsizetype>(limit_, before_);
        if (input.size() <= allowed) return Acceptable;
        const qsizetype excess = input.size() - allowed;
        // The inserted characters end at the cursor.
        if (pos < excess) return Invalid;
        input.remove(pos - excess, excess);
        pos -= static_cast<int>(excess);
        // Never half a character: a lone high surrogate goes too.
        if (pos > 0 && input.at(pos - 1).isHighSurrogate()) {
            input.remove(pos - 1, 1);
            --pos;
        }
        return Acceptable;
    }

  private:
    const QLineEdit* edit_;
    int limit_;
    qsizetype before_;
};

// Sets a box's minimum width from a sample text whenever its font or style
// changes.
class WidthForSample final : public QObject {
  public:
    WidthForSample(QLineEdit* edit, QString sample) : QObject(edit), sample_(std::move(sample)) {
        edit->installEventFilter(this);
        apply(edit);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            apply(static_cast<QLineEdit*>(watched));
        return false;
    }

  private:
    void apply(QLineEdit* edit) const {
        // As QLineEdit sizes itself: the text, its margins and the two
        // pixels it keeps free on each side, then the frame the style adds.
        const QMargins margins = edit->textMargins();
        const int text = QFontMetrics(edit->font()).horizontalAdvance(sample_);
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(
                                                  QStyle::PM_DefaultFrameWidth, &option, edit)
                                            : 0;
        const QSize contents(text + margins.left() + margins.right() + 4 + 2,
                             edit->sizeHint().height());
        edit->setMinimumWidth(
            edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, edit).width());
    }

    QString sample_;
};

}  // namespace

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

void limitTyping(QLineEdit* edit, int maxChars) {
    if (maxChars <= 0) return;
    edit->setValidator(new TypingLimit(edit, maxChars));
}

void numberTyping(QLineEdit* edit, bool negative, bool integer) {
    QString pattern = QStringLiteral("\\s*\\+?");
    if (negative) pattern += QStringLiteral("-?");
    pattern += QStringLiteral("[0-9]*");
    if (!integer) pattern += QStringLiteral("([.,][0-9]*)?");
    pattern += QStringLiteral("\\s*");
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
}

void keepWideEnoughFor(QLineEdit* edit, const QString& sample) {
    new WidthForSample(edit, sample);
}

int typingLimit(const QLineEdit* edit) {
    const auto* limit = dynamic_cast<const TypingLimit*>(edit->validator());
    return limit ? limit->limit() : 0;
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

QSize SnugButton::sizeHint() const {
    constexpr int kPadding = 14;  // frame and padding left and right
    QString shown = text();
    shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return {fontMetrics().horizontalAdvance(shown) + kPadding, QPushButton::sizeHint().height()};
}

QString textOf(int key, int language, const char* fallback) {
    std::string_view text = m350::languageText(key, language);
    if (text.empty()) return QString::fromUtf8(fallback);
    return utf8Text(text);
}

}  // namespace m350::gui
