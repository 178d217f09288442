// A new installation: the tables it creates, the budget and catalogs it fills,
// and its refusal to overwrite an existing one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Errors.h"
#include "data/Install.h"
#include "data/Table.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace data;

namespace {

struct Row {
    std::map<std::string, Value> v;
    const Value& operator[](const std::string& f) const { return v.at(f); }
};

// Every row of a table in its default (primary-key or entry) order.
std::vector<Row> readTable(const std::string& dir, const std::string& name) {
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(name);
    t.open();
    std::vector<Row> rows;
    for (t.first(); !t.eof(); t.next()) {
        Row r;
        for (const auto& f : t.fields()) r.v[f->fieldName()] = f->value();
        rows.push_back(std::move(r));
    }
    t.close();
    return rows;
}

// Relative path -> bytes and modification time of every entry under `dir`.
std::map<std::string, std::pair<std::string, fs::file_time_type>> snapshot(const std::string& dir) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> s;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        std::string rel = fs::relative(e.path(), dir).generic_string();
        s[rel] = {e.is_regular_file() ? readFile(e.path()) : std::string(), fs::last_write_time(e.path())};
    }
    return s;
}

std::set<std::string> listing(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& [rel, _] : snapshot(dir)) names.insert(rel);
    return names;
}

// Terms of a formula ("2+3-5", "4*5"); fails the test on text outside the language.
std::vector<std::pair<char, int>> parseFormula(const std::string& f) {
    std::vector<std::pair<char, int>> terms;
    char op = '+';
    std::string digits;
    auto flush = [&] {
        std::string d;
        for (char c : digits)
            if (c != ' ') d += c;
        EXPECT_FALSE(d.empty()) << "empty term in " << f;
        EXPECT_TRUE(std::all_of(d.begin(), d.end(), ::isdigit)) << "bad term in " << f;
        if (!d.empty()) terms.push_back({op, std::stoi(d)});
        digits.clear();
    };
    for (char c : f) {
        if (c == '+' || c == '-' || c == '*' || c == '/') {
            flush();
            op = (c == '+' || c == '*') ? '+' : '-';
        } else {
            digits += c;
        }
    }
    flush();
    return terms;
}

const char* const kExpectedFiles[] = {
    "Parohia.DB",         "Contor.DB",         "Tip_doc.db",          "Tip_venituri.DB",  "Tip_cheltuieli.DB",
    "Venituri.DB",        "Cheltuieli.DB",     "Depuneri.db",         "Ridicari.db",      "Enoriasi.DB",
    "MembriiFam.db",      "Cununii.db",        "Botezuri.db",         "Inmormantari.db",  "Activitati.db",
    "Registru.DB",        "RegGol.DB",         "Bilant.DB",           "BilantCentral.DB", "BilantParohGol.DB",
    "BilantManastGol.DB", "PAROHII/Bilant.DB", "MANASTIRI/Bilant.DB", "Stoc.db",          "DocIn.db",
    "ItemIn.DB",          "Furnizori.db",      "arbore.txt",          "Jurnal.DB",        "PAROHII",
    "MANASTIRI",
};

}  // namespace

