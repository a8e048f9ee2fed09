// SPDX-License-Identifier: MIT
// The date and time of the main window's status bar, in the interface
// language's own way of writing them.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace m350::gui {

// The locale the clock is written in for an interface language: the
// desktop's own when it speaks that language (its regional forms, en_GB or
// de_AT, stay), else the language's usual one (Taiwan for Traditional
// Chinese, China for Simplified Chinese, Brazil for Portuguese ...). An
// index outside the languages counts as English.
QLocale clockLocale(int language, const QLocale& desktop = QLocale::system());

// The locale's short date, a blank and the time with seconds ("08.12.26
// 03:04:05" in German, "2026/12/8 03:04:05" in Simplified Chinese), as the
// panel is rewritten every second.
QString clockText(const QDateTime& when, const QLocale& locale);

}  // namespace m350::gui
