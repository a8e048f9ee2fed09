// SPDX-License-Identifier: MIT
// Command lines change the simulated printer's settings; a later report shows them.
#include "commands.h"

#include <gtest/gtest.h>

#include "printer.h"
#include "session.h"

namespace m350::sim {
namespace {

TEST(CommandArguments, SplitHonoursQuotes) {
    EXPECT_EQ(splitArgs("\"a\", 1 ,\"b,c\""), (std::vector<std::string>{"a", "1", "b,c"}));
    EXPECT_EQ(splitArgs(" \"\" "), (std::vector<std::string>{""}));
    EXPECT_EQ(splitArgs("   "), (std::vector<std::string>{}));
    EXPECT_EQ(splitArgs("96,N,8,1"), (std::vector<std::string>{"96", "N", "8", "1"}));
}

TEST(CommandArguments, LengthsInInchesMillimetresAndDots) {
    EXPECT_EQ(lengthToDots("4.00", 203), 812);
    EXPECT_EQ(lengthToDots("101.50 mm", 203), 812);
    EXPECT_EQ(lengthToDots("12 dot", 300), 12);
    EXPECT_EQ(lengthToDots("x", 203), std::nullopt);
    EXPECT_EQ(lengthToDots("3 furlongs", 203), std::nullopt);
    EXPECT_DOUBLE_EQ(dotsPerMm(203), 8.0);
    EXPECT_DOUBLE_EQ(dotsPerMm(300), 11.8);
}

}  // namespace
}  // namespace m350::sim

namespace m350::sim {
namespace {

// Sends command lines as the utility formats them, then reads reports back the way
// the configuration read asks for them.
class RoundTrip : public ::testing::Test {
  protected:
    explicit RoundTrip(Profile profile = {}) : printer_(profile), session_(printer_, faults_) {}

    void send(const std::string& bytes) { session_.feed(bytes); }
    std::string report(const std::string& key) {
        std::string out;
        for (const auto& a : session_.feed("DIAGNOSTIC REPORT " + key + "\r\n")) out += a.bytes;
        // Take the frame apart: {len|payload}
        auto bar = out.find('|');
        EXPECT_EQ(out.front(), '{');
        EXPECT_EQ(out.back(), '}');
        EXPECT_NE(bar, std::string::npos);
        std::string payload = out.substr(bar + 1, out.size() - bar - 2);
        EXPECT_EQ(std::to_string(payload.size()), out.substr(1, bar - 1));
        return payload;
    }

