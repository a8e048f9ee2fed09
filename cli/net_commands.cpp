// discover, net show | set | name | udp-set | udp-factory-default: the network
// utilities. discover and the udp-* commands speak the printers' UDP protocol
// (port 22368) on the local network; show, set and name go over the link.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/link/link_operations.h"
#include "core/net/net_settings.h"
#include "core/net/udp_exchange.h"

namespace m350::cli {

namespace {

struct UdpOptions {
    std::string broadcast = "255.255.255.255";
    std::string multicast = "224.0.0.251";
    int port = m350::kUdpPort;
    double timeout = 1.0;

    void addTo(CLI::App* sub) {
        sub->add_option("--broadcast", broadcast,
                        "address of the first discovery pass (default 255.255.255.255)")
            ->type_name("ADDR");
        sub->add_option("--multicast", multicast,
                        "address of the second discovery pass (default 224.0.0.251)")
            ->type_name("ADDR");
        sub->add_option("--udp-port", port, "UDP port of the printers (default 22368)")
            ->check(CLI::Range(1, 65535));
        sub->add_option("--timeout", timeout,
                        "seconds each pass waits after the last reply (default 1, at most 5)")
            ->check(CLI::Range(0.05, 5.0))
            ->type_name("S");
    }

    m350::UdpTargets targets() const {
        m350::UdpTargets t;
        t.broadcast = broadcast;
        t.multicast = multicast;
        t.port = static_cast<std::uint16_t>(port);
        t.idleMs = static_cast<int>(std::lround(timeout * 1000));
        return t;
    }
};

struct AddressOptions {
    bool dhcp = false;
    std::string ip, mask, gateway;
    CLI::Option *dhcpOpt = nullptr, *ipOpt = nullptr, *maskOpt = nullptr, *gatewayOpt = nullptr;

