// SPDX-License-Identifier: MIT
// The binding rules without a window: number texts, unit conversion, the
// rules that look at more than one field, and show/build round trips of a
// record read from the simulated printer.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "core/config/config_read.h"
#include "core/link/link_operations.h"
#include "gui/pages/config_binding.h"
#include "support/sim_process.h"

using namespace m350::gui;

using m350::ConfigRecord;
using m350::Field;
using m350::fieldInfoOf;
using m350::FieldKind;
using m350::kEthernet;
using m350::kOk;
using m350::kOpReadConfig;
using m350::LinkContext;
using m350::PortSettings;
using F = m350::Field;

namespace {

// A form made of named values. Every control starts shown and enabled.
class FakeView final : public ConfigFormView {
  public:
    std::map<std::string, std::string, std::less<>> texts;
    // Boxes holding a typed character the encoding cannot hold.
    std::map<std::string, std::string, std::less<>> unheld;
    std::map<std::string, int, std::less<>> items;
    std::set<std::string, std::less<>> hidden, disabled;
    bool noModule = false;
    int encryptionCalls = 0, eapCalls = 0;

    std::string text(std::string_view c) const override {
        auto it = texts.find(c);
        return it == texts.end() ? std::string() : it->second;
    }
    void setText(std::string_view c, std::string_view t) override {
        texts[std::string(c)] = std::string(t);
    }
    std::optional<std::string> unheldCharacter(std::string_view c) const override {
        auto it = unheld.find(c);
        return it == unheld.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    int item(std::string_view c) const override {
        auto it = items.find(c);
        return it == items.end() ? -1 : it->second;
    }
    void setItem(std::string_view c, int i) override { items[std::string(c)] = i; }
    bool visible(std::string_view c) const override { return !hidden.contains(c); }
    void setVisible(std::string_view c, bool v) override {
        if (v) {
            hidden.erase(std::string(c));
        } else {
            hidden.insert(std::string(c));
        }
    }
    void setEnabled(std::string_view c, bool e) override {
        if (e) {
            disabled.erase(std::string(c));
        } else {
            disabled.insert(std::string(c));
        }
    }
    bool enabled(std::string_view c) const { return !disabled.contains(c); }
    void setMacNoModule(bool b) override { noModule = b; }
    void encryptionChanged() override { ++encryptionCalls; }
    void eapTypeChanged() override { ++eapCalls; }
};

ConfigRecord Resolution(float dpi, float dotsPerMm) {
    ConfigRecord r;
    r.setReal(F::dpi, dpi);
    r.setReal(F::dotsPerMm, dotsPerMm);
    r.setByte(F::dpiKnown, 1);
    return r;
}

}  // namespace

TEST(ConfigNumbers, ShownAndTypedTexts) {
    // Single-precision values show every digit they hold.
    EXPECT_EQ(formatGeneral(3.3f), "3.29999995231628");
    EXPECT_EQ(formatGeneral(3.0f), "3");
    EXPECT_EQ(formatGeneral(2.5f), "2.5");
    EXPECT_EQ(formatUnits(812 / 8.0), "101.50");
    EXPECT_EQ(formatUnits(1.0 / 3.0), "0.33");
    EXPECT_EQ(formatUnits(-0.001), "0.00");
    // Half-way values round away from zero: 609 dots at 8.0 dots per mm.
    EXPECT_EQ(formatUnits(609 / 8.0), "76.13");
    EXPECT_EQ(formatUnits(-609 / 8.0), "-76.13");
    EXPECT_EQ(formatUnits(0.125), "0.13");
    EXPECT_EQ(formatUnits(2.675), "2.67");  // held just below the half
    EXPECT_EQ(formatUnits(2000 / 203.0), "9.85");

    EXPECT_EQ(parseIntegerEntry(" 12 "), 12);
    EXPECT_EQ(parseIntegerEntry("-120"), -120);
    EXPECT_EQ(parseIntegerEntry("+7"), 7);
    for (const char* bad : {"", " ", "abc", "1x", "1.5", "++1", "99999999999", "0x10"})
        EXPECT_EQ(parseIntegerEntry(bad), std::nullopt) << bad;

    EXPECT_EQ(parseRealEntry("2.5"), 2.5);
    EXPECT_EQ(parseRealEntry(" -1e2 "), -100.0);
    EXPECT_EQ(parseRealEntry(".5"), 0.5);
    for (const char* bad : {"", "abc", "1,5", "inf", "nan", "1e999", "2.5mm", "0x1p3"})
        EXPECT_EQ(parseRealEntry(bad), std::nullopt) << bad;
}

TEST(ConfigBindingRules, LengthsFollowTheUnitAndTheRecordsResolution) {
    ConfigRecord r = Resolution(203.0f, 8.0f);
    r.setReal(F::paperWidth, 812.0f);
    r.setInteger(F::zLabelWidth, 406);
    FakeView mm, inch;
    showRecord(r, false, mm);
    showRecord(r, true, inch);
    EXPECT_EQ(mm.text("EditWidth"), "101.50");
    EXPECT_EQ(inch.text("EditWidth"), "4.00");
    EXPECT_EQ(inch.text("EditPrintWidthZ"), "2.00");
    EXPECT_EQ(mm.text("EditHeight"), "");  // absent

    // Typed back with the defaults' resolution: real fields keep the product,
    // integer fields are cut toward zero.
    ConfigRecord d;
    FakeView typed;
    typed.texts = {{"EditWidth", "50.8"}, {"EditPrintWidthZ", "1.7"}, {"EditColumnOffsetD", "2"}};
    ASSERT_EQ(buildRecord(typed, false, d), std::nullopt);
    EXPECT_FLOAT_EQ(d.real(F::paperWidth), 50.8f * 11.8f);
    EXPECT_EQ(d.integer(F::zLabelWidth), 20);    // 20.06 cut to 20
    EXPECT_EQ(d.integer(F::dColumnOffset), 23);  // 23.6
    EXPECT_EQ(d.byte(F::inchUnits), 0);
    ASSERT_EQ(buildRecord(typed, true, d), std::nullopt);
    EXPECT_FLOAT_EQ(d.real(F::paperWidth), 50.8f * 200.0f);
    EXPECT_EQ(d.byte(F::inchUnits), 1);

    // A record without a usable resolution shows nothing rather than a
    // division by zero.
    ConfigRecord broken = Resolution(0.0f, 0.0f);
    broken.setReal(F::paperWidth, 812.0f);
    FakeView b;
    showRecord(broken, true, b);
    EXPECT_EQ(b.text("EditWidth"), "");
}

TEST(ConfigBindingRules, ListsCharactersCutterPieceAndBases) {
    ConfigRecord r;
    r.setInteger(F::density, 0);
    r.setInteger(F::printOut, 3);
    r.setInteger(F::cutterPiece, 5);
    r.setInteger(F::zPrintMode, 2);
    r.setInteger(F::codePage, 36);  // a reply that matched no entry
    r.setInteger(F::offsetBase, 4);
    r.setInteger(F::shiftXBase, 0);
    FakeView v;
    showRecord(r, true, v);
    EXPECT_EQ(v.item("ComboBoxDensity"), 1);     // value + 1
    EXPECT_EQ(v.item("ComboBoxPrintOut"), 4);    // CUTTER
    EXPECT_EQ(v.item("ComboBoxPrintModeZ"), 2);  // item = value
    EXPECT_EQ(v.item("ComboBoxMirror"), -1);     // absent: no selection
    EXPECT_EQ(v.text("EditCutterPiece"), "5");
    EXPECT_EQ(v.text("EditOffsetBase"), "4");
    EXPECT_TRUE(v.visible("EditOffsetBase"));
    EXPECT_FALSE(v.visible("EditShiftXBase"));  // present but 0
    EXPECT_FALSE(v.visible("EditDensityBase"));
    EXPECT_EQ(v.text("EditControlPrefixZ"), "~");

    // The cutter piece only goes with the cutter.
    r.setInteger(F::printOut, 2);
    showRecord(r, true, v);
    EXPECT_EQ(v.text("EditCutterPiece"), "");

    // Building: item 0 (the empty item) and no selection both mean absent;
    // shown-only bases are never taken from the form.
    v.items["ComboBoxDensity"] = 0;
    v.items["ComboBoxMirror"] = 2;
    v.texts["EditOffsetBase"] = "99";
    v.texts["EditControlPrefixZ"] = "#";
    ConfigRecord b = r;
    ASSERT_EQ(buildRecord(v, true, b), std::nullopt);
    EXPECT_FALSE(b.present(F::density));
    EXPECT_EQ(b.integer(F::mirror), 1);
    EXPECT_EQ(b.integer(F::offsetBase), 4);
    EXPECT_EQ(b.character(F::zControl), '#');
}

// A length box left as it was shown goes back as the dots it was shown
// from, not as its two-decimal text times the resolution; a changed box is
// read as typed.
TEST(ConfigBindingRules, UntouchedLengthsGoBackAsTheDotsTheyWereShownFrom) {
    const struct {
        float dpi, dotsPerMm;
        bool inch;
        Field field;
        float dots;
        const char* shown;
        double fromText;  // what the text alone gives back
    } cases[] = {
        {203, 8.0f, true, F::maxLength, 2000, "9.85", 1999.55},
        {203, 8.0f, false, F::paperHeight, 609, "76.13", 609.04},
        {300, 11.8f, false, F::zLabelWidth, 812, "68.81", 811},
        {300, 11.8f, true, F::dColumnOffset, 271, "0.90", 270},
        {300, 11.8f, true, F::zLabelWidth, 812, "2.71", 813},
    };
    for (const auto& c : cases) {
        const ConfigBinding* b = nullptr;
        for (const auto& each : configBindings())
            if (each.field == c.field) b = &each;
        ASSERT_NE(b, nullptr);
        ConfigRecord r = Resolution(c.dpi, c.dotsPerMm);
        if (fieldInfoOf(c.field).kind == FieldKind::kReal) {
            r.setReal(c.field, c.dots);
        } else {
            r.setInteger(c.field, static_cast<std::int32_t>(c.dots));
        }
        FakeView v;
        ShownLengths lengths;
        showRecord(r, c.inch, v, &lengths);
        EXPECT_EQ(v.text(b->control), c.shown) << b->control;

        ConfigRecord exact = r, rounded = r;
        ASSERT_EQ(buildRecord(v, c.inch, exact, &lengths), std::nullopt);
        EXPECT_EQ(exact.number(c.field), c.dots) << b->control;
        ASSERT_EQ(buildRecord(v, c.inch, rounded), std::nullopt);
        EXPECT_NEAR(rounded.number(c.field), c.fromText, 0.01) << b->control;

        // Retyped, even the same number in other words, it is the typed value.
        v.texts[std::string(b->control)] = std::string(c.shown) + "0";
        ASSERT_EQ(buildRecord(v, c.inch, exact, &lengths), std::nullopt);
        EXPECT_NEAR(exact.number(c.field), c.fromText, 0.01) << b->control;
    }

    // Shown from a file of another resolution: the same length in the
    // record's dots, as if its exact value had been typed.
    ConfigRecord file = Resolution(300, 11.8f);
    file.setInteger(F::zLabelWidth, 1200);  // 4 inch
    file.setReal(F::paperWidth, 1000);      // 3.333... inch
    FakeView v;
    ShownLengths lengths;
    showRecord(file, true, v, &lengths);
    ConfigRecord printer = Resolution(203, 8.0f);
    ASSERT_EQ(buildRecord(v, true, printer, &lengths), std::nullopt);
    EXPECT_EQ(printer.integer(F::zLabelWidth), 812);
    EXPECT_FLOAT_EQ(printer.real(F::paperWidth), 1000.0f / 300.0f * 203.0f);
}

// The unit switch shows the same lengths in the other unit: built in the old
// unit as Set would, shown in the new one; a box without a number stays.
TEST(ConfigBindingRules, UnitSwitchConvertsTheLengths) {
    ConfigRecord r = Resolution(203, 8.0f);
    r.setReal(F::paperWidth, 812);
    r.setReal(F::paperHeight, 609);
    FakeView v;
    ShownLengths lengths;
    showRecord(r, true, v, &lengths);
    v.texts["EditGapSize"] = "0.5";        // typed: 101.5 dots
    v.texts["EditPrintWidthZ"] = "1.999";  // typed: 405.797 -> 405 whole dots
    v.texts["EditGapOffset"] = "abc";

    convertLengths(v, r, true, false, lengths);
    const std::pair<const char*, const char*> mm[] = {
        {"EditWidth", "101.50"},      {"EditHeight", "76.13"},  {"EditGapSize", "12.69"},
        {"EditPrintWidthZ", "50.63"}, {"EditGapOffset", "abc"}, {"EditMaximumLength", ""}};
    for (const auto& [box, text] : mm) EXPECT_EQ(v.text(box), text) << box;
    convertLengths(v, r, false, true, lengths);
    EXPECT_EQ(v.text("EditWidth"), "4.00");
    EXPECT_EQ(v.text("EditHeight"), "3.00");
    EXPECT_EQ(v.text("EditGapSize"), "0.50");

    // Back and forth, the built values are those of the first showing.
    v.texts["EditGapOffset"] = "0";
    ConfigRecord built = r;
    ASSERT_EQ(buildRecord(v, true, built, &lengths), std::nullopt);
    EXPECT_EQ(built.real(F::paperWidth), 812.0f);
    EXPECT_EQ(built.real(F::paperHeight), 609.0f);
    EXPECT_FLOAT_EQ(built.real(F::gapSize), 101.5f);
    EXPECT_EQ(built.integer(F::zLabelWidth), 405);
}

// Typed texts the printer cannot take are refused, never replaced or cut.
TEST(ConfigBindingRules, TextsTheEncodingOrTheSettingCannotHoldAreRefused) {
    using Reason = BuildError::Reason;
    const struct {
        const char* box;
        std::string text;
        const char* unheld;  // null: the encoding holds it
        Reason reason;
        const char* detail;
    } cases[] = {
        {"EditWiFiKey",
         "\xd0\xbf"
         "12345678",
         "\xd0\xbf", Reason::kUnheldCharacter, "\xd0\xbf"},
        {"EditWiFiSSID", std::string(64, 's'), nullptr, Reason::kTooLong, "63"},
        {"Edit1Printname", std::string(64, 'n'), nullptr, Reason::kTooLong, "63"},
        {"EditBTPinCode", std::string(32, '1'), nullptr, Reason::kTooLong, "31"},
        {"edtFtpUser", std::string(32, 'u'), nullptr, Reason::kTooLong, "31"},
        {"EditControlPrefixZ", "\xc3\xa9", nullptr, Reason::kTooLong, "1"},
        {"EditFormatPrefixZ", "\xe2\x82\xac", "\xe2\x82\xac", Reason::kUnheldCharacter,
         "\xe2\x82\xac"},
    };
    for (const auto& c : cases) {
        FakeView v;
        v.texts[c.box] = c.text;
        if (c.unheld) v.unheld[c.box] = c.unheld;
        ConfigRecord r;
        r.setByte(F::btPresent, 1);
        const ConfigRecord before = r;
        auto error = buildRecord(v, true, r);
        ASSERT_TRUE(error.has_value()) << c.box;
        EXPECT_EQ(error->control, c.box);
        EXPECT_EQ(error->reason, c.reason) << c.box;
        EXPECT_EQ(error->detail, c.detail) << c.box;
        EXPECT_EQ(r, before) << c.box;
    }
    // What fits goes in whole: 31 bytes of PIN, a one-character prefix.
    FakeView v;
    v.texts = {{"EditBTPinCode", std::string(31, '1')}, {"EditControlPrefixZ", "#"}};
    ConfigRecord r;
    ASSERT_EQ(buildRecord(v, true, r), std::nullopt);
    EXPECT_EQ(r.text(F::btPinCode), std::string(31, '1'));
    EXPECT_EQ(r.character(F::zControl), '#');
}

// The EAP inner method the printer told stays while its type is shown; a
// type the operator chose starts at method 1.
TEST(ConfigBindingRules, EapInnerMethodStaysWithItsType) {
    for (const auto& [item, expected] : {std::pair{2, 0x22}, std::pair{3, 0x31}}) {
        FakeView v;
        v.items["cbxWiFiEapType"] = item;
        ConfigRecord r;
        r.setInteger(F::wifiEap, 0x22);  // EAP-TTLS, inner method 2
        ASSERT_EQ(buildRecord(v, true, r), std::nullopt);
        EXPECT_EQ(r.integer(F::wifiEap), expected) << item;
    }
}

TEST(ConfigBindingRules, SpeedCommaAndNonNumericEntries) {
    FakeView v;
    v.texts["EditSpeed"] = "3,5";
    ConfigRecord r;
    ASSERT_EQ(buildRecord(v, true, r), std::nullopt);
    EXPECT_FLOAT_EQ(r.real(F::speed), 3.5f);

    // The first box without a number stops the build and names itself; the
    // record is left exactly as it was.
    const ConfigRecord before = r;
    v.texts["EditHeatD"] = "12a";
    v.texts["EditGapInten"] = "x";
    auto error = buildRecord(v, false, r);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->control, "EditGapInten");
    EXPECT_EQ(error->text, "x");
    EXPECT_EQ(r, before);

