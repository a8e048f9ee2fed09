// SPDX-License-Identifier: MIT
// The configuration write: each page's command lines byte for byte, and the
// operation's wiring (page index, send failure, certificate blocks).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/config/config_write.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

using namespace m350;
using F = m350::Field;
using Lines = std::vector<std::string>;

namespace {

// A record as a 203-dpi printer reports it (8.0 dots per mm).
ConfigRecord printer203(bool inch) {
    ConfigRecord r;
    r.setReal(F::dpi, 203.0f);
    r.setReal(F::dotsPerMm, 8.0f);
    r.setByte(F::inchUnits, inch ? 1 : 0);
    return r;
}

}  // namespace

TEST(ConfigWrite, CommonPageSendsTheSensorIntensityOnlyWhenGiven) {
    ConfigRecord r;
    // After a reset no intensity is known: none is made up.
    EXPECT_EQ(configPageLines(r, kPageCommon), Lines{});
    r.setInteger(F::sensorMode, 1);
    r.setInteger(F::blineInten, 5);
    r.setPresent(F::sensorMode, false);  // the intensity line ignores presence
    EXPECT_EQ(configPageLines(r, kPageCommon), Lines{"SET GAP 5\r\n"});
    r.setInteger(F::sensorMode, 7);
    EXPECT_EQ(configPageLines(r, kPageCommon), Lines{});
}

TEST(ConfigWrite, CommonPageLinesInOrder) {
    ConfigRecord r = printer203(true);
    r.setReal(F::speed, 3.3f);  // held as 3.2999999523
    r.setInteger(F::density, 8);
    r.setReal(F::paperWidth, 812);
    r.setReal(F::paperHeight, 609);
    r.setInteger(F::sensorMode, 0);
    r.setReal(F::gapSize, 24.36f);  // 0.12 inch
    r.setReal(F::gapOffset, 0);
    r.setInteger(F::printOut, 3);
    r.setInteger(F::cutterPiece, 0);
    r.setInteger(F::referenceX, 10);
    r.setInteger(F::referenceY, 20);
    r.setInteger(F::direction, 1);
    r.setInteger(F::offset, -3);
    r.setInteger(F::shiftX, 4);
    r.setInteger(F::ribbon, 1);
    r.setInteger(F::ribbonSensor, 0);
    r.setInteger(F::ribbonEncoder, 2);
    r.setInteger(F::codePage, 10);
    r.setInteger(F::countryCode, 21);
    r.setInteger(F::displayLanguage, 5);
    r.setInteger(F::headSensor, 0);
    r.setInteger(F::reprint, 1);
    r.setReal(F::maxLength, 2030);
    r.setInteger(F::gapInten, 4);
    r.setInteger(F::autoThreshold, 0);
    r.setInteger(F::densityBase, 9);  // shown only, never written
    const Lines expected = {
        "SPEED 3.3\r\n",
        "DENSITY 8\r\n",
        "SIZE 4.00,3.00\r\n",
        "GAP 0.12,0.00\r\n",
        "SET TEAR OFF\r\nSET PEEL OFF\r\nSET CUTTER 1\r\n",
        "REFERENCE 10,20\r\n",
        "DIRECTION 1\r\n",
        "OFFSET -3 dot\r\n",
        "SHIFT 4,0\r\n",
        "SET RIBBON ON\r\n",
        "SET RIBBONEND OFF\r\n",
        "SET ENCODER ON\r\n",
        "CODEPAGE 850\r\n",
        "COUNTRY 358\r\n",
        "LANGUAGE GERMAN\r\n",
        "SET HEAD OFF\r\n",
        "SET REPRINT ON\r\n",
        "LIMITFEED 2030.00 dot\r\n",
        "SET GAP 4\r\n",
        "SET SENSOR_REF MANUAL\r\n",
    };
    EXPECT_EQ(configPageLines(r, kPageCommon), expected);

    // Millimetres, black line, the other branches of the combined lines.
    r.setByte(F::inchUnits, 0);
    r.setInteger(F::sensorMode, 1);
    r.setInteger(F::printOut, 3);
    r.setInteger(F::cutterPiece, 5);
    r.setInteger(F::mirror, 1);
    r.setPresent(F::shiftX, false);
    r.setInteger(F::shiftY, -7);
    Lines mm = configPageLines(r, kPageCommon);
    // 609 / 8 is exactly 76.125: rounded half away from zero, as the pages
    // show it, so the printer gets the number the operator read.
    EXPECT_EQ(mm[2], "SIZE 101.50 mm,76.13 mm\r\n");
    EXPECT_EQ(mm[3], "BLINE 3.05 mm,0.00 mm\r\n");
    EXPECT_EQ(mm[4], "SET TEAR OFF\r\nSET PEEL OFF\r\nSET CUTTER 5\r\n");
    EXPECT_EQ(mm[6], "DIRECTION 1,1\r\n");
    EXPECT_EQ(mm[8], "SHIFT -7\r\n");
}

