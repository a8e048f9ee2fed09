// SPDX-License-Identifier: MIT
#include "gui/status_clock.h"

#include <array>

#include "core/i18n/language_table.h"

namespace m350::gui {

namespace {

struct LanguageLocale {
    QLocale::Language language;
    QLocale::Territory territory;
};

// In language index order.
constexpr std::array<LanguageLocale, m350::kLanguageCount> kLocales{{
    {QLocale::English, QLocale::UnitedStates},
    {QLocale::Chinese, QLocale::Taiwan},
    {QLocale::Chinese, QLocale::China},
    {QLocale::Japanese, QLocale::Japan},
    {QLocale::Spanish, QLocale::Spain},
    {QLocale::Portuguese, QLocale::Brazil},
    {QLocale::German, QLocale::Germany},
    {QLocale::French, QLocale::France},
    {QLocale::Italian, QLocale::Italy},
    {QLocale::Russian, QLocale::Russia},
    {QLocale::Polish, QLocale::Poland},
    {QLocale::Lithuanian, QLocale::Lithuania},
    {QLocale::Czech, QLocale::CzechRepublic},
    {QLocale::Ukrainian, QLocale::Ukraine},
}};

// Chinese is two interface languages: the script tells them apart.
QLocale::Script scriptOf(int language) {
    if (language == m350::kLangTraditionalChinese) return QLocale::TraditionalHanScript;
    if (language == m350::kLangSimplifiedChinese) return QLocale::SimplifiedHanScript;
    return QLocale::AnyScript;
}

// The short time format with the seconds it lacks in most locales, put
// right after the minutes ("h:mm AP" becomes "h:mm:ss AP").
QString timeWithSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (format.contains(QLatin1String("ss"))) return format;
    const qsizetype minutes = format.indexOf(QLatin1String("mm"));
    if (minutes < 0) return locale.timeFormat(QLocale::LongFormat);
    format.insert(minutes + 2, QLatin1String(":ss"));
    return format;
}

}  // namespace

QLocale clockLocale(int language, const QLocale& desktop) {
    if (language < 0 || language >= m350::kLanguageCount) language = m350::kLangEnglish;
    const LanguageLocale& wanted = kLocales[static_cast<std::size_t>(language)];
    const QLocale::Script script = scriptOf(language);
    if (desktop.language() == wanted.language &&
        (script == QLocale::AnyScript || desktop.script() == script))
        return desktop;
    return QLocale(wanted.language, script, wanted.territory);
}

QString clockText(const QDateTime& when, const QLocale& locale) {
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), timeWithSeconds(locale));
}

}  // namespace m350::gui
