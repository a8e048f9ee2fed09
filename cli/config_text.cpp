// SPDX-License-Identifier: MIT
#include "cli/config_text.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>

#include "core/i18n/text_encoding.h"

namespace m350::cli {

namespace {

using m350::ConfigRecord;
using m350::FieldInfo;
using m350::FieldKind;
using m350::FieldUnit;
using Json = nlohmann::ordered_json;

// One field ready to print: the text, the JSON value and the unit label.
struct FieldValue {
    std::string text;
    Json json;
    std::string unit;
};

// Shortest text that reads back as the same single-precision value (11.8, not
// 11.8000001907349).
std::string floatText(float v) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string_view unitLabel(FieldUnit u) {
    switch (u) {
        case FieldUnit::kInchPerSecond:
            return "in/s";
        case FieldUnit::kDotsPerInch:
            return "dpi";
        case FieldUnit::kDotsPerMm:
            return "dots/mm";
        case FieldUnit::kDbm:
            return "dBm";
        default:
            return "";
    }
}

// The lengths the configuration pages show in inch or mm. The other settings
// counted in dots (reference point, offsets, shifts) are shown in dots there,
// and so here.
bool shownInUnits(m350::Field f) {
    using F = m350::Field;
    switch (f) {
        case F::paperWidth:
        case F::paperHeight:
        case F::gapSize:
        case F::gapOffset:
        case F::maxLength:
        case F::zLabelWidth:
        case F::dLabelWidth:
        case F::dColumnOffset:
        case F::dRowOffset:
            return true;
        default:
            return false;
    }
}

FieldValue valueOf(const ConfigRecord& r, const FieldInfo& info, bool inch,
                   std::string_view encoding) {
    FieldValue v;
    v.unit = std::string(unitLabel(info.unit));
    if (shownInUnits(info.field)) {
        const double dots = r.number(info.field);
        if (auto units = m350::dotsToUnits(r, dots, inch)) {
            v.text = m350::unitsText(*units);
            v.json = std::strtod(v.text.c_str(), nullptr);
            v.unit = inch ? "in" : "mm";
        } else {
            // Without a usable resolution the length can only be given in dots.
            v.text = info.kind == FieldKind::kReal ? floatText(static_cast<float>(dots))
                                                   : std::to_string(static_cast<long long>(dots));
            v.json = dots;
            v.unit = "dots";
        }
        return v;
    }
    switch (info.kind) {
        case FieldKind::kInt: {
            const std::int32_t n = r.integer(info.field);
            if (info.table) {
                if (auto entry = info.table->entry(n)) {
                    v.text = std::string(*entry);
                    v.json = v.text;
                    return v;
                }
            }
            v.text = std::to_string(n);
            v.json = n;
            return v;
        }
        case FieldKind::kReal: {
            const float f = r.real(info.field);
            v.text = floatText(f);
            v.json = std::strtod(v.text.c_str(), nullptr);
            return v;
        }
        case FieldKind::kText: {
            const std::string t = r.text(info.field);
            v.text = printableText(t, encoding);
            v.json = m350::decodeText(t, encoding);
            // The printed length counters are numbers the printer sends as text.
            if (info.field == m350::Field::mileage || info.field == m350::Field::resetMileage) {
                static const std::regex number(R"( *[0-9]+(\.[0-9]+)? *)");
                if (std::regex_match(t, number)) v.json = std::strtod(t.c_str(), nullptr);
            }
            return v;
        }
        case FieldKind::kChar: {
            const char c = r.character(info.field);
            const std::string t = c ? std::string(1, c) : std::string();
            v.text = printableText(t, encoding);
            v.json = m350::decodeText(t, encoding);
            return v;
        }
        case FieldKind::kByte:
        case FieldKind::kRaw: {
            const int b = r.byte(info.field);
            v.text = std::to_string(b);
            v.json = b;
            return v;
        }
    }
    return v;
}

bool listed(const FieldInfo& info) {
    return info.kind != FieldKind::kRaw;
}

bool known(const ConfigRecord& r, const FieldInfo& info) {
    return !info.flagged || r.present(info.field);
}

}  // namespace

std::string printableText(std::string_view text, std::string_view encoding) {
    auto hex = [](unsigned char c) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\x%02x", c);
        return std::string(buf);
    };
    // A byte the encoding does not define comes back behind 0xFF, which no
    // UTF-8 text holds.
    const std::string decoded = m350::decodeText(text, encoding, [](unsigned char b) {
        return std::string{'\xFF', static_cast<char>(b)};
    });
    std::string out;
    out.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const auto c = static_cast<unsigned char>(decoded[i]);
        const bool hasNext = i + 1 < decoded.size();
        if (c == 0xFF && hasNext) {
            out += hex(static_cast<unsigned char>(decoded[++i]));
        } else if (c < 0x20 || c == 0x7F || c == '\\') {
            out += hex(c);
        } else if (c == 0xC2 && hasNext && static_cast<unsigned char>(decoded[i + 1]) < 0xA0) {
            // C1 controls (U+0080..U+009F) drive terminals too.
            out += hex(static_cast<unsigned char>(decoded[++i]));
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

std::string fieldLine(const ConfigRecord& r, const FieldInfo& info, bool inch,
                      std::string_view encoding) {
    std::string line(info.name);
    line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
    if (known(r, info)) {
        FieldValue v = valueOf(r, info, inch, encoding);
        line += v.text;
        if (!v.unit.empty()) line += " " + v.unit;
    } else {
        line += "-";
    }
    return line;
}

Json fieldJson(const ConfigRecord& r, const FieldInfo& info, bool inch, std::string_view encoding) {
    return known(r, info) ? valueOf(r, info, inch, encoding).json : Json(nullptr);
}

std::string recordText(const ConfigRecord& r, bool inch, std::string_view encoding) {
    std::string out;
    for (const FieldInfo& info : m350::fieldTable()) {
        if (listed(info)) out += fieldLine(r, info, inch, encoding) + "\n";
    }
    return out;
}

Json recordJson(const ConfigRecord& r, bool inch, std::string_view encoding) {
    Json j;
    j["unit"] = inch ? "inch" : "mm";
    // Field names are unique: appending needs none of the linear search that
    // inserting by key makes in an ordered object.
    auto& object = j.get_ref<Json::object_t&>();
    for (const FieldInfo& info : m350::fieldTable()) {
        if (listed(info))
            object.emplace_back(std::string(info.name), fieldJson(r, info, inch, encoding));
    }
    return j;
}

std::string dumpJson(const Json& j) {
    std::string raw;
    if (j.is_object() && !j.contains("schema")) {
        Json document;
        document["schema"] = kJsonSchema;
        for (const auto& [key, value] : j.items()) document[key] = value;
        raw = document.dump(2, ' ', false, Json::error_handler_t::replace);
    } else {
        raw = j.dump(2, ' ', false, Json::error_handler_t::replace);
    }
    // Outside strings the text is ASCII without DEL, so these bytes stand
    // only inside strings, where an escape means the same character.
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        const bool c1 =
            c == 0xC2 && i + 1 < raw.size() && static_cast<unsigned char>(raw[i + 1]) < 0xA0;
        if (c == 0x7F || c1) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x",
                          c1 ? static_cast<unsigned char>(raw[++i]) : c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

}  // namespace m350::cli
