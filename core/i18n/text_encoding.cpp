// SPDX-License-Identifier: MIT
#include "core/i18n/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>

#include "core/i18n/language_table.h"

namespace m350 {

namespace {

using std::string_view_literals::operator""sv;

// Every code page the font manager makes fonts in is offered too (Greek,
// Korean), so a command text can name a font's characters in its codes.
constexpr std::array kOffered = {"UTF-8"sv,  "CP1252"sv, "CP1250"sv, "CP1251"sv, "CP1253"sv,
                                 "CP1257"sv, "CP932"sv,  "GBK"sv,    "CP950"sv,  "CP949"sv};

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// One iconv conversion, closed on every path.
class Converter {
  public:
    Converter(std::string_view to, std::string_view from)
        : cd_(iconv_open(std::string(to).c_str(), std::string(from).c_str())) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as it can into out. Returns false at the first
    // sequence it cannot convert (in then points at it) and true when all of
    // in went through. irreversible counts approximated characters.
    bool run(std::string_view& in, std::string& out, std::size_t& irreversible) {
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        bool done = true;
        while (srcLeft > 0) {
            char buf[256];
            char* dst = buf;
            std::size_t room = sizeof buf;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &room);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                done = false;
                break;
            }
            irreversible += r;
        }
        in = std::string_view(src, srcLeft);
        return done;
    }

    // The shift sequence that ends a stateful encoding.
    void finish(std::string& out) {
        char buf[64];
        char* dst = buf;
        std::size_t room = sizeof buf;
        if (iconv(cd_, nullptr, nullptr, &dst, &room) != static_cast<std::size_t>(-1))
            out.append(buf, static_cast<std::size_t>(dst - buf));
    }
    void resetState() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    iconv_t cd_;
};

// Bytes of the UTF-8 character that starts at the front of s (1 for a byte
// that starts none).
std::size_t utf8Length(std::string_view s) {
    if (s.empty()) return 0;
    const auto b = static_cast<unsigned char>(s.front());
    std::size_t n = 1;
    if ((b & 0xE0) == 0xC0) n = 2;
    if ((b & 0xF0) == 0xE0) n = 3;
    if ((b & 0xF8) == 0xF0) n = 4;
    return std::min(n, s.size());
}

// Bytes of the well-formed UTF-8 character at the front of s (no overlong
// form, no surrogate, nothing past U+10FFFF); 0 when none starts there.
std::size_t wellFormedUtf8Length(std::string_view s) {
    const auto b = static_cast<unsigned char>(s.front());
    if (b < 0x80) return 1;
    const std::size_t n = (b & 0xE0) == 0xC0   ? 2
                          : (b & 0xF0) == 0xE0 ? 3
                          : (b & 0xF8) == 0xF0 ? 4
                                               : 0;
    if (n == 0 || n > s.size()) return 0;
    std::uint32_t cp = b & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        const auto t = static_cast<unsigned char>(s[i]);
        if ((t & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool isUtf8Name(std::string_view name) {
    std::string plain;
    for (char c : name)
        if (c != '-' && c != '_') plain.push_back(static_cast<char>(std::toupper(c)));
    return plain == "UTF8";
}

// Names with options ("//TRANSLIT", "//IGNORE") would approximate or drop
// characters behind the operator's back.
bool plainName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos;
}

}  // namespace

std::string defaultTextEncoding(int language) {
    const std::string_view codePage = languageCodePage(language);
    return codePage == "BIG5" ? std::string("CP950") : std::string(codePage);
}

std::span<const std::string_view> offeredTextEncodings() {
    return kOffered;
}

bool isTextEncoding(std::string_view name) {
    if (!plainName(name)) return false;
    Converter in(kUtf8Encoding, name);
    Converter out(name, kUtf8Encoding);
    return in.ok() && out.ok();
}

std::string decodeText(std::string_view bytes, std::string_view encoding,
                       const std::function<std::string(unsigned char)>& undefined) {
    auto standIn = [&](unsigned char b) {
        return undefined ? undefined(b) : std::string(kReplacement);
    };
    std::string out;
    out.reserve(bytes.size());
    if (isUtf8Name(encoding)) {
        // iconv lets UTF-8 past U+10FFFF through unchanged; only well-formed
        // characters are taken, every other byte stands for itself.
        while (!bytes.empty()) {
            const std::size_t n = wellFormedUtf8Length(bytes);
            if (n == 0) {
                out += standIn(static_cast<unsigned char>(bytes.front()));
                bytes.remove_prefix(1);
            } else {
                out += bytes.substr(0, n);
                bytes.remove_prefix(n);
            }
        }
        return out;
    }
    // An empty name would mean the locale's own charset to iconv.
    Converter cd(kUtf8Encoding, plainName(encoding) ? encoding : std::string_view("?"));
    if (!cd.ok()) {
        // An encoding iconv does not know: only ASCII is certain.
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80) {
                out.push_back(c);
            } else {
                out += standIn(b);
            }
        }
        return out;
    }
    std::string_view rest = bytes;
    std::size_t irreversible = 0;
    while (!cd.run(rest, out, irreversible)) {
        if (rest.empty()) break;
        // A byte the encoding does not define (or a sequence cut short at the
        // end): one byte stands for itself, the rest goes on.
        out += standIn(static_cast<unsigned char>(rest.front()));
        rest.remove_prefix(1);
        cd.resetState();
    }
    cd.finish(out);
    return out;
}