TEST(ConfigWrite, CommonPageConditionsThatSendNothing) {
    ConfigRecord r = printer203(true);
    r.setInteger(F::sensorMode, 0);
    r.setReal(F::gapSize, 24);  // offset absent: no GAP line
    r.setReal(F::paperWidth, 100);
    r.setInteger(F::codePage, 36);  // a reply that matched no code page
    r.setInteger(F::referenceX, 1);
    EXPECT_EQ(configPageLines(r, kPageCommon), Lines{});
    r.setInteger(F::sensorMode, 2);
    EXPECT_EQ(configPageLines(r, kPageCommon), Lines{"GAP 0,0\r\n"});
}

TEST(ConfigWrite, ZPageWrappers) {
    ConfigRecord r;
    r.setInteger(F::zDarkness, 5);
    r.setInteger(F::zSpeed, 4);
    r.setInteger(F::zPosition, -12);
    r.setInteger(F::zPrintMode, 2);
    r.setInteger(F::zLabelWidth, 812);
    r.setCharacter(F::zControl, '~');
    r.setCharacter(F::zFormat, '^');
    r.setCharacter(F::zDelimiter, ';');
    r.setInteger(F::zFeedPowerUp, 3);
    r.setInteger(F::zFeedHeadClose, 4);
    r.setInteger(F::zLabelTop, -120);
    r.setInteger(F::zLabelShift, 9999);
    const std::string c1 = "\x10", c2 = "\x1EXA\x1EJUS\x1EXZ\r\n";
    const std::string f1 = "\x1EXA\x1E", f2 = "\x1EJUS\x1EXZ\r\n";
    const Lines expected = {
        c1 + "SD05" + c2,  f1 + "PR4" + f2,  c1 + "TA-12" + c2,  f1 + "MMP" + f2,
        f1 + "PW812" + f2, c1 + "CT~" + c2,  c1 + "CC^" + c2,    c1 + "CD;" + c2,
        f1 + "MFL" + f2,   f1 + "MF;N" + f2, f1 + "LT-120" + f2, f1 + "LS9999" + f2,
    };
    EXPECT_EQ(configPageLines(r, kPageZ), expected);

    // Out-of-range codes write nothing; the head-close line takes the stored
    // delimiter even when it is not to be written itself.
    ConfigRecord s;
    s.setInteger(F::zPrintMode, 4);
    s.setInteger(F::zFeedPowerUp, 0);
    s.setInteger(F::zFeedHeadClose, 1);
    EXPECT_EQ(configPageLines(s, kPageZ), Lines{f1 + "MF,F" + f2});
}

