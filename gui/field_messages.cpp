// SPDX-License-Identifier: MIT
#include "gui/field_messages.h"

#include <QLabel>
#include <QLineEdit>

#include "gui/language_apply.h"
#include "gui/prompter.h"

namespace m350::gui {

QString captionText(QString text) {
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QChar(0xFF1A))) text.chop(1);
    return text.trimmed();
}

QString captionText(const QLabel* label) {
    return label ? captionText(label->text()) : QString();
}

QString notANumberMessage(const QString& caption, const QString& shown, int language) {
    return ownTr("\"%1\" holds \"%2\", which is not a number.", language).arg(caption, shown);
}

QString outOfRangeMessage(const QString& caption, double low, double high, const QString& shown,
                          int language) {
    return ownTr("\"%1\" takes values from %2 to %3; it holds %4.", language)
        .arg(caption, QString::number(low, 'g', 12), QString::number(high, 'g', 12), shown);
}

QString tooPreciseMessage(const QString& caption, int decimals, const QString& shown,
                          int language) {
    return ownTr("\"%1\" takes at most %2 decimals; it holds %3.", language)
        .arg(caption, QString::number(decimals), shown);
}

QString emptyMessage(const QString& caption, int language) {
    return ownTr("\"%1\" is empty; it must be filled in.", language).arg(caption);
}

QString unquotableMessage(const QString& caption, int language) {
    return ownTr("\"%1\" cannot hold a double quote, a line break or another control character.",
                 language)
        .arg(caption);
}

QString notAnAddressMessage(const QString& caption, const QString& shown, int language) {
    // clang-format off
    return ownTr("\"%1\" holds \"%2\", which is not an IPv4 address (four numbers from 0 to 255 separated by dots).", language)
        .arg(caption, shown);
    // clang-format on
}

QString fileNameMessage(const QString& caption, m350::NameProblem problem, int language) {
    QString rule;
    switch (problem) {
        case m350::NameProblem::kEmpty:
            rule = ownTr("A printer file name cannot be empty.", language);
            break;
        case m350::NameProblem::kTooLong:
            // The length rule keeps its own title line.
            return QStringLiteral("File name too long\n%1: %2")
                .arg(caption, ownTr("A printer file name has at most %1 characters.", language)
                                  .arg(m350::kMaxPrinterFileName));
        case m350::NameProblem::kUnsafeCharacter:
            rule = ownTr("A printer file name cannot hold a double quote or a control character.",
                         language);
            break;
        case m350::NameProblem::kWildcard:
            rule = ownTr("A printer file name cannot hold the wildcards * and ?.", language);
            break;
        case m350::NameProblem::kSeparator:
            // clang-format off
            rule = ownTr("A printer file name cannot hold the path separators slash and backslash.", language);
            // clang-format on
            break;
        case m350::NameProblem::kBlank:
            rule = ownTr("A printer file name cannot be blank or begin or end with a blank.",
                         language);
            break;
        case m350::NameProblem::kNone:
            return {};
    }
    return QStringLiteral("%1: %2").arg(caption, rule);
}

QString fileTooLargeMessage(unsigned long long size, int language) {
    // clang-format off
    return ownTr("File too large: %1 bytes. The printer takes files of at most %2 bytes (4 GiB less one byte).", language)
        .arg(size)
        .arg(m350::kMaxDownloadSize);
    // clang-format on
}

QString numberMessage(const QString& caption, const m350::NumberVerdict& verdict,
                      const m350::NumberRule& rule, const QString& shown, int language) {
    switch (verdict.fault) {
        case m350::NumberFault::kNone:
            return {};
        case m350::NumberFault::kEmpty:
            return emptyMessage(caption, language);
        case m350::NumberFault::kNotANumber:
            return notANumberMessage(caption, shown, language);
        case m350::NumberFault::kOutOfRange:
            return outOfRangeMessage(caption, rule.min, rule.max, shown, language);
        case m350::NumberFault::kTooPrecise:
            return tooPreciseMessage(caption, rule.decimals, shown, language);
    }
    return {};
}

std::optional<double> checkedNumber(const NumberBox& box, Prompter& prompter, int language) {
    const QByteArray text = box.edit->text().toUtf8();
    const m350::NumberVerdict v =
        m350::checkNumber(std::string_view(text.constData(), text.size()), box.rule);
    if (v.fault == m350::NumberFault::kNone) return v.value;
    prompter.message(
        numberMessage(captionText(box.caption), v, box.rule, box.edit->text(), language));
    box.edit->setFocus();
    return std::nullopt;
}

}  // namespace m350::gui
