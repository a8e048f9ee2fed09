// SPDX-License-Identifier: MIT
// The configuration diff: which fields a page's write carries, and when two
// values count as the same setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/config/config_diff.h"
#include "core/config/config_write.h"

namespace m350 {
namespace {

using F = Field;

// Every field known, with values every page's write accepts: keyword
// indexes inside their tables, a resolution, the modules fitted.
ConfigRecord fullRecord() {
    ConfigRecord r;
    for (const FieldInfo& info : fieldTable()) {
        switch (info.kind) {
            case FieldKind::kInt:
                r.setInteger(info.field, 1);
                break;
            case FieldKind::kReal:
                r.setReal(info.field, 2.5f);
                break;
            case FieldKind::kText:
                r.setText(info.field, "ab");
                break;
            case FieldKind::kChar:
                r.setCharacter(info.field, '~');
                break;
            case FieldKind::kByte:
                r.setByte(info.field, 1);
                break;
            case FieldKind::kRaw:
                break;
        }
    }
    r.setReal(F::dpi, 203.0f);
    r.setReal(F::dotsPerMm, 8.0f);
    r.setInteger(F::sensorMode, 0);
    r.setInteger(F::printOut, 3);
    r.setInteger(F::wifiSecurity, 5);
    r.setReal(F::paperWidth, 406.0f);
    r.setText(F::wifiIp, "10.0.0.9");
    return r;
}

// Other values of the same kind for a field: an on/off switch needs 0, a
// cutter count 2, a length more than a dot of rounding.
std::vector<ConfigRecord> perturbed(const ConfigRecord& base, F f) {
    std::vector<ConfigRecord> out;
    auto with = [&](const std::function<void(ConfigRecord&)>& change) {
        out.push_back(base);
        change(out.back());
    };
    switch (fieldInfoOf(f).kind) {
        case FieldKind::kInt:
            for (int v : {0, 2, 5}) with([&](ConfigRecord& r) { r.setInteger(f, v); });
            break;
        case FieldKind::kReal:
            with([&](ConfigRecord& r) { r.setReal(f, r.real(f) + 50.0f); });
            break;
        case FieldKind::kText:
            with([&](ConfigRecord& r) { r.setText(f, r.text(f) + "x"); });
            break;
        case FieldKind::kChar:
            with([&](ConfigRecord& r) { r.setCharacter(f, '^'); });
            break;
        case FieldKind::kByte:
            with([&](ConfigRecord& r) { r.setByte(f, static_cast<std::uint8_t>(r.byte(f) ^ 1)); });
            break;
        case FieldKind::kRaw:
            break;
    }
    return out;
}

// The list is only as good as its agreement with the write: a field the
// list leaves out must never change what the page sends, and a field it
// names must change it. Otherwise a verify would miss a refused setting or
// report one the page never sent.
TEST(ConfigDiff, FieldsWrittenByAPageAreExactlyTheOnesItsLinesDependOn) {
    // What every page reads beyond its own settings: resolution, unit and
    // the module flags.
    const F context[] = {F::dpi,         F::dotsPerMm, F::inchUnits,
                         F::wifiPresent, F::btPresent, F::dpiKnown};
    for (int page = kPageCommon; page <= kPageFtpUpdate; ++page) {
        const ConfigRecord base = fullRecord();
        const auto listed = fieldsWrittenBy(base, page);
        EXPECT_FALSE(listed.empty()) << page;
        const auto lines = configPageLines(base, page);
        for (F f : comparableFields()) {
            if (std::find(std::begin(context), std::end(context), f) != std::end(context)) continue;
            const bool inList = std::find(listed.begin(), listed.end(), f) != listed.end();
            bool linesChanged = false;
            for (const ConfigRecord& changed : perturbed(base, f))
                linesChanged = linesChanged || configPageLines(changed, page) != lines;
            EXPECT_EQ(inList, linesChanged) << "page " << page << " field " << fieldInfoOf(f).name;
        }
    }
}

TEST(ConfigDiff, PagesFollowTheirOwnRules) {
    struct Case {
        const char* what;
        int page;
        std::function<void(ConfigRecord&)> setUp;
        F field;
        bool listed;
    };
    const Case cases[] = {
        {"cutter pieces in cutter mode", kPageCommon, [](ConfigRecord&) {}, F::cutterPiece, true},
        {"cutter pieces in tear mode", kPageCommon,
         [](ConfigRecord& r) { r.setInteger(F::printOut, 1); }, F::cutterPiece, false},
        {"gap intensity in gap mode", kPageCommon, [](ConfigRecord&) {}, F::gapInten, true},
        {"black mark intensity in gap mode", kPageCommon, [](ConfigRecord&) {}, F::blineInten,
         false},
        {"black mark intensity in black mark mode", kPageCommon,
         [](ConfigRecord& r) { r.setInteger(F::sensorMode, 1); }, F::blineInten, true},
        {"an unknown speed", kPageCommon, [](ConfigRecord& r) { r.setPresent(F::speed, false); },
         F::speed, false},
        {"baud rate with the other three", kPageRs232, [](ConfigRecord&) {}, F::baudRate, true},
        {"baud rate without the parity", kPageRs232,
         [](ConfigRecord& r) { r.setPresent(F::parity, false); }, F::baudRate, false},
        {"SSID with the module", kPageWireless, [](ConfigRecord&) {}, F::wifiSsid, true},
        {"WPA key with WPA-PSK", kPageWireless, [](ConfigRecord&) {}, F::wifiKey, true},
        {"EAP login with WPA-PSK", kPageWireless, [](ConfigRecord&) {}, F::wifiUsername, false},
        {"EAP login with WPA-EAP", kPageWireless,
         [](ConfigRecord& r) { r.setInteger(F::wifiSecurity, 6); }, F::wifiUsername, true},
        {"SSID without the module", kPageWireless,
         [](ConfigRecord& r) { r.setByte(F::wifiPresent, 0); }, F::wifiSsid, false},
        {"Bluetooth name without the module", kPageBluetooth,
         [](ConfigRecord& r) { r.setByte(F::btPresent, 0); }, F::btName, false},
        {"a page that does not exist", 7, [](ConfigRecord&) {}, F::speed, false},
    };
    for (const auto& c : cases) {
        ConfigRecord r = fullRecord();
        c.setUp(r);
        const auto fields = fieldsWrittenBy(r, c.page);
        EXPECT_EQ(std::find(fields.begin(), fields.end(), c.field) != fields.end(), c.listed)
            << c.what;
    }
}

// Values are compared as the write carries them, in the unit chosen.
TEST(ConfigDiff, ValuesCompareInTheFormTheWriteCarries) {
    struct Case {
        const char* what;
        F field;
        std::function<void(ConfigRecord&)> left, right;
        bool inch;
        bool differ;
    };
    auto real = [](F f, float v) { return [f, v](ConfigRecord& r) { r.setReal(f, v); }; };
    auto integer = [](F f, int v) { return [f, v](ConfigRecord& r) { r.setInteger(f, v); }; };
    auto unknown = [](F f) { return [f](ConfigRecord& r) { r.setPresent(f, false); }; };
    const Case cases[] = {
        // 405 and 406 dots at 203 dpi are both "2.00" inches, but 50.63 and 50.75 mm.
        {"a dot of rounding in inch", F::paperWidth, real(F::paperWidth, 406),
         real(F::paperWidth, 405), true, false},
        {"the same dot in mm", F::paperWidth, real(F::paperWidth, 406), real(F::paperWidth, 405),
         false, true},
        {"another width", F::paperWidth, real(F::paperWidth, 406), real(F::paperWidth, 300), true,
         true},
        {"speed beyond its one decimal", F::speed, real(F::speed, 4.0f), real(F::speed, 4.04f),
         true, false},
        {"another speed", F::speed, real(F::speed, 4.0f), real(F::speed, 3.5f), true, true},
        {"D width in hundredths of an inch", F::dLabelWidth, integer(F::dLabelWidth, 406),
         integer(F::dLabelWidth, 405), false, false},
        {"density", F::density, integer(F::density, 8), integer(F::density, 9), true, true},
        {"known against unknown", F::density, integer(F::density, 8), unknown(F::density), true,
         true},
        {"both unknown", F::density, unknown(F::density), unknown(F::density), true, false},
        {"texts", F::wifiSsid, [](ConfigRecord& r) { r.setText(F::wifiSsid, "a"); },
         [](ConfigRecord& r) { r.setText(F::wifiSsid, "A"); }, true, true},
    };
    for (const auto& c : cases) {
        ConfigRecord a = fullRecord(), b = fullRecord();
        c.left(a);
        c.right(b);
        const auto diffs = diffConfig(a, b, {c.field}, c.inch);
        EXPECT_EQ(!diffs.empty(), c.differ) << c.what;
        if (!diffs.empty()) {
            EXPECT_EQ(diffs[0].field, c.field);
            EXPECT_EQ(diffs[0].left, comparedValue(a, c.field, c.inch)) << c.what;
            EXPECT_EQ(diffs[0].right, comparedValue(b, c.field, c.inch)) << c.what;
        }
    }
    EXPECT_EQ(comparedValue(fullRecord(), F::paperWidth, false), "50.75");
}

TEST(ConfigDiff, TheUnitChoiceIsNoSetting) {
    ConfigRecord a = fullRecord(), b = fullRecord();
    b.setByte(F::inchUnits, 0);
    EXPECT_TRUE(diffConfig(a, b, comparableFields(), true).empty());
}

}  // namespace
}  // namespace m350