std::optional<std::string> decodeExactly(std::string_view bytes, std::string_view encoding,
                                         std::size_t* badOffset) {
    auto refuse = [&](std::size_t at) -> std::optional<std::string> {
        if (badOffset) *badOffset = at;
        return std::nullopt;
    };
    if (!plainName(encoding)) return refuse(0);
    Converter cd(kUtf8Encoding, encoding);
    if (!cd.ok()) return refuse(0);
    std::string out;
    out.reserve(bytes.size());
    std::string_view rest = bytes;
    std::size_t irreversible = 0;
    if (!cd.run(rest, out, irreversible) || irreversible != 0)
        return refuse(bytes.size() - rest.size());
    cd.finish(out);
    // Code pages with two byte sequences for one character would come back as
    // the other one.
    Converter back(encoding, kUtf8Encoding);
    std::string again;
    std::string_view text = out;
    if (!back.ok() || !back.run(text, again, irreversible) || irreversible != 0) {
        const std::size_t at =
            std::mismatch(bytes.begin(), bytes.end(), again.begin(), again.end()).first -
            bytes.begin();
        return refuse(at);
    }
    back.finish(again);
    if (again != bytes) {
        const std::size_t at =
            std::mismatch(bytes.begin(), bytes.end(), again.begin(), again.end()).first -
            bytes.begin();
        return refuse(at);
    }
    return out;
}

std::optional<std::string> encodeText(std::string_view utf8, std::string_view encoding,
                                      std::string* unheld) {
    if (unheld) unheld->clear();
    if (!plainName(encoding)) return std::nullopt;
    Converter cd(encoding, kUtf8Encoding);
    if (!cd.ok()) return std::nullopt;
    std::string out;
    out.reserve(utf8.size());
    {
        // Most texts go through whole (a command text may hold megabytes).
        std::string_view all = utf8;
        std::size_t irreversible = 0;
        if (cd.run(all, out, irreversible) && irreversible == 0) {
            cd.finish(out);
            return out;
        }
        out.clear();
        cd.resetState();
    }
    // One character at a time, so the one that fails (or would only be
    // approximated) can be named.
    while (!utf8.empty()) {
        const std::size_t n = utf8Length(utf8);
        std::string_view one = utf8.substr(0, n);
        std::size_t irreversible = 0;
        if (!cd.run(one, out, irreversible) || irreversible != 0) {
            if (unheld) *unheld = std::string(utf8.substr(0, n));
            return std::nullopt;
        }
        utf8.remove_prefix(n);
    }
    cd.finish(out);
    return out;
}

std::string chosenTextEncoding(std::string_view choice, int language) {
    return choice.empty() ? defaultTextEncoding(language) : std::string(choice);
}

}  // namespace m350
