// SPDX-License-Identifier: MIT
#include "cli/host_list.h"

#include <nlohmann/json.hpp>

#include "cli/port_options.h"
#include "core/input/line_text.h"

namespace m350::cli {

namespace {

using Json = nlohmann::ordered_json;

bool parseDiscoverJson(std::string_view text, std::vector<m350::NetAddress>& hosts,
                       std::string& error) {
    Json j = Json::parse(text, nullptr, false);
    // discover --json: {"schema": 1, "printers": [...]}; a bare array is taken too.
    if (j.is_object() && j.contains("printers")) j = Json(j["printers"]);
    if (j.is_discarded() || !j.is_array()) {
        error = "not a JSON list of printers";
        return false;
    }
    for (std::size_t i = 0; i < j.size(); ++i) {
        const Json& item = j[i];
        const std::string where = "printer " + std::to_string(i + 1);
        if (!item.is_object() || !item.contains("ip") || !item["ip"].is_string()) {
            error = where + ": no \"ip\"";
            return false;
        }
        // A printer whose reply did not carry its address is listed with
        // 0.0.0.0: it cannot be reached, and the others still can.
        if (item["ip"].get<std::string>() == "0.0.0.0") continue;
        auto a = parseNetAddress(item["ip"].get<std::string>());
        if (!a || a->address == "0.0.0.0") {
            error = where + ": not an address: " + item["ip"].get<std::string>();
            return false;
        }
        if (item.contains("port")) {
            const Json& p = item["port"];
            if (!p.is_number_integer() || p.get<int>() < 1 || p.get<int>() > 65535) {
                error = where + ": bad \"port\"";
                return false;
            }
            a->port = p.get<int>();
        }
        hosts.push_back(*a);
    }
    return true;
}

}  // namespace

std::vector<std::string_view> textLines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        out.push_back(text.substr(0, nl));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return out;
}

bool parseHostList(std::string_view text, std::vector<m350::NetAddress>& hosts,
                   std::string& error) {
    hosts.clear();
    // "[" opens an IPv6 address too; the JSON array has "{" or "]" next.
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '{')
        return parseDiscoverJson(text, hosts, error);
    if (first != std::string_view::npos && text[first] == '[') {
        const auto next = text.find_first_not_of(" \t\r\n", first + 1);
        if (next == std::string_view::npos || text[next] == '{' || text[next] == ']')
            return parseDiscoverJson(text, hosts, error);
    }
    int number = 0;
    for (std::string_view line : textLines(text)) {
        ++number;
        if (const auto hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        line = m350::trimBlanks(line);
        if (line.empty()) continue;
        auto a = parseNetAddress(line);
        if (!a) {
            error = "line " + std::to_string(number) + ": not HOST[:PORT]: " + std::string(line);
            return false;
        }
        // 0.0.0.0 names no printer: a connection to it reaches this computer.
        if (a->address == "0.0.0.0") {
            error = "line " + std::to_string(number) +
                    ": not a printer's address: " + std::string(line);
            return false;
        }
        hosts.push_back(*a);
    }
    return true;
}

}  // namespace m350::cli
