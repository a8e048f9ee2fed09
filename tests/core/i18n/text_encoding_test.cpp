// SPDX-License-Identifier: MIT
// Printer texts between bytes and what the operator reads and types: the
// encodings by language, the way back for every offered encoding, bytes an
// encoding does not define, and characters it cannot hold.
#include "core/i18n/text_encoding.h"

#include <gtest/gtest.h>

#include "core/i18n/language_table.h"

namespace {

using m350::decodeText;
using m350::encodeText;

TEST(TextEncoding, EachLanguageReadsPrinterTextsInItsCodePage) {
    const std::pair<int, const char*> cases[] = {
        {m350::kLangEnglish, "CP1252"},
        {m350::kLangGerman, "CP1252"},
        {m350::kLangRussian, "CP1251"},
        {m350::kLangUkrainian, "CP1251"},
        {m350::kLangPolish, "CP1250"},
        {m350::kLangCzech, "CP1250"},
        {m350::kLangLithuanian, "CP1257"},
        {m350::kLangJapanese, "CP932"},
        {m350::kLangSimplifiedChinese, "GBK"},
        {m350::kLangTraditionalChinese, "CP950"},
        {99, "CP1252"},
    };
    for (const auto& [language, encoding] : cases)
        EXPECT_EQ(m350::defaultTextEncoding(language), encoding) << language;
    for (std::string_view name : m350::offeredTextEncodings())
        EXPECT_TRUE(m350::isTextEncoding(name)) << name;
    for (const char* bad : {"", "NO-SUCH-CODE", "CP1252//TRANSLIT", "UTF-8//IGNORE"})
        EXPECT_FALSE(m350::isTextEncoding(bad)) << bad;
}

struct Sample {
    const char* encoding;
    const char* bytes;  // as the printer holds them
    const char* text;   // as the operator reads them (UTF-8)
};

TEST(TextEncoding, TextsGoThereAndBackByteForByte) {
    const Sample samples[] = {
        {"CP1252", "Caf\xE9 \x80 5", "Café € 5"},
        {"UTF-8", "Caf\xC3\xA9", "Café"},
        {"CP1251",
         "\xEF\xE0\xF0\xEE\xEB\xFC"
         "12",
         "пароль12"},
        {"CP1250", "\xA3\xF3\x64\x9F", "Łódź"},
        {"CP1257", "\xD0\xE8", "Šč"},
        {"CP932", "\x83\x76\x83\x8A\x83\x93\x83\x5E", "プリンタ"},
        {"GBK", "\xB4\xF2\xD3\xA1\xBB\xFA", "打印机"},
        {"CP950", "\xA6\x4C\xAA\xED\xBE\xF7", "印表機"},
        {"CP1252", "plain ASCII", "plain ASCII"},
    };
    for (const auto& s : samples) {
        EXPECT_EQ(decodeText(s.bytes, s.encoding), s.text) << s.encoding;
        EXPECT_EQ(encodeText(s.text, s.encoding), std::optional<std::string>(s.bytes))
            << s.encoding;
    }
}

TEST(TextEncoding, BytesTheEncodingDoesNotDefineAreHandedToTheCaller) {
    // 0x81 is no CP1252 character; C3 alone is a cut UTF-8 sequence; 0x82
    // without its second byte is a cut CP932 one.
    EXPECT_EQ(decodeText("a\x81z", "CP1252"), "a\xEF\xBF\xBDz");
    auto hex = [](unsigned char b) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\x%02x", b);
        return std::string(buf);
    };
    EXPECT_EQ(decodeText("a\x81z", "CP1252", hex), "a\\x81z");
    EXPECT_EQ(decodeText("Caf\xC3", "UTF-8", hex), "Caf\\xc3");
    EXPECT_EQ(decodeText("\xFF\xC3\xA9", "UTF-8", hex), "\\xffé");
    EXPECT_EQ(decodeText("ab\x82", "CP932", hex), "ab\\x82");
    // UTF-8 that is not well formed (iconv passes some of it through):
    // past U+10FFFF, overlong, surrogate, a cut sequence before a character.
    struct Case {
        std::string bytes, shown;
    };
    for (const Case& c : {Case{"\xF7\xBE\xB7\xA1", "\\xf7\\xbe\\xb7\\xa1"},
                          Case{"\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
                          Case{"\xC0\xAF", "\\xc0\\xaf"}, Case{"\xED\xA0\x80", "\\xed\\xa0\\x80"},
                          Case{"\xE2\x9C"
                               "A",
                               "\\xe2\\x9cA"},
                          Case{"\xF0\x9F\x98\x80\xE2\x9C\x93", "\xF0\x9F\x98\x80\xE2\x9C\x93"}})
        for (const char* name : {"UTF-8", "utf8"})
            EXPECT_EQ(decodeText(c.bytes, name, hex), c.shown) << name;
    // An encoding iconv does not know keeps only ASCII.
    EXPECT_EQ(decodeText("ok\xE9", "NO-SUCH-CODE", hex), "ok\\xe9");
}

TEST(TextEncoding, ACharacterTheEncodingCannotHoldIsNamedNotReplaced) {
    const struct {
        const char* encoding;
        const char* text;
        const char* unheld;
    } cases[] = {
        {"CP1252", "пароль12", "п"}, {"CP1252", "Café ✓", "✓"}, {"CP1251", "Café", "é"},
        {"CP932", "Ωk€", "€"},       {"CP1250", "日本", "日"},
    };
    for (const auto& c : cases) {
        std::string unheld = "x";
        EXPECT_EQ(encodeText(c.text, c.encoding, &unheld), std::nullopt) << c.text;
        EXPECT_EQ(unheld, c.unheld) << c.text;
    }
    std::string unheld = "x";
    EXPECT_EQ(encodeText("abc", "NO-SUCH-CODE", &unheld), std::nullopt);
    EXPECT_EQ(unheld, "");
    EXPECT_EQ(encodeText("", "CP1252"), std::optional<std::string>(""));
}

TEST(TextEncoding, TheChoiceFollowsTheLanguageUntilOneIsMade) {
    const struct {
        const char* choice;
        int language;
        const char* encoding;
    } cases[] = {
        {"", m350::kLangRussian, "CP1251"},
        {"UTF-8", m350::kLangRussian, "UTF-8"},
        {"UTF-8", m350::kLangJapanese, "UTF-8"},
        {"", m350::kLangJapanese, "CP932"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m350::chosenTextEncoding(c.choice, c.language), c.encoding)
            << c.choice << " " << c.language;
}

}  // namespace

TEST(TextEncoding, ExactDecodingRefusesWhatWouldNotComeBackAndSaysWhere) {
    struct Case {
        const char* encoding;
        std::string bytes;
        std::optional<std::string> text;
        std::size_t badOffset;
    };
    const Case cases[] = {
        {"CP1252", "SIZE 4,2\r\nCaf\xE9\r\n", "SIZE 4,2\r\nCaf\xC3\xA9\r\n", 0},
        {"CP1252", "", "", 0},
        {"CP1252", "ab\x81z", std::nullopt, 2},  // 0x81 is not a CP1252 character
        {"UTF-8", "TEXT \"\xC3\xA9\"", "TEXT \"\xC3\xA9\"", 0},
        {"UTF-8",
         "a\xFF"
         "b",
         std::nullopt, 1},
        {"UTF-8", "ok\xC3", std::nullopt, 2},  // cut short at the end
        {"CP932", "\x83\x76\x83", std::nullopt, 2},
        {"GBK", "\xB4", std::nullopt, 0},
        // An NEC-selected IBM extension: it reads, but would be sent back as
        // its IBM code 0xFA5C.
        {"CP932", "ab\xED\x40", std::nullopt, 2},
        {"CP950", "\xA6\x4C\xAA\xED", "\xE5\x8D\xB0\xE8\xA1\xA8", 0},
        {"NO-SUCH-ENCODING", "abc", std::nullopt, 0},
        {"CP1252//TRANSLIT", "abc", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        std::size_t bad = 99;
        EXPECT_EQ(m350::decodeExactly(c.bytes, c.encoding, &bad), c.text)
            << c.encoding << " " << c.bytes;
        if (!c.text) {
            EXPECT_EQ(bad, c.badOffset) << c.encoding << " " << c.bytes;
        }
    }
}