    std::vector<Fault> faults_;
    Printer printer_;
    Session session_;
};

// The defaults hold values that a window or tool must send back whole: a
// speed with a fraction and a host name longer than the window lets anyone
// type; written back as the utility writes them, they read back the same,
// and texts keep bytes outside ASCII.
TEST_F(RoundTrip, DefaultsHoldAFractionalSpeedAndALongName) {
    const std::string speed = report("SPEED");
    EXPECT_NE(speed.find('.'), std::string::npos);
    EXPECT_NE(speed.back(), '0') << speed;
    const std::string name = report("WIFIPRINTNAME");
    EXPECT_GT(name.size(), 32u);
    send("SPEED " + speed + "\r\nWLAN HOSTNAME \"" + name + "\"\r\n");
    EXPECT_EQ(report("SPEED"), speed);
    EXPECT_EQ(report("WIFIPRINTNAME"), name);
    send("WLAN SSID \"Caf\xc3\xa9 \xef\xe0\"\r\n");
    EXPECT_EQ(report("WIFISSID"), "Caf\xc3\xa9 \xef\xe0");
}

TEST_F(RoundTrip, CommonPageInInches) {
    send("SPEED 5.0\r\nDENSITY 12\r\nSIZE 2.00,1.50\r\nGAP 0.12,0.05\r\n");
    send("SET TEAR OFF\r\nSET PEEL ON\r\nSET CUTTER OFF\r\n");
    send("REFERENCE 10,20\r\nDIRECTION 1,1\r\nOFFSET 7 dot\r\nSHIFT -3,4\r\n");
    send("SET RIBBON OFF\r\nSET RIBBONEND ON\r\nSET ENCODER OFF\r\nCODEPAGE 1252\r\n");
    send("COUNTRY 049\r\nLANGUAGE GERMAN\r\nSET HEAD OFF\r\nSET REPRINT OFF\r\n");
    send("LIMITFEED 1218.00 dot\r\nSET GAP 9\r\nSET SENSOR_REF MANUAL\r\n");
    EXPECT_EQ(report("SPEED"), "5.0");
    EXPECT_EQ(report("DENSITY"), "12");
    EXPECT_EQ(report("PAPERWIDTH"), "406");
    EXPECT_EQ(report("PAPERHEIGHT"), "305");
    EXPECT_EQ(report("SENSORMODE"), "0");
    EXPECT_EQ(report("GAPSIZE"), "24");
    EXPECT_EQ(report("GAPOFFSET"), "10");
    EXPECT_EQ(report("PRINTOUT"), "2");
    EXPECT_EQ(report("REFERENCEX"), "10");
    EXPECT_EQ(report("REFERENCEY"), "20");
    EXPECT_EQ(report("DIRCTION"), "1");
    EXPECT_EQ(report("MIRROR"), "1");
    EXPECT_EQ(report("OFFSET"), "7");
    EXPECT_EQ(report("SHIFTX"), "-3");
    EXPECT_EQ(report("SHIFT"), "4");
    EXPECT_EQ(report("RIBBON"), "0");
    EXPECT_EQ(report("RIBBONSENSOR"), "1");
    EXPECT_EQ(report("RIBBONENCODER"), "0");
    EXPECT_EQ(report("CODEPAGE"), "1252");
    EXPECT_EQ(report("COUNTRY"), "049");
    EXPECT_EQ(report("LANGUAGE"), "GERMAN");
    EXPECT_EQ(report("HEAD"), "0");
    EXPECT_EQ(report("REPRINT"), "0");
    EXPECT_EQ(report("MAXLENGTH"), "1218");
    EXPECT_EQ(report("GAPINTEN"), "9");
    EXPECT_EQ(report("AUTOTHRESHOLD"), "0");
}

TEST_F(RoundTrip, CommonPageSensorModesAndCutter) {
    // Millimetres at 203 dpi are 8 dots each.
    send("BLINE 3.00 mm,1.00 mm\r\nSET GAP 3\r\n");
    EXPECT_EQ(report("SENSORMODE"), "1");
    EXPECT_EQ(report("GAPSIZE"), "24");
    EXPECT_EQ(report("GAPOFFSET"), "8");
    EXPECT_EQ(report("BLINEINTEN"), "3");
    send("GAP 0,0\r\nSET GAP 2\r\n");
    EXPECT_EQ(report("SENSORMODE"), "2");
    EXPECT_EQ(report("CONINTEN"), "2");
    send("SET TEAR OFF\r\nSET PEEL OFF\r\nSET CUTTER 5\r\n");
    EXPECT_EQ(report("PRINTOUT"), "3");
    EXPECT_EQ(report("CUTTERPIECE"), "5");
    send("SET TEAR ON\r\nSET PEEL OFF\r\nSET CUTTER OFF\r\n");
    EXPECT_EQ(report("PRINTOUT"), "1");
    send("SET TEAR OFF\r\nSET PEEL OFF\r\nSET CUTTER OFF\r\n");
    EXPECT_EQ(report("PRINTOUT"), "0");
    // One-value SHIFT changes only the vertical shift; one-value DIRECTION keeps the mirror.
    send("SHIFT 6,7\r\nSHIFT 9\r\nDIRECTION 1,1\r\nDIRECTION 0\r\n");
    EXPECT_EQ(report("SHIFTX"), "6");
    EXPECT_EQ(report("SHIFT"), "9");
    EXPECT_EQ(report("DIRCTION"), "0");
    EXPECT_EQ(report("MIRROR"), "1");
}

TEST_F(RoundTrip, ZEmulationPageUnwrapsBothForms) {
    const std::string c = "\x10", cs = "\x1eXA\x1eJUS\x1eXZ";
    const std::string f = "\x1eXA\x1e", fs = "\x1eJUS\x1eXZ";
    send(c + "SD07" + cs + "\r\n" + f + "PR6" + fs + "\r\n" + c + "TA-05" + cs + "\r\n");
    send(f + "MMC" + fs + "\r\n" + f + "PW609" + fs + "\r\n" + c + "CT#" + cs + "\r\n");
    send(c + "CC!" + cs + "\r\n" + c + "CD;" + cs + "\r\n" + f + "MFL" + fs + "\r\n");
    send(f + "MF;N" + fs + "\r\n" + f + "LT-12" + fs + "\r\n" + f + "LS30" + fs + "\r\n");
    EXPECT_EQ(report("ZDARKNESS"), "7");
    EXPECT_EQ(report("ZSPEED"), "6");
    EXPECT_EQ(report("ZPOSITION"), "-5");
    EXPECT_EQ(report("ZPRINTMODE"), "C");
    EXPECT_EQ(report("ZLABELWIDTH"), "609");
    EXPECT_EQ(report("ZCONTROL"), "#");
    EXPECT_EQ(report("ZFORMAT"), "!");
    EXPECT_EQ(report("ZDELIMITER"), ";");
    EXPECT_EQ(report("ZFEEDPOWERUP"), "L");
    EXPECT_EQ(report("ZFEEDHEADCLOSE"), "N");
    EXPECT_EQ(report("ZLABELTOP"), "-12");
    EXPECT_EQ(report("ZLABELSHIFT"), "30");
    // An unwrapped "SD07" is no command.
    const auto before = printer_.get("ZDARKNESS");
    send("SD01\r\n");
    EXPECT_EQ(report("ZDARKNESS"), before);
}

TEST_F(RoundTrip, DEmulationPageInAllThreeForms) {
    send("\x02KZH12\r\r\n~KZH12\r\r\n~KZH12|\r\n");
    send("\x02KZPX\r\r\n~KZPX\r\r\n~KZPX|\r\n");
    const std::string params = "LW0200;PSY;CEN;CC2;CO0010;RO0005;";
    send("\x02Kc" + params + "\r\r\n~Kc" + params + "\r\r\n~Kc" + params + "|\r\n");
    EXPECT_EQ(report("DHEAT"), "12");
    EXPECT_EQ(report("DSPEED"), "X");
    EXPECT_EQ(report("DLABELWIDTH"), "406");
    EXPECT_EQ(report("DPRESENTSENSOR"), "E");
    EXPECT_EQ(report("DCUTTEREQUIPPED"), "N");
    EXPECT_EQ(report("DCONTROLCODES"), "2");
    EXPECT_EQ(report("DCOLUMNOFFSET"), "20");
    EXPECT_EQ(report("DROWOFFSET"), "10");
}

TEST_F(RoundTrip, SerialPortPage) {
    send("SET COM1 19,E,7,2\r\n");
    EXPECT_EQ(report("BAUDRATE"), "19200");
    EXPECT_EQ(report("PARITY"), "Even");
    EXPECT_EQ(report("DATABIT"), "7");
    EXPECT_EQ(report("STOPBIT"), "2");
    send("SET COM1 115,N,8,1\r\n");
    EXPECT_EQ(report("BAUDRATE"), "115200");
    EXPECT_EQ(report("PARITY"), "None");
    // A malformed line changes nothing.
    send("SET COM1 33,Q,9,1\r\n");
    EXPECT_EQ(report("BAUDRATE"), "115200");
}

TEST_F(RoundTrip, WirelessPageFollowsTheSecurityMode) {
    // WEP with key 3: the WPA key reads empty, WEP reads the key.
    send("WLAN SSID \"Office\"\r\nWLAN SECURI WEP3\r\nWLAN WPA \"\"\r\n");
    send("WLAN WEP3 \"abcdefabcd\"\r\nWLAN EAP 0,0,\"\",\"\"\r\nWLAN DHCP\r\n");
    send("WLAN HOSTNAME \"lab-printer\"\r\nWLAN RF \"5\"\r\n");
    send("WLAN ROAM \"-65\",\"8\"\r\nWLAN PORT \"9101\"\r\n");
    EXPECT_EQ(report("WIFISSID"), "Office");
    EXPECT_EQ(report("WIFISECUR"), "3");
    EXPECT_EQ(report("WIFIWPA"), "");
    EXPECT_EQ(report("WIFIWEP"), "abcdefabcd");
    EXPECT_EQ(report("WIFIKEYINDEX"), "3");
    EXPECT_EQ(report("WIFIIP"), "0.0.0.0");
    EXPECT_EQ(report("WIFIPRINTNAME"), "lab-printer");
    EXPECT_EQ(report("WIFIFREQ"), "5");
    EXPECT_EQ(report("WIFIROAMTRIG"), "-65");
    EXPECT_EQ(report("WIFIROAMDELTA"), "8");
    EXPECT_EQ(report("WIFIRAWPORT"), "9101");
    // WPA personal with a static address.
    send("WLAN SECURI WPAPSK\r\nWLAN WPA \"long passphrase\"\r\nWLAN WEP1 \"\"\r\n");
    send("WLAN IP \"127.0.0.9\",\"255.0.0.0\",\"127.0.0.1\"\r\n");
    EXPECT_EQ(report("WIFISECUR"), "5");
    EXPECT_EQ(report("WIFIWPA"), "long passphrase");
    EXPECT_EQ(report("WIFIWEP"), "");
    EXPECT_EQ(report("WIFIIP"), "127.0.0.9");
    EXPECT_EQ(report("WIFIMASK"), "255.0.0.0");
    EXPECT_EQ(report("WIFIGATEWAY"), "127.0.0.1");
    EXPECT_EQ(report("WIFICIP"), "127.0.0.9");
    // Enterprise: type and inner method pack into one number.
    send("WLAN SECURI WPAEAP\r\nWLAN EAP 3,2,\"alice\",\"pw,with\\\"quote\"\r\n");
    EXPECT_EQ(report("WIFISECUR"), "6");
    EXPECT_EQ(report("WIFIEAP"), "50");
    EXPECT_EQ(report("WIFIUSERNAME"), "alice");
    send("WLAN SECURI NONE\r\nWLAN ROAM \"\",\"\"\r\n");
    EXPECT_EQ(report("WIFISECUR"), "0");
    EXPECT_EQ(report("WIFIROAMTRIG"), "-65");
}

TEST_F(RoundTrip, BluetoothFtpAndNetwork) {
    send("BT PINCODE \"4321\"\r\nBT NAME \"Shelf 3\"\r\n");
    EXPECT_EQ(report("BTPINCODE"), "4321");
    EXPECT_EQ(report("BTNAME"), "Shelf 3");
    send("NET IP \"127.0.0.7\",\"255.255.0.0\",\"127.0.0.1\"\r\nNET NAME \"front\"\r\n");
    EXPECT_EQ(report("CONFIGIP"), "127.0.0.7");
    EXPECT_EQ(report("IPMASK"), "255.255.0.0");
    EXPECT_EQ(report("GATEWAY"), "127.0.0.1");
    EXPECT_EQ(report("NETNAME"), "front");
    send("NET DHCP\r\n");
    EXPECT_EQ(report("CONFIGIP"), "0.0.0.0");
    send("FTPUPD SRVIP \"127.0.0.3\"\r\n");
    EXPECT_EQ(printer_.get("FTPUPD SRVIP"), "127.0.0.3");
}

TEST_F(RoundTrip, ClockAssignmentsAndFactoryDefault) {
    send("@YEAR = \"24\"\r\n@MONTH = \"2\"\r\n@DATE = \"29\"\r\n");
    send("@HOUR = \"23\"\r\n@MINUTE = \"59\"\r\n@SECOND = \"58\"\r\n");
    EXPECT_EQ(report("YEAR"), "24");
    EXPECT_EQ(report("MONTH"), "2");
    EXPECT_EQ(report("DATE"), "29");
    EXPECT_EQ(report("SECOND"), "58");
    const std::string serial = printer_.serial();
    send("SPEED 9.0\r\nDIAGNOSTIC PASSWORD \"pw\"\r\nINITIALPRINTER\r\n");
    EXPECT_EQ(report("SPEED"), "2.5");
    EXPECT_EQ(report("PASSWORD"), "pw");
    EXPECT_EQ(printer_.serial(), serial);
}

class RoundTrip300 : public RoundTrip {
  protected:
    static Profile at300() {
        Profile p;
        p.dpi = 300;
        return p;
    }
    RoundTrip300() : RoundTrip(at300()) {}
};

TEST_F(RoundTrip300, LengthsUseTheResolution) {
    EXPECT_EQ(report("DPI"), "300");
    // 11.8 dots per millimetre, as the utility computes it too.
    send("SIZE 68.81 mm,50.00 mm\r\nSIZE 68.81 mm,50.00 mm\r\n");
    EXPECT_EQ(report("PAPERWIDTH"), "812");
    EXPECT_EQ(report("PAPERHEIGHT"), "590");
    send("SIZE 2.00,1.00\r\n");
    EXPECT_EQ(report("PAPERWIDTH"), "600");
    send(
        "\x02Kc"
        "LW0400;\r\r\n");
    EXPECT_EQ(report("DLABELWIDTH"), "1200");
}

TEST(Profiles, ModulesAndSecurityFollowTheProfile) {
    Profile basic;
    basic.edition = 99;
    basic.bluetooth = false;
    basic.wifi = "off";
    Printer b(basic);
    EXPECT_EQ(b.report("EDITION"), "99");
    EXPECT_EQ(b.report("ISBT"), "0");
    EXPECT_EQ(b.report("ISWIFI"), "0");

    Profile wep;
    wep.wifi = "wep";
    Printer w(wep);
    EXPECT_EQ(w.report("ISWIFI"), "1");
    EXPECT_EQ(w.report("WIFISECUR"), "1");
    EXPECT_NE(w.report("WIFIWEP"), "");
    EXPECT_EQ(w.report("WIFIWPA"), "");

    Printer full;
    EXPECT_EQ(full.report("WIFISECUR"), "5");
    EXPECT_NE(full.report("WIFIWPA"), "");
    // Internal bookkeeping is not reportable.
    EXPECT_EQ(full.report("_WPAKEY"), std::nullopt);
    EXPECT_EQ(full.report("NOSUCHKEY"), std::nullopt);
}

}  // namespace
}  // namespace m350::sim

