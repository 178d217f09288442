#include "data/Journal.h"

#include <nettle/sha2.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <set>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>

#include "data/Clock.h"
#include "data/Collation.h"
#include "data/DirectoryCopy.h"
#include "data/Engine.h"
#include "data/Errors.h"
#include "data/Format.h"
#include "data/Money.h"
#include "data/SqlTranslate.h"
#include "data/SqliteHandle.h"

namespace data::journal {

namespace {

// The tables whose changes are journalled, and the fields that name a record.
struct Journalled {
    const char* table;
    std::vector<const char*> key;
    bool document;  // kind, number and date
};

// The fields that hold money, whatever the data set that writes them declares.
const char* const kAmountFields[] = {"Valoarea", "Suma", "Sold_init_casa", "Sold_init_banca", "Prevederi", "Executie"};
const std::vector<Journalled>& journalledTables() {
    static const std::vector<Journalled> t{
        {"Venituri", {"Fel", "Nr_act", "Data"}, true},
        {"Cheltuieli", {"Fel", "Nr_act", "Data"}, true},
        {"Depuneri", {"Fel", "Nr_doc", "Data"}, true},
        {"Ridicari", {"Fel", "Nr_doc", "Data"}, true},
        {"Tip_venituri", {"Cod_venit"}, false},
        {"Tip_cheltuieli", {"Cod_cheltuiala"}, false},
        {"Tip_doc", {"Denumire"}, false},
        {"Enoriasi", {"Cod_enorias", "Nume_prenume"}, false},
        {"Parohia", {}, false},
        {"Contor", {}, false},
        {"Bilant", {"Nr_rand", "Denumire"}, false},
    };
    return t;
}

const Journalled* findJournalled(const std::string& table) {
    const std::string base = tableBaseName(table);
    for (const auto& j : journalledTables())
        if (iequals(j.table, base)) return &j;
    return nullptr;
}

// Waiting entries, in a table's own file: numbered in the order written. The
// last one moved stays behind as a marker, so the numbers keep rising.
const char* const kWaitingTable = "cv_jurnal_nou";
// In Jurnal.DB: per table, the number of the last waiting entry taken.
const char* const kMovedTable = "cv_jurnal_mutat";
const char* const kWaitingColumns = "Data_ora, Tabela, Rand, Cheie, Actiune, Inainte, Dupa, Versiune";

const char* const kRefusal = "Intrarile jurnalului modificarilor nu pot fi modificate sau sterse";

std::string createSql(const std::string& schema) {
    const std::string S = quoteIdent(schema) + ".", T = quoteIdent(kJournalTable);
    return "CREATE TABLE " + S + T +
           " (Nr INTEGER PRIMARY KEY, Data_ora VARCHAR(19), Tabela VARCHAR(40), Rand INTEGER, Cheie VARCHAR(200), "
           "Actiune VARCHAR(20), Inainte TEXT, Dupa TEXT, Versiune VARCHAR(40), Hash_anterior VARCHAR(64), "
           "Hash VARCHAR(64));"
           "CREATE INDEX " +
           S + quoteIdent("Data_ora") + " ON " + T + " (Data_ora);CREATE INDEX " + S + quoteIdent("Rand") + " ON " + T +
           " (Tabela, Rand);" + "CREATE TRIGGER " + S + quoteIdent("cv_jurnal_fix") + " BEFORE UPDATE ON " + T +
           " BEGIN SELECT RAISE(ABORT, " + quoteText(kRefusal) + "); END;" + "CREATE TRIGGER " + S +
           quoteIdent("cv_jurnal_keep") + " BEFORE DELETE ON " + T + " BEGIN SELECT RAISE(ABORT, " +
           quoteText(kRefusal) + "); END;" + "CREATE TABLE " + S + quoteIdent(kMovedTable) +
           " (Tabela VARCHAR(40) PRIMARY KEY, Ultima INTEGER NOT NULL);";
}

std::string nowText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return today().iso() + buf;
}

void jsonString(std::string& out, const std::string& s) {
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char b[8];
                    std::snprintf(b, sizeof b, "\\u%04x", c);
                    out += b;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

std::string numberText(double d) {
    if (std::floor(d) == d && std::fabs(d) < 1e15) return std::to_string(static_cast<long long>(d));
    char b[40];
    std::snprintf(b, sizeof b, "%.15g", d);
    return b;
}

std::string displayText(const FieldValue& f) {
    const Value& v = f.value;
    if (v.isDate()) return formatDate("dd.mm.yyyy", v.toDate());
    if (f.amount && v.isNumber()) return formatAmount(v.toDouble());
    if (v.isFloat()) return numberText(v.toDouble());
    return v.toString();
}

std::string columnText(sqlite3_stmt* st, int c) {
    const unsigned char* t = sqlite3_column_text(st, c);
    return t ? reinterpret_cast<const char*>(t) : std::string();
}

std::string hex(const uint8_t* d, size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[d[i] >> 4];
        s += digits[d[i] & 15];
    }
    return s;
}

const std::string kGenesis(64, '0');

Entry readEntry(sqlite3_stmt* st) {
    Entry e;
    e.nr = sqlite3_column_int64(st, 0);
    e.when = columnText(st, 1);
    e.table = columnText(st, 2);
    e.row = sqlite3_column_int64(st, 3);
    e.key = columnText(st, 4);
    e.action = columnText(st, 5);
    e.before = columnText(st, 6);
    e.after = columnText(st, 7);
    e.version = columnText(st, 8);
    e.previousHash = columnText(st, 9);
    e.hash = columnText(st, 10);
    return e;
}

const char* const kColumns = "Nr, Data_ora, Tabela, Rand, Cheie, Actiune, Inainte, Dupa, Versiune, Hash_anterior, Hash";

Connection openJournal(const std::string& dir, std::string& path) {
    path = journalPath(dir);
    if (path.empty()) return nullptr;
    return openTableConnection(path);  // a journal left hot by a kill is rolled back
}

}  // namespace

