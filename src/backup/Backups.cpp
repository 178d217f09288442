#include "backup/Backups.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "data/DirectoryCopy.h"
#include "data/Engine.h"
#include "data/FileHandle.h"
#include "data/OrdinaryFile.h"
#include "data/SqliteHandle.h"
#include "entry/Balances.h"

namespace fs = std::filesystem;

namespace backup {

namespace {

const char* const kIdFile = ".instalare";
const char* const kLockFile = ".instanta";
const char* const kMarker = ".restaurare";
const char* const kStaging = ".restaurare.nou";
const char* const kAside = ".restaurare.vechi";
const char* const kIncomplete = ".incomplet";
constexpr size_t kKeptAlways = 7;

RestoreHook& restoreHook() {
    static RestoreHook hook;
    return hook;
}
void step(RestoreStep s) {
    if (restoreHook()) restoreHook()(s);
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The entries of the database directory that are its data: neither hidden
// (the installation's own id, lock and restore files), nor the engine's
// private directory, nor the program's own files. Below it everything is
// data, hidden files too (a closed year's stamp in its archive).
bool isDataEntry(const std::string& name, bool topLevel) {
    if (name.empty()) return false;
    if (!topLevel) return true;
    return name[0] != '.' && name.find("Corvalinde") == std::string::npos && lower(name) != "priv";
}

std::vector<std::string> dataEntries(const fs::path& dir, bool topLevel, bool mayBeMissing = false) {
    std::vector<std::string> names;
    std::error_code ec;
    if (mayBeMissing && !fs::is_directory(fs::symlink_status(dir, ec))) return names;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string n = it->path().filename().string();
        if (isDataEntry(n, topLevel)) names.push_back(std::move(n));
    }
    if (ec) throw BackupError("Nu pot citi directorul " + dir.string());
    std::sort(names.begin(), names.end());
    return names;
}

void syncTree(const fs::path& root) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) data::syncDirectory(it->path().string());
    data::syncDirectory(root.string());
}

void renameOrFail(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        throw BackupError("Nu pot redenumi " + from.string() + " in " + to.string() + ": " + std::strerror(errno));
}

// Copies the tree `src` into the existing directory `dest`; the names that
// could not be copied (relative to the top) are added to `failed`.
void copyTree(const fs::path& src, const fs::path& dest, const std::string& prefix, bool topLevel,
              std::vector<std::string>& failed, long long& done, long long total, const Progress& progress) {
    const std::vector<std::string> names = dataEntries(src, topLevel);
    std::map<std::string, bool> listed;
    for (const std::string& n : names) listed[n] = true;
    std::map<std::string, bool> copiedAsCommitted;
    for (const std::string& name : names) {
        const fs::path from = src / name;
        std::string base;
        if (data::isJournalCompanion(name, base) && copiedAsCommitted.count(base)) continue;
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(from, ec);
        try {
            if (fs::is_symlink(st)) throw BackupError("link");
            if (fs::is_directory(st)) {
                fs::create_directory(dest / name);
                copyTree(from, dest / name, prefix + name + "/", false, failed, done, total, progress);
                continue;
            }
            if (!fs::is_regular_file(st)) continue;  // a FIFO, socket or device holds no data
            const bool journal = listed.count(name + "-journal") || listed.count(name + "-wal");
            if (data::copyFileInto(from.string(), dest.string(), name, journal)) copiedAsCommitted[name] = true;
            done += static_cast<long long>(fs::file_size(from, ec));
            if (progress) progress(done, total);
        } catch (const std::exception&) {
            failed.push_back(prefix + name);
        }
    }
    data::syncDirectory(dest.string());
}

long long treeSize(const fs::path& dir, bool topLevel) {
    long long n = 0;
    std::error_code ec;
    for (const std::string& name : dataEntries(dir, topLevel)) {
        const fs::file_status st = fs::symlink_status(dir / name, ec);
        if (fs::is_directory(st))
            n += treeSize(dir / name, false);
        else if (fs::is_regular_file(st))
            n += static_cast<long long>(fs::file_size(dir / name, ec));
    }
    return n;
}

// `src` copied whole into the new directory `dest` (made here), or BackupError.
void copyWhole(const fs::path& src, const fs::path& dest, const Progress& progress) {
    std::error_code ec;
    fs::remove_all(dest, ec);
    if (!fs::create_directories(dest, ec) && !fs::is_directory(dest))
        throw BackupError("Nu pot crea directorul " + dest.string());
    std::vector<std::string> failed;
    long long done = 0;
    const long long total = treeSize(src, true);
    copyTree(src, dest, "", true, failed, done, total, progress);
    if (!failed.empty()) {
        std::string text = "Fisiere necopiate: ";
        for (size_t i = 0; i < failed.size(); ++i) text += (i ? ", " : "") + failed[i];
        throw BackupError(text);
    }
    syncTree(dest);
}