TEST(Install, CreatesEveryTableWithItsFieldsAndKeys) {
    TempDir tmp;
    std::vector<std::string> created = createInstallation(tmp.path());

    std::set<std::string> expected(std::begin(kExpectedFiles), std::end(kExpectedFiles));
    EXPECT_EQ(std::set<std::string>(created.begin(), created.end()), expected);
    EXPECT_EQ(listing(tmp.path()), expected);  // exact names on disk, nothing else
    EXPECT_LT(std::find(created.begin(), created.end(), "PAROHII") - created.begin(),
              std::find(created.begin(), created.end(), "PAROHII/Bilant.DB") - created.begin());

    // Fields that the windows declare, spelled as they must be stored.
    const std::map<std::string, std::string> someFields = {
        {"Parohia.DB",
         "Arhiepiscopia,Protopopiatul,Parohia,Strada,Nr,Localitatea,Judet,Preot,Epitrop,Banca,"
         "Cont bancar,An_lucru,Felmarosta,Tip_unitate,Cod_fiscal"},
        {"Contor.DB", "Count_venit,Count_chelt,Sold_init_casa,Sold_init_banca"},
        {"Venituri.DB",
         "Nr_act,Data,Fel,Cod_venit,Den_venit,Cod_enorias,Den_enorias,Explicatie,Valoarea,Cont,"
         "Data_registru,Nr_registru"},
        {"Registru.DB",
         "Data,Nr_doc,Fel,Explicatii,IncasariC,RidicariC,PlatiC,DepuneriC,SoldC,IncasariB,"
         "DepuneriB,PlatiB,RidicariB,SoldB,SoldT,Id"},
        {"BilantCentral.DB", "Nr_rand,Denumire,Prevederi,Executie,Formula,Rd_oficiu,Rd_paroh,Rd_manast"},
        {"ItemIn.DB", "Cod,Cod_secundar,Cod_articol,Denumire,Cantitate,UM,Pret_achizitie,Valoare"},
    };

    for (const TableSpec& spec : installationTables()) {
        SCOPED_TRACE(spec.fileName);
        Table t;
        t.setDatabaseName(tmp.path());
        t.setTableName(spec.fileName);
        std::vector<FieldDef> defs = t.fieldDefs();
        ASSERT_EQ(defs.size(), spec.columns.size());
        std::string names;
        for (size_t i = 0; i < defs.size(); ++i) {
            EXPECT_EQ(defs[i].name, spec.columns[i].name);
            EXPECT_EQ(defs[i].type, spec.columns[i].type) << defs[i].name;
            if (spec.columns[i].type == FieldType::String) {
                EXPECT_EQ(defs[i].size, spec.columns[i].size);
            }
            names += (i ? "," : "") + defs[i].name;
        }
        if (auto it = someFields.find(spec.fileName); it != someFields.end()) {
            EXPECT_EQ(names, it->second);
        }

        std::vector<IndexDef> idx = t.indexDefs();
        auto primary = std::find_if(idx.begin(), idx.end(), [](const IndexDef& d) { return d.primary; });
        if (spec.primaryKey.empty()) {
            EXPECT_EQ(primary, idx.end());
        } else {
            ASSERT_NE(primary, idx.end());
            EXPECT_EQ(primary->fields, spec.primaryKey);
        }
        for (const IndexSpec& want : spec.indexes) {
            auto got = std::find_if(idx.begin(), idx.end(), [&](const IndexDef& d) { return d.name == want.name; });
            ASSERT_NE(got, idx.end()) << want.name;
            EXPECT_EQ(got->fields, want.fields);
            EXPECT_EQ(got->caseInsensitive, want.caseInsensitive);
        }
        t.close();

        // Initial texts fit their fields; tables without initial contents are empty.
        std::vector<Row> rows = readTable(tmp.path(), spec.fileName);
        for (const Row& r : rows) {
            for (const ColumnDef& c : spec.columns) {
                if (c.type == FieldType::String) {
                    EXPECT_LE(r[c.name].toString().size(), static_cast<size_t>(c.size)) << r[c.name].toString();
                }
            }
        }
        static const std::set<std::string> filled = {
            "Parohia.DB",       "Tip_doc.db",        "Tip_venituri.DB",    "Tip_cheltuieli.DB", "Bilant.DB",
            "BilantCentral.DB", "BilantParohGol.DB", "BilantManastGol.DB", "PAROHII/Bilant.DB", "MANASTIRI/Bilant.DB"};
        EXPECT_EQ(rows.empty(), !filled.count(spec.fileName));
    }

    EXPECT_EQ(readFile(tmp.file("arbore.txt")), "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\tMANASTIRI\r\n");

    std::vector<Row> kinds = readTable(tmp.path(), "Tip_doc.db");
    EXPECT_GE(kinds.size(), 5u);
    std::set<std::string> kindNames;
    for (const Row& k : kinds) kindNames.insert(k["Denumire"].toString());
    EXPECT_EQ(kindNames.size(), kinds.size());
    EXPECT_TRUE(kindNames.count("Chitanta") && kindNames.count("Ordin de plata") && kindNames.count("Extras de cont"));
}

