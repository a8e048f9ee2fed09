// SPDX-License-Identifier: MIT
// The record image: field placement, defaults byte for byte, little-endian
// values, text cutting and the keyword tables.
#include <gtest/gtest.h>

#include "core/config/config_record.h"

using namespace m350;

namespace {

void putFloat(ConfigRecord::Bytes& b, std::size_t at, std::uint32_t bits) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace

TEST(ConfigRecord, FieldsSitAtTheirFileOffsets) {
    struct Expect {
        const char* name;
        int offset;
        int width;
        bool flagged;
    };
    const Expect cases[] = {
        {"edition", 0, 4, false},        {"dpi", 5, 4, false},
        {"serial", 325, 64, false},      {"speed", 389, 4, true},
        {"autoThreshold", 549, 4, true}, {"inchUnits", 554, 1, false},
        {"zControl", 580, 1, true},      {"zDelimiter", 584, 1, true},
        {"zFeedPowerUp", 586, 4, true},  {"dRowOffset", 641, 4, true},
        {"stopBits", 661, 4, true},      {"btPresent", 666, 1, false},
        {"wifiKey", 870, 128, true},     {"wifiCurrentIp", 1329, 64, false},
        {"wifiMac", 1569, 64, false},    {"wifiFreq", 1698, 4, true},
        {"extWifiDhcp", 1985, 4, true},  {"reserved", 2380, 140, false},
        {"ftpPassword", 2793, 32, true},
    };
    for (const auto& c : cases) {
        auto f = fieldByName(c.name);
        ASSERT_TRUE(f) << c.name;
        const FieldInfo& info = fieldInfoOf(*f);
        EXPECT_EQ(info.offset, c.offset) << c.name;
        EXPECT_EQ(info.width, c.width) << c.name;
        EXPECT_EQ(info.flagged, c.flagged) << c.name;
    }
    EXPECT_EQ(fieldInfoOf(Field::ftpPassword).end(), kConfigRecordSize);
    EXPECT_FALSE(fieldByName("Speed"));
    EXPECT_EQ(fieldTable().size(), kFieldCount);
}

TEST(ConfigRecord, DefaultsByteForByte) {
    ConfigRecord::Bytes expected{};
    putFloat(expected, 5, 0x43480000);    // 200.0
    putFloat(expected, 9, 0x413CCCCD);    // 11.8
    putFloat(expected, 390, 0x40400000);  // speed value 3.0, presence 0
    expected[581] = '~';
    expected[583] = '^';
    expected[585] = ',';
    ConfigRecord r;
    EXPECT_EQ(r.bytes(), expected);
    EXPECT_FALSE(r.present(Field::speed));
    EXPECT_FLOAT_EQ(r.real(Field::speed), 3.0f);
    EXPECT_EQ(r.character(Field::zFormat), '^');

    // reset wipes everything a read put in, but keeps the unit and reserved bytes.
    r.setInteger(Field::edition, 108);
    r.setText(Field::wifiSsid, "net");
    r.setByte(Field::wifiPresent, 1);
    r.setByte(Field::inchUnits, 1);
    r.bytes()[2380] = 0x5A;
    r.bytes()[2519] = 0xA5;
    r.bytes()[kConfigRecordSize - 1] = 'x';
    r.reset();
    expected[554] = 1;
    expected[2380] = 0x5A;
    expected[2519] = 0xA5;
    EXPECT_EQ(r.bytes(), expected);
}

TEST(ConfigRecord, ValuesAreLittleEndianAndSetPresence) {
    ConfigRecord r;
    r.setInteger(Field::density, -2);
    EXPECT_EQ(r.bytes()[394], 1);
    EXPECT_EQ(r.bytes()[395], 0xFE);
    EXPECT_EQ(r.bytes()[398], 0xFF);
    EXPECT_EQ(r.integer(Field::density), -2);

    r.setInteger(Field::edition, 0x01020304);
    EXPECT_EQ(r.bytes()[0], 0x04);
    EXPECT_EQ(r.bytes()[3], 0x01);
    EXPECT_EQ(r.bytes()[4], 0) << "a plain field has no presence byte to spill into";

    r.setReal(Field::dSpeed, 1.5f);  // 0x3FC00000
    EXPECT_EQ(r.bytes()[611], 1);
    EXPECT_EQ(r.bytes()[614], 0xC0);
    EXPECT_EQ(r.bytes()[615], 0x3F);

    r.setPresent(Field::density, false);
    EXPECT_FALSE(r.present(Field::density));
    EXPECT_EQ(r.integer(Field::density), -2) << "presence and value are separate";
    EXPECT_TRUE(r.present(Field::edition)) << "plain fields always count as present";

    // A field read through the wrong kind gives nothing rather than garbage.
    EXPECT_EQ(r.integer(Field::dSpeed), 0);
    EXPECT_EQ(r.text(Field::density), "");
}

TEST(ConfigRecord, TextsAreCutToTheirFieldAndNeverOverrun) {
    ConfigRecord r;
    r.setText(Field::wifiFreq, "5GHz-band");
    EXPECT_EQ(r.text(Field::wifiFreq), "5GH");
    EXPECT_EQ(r.bytes()[1699 + 3], 0) << "terminator kept inside the field";
    EXPECT_EQ(r.bytes()[1703], 0) << "next field (wifiRoamTrigger presence) untouched";

    r.setText(Field::ftpPassword, std::string(100, 'p'));
    EXPECT_EQ(r.text(Field::ftpPassword), std::string(31, 'p'));
    EXPECT_EQ(r.bytes()[kConfigRecordSize - 1], 0);

    // A shorter text clears the tail left by a longer one.
    r.setText(Field::serial, "ABCDEFGH");
    r.setText(Field::serial, "XY");
    EXPECT_EQ(r.bytes()[325 + 2], 0);
    EXPECT_EQ(r.bytes()[325 + 5], 0);

    // A damaged image without terminator still reads within the field.
    for (int i = 0; i < 16; ++i) r.bytes()[277 + i] = 'm';
    EXPECT_EQ(r.text(Field::mileage), std::string(15, 'm'));
}

TEST(ConfigRecord, KeywordTables) {
    EXPECT_EQ(kCodePageTable.size(), 36);
    EXPECT_EQ(kCodePageTable.indexOf("USA"), 0);
    EXPECT_EQ(kCodePageTable.indexOf("8859-15"), 35);
    EXPECT_EQ(kCodePageTable.indexOf("usa"), 36) << "case-sensitive";
    EXPECT_EQ(kCodePageTable.indexOf("8859"), 36) << "whole-text match only";
    EXPECT_EQ(kCountryTable.size(), 22);
    EXPECT_EQ(kCountryTable.indexOf("358"), 21);
    EXPECT_EQ(kBaudReportedTable.indexOf("9600"), 4);
    EXPECT_EQ(*kBaudWrittenTable.entry(4), "96");
    EXPECT_EQ(*kBaudWrittenTable.entry(8), "115");
    EXPECT_FALSE(kCodePageTable.entry(36));
    EXPECT_FALSE(kParityTable.entry(-1));
    EXPECT_EQ(fieldInfoOf(Field::codePage).table, &kCodePageTable);
}

TEST(ConfigRecord, UnitConversionUsesTheRecordsResolution) {
    ConfigRecord r;  // 200 dpi, 11.8 dots/mm
    EXPECT_DOUBLE_EQ(unitsToDots(r, 2.0, true), 400.0);
    EXPECT_NEAR(unitsToDots(r, 50.8, false), 599.44, 1e-4);
    r.setReal(Field::dotsPerMm, 8.0f);
    EXPECT_DOUBLE_EQ(*dotsToUnits(r, 812, false), 101.5);
    r.setReal(Field::dpi, 0.0f);
    EXPECT_FALSE(dotsToUnits(r, 812, true)) << "no division by a zero resolution";
}
