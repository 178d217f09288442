// Amount in words: the texts printed on payment orders, spaces included.
#include "documents/AmountInWords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

using documents::AmountInWords;
using documents::TripletInWords;

namespace {

struct AmountCase {
    double amount;
    const char* text;
};

std::ostream& operator<<(std::ostream& os, const AmountCase& c) { return os << c.amount << " -> \"" << c.text << '"'; }

class AmountInWordsTable : public ::testing::TestWithParam<AmountCase> {};

TEST_P(AmountInWordsTable, GivesExactText) { EXPECT_EQ(AmountInWords(GetParam().amount), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(WorkedExamples, AmountInWordsTable,
                         ::testing::Values(AmountCase{1.00, " un leu "}, AmountCase{1.01, " un leu si un ban"},
                                           AmountCase{2.05, " doi lei si cincibani"}, AmountCase{5.00, "cinci lei "},
                                           AmountCase{12.50, "doisprezece lei si cincizecide bani"},
                                           AmountCase{105.07, "osutacinci lei si saptebani"},
                                           AmountCase{1000.00, " o mie lei"},
                                           AmountCase{2013.00, "doua mii treisprezece lei "},
                                           AmountCase{1000000.00, " un milion lei"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, AmountInWordsTable,
    ::testing::Values(AmountCase{0.0, ""}, AmountCase{0.004, ""},
                      AmountCase{1.125, " un leu si doisprezecebani"},  // 112.5 bani, half to even
                      AmountCase{0.375, "treizecisioptde bani"},        // 37.5 bani, half to even
                      AmountCase{11.11, "unsprezece lei si unsprezecebani"},
                      AmountCase{1001000.00, " un milion  o mie lei"},
                      AmountCase{2002000.00, "doua milioane doua mii lei"}, AmountCase{1001.00, " o mie  un leu "},
                      AmountCase{2002.00, "doua mii  doi lei "}, AmountCase{12000.00, "doisprezece mii lei"},
                      AmountCase{101000.00, "osutauna mii lei"}, AmountCase{100.00, "osuta lei "},
                      AmountCase{112.00, "osutadoisprezece lei "}, AmountCase{2000000000.00, "doua miliarde lei"},
                      AmountCase{1000000000.00, " un miliard lei"}, AmountCase{1000000000000.00, " un trilion lei"},
                      AmountCase{99999999999999.00,
                                 "nouazecisinoua de trilioane nouasutenouazecisinoua de miliarde "
                                 "nouasutenouazecisinoua de milioane nouasutenouazecisinoua de mii "
                                 "nouasutenouazecisinoua de lei "}));

// Bani alone: "un ban", a number below 20 joined to "bani", 20 and above with "de bani".
INSTANTIATE_TEST_SUITE_P(BaniForms, AmountInWordsTable,
                         ::testing::Values(AmountCase{0.01, "un ban"}, AmountCase{0.02, "doibani"},
                                           AmountCase{0.10, "zecebani"}, AmountCase{0.19, "nouasprezecebani"},
                                           AmountCase{0.20, "douazecide bani"},
                                           AmountCase{0.21, "douazecisiunude bani"},
                                           AmountCase{0.50, "cincizecide bani"},
                                           AmountCase{0.99, "nouazecisinouade bani"}));

// Whole thousands with bani name the lei before the bani; 20 and more of a
// group take "de" before the group name.
INSTANTIATE_TEST_SUITE_P(RomanianWording, AmountInWordsTable,
                         ::testing::Values(AmountCase{1000.50, " o mie lei si cincizecide bani"},
                                           AmountCase{1000000.07, " un milion lei si saptebani"},
                                           AmountCase{3000.01, "trei mii lei si un ban"},
                                           AmountCase{25.00, "douazecisicinci de lei "},
                                           AmountCase{25.50, "douazecisicinci de lei si cincizecide bani"},
                                           AmountCase{120000.00, "osutadouazeci de mii lei"},
                                           AmountCase{21000.00, "douazecisiuna de mii lei"},
                                           AmountCase{93427754.00,
                                                      "nouazecisitrei de milioane patrusutedouazecisisapte de mii "
                                                      "saptesutecincizecisipatru de lei "}));

// Amounts that have no wording give an empty text instead of failing.
INSTANTIATE_TEST_SUITE_P(NoWording, AmountInWordsTable,
                         ::testing::Values(AmountCase{-1.00, ""}, AmountCase{-0.50, ""}, AmountCase{-0.0, ""},
                                           AmountCase{-1000000.00, ""}, AmountCase{100000000000000.00, ""},
                                           AmountCase{123456789012345.67, ""}, AmountCase{1e300, ""},
                                           AmountCase{std::numeric_limits<double>::infinity(), ""},
                                           AmountCase{-std::numeric_limits<double>::infinity(), ""},
                                           AmountCase{std::numeric_limits<double>::quiet_NaN(), ""},
                                           AmountCase{std::numeric_limits<double>::denorm_min(), ""}));

TEST(AmountInWords, LargestAmountBelowLimitIsWritten) {
    // The last double below 10^14 lei still has 16 digits of bani.
    const double below = std::nextafter(1e14, 0.0);
    const std::string text = AmountInWords(below);
    EXPECT_EQ(text.rfind("nouazecisinoua de trilioane ", 0), 0u) << text;
    EXPECT_NE(text.find("de lei si "), std::string::npos) << text;
}

TEST(TripletInWords, HundredsTensAndUnits) {
    EXPECT_EQ(TripletInWords(1, 0, 0, 1), "osuta");
    EXPECT_EQ(TripletInWords(2, 0, 0, 1), "douasute");
    EXPECT_EQ(TripletInWords(6, 0, 0, 1), "sasesute");
    EXPECT_EQ(TripletInWords(0, 2, 0, 1), "douazeci");
    EXPECT_EQ(TripletInWords(0, 6, 0, 1), "sasezeci");
    EXPECT_EQ(TripletInWords(1, 2, 5, 1), "osutadouazecisicinci");
    EXPECT_EQ(TripletInWords(9, 9, 9, 5), "nouasutenouazecisinoua");
    EXPECT_EQ(TripletInWords(4, 0, 7, 1), "patrusutesapte");
}

TEST(TripletInWords, TeensEndTheGroup) {
    EXPECT_EQ(TripletInWords(0, 1, 0, 1), "zece");
    EXPECT_EQ(TripletInWords(0, 1, 1, 1), "unsprezece");
    EXPECT_EQ(TripletInWords(0, 1, 2, 1), "doisprezece");
    EXPECT_EQ(TripletInWords(0, 1, 2, 2), "doisprezece");
    EXPECT_EQ(TripletInWords(0, 1, 4, 1), "patrusprezece");
    EXPECT_EQ(TripletInWords(0, 1, 6, 1), "sasesprezece");
    EXPECT_EQ(TripletInWords(3, 1, 1, 3), "treisuteunsprezece");
}

TEST(TripletInWords, OneAndTwoInHigherGroups) {
    // Group 1 keeps "unu" and "doi".
    EXPECT_EQ(TripletInWords(0, 0, 1, 1), "unu");
    EXPECT_EQ(TripletInWords(0, 0, 2, 1), "doi");
    EXPECT_EQ(TripletInWords(0, 2, 1, 1), "douazecisiunu");
    EXPECT_EQ(TripletInWords(3, 0, 1, 1), "treisuteunu");
    // From group 2 up: a lone 1 stays "unu" (for the one-forms), 1 after
    // tens or hundreds is "una", and 2 is always "doua".
    EXPECT_EQ(TripletInWords(0, 0, 1, 2), "unu");
    EXPECT_EQ(TripletInWords(0, 2, 1, 2), "douazecisiuna");
    EXPECT_EQ(TripletInWords(3, 0, 1, 4), "treisuteuna");
    EXPECT_EQ(TripletInWords(0, 0, 2, 2), "doua");
    EXPECT_EQ(TripletInWords(0, 3, 2, 3), "treizecisidoua");
    EXPECT_EQ(TripletInWords(5, 0, 2, 5), "cincisutedoua");
}

TEST(TripletInWords, EmptyForZeroOrInvalidDigits) {
    EXPECT_EQ(TripletInWords(0, 0, 0, 1), "");
    EXPECT_EQ(TripletInWords(0, 0, 0, 4), "");
    EXPECT_EQ(TripletInWords(10, 0, 0, 1), "");
    EXPECT_EQ(TripletInWords(0, -1, 0, 1), "");
    EXPECT_EQ(TripletInWords(0, 0, 12, 2), "");
}

}  // namespace
