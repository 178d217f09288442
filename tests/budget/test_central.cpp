// The deanery office's units without the window: the tree file, the unit
// directories under the group directories, the formulas of a unit's budget
// and the centralised budget, over a new installation in a temporary
// directory.
#include <array>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "budget/BudgetFixture.h"
#include "budget/CalcBilant.h"
#include "budget/UnitTree.h"
#include "support/OtherProgram.h"

using namespace budget;
using namespace budget_test;
namespace fs = std::filesystem;

namespace {

class UnitFixture : public BudgetFixture {
protected:
    // The first line numbered `nr` of a list.
    static Line first(const std::vector<Line>& lines, int nr) {
        for (const Line& l : lines)
            if (l.nr == nr) return l;
        ADD_FAILURE() << "no line " << nr;
        return {};
    }
    std::string parohii() { return db.file("PAROHII"); }
    std::string manastiri() { return db.file("MANASTIRI"); }
};

}  // namespace

// ---------------------------------------------------------------- tree file

TEST(TreeFile, LevelsByLeadingTabsOrBlanksAndTheFileFormatOnWriting) {
    TreeRead r =
        parseTree("PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\t\tSf. Nicolae\n  Sf. Ilie\r\n\r\n\tMANASTIRI\r\n");
    EXPECT_EQ(r.error, "");
    TreeLines expected{{0, "PROTOPOPIAT"}, {1, "OFICIU"},   {1, "PAROHII"},
                       {2, "Sf. Nicolae"}, {2, "Sf. Ilie"}, {1, "MANASTIRI"}};
    EXPECT_EQ(r.lines, expected);
    EXPECT_EQ(treeText(r.lines),
              "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\t\tSf. Nicolae\r\n\t\tSf. Ilie\r\n\tMANASTIRI\r\n");
    // a shallower line attaches under the nearest earlier node one level up
    EXPECT_EQ(parseTree("A\n\tB\n\t\tC\n\tD\n").lines, (TreeLines{{0, "A"}, {1, "B"}, {2, "C"}, {1, "D"}}));
    EXPECT_EQ(builtInTree(), (TreeLines{{0, "PROTOPOPIAT"}, {1, "OFICIU"}, {1, "PAROHII"}, {1, "MANASTIRI"}}));
}

TEST(TreeFile, AMalformedLineStopsTheReadingAndKeepsTheNodesBeforeIt) {
    TreeRead r = parseTree("PROTOPOPIAT\r\n\tPAROHII\r\n\t\t\tPrea adanc\r\n\tMANASTIRI\r\n");
    EXPECT_EQ(r.lines, (TreeLines{{0, "PROTOPOPIAT"}, {1, "PAROHII"}}));
    EXPECT_EQ(r.error, "Fisierul arbore.txt nu este corect: linia 3 nu se potriveste in structura!");

    // the first line is the root
    r = parseTree("\tOFICIU\r\n");
    EXPECT_TRUE(r.lines.empty());
    EXPECT_FALSE(r.error.empty());

    // lines that would become nodes without a name, or one node holding the file
    const struct {
        const char* text;
        size_t kept;
        const char* why;
    } malformed[] = {
        {"P\r\n\tPAROHII\r\n\t\t\r\n\t\tSf. Ion\r\n", 2, "linia 3 nu are nici o denumire!"},
        {"P\n\tPAROHII\n\t \n", 2, "linia 3 nu are nici o denumire!"},
        {"P\r\tPAROHII\r\t\tSf. Ion\r", 0, "linia 1 are sfarsituri de linie necunoscute (doar CR)!"},
        {"P\r\n\tPAROHII\r\n\t\tSf.\rIon\r\n", 2, "linia 3 are sfarsituri de linie necunoscute (doar CR)!"},
        {"P\n\tPAROHII\n\t\tSf. \x01Ion\n", 2, "linia 3 nu este un text valid!"},
        // neither UTF-8 nor Windows-1250 (0x98 is no letter there)
        {"PROTOPOPIAT\r\n\tPAROHII\r\n\t\tSf. \x98\r\n", 2, "linia 3 nu este un text valid!"},
    };
    for (const auto& m : malformed) {
        r = parseTree(m.text);
        EXPECT_EQ(r.lines.size(), m.kept) << m.text;
        EXPECT_EQ(r.error, std::string("Fisierul arbore.txt nu este corect: ") + m.why) << m.text;
    }
    // a file saved in Windows-1250 is read whole, in its letters
    r = parseTree(
        "P\r\n\tPAROHII\r\n\t\tSf. \xAAtefan\r\n\t\t\xCEn\xE3l\xFE"
        "area\r\n\tMANASTIRI\r\n");
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.lines, (TreeLines{{0, "P"}, {1, "PAROHII"}, {2, "Sf. Ştefan"}, {2, "Înălţarea"}, {1, "MANASTIRI"}}));

    // a unit name that begins with a blank is written as it is and read back one level deeper
    TreeLines withBlank{{0, "P"}, {1, "PAROHII"}, {2, "Sf. Ion"}, {2, " Sf. Ilie"}};
    EXPECT_EQ(parseTree(treeText(withBlank)).lines,
              (TreeLines{{0, "P"}, {1, "PAROHII"}, {2, "Sf. Ion"}, {3, "Sf. Ilie"}}));
    // ... but as the first unit of its group it keeps its blank, and the nodes after it stay
    TreeLines firstWithBlank{{0, "P"}, {1, "PAROHII"}, {2, " Sf. Ilie"}, {2, "Sf. Ion"}, {1, "MANASTIRI"}};
    r = parseTree(treeText(firstWithBlank));
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.lines, firstWithBlank);
    // blanks alone still count one level each: a line too deep by blanks without tabs stops the reading
    EXPECT_FALSE(parseTree("P\n\tPAROHII\n   Prea adanc\n").error.empty());
}

