// The passage to a new working year on real table files: what it carries and
// removes, what it keeps, its refusals, and a failure or a kill at every step
// (a hook that throws, a child process killed at each step and at each write
// of the table files) found at the next start as the old year or the new one,
// whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "budget/CalcBilant.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Journal.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "entry/Balances.h"
#include "registers/CalcRegistru.h"
#include "support/Installation.h"
#include "support/OtherProgram.h"
#include "data/AppDir.h"
#include "support/TempDir.h"
#include "yearend/NewYear.h"

namespace fs = std::filesystem;
using data::Date;
using data::Value;
using yearend::Step;

namespace {

// Every file under `dir` (relative name -> content); `skip` leaves out a
// top-level entry.
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const std::string& dir, const std::set<std::string>& skip = {}) {
    data::journal::settle(dir);  // the books as the journal reads them: no entry left waiting
    Snapshot s;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = fs::relative(it->path(), dir).generic_string();
        if (it.depth() == 0 && skip.count(rel)) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_symlink() || !it->is_regular_file()) continue;
        s[rel] = readFile(it->path());
    }
    return s;
}

// The names in which two snapshots differ.
std::vector<std::string> differences(const Snapshot& a, const Snapshot& b) {
    std::vector<std::string> d;
    for (const auto& [k, v] : a)
        if (!b.count(k) || b.at(k) != v) d.push_back(k);
    for (const auto& [k, v] : b)
        if (!a.count(k)) d.push_back(k);
    return d;
}

const std::set<std::string> kChangedTables{"Parohia.DB",  "Contor.DB",   "Venituri.DB", "Cheltuieli.DB",
                                           "Depuneri.db", "Ridicari.db", "Bilant.DB",   "Jurnal.DB"};

Snapshot without(Snapshot s, const std::set<std::string>& names) {
    for (const auto& n : names) s.erase(n);
    return s;
}

std::vector<Value> column(const std::string& dir, const std::string& sql) {
    std::vector<Value> v;
    for (auto& row : data::SqlSession::forDirectory(dir).select(sql).rows) v.push_back(row.at(0));
    return v;
}