    v.texts.erase("EditGapInten");
    error = buildRecord(v, false, r);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->control, "EditHeatD");

    // Wireless numbers are checked too.
    v.texts.erase("EditHeatD");
    v.texts["edtWifiRawPort"] = "91OO";
    error = buildRecord(v, false, r);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->control, "edtWifiRawPort");
    EXPECT_EQ(r, before);
}

TEST(ConfigBindingRules, WirelessShowRules) {
    ConfigRecord r;
    r.setByte(F::wifiPresent, 1);
    r.setText(F::wifiSsid, "Lab");
    r.setInteger(F::wifiSecurity, 6);
    r.setInteger(F::wifiEap, 0x21);  // EAP-TTLS, inner method 1
    r.setText(F::wifiUsername, "ann");
    r.setText(F::wifiPassword, "pw");
    r.setText(F::wifiCaCert, "CA.PEM");
    r.setText(F::wifiClientCert, "CL.PEM");
    r.setText(F::wifiMac, "00:00:00:00:00:00");
    r.setText(F::wifiIp, "0.0.0.0");
    r.setText(F::wifiCurrentIp, "10.0.0.9");
    r.setInteger(F::wifiRoamTrigger, -70);
    FakeView v;
    v.texts["Edit1Printname"] = "kept";
    v.texts["edtWiFiClientCerPath"] = "User Certificate";
    showRecord(r, true, v);

    EXPECT_EQ(v.text("EditWiFiSSID"), "Lab");
    EXPECT_EQ(v.item("ComboBoxWiFiEncryption"), 6);
    EXPECT_EQ(v.item("cbxWiFiEapType"), 2);
    EXPECT_EQ(v.eapCalls, 1);
    EXPECT_EQ(v.encryptionCalls, 1);
    EXPECT_EQ(v.text("edtWiFiUsername"), "ann");
    EXPECT_EQ(v.text("edtWiFiSrvCerPath"), "CA.PEM");
    EXPECT_EQ(v.text("edtWiFiClientCerPath"), "User Certificate");  // not EAP-TLS
    EXPECT_TRUE(v.noModule);
    EXPECT_EQ(v.text("Edit1Printname"), "kept");  // name absent: unchanged
    // DHCP: "ON", the addresses in use, the static boxes left disabled.
    EXPECT_EQ(v.item("ComboBoxWiFiDHCP"), 2);
    EXPECT_EQ(v.text("EditWiFiIP"), "10.0.0.9");
    EXPECT_FALSE(v.enabled("EditWiFiIP"));
    EXPECT_TRUE(v.enabled("EditWiFiSSID"));
    EXPECT_EQ(v.text("edtRoamRssi"), "-70");
    EXPECT_EQ(v.text("edtScanRssi"), "");

    // A static address opens the address boxes; a real MAC is back to normal.
    r.setText(F::wifiIp, "192.168.5.7");
    r.setText(F::wifiGateway, "192.168.5.1");
    r.setText(F::wifiMac, "02:00:00:00:00:01");
    v.hidden.insert("edtWiFiDnsSrvIp");
    showRecord(r, true, v);
    EXPECT_EQ(v.item("ComboBoxWiFiDHCP"), 1);
    EXPECT_EQ(v.text("EditWiFiIP"), "192.168.5.7");
    EXPECT_EQ(v.text("EditWiFiMask"), "");
    EXPECT_TRUE(v.enabled("EditWiFiGateway"));
    EXPECT_TRUE(v.visible("edtWiFiDnsSrvIp"));
    EXPECT_FALSE(v.noModule);

    // Without the module everything stays disabled and untouched.
    ConfigRecord none;
    FakeView n;
    n.texts["EditWiFiSSID"] = "old";
    n.texts["EditBTName"] = "old-bt";
    showRecord(none, true, n);
    EXPECT_FALSE(n.enabled("EditWiFiSSID"));
    EXPECT_EQ(n.text("EditWiFiSSID"), "old");
    EXPECT_FALSE(n.enabled("EditBTName"));
    EXPECT_EQ(n.text("EditBTName"), "old-bt");
    EXPECT_FALSE(n.enabled("edtExBTName"));
}