std::string twoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

bool digits(const std::string& s, size_t from, size_t n, int& value) {
    if (s.size() < from + n) return false;
    value = 0;
    for (size_t i = from; i < from + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

std::string readSmall(const fs::path& p) {
    try {
        return data::readOrdinaryFile(p.string(), 4096);
    } catch (const std::exception&) {
        return {};
    }
}

std::string randomId() {
    std::random_device rd;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(rd()));
    return buf;
}

long long countRows(sqlite3* db, const std::string& dir, const char* file) {
    std::string path;
    try {
        path = data::resolveTableFile(dir, file);
    } catch (const std::exception&) {
        return 0;
    }
    if (path.empty()) return 0;
    data::Statement st = data::prepareStatement(db, "ATTACH DATABASE ?1 AS t", path);
    sqlite3_bind_text(st.get(), 1, path.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st.get()) != SQLITE_DONE) data::throwSqlite(db, path);
    st.reset();
    long long n = 0;
    try {
        const std::string table = data::findTableInFile(db, "t", path);
        data::Statement q = data::prepareStatement(db, "SELECT count(*) FROM t." + data::quoteIdent(table), path);
        if (sqlite3_step(q.get()) == SQLITE_ROW) n = sqlite3_column_int64(q.get(), 0);
    } catch (...) {
        sqlite3_exec(db, "DETACH DATABASE t", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(db, "DETACH DATABASE t", nullptr, nullptr, nullptr);
    return n;
}

// Every table file under `dir`, for the engine to let go of.
void releaseTables(const fs::path& dir) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string n = lower(it->path().filename().string());
        if (n.size() > 3 && n.compare(n.size() - 3, 3, ".db") == 0)
            data::SqlSession::releaseEverywhere(data::canonicalPath(it->path().string()));
    }
}

void writeMarker(const fs::path& dir, const std::string& state) {
    try {
        data::replaceOrdinaryFile((dir / kMarker).string(), state);
    } catch (const std::exception& e) {
        throw BackupError("Nu pot scrie " + (dir / kMarker).string() + ": " + e.what());
    }
    data::syncDirectory(dir.string());
}

}  // namespace

// ------------------------------------------------------------ where copies live

std::string installationId(const std::string& dirIn) {
    const fs::path dir = fs::weakly_canonical(fs::path(dirIn));
    const fs::path file = dir / kIdFile;
    std::istringstream in(readSmall(file));
    std::string id, origin;
    std::getline(in, id);
    std::getline(in, origin);
    const bool wellFormed = id.size() == 8 && std::all_of(id.begin(), id.end(), [](char c) {
                                return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                            });
    if (wellFormed && origin == dir.string()) return id;
    if (wellFormed) {
        // Copied beside the original (which still holds the same id) or moved.
        std::error_code ec;
        std::istringstream other(readSmall(fs::path(origin) / kIdFile));
        std::string otherId;
        std::getline(other, otherId);
        const bool copied = fs::is_directory(origin, ec) && otherId == id && !fs::equivalent(origin, dir, ec);
        if (copied) id = randomId();
    } else {
        id = randomId();
    }
    try {
        data::replaceOrdinaryFile(file.string(), id + "\n" + dir.string() + "\n");
    } catch (const std::exception&) {
        // A directory that cannot be written (a read-only medium): the id
        // holds for this run.
    }
    return id;
}

std::string unitName(const std::string& dir) {
    try {
        const std::string path = data::resolveTableFile(dir, "Parohia.DB");
        if (path.empty()) return {};
        data::Connection db = data::openTableConnection(path, true);
        const std::string table = data::findTableInFile(db.get(), "main", path);
        data::Statement st = data::prepareStatement(
            db.get(), "SELECT Parohia FROM " + data::quoteIdent(table) + " ORDER BY rowid", path);
        if (sqlite3_step(st.get()) == SQLITE_ROW && sqlite3_column_text(st.get(), 0))
            return reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    } catch (const std::exception&) {
    }
    return {};
}