TEST(TreeFile, ReadFromDiskOnlyWhenAnOrdinaryFileOfBoundedSize) {
    TempDir dir;
    TreeRead r = readTreeFile(dir.path());
    EXPECT_TRUE(r.lines.empty());
    EXPECT_EQ(r.error.rfind("Nu pot citi fisierul :" + dir.file("arbore.txt"), 0), 0u) << r.error;

    fs::create_directory(dir.file("arbore.txt"));
    r = readTreeFile(dir.path());
    EXPECT_TRUE(r.lines.empty());
    EXPECT_NE(r.error.find("este un director"), std::string::npos) << r.error;
    fs::remove(dir.file("arbore.txt"));

    std::string big = "P\r\n";
    while (big.size() <= static_cast<size_t>(kMaxTreeFileBytes)) big += "\tOFICIU\r\n";
    writeFile(dir.file("arbore.txt"), big);
    r = readTreeFile(dir.path());
    EXPECT_TRUE(r.lines.empty());
    EXPECT_NE(r.error.find("prea mare"), std::string::npos) << r.error;
}

TEST(TreeFile, WrittenWholeOverTheFileInItsOwnLetterCaseAndReadBackIdentical) {
    TempDir dir;
    writeFile(dir.file("ARBORE.TXT"), "VECHI\r\n");
    TreeLines tree{{0, "PROTOPOPIAT"}, {1, "OFICIU"}, {1, "PAROHII"}};
    for (int i = 0; i < 100; ++i) tree.push_back({2, "Parohia " + std::to_string(i) + " Sfântul Ștefan"});
    tree.push_back({1, "MANASTIRI"});
    for (int i = 0; i < 100; ++i) tree.push_back({2, "Manastirea " + std::to_string(i)});
    writeTreeFile(dir.path(), tree);

    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"ARBORE.TXT"}));  // no second file, no temporary left
    EXPECT_EQ(readFile(dir.file("ARBORE.TXT")), treeText(tree));
    TreeRead back = readTreeFile(dir.path());
    EXPECT_EQ(back.error, "");
    EXPECT_EQ(back.lines, tree);

    // a name that cannot be written over is told, and nothing is left behind
    fs::remove(dir.file("ARBORE.TXT"));
    fs::create_directory(dir.file("arbore.txt"));
    try {
        writeTreeFile(dir.path(), tree);
        ADD_FAILURE() << "written over a directory";
    } catch (const UnitError& e) {
        EXPECT_EQ(std::string(e.what()), "Nu pot crea fisierul :" + dir.file("arbore.txt") +
                                             " inchideti fisierele aferente si repetati operatia!");
    }
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"arbore.txt"}));
}