TEST(ConfigWrite, DPageTriplesAndParameterString) {
    ConfigRecord r = printer203(false);
    r.setInteger(F::dHeat, 7);
    r.setReal(F::dSpeed, 4.0f);
    r.setInteger(F::dLabelWidth, 812);  // 400 hundredths
    r.setInteger(F::dPresentSensor, 2);
    r.setInteger(F::dCutterEquipped, 1);
    r.setInteger(F::dControlCodes, 3);
    r.setInteger(F::dColumnOffset, 10);  // 4.93 -> 5
    r.setInteger(F::dRowOffset, 0);
    const Lines expected = {
        "\x02KZH07\r\r\n~KZH07\r\r\n~KZH07|\r\n",
        "\x02KZPG\r\r\n~KZPG\r\r\n~KZPG|\r\n",
        "\x02KcLW0400;PSY;CEN;CC2;CO0005;RO0000;\r\r\n~KcLW0400;PSY;CEN;CC2;CO0005;RO0000;\r\r\n"
        "~KcLW0400;PSY;CEN;CC2;CO0005;RO0000;|\r\n",
    };
    EXPECT_EQ(configPageLines(r, kPageD), expected);

    ConfigRecord none;
    none.setInteger(F::dPresentSensor, 0);
    EXPECT_EQ(configPageLines(none, kPageD), Lines{}) << "no piece, no Kc line";
}

TEST(ConfigWrite, DSpeedLetters) {
    EXPECT_EQ(dSpeedLetter(1.0f), 'A');
    EXPECT_EQ(dSpeedLetter(1.5f), 'B');
    EXPECT_EQ(dSpeedLetter(11.5f), 'V');
    EXPECT_EQ(dSpeedLetter(12.0f), 'W');
    EXPECT_EQ(dSpeedLetter(13.0f), 'X');
    EXPECT_EQ(dSpeedLetter(15.0f), 'Z');
    EXPECT_EQ(dSpeedLetter(16.0f), 'a');
    EXPECT_EQ(dSpeedLetter(20.0f), 'e');
    EXPECT_EQ(dSpeedLetter(4.0f), 'G');
    EXPECT_EQ(dSpeedLetter(25.0f), 'G');
    EXPECT_EQ(dSpeedLetter(0.5f), 'G');
    EXPECT_EQ(dSpeedLetter(-3.0f), 'G');
}

TEST(ConfigWrite, Rs232PageNeedsAllFour) {
    ConfigRecord r;
    r.setInteger(F::baudRate, 4);
    r.setInteger(F::dataBits, 1);
    r.setInteger(F::parity, 0);
    EXPECT_EQ(configPageLines(r, kPageRs232), Lines{});
    r.setInteger(F::stopBits, 0);
    EXPECT_EQ(configPageLines(r, kPageRs232), Lines{"SET COM1 96,N,8,1\r\n"});
    r.setInteger(F::baudRate, 8);
    r.setInteger(F::parity, 2);
    r.setInteger(F::dataBits, 0);
    r.setInteger(F::stopBits, 1);
    EXPECT_EQ(configPageLines(r, kPageRs232), Lines{"SET COM1 115,E,7,2\r\n"});
    r.setInteger(F::baudRate, 9);  // outside the table
    EXPECT_EQ(configPageLines(r, kPageRs232), Lines{});
}

