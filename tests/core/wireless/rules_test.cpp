// SPDX-License-Identifier: MIT
// The wireless page's rules without a window: the key check table, the
// certificate name limit, the FTP slashes and link
// operation 33 on the wire.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/link/link_operations.h"
#include "core/wireless/wireless_rules.h"
#include "support/sim_process.h"

using m350::checkWirelessKey;
using V = m350::WirelessKeyVerdict;

namespace {

struct KeyCase {
    int encryption;
    std::string key;
    V verdict;
};

TEST(WirelessKeyCheck, WepKeysByLength) {
    const std::string hex26 = "0123456789abcdefABCDEF0123";
    const KeyCase cases[] = {
        {1, "abcde", V::kPass},
        {2, "Hello World!~", V::kPass},  // 13 printable characters
        {3, "0123456789", V::kPass},
        {4, hex26, V::kPass},
        {1, "0123456789abcdefABCDEF012g", V::kFormatInvalid},  // 26 with a "g"
        {1, "012345678Z", V::kFormatInvalid},
        {1, "caf\xC3\xA9!", V::kFormatInvalid},  // five characters, one not ASCII
        {1, "abcdefghijkl", V::kLengthInvalid},  // 12
        {1, "", V::kLengthInvalid},
        {4, hex26 + "0", V::kLengthInvalid},
        {2, "abcd", V::kLengthInvalid},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkWirelessKey(m350::WirelessEncryption{c.encryption}, c.key), c.verdict)
            << c.encryption << " '" << c.key << "'";
}

TEST(WirelessKeyCheck, WpaPersonalRefusesSilently) {
    const std::string hex64(64, 'a');
    const KeyCase cases[] = {
        {5, "1234567", V::kRefused},
        {5, "12345678", V::kPass},
        {5, std::string(63, '#'), V::kPass},
        {5, hex64, V::kPass},
        {5, hex64.substr(0, 63) + "x", V::kRefused},
        {5, hex64 + "a", V::kRefused},
        {5, "", V::kRefused},
        // Eight characters, more than eight bytes: characters count.
        {5, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", V::kRefused},
        {5, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9xxxx", V::kPass},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkWirelessKey(m350::WirelessEncryption{c.encryption}, c.key), c.verdict)
            << "'" << c.key << "'";
    EXPECT_TRUE(m350::wirelessKeyMessage(V::kRefused).empty());
}

TEST(WirelessKeyCheck, NoneEnterpriseAndNoSelectionAlwaysPass) {
    for (int e : {-1, 0, 6, 7})
        for (const char* key : {"", "x", "0123456789abcdefABCDEF012g"})
            EXPECT_EQ(checkWirelessKey(m350::WirelessEncryption{e}, key), V::kPass)
                << e << " " << key;
    EXPECT_EQ(m350::wirelessKeyMessage(V::kFormatInvalid), "The format is not valid!!");
    EXPECT_EQ(m350::wirelessKeyMessage(V::kLengthInvalid), "The length is invalid!!");
}

TEST(CertificateName, ShorterThanThirteenCharactersFits) {
    EXPECT_TRUE(m350::certificateNameFits("/home/op/certs/ROOTCA01.PEM"));    // 12
    EXPECT_FALSE(m350::certificateNameFits("/home/op/certs/ROOTCA012.PEM"));  // 13
    EXPECT_TRUE(m350::certificateNameFits("/a/very/long/directory/name/that/is/long/K.KEY"));
    EXPECT_TRUE(m350::certificateNameFits("CA.DER"));
    // Characters, not bytes: twelve accented letters fit.
    EXPECT_TRUE(
        m350::certificateNameFits("/c/\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                                  "\xC3\xA9\xC3\xA9.der"));
}

TEST(FtpPath, BackslashesBecomeSlashes) {
    EXPECT_EQ(m350::ftpPathWithSlashes("dir\\sub"), "dir/sub");
    EXPECT_EQ(m350::ftpPathWithSlashes("\\\\a\\b/c\\"), "//a/b/c/");
    EXPECT_EQ(m350::ftpPathWithSlashes("plain/path"), "plain/path");
}

TEST(WirelessDefault, SendsTheLineAndReadsNothing) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350::PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    m350::LinkContext ctx;
    ctx.settings = &settings;
    EXPECT_EQ(m350::runOperation(ctx, m350::kOpWifiDefault, m350::kEthernet,
                                 m350::wirelessFactoryDefault),
              m350::kOk);
    ASSERT_TRUE(sim.waitForClosed(1));
    const auto t = sim.transcript();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].rx, "WLAN DEFAULT\r\n");
    EXPECT_TRUE(t[0].tx.empty());

    // A printer that is not there: the port does not open.
    settings.net.port = 1;
    EXPECT_EQ(m350::runOperation(ctx, m350::kOpWifiDefault, m350::kEthernet,
                                 m350::wirelessFactoryDefault),
              m350::kPortOpenError);
}

}  // namespace
