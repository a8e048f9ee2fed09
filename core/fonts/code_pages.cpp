// SPDX-License-Identifier: MIT
#include "core/fonts/code_pages.h"

#include <iconv.h>

#include <array>
#include <cerrno>

#include "core/fonts/font_job.h"

namespace m350 {

std::string_view asianCodePage(int asianEncoding) {
    static constexpr std::array<std::string_view, 4> kPages = {"CP950", "GBK", "CP949", "CP932"};
    if (asianEncoding < 0 || asianEncoding >= 4) return {};
    return kPages[static_cast<std::size_t>(asianEncoding)];
}

char asianEncodingLetter(int asianEncoding) {
    static constexpr std::array<char, 4> kLetters = {'T', 'G', 'K', 'J'};
    if (asianEncoding < 0 || asianEncoding >= 4) return 0;
    return kLetters[static_cast<std::size_t>(asianEncoding)];
}

const std::vector<std::string>& singleByteCodePages() {
    // The code pages of the interface languages that have one byte per
    // character, Windows-1252 first, and Greek.
    static const std::vector<std::string> kPages = {"CP1252", "CP1250", "CP1251", "CP1253",
                                                    "CP1257"};
    return kPages;
}

std::string defaultSingleByteCodePage(std::string_view textEncoding) {
    for (const std::string& page : singleByteCodePages())
        if (page == textEncoding) return page;
    return singleByteCodePages().front();
}

int asianEncodingOf(std::string_view textEncoding) {
    for (int e = 0; e < 4; ++e)
        if (asianCodePage(e) == textEncoding) return e;
    // The names the interface languages' table gives some of them.
    if (textEncoding == "BIG5") return kTraditionalChinese;
    if (textEncoding == "SHIFT_JIS") return kJapanese;
    return -1;
}

struct CodePage::Impl {
    iconv_t toUnicode = reinterpret_cast<iconv_t>(-1);
    iconv_t fromUnicode = reinterpret_cast<iconv_t>(-1);
};

CodePage::CodePage(const std::string& name) : d_(std::make_unique<Impl>()) {
    d_->toUnicode = iconv_open("UTF-16LE", name.c_str());
    d_->fromUnicode = iconv_open(name.c_str(), "UTF-16LE");
}

CodePage::~CodePage() {
    if (d_->toUnicode != reinterpret_cast<iconv_t>(-1)) iconv_close(d_->toUnicode);
    if (d_->fromUnicode != reinterpret_cast<iconv_t>(-1)) iconv_close(d_->fromUnicode);
}

bool CodePage::valid() const {
    return d_->toUnicode != reinterpret_cast<iconv_t>(-1) &&
           d_->fromUnicode != reinterpret_cast<iconv_t>(-1);
}

QString CodePage::decode(std::string_view code) {
    if (!valid() || code.empty()) return {};
    char16_t out[8];
    char* in = const_cast<char*>(code.data());
    std::size_t inLeft = code.size();
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(d_->toUnicode, nullptr, nullptr, nullptr, nullptr);
    const std::size_t r = iconv(d_->toUnicode, &in, &inLeft, &outPtr, &outLeft);
    // The whole code must make exactly one character: a lead byte followed by
    // a second single-byte character is not a double-byte character.
    if (r == static_cast<std::size_t>(-1) || inLeft != 0) return {};
    const auto units = static_cast<qsizetype>((sizeof out - outLeft) / 2);
    QString s(reinterpret_cast<const QChar*>(out), units);
    if (s.size() != 1 && !(s.size() == 2 && s[0].isHighSurrogate())) return {};
    if (s.size() == 1 && (s[0].category() == QChar::Other_Control)) return {};
    return s;
}

std::string CodePage::encode(const QString& text, int* dropped) {
    std::string result;
    if (dropped) *dropped = 0;
    if (!valid()) return result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.constData() + i));
        std::size_t inLeft = static_cast<std::size_t>(n) * 2;
        char out[16];
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        iconv(d_->fromUnicode, nullptr, nullptr, nullptr, nullptr);
        const std::size_t r = iconv(d_->fromUnicode, &in, &inLeft, &outPtr, &outLeft);
        if (r == static_cast<std::size_t>(-1) || r > 0) {
            // r > 0: an approximate, not the character itself.
            if (dropped) ++*dropped;
        } else {
            result.append(out, sizeof out - outLeft);
        }
        i += n - 1;
    }
    return result;
}

}  // namespace m350