TEST(ConfigWrite, WirelessPage) {
    ConfigRecord r;
    EXPECT_EQ(configPageLines(r, kPageWireless), Lines{}) << "no module, nothing sent";
    r.setByte(F::wifiPresent, 1);
    const Lines bare = {
        "WLAN SSID \"\"\r\n",         "WLAN WPA \"\"\r\n",      "WLAN WEP1 \"\"\r\n",
        "WLAN EAP 0,0,\"\",\"\"\r\n", "WLAN HOSTNAME \"\"\r\n", "WLAN RF \"\"\r\n",
        "WLAN ROAM \"\",\"\"\r\n",    "WLAN PORT \"\"\r\n",
    };
    EXPECT_EQ(configPageLines(r, kPageWireless), bare) << "security absent: no SECURI line";

    // A text that would end its quotes refuses the page: nothing is sent,
    // nothing is edited.
    r.setText(F::wifiSsid, "lab\"\r\nINITIALPRINTER");
    std::vector<std::string> pieces{"left over"};
    EXPECT_EQ(buildConfigPage(r, kPageWireless, {}, pieces), kTransmitError);
    EXPECT_EQ(pieces, Lines{});
    m350test::ScriptedLink refused({});
    const int opensBefore = refused.port().opens;
    EXPECT_EQ(
        m350::runOperation(refused.ctx(), kOpWriteConfig, kCom,
                           [&](m350::Link& l) { return m350::writeConfig(l, r, kPageWireless); }),
        kTransmitError);
    EXPECT_EQ(refused.port().opens, opensBefore) << "refused before the port opens";

    r.setText(F::wifiSsid, "lab");
    r.setInteger(F::wifiSecurity, 5);
    r.setText(F::wifiKey, "secret");
    r.setPresent(F::wifiKey, false);  // a key the record does not hold is not sent
    r.setText(F::wifiIp, "10.1.2.3");
    r.setText(F::wifiMask, "255.255.0.0");
    r.setText(F::wifiGateway, "10.1.0.1");
    r.setText(F::wifiPrintName, "P1");
    r.setText(F::wifiFreq, "5");
    r.setInteger(F::wifiRoamDelta, 10);
    r.setInteger(F::wifiRawPort, 9100);
    const Lines wpa = {
        "WLAN SSID \"lab\"\r\n",      "WLAN SECURI WPAPSK\r\n",
        "WLAN WPA \"\"\r\n",          "WLAN WEP1 \"\"\r\n",
        "WLAN EAP 0,0,\"\",\"\"\r\n", "WLAN IP \"10.1.2.3\",\"255.255.0.0\",\"10.1.0.1\"\r\n",
        "WLAN HOSTNAME \"P1\"\r\n",   "WLAN RF \"5\"\r\n",
        "WLAN ROAM \"0\",\"10\"\r\n", "WLAN PORT \"9100\"\r\n",
    };
    EXPECT_EQ(configPageLines(r, kPageWireless), wpa);

    r.setInteger(F::wifiSecurity, 3);
    r.setText(F::wifiKey, "0123456789");
    r.setText(F::wifiIp, "0.0.0.0");
    Lines wep = configPageLines(r, kPageWireless);
    EXPECT_EQ(wep[1], "WLAN SECURI WEP3\r\n");
    EXPECT_EQ(wep[2], "WLAN WPA \"\"\r\n");
    EXPECT_EQ(wep[3], "WLAN WEP3 \"0123456789\"\r\n");
    EXPECT_EQ(wep[5], "WLAN DHCP\r\n");

    r.setInteger(F::wifiSecurity, 6);
    r.setInteger(F::wifiEap, 2 * 16);  // inner method 0 goes out as 1
    r.setText(F::wifiUsername, "user");
    r.setText(F::wifiPassword, "pw");
    Lines eap = configPageLines(r, kPageWireless);
    EXPECT_EQ(eap[1], "WLAN SECURI WPAEAP\r\n");
    EXPECT_EQ(eap[4], "WLAN EAP 2,1,\"user\",\"pw\"\r\n");
    r.setInteger(F::wifiSecurity, 9);
    EXPECT_EQ(configPageLines(r, kPageWireless)[1], "WLAN SECURI NONE\r\n");
}