TEST(ConfigBindingRules, WirelessBluetoothAndFtpBuildRules) {
    FakeView v;
    v.texts = {{"EditWiFiSSID", "Lab"},           {"EditWiFiKey", "secret123"},
               {"EditWiFiIP", "10.1.1.2"},        {"EditBTName", "bt"},
               {"edtWiFiUsername", "ann"},        {"edtWiFiPasswd", "pw"},
               {"edtWiFiSrvCerPath", "/c/ca.pem"}};
    v.items = {{"ComboBoxWiFiEncryption", 0}, {"ComboBoxWiFiDHCP", 2}, {"cbxWiFiEapType", 3}};
    v.hidden.insert("EditBTName");
    ConfigRecord r;
    r.setText(F::extWifiSsid, "ext");
    ASSERT_EQ(buildRecord(v, true, r), std::nullopt);
    EXPECT_EQ(r.text(F::wifiSsid), "Lab");
    EXPECT_TRUE(r.present(F::wifiSecurity));  // the empty item is a choice: none
    EXPECT_EQ(r.integer(F::wifiSecurity), 0);
    EXPECT_EQ(r.text(F::wifiIp), "0.0.0.0");  // DHCP "ON" wins over the box
    EXPECT_FALSE(r.present(F::btName));       // hidden box
    EXPECT_FALSE(r.present(F::wifiPrintName));
    EXPECT_EQ(r.integer(F::wifiEap), 3 * 16 + 1);
    EXPECT_EQ(r.text(F::wifiUsername), "ann");
    EXPECT_EQ(r.text(F::extWifiSsid), "ext");  // never built from the form
    const CertificateChoice certs = certificatesFromForm(v);
    EXPECT_TRUE(certs.taken);
    EXPECT_EQ(certs.caCert, "/c/ca.pem");

    // FTP: every setting present, even empty; no selection sends -1.
    EXPECT_TRUE(r.present(F::ftpServer));
    EXPECT_EQ(r.text(F::ftpServer), "");
    EXPECT_EQ(r.integer(F::ftpClientEnabled), -1);

    v.items["cbxWiFiEapType"] = 0;
    ASSERT_EQ(buildRecord(v, true, r), std::nullopt);
    EXPECT_FALSE(r.present(F::wifiEap));
    EXPECT_FALSE(certificatesFromForm(v).taken);

    // Typed text longer than its field is refused, naming the box, and the
    // record stays as it was; 63 bytes still fit.
    const ConfigRecord before = r;
    v.texts["EditWiFiSSID"] = std::string(64, 's');
    auto error = buildRecord(v, true, r);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->control, "EditWiFiSSID");
    EXPECT_EQ(error->reason, BuildError::Reason::kTooLong);
    EXPECT_EQ(error->detail, "63");
    EXPECT_EQ(r, before);
    v.texts["EditWiFiSSID"] = std::string(63, 's');
    ASSERT_EQ(buildRecord(v, true, r), std::nullopt);
    EXPECT_EQ(r.text(F::wifiSsid), std::string(63, 's'));
}