bool journalled(const std::string& table) { return findJournalled(table) != nullptr; }

bool amountField(const std::string& field) {
    return std::any_of(std::begin(kAmountFields), std::end(kAmountFields),
                       [&](const char* a) { return iequals(a, field); });
}

std::string journalName(const std::string& table) {
    const Journalled* j = findJournalled(table);
    return j ? j->table : tableBaseName(table);
}

namespace {
std::string& versionText() {
    static std::string v = "necunoscuta";
    return v;
}
}  // namespace

void setProgramVersion(const std::string& version) { versionText() = version; }
const std::string& programVersion() { return versionText(); }

std::string journalPath(const std::string& dir) { return resolveTableFile(dir, kJournalFile); }

void createJournalFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) throw EngineError("Tabela exista deja. Fisierul: " + path);
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Connection db(raw);
    UndoUnlessDone removeFile([&] {
        db.reset();
        std::remove(path.c_str());
    });
    if (rc != SQLITE_OK) throw EngineError("Tabela nu poate fi creata. Fisierul: " + path);
    execSql(db.get(), "PRAGMA synchronous=FULL", path);
    execSql(db.get(), ("BEGIN;" + createSql("main") + "COMMIT;").c_str(), path);
    db.reset();
    removeFile.done();
}

bool ensureJournal(const std::string& dir) {
    if (!journalPath(dir).empty()) return false;
    const std::string path = withSlash(dir) + kJournalFile;
    createJournalFile(path);
    syncDirectory(dir);
    return true;
}

std::string encodeValues(const std::vector<FieldValue>& fields) {
    if (fields.empty()) return {};
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ", ";
        jsonString(out, fields[i].name);
        out += ": ";
        const Value& v = fields[i].value;
        if (v.isNull())
            out += "null";
        else if (v.isBool())
            out += v.toBool() ? "true" : "false";
        else if (v.isInt())
            out += std::to_string(v.toInt());
        else if (v.isFloat() && !fields[i].amount)
            out += numberText(v.toDouble());
        else
            jsonString(out, displayText(fields[i]));
    }
    return out + "}";
}

std::vector<std::pair<std::string, std::string>> decodeValues(const std::string& json) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t i = 0;
    auto skip = [&] {
        while (i < json.size() && (json[i] == ' ' || json[i] == ',' || json[i] == ':' || json[i] == '{')) ++i;
    };
    auto token = [&]() -> std::string {
        std::string s;
        if (i < json.size() && json[i] == '"') {
            for (++i; i < json.size() && json[i] != '"'; ++i) {
                if (json[i] == '\\' && i + 1 < json.size()) {
                    char c = json[++i];
                    if (c == 'n')
                        s += '\n';
                    else if (c == 't')
                        s += '\t';
                    else if (c == 'r')
                        s += '\r';
                    else if (c == 'u' && i + 4 < json.size()) {
                        s += static_cast<char>(std::stoi(json.substr(i + 1, 4), nullptr, 16));
                        i += 4;
                    } else
                        s += c;
                } else {
                    s += json[i];
                }
            }
            ++i;
        } else {
            while (i < json.size() && json[i] != ',' && json[i] != '}') s += json[i++];
            if (s == "null") s.clear();
        }
        return s;
    };
    while (true) {
        skip();
        if (i >= json.size() || json[i] == '}') break;
        std::string name = token();
        skip();
        std::string value = token();
        out.emplace_back(std::move(name), std::move(value));
    }
    return out;
}