TEST(ConfigWrite, CertificateBlocksGoOutWhole) {
    auto dir = std::filesystem::temp_directory_path() / ("m350cert" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string big((20000), 'B');  // larger than the old 6144-byte block
    std::ofstream((dir / "ca.pem").string(), std::ios::binary) << big;
    std::ofstream((dir / "client-certificate.pem").string(), std::ios::binary) << "xy";

    ConfigRecord r;
    r.setByte(F::wifiPresent, 1);
    r.setText(F::wifiPrivateKey, "stale.key");
    CertificatePaths certs{(dir / "ca.pem").string(), (dir / "client-certificate.pem").string(),
                           (dir / "missing.key").string()};
    std::vector<std::string> pieces;
    ASSERT_EQ(buildConfigPage(r, kPageWireless, certs, pieces), kOk);
    ASSERT_EQ(pieces.size(), 10u);
    EXPECT_EQ(pieces[4], "DLCERT 1,\"ca.pem\",20000," + big);
    EXPECT_EQ(pieces[5], "DLCERT 2,\"client-certificate.pem\",2,xy");
    EXPECT_EQ(pieces[6], "WLAN HOSTNAME \"\"\r\n");
    EXPECT_EQ(r.text(F::wifiCaCert), "ca.pem");
    EXPECT_EQ(r.text(F::wifiClientCert), "client-certific") << "cut to its 16-byte field";
    EXPECT_EQ(r.text(F::wifiPrivateKey), "") << "a file that does not open clears the name";

    // Through the link: the big block is one write of exactly header + bytes.
    m350test::ScriptedLink link({});
    ASSERT_EQ(
        m350::runOperation(link.ctx(), kOpWriteConfig, kCom,
                           [&](m350::Link& l) { return writeConfig(l, r, kPageWireless, certs); }),
        kOk);
    EXPECT_NE(link.written().find("DLCERT 1,\"ca.pem\",20000," + big + "DLCERT 2"),
              std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(ConfigWrite, BluetoothAndFtpPages) {
    ConfigRecord r;
    r.setText(F::btName, "bt");
    EXPECT_EQ(configPageLines(r, kPageBluetooth), Lines{}) << "no Bluetooth, nothing sent";
    r.setByte(F::btPresent, 1);
    r.setText(F::btPinCode, "1234");
    EXPECT_EQ(configPageLines(r, kPageBluetooth),
              (Lines{"BT PINCODE \"1234\"\r\n", "BT NAME \"bt\"\r\n"}));

    r.setInteger(F::ftpClientEnabled, -1);
    r.setText(F::ftpServer, "127.0.0.1");
    r.setText(F::ftpPath, "");
    r.setText(F::ftpPassword, "pw");
    EXPECT_EQ(configPageLines(r, kPageFtpUpdate),
              (Lines{"FTPUPD ENABLE \"-1\"\r\n", "FTPUPD SRVIP \"127.0.0.1\"\r\n",
                     "FTPUPD PATH \"\"\r\n", "FTPUPD PSWD \"pw\"\r\n"}));
}

TEST(ConfigWrite, OperationFourSendsThePageNamedByExtra) {
    ConfigRecord r;
    r.setInteger(F::gapInten, 3);  // the Common page then has a line to send
    r.setInteger(F::baudRate, 4);
    r.setInteger(F::dataBits, 1);
    r.setInteger(F::parity, 0);
    r.setInteger(F::stopBits, 0);

    m350test::ScriptedLink rs232({});
    const int opensBefore = rs232.port().opens;
    ASSERT_EQ(
        m350::runOperation(rs232.ctx(), kOpWriteConfig, kCom,
                           [&](m350::Link& l) { return m350::writeConfig(l, r, kPageRs232); }),
        kOk);
    EXPECT_EQ(rs232.written(), "SET COM1 96,N,8,1\r\n");
    EXPECT_EQ(rs232.port().opens, opensBefore + 1);

    m350test::ScriptedLink beyond({});
    ASSERT_EQ(m350::runOperation(beyond.ctx(), kOpWriteConfig, kLpt,
                                 [&](m350::Link& l) { return m350::writeConfig(l, r, 7); }),
              kOk);
    EXPECT_EQ(beyond.written(), "") << "pages above 6 send nothing";

    m350test::ScriptedLink failing({});
    failing.port().failWrites = true;
    EXPECT_EQ(
        m350::runOperation(failing.ctx(), kOpWriteConfig, kCom,
                           [&](m350::Link& l) { return m350::writeConfig(l, r, kPageCommon); }),
        kTransmitError);
    m350test::ScriptedLink closed({});
    closed.port().failOpen = true;
    EXPECT_EQ(
        m350::runOperation(closed.ctx(), kOpWriteConfig, kCom,
                           [&](m350::Link& l) { return m350::writeConfig(l, r, kPageCommon); }),
        kPortOpenError);
}
