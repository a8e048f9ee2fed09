// SPDX-License-Identifier: MIT
#include "core/input/input_checks.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace m350 {

namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits with an optional leading '-' and, for reals, one decimal point and
// an exponent; nothing that from_chars would read as inf, nan or hex.
std::optional<double> parse(std::string_view text, bool integer) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::string s(text);
    if (!integer) {
        if (auto comma = s.find(','); comma != std::string::npos) s[comma] = '.';
    }
    for (char c : s) {
        const bool ok =
            isAsciiDigit(c) || c == '-' || (!integer && (c == '.' || c == 'e' || c == 'E'));
        if (!ok) return std::nullopt;
    }
    double v = 0;
    const char* end = s.data() + s.size();
    if (integer) {
        long long n = 0;
        auto [p, ec] = std::from_chars(s.data(), end, n);
        if (ec != std::errc() || p != end) return std::nullopt;
        v = static_cast<double>(n);
    } else {
        auto [p, ec] = std::from_chars(s.data(), end, v, std::chars_format::general);
        if (ec != std::errc() || p != end || !std::isfinite(v)) return std::nullopt;
    }
    return v;
}

std::string number(double v, int decimals) {
    char buf[64];
    if (v <= -2147483647.0 || v >= 2147483647.0) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
    } else {
        std::snprintf(buf, sizeof buf, "%.*f", decimals < 0 ? 0 : decimals, v);
        // "0.10" -> "0.1": no trailing zeros beyond what the value needs.
        std::string s(buf);
        if (s.find('.') != std::string::npos) {
            while (s.back() == '0') s.pop_back();
            if (s.back() == '.') s.pop_back();
        }
        return s;
    }
    return buf;
}

}  // namespace

std::size_t findUnquotableByte(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || c == '"') return i;
    }
    return std::string_view::npos;
}

NumberVerdict checkNumber(std::string_view text, const NumberRule& rule) {
    text = trim(text);
    if (text.empty()) return {NumberFault::kEmpty, 0};
    const auto v = parse(text, rule.integer);
    if (!v) return {NumberFault::kNotANumber, 0};
    if (*v < rule.min || *v > rule.max) return {NumberFault::kOutOfRange, *v};
    if (!rule.integer && rule.decimals >= 0) {
        const double scale = std::pow(10.0, rule.decimals);
        const double rounded = std::round(*v * scale) / scale;
        if (static_cast<float>(rounded) != static_cast<float>(*v))
            return {NumberFault::kTooPrecise, *v};
    }
    return {NumberFault::kNone, *v};
}

std::string rangeText(const NumberRule& rule) {
    const int decimals = rule.integer ? 0 : (rule.decimals < 0 ? 2 : rule.decimals);
    return number(rule.min, decimals) + " to " + number(rule.max, decimals);
}

bool isIpv4Address(std::string_view text) {
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        const std::size_t start = i;
        int value = 0;
        while (i < text.size() && isAsciiDigit(text[i]) && i - start < 3) {
            value = value * 10 + (text[i] - '0');
            ++i;
        }
        const std::size_t digits = i - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
        ++parts;
        if (i == text.size()) return parts == 4;
        if (text[i] != '.' || parts == 4) return false;
        ++i;
    }
}

}  // namespace m350
