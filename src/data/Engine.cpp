#include "data/Engine.h"
#include "data/Journal.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "data/AppDir.h"
#include "data/Collation.h"
#include "data/Errors.h"
#include "data/Format.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "data/SqlTranslate.h"

namespace fs = std::filesystem;

namespace data {

std::string withSlash(const std::string& dir) {
    if (dir.empty()) return AppDir();
    return dir.back() == '/' ? dir : dir + "/";
}

std::string canonicalPath(const std::string& path) {
    std::error_code ec;
    auto p = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path : p.string();
}

// Finds `name` among the entries of `dir`, letter case ignored.
static std::string findEntry(const std::string& dir, const std::string& name) {
    struct stat st {};
    if (::stat((dir + name).c_str(), &st) == 0) return name;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir.empty() ? "." : dir, ec)) {
        std::string n = e.path().filename().string();
        if (iequals(n, name)) return n;
    }
    return {};
}

void requireTableFileType(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;  // a missing file is the caller's to report
    if (S_ISREG(st.st_mode)) return;
    const std::string what = S_ISLNK(st.st_mode)   ? "este o legatura simbolica"
                             : S_ISDIR(st.st_mode) ? "este un director"
                                                   : "nu este un fisier obisnuit";
    throw EngineError(
        "Tabela " + what +
        "; programul lucreaza numai pe fisiere obisnuite (inlocuiti-o cu fisierul insusi). Fisierul: " + path);
}

std::string resolveTableFile(const std::string& dirIn, const std::string& nameIn) {
    std::string name = nameIn;
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string dir = withSlash(dirIn);
    struct stat dst {};
    if (!name.starts_with("/") && ::stat(dir.c_str(), &dst) != 0 && dir.starts_with("/")) {
        // a directory named in another letter case ("Parohii" for PAROHII)
        name = dir.substr(1) + name;
        dir = "/";
    }
    if (name.starts_with("/")) {
        dir = "/";
        name = name.substr(1);
    }
    // directories first, each matched without regard to case
    size_t pos;
    while ((pos = name.find('/')) != std::string::npos) {
        std::string part = name.substr(0, pos);
        name = name.substr(pos + 1);
        if (part.empty() || part == ".") continue;
        std::string found = findEntry(dir, part);
        if (found.empty()) return {};
        dir += found + "/";
    }
    for (const std::string& candidate : {name, name + ".DB"}) {
        std::string found = findEntry(dir, candidate);
        if (found.empty()) continue;
        requireTableFileType(dir + found);
        return dir + found;
    }
    return {};
}

std::string quoteIdent(const std::string& name) {
    std::string r = "\"";
    for (char c : name) r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}

std::string quoteText(const std::string& text) {
    std::string r = "'";
    for (char c : text) r += c == '\'' ? std::string("''") : std::string(1, c);
    return r + "'";
}

namespace {

std::string inFile(const std::string& path) { return path.empty() ? "" : ". Fisierul: " + path; }

// A name read from a file, fit for a message: printable and short.
std::string shownName(const std::string& name) {
    std::string out;
    for (char c : name) out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return out.size() > 60 ? out.substr(0, 60) + "..." : out;
}

}  // namespace

std::string writeProtectedMessage(const std::string& path) {
    if (!path.empty() && closedArchiveFile(path)) return closedArchiveMessage(path);
    return "Tabela este protejata la scriere; modificarile nu pot fi salvate" + inFile(path);
}