    void addTo(CLI::App* sub) {
        dhcpOpt = sub->add_flag("--dhcp", dhcp, "the printer takes its address by DHCP");
        ipOpt = sub->add_option("--ip", ip, "static IP address")->type_name("A");
        maskOpt = sub->add_option("--mask", mask, "subnet mask")->type_name("M");
        gatewayOpt = sub->add_option("--gateway", gateway, "gateway")->type_name("G");
        ipOpt->excludes(dhcpOpt);
        maskOpt->excludes(dhcpOpt);
        gatewayOpt->excludes(dhcpOpt);
    }
    bool any() const { return dhcpOpt->count() || ipOpt->count(); }
    bool complete() const {
        return dhcp || (ipOpt->count() && maskOpt->count() && gatewayOpt->count());
    }
};

nlohmann::ordered_json replyJson(const m350::DeviceReply& r) {
    nlohmann::ordered_json j;
    j["name"] = r.name;
    j["mac"] = m350::macToText(r.mac);
    j["ip"] = m350::ipv4ToText(r.ip);
    j["model"] = r.model;
    j["status"] = std::string(m350::deviceStatusText(r.state, r.flags));
    j["state"] = r.state;
    j["flags"] = r.flags;
    return j;
}

int discoverCommand(Session& s, const UdpOptions& o, bool json) {
    const m350::DiscoveryResult result = m350::discoverDevices(o.targets(), 1);
    if (!result.socketOpened) return s.fail(kExitIoError, "cannot open a UDP socket");
    const auto printers = m350::mergeByMac(result.replies);
    if (json) {
        nlohmann::ordered_json j;
        j["printers"] = nlohmann::ordered_json::array();
        for (const auto& p : printers) j["printers"].push_back(replyJson(p));
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
        return kExitOk;
    }
    for (const auto& p : printers)
        std::fprintf(s.out(), "%-17s  %-15s  %-15s  %-12s  %s\n", m350::macToText(p.mac).c_str(),
                     m350::ipv4ToText(p.ip).c_str(), p.name.c_str(), p.model.c_str(),
                     std::string(m350::deviceStatusText(p.state, p.flags)).c_str());
    return kExitOk;
}

int showCommand(Session& s, bool json) {
    m350::NetSettings n;
    if (int r =
            s.run(m350::kOpNetReport, [&](m350::Link& l) { return m350::readNetSettings(l, n); });
        r != m350::kOk)
        return r;
    if (json) {
        nlohmann::ordered_json j;
        j["dhcp"] = n.dhcp;
        j["ip"] = n.ip;
        j["mask"] = n.mask;
        j["gateway"] = n.gateway;
        j["currentIp"] = n.currentIp;
        j["name"] = n.name;
        j["mac"] = n.mac;
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
        return kExitOk;
    }
    std::fprintf(s.out(),
                 "address mode: %s\nIP address: %s\nsubnet mask: %s\ngateway: %s\n"
                 "current IP address: %s\nprinter name: %s\nMAC address: %s\n",
                 n.dhcp ? "DHCP" : "static", n.ip.c_str(), n.mask.c_str(), n.gateway.c_str(),
                 n.currentIp.c_str(), n.name.c_str(), n.mac.c_str());
    return kExitOk;
}

bool confirmed(bool yes) {
    if (yes) return true;
    if (!::isatty(STDIN_FILENO)) return false;
    std::fputs("Are you sure? [y/N] ", stderr);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

// The device's row of a discovery, by MAC: its name is what the exchange writes
// back when no new name is given.
const m350::DeviceReply* findDevice(const std::vector<m350::DeviceReply>& replies,
                                    const m350::MacAddress& mac) {
    for (const auto& r : replies)
        if (r.mac == mac) return &r;
    return nullptr;
}

int udpSetCommand(Session& s, const UdpOptions& o, const std::string& macText,
                  const AddressOptions& a, const std::optional<std::string>& name) {
    const auto mac = m350::parseMac(macText);
    if (!mac) return s.fail(kExitUsage, "not a MAC address (XX:XX:XX:XX:XX:XX): " + macText);
    if (!a.any() && !name)
        return s.fail(kExitUsage, "nothing to set: give --dhcp, --ip ... or --name");
    if (a.any() && !a.complete()) return s.fail(kExitUsage, "--ip needs --mask and --gateway");
    if (name && !m350::netTextSendable(*name))
        return s.fail(kExitUsage, "a printer name is printable ASCII without '\"', at most 63");
    const m350::UdpTargets targets = o.targets();
    const m350::DiscoveryResult found = m350::discoverDevices(targets, 1);
    if (!found.socketOpened) return s.fail(kExitIoError, "cannot open a UDP socket");
    const m350::DeviceReply* device = findDevice(found.replies, *mac);
    if (!device) return s.fail(kExitUnavailable, "no printer with MAC " + macText + " answered");
    m350::NetSettings n;
    n.mac = m350::macToText(*mac);
    m350::UdpSettingsExchange exchange(targets, 2, *mac);
    if (!exchange.open()) return s.fail(kExitIoError, "cannot open a UDP socket");
    exchange.readSettings(n);
    n.name = name ? *name : device->name;
    if (a.any()) {
        n.dhcp = a.dhcp;
        if (!a.dhcp) {
            n.ip = a.ip;
            n.mask = a.mask;
            n.gateway = a.gateway;
        }
    }
    exchange.writeSettings(n);
    return kExitOk;
}

int udpFactoryDefaultCommand(Session& s, const UdpOptions& o, const std::string& macText,
                             bool yes) {
    const auto mac = m350::parseMac(macText);
    if (!mac) return s.fail(kExitUsage, "not a MAC address (XX:XX:XX:XX:XX:XX): " + macText);
    if (!confirmed(yes)) return s.fail(kExitRefused, "not confirmed (give --yes)");
    if (!m350::sendUdpFactoryDefault(o.targets(), 1, *mac))
        return s.fail(kExitIoError, "the factory-default request could not be sent");
    return kExitOk;
}

}  // namespace

void addNetCommands(CLI::App& app, Invocation& inv) {
    // Options bind to these; the callbacks hold them as long as the parser lives.
    struct State {
        UdpOptions discoverUdp, setUdp, defaultUdp;
        AddressOptions linkAddress, udpAddress;
        bool yes = false;
    };
    auto st = std::make_shared<State>();
    UdpOptions &discoverUdp = st->discoverUdp, &setUdp = st->setUdp, &defaultUdp = st->defaultUdp;
    AddressOptions &linkAddress = st->linkAddress, &udpAddress = st->udpAddress;

    auto* discover =
        app.add_subcommand("discover", "find printers on the local network by UDP (port 22368)");
    discover->add_flag("--json", inv.json, "print the printers as JSON");
    discoverUdp.addTo(discover);
    discover->callback([&inv, st] {
        inv.action = [&inv, st](Session& s) {
            return discoverCommand(s, st->discoverUdp, inv.json);
        };
    });

    auto* net = app.add_subcommand("net", "the printer's network address and name");
    net->require_subcommand(1);

    auto* show = net->add_subcommand("show", "read the network settings over the link");
    show->add_flag("--json", inv.json, "print the settings as JSON");
    show->callback(
        [&inv] { inv.action = [&inv](Session& s) { return showCommand(s, inv.json); }; });

    auto* set = net->add_subcommand(
        "set", "set DHCP or a static address over the link (asks for the password)");
    linkAddress.addTo(set);
    set->callback([&inv, st] {
        inv.action = [&inv, st](Session& s) {
            const AddressOptions& a = st->linkAddress;
            if (!a.any() || !a.complete())
                return s.fail(kExitUsage, "give --dhcp, or --ip, --mask and --gateway");
            m350::NetSettings n;
            n.dhcp = a.dhcp;
            n.ip = a.ip;
            n.mask = a.mask;
            n.gateway = a.gateway;
            if (!n.dhcp && (!m350::netTextSendable(n.ip) || !m350::netTextSendable(n.mask) ||
                            !m350::netTextSendable(n.gateway)))
                return s.fail(kExitUsage, "addresses are printable ASCII without '\"'");
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
            return s.run(m350::kOpNetAddress,
                         [&](m350::Link& l) { return m350::writeNetAddress(l, n); });
        };
    });

    auto* name = net->add_subcommand("name", "set the printer's network name over the link");
    auto* nameArg = name->add_option("NAME", "the new name (at most 15 characters)")->required();
    name->callback([&inv, nameArg] {
        m350::NetSettings n;
        n.name = nameArg->as<std::string>();
        inv.action = [&inv, n](Session& s) {
            if (n.name.size() > 15 || !m350::netTextSendable(n.name))
                return s.fail(
                    kExitUsage,
                    "a printer name is at most 15 printable ASCII characters without '\"'");
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
            return s.run(m350::kOpNetName, [&](m350::Link& l) { return m350::writeNetName(l, n); });
        };
    });

    auto* udpSet = net->add_subcommand(
        "udp-set", "change a printer's address and name over UDP, found by its MAC address");
    auto* udpMac = udpSet->add_option("MAC", "the printer's MAC address")->required();
    udpAddress.addTo(udpSet);
    auto* udpName = udpSet->add_option("--name", "new printer name (default: keep it)");
    setUdp.addTo(udpSet);
    udpSet->callback([&inv, st, udpMac, udpName] {
        const std::string mac = udpMac->as<std::string>();
        std::optional<std::string> newName;
        if (udpName->count()) newName = udpName->as<std::string>();
        inv.action = [st, mac, newName](Session& s) {
            return udpSetCommand(s, st->setUdp, mac, st->udpAddress, newName);
        };
    });

    auto* udpDefault = net->add_subcommand("udp-factory-default",
                                           "send a printer the factory-default request over UDP");
    auto* defaultMac = udpDefault->add_option("MAC", "the printer's MAC address")->required();
    udpDefault->add_flag("--yes,-y", st->yes, "do not ask \"Are you sure?\"");
    defaultUdp.addTo(udpDefault);
    udpDefault->callback([&inv, st, defaultMac] {
        const std::string mac = defaultMac->as<std::string>();
        inv.action = [st, mac](Session& s) {
            return udpFactoryDefaultCommand(s, st->defaultUdp, mac, st->yes);
        };
    });
}

}  // namespace m350::cli