// A unit working in 2026: opening balances, a year of random documents of
// every kind, documents already typed for 2027, and one receipt and one
// deposit without a date; a budget with typed planned amounts and executed
// amounts computed as at 31 December.
class NewYearTest : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setToday(Date{2027, 1, 8});
        yearend::setStepHook({});
        fill(db.path());
    }
    void TearDown() override {
        yearend::setStepHook({});
        data::setToday(std::nullopt);
    }

    static void fill(const std::string& dir) {
        auto& s = data::SqlSession::forDirectory(dir);
        s.execute("UPDATE \"Parohia.DB\" SET An_lucru = 2026, Parohia = 'Parohia Sf. Ilie'");
        s.execute("DELETE FROM \"Contor.DB\"");
        data::insertRows(dir + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1234.56, 98765.43}});
        std::mt19937 rng(20261231);
        std::uniform_int_distribution<int> cents(1, 300000), kind(0, 5), dayOfYear(0, 364), code(2, 13);
        std::vector<std::vector<Value>> ven, chelt, dep, rid;
        auto add = [&](const Date& d, int i) {
            const double amount = cents(rng) / 100.0;
            const int k = kind(rng);
            if (k < 2)
                ven.push_back({double(i), d, "Chitanta", code(rng), "Incasare", amount, k ? "Banca" : "Casa"});
            else if (k < 4)
                chelt.push_back(
                    {double(i), d, "Dispozitie", code(rng) + 14, "Plata", amount, k == 3 ? "Banca" : "Casa"});
            else
                (k == 4 ? dep : rid).push_back({double(i), d, amount, "Foaie"});
        };
        for (int i = 0; i < 300; ++i) add(Date{2026, 1, 1}.addDays(dayOfYear(rng)), i);
        add(Date{2026, 12, 31}, 300);
        for (int i = 0; i < 12; ++i) add(Date{2027, 1, 1}.addDays(i * 3), 1000 + i);
        const std::vector<std::string> cols{"Nr_act", "Data", "Fel", "Cod", "Explicatie", "Valoarea", "Cont"};
        auto with = [&](const char* cod) {
            auto c = cols;
            c[3] = cod;
            return c;
        };
        ven.push_back({500.0, Value(), "Chitanta", 2, "Fara data", 10.0, "Casa"});
        dep.push_back({501.0, Value(), 5.0, "Foaie"});
        data::insertRows(dir + "Venituri.DB", with("Cod_venit"), ven);
        data::insertRows(dir + "Cheltuieli.DB", with("Cod_cheltuiala"), chelt);
        data::insertRows(dir + "Depuneri.db", {"Nr_doc", "Data", "Suma", "Fel"}, dep);
        data::insertRows(dir + "Ridicari.db", {"Nr_doc", "Data", "Suma", "Fel"}, rid);
        s.execute("UPDATE \"Bilant.DB\" SET Prevederi = Nr_rand * 100.0 WHERE Formula IS NULL OR Formula = ''");
        budget::CalcBilant(Date{2026, 12, 31}, dir);
        // a unit of the deanery, the settings, the picture, and a link that
        // leads out of the directory
        fs::create_directories(dir + "PAROHII/Sf Ion");
        fs::copy_file(dir + "BilantParohGol.DB", dir + "PAROHII/Sf Ion/Bilant.DB");
        std::ofstream(dir + "Configurari.ini") << "[Options]\nBackup BD zilnic=0\n";
        std::ofstream(dir + "poza.jpg", std::ios::binary) << std::string("\xff\xd8\xff\xe0 poza", 9);
        fs::create_directory_symlink("/etc", dir + "legatura");
    }

    // The figures the cash and bank registers close 31 December with.
    std::pair<double, double> registerClosing(const std::string& dir) {
        registers::CalcRegistru(dir);
        auto rows = data::SqlSession::forDirectory(dir)
                        .select(
                            "SELECT SoldC, SoldB FROM \"Registru.DB\" WHERE Data <= '2026-12-31' "
                            "ORDER BY Data, Id")
                        .rows;
        return {rows.back().at(0).toDouble(), rows.back().at(1).toDouble()};
    }

    // The directory holds the old year exactly as before the passage, and no
    // archive of it.
    void expectOldYear(const std::string& dir, const Snapshot& before) {
        EXPECT_EQ(differences(snapshot(dir, {"Arhiva"}), before), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(dir + "Arhiva/2026"));
        EXPECT_FALSE(fs::exists(dir + "Arhiva/2026.incomplet"));
    }

    // The directory holds the new year, whole, and the archive the old one.
    void expectNewYear(const std::string& dir, const Snapshot& before, double casa, double banca) {
        EXPECT_EQ(differences(without(snapshot(dir + "Arhiva/2026/"), {".an-inchis"}), before),
                  std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(dir + "Arhiva/2026.incomplet"));
        EXPECT_EQ(differences(without(snapshot(dir, {"Arhiva"}), kChangedTables), without(before, kChangedTables)),
                  std::vector<std::string>{});
        EXPECT_EQ(column(dir, "SELECT An_lucru FROM \"Parohia.DB\"").at(0).toInt(), 2027);
        auto opening = data::SqlSession::forDirectory(dir)
                           .select("SELECT Sold_init_casa, Sold_init_banca FROM \"Contor.DB\"")
                           .rows;
        ASSERT_EQ(opening.size(), 1u);
        EXPECT_DOUBLE_EQ(opening[0][0].toDouble(), casa);
        EXPECT_DOUBLE_EQ(opening[0][1].toDouble(), banca);
        for (const char* t : {"Venituri.DB", "Cheltuieli.DB", "Depuneri.db", "Ridicari.db"})
            for (const Value& d : column(dir, std::string("SELECT Data FROM \"") + t + "\""))
                EXPECT_GE(d.toString(), "2027-01-01") << t;
        EXPECT_EQ(column(dir, "SELECT COUNT(*) FROM \"Venituri.DB\"").at(0).toInt() +
                      column(dir, "SELECT COUNT(*) FROM \"Cheltuieli.DB\"").at(0).toInt() +
                      column(dir, "SELECT COUNT(*) FROM \"Depuneri.db\"").at(0).toInt() +
                      column(dir, "SELECT COUNT(*) FROM \"Ridicari.db\"").at(0).toInt(),
                  12);
        EXPECT_EQ(column(dir, "SELECT COUNT(*) FROM \"Bilant.DB\" WHERE Executie <> 0.0").at(0).toInt(), 0);
        // the new year's journal starts with the passage and the balances carried
        auto entries =
            data::SqlSession::forDirectory(dir).select("SELECT Nr, Actiune, Cheie, Dupa FROM \"Jurnal.DB\"").rows;
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0][1], Value("trecere la an nou"));
        EXPECT_EQ(entries[0][2], Value("Trecerea la anul 2027"));
        EXPECT_NE(entries[0][3].toString().find("\"Sold_init_casa\": \"" + data::formatAmount(casa) + "\""),
                  std::string::npos)
            << entries[0][3].toString();
        EXPECT_TRUE(data::journal::verify(dir).intact);
    }

    TempDir db;
};

