// SPDX-License-Identifier: MIT
// The wireless page's enable rules as tables, without a window.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/wireless/wireless_rules.h"
#include "gui/pages/wireless_enable_rules.h"

using m350::gui::ControlChange;

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
    s.apply(m350::gui::encryptionChangeRule(m350::gui::kEncryptionWpaEnterprise));
    EXPECT_TRUE(s.on("cbxWiFiEapType"));
    EXPECT_FALSE(s.on("EditWiFiKey"));
    EXPECT_FALSE(s.on("LabelWiFiKey"));
    EXPECT_TRUE(s.cleared["EditWiFiKey"]);
    EXPECT_FALSE(s.eapReset);
    // Nothing else is touched: the EAP controls follow from the EAP choice.
    EXPECT_EQ(s.enabled.size(), 3u);

    for (int e : {0, 1, 4, 5}) {
        PageState t;
        t.apply(m350::gui::encryptionChangeRule(e));
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
    const Expect table[] = {{0, false, 0, 0}, {1, true, 1, 1},  {2, false, 1, -1},
                            {3, false, 0, 0}, {4, false, 1, 1}, {5, false, 1, -1}};
    for (const auto& e : table) {
        PageState s;
        s.apply(m350::gui::eapTypeChangeRule(e.eap));
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
        s.apply(m350::gui::dhcpChangeRule(d));
        EXPECT_EQ(s.enabled.size(), 6u);
        for (const char* c : {"LabelWiFiIP", "LabelWiFiMask", "LabelWiFiGateway", "EditWiFiIP",
                              "EditWiFiMask", "EditWiFiGateway"})
            EXPECT_EQ(s.on(c), d == m350::gui::kDhcpOff) << d << " " << c;
    }
}
