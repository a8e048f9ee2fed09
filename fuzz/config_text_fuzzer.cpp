// SPDX-License-Identifier: MIT
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
    if (size < 2) return 0;
    const auto encodings = m350::offeredTextEncodings();
    const std::string_view encoding = encodings[data[0] % encodings.size()];
    const bool inch = (data[0] & 0x80) != 0;
    m350::ConfigRecord record;
    auto& bytes = record.bytes();
    std::copy(data + 2, data + std::min(size, bytes.size() + 2), bytes.begin());

    // The second byte picks the field: its line and its JSON value are made
    // alone. The whole record's text and JSON are these lines and values in
    // table order, and making all few hundred fields for every input kept the
    // run to a few hundred inputs a second.
    const auto fields = m350::fieldTable();
    const m350::FieldInfo& info = fields[data[1] % fields.size()];
    checkShowable(m350::cli::fieldLine(record, info, inch, encoding), false);
    nlohmann::ordered_json one;
    one[std::string(info.name)] = m350::cli::fieldJson(record, info, inch, encoding);
    const std::string json = m350::cli::dumpJson(one);
    checkShowable(json, true);
    const auto back = nlohmann::ordered_json::parse(json, nullptr, false);
    check(!back.is_discarded() && back.is_object());

    // Any printer text, not only what fits a record field (a reply's text is
    // at most a few hundred bytes).
    const std::string_view raw(reinterpret_cast<const char*>(data + 2),
                               std::min<std::size_t>(size - 2, 512));
    checkShowable(m350::cli::printableText(raw, encoding), false);
    return 0;
}