std::string installationFolder(const std::string& root, const std::string& dir) {
    const std::string id = installationId(dir);
    const std::string suffix = "-" + id;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string n = it->path().filename().string();
        if (n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            fs::is_directory(fs::symlink_status(it->path(), ec)))
            return it->path().string();
    }
    std::string name;
    for (char c : unitName(dir)) {
        const bool keep = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
        name += keep ? c : '_';
    }
    while (!name.empty() && (name[0] == '.' || name[0] == '_')) name.erase(0, 1);
    if (name.size() > 60) name.resize(60);
    if (name.empty()) name = "Unitate";
    return (fs::path(root) / (name + suffix)).string();
}

std::string dayCopyName(const data::Date& d) { return std::to_string(d.year) + twoDigits(d.month) + twoDigits(d.day); }

std::string timedCopyName(const data::Date& d, int hour, int minute) {
    return dayCopyName(d) + "-" + twoDigits(hour) + twoDigits(minute);
}

bool parseCopyName(const std::string& name, CopyName& out) {
    int y, m, d;
    if (!digits(name, 0, 4, y) || !digits(name, 4, 2, m) || !digits(name, 6, 2, d) || !data::Date::isValid(y, m, d))
        return false;
    out = CopyName{data::Date{y, m, d}, -1, -1};
    if (name.size() == 8) return true;
    int h, mi;
    if (name.size() != 13 || name[8] != '-' || !digits(name, 9, 2, h) || !digits(name, 11, 2, mi) || h > 23 || mi > 59)
        return false;
    out.hour = h;
    out.minute = mi;
    return true;
}

std::vector<std::string> listCopies(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    CopyName c;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string n = it->path().filename().string();
        if (parseCopyName(n, c) && fs::is_directory(fs::symlink_status(it->path(), ec))) names.push_back(n);
    }
    // "20140512" sorts before "20140512-0900": the names sort as the times they stand for
    std::sort(names.begin(), names.end());
    return names;
}

// ------------------------------------------------------------ making and keeping copies

bool makeCopy(const std::string& dir, const std::string& folder, const std::string& name, bool replace,
              const Progress& progress) {
    const fs::path target = fs::path(folder) / name;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) throw BackupError("Nu pot crea directorul " + folder);
    if (fs::exists(fs::symlink_status(target, ec)) && !replace) return false;
    const fs::path work = fs::path(folder) / (name + kIncomplete);
    copyWhole(dir, work, progress);
    if (fs::exists(fs::symlink_status(target, ec))) {
        // The two directories trade names in one step: the name always holds a
        // whole copy, the old one is left under the work name and removed.
        if (::renameat2(AT_FDCWD, work.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
            if (errno != EINVAL && errno != ENOSYS)
                throw BackupError("Nu pot inlocui copia " + target.string() + ": " + std::strerror(errno));
            // a file system without the exchange: the old copy goes first
            fs::remove_all(target, ec);
            renameOrFail(work, target);
        }
        data::syncDirectory(folder);
        fs::remove_all(work, ec);
    } else {
        renameOrFail(work, target);
    }
    data::syncDirectory(folder);
    return true;
}

std::vector<std::string> pruneCopies(const std::string& folder, int days, const data::Date& today) {
    std::vector<std::string> removed;
    const std::vector<std::string> copies = listCopies(folder);
    if (copies.size() <= kKeptAlways) return removed;
    const data::Date oldest = today.addDays(-days);
    for (size_t i = 0; i + kKeptAlways < copies.size(); ++i) {
        CopyName c;
        parseCopyName(copies[i], c);
        if (!(c.day < oldest)) continue;
        std::error_code ec;
        fs::remove_all(fs::path(folder) / copies[i], ec);
        if (!ec) removed.push_back(copies[i]);
    }
    return removed;
}

// ------------------------------------------------------------ what a copy holds

Figures readFigures(const std::string& dirIn) {
    const std::string dir = data::withSlash(dirIn);
    Figures f;
    try {
        f.unit = unitName(dir);
        const std::string path = data::resolveTableFile(dir, "Parohia.DB");
        if (!path.empty()) {
            data::Connection db = data::openTableConnection(path, true);
            const std::string table = data::findTableInFile(db.get(), "main", path);
            data::Statement st = data::prepareStatement(
                db.get(), "SELECT An_lucru FROM " + data::quoteIdent(table) + " ORDER BY rowid LIMIT 1", path);
            if (sqlite3_step(st.get()) == SQLITE_ROW) f.year = sqlite3_column_int(st.get(), 0);
            st.reset();
            f.receipts = countRows(db.get(), dir, "Venituri.DB");
            f.payments = countRows(db.get(), dir, "Cheltuieli.DB");
            f.deposits = countRows(db.get(), dir, "Depuneri.DB");
            f.withdrawals = countRows(db.get(), dir, "Ridicari.DB");
        }
        f.casa = data::toBani(entry::CalcSoldCasa(dir));
        f.banca = data::toBani(entry::CalcSoldBanca(dir));
    } catch (const std::exception& e) {
        releaseTables(dir);
        throw BackupError("Nu pot citi datele din " + dir + ": " + e.what());
    }
    releaseTables(dir);
    return f;
}