std::string describeRecord(const std::string& table, const std::vector<FieldValue>& fields) {
    const Journalled* j = findJournalled(table);
    auto find = [&](const char* n) -> const FieldValue* {
        for (const auto& f : fields)
            if (iequals(f.name, n)) return &f;
        return nullptr;
    };
    if (!j || j->key.empty()) return journalName(table);
    if (j->document) {
        const FieldValue* kind = find(j->key[0]);
        const FieldValue* nr = find(j->key[1]);
        const FieldValue* date = find(j->key[2]);
        std::string s = kind && !kind->value.isNull() ? kind->value.toString() : std::string("Document");
        s += " nr. " + (nr && !nr->value.isNull() ? displayText(*nr) : std::string("-"));
        if (date && !date->value.isNull()) s += " din " + displayText(*date);
        return s;
    }
    std::string s;
    for (const char* k : j->key) {
        const FieldValue* f = find(k);
        if (!s.empty()) s += ", ";
        s += std::string(k) + " " + (f && !f->value.isNull() ? displayText(*f) : std::string("-"));
    }
    return s;
}

void attach(sqlite3* db, const std::string& path) {
    requireTableFileType(path);
    if (fileWriteProtected(path)) throw EngineError(writeProtectedMessage(path));
    Statement st = prepareStatement(db, std::string("ATTACH DATABASE ?1 AS ") + quoteIdent(kAttachedSchema), path);
    sqlite3_bind_text(st.get(), 1, path.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st.get()) != SQLITE_DONE) throwSqlite(db, path);
    st.reset();
    UndoUnlessDone detach([db] {
        sqlite3_exec(db, (std::string("DETACH DATABASE ") + quoteIdent(kAttachedSchema)).c_str(), nullptr, nullptr,
                     nullptr);
    });
    requireRollbackJournal(db, kAttachedSchema, path);
    execSql(db, ("PRAGMA " + quoteIdent(kAttachedSchema) + ".synchronous=FULL").c_str(), path);
    if (!iequals(findTableInFile(db, kAttachedSchema, path), kJournalTable))
        throw EngineError("Fisierul nu este jurnalul modificarilor. Fisierul: " + path);
    detach.done();
}

std::string entryHash(const Entry& e) {
    std::string content;
    for (const std::string* s :
         {&e.when, &e.table, &e.key, &e.action, &e.before, &e.after, &e.version, &e.previousHash}) {
        content += std::to_string(s->size()) + ':' + *s + '\n';
    }
    content = std::to_string(e.nr) + '\n' + std::to_string(e.row) + '\n' + content;
    sha256_ctx ctx;
    sha256_init(&ctx);
    sha256_update(&ctx, content.size(), reinterpret_cast<const uint8_t*>(content.data()));
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&ctx, SHA256_DIGEST_SIZE, digest);
    return hex(digest, SHA256_DIGEST_SIZE);
}

namespace {
// The last entry's number and hash; 0 and the genesis hash for an empty journal.
std::pair<long long, std::string> lastEntry(sqlite3* db, const std::string& T) {
    Statement st = prepareStatement(db, "SELECT Nr, Hash FROM " + T + " ORDER BY Nr DESC LIMIT 1");
    int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW) return {sqlite3_column_int64(st.get(), 0), columnText(st.get(), 1)};
    if (rc != SQLITE_DONE) throwSqlite(db, kJournalFile);
    return {0, kGenesis};
}

void insertEntry(sqlite3* db, const std::string& T, Entry& e);

// The stored form of a new entry, numbered and chained to the one before it.
Entry entryOf(const NewEntry& n, long long nr, std::string previousHash) {
    Entry e;
    e.nr = nr;
    e.previousHash = std::move(previousHash);
    e.table = n.table;
    e.row = n.row;
    e.key = n.key;
    e.action = n.action;
    e.before = n.before;
    e.after = n.after;
    return e;
}
}  // namespace

