// SPDX-License-Identifier: MIT
#include "cli/config_diff_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>

#include "cli/commands.h"
#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/config/config_file.h"
#include "core/config/config_read.h"
#include "core/config/config_write.h"
#include "core/i18n/text_encoding.h"
#include "core/link/link_operations.h"

namespace m350::cli {

namespace {

using F = m350::Field;
using Json = nlohmann::ordered_json;

// The unit a compared value is given in (see comparedValue).
std::string unitOf(F f, bool inch) {
    switch (f) {
        case F::paperWidth:
        case F::paperHeight:
        case F::gapSize:
        case F::gapOffset:
            return inch ? "in" : "mm";
        case F::dLabelWidth:
        case F::dColumnOffset:
        case F::dRowOffset:
            return "in";
        case F::maxLength:
            return "dots";
        default:
            break;
    }
    switch (m350::fieldInfoOf(f).unit) {
        case m350::FieldUnit::kInchPerSecond:
            return "in/s";
        case m350::FieldUnit::kDotsPerInch:
            return "dpi";
        case m350::FieldUnit::kDotsPerMm:
            return "dots/mm";
        case m350::FieldUnit::kDbm:
            return "dBm";
        default:
            return "";
    }
}

// A keyword setting shows its keyword; other values as compared.
std::string keywordOr(const m350::ConfigRecord& r, F f, const std::string& compared) {
    const auto& info = m350::fieldInfoOf(f);
    if (info.table)
        if (auto entry = info.table->entry(r.integer(f))) return std::string(*entry);
    return compared;
}

bool isText(F f) {
    const auto kind = m350::fieldInfoOf(f).kind;
    return kind == m350::FieldKind::kText || kind == m350::FieldKind::kChar;
}

std::string shown(const m350::ConfigRecord& r, F f, const std::optional<std::string>& v, bool inch,
                  std::string_view encoding) {
    if (!v) return "-";
    if (isText(f)) return "\"" + printableText(*v, encoding) + "\"";
    std::string text = keywordOr(r, f, *v);
    const std::string unit = unitOf(f, inch);
    // "123 dots" already says its unit (a length without a resolution).
    if (!unit.empty() && text.find(' ') == std::string::npos) text += " " + unit;
    return text;
}

Json jsonValue(const m350::ConfigRecord& r, F f, const std::optional<std::string>& v,
               std::string_view encoding) {
    if (!v) return Json(nullptr);
    if (isText(f)) return m350::decodeText(*v, encoding);
    const std::string text = keywordOr(r, f, *v);
    if (text != *v || text.find(' ') != std::string::npos) return text;
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end) return text;
    const auto kind = m350::fieldInfoOf(f).kind;
    if ((kind == m350::FieldKind::kInt || kind == m350::FieldKind::kByte) && std::isfinite(d))
        return static_cast<long long>(d);
    return d;
}

struct DiffOptions {
    std::string left, right;
    bool printer = false;
    int unit = 0;
    bool unitGiven = false;
    int page = -1;
};

int diffCommand(Session& s, const DiffOptions& o, bool json) {
    if (o.printer == !o.right.empty())
        return s.fail(kExitUsage, "config diff: give a second file or --printer, not both");
    m350::ConfigFileContents a;
    if (int r = loadConfigFileOrFail(s, o.left, a); r != kExitOk) return r;
    m350::ConfigRecord right;
    std::string rightName = o.right;
    if (o.printer) {
        rightName = "printer";
        right.reset();
        if (int r = s.run(ops::readConfig(right)); r != m350::kOk) return r;
    } else {
        m350::ConfigFileContents b;
        if (int r = loadConfigFileOrFail(s, o.right, b); r != kExitOk) return r;
        right = b.record;
    }
    const bool inch = o.unitGiven ? o.unit == 0 : a.unit != 1;
    std::vector<F> fields;
    if (o.page >= 0) {
        // What a write of the page would send from either side.
        fields = m350::fieldsWrittenBy(a.record, o.page);
        for (F f : m350::fieldsWrittenBy(right, o.page))
            if (std::find(fields.begin(), fields.end(), f) == fields.end()) fields.push_back(f);
        std::sort(fields.begin(), fields.end());
    } else {
        fields = m350::comparableFields();
    }
    const auto diffs = m350::diffConfig(a.record, right, fields, inch);
    if (json) {
        Json j;
        j["unit"] = inch ? "inch" : "mm";
        j["left"] = o.left;
        j["right"] = rightName;
        j["differences"] =
            differencesJson(diffs, a.record, right, inch, s.encoding, "left", "right");
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    } else {
        std::fputs(differencesText(diffs, a.record, right, inch, s.encoding).c_str(), s.out());
    }
    // 0 when the two are the same; not 1 as diff(1) does, which is the
    // link's "Port Open Error" here.
    return diffs.empty() ? kExitOk : kExitDiffers;
}

}  // namespace

