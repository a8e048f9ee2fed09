// A configuration record as m350ctl prints it, from arbitrary record bytes (a
// printer's reply is shown unchecked, a file's after its check): the text
// has no control byte but its line ends, the JSON reads back as JSON, and
// printer text never reaches the terminal as a control character.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/config_text.h"
#include "core/config/config_record.h"
#include "core/i18n/text_encoding.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// No C0 control but the line end, no DEL and no C1 control (U+0080..U+009F).
void checkShowable(std::string_view s, bool lineEnds) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        check(c >= 0x20 || (lineEnds && c == '\n'));
        check(c != 0x7F);
        if (c == 0xC2 && i + 1 < s.size()) check(static_cast<unsigned char>(s[i + 1]) >= 0xA0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto encodings = m350::offeredTextEncodings();
    const std::string_view encoding = encodings[data[0] % encodings.size()];
    const bool inch = (data[0] & 0x80) != 0;
    m350::ConfigRecord record;
    auto& bytes = record.bytes();
    std::copy(data + 1, data + std::min(size, bytes.size() + 1), bytes.begin());

    const std::string text = m350::cli::recordText(record, inch, encoding);
    checkShowable(text, true);
    const std::string json = m350::cli::dumpJson(m350::cli::recordJson(record, inch, encoding));
    checkShowable(json, true);
    const auto back = nlohmann::ordered_json::parse(json, nullptr, false);
    check(!back.is_discarded() && back.is_object());

    // Any printer text, not only what fits a record field.
    const std::string_view raw(reinterpret_cast<const char*>(data + 1), size - 1);
    checkShowable(m350::cli::printableText(raw, encoding), false);
    return 0;
}