void throwSqlite(sqlite3* db, const std::string& context) {
    int code = db ? sqlite3_extended_errcode(db) : SQLITE_ERROR;
    std::string raw = db ? sqlite3_errmsg(db) : "eroare necunoscuta";
    std::string msg;
    switch (code & 0xff) {
        case SQLITE_CONSTRAINT:
            if (code == SQLITE_CONSTRAINT_TRIGGER) throw EngineError(raw + inFile(context));  // a refusal of the file
            msg = "Violare de cheie: exista deja o inregistrare cu aceeasi cheie";
            break;
        case SQLITE_NOTADB: msg = "Fisierul nu este o tabela a programului (nu este o baza de date)"; break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED: msg = "Tabela este folosita de alt program"; break;
        case SQLITE_READONLY: throw EngineError(writeProtectedMessage(context));
        case SQLITE_CORRUPT: msg = "Tabela este deteriorata"; break;
        case SQLITE_CANTOPEN: msg = "Tabela nu poate fi deschisa"; break;
        case SQLITE_FULL: msg = "Discul este plin"; break;
        case SQLITE_IOERR: msg = "Eroare la citirea sau scrierea tabelei (" + raw + ")"; break;
        default: msg = "Eroare a motorului de date (" + raw + ")"; break;
    }
    throw EngineError(msg + inFile(context));
}

void execSql(sqlite3* db, const char* sql, const std::string& context) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throwSqlite(db, context);
}

bool fileWriteProtected(const std::string& path) {
    if (closedArchiveFile(path)) return true;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return ::access(path.c_str(), W_OK) != 0;
}