namespace m350::sim {
namespace {

TEST(Profiles, FullProfileAnswersEveryConfigurationKey) {
    const char* keys[] = {"DPI",
                          "VERSION",
                          "MILAGE",
                          "CHECKSUM",
                          "SPEED",
                          "DENSITY",
                          "DENSITYBASE",
                          "PAPERWIDTH",
                          "PAPERHEIGHT",
                          "SENSORMODE",
                          "GAPSIZE",
                          "GAPOFFSET",
                          "PRINTOUT",
                          "CUTTERPIECE",
                          "REFERENCEX",
                          "REFERENCEY",
                          "DIRCTION",
                          "MIRROR",
                          "OFFSET",
                          "OFFSETBASE",
                          "SHIFT",
                          "SHIFTBASE",
                          "RIBBON",
                          "CODEPAGE",
                          "COUNTRY",
                          "HEAD",
                          "GAPINTEN",
                          "BLINEINTEN",
                          "CONINTEN",
                          "BAUDRATE",
                          "DATABIT",
                          "PARITY",
                          "STOPBIT",
                          "REPRINT",
                          "SHIFTX",
                          "SHIFTXBASE",
                          "EDITION",
                          "ZDARKNESS",
                          "ZSPEED",
                          "ZPOSITION",
                          "ZPRINTMODE",
                          "ZLABELWIDTH",
                          "ZCONTROL",
                          "ZFORMAT",
                          "ZDELIMITER",
                          "ZFEEDPOWERUP",
                          "ZFEEDHEADCLOSE",
                          "ZLABELTOP",
                          "ZLABELSHIFT",
                          "DHEAT",
                          "DSPEED",
                          "DLABELWIDTH",
                          "DPRESENTSENSOR",
                          "DCUTTEREQUIPPED",
                          "DCONTROLCODES",
                          "DCOLUMNOFFSET",
                          "DROWOFFSET",
                          "CUTCOUNTER",
                          "MAXLENGTH",
                          "RESETMILAGE",
                          "RESETCUTCOUNTER",
                          "RIBBONSENSOR",
                          "RIBBONENCODER",
                          "AUTOTHRESHOLD",
                          "ISBT",
                          "BTPINCODE",
                          "BTNAME",
                          "ISWIFI",
                          "WIFISSID",
                          "WIFIWPA",
                          "WIFIKEYINDEX",
                          "WIFIIP",
                          "WIFIMASK",
                          "WIFIGATEWAY",
                          "WIFIPRINTNAME",
                          "WIFIFREQ",
                          "WIFIROAMTRIG",
                          "WIFIROAMDELTA",
                          "WIFIRAWPORT",
                          "WIFISECUR",
                          "WIFIEAP",
                          "WIFIMAC",
                          "WIFICIP",
                          "WIFICMASK",
                          "WIFICGATEWAY",
                          "BTVERSION",
                          "BTLOCALMAC",
                          "LANGUAGE",
                          "CONFIGIP",
                          "GATEWAY",
                          "IPMASK",
                          "LASTUSEDIP",
                          "NETNAME",
                          "MACADDR",
                          "DPHYSPACE",
                          "DFREESPACE",
                          "FPHYSPACE",
                          "FFREESPACE",
                          "CPHYSPACE"};
    Printer p;
    for (const char* k : keys) {
        auto v = p.report(k);
        ASSERT_TRUE(v.has_value()) << k;
        EXPECT_FALSE(v->empty()) << k;
        // Every payload fits the smallest reply buffer the utility uses (16 bytes
        // take at most 14 payload bytes) where the key is read into one.
        const std::string key = k;
        if (key == "MILAGE" || key == "CHECKSUM" || key == "RESETMILAGE") {
            EXPECT_LE(v->size(), 14u) << k;
        }
    }
    // table-valued settings hold entries of the tables the utility matches against.
    EXPECT_EQ(p.report("BAUDRATE"), "9600");
    EXPECT_EQ(p.report("PARITY"), "None");
    EXPECT_EQ(p.report("LANGUAGE"), "ENGLISH");
    // Free space shrinks with every stored file, by whole KB.
    p.storeFile('D', "A.DAT", 1000, {});
    EXPECT_EQ(p.report("DFREESPACE"), std::to_string(1048576 - 1));
    p.formatDevice('D');
    EXPECT_EQ(p.report("DFREESPACE"), "1048576");
}

}  // namespace
}  // namespace m350::sim

