#include "data/AppDir.h"

#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "data/Engine.h"
#include "data/Errors.h"
#include "data/Format.h"
#include "data/SqliteHandle.h"

namespace data {

static std::string& appDirValue() {
    static std::string d;
    return d;
}

std::string programDirectory() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string p(buf, static_cast<size_t>(n));
    return p.substr(0, p.find_last_of('/') + 1);
}

const std::string& AppDir() {
    if (appDirValue().empty()) appDirValue() = programDirectory();
    return appDirValue();
}

std::string userDataDirectory() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return withSlash(xdg) + "Corvalinde/";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return withSlash(home.empty() ? std::string("/tmp") : home) + ".local/share/Corvalinde/";
}

static std::string& installedProgramDirectory() {
    static std::string d;
    return d;
}

void setInstalledProgramDirectory(const std::string& dir) { installedProgramDirectory() = dir; }

bool keepsTablesBeside(const std::string& programDir) {
    std::error_code ec;
    const std::string installed = installedProgramDirectory();
    if (!installed.empty() && std::filesystem::equivalent(programDir, installed, ec)) return false;
    return ::access(programDir.c_str(), W_OK | X_OK) == 0;
}

std::string defaultDatabaseDirectory(const std::string& programDir) {
    return keepsTablesBeside(programDir) ? withSlash(programDir) : userDataDirectory();
}

void setAppDir(const std::string& dir) {
    std::string d = canonicalPath(dir.empty() ? std::string(".") : dir);
    if (d.empty() || d.back() != '/') d += '/';
    appDirValue() = d;
}

std::optional<int> closedYearOf(const std::string& dir) {
    const std::string stamp = withSlash(dir) + kClosedYearStamp;
    struct stat st {};
    if (::lstat(stamp.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::ifstream in(stamp);
    long long y = 0;
    if (!(in >> y) || y < 1 || y > 9999) return std::nullopt;
    return static_cast<int>(y);
}

std::string archiveOfFile(const std::string& path) {
    std::filesystem::path d = std::filesystem::path(path).parent_path();
    for (int up = 0; up < 4 && !d.empty(); ++up, d = d.parent_path()) {
        if (closedYearOf(d.string())) return withSlash(d.string());
        if (d == d.root_path()) break;
    }
    return {};
}

namespace {

std::set<std::string>& archivesInCorrection() {
    static std::set<std::string> s;
    return s;
}
std::string archiveKey(const std::string& dir) { return withSlash(canonicalPath(dir)); }

}  // namespace

void setArchiveCorrection(const std::string& dir, bool on) {
    if (archiveCorrectionOn(dir) == on) return;
    if (on)
        archivesInCorrection().insert(archiveKey(dir));
    else
        archivesInCorrection().erase(archiveKey(dir));
    // files the SQL sessions attached before are attached again in the new mode
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it.depth() > 3) it.disable_recursion_pending();
        if (it->is_regular_file(ec)) SqlSession::releaseEverywhere(canonicalPath(it->path().string()));
    }
}

bool archiveCorrectionOn(const std::string& dir) { return archivesInCorrection().count(archiveKey(dir)) > 0; }

bool closedArchiveFile(const std::string& path) {
    const std::string archive = archiveOfFile(path);
    if (archive.empty() || archiveCorrectionOn(archive)) return false;
    std::string base = std::filesystem::path(path).stem().string();
    for (const char* work : {"Registru", "Bilant", "Bilant1", "BilantCentral"})
        if (iequals(base, work)) return false;
    return true;
}

std::string closedArchiveMessage(const std::string& path) {
    const std::string archive = archiveOfFile(path);
    const std::optional<int> year = closedYearOf(archive);
    return "Arhiva anului " + (year ? std::to_string(*year) : std::string("inchis")) +
           " se poate doar consulta: documentele unui an inchis se introduc numai in corectia arhivei "
           "(Sistem / Corectie arhiva). Fisierul: " +
           path;
}

void EnsureField(const std::string& dir, const std::string& tableName, const std::string& field,
                 const std::string& type, const std::function<void()>& beforeAlter,
                 const std::function<void()>& afterAlter) {
    std::string d = dir.empty() ? AppDir() : dir;
    std::string path = resolveTableFile(d, tableName);
    if (path.empty()) throw EngineError("Tabela nu exista. Fisierul: " + withSlash(d) + tableName);
    if (type.empty() || !std::all_of(type.begin(), type.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ' ' || c == '(' || c == ')' ||
                   c == ',';
        }))
        throw EngineError("Tip de camp nevalid: " + type);
    std::string canonical = canonicalPath(path);
    OpenFiles::instance().acquire(canonical, false);  // refused while another program holds it
    UndoUnlessDone release([&] { OpenFiles::instance().release(canonical, false); });
    Connection db = openTableConnection(path);
    // Only the table itself is altered: a file of another table copied over it is refused.
    std::string table = findTableInFile(db.get(), "main", path);
    auto columns = tableColumns(db.get(), "main", table);
    if (std::any_of(columns.begin(), columns.end(), [&](const std::string& c) { return iequals(c, field); })) return;
    if (beforeAlter) beforeAlter();
    UndoUnlessDone after([&] {
        if (afterAlter) afterAlter();
    });
    Transaction tx(db.get(), path);
    execSql(db.get(), ("ALTER TABLE " + quoteIdent(table) + " ADD COLUMN " + quoteIdent(field) + " " + type).c_str(),
            path);
    tx.commit();
}

}  // namespace data