long long startNewYear(sqlite3* db, const std::string& schema, NewEntry passage) {
    const std::string S = quoteIdent(schema) + ".", T = S + quoteIdent(kJournalTable);
    auto [count, last] = lastEntry(db, T);
    // the deletion is the passage's own, in its transaction: the refusal
    // stands again before the commit
    execSql(db, ("DROP TRIGGER " + S + quoteIdent("cv_jurnal_keep")).c_str(), kJournalFile);
    execSql(db, ("DELETE FROM " + T).c_str(), kJournalFile);
    execSql(db,
            ("CREATE TRIGGER " + S + quoteIdent("cv_jurnal_keep") + " BEFORE DELETE ON " + quoteIdent(kJournalTable) +
             " BEGIN SELECT RAISE(ABORT, " + quoteText(kRefusal) + "); END;")
                .c_str(),
            kJournalFile);
    Entry e = entryOf(passage, 1, last);
    insertEntry(db, T, e);
    return count;
}

void append(sqlite3* db, const std::string& schema, const NewEntry& n) {
    const std::string T = quoteIdent(schema) + "." + quoteIdent(kJournalTable);
    auto [last, hash] = lastEntry(db, T);
    Entry e = entryOf(n, last + 1, hash);
    insertEntry(db, T, e);
}

void record(const std::string& dir, const NewEntry& e) {
    ensureJournal(dir);
    settle(dir);  // the entries written before come first
    std::string path;
    Connection db = openJournal(dir, path);
    if (!db) throw EngineError("Jurnalul modificarilor lipseste. Directorul: " + dir);
    execSql(db.get(), "PRAGMA synchronous=FULL", path);
    execSql(db.get(), "BEGIN IMMEDIATE", path);
    UndoUnlessDone rollback([&] { sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr); });
    append(db.get(), "main", e);
    execSql(db.get(), "COMMIT", path);
    rollback.done();
}

void appendWaiting(sqlite3* db, const std::string& schema, const NewEntry& n) {
    const std::string T = quoteIdent(schema) + "." + quoteIdent(kWaitingTable);
    const std::string when = nowText();
    const std::string sql = "INSERT INTO " + T + " (" + kWaitingColumns + ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        // the table's first entry: its waiting entries' table is made in the
        // same transaction
        execSql(db,
                ("CREATE TABLE IF NOT EXISTS " + T +
                 " (Id INTEGER PRIMARY KEY, Data_ora VARCHAR(19), Tabela VARCHAR(40), Rand INTEGER, Cheie "
                 "VARCHAR(200), Actiune VARCHAR(20), Inainte TEXT, Dupa TEXT, Versiune VARCHAR(40))")
                    .c_str(),
                kJournalFile);
        raw = prepareStatement(db, sql).release();
    }
    Statement st(raw);
    int k = 1;
    for (const std::string* s : {&when, &n.table}) sqlite3_bind_text(raw, k++, s->c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int64(raw, k++, n.row);
    for (const std::string* s : {&n.key, &n.action, &n.before, &n.after, &programVersion()})
        sqlite3_bind_text(raw, k++, s->c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(raw) != SQLITE_DONE) throwSqlite(db, kJournalFile);
}