// ---------------------------------------------------------------- what the passage does

TEST_F(NewYearTest, CarriesTheRegistersClosingFiguresAndKeepsTheYearInItsArchive) {
    const auto [casa, banca] = registerClosing(db.path());
    const auto plannedBudget =
        data::SqlSession::forDirectory(db.path())
            .select("SELECT Nr_rand, Denumire, Prevederi, Formula FROM \"Bilant.DB\" ORDER BY rowid")
            .rows;
    const double currentCasa = entry::CalcSoldCasa(db.path()), currentBanca = entry::CalcSoldBanca(db.path());
    const Snapshot before = snapshot(db.path());

    const yearend::Closing plan = yearend::planNewYear(db.path());
    EXPECT_EQ(plan.year, 2026);
    EXPECT_DOUBLE_EQ(plan.soldCasa, std::round(casa * 100) / 100);
    EXPECT_DOUBLE_EQ(plan.soldBanca, std::round(banca * 100) / 100);
    // 301 documents of 2026 and the two without a date
    EXPECT_EQ(plan.documents, 303);
    EXPECT_EQ(plan.archiveDir, db.path() + "Arhiva/2026");
    EXPECT_EQ(differences(snapshot(db.path()), before), std::vector<std::string>{});  // planning writes nothing

    const yearend::Closing done = yearend::passNewYear(db.path(), 2026);
    EXPECT_EQ(done.soldCasa, plan.soldCasa);
    EXPECT_EQ(done.soldBanca, plan.soldBanca);
    EXPECT_EQ(done.documents, 303);
    expectNewYear(db.path(), before, plan.soldCasa, plan.soldBanca);

    EXPECT_TRUE(fs::exists(db.path() + "Arhiva/2026/PAROHII/Sf Ion/Bilant.DB"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(db.path() + "Arhiva/2026/legatura")));
    // the budget keeps its lines, planned amounts and formulas
    EXPECT_EQ(data::SqlSession::forDirectory(db.path())
                  .select("SELECT Nr_rand, Denumire, Prevederi, Formula FROM \"Bilant.DB\" ORDER BY rowid")
                  .rows,
              plannedBudget);
    // the current balances of the document windows stay as they were
    EXPECT_NEAR(entry::CalcSoldCasa(db.path()), currentCasa, 0.005);
    EXPECT_NEAR(entry::CalcSoldBanca(db.path()), currentBanca, 0.005);
    // the new year's register opens with the carried balances and adds the 2027 documents
    registers::CalcRegistru(db.path());
    auto first = data::SqlSession::forDirectory(db.path())
                     .select("SELECT Data, IncasariC, IncasariB FROM \"Registru.DB\" ORDER BY Data, Id LIMIT 2")
                     .rows;
    EXPECT_EQ(first[0][0].toString(), "2027-01-01");
    EXPECT_DOUBLE_EQ(first[0][1].toDouble(), plan.soldCasa);
    EXPECT_DOUBLE_EQ(first[1][2].toDouble(), plan.soldBanca);
    // the archive's registers close the year as the directory's did
    const auto [archCasa, archBanca] = registerClosing(db.path() + "Arhiva/2026/");
    EXPECT_DOUBLE_EQ(archCasa, casa);
    EXPECT_DOUBLE_EQ(archBanca, banca);
}

