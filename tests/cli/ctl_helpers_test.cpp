// SPDX-License-Identifier: MIT
// The tool's own parsing and printing helpers, in-process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/config_text.h"
#include "cli/password_prompt.h"
#include "cli/port_options.h"
#include "cli/terminal_progress.h"

namespace m350::cli {
namespace {

TEST(CtlAddress, HostPortForms) {
    auto plain = parseNetAddress("printer-7.local");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->address, "printer-7.local");
    EXPECT_EQ(plain->port, 9100);
    auto withPort = parseNetAddress("127.0.0.1:9101");
    ASSERT_TRUE(withPort);
    EXPECT_EQ(withPort->address, "127.0.0.1");
    EXPECT_EQ(withPort->port, 9101);
    auto v6 = parseNetAddress("[::1]:6101");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->address, "::1");
    EXPECT_EQ(v6->port, 6101);
    const std::vector<std::string> bad = {
        "",     ":9100",  "host:", "host:0",  "host:65536",        "host:12a",
        "[::1", "[::1]x", "a b",   "host;rm", std::string(64, 'a')};
    for (const std::string& text : bad) EXPECT_FALSE(parseNetAddress(text)) << text;
}

TEST(CtlAddress, PortNames) {
    EXPECT_EQ(normalizePortName("com3", "COM", 30), "COM3");
    EXPECT_EQ(normalizePortName("COM30", "COM", 30), "COM30");
    EXPECT_EQ(normalizePortName("LPT4", "LPT", 4), "LPT4");
    for (const char* bad : {"COM0", "COM31", "COM", "COM-1", "COM+1", "COM 1", "COM001", "LPT1"})
        EXPECT_FALSE(normalizePortName(bad, "COM", 30)) << bad;
}

TEST(CtlPasswordFile, OneLineEndingIsDropped) {
    EXPECT_EQ(passwordFromFileContent("abc\n"), "abc");
    EXPECT_EQ(passwordFromFileContent("abc\r\n"), "abc");
    EXPECT_EQ(passwordFromFileContent("abc"), "abc");
    EXPECT_EQ(passwordFromFileContent("abc\n\n"), "abc\n");
    EXPECT_EQ(passwordFromFileContent(" a b "), " a b ");
}

TEST(CtlProgress, BarFollowsThePosition) {
    EXPECT_EQ(progressLine("Communicating...", 0, 10), "Communicating... [----------]   0%");
    EXPECT_EQ(progressLine("C", 55, 10), "C [#####-----]  55%");
    EXPECT_EQ(progressLine("C", 250, 4), "C [####] 100%");
}

TEST(CtlRecordText, UnknownSettingsAndUnprintableText) {
    m350::ConfigRecord r;
    r.reset();
    r.setText(m350::Field::version, "V1\x1b[2J\xff");
    r.setReal(m350::Field::paperWidth, 406.0f);  // 2 inch at 203 dpi
    r.setReal(m350::Field::dpi, 203.0f);
    r.setReal(m350::Field::dotsPerMm, 8.0f);
    const std::string text = recordText(r, true, "UTF-8");
    EXPECT_NE(text.find("V1\\x1b[2J\\xff"), std::string::npos);
    EXPECT_NE(text.find("paperWidth              2.00 in\n"), std::string::npos) << text;
    EXPECT_NE(text.find("paperHeight             -\n"), std::string::npos);
    EXPECT_NE(text.find("speed                   -\n"), std::string::npos);
    r.setReal(m350::Field::speed, 4.5f);
    EXPECT_NE(recordText(r, true, "UTF-8").find("speed                   4.5 in/s\n"),
              std::string::npos);

    auto j = recordJson(r, false, "UTF-8");
    EXPECT_DOUBLE_EQ(j["paperWidth"].get<double>(), 50.75);
    EXPECT_TRUE(j["paperHeight"].is_null());
    EXPECT_FALSE(j.contains("reserved"));
    // Text that is not UTF-8 still gives valid JSON.
    const auto parsed = nlohmann::json::parse(dumpJson(j));
    EXPECT_EQ(parsed["version"], "V1\x1b[2J\xef\xbf\xbd");

    // DEL and the C1 controls (CSI is U+009B) leave the JSON as escapes, so
    // printing it drives no terminal; the strings read back the same.
    struct Case {
        const char* text;
        const char* escaped;
    };
    for (const Case c : {Case{"a\xc2\x9b"
                              "2J",
                              "a\\u009b2J"},
                         Case{"\x7f", "\\u007f"}, Case{"\xc2\x80\xc2\x9f", "\\u0080\\u009f"},
                         Case{"\xc2\xa0\xc3\x9b", "\xc2\xa0\xc3\x9b"}}) {
        r.setText(m350::Field::version, c.text);
        const std::string out = dumpJson(recordJson(r, false, "UTF-8"));
        EXPECT_NE(out.find(std::string("\"version\": \"") + c.escaped + "\""), std::string::npos)
            << out;
        EXPECT_EQ(nlohmann::json::parse(out)["version"], c.text);
    }
}

// Printer texts in the encoding chosen, with what could drive a terminal or
// the encoding does not define escaped.
TEST(CtlRecordText, PrinterTextsInTheirEncoding) {
    const struct {
        const char* bytes;
        const char* encoding;
        const char* text;  // as printed
        const char* json;
    } cases[] = {
        {"Caf\xe9", "CP1252", "Café", "Café"},
        {"Caf\xc3\xa9", "UTF-8", "Café", "Café"},
        {"Caf\xc3\xa9", "CP1252", "CafÃ©", "CafÃ©"},
        {"\xef\xe0\xf0\xee\xeb\xfc", "CP1251", "пароль", "пароль"},
        {"\x83\x76\x83\x8a\x83\x93\x83\x5e", "CP932", "プリンタ", "プリンタ"},
        {"a\\b\x81", "CP1252", "a\\x5cb\\x81", "a\\b\xef\xbf\xbd"},
        {"\x1b[2J", "UTF-8", "\\x1b[2J", "\x1b[2J"},
        {"\xc2\x9b"
         "31m",
         "UTF-8", "\\x9b31m",
         "\xc2\x9b"
         "31m"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(printableText(c.bytes, c.encoding), c.text) << c.bytes;
        m350::ConfigRecord r;
        r.reset();
        r.setText(m350::Field::wifiSsid, c.bytes);
        EXPECT_EQ(recordJson(r, true, c.encoding)["wifiSsid"], c.json) << c.bytes;
        EXPECT_NE(recordText(r, true, c.encoding)
                      .find(std::string("wifiSsid                ") + c.text + "\n"),
                  std::string::npos)
            << c.bytes;
    }
}

}  // namespace
}  // namespace m350::cli
