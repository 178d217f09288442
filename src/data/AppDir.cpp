#include "data/AppDir.h"

#include <limits.h>
#include <algorithm>
#include <cctype>
#include <unistd.h>

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

void setAppDir(const std::string& dir) {
    std::string d = canonicalPath(dir.empty() ? std::string(".") : dir);
    if (d.empty() || d.back() != '/') d += '/';
    appDirValue() = d;
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
