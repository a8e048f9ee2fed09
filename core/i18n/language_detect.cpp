// SPDX-License-Identifier: MIT
#include "core/i18n/language_detect.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>

#include "core/i18n/language_table.h"

namespace m350 {

namespace {

constexpr std::uint16_t kPrimaryChinese = 0x04;

constexpr std::uint16_t makeLangId(std::uint16_t primary, std::uint16_t sub) {
    return static_cast<std::uint16_t>((sub << 10) | primary);
}

// Primary language identifiers of the usual locale language codes. Codes not
// listed are unknown and end up as English anyway.
constexpr std::array<std::pair<std::string_view, std::uint16_t>, 45> kPrimary = {{
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sr", 0x1A}, {"bs", 0x1A}, {"sk", 0x1B},
    {"sq", 0x1C}, {"sv", 0x1D}, {"th", 0x1E}, {"tr", 0x1F}, {"id", 0x21}, {"uk", 0x22},
    {"be", 0x23}, {"sl", 0x24}, {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27}, {"fa", 0x29},
    {"vi", 0x2A}, {"hi", 0x39}, {"ms", 0x3E},
}};

// Chinese sublanguages by territory; the others of a language are its
// default sublanguage 1.
constexpr std::array<std::pair<std::string_view, std::uint16_t>, 5> kChineseSub = {{
    {"TW", 1},
    {"CN", 2},
    {"HK", 3},
    {"SG", 4},
    {"MO", 5},
}};

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

int languageFromId(std::uint16_t id) {
    const std::uint16_t primary = id & 0x3FF;
    const std::uint16_t sub = id >> 10;
    int language = kLangEnglish;
    if (id == 0x0404) {
        language = kLangTraditionalChinese;
    } else if (primary == kPrimaryChinese && sub == 2) {
        language = kLangSimplifiedChinese;
    }
    switch (primary) {
        case 0x11:
            return kLangJapanese;
        case 0x0A:
            return kLangSpanish;
        case 0x16:
            return kLangPortuguese;
        case 0x07:
            return kLangGerman;
        case 0x0C:
            return kLangFrench;
        case 0x10:
            return kLangItalian;
        case 0x19:
            return kLangRussian;
        case 0x15:
            return kLangPolish;
        case 0x27:
            return kLangLithuanian;
        case 0x05:
            return kLangCzech;
        case 0x22:
            return kLangUkrainian;
        default:
            return language;
    }
}

std::uint16_t langIdFromLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const auto stop = locale.find_first_of(".@");
    if (stop != std::string_view::npos) locale = locale.substr(0, stop);
    const auto sep = locale.find_first_of("_-");
    const std::string language = lower(locale.substr(0, sep));
    const std::string territory =
        sep == std::string_view::npos ? std::string() : upper(locale.substr(sep + 1));

    const auto it = std::find_if(kPrimary.begin(), kPrimary.end(),
                                 [&](const auto& entry) { return entry.first == language; });
    if (it == kPrimary.end()) return kLangIdEnglishUs;
    const std::uint16_t primary = it->second;

    std::uint16_t sub = 1;
    if (primary == kPrimaryChinese) {
        // A bare "zh" names no script; it is the neutral Chinese, which the
        // rules leave in English like the other territories.
        sub = 0;
        for (const auto& [name, value] : kChineseSub)
            if (name == territory) sub = value;
    }
    return makeLangId(primary, sub);
}

std::string messagesLocale(const EnvReader& getEnv) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getEnv ? getEnv(name) : std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

std::uint16_t systemLangId(const EnvReader& getEnv) {
    return langIdFromLocale(messagesLocale(getEnv));
}

int detectLanguage(const EnvReader& getEnv) {
    return languageFromId(systemLangId(getEnv));
}

}  // namespace m350