TEST_F(NewYearTest, BalancesFollowTheDocumentWindowsSumsOnTheClosedYearsDocuments) {
    // Only documents of 2026: the carried balances are the current ones.
    auto& s = data::SqlSession::forDirectory(db.path());
    for (const char* t : {"Venituri.DB", "Cheltuieli.DB", "Depuneri.db", "Ridicari.db"})
        s.execute(std::string("DELETE FROM \"") + t + "\" WHERE Data > '2026-12-31'");
    // a second opening record and an account of another letter case
    data::insertRows(db.file("Contor.DB"), {"Sold_init_casa", "Sold_init_banca"}, {{10.0, 20.0}});
    data::insertRows(db.file("Venituri.DB"), {"Nr_act", "Data", "Valoarea", "Cont"},
                     {{7.0, Date{2026, 6, 1}, 99.0, "casa"}});
    const double casa = entry::CalcSoldCasa(db.path()), banca = entry::CalcSoldBanca(db.path());
    const yearend::Closing done = yearend::passNewYear(db.path(), 2026);
    EXPECT_DOUBLE_EQ(done.soldCasa, std::round(casa * 100) / 100);
    EXPECT_DOUBLE_EQ(done.soldBanca, std::round(banca * 100) / 100);
    // the sum over the opening records is the carried balance
    EXPECT_DOUBLE_EQ(entry::CalcSoldCasa(db.path()), done.soldCasa);
    EXPECT_DOUBLE_EQ(entry::CalcSoldBanca(db.path()), done.soldBanca);
    EXPECT_EQ(column(db.path(), "SELECT COUNT(*) FROM \"Contor.DB\"").at(0).toInt(), 2);
}

TEST_F(NewYearTest, AnEmptyOpeningTableGetsItsRecord) {
    data::SqlSession::forDirectory(db.path()).execute("DELETE FROM \"Contor.DB\"");
    const yearend::Closing done = yearend::passNewYear(db.path(), 2026);
    auto rows = data::SqlSession::forDirectory(db.path())
                    .select("SELECT Sold_init_casa, Sold_init_banca FROM \"Contor.DB\"")
                    .rows;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), done.soldCasa);
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), done.soldBanca);
}

// ---------------------------------------------------------------- refusals