std::string figuresText(const Figures& f) {
    return (f.unit.empty() ? std::string("(fara nume)") : f.unit) + ", anul " + std::to_string(f.year) + ", " +
           std::to_string(f.receipts) + " incasari, " + std::to_string(f.payments) + " plati, " +
           std::to_string(f.deposits) + " depuneri, " + std::to_string(f.withdrawals) + " ridicari, sold casa " +
           data::formatAmountBani(f.casa) + ", sold banca " + data::formatAmountBani(f.banca);
}

std::string copyTimeText(const std::string& name) {
    CopyName c;
    if (!parseCopyName(name, c)) return name;
    const std::string day = twoDigits(c.day.day) + "." + twoDigits(c.day.month) + "." + std::to_string(c.day.year);
    if (c.hour < 0) return day + " (prima pornire din zi)";
    return day + " " + twoDigits(c.hour) + ":" + twoDigits(c.minute);
}

std::string restoreQuestion(const std::string& name, const Figures& copy, const Figures& current) {
    return "Datele curente vor fi inlocuite cu cele din copia de siguranta " + name + " din " + copyTimeText(name) +
           ".\n\nCopia: " + figuresText(copy) + "\nDatele curente: " + figuresText(current) +
           "\n\nInainte de restaurare se face o copie de siguranta a datelor curente. Continuati?";
}

void checkCopy(const std::string& copyDir) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(copyDir, ec))) throw BackupError("Copia " + copyDir + " nu exista!");
    bool sawUnit = false;
    for (fs::recursive_directory_iterator it(copyDir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::file_status st = it->symlink_status(ec);
        const std::string name = it->path().filename().string();
        if (fs::is_symlink(st)) throw BackupError("Copia contine o legatura: " + it->path().string() + "!");
        const std::string n = lower(name);
        if (!fs::is_regular_file(st) || n.size() < 4 || n.compare(n.size() - 3, 3, ".db") != 0) continue;
        if (it.depth() == 0 && n == "parohia.db") sawUnit = true;
        sqlite3* db = nullptr;
        bool ok = sqlite3_open_v2(it->path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
        if (ok) {
            sqlite3_stmt* q = nullptr;
            ok = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &q, nullptr) == SQLITE_OK &&
                 sqlite3_step(q) == SQLITE_ROW && sqlite3_column_text(q, 0) &&
                 std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)), "ok") == 0;
            sqlite3_finalize(q);
        }
        sqlite3_close(db);
        if (!ok) throw BackupError("Copia este deteriorata: tabela " + it->path().string() + " nu trece verificarea!");
    }
    if (ec) throw BackupError("Nu pot citi copia " + copyDir + "!");
    if (!sawUnit) throw BackupError("Copia " + copyDir + " nu contine tabela Parohia.DB!");
}

// ------------------------------------------------------------ the instance lock

InstanceLock::~InstanceLock() { release(); }