Connection openTableConnection(const std::string& path, bool readOnly) {
    requireTableFileType(path);
    sqlite3* raw = nullptr;
    if (!readOnly && fileWriteProtected(path)) readOnly = true;
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) throw EngineError("Tabela nu exista sau nu poate fi deschisa" + inFile(path));
    sqlite3_busy_timeout(db.get(), 2000);
    registerRomanian(db.get());
    // Reading the schema proves that the file is one of our tables.
    if (sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwSqlite(db.get(), path);
    requireRollbackJournal(db.get(), "main", path);
    sqlite3_exec(db.get(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return db;
}

void requireRollbackJournal(sqlite3* db, const std::string& schema, const std::string& path) {
    std::string mode;
    {
        Statement st = prepareStatement(db, "PRAGMA " + quoteIdent(schema) + ".journal_mode=DELETE", path);
        if (sqlite3_step(st.get()) == SQLITE_ROW && sqlite3_column_text(st.get(), 0))
            mode = toLower(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    }
    if (mode == "delete") return;
    throw EngineError("Tabela este tinuta in alt mod de jurnal (" + (mode.empty() ? std::string("necunoscut") : mode) +
                      ") si nu poate fi trecuta in jurnalul obisnuit; inchideti programul care o foloseste si "
                      "repetati operatia" +
                      inFile(path));
}

std::string findTableInFile(sqlite3* db, const std::string& schema, const std::string& path) {
    std::string expected = tableBaseName(path);
    std::vector<std::string> tables;
    {
        Statement st = prepareStatement(db,
                                        "SELECT name FROM " + quoteIdent(schema) +
                                            ".sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' "
                                            "ESCAPE '\\' AND name <> " +
                                            quoteText(kSequenceTable) +
                                            " AND name NOT LIKE 'cv\\_jurnal\\_%' ESCAPE '\\' ORDER BY rowid",
                                        path);
        while (sqlite3_step(st.get()) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    }
    for (const auto& t : tables)
        if (iequals(t, expected)) return t;
    if (tables.empty()) throw EngineError("Fisierul nu contine nicio tabela" + inFile(path));
    // a template copied over the table holds a table of the same layout under its own name
    if (tables.size() == 1 && sameLayout(tables[0], expected)) return tables[0];
    throw EngineError("Fisierul nu contine tabela " + expected + ", ci tabela " + shownName(tables[0]) + inFile(path));
}

std::vector<std::string> tableColumns(sqlite3* db, const std::string& schema, const std::string& table) {
    std::vector<std::string> cols;
    Statement st = prepareStatement(db, "PRAGMA " + quoteIdent(schema) + ".table_info(" + quoteIdent(table) + ")");
    while (sqlite3_step(st.get()) == SQLITE_ROW)
        cols.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
    return cols;
}

void checkRequiredColumns(sqlite3* db, const std::string& schema, const std::string& table, const std::string& path) {
    std::vector<std::string> required = requiredColumns(tableBaseName(path));
    if (required.empty()) return;
    std::vector<std::string> have = tableColumns(db, schema, table);
    std::vector<std::string> missing;
    for (const auto& r : required)
        if (std::none_of(have.begin(), have.end(), [&](const std::string& h) { return iequals(h, r); }))
            missing.push_back(r);
    if (missing.empty()) return;
    std::string list;
    for (size_t i = 0; i < missing.size(); ++i) list += (i ? ", " : "") + missing[i];
    throw EngineError((missing.size() == 1 ? "Tabela nu are campul " : "Tabela nu are campurile ") + list +
                      inFile(path));
}

// Nothing that is not a finite number or well-formed UTF-8 text reaches a file.
void bindValue(sqlite3_stmt* st, int i, const Value& v) {
    const auto& s = v.storage();
    if (v.isNull())
        sqlite3_bind_null(st, i);
    else if (v.isInt())
        sqlite3_bind_int64(st, i, std::get<long long>(s));
    else if (v.isFloat()) {
        if (!std::isfinite(std::get<double>(s))) throw EngineError("Valoare numerica nevalida: " + v.toString());
        sqlite3_bind_double(st, i, std::get<double>(s));
    } else if (v.isBool())
        sqlite3_bind_int(st, i, std::get<bool>(s) ? 1 : 0);
    else if (v.isDate()) {
        std::string iso = std::get<Date>(s).iso();
        sqlite3_bind_text(st, i, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
    } else {
        const auto& t = std::get<std::string>(s);
        if (!isValidUtf8(t)) throw EngineError("Textul contine caractere nevalide (nu este text UTF-8)");
        sqlite3_bind_text(st, i, t.c_str(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
}

Value columnValue(sqlite3_stmt* st, int col) {
    switch (sqlite3_column_type(st, col)) {
        case SQLITE_NULL: return {};
        case SQLITE_INTEGER: return Value(static_cast<long long>(sqlite3_column_int64(st, col)));
        case SQLITE_FLOAT: return Value(sqlite3_column_double(st, col));
        default: {
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
            return Value(std::string(t ? t : "", static_cast<size_t>(sqlite3_column_bytes(st, col))));
        }
    }
}

// ---------------------------------------------------------------- open files

// Exclusive use keeps out other programs, not a second table object of this
// program (a catalog open for exclusive use is still read by the document
// windows). Between processes it is an advisory lock on the table file: shared
// while only shared opens exist here, exclusive while any exclusive one does.
namespace {
struct OpenState {
    int shared = 0, exclusive = 0, fd = -1;
    bool lockedExclusive = false;
};
std::map<std::string, OpenState>& openMap() {
    static std::map<std::string, OpenState> m;
    return m;
}
}  // namespace

OpenFiles& OpenFiles::instance() {
    static OpenFiles f;
    return f;
}

void OpenFiles::acquire(const std::string& c, bool exclusive) {
    auto it = openMap().find(c);
    if (it == openMap().end()) {
        int fd = ::open(c.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw EngineError("Tabela nu exista" + inFile(c));
        if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            ::close(fd);
            throw EngineError("Tabela este folosita de alt program" + inFile(c));
        }
        it = openMap().emplace(c, OpenState{0, 0, fd, exclusive}).first;
    } else if (exclusive && !it->second.lockedExclusive) {
        if (::flock(it->second.fd, LOCK_EX | LOCK_NB) != 0)
            throw EngineError("Tabela este folosita de alt program" + inFile(c));
        it->second.lockedExclusive = true;
    }
    (exclusive ? it->second.exclusive : it->second.shared)++;
}

void OpenFiles::release(const std::string& c, bool exclusive) {
    auto it = openMap().find(c);
    if (it == openMap().end()) return;
    auto& s = it->second;
    int& n = exclusive ? s.exclusive : s.shared;
    if (n > 0) --n;
    if (s.exclusive == 0 && s.shared == 0) {
        ::close(s.fd);  // drops the lock
        openMap().erase(it);
    } else if (s.exclusive == 0 && s.lockedExclusive) {
        ::flock(s.fd, LOCK_SH | LOCK_NB);
        s.lockedExclusive = false;
    }
}

bool OpenFiles::isOpen(const std::string& c) const { return openMap().count(c) > 0; }

bool OpenFiles::isExclusive(const std::string& c) const {
    auto it = openMap().find(c);
    return it != openMap().end() && it->second.exclusive > 0;
}

bool OpenFiles::heldByAnotherProgram(const std::string& c) const {
    if (isOpen(c)) return false;
    int fd = ::open(c.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool busy = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return busy;
}

bool OpenFiles::openInAnotherProgram(const std::string& c) const {
    if (isOpen(c)) return false;
    int fd = ::open(c.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return busy;
}

// ---------------------------------------------------------------- SQL session

namespace {
std::map<std::string, std::unique_ptr<SqlSession>>& sessions() {
    static std::map<std::string, std::unique_ptr<SqlSession>> m;
    return m;
}
}  // namespace

SqlSession& SqlSession::forDirectory(const std::string& dir) {
    std::string key = canonicalPath(withSlash(dir));
    auto& slot = sessions()[key];
    if (!slot) slot.reset(new SqlSession(withSlash(dir)));
    return *slot;
}

SqlSession::SqlSession(std::string dir) : dir_(std::move(dir)) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) throw EngineError("Motorul SQL nu poate porni");
    sqlite3_busy_timeout(db_.get(), 2000);
    registerRomanian(db_.get());
    // the session's own work tables (TEMP) stay in memory
    sqlite3_exec(db_.get(), "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
}

SqlSession::~SqlSession() = default;

void SqlSession::releaseFile(const std::string& c) {
    for (size_t i = 0; i < attached_.size(); ++i) {
        if (attached_[i].path != c) continue;
        sqlite3_exec(db_.get(), ("DETACH DATABASE " + quoteIdent(attached_[i].alias)).c_str(), nullptr, nullptr,
                     nullptr);
        attached_.erase(attached_.begin() + static_cast<long>(i));
        return;
    }
}

void SqlSession::releaseEverywhere(const std::string& c) {
    for (auto& [k, s] : sessions()) s->releaseFile(c);
}

struct SqlSessionAccess {
    // Attaches the files a statement names and rewrites its table references;
    // `targets` receives the files it reaches.
    static std::string translate(SqlSession& s, const std::string& sql, std::vector<SqlSession::Target>& targets) {
        auto refs = findTableRefs(sql);
        struct Resolved {
            const TableRef* ref;
            std::string path;
        };
        std::vector<Resolved> resolved;
        std::vector<std::string> needed, inserted;
        bool isInsert = istartsWith(trim(sql), "insert");
        for (const auto& r : refs) {
            std::string file = resolveTableFile(s.dir_, r.name);
            if (file.empty()) {
                // only quoted file names are certainly tables; other words may be columns
                bool looksLikeFile = r.name.size() > 3 && iequals(r.name.substr(r.name.size() - 3), ".db");
                if (looksLikeFile && !r.qualifier)
                    throw EngineError("Tabela nu exista" + inFile(withSlash(s.dir_) + r.name));
                continue;
            }
            std::string c = canonicalPath(file);
            resolved.push_back({&r, c});
            if (std::find(needed.begin(), needed.end(), c) == needed.end()) needed.push_back(c);
            if (isInsert && !r.canAlias && !r.qualifier) inserted.push_back(c);
        }
        int limit = sqlite3_limit(s.db_.get(), SQLITE_LIMIT_ATTACHED, -1);
        if (static_cast<int>(needed.size()) > limit)
            throw EngineError("Prea multe tabele intr-o instructiune SQL (cel mult " + std::to_string(limit) + ")");
        std::map<std::string, std::string> target;  // path -> alias."table"
        for (const auto& c : needed) {
            if (OpenFiles::instance().heldByAnotherProgram(c))
                throw EngineError("Tabela este folosita de alt program" + inFile(c));
            auto it = std::find_if(s.attached_.begin(), s.attached_.end(), [&](const auto& a) { return a.path == c; });
            if (it == s.attached_.end()) {
                while (static_cast<int>(s.attached_.size()) >= limit) {
                    // detach the least recently used file this statement does not need
                    auto victim = s.attached_.end();
                    for (auto a = s.attached_.begin(); a != s.attached_.end(); ++a)
                        if (std::find(needed.begin(), needed.end(), a->path) == needed.end() &&
                            (victim == s.attached_.end() || a->lastUse < victim->lastUse))
                            victim = a;
                    s.releaseFile(victim->path);
                }
                std::string alias = "t" + std::to_string(++s.aliasCounter_);
                attach(s, c, alias);
                it = s.attached_.end() - 1;
            }
            if (std::find(inserted.begin(), inserted.end(), c) != inserted.end()) prepareInsertTarget(s, *it);
            target[c] = quoteIdent(it->alias) + "." + quoteIdent(it->table);
            targets.push_back({it->path, it->alias, it->table});
            it->lastUse = ++s.clock_;
        }
        // rewrite from the end so that offsets stay valid
        std::string out = sql;
        for (auto r = resolved.rbegin(); r != resolved.rend(); ++r) {
            const TableRef& ref = *r->ref;
            std::string base = tableBaseName(ref.name);
            std::string repl = ref.qualifier ? quoteIdent(base) : target[r->path];
            if (ref.canAlias && !ref.hasAlias) repl += " AS " + quoteIdent(base);
            out.replace(ref.offset, ref.length, repl);
        }
        return out;
    }

    // Attaches file `c` as `alias` once it is known to hold the expected table.
    static void attach(SqlSession& s, const std::string& c, const std::string& alias) {
        sqlite3* db = s.db_.get();
        {
            // by URI, so that a write-protected file is attached for reading only
            std::string uri = "file:";
            for (unsigned char ch : c) {
                if (std::isalnum(ch) || ch == '/' || ch == '.' || ch == '_' || ch == '-') {
                    uri += static_cast<char>(ch);
                } else {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, "%%%02X", ch);
                    uri += hex;
                }
            }
            if (fileWriteProtected(c)) uri += "?mode=ro";
            Statement st = prepareStatement(db, "ATTACH DATABASE ? AS ?", c);
            sqlite3_bind_text(st.get(), 1, uri.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st.get(), 2, alias.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(st.get()) != SQLITE_DONE) throwSqlite(db, c);
        }
        UndoUnlessDone detach(
            [&] { sqlite3_exec(db, ("DETACH DATABASE " + quoteIdent(alias)).c_str(), nullptr, nullptr, nullptr); });
        std::string tableName = findTableInFile(db, alias, c);
        checkRequiredColumns(db, alias, tableName, c);
        requireRollbackJournal(db, alias, c);
        sqlite3_exec(db, ("PRAGMA " + quoteIdent(alias) + ".synchronous=FULL").c_str(), nullptr, nullptr, nullptr);
        // a statement over a large table (the register of a year) keeps its
        // changed pages in memory until the commit instead of writing them early
        sqlite3_exec(db, ("PRAGMA " + quoteIdent(alias) + ".cache_size=-65536").c_str(), nullptr, nullptr, nullptr);
        detach.done();
        s.attached_.push_back({c, alias, tableName, 0});
    }

    // An INSERT fills autoincrement fields and never reuses a row identity: an
    // older file gets the bookkeeping for it first.
    static void prepareInsertTarget(SqlSession& s, const SqlSession::Attached& a) {
        if (fileWriteProtected(a.path) || writesPrepared(s.db_.get(), a.alias)) return;
        sqlite3* db = s.db_.get();
        execSql(db, "SAVEPOINT cv_prepare", a.path);
        UndoUnlessDone rollback([db] {
            sqlite3_exec(db, "ROLLBACK TO cv_prepare", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "RELEASE cv_prepare", nullptr, nullptr, nullptr);
        });
        prepareForWrites(db, a.alias, a.table, a.path);
        execSql(db, "RELEASE cv_prepare", a.path);
        rollback.done();
    }
};

Statement SqlSession::prepare(const std::string& sql, const std::vector<Param>& params) {
    lastTargets_.clear();
    return prepareTranslated(SqlSessionAccess::translate(*this, sql, lastTargets_), params);
}

Statement SqlSession::prepareTranslated(const std::string& translated, const std::vector<Param>& params) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db_.get(), translated.c_str(), static_cast<int>(translated.size()), &raw, nullptr);
    Statement st(raw);
    if (rc != SQLITE_OK) fail(lastTargets_);
    int n = sqlite3_bind_parameter_count(st.get());
    for (int i = 1; i <= n; ++i) {
        const char* name = sqlite3_bind_parameter_name(st.get(), i);
        std::string pname = name ? name + 1 : "";
        auto it = std::find_if(params.begin(), params.end(), [&](const Param& p) { return iequals(p.name, pname); });
        if (it == params.end()) throw EngineError("Lipseste valoarea parametrului '" + pname + "'");
        bindValue(st.get(), i, it->value);
    }
    return st;
}

// The engine's error for a statement, naming the files it reached: a missing
// field names the files whose tables lack it.
void SqlSession::fail(const std::vector<Target>& targets) {
    sqlite3* db = db_.get();
    std::string raw = sqlite3_errmsg(db);
    int code = sqlite3_extended_errcode(db) & 0xff;
    std::string files;
    for (const auto& t : targets) files += (files.empty() ? "" : ", ") + t.path;
    const std::string noColumn = "no such column: ", noTable = "no such table: ";
    if (raw.starts_with(noColumn)) {
        std::string field = raw.substr(noColumn.size());
        if (auto dot = field.rfind('.'); dot != std::string::npos) field = field.substr(dot + 1);
        std::string lacking;
        for (const auto& t : targets) {
            auto cols = tableColumns(db, t.alias, t.table);
            if (std::none_of(cols.begin(), cols.end(), [&](const std::string& c) { return iequals(c, field); }))
                lacking += (lacking.empty() ? "" : ", ") + t.path;
        }
        throw EngineError("Campul " + field + " nu exista in tabela" + inFile(lacking.empty() ? files : lacking));
    }
    if (raw.starts_with(noTable))
        throw EngineError("Tabela " + raw.substr(noTable.size()) + " nu exista in directorul " + dir_);
    if (code == SQLITE_ERROR) throw EngineError("Instructiune SQL gresita (" + raw + ")" + inFile(files));
    throwSqlite(db, files);
}

ResultSet SqlSession::select(const std::string& sql, const std::vector<Param>& params) {
    Statement st = prepare(sql, params);
    ResultSet rs;
    int cols = sqlite3_column_count(st.get());
    for (int c = 0; c < cols; ++c) {
        rs.columns.push_back(sqlite3_column_name(st.get(), c));
        const char* d = sqlite3_column_decltype(st.get(), c);
        rs.declaredTypes.push_back(d ? d : "");
    }
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        std::vector<Value> row(static_cast<size_t>(cols));
        for (int c = 0; c < cols; ++c) row[static_cast<size_t>(c)] = columnValue(st.get(), c);
        rs.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) fail(lastTargets_);
    return rs;
}

void SqlSession::selectEach(const std::string& sql, const std::vector<Param>& params,
                            const std::function<void(sqlite3_stmt*)>& row) {
    Statement st = prepare(sql, params);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) row(st.get());
    if (rc != SQLITE_DONE) fail(lastTargets_);
}

// An INSERT ... SELECT into a table file with the identity bookkeeping gives
// its rows the identities and autoincrement values the per-row trigger would
// give them (the high-water marks plus one, two, ... in the order the SELECT
// yields the rows), but in bulk: the rows are gathered in the session's own
// memory database, inserted with those values and the trigger switched off,
// and each mark is moved once. Statements this does not cover (autoincrement
// fields or the row identity named in the column list, other triggers on the
// table, a count of values that does not match) take the ordinary way, which
// also reports their errors.
std::optional<long long> SqlSession::insertSelectInBulk(const std::string& translated,
                                                        const std::vector<Param>& params) {
    const std::optional<InsertSelect> ins = splitInsertSelect(translated);
    if (!ins) return std::nullopt;
    auto target = std::find_if(attached_.begin(), attached_.end(),
                               [&](const Attached& a) { return a.alias == ins->schema && a.table == ins->table; });
    if (target == attached_.end() || fileWriteProtected(target->path)) return std::nullopt;
    const Attached a = *target;
    sqlite3* db = db_.get();
    const std::string S = quoteIdent(a.alias) + ".";
    {
        Statement st = prepareStatement(
            db, "SELECT name FROM " + S + "sqlite_master WHERE type = 'trigger' AND tbl_name = ? COLLATE NOCASE",
            a.path);
        sqlite3_bind_text(st.get(), 1, a.table.c_str(), -1, SQLITE_TRANSIENT);
        int triggers = 0;
        bool identity = false;
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
            ++triggers;
            identity = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)) == std::string("cv_identity");
        }
        if (triggers != 1 || !identity) return std::nullopt;
    }
    struct Mark {
        std::string name;
        long long seq;
    };
    std::vector<Mark> marks;
    {
        Statement st = prepareStatement(db, "SELECT name, seq FROM " + S + quoteIdent(kSequenceTable), a.path);
        while (sqlite3_step(st.get()) == SQLITE_ROW)
            marks.push_back(
                {reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)), sqlite3_column_int64(st.get(), 1)});
    }
    for (const std::string& c : ins->columns) {
        if (iequals(c, "rowid") || iequals(c, "oid") || iequals(c, "_rowid_")) return std::nullopt;
        for (const Mark& m : marks)
            if (iequals(c, m.name)) return std::nullopt;
    }
    Statement select = prepareTranslated(ins->select, params);
    if (sqlite3_column_count(select.get()) != static_cast<int>(ins->columns.size())) return std::nullopt;
    select.reset();

    execSql(db, "SAVEPOINT cv_bulk");
    UndoUnlessDone rollback([db] {
        sqlite3_exec(db, "ROLLBACK TO cv_bulk", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE cv_bulk", nullptr, nullptr, nullptr);
    });
    // the rows in the order the SELECT gives them, numbered by the staging table's row identity
    std::string staging = "CREATE TABLE main.cv_bulk_rows (";
    for (size_t i = 0; i < ins->columns.size(); ++i) staging += (i ? ", c" : "c") + std::to_string(i);
    execSql(db, (staging + ")").c_str());
    {
        Statement fill = prepareTranslated("INSERT INTO main.cv_bulk_rows " + ins->select, params);
        if (sqlite3_step(fill.get()) != SQLITE_DONE) fail(lastTargets_);
    }
    long long rows = 0;
    {
        Statement st = prepareStatement(db, "SELECT COUNT(*) FROM main.cv_bulk_rows");
        if (sqlite3_step(st.get()) == SQLITE_ROW) rows = sqlite3_column_int64(st.get(), 0);
    }
    if (rows > 0) {
        std::string cols, values;
        for (const std::string& c : ins->columns) cols += (cols.empty() ? "" : ", ") + quoteIdent(c);
        for (Mark& m : marks) {
            if (m.name == kRowidSequence) {
                // as the trigger does: a new row keeps the identity after the
                // largest present when that one is above the mark
                Statement st =
                    prepareStatement(db, "SELECT COALESCE(MAX(rowid), 0) FROM " + S + quoteIdent(a.table), a.path);
                if (sqlite3_step(st.get()) == SQLITE_ROW) m.seq = std::max(m.seq, sqlite3_column_int64(st.get(), 0));
                cols += ", rowid";
            } else {
                cols += ", " + quoteIdent(m.name);
            }
            values += ", " + std::to_string(m.seq) + " + rowid";
        }
        const std::string insert = "INSERT INTO " + S + quoteIdent(a.table) + " (" + cols + ") SELECT *" + values +
                                   " FROM main.cv_bulk_rows ORDER BY rowid";
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        UndoUnlessDone triggersOn([db] { sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr); });
        Statement st = prepareStatement(db, insert, a.path);
        if (sqlite3_step(st.get()) != SQLITE_DONE) fail(lastTargets_);
        st.reset();
        Statement mark =
            prepareStatement(db, "UPDATE " + S + quoteIdent(kSequenceTable) + " SET seq = ? WHERE name = ?", a.path);
        for (const Mark& m : marks) {
            sqlite3_reset(mark.get());
            sqlite3_bind_int64(mark.get(), 1, m.seq + rows);
            sqlite3_bind_text(mark.get(), 2, m.name.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(mark.get()) != SQLITE_DONE) fail(lastTargets_);
        }
    }
    execSql(db, "DROP TABLE main.cv_bulk_rows");
    execSql(db, "RELEASE cv_bulk", a.path);
    rollback.done();
    return rows;
}