// Runs `f`, which must be refused with a message holding `text`, and finds
// `dir` unchanged.
void expectRefused(const std::string& dir, const std::function<void()>& f, const std::string& text) {
    const Snapshot before = snapshot(dir);
    try {
        f();
        ADD_FAILURE() << "not refused: " << text;
    } catch (const yearend::NewYearRefused& e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
    EXPECT_EQ(differences(snapshot(dir), before), std::vector<std::string>{}) << text;
}

TEST_F(NewYearTest, RefusalsChangeNothing) {
    const std::string dir = db.path();
    auto& s = data::SqlSession::forDirectory(dir);
    // the user confirmed another year than the directory holds
    expectRefused(
        dir, [&] { yearend::passNewYear(dir, 2025); }, "Anul de lucru este acum 2026");
    s.execute("UPDATE \"Parohia.DB\" SET An_lucru = NULL");
    expectRefused(
        dir, [&] { yearend::planNewYear(dir); }, "Anul de lucru (An_lucru) lipseste");
    s.execute("UPDATE \"Parohia.DB\" SET An_lucru = 2026");
    fs::rename(db.file("Ridicari.db"), db.file("Ridicari.bak"));
    expectRefused(
        dir, [&] { yearend::passNewYear(dir, 2026); }, "Tabela Ridicari.DB nu exista");
    fs::rename(db.file("Ridicari.bak"), db.file("Ridicari.db"));

    // a second passage of the year (its working year put back by hand)
    yearend::passNewYear(dir, 2026);
    s.execute("UPDATE \"Parohia.DB\" SET An_lucru = 2026");
    expectRefused(
        dir, [&] { yearend::planNewYear(dir); }, "Anul 2026 a fost deja inchis");
    expectRefused(
        dir, [&] { yearend::passNewYear(dir, 2026); }, "Anul 2026 a fost deja inchis");
    // and none inside the archive, which is a closed year
    const std::string archive = dir + "Arhiva/2026/";
    expectRefused(
        archive, [&] { yearend::passNewYear(archive, 2026); }, "este arhiva anului 2026");
}

TEST_F(NewYearTest, ACorrectionWithoutItsFollowingYearIsRefused) {
    yearend::passNewYear(db.path(), 2026);
    const std::string archive = db.path() + "Arhiva/2026/";
    // an archive copied away from its installation, and a following year that moved on
    TempDir away;
    fs::copy(archive, away.path() + "2026", fs::copy_options::recursive);
    expectRefused(
        away.path(), [&] { yearend::beginCorrection(away.path() + "2026"); }, "Nu gasesc directorul anului 2027");
    data::SqlSession::forDirectory(db.path()).execute("UPDATE \"Parohia.DB\" SET An_lucru = 2028");
    expectRefused(
        db.path(), [&] { yearend::finishCorrection(archive); }, "lucreaza in anul 2028");
    EXPECT_FALSE(data::archiveCorrectionOn(archive));
}

TEST_F(NewYearTest, TablesInUseByAnotherProgramAreRefused) {
    // another program holding a document table, as an open window does
    const std::string c = data::canonicalPath(db.file("Venituri.DB"));
    OtherProgram holder([&] {
        data::OpenFiles::instance().acquire(c, false);
        return true;
    });
    ASSERT_TRUE(holder.holding());
    const Snapshot before = snapshot(db.path());
    try {
        yearend::passNewYear(db.path(), 2026);
        ADD_FAILURE();
    } catch (const yearend::NewYearRefused& e) {
        EXPECT_EQ(std::string(e.what()).rfind(yearend::kCloseAllWindows, 0), 0u) << e.what();
    }
    EXPECT_THROW(yearend::planNewYear(db.path()), yearend::NewYearRefused);
    holder.release();
    EXPECT_EQ(differences(snapshot(db.path()), before), std::vector<std::string>{});
    EXPECT_NO_THROW(yearend::passNewYear(db.path(), 2026));
}

// ---------------------------------------------------------------- failures and kills

// The steps of one whole passage, in order.
std::vector<Step> stepsOfAPassage(const std::string& dir) {
    std::vector<Step> steps;
    yearend::setStepHook([&](Step s) { steps.push_back(s); });
    yearend::passNewYear(dir, 2026);
    yearend::setStepHook({});
    return steps;
}

// Puts the temporary directories of a test in memory when the system has a
// memory file system: the many copies of the unit a kill test makes need no
// disk, and every sync on them is immediate.
class InMemoryTemp {
public:
    InMemoryTemp() {
        if (const char* t = std::getenv("TMPDIR")) old_ = t;
        if (::access("/dev/shm", W_OK | X_OK) == 0) ::setenv("TMPDIR", "/dev/shm", 1);
    }
    ~InMemoryTemp() {
        if (old_)
            ::setenv("TMPDIR", old_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> old_;
};

// The steps worth interrupting: every step, but of the files copied into
// the archive (all alike) only the first, one in the middle and the last.
std::vector<size_t> pointsToInterrupt(const std::vector<Step>& steps) {
    std::vector<size_t> files, points;
    for (size_t k = 0; k < steps.size(); ++k) (steps[k] == Step::ArchiveFileCopied ? files : points).push_back(k);
    if (!files.empty()) points.insert(points.end(), {files.front(), files[files.size() / 2], files.back()});
    std::sort(points.begin(), points.end());
    return points;
}

TEST_F(NewYearTest, AFailureAtEveryStepLeavesTheOldYearOrTheNewOneWhole) {
    InMemoryTemp memory;
    const yearend::Closing plan = yearend::planNewYear(db.path());
    const double casa = plan.soldCasa, banca = plan.soldBanca;
    std::vector<Step> steps;
    {
        TempDir probe;
        fs::copy(db.path(), probe.path(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        steps = stepsOfAPassage(probe.path());
    }
    const auto committed = std::find(steps.begin(), steps.end(), Step::Committed) - steps.begin();
    ASSERT_LT(committed, static_cast<long>(steps.size()));
    ASSERT_GT(std::count(steps.begin(), steps.end(), Step::ArchiveFileCopied), 20);

    for (size_t k : pointsToInterrupt(steps)) {
        SCOPED_TRACE("failure after step " + std::to_string(k));
        TempDir dir;
        fs::copy(db.path(), dir.path(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        const Snapshot before = snapshot(dir.path());
        size_t calls = 0;
        yearend::setStepHook([&](Step) {
            if (calls++ == k) throw std::runtime_error("intrerupt");
        });
        bool newYearMade = false;
        try {
            yearend::passNewYear(dir.path(), 2026);
            ADD_FAILURE() << "the failure did not stop the passage";
        } catch (const yearend::NewYearFailed& e) {
            newYearMade = e.newYearMade();
            const std::string kept = "Trecerea la an nou nu s-a facut: anul 2026 a ramas neschimbat.";
            EXPECT_EQ(std::string(e.what()).rfind(newYearMade ? "Trecerea la anul 2027 s-a facut" : kept, 0), 0u)
                << e.what();
        } catch (const std::runtime_error&) {
            newYearMade = true;  // after the last step: nothing is left to do
        }
        yearend::setStepHook({});
        EXPECT_EQ(newYearMade, static_cast<long>(k) >= committed);
        const yearend::Recovery r = yearend::recoverNewYear(dir.path());
        if (newYearMade) {
            EXPECT_EQ(r.kind, k + 1 == steps.size() ? yearend::Recovery::Kind::Nothing
                                                    : yearend::Recovery::Kind::NewYearCompleted);
            expectNewYear(dir.path(), before, casa, banca);
        } else {
            expectOldYear(dir.path(), before);
            // and the passage can be made again
            yearend::passNewYear(dir.path(), 2026);
            expectNewYear(dir.path(), before, casa, banca);
        }
    }
}

// Kills the child process at the n-th write, sync, truncation or deletion the
// table engine makes: a crash at any point of the table transaction,
// its commit included.
namespace killshim {
sqlite3_vfs* real = nullptr;
sqlite3_vfs shim;
sqlite3_io_methods methods;
long countdown = 0;
struct File {
    sqlite3_file base;
    sqlite3_file* real;
};
void tick() {
    if (countdown > 0 && --countdown == 0) ::kill(::getpid(), SIGKILL);
}
sqlite3_file* in(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }
int xClose(sqlite3_file* f) { return in(f)->pMethods->xClose(in(f)); }
int xRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return in(f)->pMethods->xRead(in(f), b, n, o); }
int xWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    tick();
    return in(f)->pMethods->xWrite(in(f), b, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 s) {
    tick();
    return in(f)->pMethods->xTruncate(in(f), s);
}
int xSync(sqlite3_file* f, int flags) {
    tick();
    return in(f)->pMethods->xSync(in(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* s) { return in(f)->pMethods->xFileSize(in(f), s); }
int xLock(sqlite3_file* f, int l) { return in(f)->pMethods->xLock(in(f), l); }
int xUnlock(sqlite3_file* f, int l) { return in(f)->pMethods->xUnlock(in(f), l); }
int xCheckReservedLock(sqlite3_file* f, int* r) { return in(f)->pMethods->xCheckReservedLock(in(f), r); }
int xFileControl(sqlite3_file* f, int op, void* a) { return in(f)->pMethods->xFileControl(in(f), op, a); }
int xSectorSize(sqlite3_file* f) { return in(f)->pMethods->xSectorSize(in(f)); }
int xDeviceCharacteristics(sqlite3_file* f) { return in(f)->pMethods->xDeviceCharacteristics(in(f)); }
int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    File* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    int rc = real->xOpen(real, name, file->real, flags, outFlags);
    file->base.pMethods = file->real->pMethods ? &methods : nullptr;
    return rc;
}
int xDelete(sqlite3_vfs*, const char* name, int syncDir) {
    tick();
    return real->xDelete(real, name, syncDir);
}
void install(long n) {
    real = sqlite3_vfs_find(nullptr);
    shim = *real;
    shim.zName = "killshim";
    shim.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    shim.xOpen = xOpen;
    shim.xDelete = xDelete;
    methods = sqlite3_io_methods{};
    methods.iVersion = 1;
    methods.xClose = xClose;
    methods.xRead = xRead;
    methods.xWrite = xWrite;
    methods.xTruncate = xTruncate;
    methods.xSync = xSync;
    methods.xFileSize = xFileSize;
    methods.xLock = xLock;
    methods.xUnlock = xUnlock;
    methods.xCheckReservedLock = xCheckReservedLock;
    methods.xFileControl = xFileControl;
    methods.xSectorSize = xSectorSize;
    methods.xDeviceCharacteristics = xDeviceCharacteristics;
    countdown = n;
    sqlite3_vfs_register(&shim, 1);
}
}  // namespace killshim

// Runs a passage in a child process killed at the n-th step (`atStep`) or
// at the n-th write of the table engine; returns whether the child was
// killed (false: it finished the passage).
bool killedPassage(const std::string& dir, long n, bool atStep) {
    pid_t child = ::fork();
    if (child == 0) {
        long calls = 0;
        if (atStep) {
            yearend::setStepHook([&](Step) {
                if (++calls == n) ::kill(::getpid(), SIGKILL);
            });
        } else {
            killshim::install(n);
        }
        try {
            yearend::passNewYear(dir, 2026);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
        return false;
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    return true;
}

TEST_F(NewYearTest, APassageKilledAtAnyPointIsFoundWholeAtTheNextStart) {
    InMemoryTemp memory;
    const yearend::Closing plan = yearend::planNewYear(db.path());
    std::vector<Step> steps;
    {
        TempDir probe;
        fs::copy(db.path(), probe.path(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        steps = stepsOfAPassage(probe.path());
    }
    int oldYears = 0, newYears = 0;
    auto check = [&](bool atStep, long n) {
        SCOPED_TRACE((atStep ? "killed at step " : "killed at write ") + std::to_string(n));
        TempDir dir;
        fs::copy(db.path(), dir.path(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        const Snapshot before = snapshot(dir.path());
        const bool killed = killedPassage(dir.path(), n, atStep);
        // the next start
        const yearend::Recovery r = yearend::recoverNewYear(dir.path());
        if (fs::exists(dir.path() + "Arhiva/2026")) {
            ++newYears;
            expectNewYear(dir.path(), before, plan.soldCasa, plan.soldBanca);
        } else {
            ++oldYears;
            EXPECT_NE(r.kind, yearend::Recovery::Kind::NewYearCompleted);
            expectOldYear(dir.path(), before);
        }
        return killed;
    };
    for (size_t k : pointsToInterrupt(steps)) check(true, static_cast<long>(k + 1));
    // every other write of the table transaction, then every one of its end,
    // where the commit is
    long n = 1;
    while (check(false, n) && n < 600) n += 2;
    const long last = n;
    EXPECT_LT(last, 600) << "the passage never finished";
    EXPECT_GT(last, 20);
    for (n = std::max(1L, last - 30); n < last; ++n) check(false, n);
    EXPECT_GT(oldYears, 10);
    EXPECT_GT(newYears, 2);
}

}  // namespace

TEST_F(NewYearTest, ClosingACorrectionIsJournalledInTheFollowingYear) {
    yearend::passNewYear(db.path(), 2026);
    const std::string archive = db.path() + "Arhiva/2026/";
    yearend::beginCorrection(archive);
    yearend::finishCorrection(archive);
    auto rows =
        data::SqlSession::forDirectory(db.path()).select("SELECT Nr, Cheie FROM \"Jurnal.DB\" ORDER BY Nr").rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1], Value("Corectia arhivei anului 2026"));
    EXPECT_TRUE(data::journal::verify(db.path()).intact);
}
