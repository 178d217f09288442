// The one amount parser and formatter every field, report and command uses.
#include <gtest/gtest.h>

#include "data/Format.h"
#include "data/Money.h"

using data::AmountError;
using data::Bani;

namespace {

struct Locale {
    const char* name;
    char decimal, thousands;
};
const Locale kLocales[] = {{"C", '.', ','}, {"ro_RO", ',', '.'}};

class LocaleScope {
public:
    explicit LocaleScope(const Locale& l) : saved_(data::formatSettings()) {
        data::formatSettings().decimalSeparator = l.decimal;
        data::formatSettings().thousandSeparator = l.thousands;
    }
    ~LocaleScope() { data::formatSettings() = saved_; }

private:
    data::FormatSettings saved_;
};

}  // namespace

TEST(Money, TypedAmountsAreWhatTheUserMeantInEveryLocale) {
    struct Case {
        const char* typed;
        Bani bani;  // meaningful when error is None
        AmountError error;
    };
    const Case cases[] = {
        {"2350,40", 235040, AmountError::None},
        {"2350.40", 235040, AmountError::None},
        {"1245,50", 124550, AmountError::None},
        {"18.540,75", 1854075, AmountError::None},
        {"18,540.75", 1854075, AmountError::None},
        {"1 245,50", 124550, AmountError::None},
        {"1\xC2\xA0"
         "245,50",
         124550, AmountError::None},  // a no-break space copied from a printout
        {"1.245", 124500, AmountError::None},
        {"1,245", 124500, AmountError::None},
        {"1.245.678", 124567800, AmountError::None},
        {"1,245,678.5", 124567850, AmountError::None},
        {"12.345.678,90", 1234567890, AmountError::None},
        {"  315,6 ", 31560, AmountError::None},
        {"-250", -25000, AmountError::None},
        {"- 250,5", -25050, AmountError::None},
        {"+7", 700, AmountError::None},
        {",5", 50, AmountError::None},
        {"12,", 1200, AmountError::None},
        {"0", 0, AmountError::None},
        {"-0,00", 0, AmountError::None},
        {"99999999999,99", 9999999999999, AmountError::None},
        {"99.999.999.999,99", 9999999999999, AmountError::None},
        {"2350,405", 0, AmountError::TooManyDecimals},
        {"18.54075", 0, AmountError::TooManyDecimals},
        {"0.245", 0, AmountError::TooManyDecimals},
        {"1.2345", 0, AmountError::TooManyDecimals},
        {"1,245.678", 0, AmountError::TooManyDecimals},
        {"1.24", 124, AmountError::None},
        {"12.34.567", 0, AmountError::BadGrouping},
        {"1.245,678,5", 0, AmountError::BadGrouping},
        {"1,2,3", 0, AmountError::BadGrouping},
        {"1..245", 0, AmountError::BadGrouping},
        {"1 245.678,50", 0, AmountError::BadGrouping},
        {"12 34", 0, AmountError::BadGrouping},
        {"1.245 678", 0, AmountError::BadGrouping},
        {"0.00-250", 0, AmountError::BadCharacter},
        {"12a", 0, AmountError::BadCharacter},
        {"1e5", 0, AmountError::BadCharacter},
        {"--5", 0, AmountError::BadCharacter},
        {"lei", 0, AmountError::BadCharacter},
        {".", 0, AmountError::BadGrouping},
        {"   ", 0, AmountError::Empty},
        {"12345678901234", 0, AmountError::TooLarge},
    };
    for (const Locale& l : kLocales) {
        LocaleScope scope(l);
        for (const Case& c : cases) {
            const data::ParsedAmount p = data::parseAmount(c.typed);
            EXPECT_EQ(p.error, c.error) << l.name << " '" << c.typed << "'";
            if (c.error == AmountError::None) {
                ASSERT_TRUE(p.value) << c.typed;
                EXPECT_EQ(data::toBani(*p.value), c.bani) << l.name << " '" << c.typed << "'";
                // what is shown after leaving the field reads back as the same amount
                const std::string shown = data::formatAmount(*p.value);
                EXPECT_EQ(data::parseAmount(shown).value, p.value) << l.name << " " << shown;
            } else {
                EXPECT_FALSE(p.value) << c.typed;
            }
        }
    }
}

TEST(Money, AmountsAreWrittenOneWayWithTheLocaleSeparators) {
    struct Case {
        double amount;
        const char* c;
        const char* ro;
    };
    const Case cases[] = {
        {0, "0.00", "0,00"},
        {-0.004, "0.00", "0,00"},
        {1245.5, "1,245.50", "1.245,50"},
        {-20, "-20.00", "-20,00"},
        {1.005, "1.01", "1,01"},
        {-1.005, "-1.01", "-1,01"},
        {999.995, "1,000.00", "1.000,00"},
        {12163750.17, "12,163,750.17", "12.163.750,17"},
        {99999999999.99, "99,999,999,999.99", "99.999.999.999,99"},
        {74787.0299999999, "74,787.03", "74.787,03"},
    };
    for (const Case& k : cases) {
        {
            LocaleScope scope(kLocales[0]);
            EXPECT_EQ(data::formatAmount(k.amount), k.c);
        }
        LocaleScope scope(kLocales[1]);
        EXPECT_EQ(data::formatAmount(k.amount), k.ro);
    }
}

TEST(Money, RefusalsNameTheFieldAndWhatWasTyped) {
    const std::string m = data::amountErrorText("2350,405", "Valoarea", AmountError::TooManyDecimals);
    EXPECT_NE(m.find("'2350,405'"), std::string::npos) << m;
    EXPECT_NE(m.find("'Valoarea'"), std::string::npos) << m;
    EXPECT_NE(m.find("doua zecimale"), std::string::npos) << m;
}