// Every bound field of a record read from the simulated printer survives
// being shown and built back, in both units: exactly for everything but
// lengths, and lengths within the two decimals shown (integer lengths within
// that plus the truncation).
TEST(ConfigBindingRoundTrip, RecordFromTheSimulatorInBothUnits) {
    m350test::SimProcess sim({"--profile", "full"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    LinkContext ctx;
    ctx.settings = &settings;
    ctx.sleep = [](int) {};
    ConfigRecord read;
    read.reset();
    ASSERT_EQ(m350::runOperation(ctx, kOpReadConfig, kEthernet,
                                 [&](m350::Link& l) { return m350::readConfig(l, read); }),
              kOk);
    ASSERT_FLOAT_EQ(read.real(F::dotsPerMm), 8.0f);

    int lengths = 0, others = 0;
    for (bool inch : {true, false}) {
        FakeView v;
        showRecord(read, inch, v);
        ConfigRecord built = read;
        ASSERT_EQ(buildRecord(v, inch, built), std::nullopt);
        const double res = inch ? read.real(F::dpi) : read.real(F::dotsPerMm);
        for (const ConfigBinding& b : configBindings()) {
            if (b.rule == BindRule::kInfoText || b.rule == BindRule::kInfoCount) continue;
            // Not shown without the cutter, so built absent.
            if (b.rule == BindRule::kCutterPiece && read.integer(F::printOut) != 3) continue;
            EXPECT_EQ(built.present(b.field), read.present(b.field)) << b.control;
            if (!read.present(b.field)) continue;
            if (b.rule == BindRule::kLengthReal || b.rule == BindRule::kLengthInt) {
                const double slack = 0.005 * res + (b.rule == BindRule::kLengthInt ? 1.0 : 0.0);
                EXPECT_NEAR(built.number(b.field), read.number(b.field), slack) << b.control;
                ++lengths;
            } else {
                EXPECT_EQ(built.number(b.field), read.number(b.field)) << b.control;
                ++others;
            }
        }
        // Wireless and Bluetooth texts the form shows and builds.
        for (Field f : {F::wifiSsid, F::btName, F::btPinCode, F::wifiRoamTrigger, F::wifiRawPort})
            if (read.present(f)) {
                EXPECT_EQ(built.number(f), read.number(f));
            }
        EXPECT_EQ(built.text(F::wifiSsid), read.text(F::wifiSsid));
        EXPECT_EQ(built.text(F::btName), read.text(F::btName));
        EXPECT_EQ(built.integer(F::wifiSecurity), read.integer(F::wifiSecurity));
    }
    // The simulator's record exercised every kind, not just absences.
    EXPECT_GT(lengths, 10);
    EXPECT_GT(others, 60);
}
