// SPDX-License-Identifier: MIT
// Every text of the table must survive the trip into its language's code page
// and back, so the same texts can travel as single- and double-byte strings.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "core/i18n/language_table.h"

namespace {

// Converts with glibc iconv; false on any character the target lacks.
bool convert(const char* to, const char* from, std::string_view in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const bool ok = r != static_cast<std::size_t>(-1) && srcLeft == 0 &&
                    iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    // iconv counts characters it had to approximate; a faithful table has none.
    return ok && r == 0;
}

TEST(LanguageCodePages, EveryCellRoundTripsThroughItsCodePage) {
    int cells = 0;
    for (int lang = 0; lang < m350::kLanguageCount; ++lang) {
        const char* codePage = m350::languageCodePage(lang);
        for (int key = 0; key < m350::kTextKeyCount; ++key) {
            const auto text = m350::languageText(key, lang);
            std::string encoded, back;
            ASSERT_TRUE(convert(codePage, "UTF-8", text, encoded))
                << "key " << key << " language " << lang << " \"" << text << "\" has no "
                << codePage << " form";
            ASSERT_TRUE(convert("UTF-8", codePage, encoded, back)) << key << " " << lang;
            EXPECT_EQ(back, text) << "key " << key << " language " << lang;
            ++cells;
        }
    }
    EXPECT_EQ(cells, 264 * 14);
}

TEST(LanguageCodePages, TraditionalChineseAlsoFitsCodePage950) {
    for (int key = 0; key < m350::kTextKeyCount; ++key) {
        std::string encoded;
        EXPECT_TRUE(convert("CP950", "UTF-8", m350::languageText(key, 1), encoded)) << key;
    }
}

TEST(LanguageCodePages, CodePageNames) {
    EXPECT_STREQ(m350::languageCodePage(m350::kLangEnglish), "CP1252");
    EXPECT_STREQ(m350::languageCodePage(m350::kLangJapanese), "CP932");
    EXPECT_STREQ(m350::languageCodePage(m350::kLangLithuanian), "CP1257");
    EXPECT_STREQ(m350::languageCodePage(m350::kLangCzech), "CP1250");
    EXPECT_STREQ(m350::languageCodePage(99), "CP1252");
}

// A check that cannot fail proves nothing: a character outside Windows-1252
// must be refused.
TEST(LanguageCodePages, AForeignCharacterIsRefused) {
    std::string encoded;
    EXPECT_FALSE(convert("CP1252", "UTF-8", "Готов", encoded));
    EXPECT_FALSE(convert("CP1250", "UTF-8", "Failų", encoded));
}

}  // namespace
