// The one amount parser and formatter every field, report and command uses.
#include <gtest/gtest.h>

#include "data/Format.h"
#include "data/Money.h"

using data::AmountError;

TEST(Money, TypedAmountsAreReadAsMeantAndWrittenBackInEveryLocale) {
    const struct {
        const char* typed;
        long long bani;  // when accepted
        AmountError error;
    } cases[] = {
        {"2350,40", 235040, AmountError::None},
        {"18.540,75", 1854075, AmountError::None},
        {"18,540.75", 1854075, AmountError::None},
        {"1 245,50", 124550, AmountError::None},
        {"1\xC2\xA0"
         "245,5",
         124550, AmountError::None},
        {"1.245", 124500, AmountError::None},
        {"1,245", 124500, AmountError::None},
        {"1,245,678.5", 124567850, AmountError::None},
        {"1.24", 124, AmountError::None},
        {"- 250", -25000, AmountError::None},
        {",5", 50, AmountError::None},
        {"-0,00", 0, AmountError::None},
        {"99.999.999.999,99", 9999999999999, AmountError::None},
        {"2350,405", 0, AmountError::TooManyDecimals},
        {"18.54075", 0, AmountError::TooManyDecimals},
        {"0.245", 0, AmountError::TooManyDecimals},
        {"1,245.678", 0, AmountError::TooManyDecimals},
        {"12.34.567", 0, AmountError::BadGrouping},
        {"1.245,678,5", 0, AmountError::BadGrouping},
        {"1..245", 0, AmountError::BadGrouping},
        {"1 245.678,50", 0, AmountError::BadGrouping},
        {"0.00-250", 0, AmountError::BadCharacter},
        {"1e5", 0, AmountError::BadCharacter},
        {"--5", 0, AmountError::BadCharacter},
        {"   ", 0, AmountError::Empty},
        {"12345678901234", 0, AmountError::TooLarge},
    };
    const data::FormatSettings saved = data::formatSettings();
    for (const char* seps : {".,", ",."}) {
        data::formatSettings().decimalSeparator = seps[0];
        data::formatSettings().thousandSeparator = seps[1];
        for (const auto& c : cases) {
            const data::ParsedAmount p = data::parseAmount(c.typed);
            EXPECT_EQ(p.error, c.error) << seps << " '" << c.typed << "'";
            EXPECT_EQ(p.value.has_value(), c.error == AmountError::None) << c.typed;
            if (!p.value) continue;
            EXPECT_EQ(data::toBani(*p.value), c.bani) << seps << " '" << c.typed << "'";
            // what the field shows when left reads back as the same amount
            EXPECT_EQ(data::parseAmount(data::formatAmount(*p.value)).value, p.value) << c.typed;
        }
    }
    data::formatSettings() = saved;
}

TEST(Money, AmountsAreWrittenOneWayRoundedHalfAwayFromZero) {
    const struct {
        double amount;
        const char* c;
        const char* ro;
    } cases[] = {
        {-0.004, "0.00", "0,00"},
        {1245.5, "1,245.50", "1.245,50"},
        {-1.005, "-1.01", "-1,01"},
        {999.995, "1,000.00", "1.000,00"},
        {74787.0299999999, "74,787.03", "74.787,03"},
        {99999999999.99, "99,999,999,999.99", "99.999.999.999,99"},
    };
    const data::FormatSettings saved = data::formatSettings();
    for (const auto& k : cases) {
        data::formatSettings() = saved;
        EXPECT_EQ(data::formatAmount(k.amount), k.c);
        data::formatSettings().decimalSeparator = ',';
        data::formatSettings().thousandSeparator = '.';
        EXPECT_EQ(data::formatAmount(k.amount), k.ro);
    }
    data::formatSettings() = saved;
}