TEST(Install, CatalogsAndBudgetLinesAgree) {
    TempDir tmp;
    createInstallation(tmp.path());
    std::vector<Row> lines = readTable(tmp.path(), "Bilant.DB");
    ASSERT_GT(lines.size(), 5u);

    std::map<int, int> count;
    for (const Row& l : lines) ++count[static_cast<int>(l["Nr_rand"].toInt())];

    // Layout the printout relies on: line 0, line 1, then one number shared by
    // the expense heading and the line after it, lines 0..S-1 each once.
    EXPECT_EQ(lines[0]["Nr_rand"].toInt(), 0);
    EXPECT_EQ(lines[1]["Nr_rand"].toInt(), 1);
    std::vector<int> shared;
    for (auto [nr, n] : count)
        if (n > 1) shared.push_back(nr);
    ASSERT_EQ(shared.size(), 1u);
    const int S = shared[0];
    EXPECT_EQ(count[S], 2);
    for (int n = 0; n < S; ++n) EXPECT_EQ(count[n], 1) << "line " << n;
    EXPECT_EQ(lines[S]["Nr_rand"].toInt(), S);  // position S + 1: the heading
    EXPECT_TRUE(lines[S]["Formula"].isNull());
    EXPECT_NE(lines[S]["Denumire"].toString(), lines[S + 1]["Denumire"].toString());

    // Every catalog code names its own line, which receives the gathered sum
    // (the first line of that number) and is not computed by a formula.
    auto checkCatalog = [&](const char* table, const char* codeField, const char* explField) -> std::set<int> {
        std::set<int> codes;
        for (const Row& c : readTable(tmp.path(), table)) {
            int code = static_cast<int>(c[codeField].toInt());
            SCOPED_TRACE(std::string(table) + " " + std::to_string(code));
            codes.insert(code);
            EXPECT_GT(code, 1);
            EXPECT_EQ(count[code], 1);
            auto line =
                std::find_if(lines.begin(), lines.end(), [&](const Row& l) { return l["Nr_rand"].toInt() == code; });
            EXPECT_NE(line, lines.end());
            if (line != lines.end()) {
                EXPECT_TRUE((*line)["Formula"].isNull());
            }
            EXPECT_FALSE(c["Denumire"].toString().empty());
            EXPECT_FALSE(c[explField].toString().empty());
        }
        EXPECT_GE(codes.size(), 5u);
        return codes;
    };
    std::set<int> income = checkCatalog("Tip_venituri.DB", "Cod_venit", "Explicatie_venit");
    std::set<int> expense = checkCatalog("Tip_cheltuieli.DB", "Cod_cheltuiala", "Explicatie_cheltuiala");
    for (int c : income) EXPECT_FALSE(expense.count(c)) << c;
    EXPECT_TRUE(std::all_of(income.begin(), income.end(), [&](int c) { return c < S; }));
    EXPECT_TRUE(std::all_of(expense.begin(), expense.end(), [&](int c) { return c > S; }));

    // Run the calculation as the program does: gathered sums on the first line of
    // their number, then two formula passes in line order (a term sums every line
    // of its number; the result goes to every line of its number).
    std::vector<double> exec(lines.size(), 0.0);
    auto firstLine = [&](int nr) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i]["Nr_rand"].toInt() == nr) return i;
        return lines.size();
    };
    double opening = 1000.0, incomeSum = 0, expenseSum = 0;
    exec[firstLine(1)] = opening;
    for (int c : income) incomeSum += exec[firstLine(c)] = 10.0 * c + 0.25;
    for (int c : expense) expenseSum += exec[firstLine(c)] = 3.0 * c + 0.5;
    int formulas = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (const Row& l : lines) {
            if (l["Formula"].isNull()) continue;
            std::string f = l["Formula"].toString();
            EXPECT_FALSE(f.empty());
            double v = 0;
            for (auto [op, nr] : parseFormula(f)) {
                EXPECT_GT(count[nr], 0) << "formula " << f << " names missing line " << nr;
                double term = 0;
                for (size_t i = 0; i < lines.size(); ++i)
                    if (lines[i]["Nr_rand"].toInt() == nr) term += exec[i];
                v += op == '+' ? term : -term;
            }
            for (size_t i = 0; i < lines.size(); ++i)
                if (lines[i]["Nr_rand"].toInt() == l["Nr_rand"].toInt()) exec[i] = v;
            formulas += pass == 0;
        }
    EXPECT_GE(formulas, 3);
    // Lines without formula hold NULL, not an empty text: the calculation's
    // statements select formula lines with "Formula IS NOT NULL".
    ResultSet withFormula =
        SqlSession::forDirectory(tmp.path()).select("SELECT COUNT(*) FROM \"Bilant.DB\" WHERE Formula IS NOT NULL");
    SqlSession::releaseEverywhere(canonicalPath(tmp.file("Bilant.DB")));
    ASSERT_EQ(withFormula.rows.size(), 1u);
    EXPECT_EQ(withFormula.rows[0][0].toInt(), formulas);
    EXPECT_DOUBLE_EQ(exec.back(), opening + incomeSum - expenseSum);  // closing balance
    auto hasValue = [&](double want) {
        return std::any_of(exec.begin(), exec.end(), [&](double x) { return x == want; });
    };
    EXPECT_TRUE(hasValue(incomeSum));   // total income
    EXPECT_TRUE(hasValue(expenseSum));  // total expenses
    for (int c : expense) EXPECT_NE(exec[firstLine(c)], 0.0);

    // The templates and group budgets carry the same lines; the centralised budget
    // maps each line to the same number in the three budgets.
    for (const char* other :
         {"BilantParohGol.DB", "BilantManastGol.DB", "PAROHII/Bilant.DB", "MANASTIRI/Bilant.DB", "BilantCentral.DB"}) {
        SCOPED_TRACE(other);
        std::vector<Row> o = readTable(tmp.path(), other);
        ASSERT_EQ(o.size(), lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            for (const char* f : {"Nr_rand", "Denumire", "Formula"}) EXPECT_EQ(o[i][f], lines[i][f]) << f;
            if (std::string(other) != "BilantCentral.DB") continue;
            for (const char* f : {"Rd_oficiu", "Rd_paroh", "Rd_manast"}) {
                EXPECT_EQ(o[i][f].toInt(), lines[i]["Nr_rand"].toInt()) << f;
            }
        }
    }
}

