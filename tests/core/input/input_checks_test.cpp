// SPDX-License-Identifier: MIT
// The shared checks of typed values, case by case.
#include "core/input/input_checks.h"

#include <gtest/gtest.h>

#include "core/files/file_types.h"

namespace m350 {
namespace {

TEST(InputChecks, QuotedTextsRefuseQuotesAndControlBytes) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"MyNet", std::string::npos},
        {"", std::string::npos},
        {"Caf\xE9 \xD0\x9C\xD0\xB8\xD1\x80", std::string::npos},  // code-page bytes pass
        {"My\"Net", 2},
        {"AA\"\r\nINITIALPRINTER\r\n", 2},
        {"a\rb", 1},
        {"a\nb", 1},
        {std::string("a\0b", 3), 1},
        {"tab\there", 3},
        {"del\x7F", 3},
    };
    for (const auto& [text, offset] : cases) {
        EXPECT_EQ(findUnquotableByte(text), offset) << text;
        EXPECT_EQ(quotable(text), offset == std::string::npos) << text;
    }
}

TEST(InputChecks, NumbersKeepTheirRangeAndPrecision) {
    using ranges::kSpeed, ranges::kZDarkness, ranges::kZLeftPosition, ranges::kMonth;
    struct Case {
        const char* text;
        NumberRule rule;
        NumberFault fault;
        double value;
    };
    const Case cases[] = {
        {"2.5", kSpeed, NumberFault::kNone, 2.5},
        {"3,5", kSpeed, NumberFault::kNone, 3.5},
        {" 3 ", kSpeed, NumberFault::kNone, 3},
        {"3.29999995231628", kSpeed, NumberFault::kNone, 3.29999995231628},  // 3.3f as shown
        {"3.25", kSpeed, NumberFault::kTooPrecise, 3.25},
        {"100", kSpeed, NumberFault::kOutOfRange, 100},
        {"", kSpeed, NumberFault::kEmpty, 0},
        {"3.", kSpeed, NumberFault::kNone, 3},
        {"abc", kSpeed, NumberFault::kNotANumber, 0},
        {"inf", kSpeed, NumberFault::kNotANumber, 0},
        {"0x10", kZDarkness, NumberFault::kNotANumber, 0},
        {"30", kZDarkness, NumberFault::kNone, 30},
        {"99", kZDarkness, NumberFault::kOutOfRange, 99},
        {"-1", kZDarkness, NumberFault::kOutOfRange, -1},
        {"1.5", kZDarkness, NumberFault::kNotANumber, 0},
        {"123456", kZLeftPosition, NumberFault::kOutOfRange, 123456},
        {"-9999", kZLeftPosition, NumberFault::kNone, -9999},
        {"+12", kZLeftPosition, NumberFault::kNone, 12},
        {"13", kMonth, NumberFault::kOutOfRange, 13},
        {"99999999999999999999", kMonth, NumberFault::kNotANumber, 0},
    };
    for (const Case& c : cases) {
        const NumberVerdict v = checkNumber(c.text, c.rule);
        EXPECT_EQ(v.fault, c.fault) << c.text;
        EXPECT_DOUBLE_EQ(v.value, c.value) << c.text;
    }
    EXPECT_EQ(rangeText(kZDarkness), "0 to 30");
    EXPECT_EQ(rangeText(kZLeftPosition), "-9999 to 9999");
    EXPECT_EQ(rangeText(kSpeed), "0.1 to 99.9");
}

TEST(InputChecks, Ipv4AddressesAreFourDecimalParts) {
    const std::pair<const char*, bool> cases[] = {
        {"192.168.0.1", true}, {"0.0.0.0", true},      {"255.255.255.255", true},
        {"10.1.2.300", false}, {"255.255.0", false},   {"abc", false},
        {"", false},           {"1.2.3.4.5", false},   {"1..2.3", false},
        {" 1.2.3.4", false},   {"1.2.3.4 ", false},    {"010.1.1.1", false},
        {"1.2.3.-4", false},   {"1.2.3.4\r\n", false}, {"1.2.3.1000", false},
    };
    for (const auto& [text, ok] : cases) EXPECT_EQ(isIpv4Address(text), ok) << text;
}

TEST(InputChecks, PrinterFileNamesTheFileSystemCanHold) {
    const std::pair<std::string, NameProblem> cases[] = {
        {"LOGO.BMP", NameProblem::kNone},
        {"A B.BMP", NameProblem::kNone},
        {std::string(30, 'A'), NameProblem::kNone},
        {std::string(31, 'A'), NameProblem::kTooLong},
        {"", NameProblem::kEmpty},
        {"*.*", NameProblem::kWildcard},
        {"LOGO?.BMP", NameProblem::kWildcard},
        {"a/b\\c.BMP", NameProblem::kSeparator},
        {"a\\c.BMP", NameProblem::kSeparator},
        {"   ", NameProblem::kBlank},
        {" LOGO.BMP", NameProblem::kBlank},
        {"LOGO\".BMP", NameProblem::kUnsafeCharacter},
        {"LOGO\r\nKILL \"*.*\"", NameProblem::kUnsafeCharacter},
    };
    for (const auto& [name, problem] : cases) {
        EXPECT_EQ(checkPrinterFileName(name), problem) << name;
        EXPECT_EQ(nameRuleText(problem).empty(), problem == NameProblem::kNone) << name;
    }
    // A raw send uses no name: only the length rule holds, and no size limit.
    EXPECT_TRUE(checkDownload("", 1ull << 33, true).ok());
    EXPECT_EQ(checkDownload(std::string(31, 'A'), 1, true).name, NameProblem::kTooLong);
    EXPECT_TRUE(checkDownload("A.BMP", 0xFFFFFFFFull + 1, false).tooLarge);
    EXPECT_EQ(checkDownload("*.*", 1, false).name, NameProblem::kWildcard);
}

}  // namespace
}  // namespace m350
