// SPDX-License-Identifier: MIT
// Write a page to the simulated printer, read the configuration back, and get
// what was written (within the printer's own rounding).
#include <gtest/gtest.h>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/config/config_write.h"
#include "core/link/link_operations.h"
#include "support/sim_process.h"

using namespace m350;
using F = m350::Field;

namespace {

class SimPrinter {
  public:
    explicit SimPrinter(std::vector<std::string> args) : sim_(std::move(args)) {
        settings_.net.address = "127.0.0.1";
        settings_.net.port = sim_.tcpPort();
        ctx_.settings = &settings_;
        ctx_.sleep = [](int) {};
    }
    bool ok() const { return sim_.ok(); }
    int read(ConfigRecord& r) {
        r.reset();
        return m350::runOperation(ctx_, kOpReadConfig, kEthernet,
                                  [&](m350::Link& l) { return m350::readConfig(l, r); });
    }
    int write(const ConfigRecord& r, int page) {
        return m350::runOperation(ctx_, kOpWriteConfig, kEthernet,
                                  [&](m350::Link& l) { return m350::writeConfig(l, r, page); });
    }

  private:
    m350test::SimProcess sim_;
    PortSettings settings_;
    LinkContext ctx_;
};

}  // namespace

TEST(ConfigRoundTrip, EveryPageComesBackAsWritten) {
    SimPrinter printer({"--profile", "full"});
    ASSERT_TRUE(printer.ok());
    ConfigRecord r;
    ASSERT_EQ(printer.read(r), kOk);

    // Page "Common", lengths in inches.
    r.setByte(F::inchUnits, 1);
    r.setReal(F::speed, 6.0f);
    r.setInteger(F::density, 12);
    r.setReal(F::paperWidth, 609);   // 3.00 in at 203 dpi
    r.setReal(F::paperHeight, 406);  // 2.00 in
    r.setInteger(F::sensorMode, 1);
    r.setReal(F::gapSize, 61);  // 0.30 in
    r.setReal(F::gapOffset, 20);
    r.setInteger(F::printOut, 2);
    r.setInteger(F::direction, 1);
    r.setInteger(F::mirror, 1);
    r.setInteger(F::codePage, 3);     // FRE
    r.setInteger(F::countryCode, 5);  // 033
    r.setInteger(F::displayLanguage, 2);
    r.setInteger(F::reprint, 0);
    r.setInteger(F::ribbon, 0);
    r.setInteger(F::blineInten, 3);
    ASSERT_EQ(printer.write(r, kPageCommon), kOk);

    // Page "Z".
    r.setInteger(F::zDarkness, 20);
    r.setInteger(F::zSpeed, 6);
    r.setInteger(F::zPrintMode, 3);
    r.setInteger(F::zFeedPowerUp, 4);
    r.setInteger(F::zFeedHeadClose, 1);
    r.setInteger(F::zLabelTop, -10);
    ASSERT_EQ(printer.write(r, kPageZ), kOk);

    // Page "D".
    r.setInteger(F::dHeat, 12);
    r.setReal(F::dSpeed, 8.0f);
    r.setInteger(F::dPresentSensor, 2);
    r.setInteger(F::dControlCodes, 2);
    r.setInteger(F::dLabelWidth, 609);
    ASSERT_EQ(printer.write(r, kPageD), kOk);

    // Page "RS-232".
    r.setInteger(F::baudRate, 8);
    r.setInteger(F::dataBits, 0);
    r.setInteger(F::parity, 2);
    r.setInteger(F::stopBits, 1);
    ASSERT_EQ(printer.write(r, kPageRs232), kOk);

    // Pages "Wireless" and "Bluetooth".
    r.setText(F::wifiSsid, "RoundNet");
    r.setInteger(F::wifiSecurity, 5);
    r.setText(F::wifiKey, "pw-roundtrip");
    r.setText(F::wifiPrintName, "P-RT");
    r.setInteger(F::wifiRoamTrigger, -65);
    r.setInteger(F::wifiRoamDelta, 8);
    r.setInteger(F::wifiRawPort, 9101);
    ASSERT_EQ(printer.write(r, kPageWireless), kOk);
    r.setText(F::btName, "RT-BT");
    r.setText(F::btPinCode, "4321");
    ASSERT_EQ(printer.write(r, kPageBluetooth), kOk);

    ConfigRecord back;
    ASSERT_EQ(printer.read(back), kOk);
    for (F f : {F::density,     F::sensorMode,   F::printOut,        F::direction,
                F::mirror,      F::codePage,     F::countryCode,     F::displayLanguage,
                F::reprint,     F::ribbon,       F::blineInten,      F::zDarkness,
                F::zSpeed,      F::zPrintMode,   F::zFeedPowerUp,    F::zFeedHeadClose,
                F::zLabelTop,   F::dHeat,        F::dPresentSensor,  F::dControlCodes,
                F::dLabelWidth, F::baudRate,     F::dataBits,        F::parity,
                F::stopBits,    F::wifiSecurity, F::wifiRoamTrigger, F::wifiRoamDelta,
                F::wifiRawPort}) {
        EXPECT_EQ(back.integer(f), r.integer(f)) << fieldInfoOf(f).name;
        EXPECT_TRUE(back.present(f)) << fieldInfoOf(f).name;
    }
    for (F f : {F::speed, F::paperWidth, F::paperHeight, F::gapSize, F::gapOffset, F::dSpeed}) {
        EXPECT_NEAR(back.real(f), r.real(f), 1.0) << fieldInfoOf(f).name;
    }
    for (F f : {F::wifiSsid, F::wifiKey, F::wifiPrintName, F::btName, F::btPinCode}) {
        EXPECT_EQ(back.text(f), r.text(f)) << fieldInfoOf(f).name;
    }
}

TEST(ConfigRoundTrip, MillimetreLengthsComeBackInDots) {
    SimPrinter printer({"--profile", "300dpi"});
    ASSERT_TRUE(printer.ok());
    ConfigRecord r;
    ASSERT_EQ(printer.read(r), kOk);
    ASSERT_FLOAT_EQ(r.real(F::dotsPerMm), 11.8f);
    r.setByte(F::inchUnits, 0);
    r.setReal(F::paperWidth, 1180);  // 100.00 mm
    r.setReal(F::paperHeight, 590);  // 50.00 mm
    r.setInteger(F::sensorMode, 0);
    r.setReal(F::gapSize, 35.4f);  // 3.00 mm
    r.setReal(F::gapOffset, 0);
    ASSERT_EQ(printer.write(r, kPageCommon), kOk);
    ConfigRecord back;
    ASSERT_EQ(printer.read(back), kOk);
    EXPECT_NEAR(back.real(F::paperWidth), 1180, 1.5);
    EXPECT_NEAR(back.real(F::paperHeight), 590, 1.5);
    EXPECT_NEAR(back.real(F::gapSize), 35.4, 1.5);
}