// ---------------------------------------------------------------- unit directories

TEST(UnitNames, NamesThatCouldLeaveTheGroupDirectoryAreRefused) {
    for (const char* bad :
         {"", ".", "..", "a/b", "/unitate", "..\\x", "a\\b", "   ", ". .", "...", "a\tb", "a\nb", " Sf. Ilie"})
        EXPECT_FALSE(isValidUnitName(bad)) << bad;
    for (const char* good : {"Sf. Nicolae", "Sf. Ilie ", "Parohia Sfântul Ștefan", "..a", "Schitul 2"})
        EXPECT_TRUE(isValidUnitName(good)) << good;
    struct Case {
        const char *a, *b;
        bool same;
    } cases[] = {
        {"PAROHII", "Parohii", true},
        {"PAROHII", "PAROHI", false},
        {"parohia ștefan", "Parohia Ștefan", true},
        {"Parohia Ştefan", "PAROHIA ȘTEFAN", true},  // cedilla and comma
        {"Schitul Ţarina", "schitul țarina", true},
        {"Parohia Stefan", "Parohia Ștefan", false},
        {"Sf. Ilie", "Sf Ilie", false},
    };
    for (const Case& c : cases) EXPECT_EQ(sameDirectoryName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST_F(UnitFixture, AUnitNamedAgainInAnotherLetterCaseIsTheSameUnit) {
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Parohia Ștefan"));
    const auto made = entries(db.file("PAROHII"));
    EXPECT_FALSE(createUnitDirectory(db.path(), kParohii, "parohia ştefan"));
    EXPECT_EQ(entries(db.file("PAROHII")), made);
}

TEST_F(UnitFixture, RefusedNamesCreateNothingAnywhere) {
    const auto before = entries(db.path());
    // what lies beside the database directory is shared with other runs: compare, do not assume it empty
    const fs::path outside = fs::path(db.path()).parent_path().parent_path();
    const auto beside = std::array{fs::exists(outside / "x"), fs::exists(outside / "b"), fs::exists("/unitate")};
    for (const char* bad : {"..", "a/b", "/unitate", "..\\x", "../x", "../../x", "../../b", "  ", ". ."}) {
        try {
            createUnitDirectory(db.path(), kParohii, bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const UnitError& e) {
            EXPECT_EQ(std::string(e.what()), kInvalidUnitName);
        }
        EXPECT_THROW(copyUnitTemplate(db.path(), kManastiri, bad), UnitError);
        EXPECT_THROW(removeUnit(db.path(), kParohii, bad), UnitError);
        EXPECT_THROW(renameUnit(db.path(), kParohii, "Sf. Ion", bad), UnitError);
    }
    EXPECT_EQ(entries(db.path()), before);
    // nothing beside the database directory either
    EXPECT_EQ(beside, (std::array{fs::exists(outside / "x"), fs::exists(outside / "b"), fs::exists("/unitate")}));
}

TEST_F(UnitFixture, ALeadingBlankIsRefusedForNewNamesOnlyAnOlderUnitWithOneStaysUsable) {
    EXPECT_THROW(createUnitDirectory(db.path(), kParohii, " Sf. Ilie"), UnitError);
    EXPECT_FALSE(fs::exists(db.file("PAROHII/ Sf. Ilie")));
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Sf. Ilie"));
    EXPECT_THROW(renameUnit(db.path(), kParohii, "Sf. Ilie", " Sf. Ilie"), UnitError);
    EXPECT_TRUE(fs::exists(db.file("PAROHII/Sf. Ilie")));
    fs::create_directory(db.file("PAROHII/ Vechi"));
    EXPECT_EQ(unitBudgetDirectory(db.path(), kParohii, " Vechi"), db.file("PAROHII/ Vechi"));
    renameUnit(db.path(), kParohii, " Vechi", "Vechi");
    EXPECT_EQ(removeUnit(db.path(), kParohii, "Vechi"), RemoveResult::Removed);
}

TEST_F(UnitFixture, AddingCreatesTheDirectoryOnceWithTheGroupsTemplate) {
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Sf. Nicolae"));
    copyUnitTemplate(db.path(), kParohii, "Sf. Nicolae");
    EXPECT_TRUE(fs::is_regular_file(db.file("PAROHII/Sf. Nicolae/Bilant.DB")));
    std::vector<Line> unit = lines(db.file("PAROHII/Sf. Nicolae"));
    std::vector<Line> tpl = lines(db.path(), "BilantParohGol.DB");
    ASSERT_EQ(unit.size(), tpl.size());
    for (size_t i = 0; i < unit.size(); ++i) {
        EXPECT_EQ(unit[i].name, tpl[i].name);
        EXPECT_EQ(unit[i].formula, tpl[i].formula);
    }

    // the same name in another letter case is the same unit; an empty name the group itself
    EXPECT_FALSE(createUnitDirectory(db.path(), kParohii, "SF. NICOLAE"));
    EXPECT_FALSE(createUnitDirectory(db.path(), kParohii, ""));
    EXPECT_EQ(entries(db.file("PAROHII")),
              (std::set<std::string>{"Bilant.DB", "Sf. Nicolae", "Sf. Nicolae/Bilant.DB"}));

    // a name the file system refuses: the message of a unit that exists
    try {
        createUnitDirectory(db.path(), kManastiri, std::string(300, 'x'));
        ADD_FAILURE();
    } catch (const UnitError& e) {
        EXPECT_EQ(std::string(e.what()), unitExistsMessage(std::string(300, 'x')));
    }
}

TEST_F(UnitFixture, GroupDirectoriesAreFoundWhateverTheirLetterCase) {
    fs::rename(db.file("MANASTIRI"), db.file("Manastiri"));
    EXPECT_EQ(groupDirectory(db.path(), kManastiri), db.file("Manastiri"));
    ASSERT_TRUE(createUnitDirectory(db.path(), kManastiri, "Putna"));
    copyUnitTemplate(db.path(), kManastiri, "Putna");
    EXPECT_TRUE(fs::is_regular_file(db.file("Manastiri/Putna/Bilant.DB")));
    EXPECT_FALSE(fs::exists(db.file("MANASTIRI")));
    fs::rename(db.file("Manastiri/Putna"), db.file("Manastiri/PUTNA"));
    EXPECT_EQ(unitDirectory(db.path(), kManastiri, "Putna"), db.file("Manastiri/PUTNA"));

    // a template that is missing: the unit's file is named in the message
    fs::remove(db.file("BilantManastGol.DB"));
    ASSERT_TRUE(createUnitDirectory(db.path(), kManastiri, "Neamt"));
    try {
        copyUnitTemplate(db.path(), kManastiri, "Neamt");
        ADD_FAILURE();
    } catch (const UnitError& e) {
        EXPECT_EQ(std::string(e.what()), "Nu pot crea fisierul :" + db.path() +
                                             "MANASTIRI/Neamt/Bilant.DB inchideti fisierele aferente si repetati "
                                             "operatia!");
    }
}

TEST_F(UnitFixture, DeletingRemovesOnlyTheUnitsOwnBudget) {
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Sf. Ion"));
    copyUnitTemplate(db.path(), kParohii, "Sf. Ion");
    lines(db.file("PAROHII/Sf. Ion"));  // read once through the engine
    EXPECT_EQ(removeUnit(db.path(), kParohii, "SF. ION"), RemoveResult::Removed);
    EXPECT_FALSE(fs::exists(db.file("PAROHII/Sf. Ion")));
    EXPECT_EQ(removeUnit(db.path(), kParohii, "Sf. Ion"), RemoveResult::Missing);

    // a file of the user's stays, and the directory with it
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Sf. Ilie"));
    copyUnitTemplate(db.path(), kParohii, "Sf. Ilie");
    writeFile(db.file("PAROHII/Sf. Ilie/procesverbal.doc"), "de pastrat");
    try {
        removeUnit(db.path(), kParohii, "Sf. Ilie");
        ADD_FAILURE();
    } catch (const UnitError& e) {
        EXPECT_NE(std::string(e.what()).find("contine si alte fisiere, care au fost pastrate"), std::string::npos);
    }
    EXPECT_EQ(entries(db.file("PAROHII/Sf. Ilie")), (std::set<std::string>{"procesverbal.doc"}));
    EXPECT_EQ(readFile(db.file("PAROHII/Sf. Ilie/procesverbal.doc")), "de pastrat");

    // a unit directory that is a link leads nowhere outside
    TempDir outside;
    writeFile(outside.file("Bilant.DB"), "altceva");
    fs::create_directory_symlink(outside.path(), db.file("PAROHII/Legatura"));
    EXPECT_THROW(removeUnit(db.path(), kParohii, "Legatura"), UnitError);
    EXPECT_EQ(readFile(outside.file("Bilant.DB")), "altceva");
}

TEST_F(UnitFixture, ABudgetHeldByAnotherProgramStaysAndSoDoesItsDirectory) {
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Sf. Ion"));
    copyUnitTemplate(db.path(), kParohii, "Sf. Ion");
    OtherProgram reader(db.file("PAROHII/Sf. Ion"), "Bilant.DB");
    ASSERT_TRUE(reader.holding());
    try {
        removeUnit(db.path(), kParohii, "Sf. Ion");
        ADD_FAILURE();
    } catch (const UnitError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Nu pot sterge aceasta unitate, inchideti fisierele aferente si repetati operatia!");
    }
    EXPECT_TRUE(fs::exists(db.file("PAROHII/Sf. Ion/Bilant.DB")));
    EXPECT_THROW(renameUnit(db.path(), kParohii, "Sf. Ion", "Sf. Ioan"), UnitError);
    EXPECT_TRUE(fs::exists(db.file("PAROHII/Sf. Ion/Bilant.DB")));
}

TEST_F(UnitFixture, RenamingMovesTheBudgetWithItsFigures) {
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Sf. Ion"));
    copyUnitTemplate(db.path(), kParohii, "Sf. Ion");
    sqlIn(db.file("PAROHII/Sf. Ion"), "UPDATE \"Bilant.DB\" SET Prevederi = 125.5 WHERE Nr_rand = 2");
    ASSERT_TRUE(createUnitDirectory(db.path(), kParohii, "Sf. Ilie"));

    renameUnit(db.path(), kParohii, "Sf. Ion", "Sf. Ioan Botezatorul");
    EXPECT_FALSE(fs::exists(db.file("PAROHII/Sf. Ion")));
    EXPECT_EQ(first(lines(db.file("PAROHII/Sf. Ioan Botezatorul")), 2).prevederi, Value(125.5));

    // a name in use, whatever its letter case, is refused and nothing moves
    try {
        renameUnit(db.path(), kParohii, "Sf. Ioan Botezatorul", "SF. ILIE");
        ADD_FAILURE();
    } catch (const UnitError& e) {
        EXPECT_EQ(std::string(e.what()), "Unitatea SF. ILIE exista deja, alegeti alta denumire!");
    }
    EXPECT_TRUE(fs::exists(db.file("PAROHII/Sf. Ioan Botezatorul/Bilant.DB")));
    // only the letter case changes
    renameUnit(db.path(), kParohii, "Sf. Ioan Botezatorul", "SF. IOAN BOTEZATORUL");
    EXPECT_TRUE(fs::exists(db.file("PAROHII/SF. IOAN BOTEZATORUL/Bilant.DB")));
}

// ---------------------------------------------------------------- calculation

TEST_F(UnitFixture, CalculareEvaluatesAUnitsTypedBudgetAndGathersNothing) {
    receipt(day(2, 3), 2, 999.0);  // the office's documents never reach a unit
    const std::string dir = parohii();
    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Prevederi = Nr_rand * 10.0, Executie = Nr_rand * 1.0");
    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Prevederi = NULL, Executie = NULL WHERE Nr_rand = 3");
    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Prevederi = 777, Executie = 777 WHERE Nr_rand = 14");
    // a formula naming a later formula line, exact after the second pass
    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Formula = '29' WHERE Nr_rand = 13");
    int steps = 0, total = 0;
    CalcBilantSubunitate(dir, {{}, [&](int done, int t) { steps = done, total = t; }, {}});
    const std::vector<Line> l = lines(dir);
    EXPECT_EQ(first(l, 2).prevederi, Value(20.0));  // typed amounts stay
    EXPECT_EQ(first(l, 2).executie, Value(2.0));
    EXPECT_EQ(first(l, 3).prevederi, Value(0.0));  // blank ones become 0
    EXPECT_EQ(first(l, 3).executie, Value(0.0));
    EXPECT_EQ(first(l, 1).executie, Value(1.0));  // no opening balance gathered
    EXPECT_EQ(first(l, 13).prevederi, Value(610.0));
    EXPECT_EQ(first(l, 13).executie, Value(61.0));
    // 2..12 typed (line 3 blank), 13 = 29 = 30 + 31
    EXPECT_EQ(first(l, 14).prevederi, Value(740.0 + 610.0));
    EXPECT_EQ(first(l, 14).executie, Value(74.0 + 61.0));
    EXPECT_EQ(first(l, 32).executie, Value(286.0 + 61.0));
    EXPECT_EQ(first(l, 33).executie, Value(1.0 + 135.0 - 347.0));
    // both lines of the shared number carry the subtotal
    int shared = 0;
    for (const Line& x : l) {
        if (x.nr != 15) continue;
        EXPECT_EQ(x.executie, Value(286.0)) << x.name;
        ++shared;
    }
    EXPECT_EQ(shared, 2);
    EXPECT_EQ(total, 2 * static_cast<int>(l.size()));
    EXPECT_EQ(steps, total);
}

TEST_F(UnitFixture, CalculareStopsOnABadFormulaAndKeepsWhatWasWritten) {
    const std::string dir = parohii();
    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Prevederi = 5.0, Executie = 1.0 WHERE Formula IS NULL");
    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Formula = '3+' WHERE Nr_rand = 29");
    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Formula = '99' WHERE Nr_rand = 33");  // no line 99
    try {
        CalcBilantSubunitate(dir);
        ADD_FAILURE();
    } catch (const BilantError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Eroare de acces la tabela bilant!\n", 0), 0u) << text;
        EXPECT_EQ(text.back(), '!');
    }
    std::vector<Line> l = lines(dir);
    EXPECT_EQ(first(l, 14).prevederi, Value(60.0));  // evaluated before the bad formula
    EXPECT_EQ(first(l, 29).prevederi, Value(0.0));

    sqlIn(dir, "UPDATE \"Bilant.DB\" SET Formula = '30+31' WHERE Nr_rand = 29");
    CalcBilantSubunitate(dir);
    l = lines(dir);
    EXPECT_TRUE(first(l, 33).prevederi.isNull());  // a missing line leaves the line blank
    EXPECT_TRUE(first(l, 33).executie.isNull());

    // a directory without its budget
    fs::remove(db.file("MANASTIRI/Bilant.DB"));
    EXPECT_THROW(CalcBilantSubunitate(manastiri()), BilantError);
}

TEST_F(UnitFixture, CentralizareAddsTheThreeMappedLines) {
    sql("UPDATE \"Bilant.DB\" SET Prevederi = 1.0, Executie = 2.0");
    sqlIn(parohii(), "UPDATE \"Bilant.DB\" SET Prevederi = 10.0, Executie = 20.0");
    sqlIn(manastiri(), "UPDATE \"Bilant.DB\" SET Prevederi = 100.0, Executie = NULL");
    sqlIn(manastiri(), "UPDATE \"Bilant.DB\" SET Executie = 200.0 WHERE Nr_rand = 2");
    sql("UPDATE \"BilantCentral.DB\" SET Prevederi = 55, Executie = 55");
    // mapped only to the office: its figures; mapped to nothing: 0; a blank mapping is line 0
    sql("UPDATE \"BilantCentral.DB\" SET Rd_paroh = 90, Rd_manast = 91 WHERE Nr_rand = 3");
    sql("UPDATE \"BilantCentral.DB\" SET Rd_oficiu = 80, Rd_paroh = 81, Rd_manast = 82 WHERE Nr_rand = 4");
    sql("UPDATE \"BilantCentral.DB\" SET Rd_oficiu = NULL, Rd_paroh = NULL, Rd_manast = NULL WHERE Nr_rand = 5");
    sqlIn(parohii(), "UPDATE \"Bilant.DB\" SET Prevederi = 7.0 WHERE Nr_rand = 0");
    // the first line of a shared number in index order
    sql("UPDATE \"Bilant.DB\" SET Prevederi = 3.0 WHERE Denumire = 'CHELTUIELI'");

    CentralizBilant();
    std::vector<Line> c = lines(db.path(), "BilantCentral.DB");
    EXPECT_EQ(first(c, 2).prevederi, Value(111.0));
    EXPECT_EQ(first(c, 2).executie, Value(222.0));
    EXPECT_EQ(first(c, 6).executie, Value(22.0));  // a blank amount counts as 0
    EXPECT_EQ(first(c, 3).prevederi, Value(1.0));
    EXPECT_EQ(first(c, 3).executie, Value(2.0));
    EXPECT_EQ(first(c, 4).prevederi, Value(0.0));
    EXPECT_EQ(first(c, 4).executie, Value(0.0));
    EXPECT_EQ(first(c, 5).prevederi, Value(1.0 + 7.0 + 100.0));
    EXPECT_EQ(first(c, 15).prevederi, Value(3.0 + 10.0 + 100.0));
    for (const Line& l : c) EXPECT_NE(l.prevederi, Value(55.0)) << l.nr;

    // twice without changes: the same figures
    CentralizBilant();
    std::vector<Line> again = lines(db.path(), "BilantCentral.DB");
    ASSERT_EQ(again.size(), c.size());
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(again[i].prevederi, c[i].prevederi);
        EXPECT_EQ(again[i].executie, c[i].executie);
    }
}

TEST_F(UnitFixture, CentralizareWithoutTheMonasteriesBudgetChangesNoLine) {
    fs::rename(db.file("PAROHII"), db.file("Parohii"));  // found whatever its letter case
    sql("UPDATE \"BilantCentral.DB\" SET Prevederi = 55, Executie = 66");
    fs::remove(db.file("MANASTIRI/Bilant.DB"));
    try {
        CentralizBilant();
        ADD_FAILURE();
    } catch (const BilantError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Eroare de acces la tabela bilant!\n", 0), 0u) << e.what();
    }
    for (const Line& l : lines(db.path(), "BilantCentral.DB")) {
        EXPECT_EQ(l.prevederi, Value(55.0));
        EXPECT_EQ(l.executie, Value(66.0));
    }
}

TEST_F(UnitFixture, TheDeliveredTablesMakeASensibleCentralisedBudget) {
    // the office as computed from its documents, the groups as typed and calculated
    receipt(day(3, 2), 2, 300.0);
    payment(day(4, 2), 18, 50.0);
    CalcBilant(day(31, 12));
    for (const std::string& dir : {parohii(), manastiri()}) {
        sqlIn(dir, "UPDATE \"Bilant.DB\" SET Executie = 1000.0 WHERE Nr_rand = 1");
        sqlIn(dir, "UPDATE \"Bilant.DB\" SET Executie = 400.0, Prevederi = 500.0 WHERE Nr_rand = 4");
        sqlIn(dir, "UPDATE \"Bilant.DB\" SET Executie = 150.0 WHERE Nr_rand = 24");
        CalcBilantSubunitate(dir);
    }
    CentralizBilant();
    std::vector<Line> c = lines(db.path(), "BilantCentral.DB");
    std::vector<Line> office = lines();
    ASSERT_EQ(c.size(), office.size());
    for (size_t i = 0; i < c.size(); ++i) EXPECT_EQ(c[i].name, office[i].name);
    EXPECT_EQ(first(c, 1).executie, Value(6000.0 + 2000.0));
    EXPECT_EQ(first(c, 14).executie, Value(300.0 + 800.0));  // total income
    EXPECT_EQ(first(c, 14).prevederi, Value(1000.0));
    EXPECT_EQ(first(c, 32).executie, Value(50.0 + 300.0));             // total expenses
    EXPECT_EQ(first(c, 33).executie, Value(8000.0 + 1100.0 - 350.0));  // closing balance
    // the templates hold the same lines as the group budgets
    EXPECT_EQ(lines(db.path(), "BilantParohGol.DB").size(), office.size());
    EXPECT_EQ(lines(db.path(), "BilantManastGol.DB").size(), office.size());
}