std::string differencesText(const std::vector<m350::FieldDifference>& diffs,
                            const m350::ConfigRecord& left, const m350::ConfigRecord& right,
                            bool inch, std::string_view encoding) {
    std::vector<std::string> lefts;
    std::size_t width = 0;
    for (const auto& d : diffs) {
        lefts.push_back(shown(left, d.field, d.left, inch, encoding));
        width = std::max(width, lefts.back().size());
    }
    std::string out;
    for (std::size_t i = 0; i < diffs.size(); ++i) {
        std::string line(m350::fieldInfoOf(diffs[i].field).name);
        line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
        line += lefts[i];
        line.resize(line.size() + width - lefts[i].size(), ' ');
        line += "  " + shown(right, diffs[i].field, diffs[i].right, inch, encoding);
        out += line + "\n";
    }
    return out;
}

Json differencesJson(const std::vector<m350::FieldDifference>& diffs,
                     const m350::ConfigRecord& left, const m350::ConfigRecord& right, bool inch,
                     std::string_view encoding, const std::string& leftName,
                     const std::string& rightName) {
    Json list = Json::array();
    for (const auto& d : diffs) {
        Json item;
        item["field"] = std::string(m350::fieldInfoOf(d.field).name);
        item[leftName] = jsonValue(left, d.field, d.left, encoding);
        item[rightName] = jsonValue(right, d.field, d.right, encoding);
        item["unit"] = isText(d.field) ? std::string() : unitOf(d.field, inch);
        list.push_back(std::move(item));
    }
    return list;
}

int verifyWrittenPage(Session& s, const m350::ConfigRecord& written, int page, bool inch,
                      bool json) {
    m350::ConfigRecord back;
    back.reset();
    if (int r = s.run(ops::readConfig(back)); r != m350::kOk) return r;
    const auto diffs = m350::diffConfig(written, back, m350::fieldsWrittenBy(written, page), inch);
    if (json) {
        Json j;
        j["verified"] = diffs.empty();
        j["unit"] = inch ? "inch" : "mm";
        j["differences"] =
            differencesJson(diffs, written, back, inch, s.encoding, "written", "printer");
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    }
    if (diffs.empty()) return kExitOk;
    if (!json) {
        std::fputs(differencesText(diffs, written, back, inch, s.encoding).c_str(), s.out());
    }
    // With --json the verdict above is the whole of standard output; the
    // explanation goes to standard error only.
    std::fprintf(s.err(), "m350ctl: verify: the printer did not take %zu %s%s\n", diffs.size(),
                 diffs.size() == 1 ? "setting" : "settings",
                 json ? "" : " (each line: the field, what was written, what the printer reports)");
    return kExitDiffers;
}

void addConfigDiffCommand(CLI::App& config, Invocation& inv) {
    auto o = std::make_shared<DiffOptions>();
    auto* diff = config.add_subcommand(
        "diff", "the settings that differ between a .dcf file and another one or the printer");
    diff->add_option("A", o->left, "the first .dcf file")->required();
    diff->add_option("B", o->right, "the second .dcf file (or --printer)");
    diff->add_flag("--printer", o->printer, "compare with the printer's settings (read now)");
    auto* unit =
        diff->add_option("--unit", o->unit, "unit of the lengths (default A's)")
            ->transform(CLI::CheckedTransformer(kUnitNames, CLI::ignore_case).description(""))
            ->type_name("inch|mm");
    diff->add_option("--page", o->page, "only the settings a write of this page sends")
        ->transform(CLI::CheckedTransformer(kConfigPageNames, CLI::ignore_case).description(""))
        ->type_name("common|z|d|rs232|wireless|bluetooth|ftp");
    diff->add_flag("--json", inv.json, "print the differences as JSON");
    diff->callback([&inv, o, unit] {
        o->unitGiven = unit->count() > 0;
        inv.action = [&inv, o](Session& s) { return diffCommand(s, *o, inv.json); };
    });
}

}  // namespace m350::cli
