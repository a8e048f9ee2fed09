// Command lines change the simulated printer's settings; a later report shows them.
#include <gtest/gtest.h>

#include "commands.h"
#include "printer.h"

namespace m350sim {
namespace {

TEST(CommandArguments, SplitHonoursQuotes) {
    EXPECT_EQ(splitArgs("\"a\", 1 ,\"b,c\""), (std::vector<std::string>{"a", "1", "b,c"}));
    EXPECT_EQ(splitArgs(" \"\" "), (std::vector<std::string>{""}));
    EXPECT_EQ(splitArgs("   "), (std::vector<std::string>{}));
    EXPECT_EQ(splitArgs("96,N,8,1"), (std::vector<std::string>{"96", "N", "8", "1"}));
}

TEST(CommandArguments, LengthsInInchesMillimetresAndDots) {
    EXPECT_EQ(lengthToDots("4.00", 203), 812);
    EXPECT_EQ(lengthToDots("101.50 mm", 203), 812);
    EXPECT_EQ(lengthToDots("12 dot", 300), 12);
    EXPECT_EQ(lengthToDots("x", 203), std::nullopt);
    EXPECT_EQ(lengthToDots("3 furlongs", 203), std::nullopt);
    EXPECT_DOUBLE_EQ(dotsPerMm(203), 8.0);
    EXPECT_DOUBLE_EQ(dotsPerMm(300), 11.8);
}

}  // namespace
}  // namespace m350sim
