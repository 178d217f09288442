#include "yearend/NewYear.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

#include "data/AppDir.h"
#include "data/DirectoryCopy.h"
#include "data/Engine.h"
#include "data/Journal.h"
#include "data/Errors.h"
#include "data/FileHandle.h"
#include "data/Format.h"
#include "data/Money.h"
#include "data/Schema.h"
#include "data/SqliteHandle.h"

namespace fs = std::filesystem;

namespace yearend {

namespace {

// The archive is built under "<year>.incomplet" and stamped complete by this
// file (holding the year) once every file in it is on the disk. The stamp
// stays in the finished archive and marks it as a closed year.
const char* const kIncompleteSuffix = ".incomplet";
const char* const kStampName = data::kClosedYearStamp;
// Deeper directories than this are not part of an installation.
constexpr int kMaxDepth = 8;

StepHook& stepHook() {
    static StepHook hook;
    return hook;
}
void step(Step s) {
    if (stepHook()) stepHook()(s);
}

// The tables the passage changes, with the schema names they are attached
// under. "Parohia.DB" is the main file of the connection: it carries the
// working year, which tells after a commit which year the directory holds.
struct Role {
    const char* file;
    const char* schema;
    bool required;
};
constexpr std::array<Role, 7> kRoles{{{"Parohia.DB", "main", true},
                                      {"Contor.DB", "contor", true},
                                      {"Venituri.DB", "venituri", true},
                                      {"Cheltuieli.DB", "cheltuieli", true},
                                      {"Depuneri.DB", "depuneri", true},
                                      {"Ridicari.DB", "ridicari", true},
                                      {"Bilant.DB", "bilant", false}}};
constexpr size_t kParohia = 0, kContor = 1, kBilant = 6;
constexpr std::array<size_t, 4> kDocuments{2, 3, 4, 5};

// A document belongs to the closed year when dated up to 31 December, or not
// dated at all: both count in the year's closing balances, so both leave.
const char* const kClosedYearDocument = "(Data IS NULL OR Data <= ?1)";

std::string databaseDir(const std::string& dir) { return data::withSlash(dir.empty() ? data::AppDir() : dir); }

std::string yearText(int y) { return std::to_string(y); }
std::string dateText(const data::Date& d) { return data::formatDate("dd.mm.yyyy", d); }
data::Date lastDay(int year) { return data::Date{year, 12, 31}; }

fs::path archiveRoot(const std::string& dir) { return fs::path(dir) / kArchiveDirectory; }

// The year written in an archive's stamp; nullopt without a readable one.
std::optional<int> stampYear(const fs::path& archive) { return data::closedYearOf(archive.string()); }

// Writes the stamp durably: temporary name, synced, renamed, directory synced.
void writeStamp(const fs::path& archive, int year) {
    const std::string partial = (archive / (std::string(kStampName) + ".partial")).string();
    const std::string text = yearText(year) + "\n";
    data::Fd fd(::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.valid() || ::write(fd.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        ::fsync(fd.get()) != 0 || !fd.close())
        throw std::runtime_error("Nu pot scrie fisierul " + partial);
    if (::rename(partial.c_str(), (archive / kStampName).c_str()) != 0)
        throw std::runtime_error("Nu pot redenumi fisierul " + partial);
    data::syncDirectory(archive.string());
}

// The change counter SQLite keeps in a table file's header (bytes 24-27): it
// moves with every committed change.
unsigned long changeCounter(const std::string& path) {
    unsigned char b[4] = {0, 0, 0, 0};
    data::Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid() || ::pread(fd.get(), b, 4, 24) != 4) return 0;
    return (static_cast<unsigned long>(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
}

// The seven tables attached to one connection.
class Books {
public:
    // The seven files, each a regular file of the directory (a link refuses
    // the passage) or empty when an optional one is missing.
    static std::array<std::string, kRoles.size()> resolve(const std::string& dir) {
        std::array<std::string, kRoles.size()> paths;
        for (size_t i = 0; i < kRoles.size(); ++i) {
            try {
                paths[i] = data::resolveTableFile(dir, kRoles[i].file);
            } catch (const data::EngineError& e) {
                throw NewYearRefused(e.what() + std::string("!"));
            }
            if (paths[i].empty() && kRoles[i].required)
                throw NewYearRefused("Tabela " + std::string(kRoles[i].file) + " nu exista in directorul " + dir + "!");
        }
        return paths;
    }

    // `forWriting`: every file is taken for exclusive use (other instances of
    // the program are kept out until the passage ends) and must be writable.
    Books(const std::string& dir, bool forWriting) : dir_(dir), paths_(resolve(dir)) {
        auto& files = data::OpenFiles::instance();
        for (const std::string& p : paths_) {
            if (p.empty()) continue;
            const std::string c = data::canonicalPath(p);
            if (!forWriting) {
                if (files.openInAnotherProgram(c))
                    throw NewYearRefused(std::string(kCloseAllWindows) +
                                         "\n(Tabela este folosita de alt program: " + p + ")");
                continue;
            }
            if (data::fileWriteProtected(p)) throw NewYearRefused(data::writeProtectedMessage(p) + "!");
            try {
                files.acquire(c, true);
            } catch (const data::EngineError& e) {
                throw NewYearRefused(std::string(kCloseAllWindows) + "\n(" + e.what() + ")");
            }
            held_.push_back(c);
        }
        try {
            db_ = data::openTableConnection(paths_[kParohia]);
            for (size_t i = 0; i < kRoles.size(); ++i) {
                if (paths_[i].empty()) continue;
                if (i != kParohia) {
                    data::Statement st = data::prepareStatement(
                        db_.get(), "ATTACH DATABASE ?1 AS " + data::quoteIdent(kRoles[i].schema), paths_[i]);
                    sqlite3_bind_text(st.get(), 1, paths_[i].c_str(), -1, SQLITE_TRANSIENT);
                    if (sqlite3_step(st.get()) != SQLITE_DONE) data::throwSqlite(db_.get(), paths_[i]);
                }
                tables_[i] = data::findTableInFile(db_.get(), kRoles[i].schema, paths_[i]);
                data::checkRequiredColumns(db_.get(), kRoles[i].schema, tables_[i], paths_[i]);
                if (forWriting) rollbackJournal(i);
            }
        } catch (const data::EngineError& e) {
            releaseAll();
            throw NewYearRefused(e.what() + std::string("!"));
        } catch (...) {
            releaseAll();
            throw;
        }
    }
    ~Books() {
        db_.reset();
        releaseAll();
    }
    Books(const Books&) = delete;
    Books& operator=(const Books&) = delete;

    sqlite3* db() const { return db_.get(); }
    bool has(size_t i) const { return !paths_[i].empty(); }
    const std::string& path(size_t i) const { return paths_[i]; }
    const std::string& tableName(size_t i) const { return tables_[i]; }
    std::string table(size_t i) const {
        return data::quoteIdent(kRoles[i].schema) + "." + data::quoteIdent(tables_[i]);
    }

    // The working year of the unit's first record; refused when there is none.
    int workingYear() const {
        data::Statement st = data::prepareStatement(
            db(), "SELECT An_lucru FROM " + table(kParohia) + " ORDER BY rowid LIMIT 1", paths_[kParohia]);
        int rc = sqlite3_step(st.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) data::throwSqlite(db(), paths_[kParohia]);
        double y = rc == SQLITE_ROW && sqlite3_column_type(st.get(), 0) != SQLITE_NULL
                       ? sqlite3_column_double(st.get(), 0)
                       : 0;
        if (!(y >= 1 && y <= 9998) || y != std::floor(y))
            throw NewYearRefused("Anul de lucru (An_lucru) lipseste din datele unitatii (Parohia.DB)!");
        return static_cast<int>(y);
    }

    // The closing balances as at 31 December of `year` and the documents that
    // leave: the current balances of the document windows computed on those
    // documents alone, the terms added in the same order.
    Closing closing(int year) const {
        const std::string end = lastDay(year).iso();
        auto sum = [&](size_t i, const char* expr, const char* where) {
            std::string sql = "SELECT " + std::string(expr) + " FROM " + table(i);
            if (where) sql += std::string(" WHERE ") + where;
            data::Statement st = data::prepareStatement(db(), sql, paths_[i]);
            if (sqlite3_bind_parameter_count(st.get()) > 0)
                sqlite3_bind_text(st.get(), 1, end.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(st.get()) != SQLITE_ROW) data::throwSqlite(db(), paths_[i]);
            return sqlite3_column_double(st.get(), 0);  // NULL reads as 0
        };
        const std::string cash = std::string("Cont = 'Casa' AND ") + kClosedYearDocument;
        const std::string bank = std::string("Cont = 'Banca' AND ") + kClosedYearDocument;
        // each sum taken to the ban and the balance added in bani, as the
        // document windows compute the current balances
        auto bani = [&](size_t i, const char* expr, const char* where) { return data::toBani(sum(i, expr, where)); };
        const data::Bani depuneri = bani(4, "SUM(Suma)", kClosedYearDocument);
        const data::Bani ridicari = bani(5, "SUM(Suma)", kClosedYearDocument);
        data::Bani casa = bani(kContor, "SUM(Sold_init_casa)", nullptr);
        casa += bani(2, "SUM(Valoarea)", cash.c_str());
        casa -= depuneri;
        casa += ridicari;
        casa -= bani(3, "SUM(Valoarea)", cash.c_str());
        data::Bani banca = bani(kContor, "SUM(Sold_init_banca)", nullptr);
        banca += bani(2, "SUM(Valoarea)", bank.c_str());
        banca += depuneri;
        banca -= ridicari;
        banca -= bani(3, "SUM(Valoarea)", bank.c_str());

        Closing c;
        c.year = year;
        c.soldCasa = data::fromBani(casa);
        c.soldBanca = data::fromBani(banca);
        for (size_t i : kDocuments) c.documents += static_cast<long long>(sum(i, "COUNT(*)", kClosedYearDocument));
        c.archiveDir = (archiveRoot(dir_) / yearText(year)).string();
        return c;
    }

    void exec(size_t i, const std::string& sql, const std::vector<data::Value>& values = {}) const {
        data::Statement st = data::prepareStatement(db(), sql, paths_[i]);
        for (size_t k = 0; k < values.size(); ++k) data::bindValue(st.get(), static_cast<int>(k + 1), values[k]);
        if (sqlite3_step(st.get()) != SQLITE_DONE) data::throwSqlite(db(), paths_[i]);
    }

    // Attaches a table of another directory (the following year's) for
    // writing in the same transaction, taken for exclusive use. Returns its
    // table's name.
    std::string attachForWriting(const std::string& schema, const std::string& path) {
        const std::string c = data::canonicalPath(path);
        if (data::fileWriteProtected(path)) throw NewYearRefused(data::writeProtectedMessage(path) + "!");
        try {
            data::OpenFiles::instance().acquire(c, true);
        } catch (const data::EngineError& e) {
            throw NewYearRefused("Tabela " + path + " este folosita de alt program (" + e.what() +
                                 "); inchideti programul care lucreaza in anul urmator si repetati operatia!");
        }
        held_.push_back(c);
        try {
            data::Statement st =
                data::prepareStatement(db(), "ATTACH DATABASE ?1 AS " + data::quoteIdent(schema), path);
            sqlite3_bind_text(st.get(), 1, path.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(st.get()) != SQLITE_DONE) data::throwSqlite(db(), path);
            const std::string table = data::findTableInFile(db(), schema, path);
            data::checkRequiredColumns(db(), schema, table, path);
            rollbackJournal(schema, path);
            return table;
        } catch (const data::EngineError& e) {
            throw NewYearRefused(e.what() + std::string("!"));
        }
    }

    // Sets the opening balances of a "Contor" table: its first record carries
    // them, any other is emptied; an empty table gets one record.
    void setOpening(const std::string& schema, const std::string& name, const std::string& path, double casa,
                    double banca) {
        const std::string table = data::quoteIdent(schema) + "." + data::quoteIdent(name);
        auto run = [&](const std::string& sql, const std::vector<data::Value>& values) {
            data::Statement st = data::prepareStatement(db(), sql, path);
            for (size_t k = 0; k < values.size(); ++k) data::bindValue(st.get(), static_cast<int>(k + 1), values[k]);
            if (sqlite3_step(st.get()) != SQLITE_DONE) data::throwSqlite(db(), path);
        };
        if (sumOf("SELECT COUNT(*) FROM " + table, path) == 0) {
            if (!data::writesPrepared(db(), schema)) data::prepareForWrites(db(), schema, name, path);
            run("INSERT INTO " + table + " (Sold_init_casa, Sold_init_banca) VALUES (?1, ?2)", {casa, banca});
            return;
        }
        const std::string first = "(SELECT MIN(rowid) FROM " + table + ")";
        run("UPDATE " + table + " SET Sold_init_casa = ?1, Sold_init_banca = ?2 WHERE rowid = " + first, {casa, banca});
        run("UPDATE " + table + " SET Sold_init_casa = 0.0, Sold_init_banca = 0.0 WHERE rowid <> " + first, {});
    }

    // The one value of a query (NULL reads as 0).
    double sumOf(const std::string& sql, const std::string& path) const {
        data::Statement st = data::prepareStatement(db(), sql, path);
        if (sqlite3_step(st.get()) != SQLITE_ROW) data::throwSqlite(db(), path);
        return sqlite3_column_double(st.get(), 0);
    }

    std::array<unsigned long, kRoles.size()> counters() const {
        std::array<unsigned long, kRoles.size()> c{};
        for (size_t i = 0; i < kRoles.size(); ++i)
            if (has(i)) c[i] = changeCounter(paths_[i]);
        return c;
    }

private:
    // The commit is atomic across the files only while every one of them
    // keeps a rollback journal; a file in another mode is brought back to it.
    void rollbackJournal(size_t i) { rollbackJournal(kRoles[i].schema, paths_[i]); }
    void rollbackJournal(const std::string& schema, const std::string& path) {
        auto mode = [&](const std::string& set) {
            data::Statement st =
                data::prepareStatement(db(), "PRAGMA " + data::quoteIdent(schema) + ".journal_mode" + set, path);
            if (sqlite3_step(st.get()) != SQLITE_ROW) data::throwSqlite(db(), path);
            return data::toLower(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        };
        const std::set<std::string> atomic{"delete", "truncate", "persist"};
        if (!atomic.count(mode("")) && !atomic.count(mode("=DELETE")))
            throw data::EngineError("Tabela nu poate fi scrisa cu jurnal. Fisierul: " + path);
        data::execSql(db(), ("PRAGMA " + data::quoteIdent(schema) + ".synchronous=FULL").c_str(), path);
    }
    void releaseAll() {
        for (const std::string& c : held_) data::OpenFiles::instance().release(c, true);
        held_.clear();
    }

    std::string dir_;
    std::array<std::string, kRoles.size()> paths_, tables_;
    data::Connection db_;
    std::vector<std::string> held_;
};

// The new year's journal: its first entry records the passage and the
// balances carried; the closed year's entries stay in its archive.
void startJournal(const Books& books, const Closing& c) {
    namespace j = data::journal;
    j::NewEntry e;
    e.table = "Parohia";
    e.key = "Trecerea la anul " + yearText(c.year + 1);
    e.action = j::kNewYear;
    e.before = j::encodeValues({{"An_lucru", data::Value(c.year)}});
    e.after = j::encodeValues({{"An_lucru", data::Value(c.year + 1)},
                               {"Sold_init_casa", data::Value(c.soldCasa), true},
                               {"Sold_init_banca", data::Value(c.soldBanca), true},
                               {"Documente_arhivate", data::Value(c.documents)},
                               {"Arhiva", data::Value(kArchiveDirectory + std::string("/") + yearText(c.year))}});
    j::startNewYear(books.db(), "jurnal", e);
}

// Refuses a directory that is an archive.
void refuseArchive(const std::string& dir) {
    if (auto y = stampYear(fs::path(dir)))
        throw NewYearRefused("Directorul " + dir + " este arhiva anului " + yearText(*y) +
                             "; in el nu se face trecerea la an nou!");
}

// Refuses a year that was closed already and a directory that is an archive.
void refuseClosedYear(const std::string& dir, int year) {
    std::error_code ec;
    refuseArchive(dir);
    const fs::path root = archiveRoot(dir);
    const auto rootStatus = fs::symlink_status(root, ec);
    if (fs::exists(rootStatus) && !fs::is_directory(rootStatus))
        throw NewYearRefused("Nu pot crea directorul " + root.string() + ": exista un fisier cu acest nume!");
    const fs::path archive = root / yearText(year);
    if (fs::exists(fs::symlink_status(archive, ec)))
        throw NewYearRefused("Anul " + yearText(year) + " a fost deja inchis: arhiva lui exista in " +
                             archive.string() + "!");
}

// Copies the directory `from` into `to` (which exists), sub-directories
// included. At the top the archive directory and the program's own files are
// left out, and hidden files, and links to directories (never followed out
// of the installation). Anything else that is not a directory or a regular
// file (a symbolic link to a file, a device) stops the copy: the archive holds
// every file or the passage does not happen.
void copyTree(const fs::path& from, const fs::path& to, int depth) {
    if (depth > kMaxDepth) throw std::runtime_error("Prea multe niveluri de directoare in " + from.string());
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(from)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    const std::set<std::string> listed(names.begin(), names.end());
    std::set<std::string> tablesCopied;
    for (const std::string& name : names) {
        if (name.empty() || name[0] == '.') continue;
        if (depth == 0 && (data::iequals(name, kArchiveDirectory) || name.find("Corvalinde") != std::string::npos))
            continue;
        std::string base;
        if (data::isJournalCompanion(name, base) && tablesCopied.count(base)) continue;
        const fs::path source = from / name;
        std::error_code ec;
        const auto status = fs::symlink_status(source);
        if (fs::is_directory(status)) {
            fs::create_directory(to / name);
            copyTree(source, to / name, depth + 1);
        } else if (fs::is_regular_file(status)) {
            const bool hasJournal = listed.count(name + "-journal") || listed.count(name + "-wal");
            try {
                if (data::copyFileInto(source.string(), to.string(), name, hasJournal)) tablesCopied.insert(name);
            } catch (const std::exception&) {
                throw std::runtime_error("Nu pot copia fisierul " + source.string() + " in arhiva");
            }
            step(Step::ArchiveFileCopied);
        } else if (!(fs::is_symlink(status) && fs::is_directory(fs::status(source, ec)))) {
            throw std::runtime_error(
                "Fisierul " + source.string() +
                (fs::is_symlink(status) ? " este o legatura simbolica" : " nu este un fisier obisnuit") +
                " si nu poate fi arhivat; inlocuiti-l cu fisierul insusi si repetati operatia!");
        }
    }
    data::syncDirectory(to.string());
}

void removeTree(const fs::path& p) {
    std::error_code ec;
    fs::remove_all(p, ec);
}

std::string oldYearKept(int year, const std::string& why) {
    return "Trecerea la an nou nu s-a facut: anul " + yearText(year) + " a ramas neschimbat.\n" + why;
}

std::string archivePending(int year, const fs::path& work, const fs::path& archive) {
    return "Trecerea la anul " + yearText(year + 1) + " s-a facut, dar arhiva anului " + yearText(year) +
           " a ramas in " + work.string() + "; ea va primi numele " + archive.string() +
           " la urmatoarea pornire a programului.";
}

// Rolls back what a passage cut short left in the tables: opening a table
// with a hot journal beside it rolls its unfinished transaction back. A kill
// can also leave a journal that was never made hot (cut while being written)
// and a super-journal no journal names any more: the database files do not
// need them, and they are removed while the table is held exclusively, so no
// writer of any process can be using them. Nothing is done while another
// program holds the tables (a passage running there keeps its files).
void settleJournals(const std::string& dir) {
    std::vector<std::string> held;
    const auto release = [&held] {
        for (const std::string& c : held) data::OpenFiles::instance().release(c, true);
    };
    bool settled = true;
    std::string parohia;
    try {
        // the change journal commits with the tables (the passage, the unit data)
        std::vector<std::string> files;
        for (const Role& r : kRoles) files.push_back(r.file);
        files.push_back(data::journal::kJournalFile);
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string p = data::resolveTableFile(dir, files[i]);
            if (p.empty()) continue;
            if (i == kParohia) parohia = p;
            const std::string c = data::canonicalPath(p);
            data::OpenFiles::instance().acquire(c, true);
            held.push_back(c);
        }
        for (const std::string& file : files) {
            const std::string p = data::resolveTableFile(dir, file);
            std::error_code ec;
            if (p.empty() || !fs::exists(p + "-journal", ec)) continue;
            try {
                data::Connection db = data::openTableConnection(p);
                if (fs::exists(p + "-journal", ec) &&
                    sqlite3_exec(db.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK) {
                    ::unlink((p + "-journal").c_str());
                    sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
                }
            } catch (const std::exception&) {
            }
            settled = settled && !fs::exists(p + "-journal", ec);
        }
        if (settled && !parohia.empty()) {
            const fs::path main(parohia);
            const std::string prefix = main.filename().string() + "-mj";
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(main.parent_path(), ec)) {
                const std::string name = e.path().filename().string();
                if (name.rfind(prefix, 0) == 0 && fs::is_regular_file(fs::symlink_status(e.path(), ec)))
                    ::unlink(e.path().c_str());
            }
            data::syncDirectory(main.parent_path().string());
        }
    } catch (const std::exception&) {
    }
    release();
}

// The working year as the tables hold it now; nullopt when unreadable.
std::optional<int> storedWorkingYear(const std::string& dir) {
    try {
        return Books(dir, false).workingYear();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

void setStepHook(StepHook hook) { stepHook() = std::move(hook); }

bool yearOver(int year, const data::Date& today) { return today.year > year; }

std::string amountText(double v) { return data::formatAmount(v); }

Closing planNewYear(const std::string& dirIn) {
    const std::string dir = databaseDir(dirIn);
    Books books(dir, false);
    data::execSql(books.db(), "BEGIN", books.path(kParohia));
    const int year = books.workingYear();
    refuseClosedYear(dir, year);
    Closing c = books.closing(year);
    sqlite3_exec(books.db(), "COMMIT", nullptr, nullptr, nullptr);
    return c;
}

Closing passNewYear(const std::string& dirIn, int expectedYear) {
    const std::string dir = databaseDir(dirIn);
    recoverNewYear(dir);
    refuseArchive(dir);          // before its tables are asked for writing
    Books::resolve(dir);         // a refused file stops the passage before the journal is settled
    data::journal::settle(dir);  // the closed year's entries go with its archive
    auto books = std::make_unique<Books>(dir, true);
    const int year = books->workingYear();
    if (year != expectedYear)
        throw NewYearRefused("Anul de lucru este acum " + yearText(year) + ", nu " + yearText(expectedYear) +
                             "; trecerea la an nou nu s-a facut!");
    refuseClosedYear(dir, year);
    // the change journal starts again in the same transaction
    std::string journalPath;
    try {
        journalPath = data::journal::journalPath(dir);
    } catch (const data::EngineError& e) {
        throw NewYearRefused(e.what() + std::string("!"));
    }
    if (!journalPath.empty()) books->attachForWriting("jurnal", journalPath);

    const fs::path root = archiveRoot(dir);
    const fs::path archive = root / yearText(year);
    const fs::path work = root / (yearText(year) + kIncompleteSuffix);
    const auto before = books->counters();
    Closing closed;
    bool committed = false;
    try {
        // 1. The closed year, whole, under the temporary name.
        try {
            fs::create_directories(root);
            removeTree(work);
            fs::create_directory(work);
            copyTree(fs::path(dir), work, 0);
        } catch (const fs::filesystem_error& e) {
            throw std::runtime_error("Nu pot crea arhiva " + work.string() + " (" + e.code().message() + ")");
        }
        writeStamp(work, year);
        data::syncDirectory(root.string());
        step(Step::ArchiveComplete);

        // 2. The new year, in one transaction over the seven tables.
        data::execSql(books->db(), "BEGIN IMMEDIATE", books->path(kParohia));
        if (books->counters() != before)
            throw std::runtime_error("Tabelele au fost modificate de alt program in timpul trecerii la an nou.");
        closed = books->closing(year);
        // The opening balances are summed over the records: the first carries them.
        books->setOpening("contor", books->tableName(kContor), books->path(kContor), closed.soldCasa, closed.soldBanca);
        step(Step::BalancesCarried);
        for (size_t i : kDocuments) {
            books->exec(i, "DELETE FROM " + books->table(i) + " WHERE " + kClosedYearDocument,
                        {data::Value(lastDay(year).iso())});
            step(Step::DocumentsRemoved);
        }
        books->exec(kParohia,
                    "UPDATE " + books->table(kParohia) + " SET An_lucru = ?1 WHERE rowid = (SELECT MIN(rowid) FROM " +
                        books->table(kParohia) + ")",
                    {year + 1});
        step(Step::YearAdvanced);
        if (books->has(kBilant)) books->exec(kBilant, "UPDATE " + books->table(kBilant) + " SET Executie = 0.0");
        step(Step::BudgetZeroed);
        if (!journalPath.empty()) startJournal(*books, closed);
        if (sqlite3_exec(books->db(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            // What a failed commit left is read back from the files.
            std::string why = sqlite3_errmsg(books->db());
            sqlite3_exec(books->db(), "ROLLBACK", nullptr, nullptr, nullptr);
            books.reset();
            if (storedWorkingYear(dir) != year + 1)
                throw std::runtime_error("Eroare la salvarea tabelelor (" + why + ")");
        }
        committed = true;
        step(Step::Committed);
    } catch (const std::exception& e) {
        if (!committed) {
            if (books) sqlite3_exec(books->db(), "ROLLBACK", nullptr, nullptr, nullptr);
            books.reset();
            removeTree(work);
            throw NewYearFailed(oldYearKept(year, e.what()), false);
        }
        books.reset();
        throw NewYearFailed(archivePending(year, work, archive) + "\n" + e.what(), true);
    }
    books.reset();

    // 3. The archive takes its name.
    if (::rename(work.c_str(), archive.c_str()) != 0) throw NewYearFailed(archivePending(year, work, archive), true);
    data::syncDirectory(root.string());
    step(Step::ArchiveNamed);
    return closed;
}

Recovery recoverNewYear(const std::string& dirIn) {
    Recovery result;
    try {
        const std::string dir = databaseDir(dirIn);
        {
            // an archive's tables are rolled back like any others: a correction
            // cut short leaves its journals there
            const bool closed = data::closedYearOf(dir) && !data::archiveCorrectionOn(dir);
            if (closed) data::setArchiveCorrection(dir, true);
            settleJournals(dir);
            if (closed) data::setArchiveCorrection(dir, false);
        }
        const fs::path root = archiveRoot(dir);
        std::error_code ec;
        if (!fs::is_directory(fs::symlink_status(root, ec))) return result;
        std::vector<fs::path> unfinished;
        for (const auto& e : fs::directory_iterator(root, ec)) {
            const std::string name = e.path().filename().string();
            if (name.size() > std::string(kIncompleteSuffix).size() && name.ends_with(kIncompleteSuffix) &&
                fs::is_directory(fs::symlink_status(e.path(), ec)))
                unfinished.push_back(e.path());
        }
        if (unfinished.empty()) return result;
        const std::optional<int> working = storedWorkingYear(dir);
        if (!working) return result;  // nothing is decided on tables that cannot be read
        for (const fs::path& work : unfinished) {
            const std::string name = work.filename().string();
            const auto year = data::parseInteger(name.substr(0, name.size() - std::string(kIncompleteSuffix).size()));
            if (!year) continue;
            const int y = static_cast<int>(*year);
            const fs::path archive = root / yearText(y);
            if (*working == y + 1 && stampYear(work) == y && !fs::exists(fs::symlink_status(archive, ec))) {
                // the new year was committed: the archive is complete
                if (::rename(work.c_str(), archive.c_str()) == 0) {
                    data::syncDirectory(root.string());
                    result = {Recovery::Kind::NewYearCompleted, y, archive.string()};
                }
            } else if (*working == y) {
                // the old year is still there: the archive is not needed
                removeTree(work);
                result = {Recovery::Kind::OldYearKept, y, {}};
            }
        }
    } catch (const std::exception&) {
    }
    return result;
}

// ---------------------------------------------------------------- correction

namespace {

// The mark of an archive under correction, in the header of its "Parohia.DB"
// (SQLite's user version): written when the correction opens, cleared by the
// commit that carries its balances.
constexpr int kCorrectionOpen = 0x436f7272;

int correctionMark(const std::string& parohia) {
    data::Connection db = data::openTableConnection(parohia, true);
    data::Statement st = data::prepareStatement(db.get(), "PRAGMA main.user_version", parohia);
    if (sqlite3_step(st.get()) != SQLITE_ROW) data::throwSqlite(db.get(), parohia);
    return sqlite3_column_int(st.get(), 0);
}

}  // namespace

std::optional<int> archiveYear(const std::string& dir) { return data::closedYearOf(databaseDir(dir)); }

bool correctionPending(const std::string& dirIn) {
    try {
        const std::string parohia = data::resolveTableFile(databaseDir(dirIn), "Parohia.DB");
        return !parohia.empty() && correctionMark(parohia) == kCorrectionOpen;
    } catch (const std::exception&) {
        return false;
    }
}

Correction planCorrection(const std::string& dirIn) {
    Correction c;
    c.archiveDir = databaseDir(dirIn);
    const std::optional<int> year = data::closedYearOf(c.archiveDir);
    if (!year) throw NewYearRefused("Directorul " + c.archiveDir + " nu este arhiva unui an inchis!");
    c.year = *year;
    // "<dir>Arhiva/<year>/": the installation it belongs to is <dir>
    const fs::path archive = fs::path(data::canonicalPath(c.archiveDir));
    const fs::path next = archive.parent_path().parent_path();
    const std::string nextYear = yearText(c.year + 1);
    const std::string notFound = "Nu gasesc directorul anului " + nextYear + ", caruia ii apartine arhiva anului " +
                                 yearText(c.year) + " (" + next.string() + "); nu s-a schimbat nimic!";
    if (!data::iequals(archive.parent_path().filename().string(), kArchiveDirectory) ||
        data::resolveTableFile(next.string(), "Contor.DB").empty() ||
        data::resolveTableFile(next.string(), "Parohia.DB").empty() || data::closedYearOf(next.string()))
        throw NewYearRefused(notFound);
    c.nextDir = data::withSlash(next.string());
    auto nextRefused = [&](const std::string& why) {
        return NewYearRefused("Directorul anului " + nextYear + " (" + c.nextDir +
                              ") nu poate fi folosit acum: " + why + "\nNu s-a schimbat nimic!");
    };
    int working = 0;
    double oldCasa = 0, oldBanca = 0;
    try {
        Books nextBooks(c.nextDir, false);
        working = nextBooks.workingYear();
        const std::string contor = nextBooks.table(kContor);
        oldCasa = nextBooks.sumOf("SELECT SUM(Sold_init_casa) FROM " + contor, nextBooks.path(kContor));
        oldBanca = nextBooks.sumOf("SELECT SUM(Sold_init_banca) FROM " + contor, nextBooks.path(kContor));
    } catch (const std::exception& e) {
        throw nextRefused(e.what());
    }
    c.oldCasa = data::roundToBan(oldCasa);
    c.oldBanca = data::roundToBan(oldBanca);
    if (working != c.year + 1)
        throw NewYearRefused("Directorul " + c.nextDir + " lucreaza in anul " + yearText(working) + ", nu in anul " +
                             nextYear + "; soldurile arhivei anului " + yearText(c.year) +
                             " nu pot fi reportate. Nu s-a schimbat nimic!");
    Books books(c.archiveDir, false);
    data::execSql(books.db(), "BEGIN", books.path(kParohia));
    const Closing closing = books.closing(c.year);
    c.newCasa = closing.soldCasa;
    c.newBanca = closing.soldBanca;
    sqlite3_exec(books.db(), "COMMIT", nullptr, nullptr, nullptr);
    return c;
}

void beginCorrection(const std::string& dirIn) {
    const Correction c = planCorrection(dirIn);
    data::setArchiveCorrection(c.archiveDir, true);
    try {
        Books books(c.archiveDir, true);
        data::execSql(books.db(), ("PRAGMA main.user_version = " + std::to_string(kCorrectionOpen)).c_str(),
                      books.path(kParohia));
    } catch (...) {
        data::setArchiveCorrection(c.archiveDir, false);
        throw;
    }
}

Correction finishCorrection(const std::string& dirIn) {
    Correction c = planCorrection(dirIn);
    const bool wasOpen = data::archiveCorrectionOn(c.archiveDir);
    data::setArchiveCorrection(c.archiveDir, true);  // the mark is cleared in the archive
    try {
        auto books = std::make_unique<Books>(c.archiveDir, true);
        const std::string nextContor =
            books->attachForWriting("next_contor", data::resolveTableFile(c.nextDir, "Contor.DB"));
        const std::string nextParohia =
            books->attachForWriting("next_parohia", data::resolveTableFile(c.nextDir, "Parohia.DB"));
        const std::string contorPath = data::resolveTableFile(c.nextDir, "Contor.DB");
        // the following year's journal records the opening balances changed
        const std::string nextJournal = data::journal::journalPath(c.nextDir);
        if (!nextJournal.empty()) books->attachForWriting("next_jurnal", nextJournal);
        data::execSql(books->db(), "BEGIN IMMEDIATE", books->path(kParohia));
        try {
            const std::string parohia = data::quoteIdent("next_parohia") + "." + data::quoteIdent(nextParohia);
            const double working =
                books->sumOf("SELECT An_lucru FROM " + parohia + " ORDER BY rowid LIMIT 1", c.nextDir + "Parohia.DB");
            if (working != c.year + 1)
                throw NewYearRefused("Anul de lucru din " + c.nextDir + " nu mai este " + yearText(c.year + 1) +
                                     "; nu s-a schimbat nimic!");
            const Closing closing = books->closing(c.year);
            c.newCasa = closing.soldCasa;
            c.newBanca = closing.soldBanca;
            const std::string contor = data::quoteIdent("next_contor") + "." + data::quoteIdent(nextContor);
            c.oldCasa = data::roundToBan(books->sumOf("SELECT SUM(Sold_init_casa) FROM " + contor, contorPath));
            c.oldBanca = data::roundToBan(books->sumOf("SELECT SUM(Sold_init_banca) FROM " + contor, contorPath));
            books->setOpening("next_contor", nextContor, contorPath, c.newCasa, c.newBanca);
            if (!nextJournal.empty()) {
                namespace j = data::journal;
                j::NewEntry e;
                e.table = "Contor";
                e.key = "Corectia arhivei anului " + yearText(c.year);
                e.action = j::kChanged;
                e.before = j::encodeValues({{"Sold_init_casa", data::Value(c.oldCasa), true},
                                            {"Sold_init_banca", data::Value(c.oldBanca), true}});
                e.after = j::encodeValues({{"Sold_init_casa", data::Value(c.newCasa), true},
                                           {"Sold_init_banca", data::Value(c.newBanca), true}});
                j::append(books->db(), "next_jurnal", e);
            }
            data::execSql(books->db(), "PRAGMA main.user_version = 0", books->path(kParohia));
            step(Step::CorrectionCarried);
            data::execSql(books->db(), "COMMIT", books->path(kParohia));
        } catch (...) {
            sqlite3_exec(books->db(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (const NewYearRefused&) {
        data::setArchiveCorrection(c.archiveDir, wasOpen);
        throw;
    } catch (const std::exception& e) {
        data::setArchiveCorrection(c.archiveDir, wasOpen);
        throw NewYearFailed("Soldurile arhivei anului " + yearText(c.year) + " nu au fost reportate in anul " +
                                yearText(c.year + 1) + "; nu s-a schimbat nimic.\n" + e.what(),
                            false);
    }
    data::setArchiveCorrection(c.archiveDir, false);
    return c;
}

std::string correctionQuestion(const Correction& c) {
    return "Arhiva anului " + yearText(c.year) + " se deschide pentru corectie: documentele anului inchis se pot " +
           "introduce si modifica.\n\nLa incheierea corectiei soldurile ei la " + dateText(lastDay(c.year)) +
           " devin soldurile la inceput de an ale anului " + yearText(c.year + 1) + " (" + c.nextDir + ").\n" +
           "Acum:  Casa : " + amountText(c.oldCasa) + "   Banca : " + amountText(c.oldBanca) + "\n\nContinuati?";
}

std::string correctionConfirmation(const Correction& c) {
    return "Confirmati deschiderea pentru corectie a arhivei anului " + yearText(c.year) + "?";
}

std::string correctionSummary(const Correction& c) {
    return "Corectia arhivei anului " + yearText(c.year) +
           " s-a incheiat; arhiva este din nou doar pentru citire.\n\n" + "Soldurile la inceput de an ale anului " +
           yearText(c.year + 1) + ":\n" + "   Casa : " + amountText(c.oldCasa) + " -> " + amountText(c.newCasa) + "\n" +
           "   Banca : " + amountText(c.oldBanca) + " -> " + amountText(c.newBanca);
}

std::string correctionPendingText(int year) {
    return "Corectia arhivei anului " + yearText(year) + " nu a fost incheiata: soldurile ei nu au fost reportate " +
           "in anul " + yearText(year + 1) + ". Alegeti Sistem / Corectie arhiva si incheiati corectia.";
}

std::string confirmationText(const Closing& c) {
    const std::string end = dateText(lastDay(c.year));
    return "Se inchide anul " + yearText(c.year) + " si se trece la anul " + yearText(c.year + 1) + ".\n\n" +
           "Soldurile la " + end + " devin soldurile la inceput de an:\n" + "   Casa : " + amountText(c.soldCasa) +
           "\n" + "   Banca : " + amountText(c.soldBanca) + "\n\n" + "Documentele pana la " + end + " (" +
           std::to_string(c.documents) + ") se scot din tabele; anul intreg se pastreaza in arhiva\n" + c.archiveDir +
           "\n\nContinuati?";
}

std::string yearNotOverText(const Closing& c, const data::Date& today) {
    return "Anul " + yearText(c.year) + " nu s-a incheiat inca: astazi este " + dateText(today) + ".\n" +
           "Treceti totusi la anul " + yearText(c.year + 1) + "?";
}

std::string summaryText(const Closing& c) {
    return "Trecerea la an nou s-a incheiat.\n\nAnul inchis : " + yearText(c.year) +
           "\nArhiva anului : " + c.archiveDir + "\nSold reportat in casa : " + amountText(c.soldCasa) +
           "\nSold reportat in banca : " + amountText(c.soldBanca) +
           "\nDocumente arhivate : " + std::to_string(c.documents) + "\nAnul de lucru : " + yearText(c.year + 1);
}

std::string recoveryText(const Recovery& r) {
    switch (r.kind) {
        case Recovery::Kind::OldYearKept:
            return "Trecerea la an nou a anului " + yearText(r.year) + " a fost intrerupta: anul " + yearText(r.year) +
                   " a ramas neschimbat, iar arhiva neterminata a fost stearsa.";
        case Recovery::Kind::NewYearCompleted:
            return "Trecerea la anul " + yearText(r.year + 1) + " a fost terminata: arhiva anului " + yearText(r.year) +
                   " este in " + r.archiveDir + ".";
        default: return {};
    }
}

}  // namespace yearend
