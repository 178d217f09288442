#include "data/AppDir.h"

#include <limits.h>
#include <unistd.h>

#include "data/Engine.h"
#include "data/SqliteHandle.h"
#include "data/Table.h"

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
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(tableName);
    t.open();
    bool has = t.hasField(field);
    t.close();
    if (has) return;
    if (beforeAlter) beforeAlter();
    UndoUnlessDone after([&] {
        if (afterAlter) afterAlter();
    });
    SqlSession::forDirectory(dir.empty() ? AppDir() : dir)
        .execute("Alter Table \"" + tableName + "\" ADD " + field + " " + type);
}

}  // namespace data
