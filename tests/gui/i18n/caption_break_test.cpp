// SPDX-License-Identifier: MIT
// Where the captions of the configuration pages break: between words only,
// never with a hyphen of our own, and in Japanese by its rules (no line starts
// with the long vowel mark, a small kana or closing punctuation).
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include "core/i18n/language_table.h"
#include "gui/pages/config_page_kit.h"

namespace {

using m350::gui::configkit::breakLines;
using m350::gui::configkit::widestPiece;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Characters a Japanese line may not start with.
bool forbiddenAtLineStart(QChar c) {
    static const QString kNoStart = QString::fromUtf8(
        "ーァィゥェォッャュョヮヵヶぁぃぅぇぉっゃゅょゎ、。，．・：；？！）」』】〕〉》");
    return kNoStart.contains(c);
}

TEST(CaptionBreaks, WordsStayWholeOnANarrowColumn) {
    const QFont font;
    const struct {
        const char* text;
        std::vector<const char*> lines;  // at a width of one pixel
    } cases[] = {
        {"Schwarzmarkenintens.", {"Schwarzmarkenintens."}},
        {"Максимальная длина", {"Максимальная", "длина"}},
        {"Post-Print Action", {"Post-", "Print", "Action"}},  // the word's own hyphen
        {"Reprint After Error", {"Reprint", "After", "Error"}},
    };
    for (const auto& c : cases) {
        QStringList expected;
        for (const char* l : c.lines) expected << Q(l);
        EXPECT_EQ(breakLines(font, Q(c.text), 1), expected) << c.text;
        // The column must give the widest of them its room.
        int widest = 0;
        for (const QString& l : expected)
            widest = std::max(widest, QFontMetrics(font).horizontalAdvance(l));
        EXPECT_GE(widestPiece(font, Q(c.text)), widest) << c.text;
    }
    EXPECT_EQ(breakLines(font, Q("Maximum Length"), 10000), QStringList{Q("Maximum Length")});
}

// Every text of the table at every width: the lines put back together are
// the text (nothing inserted, nothing lost), and Japanese lines start where
// its rules allow.
TEST(CaptionBreaks, EveryTextOfTheTableAtEveryWidth) {
    const QFont font;
    const QFontMetrics metrics(font);
    int checked = 0;
    for (int language = 0; language < m350::kLanguageCount; ++language) {
        for (int key = 0; key < m350::kTextKeyCount; ++key) {
            const std::string_view raw = m350::languageText(key, language);
            const QString text =
                QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())).simplified();
            if (text.isEmpty()) continue;
            const int full = metrics.horizontalAdvance(text);
            for (int width = 8; width < full; width += 7) {
                const QStringList lines = breakLines(font, text, width);
                QString joined = lines.join(QString());
                QString plain = text;
                joined.remove(QLatin1Char(' '));
                plain.remove(QLatin1Char(' '));
                ASSERT_EQ(joined, plain) << "key " << key << " language " << language;
                if (language != m350::kLangJapanese) continue;
                for (qsizetype i = 1; i < lines.size(); ++i)
                    EXPECT_FALSE(forbiddenAtLineStart(lines[i].front()))
                        << "key " << key << " width " << width << ": "
                        << lines.join(QStringLiteral(" | ")).toStdString();
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100);
}

}  // namespace
