// SPDX-License-Identifier: MIT
#include "core/wireless/external_module.h"

#include <cctype>

#include "core/input/input_checks.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {

// Each command line is formatted into a 64-byte buffer: at most 63 bytes go out.
constexpr std::size_t kModuleCommandBytes = 63;

std::string commandWith(std::string_view prefix, std::string_view value) {
    std::string line(prefix);
    line.append(value);
    line.push_back('\r');
    if (line.size() > kModuleCommandBytes) {
        line.resize(kModuleCommandBytes - 1);
        line.push_back('\r');
    }
    return line;
}

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

int moduleExchange(Link& link, std::string_view command, std::optional<std::string_view> marker,
                   std::string* collected, int repeat) {
    std::string collection;
    auto handBack = [&](int result) {
        if (collected) *collected = collection;
        return result;
    };
    Connection c(link.ctx, link.iface);
    if (!c.open()) return handBack(kPortOpenError);
    for (int i = 0; i < (repeat < 1 ? 1 : repeat); ++i)
        if (!c.write(command)) return handBack(kTransmitError);
    std::uint8_t b = 0;
    for (;;) {
        if (marker && collection.find(*marker) != std::string::npos) return handBack(kOk);
        if (collection.size() >= kModuleCollectionBytes) return handBack(kReceiveError);
        if (!c.readByteWithin(b, link.ctx.timeouts.moduleReadMs))
            return handBack(marker ? kReceiveError : kOk);
        collection.push_back(static_cast<char>(b));
    }
}

int enterModuleMode(Link& link) {
    if (moduleExchange(link, kModuleSwitchCommand, std::nullopt) != kOk) return kTransmitError;
    if (moduleExchange(link, kModuleDebugCommand, std::string_view("U")) != kOk)
        return kNotSupported;
    return kOk;
}

int detectModule(Link& link, ConfigRecord& record) {
    record.setByte(Field::extBtPresent, 0);
    record.setByte(Field::extWifiPresent, 0);
    const int r = moduleExchange(link, kModuleDetectCommand, kModuleDetectMarker);
    if (r == kOk) record.setByte(Field::extBtPresent, 1);
    return r;
}

int readModule(Link& link, ConfigRecord& record) {
    if (record.byte(Field::extBtPresent) != 1) return kOk;
    moduleExchange(link, kModuleWakeCommand, std::nullopt);
    std::string answer;
    if (moduleExchange(link, kModuleNameCommand, std::nullopt, &answer) != kOk)
        return kTransmitError;
    if (auto name = parseModuleName(answer)) record.setText(Field::extBtName, *name);
    record.setText(Field::extBtPinCode, "");
    return kOk;
}

int writeModule(Link& link, const ConfigRecord& record) {
    if (record.byte(Field::extBtPresent) != 1) return kOk;
    // A CR would end the AT command early and run the rest as another one.
    if (!quotable(record.text(Field::extBtName)) || !quotable(record.text(Field::extBtPinCode)))
        return kTransmitError;
    if (moduleExchange(link, moduleSetNameCommand(record.text(Field::extBtName)),
                       kModuleDoneMarker) != kOk)
        return kTransmitError;
    if (moduleExchange(link, moduleSetPinCommand(record.text(Field::extBtPinCode)),
                       kModuleDoneMarker) != kOk)
        return kTransmitError;
    return kOk;
}

std::optional<std::string> parseModuleName(std::string_view answer) {
    std::size_t i = 0;
    while (i < answer.size() && isBlank(answer[i])) ++i;
    constexpr std::string_view kPrefix = "+LN:";
    if (answer.substr(i, kPrefix.size()) != kPrefix) return std::nullopt;
    i += kPrefix.size();
    // The word may follow after white space, as a formatted read of a word
    // skips it.
    while (i < answer.size() && isBlank(answer[i])) ++i;
    std::size_t end = i;
    while (end < answer.size() && !isBlank(answer[end]) && answer[end] != '\0') ++end;
    if (end == i) return std::nullopt;
    return std::string(answer.substr(i, end - i));
}

std::string moduleSetNameCommand(std::string_view name) {
    return commandWith("at+sln=", name);
}

std::string moduleSetPinCommand(std::string_view pin) {
    return commandWith("at+pin=", pin);
}

int setUpModule(Link& link, ConfigRecord& record) {
    showProgress(link.ctx, kStepMode, 3, 3);
    enterModuleMode(link);
    detectModule(link, record);
    readModule(link, record);
    hideProgress(link.ctx);
    return kOk;
}

}  // namespace m350