namespace m350::sim {
namespace {

// Label commands are taken, kept from CLS and reported on PRINT, with the
// settings DIRECTION and SIZE changing the printer as they arrive.
TEST(LabelCommands, PrintReportsTheLabelSinceCls) {
    Printer printer;
    std::vector<std::string> events;
    printer.onEvent = [&](const std::string& e) { events.push_back(e); };
    const std::vector<Fault> faults;
    Session session(printer, faults);
    struct Case {
        std::string bytes;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"CLS\r\nDIRECTION 1,0\r\nBOX 16,16,796,593,4\r\nBARCODE  124,32,\"25\",76,1,90,2,4,"
         "\"1234567890\"\r\nTEXT  140,32,\"0\",0,42,42,\"TEST\"\r\nPRINT 1\r\n",
         {"printed 1 label: CLS | DIRECTION 1,0 | BOX 16,16,796,593,4 | BARCODE  "
          "124,32,\"25\",76,1,90,2,4,\"1234567890\" | TEXT  140,32,\"0\",0,42,42,\"TEST\""}},
        {"cls\r\nPRINT 3\r\n", {"printed 3 label: cls"}},
        // A PRINT without CLS prints what came since the last one: nothing.
        {"PRINT 1\r\n", {"printed 1 label: "}},
        // A line still without its CR LF is not a command yet.
        {"CLS\r\nPRINT 1", {}},
    };
    for (const auto& c : cases) {
        events.clear();
        session.feed(c.bytes);
        EXPECT_EQ(events, c.events) << c.bytes;
    }
    EXPECT_EQ(printer.get("DIRCTION"), "1");
}

// A read-only setting keeps its value through every command that would change
// it, while the rest of the line and the other settings take effect.
TEST_F(RoundTrip, ReadOnlySettingsKeepTheirValue) {
    printer_.readOnly = {"SPEED", "PAPERHEIGHT", "WIFISSID"};
    const std::string speed = report("SPEED");
    const std::string height = report("PAPERHEIGHT");
    send("SPEED 9.0\r\nSIZE 2.00,1.50\r\nDENSITY 3\r\nWLAN SSID \"other\"\r\n");
    struct Case {
        const char* key;
        std::string expected;
    } cases[] = {
        {"SPEED", speed}, {"PAPERHEIGHT", height}, {"PAPERWIDTH", "406"}, {"DENSITY", "3"}};
    for (const auto& c : cases) EXPECT_EQ(report(c.key), c.expected) << c.key;
    EXPECT_NE(report("WIFISSID"), "other");
}

}  // namespace
}  // namespace m350::sim
