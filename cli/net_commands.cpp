// SPDX-License-Identifier: MIT
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
#include "core/i18n/text_encoding.h"
#include "core/input/input_checks.h"
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
    double replyTimeout = 3.0;

    void addTo(CLI::App* sub, bool exchange = false) {
        if (exchange)
            sub->add_option("--reply-timeout", replyTimeout,
                            "seconds each settings request waits for its reply (default 3)")
                ->check(CLI::Range(0.05, 30.0))
                ->type_name("S");
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

    // Why the addresses cannot be used; empty when they can. A name or a
    // typing error would otherwise send nothing and find nothing, exit 0.
    std::string invalid() const {
        if (!m350::parseIpv4(broadcast)) return "--broadcast: not an IPv4 address: " + broadcast;
        if (!m350::parseIpv4(multicast)) return "--multicast: not an IPv4 address: " + multicast;
        return {};
    }

    m350::UdpTargets targets() const {
        m350::UdpTargets t;
        t.broadcast = broadcast;
        t.multicast = multicast;
        t.port = static_cast<std::uint16_t>(port);
        t.idleMs = static_cast<int>(std::lround(timeout * 1000));
        t.replyWaitMs = static_cast<int>(std::lround(replyTimeout * 1000));
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
    // Each address given must be a dotted IPv4 address; the first that is
    // not is named by its option. kExitOk when they all are.
    int check(Session& s) const {
        if (dhcp) return kExitOk;
        for (const auto& [option, text] :
             {std::pair{"--ip", &ip}, {"--mask", &mask}, {"--gateway", &gateway}}) {
            if (!m350::isIpv4Address(*text))
                return s.fail(kExitDataError,
                              std::string(option) + " \"" + *text +
                                  "\" is not an IPv4 address (four numbers from 0 to 255 "
                                  "separated by dots); nothing was sent");
        }
        return kExitOk;
    }
};

// The device's texts are its own bytes, read in the printer text encoding.
nlohmann::ordered_json replyJson(const m350::DeviceReply& r, const std::string& encoding) {
    nlohmann::ordered_json j;
    j["name"] = m350::decodeText(r.name, encoding);
    j["mac"] = m350::macToText(r.mac);
    j["ip"] = m350::ipv4ToText(r.ip);
    j["model"] = m350::decodeText(r.model, encoding);
    j["status"] = std::string(m350::deviceStatusText(r.state, r.flags));
    j["state"] = r.state;
    j["flags"] = r.flags;
    return j;
}

int discoverCommand(Session& s, const UdpOptions& o, bool json) {
    if (const std::string why = o.invalid(); !why.empty()) return s.fail(kExitUsage, why);
    const m350::DiscoveryResult result = m350::discoverDevices(o.targets(), 1);
    if (!result.socketOpened) return s.fail(kExitIoError, "cannot open a UDP socket");
    const auto printers = m350::mergeByMac(result.replies);
    if (json) {
        nlohmann::ordered_json j;
        j["printers"] = nlohmann::ordered_json::array();
        for (const auto& p : printers) j["printers"].push_back(replyJson(p, s.encoding));
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
        return kExitOk;
    }
    for (const auto& p : printers)
        std::fprintf(s.out(), "%-17s  %-15s  %-15s  %-12s  %s\n", m350::macToText(p.mac).c_str(),
                     m350::ipv4ToText(p.ip).c_str(), printableText(p.name, s.encoding).c_str(),
                     printableText(p.model, s.encoding).c_str(),
                     std::string(m350::deviceStatusText(p.state, p.flags)).c_str());
    return kExitOk;
}

int netShowCommand(Session& s, bool json) {
    m350::NetSettings n;
    if (int r = s.run(ops::readNetSettings(n)); r != m350::kOk) return r;
    if (json) {
        nlohmann::ordered_json j;
        j["dhcp"] = n.dhcp;
        auto text = [&](const std::string& t) { return m350::decodeText(t, s.encoding); };
        j["ip"] = text(n.ip);
        j["mask"] = text(n.mask);
        j["gateway"] = text(n.gateway);
        j["currentIp"] = text(n.currentIp);
        j["name"] = text(n.name);
        j["mac"] = text(n.mac);
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
        return kExitOk;
    }
    auto shown = [&](const std::string& t) { return printableText(t, s.encoding); };
    std::fprintf(s.out(),
                 "address mode: %s\nIP address: %s\nsubnet mask: %s\ngateway: %s\n"
                 "current IP address: %s\nprinter name: %s\nMAC address: %s\n",
                 n.dhcp ? "DHCP" : "static", shown(n.ip).c_str(), shown(n.mask).c_str(),
                 shown(n.gateway).c_str(), shown(n.currentIp).c_str(), shown(n.name).c_str(),
                 shown(n.mac).c_str());
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
    if (const std::string why = o.invalid(); !why.empty()) return s.fail(kExitUsage, why);
    if (!a.any() && !name)
        return s.fail(kExitUsage, "nothing to set: give --dhcp, --ip ... or --name");
    if (a.any() && !a.complete()) return s.fail(kExitUsage, "--ip needs --mask and --gateway");
    if (a.any())
        if (int r = a.check(s); r != kExitOk) return r;
    if (name && !m350::netTextSendable(*name))
        return s.fail(kExitDataError,
                      "--name: a printer name is printable ASCII without '\"', at most 63");
    const m350::UdpTargets targets = o.targets();
    const m350::DiscoveryResult found = m350::discoverDevices(targets, 1);
    if (!found.socketOpened) return s.fail(kExitIoError, "cannot open a UDP socket");
    const m350::DeviceReply* device = findDevice(found.replies, *mac);
    if (!device) return s.fail(kExitUnavailable, "no printer with MAC " + macText + " answered");
    m350::NetSettings n;
    n.mac = m350::macToText(*mac);
    m350::UdpSettingsExchange exchange(targets, 2, *mac);
    if (!exchange.open()) return s.fail(kExitIoError, "cannot open a UDP socket");
    // What is not given is written back as read, so both reads must have
    // been answered by this printer before anything is written.
    switch (exchange.readSettings(n)) {
        case m350::UdpSettingsExchange::ReadResult::kOk:
            break;
        case m350::UdpSettingsExchange::ReadResult::kNoSocket:
            return s.fail(kExitIoError, "cannot open a UDP socket");
        case m350::UdpSettingsExchange::ReadResult::kNoIpSettings:
            return s.fail(kExitUnavailable, "printer " + macText +
                                                " did not answer the read of its IP settings; "
                                                "nothing was written");
        case m350::UdpSettingsExchange::ReadResult::kNoAddressMode:
            return s.fail(kExitUnavailable, "printer " + macText +
                                                " did not answer the read of its address mode; "
                                                "nothing was written");
    }
    // The name as the printer holds it, byte for byte.
    n.name = name ? *name : device->name;
    if (a.any()) {
        n.dhcp = a.dhcp;
        if (!a.dhcp) {
            n.ip = a.ip;
            n.mask = a.mask;
            n.gateway = a.gateway;
        }
    }
    if (!exchange.writeSettings(n))
        return s.fail(kExitIoError, "the settings requests could not be sent");
    return kExitOk;
}

int udpFactoryDefaultCommand(Session& s, const UdpOptions& o, const std::string& macText,
                             bool yes) {
    const auto mac = m350::parseMac(macText);
    if (!mac) return s.fail(kExitUsage, "not a MAC address (XX:XX:XX:XX:XX:XX): " + macText);
    if (const std::string why = o.invalid(); !why.empty()) return s.fail(kExitUsage, why);
    if (!confirmed(yes)) return s.fail(kExitNotConfirmed, "not confirmed (give --yes)");
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
        [&inv] { inv.action = [&inv](Session& s) { return netShowCommand(s, inv.json); }; });

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
            if (int r = a.check(s); r != kExitOk) return r;
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
            return s.run(ops::writeNetAddress(n));
        };
    });

    auto* name = net->add_subcommand("name", "set the printer's network name over the link");
    auto* nameArg = name->add_option("NAME", "the new name (at most 15 characters)")->required();
    name->callback([&inv, nameArg] {
        m350::NetSettings n;
        n.name = nameArg->as<std::string>();
        inv.action = [&inv, n](Session& s) {
            if (n.name.size() > 15 || !m350::netTextSendable(n.name))
                return s.fail(kExitDataError,
                              "NAME: a printer name is at most 15 printable ASCII characters "
                              "without '\"' (nothing was sent)");
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
            return s.run(ops::writeNetName(n));
        };
    });

    auto* udpSet = net->add_subcommand(
        "udp-set", "change a printer's address and name over UDP, found by its MAC address");
    auto* udpMac = udpSet->add_option("MAC", "the printer's MAC address")->required();
    udpAddress.addTo(udpSet);
    auto* udpName = udpSet->add_option("--name", "new printer name (default: keep it)");
    setUdp.addTo(udpSet, true);
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