namespace {

const char* const kSource = "cv_sursa";

// Takes the waiting entries of one table file into the journal open on `db`:
// first the journal's commit (the entries chained, the last one's number
// kept), then the table file's (the entries taken leave it, the last one
// stays as the marker). A kill between the two leaves entries the journal
// already holds: the next move passes over them by their numbers.
long long moveWaiting(sqlite3* db, const std::string& path, const std::string& table) {
    requireTableFileType(path);
    {
        Statement at = prepareStatement(db, std::string("ATTACH DATABASE ?1 AS ") + kSource, path);
        sqlite3_bind_text(at.get(), 1, path.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(at.get()) != SQLITE_DONE) throwSqlite(db, path);
    }
    auto release = [db] {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_exec(db, (std::string("DETACH DATABASE ") + kSource).c_str(), nullptr, nullptr, nullptr);
    };
    UndoUnlessDone detach(release);
    requireRollbackJournal(db, kSource, path);
    execSql(db, (std::string("PRAGMA ") + kSource + ".synchronous=FULL").c_str(), path);
    const std::string W = std::string(kSource) + "." + quoteIdent(kWaitingTable);
    long long moved = 0;
    {
        Statement has =
            prepareStatement(db,
                             std::string("SELECT 1 FROM ") + kSource +
                                 ".sqlite_master WHERE type = 'table' AND name = " + quoteText(kWaitingTable),
                             path);
        if (sqlite3_step(has.get()) != SQLITE_ROW) return 0;  // detached on the way out
    }
    const std::string M = "main." + quoteIdent(kMovedTable), J = "main." + quoteIdent(kJournalTable);
    // the journal's write lock first: a second mover waits here, then sees our mark
    execSql(db, "BEGIN", path);
    execSql(db,
            ("CREATE TABLE IF NOT EXISTS " + M + " (Tabela VARCHAR(40) PRIMARY KEY, Ultima INTEGER NOT NULL)").c_str(),
            kJournalFile);
    long long mark = 0;
    {
        Statement st = prepareStatement(db, "SELECT Ultima FROM " + M + " WHERE Tabela = ?1");
        sqlite3_bind_text(st.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st.get()) == SQLITE_ROW) mark = sqlite3_column_int64(st.get(), 0);
    }
    long long top = mark;
    {
        auto [last, hash] = lastEntry(db, J);
        Statement st = prepareStatement(
            db, "SELECT Id, " + std::string(kWaitingColumns) + " FROM " + W + " WHERE Id > ?1 ORDER BY Id", path);
        sqlite3_bind_int64(st.get(), 1, mark);
        Statement ins = prepareStatement(
            db, "INSERT INTO " + J + " (" + kColumns + ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            Entry e;
            top = sqlite3_column_int64(st.get(), 0);
            e.nr = ++last;
            e.when = columnText(st.get(), 1);
            e.table = columnText(st.get(), 2);
            e.row = sqlite3_column_int64(st.get(), 3);
            e.key = columnText(st.get(), 4);
            e.action = columnText(st.get(), 5);
            e.before = columnText(st.get(), 6);
            e.after = columnText(st.get(), 7);
            e.version = columnText(st.get(), 8);
            e.previousHash = hash;
            e.hash = entryHash(e);
            hash = e.hash;
            sqlite3_reset(ins.get());
            sqlite3_bind_int64(ins.get(), 1, e.nr);
            int k = 2;
            for (const std::string* s : {&e.when, &e.table})
                sqlite3_bind_text(ins.get(), k++, s->c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int64(ins.get(), k++, e.row);
            for (const std::string* s : {&e.key, &e.action, &e.before, &e.after, &e.version, &e.previousHash, &e.hash})
                sqlite3_bind_text(ins.get(), k++, s->c_str(), -1, SQLITE_STATIC);
            if (sqlite3_step(ins.get()) != SQLITE_DONE) throwSqlite(db, kJournalFile);
            ++moved;
        }
        if (rc != SQLITE_DONE) throwSqlite(db, path);
    }
    if (top > mark) {
        Statement st = prepareStatement(db, "INSERT OR REPLACE INTO " + M + " (Tabela, Ultima) VALUES (?1, ?2)");
        sqlite3_bind_text(st.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(st.get(), 2, top);
        if (sqlite3_step(st.get()) != SQLITE_DONE) throwSqlite(db, kJournalFile);
    }
    execSql(db, "COMMIT", kJournalFile);
    // the entries the journal holds leave the table file, but the last
    Statement del = prepareStatement(db, "DELETE FROM " + W + " WHERE Id < ?1", path);
    sqlite3_bind_int64(del.get(), 1, top);
    if (sqlite3_step(del.get()) != SQLITE_DONE) throwSqlite(db, path);
    return moved;  // detached on the way out
}

std::mutex& notedMutex() {
    static std::mutex m;
    return m;
}
std::set<std::string>& noted() {
    static std::set<std::string> s;
    return s;
}

}  // namespace

long long settle(const std::string& dir) {
    const std::string jp = journalPath(dir);
    if (jp.empty() || fileWriteProtected(jp)) return 0;
    Connection db;
    long long moved = 0;
    for (const Journalled& j : journalledTables()) {
        const std::string p = resolveTableFile(dir, std::string(j.table) + ".DB");
        if (p.empty() || fileWriteProtected(p)) continue;
        if (!db) db = openTableConnection(jp);
        moved += moveWaiting(db.get(), p, j.table);
    }
    return moved;
}

void noteWaiting(const std::string& dir) {
    std::lock_guard lock(notedMutex());
    noted().insert(dir);
}

bool hasNoted() {
    std::lock_guard lock(notedMutex());
    return !noted().empty();
}

void settleNoted() {
    std::set<std::string> dirs;
    {
        std::lock_guard lock(notedMutex());
        dirs.swap(noted());
    }
    for (const std::string& d : dirs) {
        try {
            settle(d);
        } catch (const std::exception&) {
            noteWaiting(d);  // a locked file: the next time
        }
    }
}

namespace {
void insertEntry(sqlite3* db, const std::string& T, Entry& e) {
    e.when = nowText();
    e.version = programVersion();
    e.hash = entryHash(e);
    Statement st = prepareStatement(
        db, "INSERT INTO " + T + " (" + kColumns + ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    sqlite3_bind_int64(st.get(), 1, e.nr);
    int k = 2;
    for (const std::string* s : {&e.when, &e.table}) sqlite3_bind_text(st.get(), k++, s->c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int64(st.get(), k++, e.row);
    for (const std::string* s : {&e.key, &e.action, &e.before, &e.after, &e.version, &e.previousHash, &e.hash})
        sqlite3_bind_text(st.get(), k++, s->c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(st.get()) != SQLITE_DONE) throwSqlite(db, kJournalFile);
}
}  // namespace

Verification verify(const std::string& dir) {
    Verification v;
    std::string path;
    Connection db;
    try {
        settle(dir);
        db = openJournal(dir, path);
    } catch (const std::exception& e) {
        v.message = std::string("Jurnalul modificarilor nu poate fi citit: ") + e.what();
        return v;
    }
    if (!db) {
        v.message = "Jurnalul modificarilor (Jurnal.DB) lipseste din directorul " + dir + "!";
        return v;
    }
    Statement st = prepareStatement(
        db.get(), std::string("SELECT ") + kColumns + " FROM " + quoteIdent(kJournalTable) + " ORDER BY Nr", path);
    std::string previous;
    long long expected = 1;
    int rc;
    auto broken = [&](long long nr, const std::string& why) {
        v.firstBroken = nr;
        v.message = "Jurnalul modificarilor este alterat: intrarea nr. " + std::to_string(nr) + " " + why + ".";
        return v;
    };
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        Entry e = readEntry(st.get());
        if (e.nr != expected) return broken(expected, e.nr > expected ? "lipseste" : "are numarul repetat");
        // the first entry may continue the journal of the closed year
        if (expected > 1 && e.previousHash != previous) return broken(e.nr, "nu continua intrarea dinaintea ei");
        if (entryHash(e) != e.hash) return broken(e.nr, "a fost modificata");
        previous = e.hash;
        ++expected;
        ++v.entries;
    }
    if (rc != SQLITE_DONE) {
        try {
            throwSqlite(db.get(), path);
        } catch (const std::exception& e) {
            v.message = std::string("Jurnalul modificarilor nu poate fi citit: ") + e.what();
            return v;
        }
    }
    v.intact = true;
    v.message = "Jurnalul modificarilor este intact: " + std::to_string(v.entries) + " intrari verificate.";
    return v;
}

std::vector<Entry> history(const std::string& dir, const std::string& table, long long row) {
    settle(dir);
    std::string path;
    Connection db = openJournal(dir, path);
    std::vector<Entry> out;
    if (!db) return out;
    Statement st = prepareStatement(db.get(),
                                    std::string("SELECT ") + kColumns + " FROM " + quoteIdent(kJournalTable) +
                                        " WHERE Tabela = ?1 AND Rand = ?2 ORDER BY Nr",
                                    path);
    const std::string name = journalName(table);
    sqlite3_bind_text(st.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(st.get(), 2, row);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) out.push_back(readEntry(st.get()));
    if (rc != SQLITE_DONE) throwSqlite(db.get(), path);
    return out;
}

std::optional<Entry> lastDeletion(const std::string& dir, const std::vector<std::string>& tables,
                                  const std::string& text) {
    settle(dir);
    std::string path;
    Connection db = openJournal(dir, path);
    if (!db || tables.empty()) return std::nullopt;
    std::string in;
    for (size_t i = 0; i < tables.size(); ++i) in += (i ? ", " : "") + quoteText(journalName(tables[i]));
    Statement st =
        prepareStatement(db.get(),
                         std::string("SELECT ") + kColumns + " FROM " + quoteIdent(kJournalTable) +
                             " WHERE Actiune = " + quoteText(kDeleted) + " AND Tabela IN (" + in + ") ORDER BY Nr DESC",
                         path);
    const std::string needle = foldForMatch(text);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        Entry e = readEntry(st.get());
        if (containsFolded(e.key, needle) || containsFolded(e.before, needle)) return e;
    }
    if (rc != SQLITE_DONE) throwSqlite(db.get(), path);
    return std::nullopt;
}

}  // namespace data::journal