void InstanceLock::share(const std::string& dir) {
    release();
    dir_ = dir;
    fd_ = ::open((fs::path(dir) / kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ >= 0 && ::flock(fd_, LOCK_SH | LOCK_NB) != 0) release();
}

bool InstanceLock::takeAlone(const std::string& dir) {
    if (fd_ < 0 || dir_ != dir) {
        release();
        dir_ = dir;
        fd_ = ::open((fs::path(dir) / kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd_ < 0) return false;
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
        release();
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    ::flock(fd_, LOCK_SH | LOCK_NB);
    return false;
}

void InstanceLock::backToShared() {
    if (fd_ >= 0) ::flock(fd_, LOCK_SH | LOCK_NB);
}

void InstanceLock::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

// ------------------------------------------------------------ restore

namespace {
void swapIn(const fs::path& dir, const fs::path& staging, const fs::path& aside);
int finishInterrupted(const fs::path& dir);
}  // namespace

void setRestoreHook(RestoreHook hook) { restoreHook() = std::move(hook); }

void restoreCopy(const std::string& dirIn, const std::string& copyDir, const Progress& progress) {
    const fs::path dir(dirIn);
    const fs::path staging = dir / kStaging, aside = dir / kAside;
    try {
        copyWhole(copyDir, staging, progress);
    } catch (const BackupError& e) {
        std::error_code ec;
        fs::remove_all(staging, ec);
        throw BackupError("Copia nu a putut fi pregatita, datele nu s-au schimbat: " + std::string(e.what()));
    }
    data::syncDirectory(dir.string());
    step(RestoreStep::Staged);

    releaseTables(dir);
    try {
        swapIn(dir, staging, aside);
    } catch (const std::exception& e) {
        // a rename refused part way: the old data back, or the copy completed
        try {
            finishInterrupted(dir);
        } catch (const std::exception&) {
        }
        releaseTables(dir);
        throw BackupError("Restaurarea nu s-a putut face: " + std::string(e.what()));
    }
    releaseTables(dir);
}

namespace {
void swapIn(const fs::path& dir, const fs::path& staging, const fs::path& aside) {
    writeMarker(dir, "1");
    std::error_code ec;
    fs::remove_all(aside, ec);
    fs::create_directory(aside, ec);
    data::syncDirectory(dir.string());
    step(RestoreStep::Marked);
    for (const std::string& n : dataEntries(dir, true)) {
        renameOrFail(dir / n, aside / n);
        step(RestoreStep::MovedOut);
    }
    data::syncDirectory(aside.string());
    data::syncDirectory(dir.string());

    // From here on the copy is completed, by this run or the next start.
    writeMarker(dir, "2");
    step(RestoreStep::Switched);
    for (const std::string& n : dataEntries(staging, true)) {
        renameOrFail(staging / n, dir / n);
        step(RestoreStep::MovedIn);
    }
    data::syncDirectory(dir.string());
    ::unlink((dir / kMarker).c_str());
    data::syncDirectory(dir.string());
    step(RestoreStep::Done);
    fs::remove_all(aside, ec);
    fs::remove_all(staging, ec);
}
}  // namespace

namespace {
// Completes (marker "2") or rolls back (marker "1") what a restore left; the
// caller holds the directory alone.
int finishInterrupted(const fs::path& dir) {
    const fs::path staging = dir / kStaging, aside = dir / kAside;
    std::error_code ec;
    const bool marked = fs::exists(fs::symlink_status(dir / kMarker, ec));
    const std::string state = marked ? readSmall(dir / kMarker) : std::string();
    int kind = 0;
    if (state == "2") {
        for (const std::string& n : dataEntries(staging, true, true)) renameOrFail(staging / n, dir / n);
        kind = 2;
    } else if (marked) {
        for (const std::string& n : dataEntries(aside, true, true)) renameOrFail(aside / n, dir / n);
        kind = 1;
    }
    data::syncDirectory(dir.string());
    ::unlink((dir / kMarker).c_str());
    data::syncDirectory(dir.string());
    fs::remove_all(aside, ec);
    fs::remove_all(staging, ec);
    return kind;
}
}  // namespace

int recoverRestore(const std::string& dirIn) {
    const fs::path dir(dirIn);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(dir / kMarker, ec)) && !fs::exists(dir / kStaging, ec) &&
        !fs::exists(dir / kAside, ec))
        return 0;
    InstanceLock lock;
    if (!lock.takeAlone(dirIn)) return 0;  // a restore of another instance may be running
    try {
        return finishInterrupted(dir);
    } catch (const std::exception&) {
        return 0;  // the marker stays; the next start tries again
    }
}

std::string recoveryText(int kind) {
    if (kind == 1) return "Restaurarea din copia de siguranta a fost intrerupta; datele au ramas cele dinainte.";
    if (kind == 2) return "Restaurarea din copia de siguranta a fost intrerupta si a fost terminata acum.";
    return {};
}

std::string treeStamp(const std::string& dir) {
    std::string stamp;
    std::error_code ec;
    for (const std::string& n : dataEntries(dir, true)) {
        const fs::path p = fs::path(dir) / n;
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) continue;
        stamp += n + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
                 std::to_string(st.st_mtim.tv_nsec) + "\n";
        if (S_ISDIR(st.st_mode)) {
            for (fs::recursive_directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec)) {
                if (::lstat(it->path().c_str(), &st) != 0) continue;
                stamp += it->path().string() + ":" + std::to_string(st.st_size) + ":" +
                         std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "\n";
            }
        }
    }
    return stamp;
}

}  // namespace backup
