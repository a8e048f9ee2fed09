// The wireless page's rules without a window: the key check table, the
// certificate name limit, the FTP slashes, the enable rules, and link
// operation 33 on the wire.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/link/link_operations.h"
#include "support/sim_process.h"
#include "core/wireless/wireless_rules.h"

using m350::checkWirelessKey;
using m350::ControlChange;
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
        EXPECT_EQ(checkWirelessKey(c.encryption, c.key), c.verdict)
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
        EXPECT_EQ(checkWirelessKey(c.encryption, c.key), c.verdict) << "'" << c.key << "'";
    EXPECT_TRUE(m350::wirelessKeyMessage(V::kRefused).empty());
}

TEST(WirelessKeyCheck, NoneEnterpriseAndNoSelectionAlwaysPass) {
    for (int e : {-1, 0, 6, 7})
        for (const char* key : {"", "x", "0123456789abcdefABCDEF012g"})
            EXPECT_EQ(checkWirelessKey(e, key), V::kPass) << e << " " << key;
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

// The state of each named control after applying rules from an all-enabled
// page, as the window applies them.
struct PageState {
    std::map<std::string, bool> enabled;
    std::map<std::string, bool> cleared;
    bool eapReset = false;
    void apply(const std::vector<ControlChange>& changes) {
        for (const auto& c : changes) {
            std::string name(c.control);
            switch (c.kind) {
                case ControlChange::kEnable:
                    enabled[name] = true;
                    break;
                case ControlChange::kDisable:
                    enabled[name] = false;
                    break;
                case ControlChange::kClear:
                    cleared[name] = true;
                    break;
                case ControlChange::kSelectFirst:
                    eapReset = true;
                    break;
            }
        }
    }
    bool on(const char* name) const {
        auto it = enabled.find(name);
        return it == enabled.end() || it->second;  // untouched: as it was (enabled)
    }
};

TEST(EnableRules, EnterpriseSwapsTheKeyForTheEapChoice) {
    PageState s;
    s.apply(m350::encryptionChangeRule(m350::kEncryptionWpaEnterprise));
    EXPECT_TRUE(s.on("cbxWiFiEapType"));
    EXPECT_FALSE(s.on("EditWiFiKey"));
    EXPECT_FALSE(s.on("LabelWiFiKey"));
    EXPECT_TRUE(s.cleared["EditWiFiKey"]);
    EXPECT_FALSE(s.eapReset);
    // Nothing else is touched: the EAP controls follow from the EAP choice.
    EXPECT_EQ(s.enabled.size(), 3u);

    for (int e : {0, 1, 4, 5}) {
        PageState t;
        t.apply(m350::encryptionChangeRule(e));
        for (const char* off :
             {"cbxWiFiEapType", "edtWiFiSrvCerPath", "btnWiFiSrvCerBrowse",
              "btnWiFiClientCerBrowse", "btnWiFiPrivKeyBrowse", "edtWiFiUsername", "edtWiFiPasswd"})
            EXPECT_FALSE(t.on(off)) << e << " " << off;
        EXPECT_TRUE(t.on("EditWiFiKey"));
        EXPECT_TRUE(t.on("LabelWiFiKey"));
        EXPECT_TRUE(t.eapReset);
        EXPECT_TRUE(t.cleared["edtWiFiUsername"] && t.cleared["edtWiFiPasswd"]);
        EXPECT_FALSE(t.cleared["EditWiFiKey"]);
    }
}

TEST(EnableRules, EapTypeDecidesCertificatesAndCredentials) {
    struct Expect {
        int eap;
        bool client;   // client certificate and private key controls
        int caPath;    // edtWiFiSrvCerPath: 1 on, 0 off
        int caBrowse;  // btnWiFiSrvCerBrowse: 1 on, 0 off, -1 untouched
    };
    const Expect table[] = {{0, false, 0, 0}, {1, true, 1, -1}, {2, false, 1, -1},
                            {3, false, 0, 0}, {4, false, 1, 1}, {5, false, 1, -1}};
    for (const auto& e : table) {
        PageState s;
        s.apply(m350::eapTypeChangeRule(e.eap));
        EXPECT_TRUE(s.on("edtWiFiUsername")) << e.eap;
        EXPECT_TRUE(s.on("edtWiFiPasswd")) << e.eap;
        for (const char* c : {"edtWiFiClientCerPath", "edtWiFiPrivKeyPath",
                              "btnWiFiClientCerBrowse", "btnWiFiPrivKeyBrowse"})
            EXPECT_EQ(s.on(c), e.client) << e.eap << " " << c;
        EXPECT_EQ(s.on("edtWiFiSrvCerPath"), e.caPath == 1) << e.eap;
        EXPECT_EQ(s.enabled.count("btnWiFiSrvCerBrowse") == 0, e.caBrowse == -1) << e.eap;
        if (e.caBrowse >= 0) {
            EXPECT_EQ(s.on("btnWiFiSrvCerBrowse"), e.caBrowse == 1) << e.eap;
        }
    }
}

TEST(EnableRules, OnlyDhcpOffOpensTheAddressBoxes) {
    for (int d : {-1, 0, 1, 2}) {
        PageState s;
        s.apply(m350::dhcpChangeRule(d));
        EXPECT_EQ(s.enabled.size(), 6u);
        for (const char* c : {"LabelWiFiIP", "LabelWiFiMask", "LabelWiFiGateway", "EditWiFiIP",
                              "EditWiFiMask", "EditWiFiGateway"})
            EXPECT_EQ(s.on(c), d == m350::kDhcpOff) << d << " " << c;
    }
}

TEST(WirelessDefault, SendsTheLineAndReadsNothing) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350::PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    m350::LinkContext ctx;
    ctx.settings = &settings;
    EXPECT_EQ(m350::runOperation(ctx, m350::kOpWifiDefault, m350::kEthernet, m350::wirelessFactoryDefault),
              m350::kOk);
    ASSERT_TRUE(sim.waitForClosed(1));
    const auto t = sim.transcript();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].rx, "WLAN DEFAULT\r\n");
    EXPECT_TRUE(t[0].tx.empty());

    // A printer that is not there: the port does not open.
    settings.net.port = 1;
    EXPECT_EQ(m350::runOperation(ctx, m350::kOpWifiDefault, m350::kEthernet, m350::wirelessFactoryDefault),
              m350::kPortOpenError);
}

}  // namespace