TEST(Install, SecondInstallationRefusesAndChangesNothing) {
    TempDir tmp;
    createInstallation(tmp.path());
    auto before = snapshot(tmp.path());
    try {
        createInstallation(tmp.path());
        FAIL() << "second installation accepted";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Parohia.DB"), std::string::npos) << e.what();
    }
    EXPECT_EQ(snapshot(tmp.path()), before);
}

TEST(Install, OneExistingFileRefusesAndCreatesNothing) {
    // Letter case does not matter: "ridicari.DB" is the withdrawals table.
    for (const char* present : {"ridicari.DB", "MANASTIRI/Bilant.DB", "Parohii/bilant.db", "arbore.txt"}) {
        SCOPED_TRACE(present);
        TempDir tmp;
        fs::create_directories(fs::path(tmp.file(present)).parent_path());
        std::ofstream(tmp.file(present)) << "not ours";
        auto before = snapshot(tmp.path());
        try {
            createInstallation(tmp.path());
            FAIL() << "installation over an existing file accepted";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(present), std::string::npos) << e.what();
        }
        EXPECT_EQ(snapshot(tmp.path()), before);
    }
}

TEST(Install, ReusesGroupDirectoryOfAnyCaseAndCreatesMissingDirectory) {
    TempDir tmp;
    fs::create_directory(tmp.file("Parohii"));  // the same directory as "PAROHII"
    std::string dir = tmp.file("new/db");
    std::vector<std::string> created = createInstallation(dir);
    EXPECT_TRUE(fs::exists(dir + "/Bilant.DB"));
    created = createInstallation(tmp.path());
    EXPECT_EQ(std::count(created.begin(), created.end(), "Parohii/Bilant.DB"), 1);
    EXPECT_EQ(std::count(created.begin(), created.end(), "Parohii"), 0);
    EXPECT_FALSE(fs::exists(tmp.file("PAROHII")));
}

TEST(Install, TheUnitRecordHoldsTheCurrentYearAsWorkingYear) {
    TempDir tmp;
    setToday(Date{2031, 3, 4});
    createInstallation(tmp.path());
    setToday(std::nullopt);
    std::vector<Row> unit = readTable(tmp.path(), "Parohia.DB");
    ASSERT_EQ(unit.size(), 1u);  // the one unit record, its data typed in later
    EXPECT_EQ(unit[0]["An_lucru"], Value(2031));
    EXPECT_TRUE(unit[0]["Parohia"].isNull());
    EXPECT_FALSE(unit[0]["Felmarosta"].toBool());
}
