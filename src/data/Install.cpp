// A new installation: the table files with their initial contents, the group
// directories of the centralised budget and the unit tree file.
#include "data/Install.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "data/Clock.h"
#include "data/Errors.h"
#include "data/Journal.h"
#include "data/SqlTranslate.h"
#include "data/SqliteHandle.h"

namespace fs = std::filesystem;

namespace data {
namespace {

using FT = FieldType;

ColumnDef text(const char* name, int size) { return {name, FT::String, size}; }
ColumnDef col(const char* name, FT type) { return {name, type, 0}; }

TableSpec table(const char* file, std::vector<ColumnDef> columns, std::vector<std::string> key = {},
                std::vector<IndexSpec> indexes = {}) {
    return {file, std::move(columns), std::move(key), std::move(indexes)};
}

// ---------------------------------------------------------------- the budget

enum class LineKind { Heading, Opening, Income, Expense, Computed };

struct BudgetLine {
    int nr;
    const char* name;
    LineKind kind;
    const char* formula;      // computed lines only
    const char* explanation;  // default explanation of the catalog entry (income, expense)
};

// Income lines 2..13 and expense lines 16..28, 30, 31 are the catalog codes.
// The expense heading shares its number with the first expense line; that line
// is a subtotal, so the formula result lands on both and no gathered sum is
// ever stored on the heading (a lookup by number finds the heading first).
// Totals therefore add the detail lines, never the shared number.
const BudgetLine kBudget[] = {
    {0, "VENITURI", LineKind::Heading, nullptr, nullptr},
    {1, "Sold initial (disponibil in casa si in banca)", LineKind::Opening, nullptr, nullptr},
    {2, "Contributia enoriasilor", LineKind::Income, nullptr, "Contributia anuala a enoriasului"},
    {3, "Donatii si ofrande", LineKind::Income, nullptr, "Donatie pentru biserica"},
    {4, "Venituri din vanzarea lumanarilor", LineKind::Income, nullptr, "Vanzare lumanari"},
    {5, "Venituri din vanzarea obiectelor de cult si a cartilor", LineKind::Income, nullptr,
     "Vanzare obiecte de cult si carti"},
    {6, "Venituri din slujbe si ierurgii", LineKind::Income, nullptr,
     "Slujbe religioase (botez, cununie, inmormantare)"},
    {7, "Venituri din pomelnice, acatiste si parastase", LineKind::Income, nullptr, "Pomelnice, acatiste si parastase"},
    {8, "Venituri din chirii si arenzi", LineKind::Income, nullptr, "Chirie conform contract"},
    {9, "Sprijin de la autoritatile publice locale", LineKind::Income, nullptr,
     "Sprijin financiar de la Consiliul local"},
    {10, "Sprijin de la Centrul eparhial", LineKind::Income, nullptr, "Sprijin financiar de la Centrul eparhial"},
    {11, "Sponsorizari", LineKind::Income, nullptr, "Sponsorizare conform contract"},
    {12, "Dobanzi bancare", LineKind::Income, nullptr, "Dobanda bonificata de banca"},
    {13, "Alte venituri", LineKind::Income, nullptr, "Alte incasari"},
    {14, "TOTAL VENITURI", LineKind::Computed, "2+3+4+5+6+7+8+9+10+11+12+13", nullptr},
    {15, "CHELTUIELI", LineKind::Heading, nullptr, nullptr},
    {15, "Cheltuieli curente", LineKind::Computed, "16+17+18+19+20+21+22+23+24+25+26+27+28", nullptr},
    {16, "Salarii si indemnizatii ale personalului", LineKind::Expense, nullptr, "Plata salarii"},
    {17, "Contributii sociale aferente salariilor", LineKind::Expense, nullptr, "Contributii sociale la salarii"},
    {18, "Energie electrica, gaz si apa", LineKind::Expense, nullptr, "Factura utilitati"},
    {19, "Combustibil pentru incalzire", LineKind::Expense, nullptr, "Combustibil pentru incalzire"},
    {20, "Lumanari si obiecte de cult pentru pangar", LineKind::Expense, nullptr,
     "Achizitie lumanari si obiecte de cult"},
    {21, "Materiale pentru cult (vin, tamaie, prescuri, untdelemn)", LineKind::Expense, nullptr,
     "Materiale pentru savarsirea slujbelor"},
    {22, "Materiale de curatenie si intretinere", LineKind::Expense, nullptr, "Materiale de curatenie si intretinere"},
    {23, "Telefon, internet si posta", LineKind::Expense, nullptr, "Abonament telefon si internet"},
    {24, "Reparatii curente", LineKind::Expense, nullptr, "Lucrari de reparatii curente"},
    {25, "Contributii catre Centrul eparhial si Protopopiat", LineKind::Expense, nullptr,
     "Contributie catre Centrul eparhial"},
    {26, "Activitati social-filantropice", LineKind::Expense, nullptr, "Ajutor acordat persoanelor nevoiase"},
    {27, "Impozite, taxe si comisioane bancare", LineKind::Expense, nullptr, "Impozite, taxe si comisioane"},
    {28, "Alte cheltuieli curente", LineKind::Expense, nullptr, "Alte plati"},
    {29, "Cheltuieli de capital", LineKind::Computed, "30+31", nullptr},
    {30, "Constructii, consolidari si reparatii capitale", LineKind::Expense, nullptr,
     "Lucrari de constructii si reparatii capitale"},
    {31, "Pictura, mobilier si dotari ale bisericii", LineKind::Expense, nullptr, "Pictura, mobilier si dotari"},
    {32, "TOTAL CHELTUIELI", LineKind::Computed, "16+17+18+19+20+21+22+23+24+25+26+27+28+30+31", nullptr},
    {33, "Sold final (disponibil in casa si in banca)", LineKind::Computed, "1+14-32", nullptr},
};

// Document kinds a parish keys (at most 15 characters each).
const char* const kDocumentKinds[] = {
    "Chitanta", "Ordin de plata", "Extras de cont", "Disp. de plata", "Disp. incasare",
    "Factura",  "Bon fiscal",     "Stat de plata",  "Decont",
};

Value textOrNull(const char* s) { return s && *s ? Value(s) : Value(); }

std::vector<std::vector<Value>> budgetRows(bool withMapping) {
    std::vector<std::vector<Value>> rows;
    for (const BudgetLine& l : kBudget) {
        std::vector<Value> r{l.nr, l.name, 0.0, 0.0, textOrNull(l.formula)};
        if (withMapping) {
            // each centralised line adds the same line of the three budgets
            r.insert(r.end(), {l.nr, l.nr, l.nr});
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<std::vector<Value>> catalogRows(LineKind kind) {
    std::vector<std::vector<Value>> rows;
    for (const BudgetLine& l : kBudget) {
        if (l.kind != kind) continue;
        if (kind == LineKind::Income)
            rows.push_back({l.nr, l.name, Value(), l.explanation});
        else
            rows.push_back({l.nr, l.name, l.explanation});
    }
    return rows;
}

// ---------------------------------------------------------------- table specs

std::vector<ColumnDef> budgetColumns() {
    return {col("Nr_rand", FT::SmallInt), text("Denumire", 100), col("Prevederi", FT::Float),
            col("Executie", FT::Float), text("Formula", 200)};
}

// Two lines may share a number (the expense heading and the first expense
// line); the name completes the key and keeps their order fixed.
const std::vector<std::string> kBudgetKey{"Nr_rand", "Denumire"};

TableSpec budgetTable(const char* file) { return table(file, budgetColumns(), kBudgetKey); }

TableSpec registerTable(const char* file) {
    std::vector<ColumnDef> c{col("Data", FT::Date), col("Nr_doc", FT::Float), text("Fel", 30), text("Explicatii", 100)};
    for (const char* n : {"IncasariC", "RidicariC", "PlatiC", "DepuneriC", "SoldC", "IncasariB", "DepuneriB", "PlatiB",
                          "RidicariB", "SoldB", "SoldT"})
        c.push_back(col(n, FT::Float));
    c.push_back(col("Id", FT::AutoInc));
    // ascending dates, the rows of one date in insertion order
    return table(file, std::move(c), {"Data", "Id"});
}

TableSpec parishRegister(const char* file) {
    return table(file, {text("Cod_enorias", 10), col("Data", FT::Date), text("Explicatie", 100)}, {},
                 {{"Cod_enorias", {"Cod_enorias"}, false, false}});
}

// ---------------------------------------------------------------- file system

bool sameNameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of `dir` named `name` regardless of letter case, or an empty path.
fs::path findNoCase(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return {};
    if (fs::exists(dir / name, ec)) return dir / name;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (sameNameNoCase(it->path().filename().string(), name)) return it->path();
    return {};
}

// What the installation creates, in order.
struct Item {
    std::string rel;         // "PAROHII/Bilant.DB"
    bool directory = false;  // a group directory
    const TableSpec* spec = nullptr;
};

struct Plan {
    std::vector<TableSpec> tables;
    std::vector<Item> items;
};

Plan makePlan() {
    Plan p;
    p.tables = installationTables();
    std::vector<std::string> dirsSeen;
    for (const TableSpec& t : p.tables) {
        auto slash = t.fileName.find('/');
        if (slash != std::string::npos) {
            std::string d = t.fileName.substr(0, slash);
            if (std::find(dirsSeen.begin(), dirsSeen.end(), d) == dirsSeen.end()) {
                dirsSeen.push_back(d);
                p.items.push_back({d, true, nullptr});
            }
        }
        p.items.push_back({t.fileName, false, &t});
    }
    p.items.push_back({"arbore.txt", false, nullptr});
    return p;
}

// Resolves a relative name against `root`, reusing existing directories whatever
// their letter case. Sets `existing` to the path found when the entry exists.
fs::path resolve(const fs::path& root, const std::string& rel, fs::path& existing) {
    fs::path cur = root;
    fs::path relPath(rel);
    for (auto it = relPath.begin(); it != relPath.end(); ++it) {
        fs::path found = findNoCase(cur, it->string());
        bool last = std::next(it) == relPath.end();
        if (found.empty()) {
            cur /= *it;
            continue;
        }
        std::error_code ec;
        if (last || !fs::is_directory(found, ec)) {
            existing = found;
            return found;
        }
        cur = found;
    }
    return cur;
}

void initialContents(const std::string& path, const TableSpec& spec) {
    std::string base = fs::path(spec.fileName).filename().string();
    auto columns = [&spec] {
        std::vector<std::string> names;
        for (const ColumnDef& c : spec.columns) names.push_back(c.name);
        return names;
    };
    if (base == "Parohia.DB") {
        // The unit record: a document is saved only in the working year, so the
        // first one is the current year; the rest is typed in the unit dialog.
        insertRows(path, {"An_lucru"}, {{today().year}});
    } else if (base == "Tip_doc.db") {
        std::vector<std::vector<Value>> rows;
        for (const char* k : kDocumentKinds) rows.push_back({k});
        insertRows(path, columns(), rows);
    } else if (base == "Tip_venituri.DB") {
        insertRows(path, columns(), catalogRows(LineKind::Income));
    } else if (base == "Tip_cheltuieli.DB") {
        insertRows(path, columns(), catalogRows(LineKind::Expense));
    } else if (base == "BilantCentral.DB") {
        insertRows(path, columns(), budgetRows(true));
    } else if (base == "Bilant.DB" || base == "BilantParohGol.DB" || base == "BilantManastGol.DB") {
        insertRows(path, columns(), budgetRows(false));
    }
}

void writeTextFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) throw EngineError("Nu pot crea fisierul : " + path.string());
}

}  // namespace

std::vector<TableSpec> installationTables() {
    std::vector<TableSpec> t;
    // core tables
    t.push_back(table("Parohia.DB", {text("Arhiepiscopia", 100), text("Protopopiatul", 100), text("Parohia", 100),
                                     text("Strada", 100), text("Nr", 10), text("Localitatea", 20), text("Judet", 20),
                                     text("Preot", 100), text("Epitrop", 100), text("Banca", 25),
                                     text("Cont bancar", 30), col("An_lucru", FT::Integer),
                                     col("Felmarosta", FT::Boolean), text("Tip_unitate", 30), text("Cod_fiscal", 20)}));
    t.push_back(table("Contor.DB", {col("Count_venit", FT::Float), col("Count_chelt", FT::Float),
                                    col("Sold_init_casa", FT::Float), col("Sold_init_banca", FT::Float)}));
    t.push_back(table("Tip_doc.db", {text("Denumire", 15)}));
    t.push_back(table("Tip_venituri.DB",
                      {col("Cod_venit", FT::SmallInt), text("Denumire", 100), col("Cod_total", FT::SmallInt),
                       text("Explicatie_venit", 100)},
                      {"Cod_venit"}));
    t.push_back(table("Tip_cheltuieli.DB",
                      {col("Cod_cheltuiala", FT::SmallInt), text("Denumire", 100), text("Explicatie_cheltuiala", 100)},
                      {"Cod_cheltuiala"}));
    // The balances sum the amounts by account over the whole table; this index
    // holds both, so the sums read it instead of every document.
    const IndexSpec kByAccount{"Cont", {"Cont", "Valoarea"}, false, false};
    t.push_back(table(
        "Venituri.DB",
        {col("Nr_act", FT::Float), col("Data", FT::Date), text("Fel", 15), col("Cod_venit", FT::SmallInt),
         text("Den_venit", 100), text("Cod_enorias", 10), text("Den_enorias", 30), text("Explicatie", 100),
         col("Valoarea", FT::Float), text("Cont", 15), col("Data_registru", FT::Date), col("Nr_registru", FT::Float)},
        {}, {kByAccount}));
    t.push_back(table(
        "Cheltuieli.DB",
        {col("Nr_act", FT::Float), col("Data", FT::Date), text("Fel", 15), col("Cod_cheltuiala", FT::SmallInt),
         text("Den_cheltuiala", 100), text("Beneficiar", 100), text("Explicatie", 100), col("Valoarea", FT::Float),
         text("Cont", 15), col("Data_registru", FT::Date), col("Nr_registru", FT::Float)},
        {}, {kByAccount}));
    for (const char* f : {"Depuneri.db", "Ridicari.db"})
        t.push_back(
            table(f, {col("Nr_doc", FT::Float), col("Data", FT::Date), col("Suma", FT::Float), text("Fel", 15)}));
    // parishioners and the parish registers
    t.push_back(table("Enoriasi.DB",
                      {text("Cod_enorias", 10), text("Nume_prenume", 30), text("Strada", 25), text("Nr", 10),
                       text("Tip_contributie", 20)},
                      {"Cod_enorias", "Nume_prenume", "Strada", "Nr"},
                      {{"Nume", {"Nume_prenume", "Strada", "Nr", "Cod_enorias"}, false, true},
                       {"Strada", {"Strada", "Nr", "Nume_prenume", "Cod_enorias"}, false, true},
                       {"Numar", {"Nr", "Strada", "Nume_prenume", "Cod_enorias"}, false, true}}));
    t.push_back(table("MembriiFam.db",
                      {text("Cod_enorias", 10), text("Numele", 50), col("Data_nasterii", FT::Date),
                       text("Starea_civila", 15), text("Observatii", 100)},
                      {}, {{"Cod_enorias", {"Cod_enorias"}, false, false}}));
    for (const char* f : {"Cununii.db", "Botezuri.db", "Inmormantari.db", "Activitati.db"})
        t.push_back(parishRegister(f));
    // registers
    t.push_back(registerTable("Registru.DB"));
    t.push_back(registerTable("RegGol.DB"));
    // budgets
    t.push_back(budgetTable("Bilant.DB"));
    {
        std::vector<ColumnDef> c = budgetColumns();
        c.push_back(col("Rd_oficiu", FT::SmallInt));
        c.push_back(col("Rd_paroh", FT::SmallInt));
        c.push_back(col("Rd_manast", FT::SmallInt));
        t.push_back(table("BilantCentral.DB", std::move(c), kBudgetKey));
    }
    t.push_back(budgetTable("BilantParohGol.DB"));
    t.push_back(budgetTable("BilantManastGol.DB"));
    t.push_back(budgetTable("PAROHII/Bilant.DB"));
    t.push_back(budgetTable("MANASTIRI/Bilant.DB"));
    // stock and church shop
    t.push_back(
        table("Stoc.db",
              {col("ID", FT::AutoInc), text("Denumire", 255), text("Descriere", 255), col("Cantitate", FT::Float),
               text("UM", 10), col("Pret", FT::Float), col("DataIn", FT::Date), col("DataOut", FT::Date)},
              {"ID"}, {{"Den", {"Denumire"}, false, true}}));
    t.push_back(table("DocIn.db",
                      {col("Cod", FT::AutoInc), col("Numar", FT::Float), col("Data", FT::Date), text("Tip", 20),
                       text("Furnizor", 50), text("Explicatie", 100)},
                      {"Cod"}));
    t.push_back(table(
        "ItemIn.DB",
        {col("Cod", FT::Float), col("Cod_secundar", FT::AutoInc), col("Cod_articol", FT::Float), text("Denumire", 50),
         col("Cantitate", FT::Float), text("UM", 15), col("Pret_achizitie", FT::Float), col("Valoare", FT::Float)},
        {"Cod_secundar"}, {{"Cod", {"Cod", "Cod_secundar"}, false, false}}));
    t.push_back(table("Furnizori.db", {text("Cod_furn", 10), text("Denumire", 100)}, {"Cod_furn"}));
    // the change journal (made by journal::createJournalFile, with its triggers)
    t.push_back(table("Jurnal.DB",
                      {col("Nr", FT::Integer), text("Data_ora", 19), text("Tabela", 40), col("Rand", FT::Integer),
                       text("Cheie", 200), text("Actiune", 20), text("Inainte", 255), text("Dupa", 255),
                       text("Versiune", 40), text("Hash_anterior", 64), text("Hash", 64)},
                      {"Nr"}));
    return t;
}

namespace {

// Tables the program knows besides those of a new installation.
std::vector<TableSpec> knownTables() {
    std::vector<TableSpec> t = installationTables();
    t.push_back(budgetTable("Bilant1.DB"));  // the period copy of the budget
    return t;
}

// Core tables: every window relies on all their fields.
const char* const kCoreTables[] = {"Parohia",  "Contor",     "Tip_doc",  "Tip_venituri", "Tip_cheltuieli",
                                   "Venituri", "Cheltuieli", "Depuneri", "Ridicari",     "Enoriasi"};

// Fields added to older files by the start-up upgrade, so not yet present when it runs.
const std::pair<const char*, const char*> kUpgradeFields[] = {
    {"Parohia", "Felmarosta"}, {"Parohia", "Tip_unitate"}, {"Parohia", "Cod_fiscal"}};

}  // namespace

const TableSpec* knownTable(const std::string& name) {
    static const std::vector<TableSpec> known = knownTables();
    std::string base = tableBaseName(name);
    for (const TableSpec& t : known)
        if (sameNameNoCase(tableBaseName(t.fileName), base)) return &t;
    return nullptr;
}

bool sameLayout(const std::string& a, const std::string& b) {
    const TableSpec* x = knownTable(a);
    const TableSpec* y = knownTable(b);
    if (!x || !y || x->columns.size() != y->columns.size()) return false;
    for (size_t i = 0; i < x->columns.size(); ++i)
        if (!sameNameNoCase(x->columns[i].name, y->columns[i].name) || x->columns[i].type != y->columns[i].type)
            return false;
    return true;
}

std::vector<std::string> requiredColumns(const std::string& name) {
    std::string base = tableBaseName(name);
    if (std::none_of(std::begin(kCoreTables), std::end(kCoreTables),
                     [&](const char* c) { return sameNameNoCase(c, base); }))
        return {};
    std::vector<std::string> out;
    for (const ColumnDef& c : knownTable(base)->columns) {
        bool upgraded = std::any_of(std::begin(kUpgradeFields), std::end(kUpgradeFields), [&](const auto& u) {
            return sameNameNoCase(u.first, base) && sameNameNoCase(u.second, c.name);
        });
        if (!upgraded) out.push_back(c.name);
    }
    return out;
}

std::string builtInTreeText() { return "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\tMANASTIRI\r\n"; }

namespace {

// Where each item of the plan goes in `root`; refuses when any entry exists
// already (a group directory excepted).
std::vector<fs::path> targetsOrRefuse(const fs::path& root, const Plan& plan) {
    std::vector<fs::path> targets;
    for (const Item& item : plan.items) {
        fs::path existing;
        fs::path target = resolve(root, item.rel, existing);
        if (!existing.empty()) {
            std::error_code ec;
            bool reusableDir = item.directory && fs::is_directory(existing, ec);
            if (!reusableDir)
                throw EngineError("Fisierul " + existing.string() + " exista deja; instalarea noua nu a fost creata.");
        }
        targets.push_back(target);
    }
    return targets;
}

}  // namespace

void refuseExistingInstallation(const std::string& dir) { targetsOrRefuse(fs::path(dir), makePlan()); }

std::vector<std::string> createInstallation(const std::string& dir) {
    const fs::path root(dir);
    const Plan plan = makePlan();

    // Refuse before touching anything when any entry exists already.
    const std::vector<fs::path> targets = targetsOrRefuse(root, plan);

    std::vector<fs::path> made;  // created so far, removed again on failure
    std::vector<std::string> names;
    UndoUnlessDone undo([&made] {
        std::error_code ec;
        for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove(*it, ec);
    });
    {
        std::error_code ec;
        if (!fs::is_directory(root, ec)) {
            // create the missing levels, remembering them for the undo
            std::vector<fs::path> missing;
            for (fs::path p = fs::absolute(root); !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
                missing.push_back(p);
                if (p == p.parent_path()) break;
            }
            for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
                if (!fs::create_directory(*it, ec) && !fs::is_directory(*it))
                    throw EngineError("Nu pot crea " + it->string());
                made.push_back(*it);
            }
        }
        for (size_t i = 0; i < plan.items.size(); ++i) {
            const Item& item = plan.items[i];
            const fs::path& target = targets[i];
            if (item.directory) {
                if (fs::is_directory(target, ec)) continue;  // reused, not ours
                if (!fs::create_directory(target, ec)) throw EngineError("Nu pot crea " + target.string());
                made.push_back(target);
            } else if (item.spec && item.spec->fileName == journal::kJournalFile) {
                made.push_back(target);
                journal::createJournalFile(target.string());
            } else if (item.spec) {
                made.push_back(target);
                createTableFile(target.string(), *item.spec);
                initialContents(target.string(), *item.spec);
            } else {
                made.push_back(target);
                writeTextFile(target, builtInTreeText());
            }
            names.push_back(target.lexically_relative(root).generic_string());
        }
    }
    undo.done();
    return names;
}

}  // namespace data
