// SPDX-License-Identifier: MIT
// How the window words the core's verdicts on typed values: every message
// names the box by the caption the operator sees beside it, in the current
// language. The checks themselves are the core's (core/input/input_checks.h,
// checkPrinterFileName); nothing here decides what passes.
#pragma once

#include <QString>

#include "core/files/file_types.h"
#include "core/input/input_checks.h"

class QLabel;
class QLineEdit;

namespace m350::gui {

// A caption as a message names it: without '&', blanks and a trailing colon.
QString captionText(const QLabel* label);
QString captionText(QString text);

QString notANumberMessage(const QString& caption, const QString& shown, int language);
QString outOfRangeMessage(const QString& caption, double low, double high, const QString& shown,
                          int language);
QString tooPreciseMessage(const QString& caption, int decimals, const QString& shown, int language);
QString emptyMessage(const QString& caption, int language);
QString unquotableMessage(const QString& caption, int language);
QString notAnAddressMessage(const QString& caption, const QString& shown, int language);
// The rule a printer file name breaks, after the caption of its box.
QString fileNameMessage(const QString& caption, m350::NameProblem problem, int language);
QString fileTooLargeMessage(unsigned long long size, int language);

// The message for a number verdict (kNone gives an empty text).
QString numberMessage(const QString& caption, const m350::NumberVerdict& verdict,
                      const m350::NumberRule& rule, const QString& shown, int language);

// A number box of a dialog checked against its rule: the value, or nullopt
// after a message naming the caption (and the focus put on the box).
struct NumberBox {
    QLineEdit* edit;
    const QLabel* caption;
    m350::NumberRule rule;
};
class Prompter;
std::optional<double> checkedNumber(const NumberBox& box, Prompter& prompter, int language);

}  // namespace m350::gui
