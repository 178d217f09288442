// Names the Romanian way: the collation's order and equality, the fold used
// for "contains" matching, and both working in SQL over a real table file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/Collation.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "support/TempDir.h"

using namespace data;

TEST(Collation, OrdersTheRomanianAlphabetIgnoringCase) {
    const std::vector<std::string> expected = {"Ana",  "ăla",    "Âmbru", "bob",  "Ion", "îngeri",
                                               "sara", "Ștefan", "tata",  "Țara", "zet"};
    std::vector<std::string> names = {"zet",  "Țara", "îngeri", "Ștefan", "Âmbru", "ăla",
                                      "tata", "sara", "Ion",    "bob",    "Ana"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return romanianLess(a, b); });
    EXPECT_EQ(names, expected);
}

TEST(Collation, SameNameIgnoresCaseAndCedillaButNotDiacritics) {
    struct Case {
        const char *a, *b;
        bool same;
    } cases[] = {
        {"parohia ștefan", "Parohia Ștefan", true},
        {"Parohia Ştefan", "Parohia Ștefan", true},  // cedilla ş, comma ș
        {"ŢARA", "țara", true},
        {"Stefan", "Ștefan", false},
        {"lumanari", "lumânări", false},
        {"Ana", "Ana ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(sameName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(Collation, FoldFindsWithoutCaseOrDiacritics) {
    struct Case {
        const char *text, *typed;
        bool found;
    } cases[] = {
        {"Ștefan cel Mare", "ste", true},
        {"Ștefan cel Mare", "ște", true},
        {"Ştefan", "ŞTE", true},
        {"lumânări de ceară", "lumanari", true},
        {"Înmormântare", "inmormantare", true},
        {"Țiglă acoperiș", "tigla", true},
        {"Decomposed s\xCC\xA6tefan", "stefan", true},
        {"Ștefan", "stefi", false},
        {"", "a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(containsFolded(c.text, foldForMatch(c.typed)), c.found) << c.text << " / " << c.typed;
    EXPECT_TRUE(startsFolded("Ăla bala", foldForMatch("ala")));
    EXPECT_FALSE(startsFolded("bala Ăla", foldForMatch("ala")));
}

TEST(Collation, WorksInSqlOverATableFile) {
    TempDir dir;
    createTableFile(dir.file("Tip_venituri.DB"), *knownTable("Tip_venituri.DB"));
    insertRows(dir.file("Tip_venituri.DB"), {"Cod_venit", "Denumire"},
               {{1, "Zidire"}, {2, "Ștergare"}, {3, "sfeșnic"}, {4, "Țuică"}, {5, "Acatist"}});
    auto& s = SqlSession::forDirectory(dir.path());
    auto names = s.select("SELECT Denumire FROM Tip_venituri ORDER BY Denumire COLLATE RO");
    std::vector<std::string> got;
    for (const auto& r : names.rows) got.push_back(r[0].toString());
    EXPECT_EQ(got, (std::vector<std::string>{"Acatist", "sfeșnic", "Ștergare", "Țuică", "Zidire"}));
    auto same = s.select("SELECT count(*) FROM Tip_venituri WHERE Denumire = 'ştergare' COLLATE RO");
    EXPECT_EQ(same.rows[0][0].toInt(), 1);
}