namespace {
// The journalled tables a statement writes itself (not through a trigger),
// as the authorizer names them while the statement is prepared.
struct WrittenTable {
    std::string schema, table;
    const char* action;
};
int noteWritten(void* out, int code, const char* table, const char*, const char* schema, const char* trigger) {
    const char* action = code == SQLITE_INSERT   ? journal::kAdded
                         : code == SQLITE_UPDATE ? journal::kChanged
                         : code == SQLITE_DELETE ? journal::kDeleted
                                                 : nullptr;
    if (!action || trigger || !table || !schema || !journal::journalled(table)) return SQLITE_OK;
    auto& written = *static_cast<std::vector<WrittenTable>*>(out);
    for (const WrittenTable& w : written)
        if (w.schema == schema && iequals(w.table, table)) return SQLITE_OK;
    written.push_back({schema, table, action});
    return SQLITE_OK;
}
}  // namespace

// A statement of the program's SQL that writes journalled tables (the budget
// calculation's lines, the passage to a new year) writes one journal entry per
// table it changed, naming the statement and the count of rows, in the
// statement's own transaction and in the table's own file.
long long SqlSession::execute(const std::string& sql, const std::vector<Param>& params) {
    lastTargets_.clear();
    const std::string translated = SqlSessionAccess::translate(*this, sql, lastTargets_);
    sqlite3* db = db_.get();
    std::vector<WrittenTable> written;
    if (!journal::journalPath(dir_).empty()) {
        sqlite3_set_authorizer(db, noteWritten, &written);
        sqlite3_stmt* probe = nullptr;
        sqlite3_prepare_v2(db, translated.c_str(), -1, &probe, nullptr);
        sqlite3_finalize(probe);
        sqlite3_set_authorizer(db, nullptr, nullptr);
        // only the tables of the directory whose journal it is (not a unit's budget)
        auto dirOf = [](const std::string& d) {
            std::string c = canonicalPath(d);
            while (c.size() > 1 && c.back() == '/') c.pop_back();
            return c;
        };
        const std::string own = dirOf(dir_);
        std::erase_if(written, [&](const WrittenTable& w) {
            auto a = std::find_if(attached_.begin(), attached_.end(),
                                  [&](const Attached& x) { return x.alias == w.schema; });
            return a == attached_.end() || !journal::journalled(a->path) ||
                   dirOf(fs::path(a->path).parent_path().string()) != own;
        });
    }
    if (!written.empty()) execSql(db, "SAVEPOINT cv_jurnal_sql");
    UndoUnlessDone rollback([&] {
        if (written.empty()) return;
        sqlite3_exec(db, "ROLLBACK TO cv_jurnal_sql", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE cv_jurnal_sql", nullptr, nullptr, nullptr);
    });
    long long rows = 0;
    if (auto bulk = insertSelectInBulk(translated, params)) {
        rows = *bulk;
    } else {
        Statement st = prepareTranslated(translated, params);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) fail(lastTargets_);
        rows = sqlite3_changes64(db);
    }
    if (!written.empty()) {
        if (rows > 0) {
            for (const WrittenTable& w : written) {
                journal::NewEntry e;
                e.table = journal::journalName(w.table);
                e.key = "Instructiune SQL, " + std::to_string(rows) + " randuri";
                e.action = w.action;
                e.after = journal::encodeValues({{"Instructiune", Value(sql)}, {"Randuri", Value(rows)}});
                journal::appendWaiting(db, w.schema, e);
            }
            journal::noteWaiting(dir_);
        }
        execSql(db, "RELEASE cv_jurnal_sql");
    }
    rollback.done();
    return rows;
}

}  // namespace data
