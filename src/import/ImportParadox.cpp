#include "import/ImportParadox.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "data/Engine.h"
#include "data/Errors.h"
#include "data/FileCopy.h"
#include "data/Format.h"
#include "data/Install.h"
#include "data/Journal.h"
#include "data/Money.h"
#include "data/Schema.h"
#include "data/SqlTranslate.h"
#include "data/SqliteHandle.h"
#include "entry/Balances.h"
#include "import/ParadoxFile.h"
#include "data/Windows1250.h"

namespace fs = std::filesystem;

namespace paradox {
namespace {

const char* const kGroups[] = {"PAROHII", "MANASTIRI"};
// Work tables: the new installation's empty ones stay.
const char* const kWorkTables[] = {"Registru", "Bilant1"};
// Largest small files brought over whole.
constexpr long long kMaxTextFile = 4LL << 20, kMaxPicture = 64LL << 20;

bool isWorkTable(const std::string& name) {
    std::string base = data::tableBaseName(name);
    return std::any_of(std::begin(kWorkTables), std::end(kWorkTables),
                       [&](const char* w) { return data::iequals(w, base); });
}

// The entry of `dir` named `name` regardless of letter case that is a
// directory, or an empty path.
fs::path findDirectory(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (data::iequals(it->path().filename().string(), name) && it->is_directory(ec)) return it->path();
    return {};
}

// The entry named `rel` under `dir` ("Venituri.DB", "PAROHII/Bilant.DB"),
// every part matched regardless of letter case, whatever kind of file it is
// (so that anything but a regular file is refused, not taken for missing);
// an empty path when there is none.
fs::path findEntry(const fs::path& dir, const std::string& rel) {
    fs::path cur = dir;
    const fs::path r(rel);
    for (auto part = r.begin(); part != r.end(); ++part) {
        const bool last = std::next(part) == r.end();
        if (!last) {
            cur = findDirectory(cur, part->string());
            if (cur.empty()) return {};
            continue;
        }
        std::error_code ec;
        std::vector<fs::path> found;
        for (fs::directory_iterator it(cur, ec), end; !ec && it != end; it.increment(ec))
            if (data::iequals(it->path().filename().string(), part->string())) found.push_back(it->path());
        if (found.size() > 1) {
            // two tables that differ only in letter case: neither is taken for the other
            std::sort(found.begin(), found.end());
            throw ImportError("In " + cur.string() + " sunt mai multe fisiere " + part->string() +
                              " (numele difera doar prin litere mari si mici): " + found[0].filename().string() + ", " +
                              found[1].filename().string() + ". Pastrati-l doar pe cel bun.");
        }
        return found.empty() ? fs::path() : found[0];
    }
    return {};
}

// The whole of a regular file no larger than `limit`.
std::string readSmallFile(const std::string& path, long long limit) {
    long long size = 0;
    const int fd = openRegularFile(path, size);
    if (size > limit) {
        ::close(fd);
        throw ImportError("Fisierul " + path + " este prea mare (" + std::to_string(size) + " octeti).");
    }
    std::string content(static_cast<size_t>(size), '\0');
    size_t got = 0;
    while (got < content.size()) {
        ssize_t r = ::read(fd, content.data() + got, content.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    ::close(fd);
    if (got != content.size()) throw ImportError("Fisierul " + path + " nu poate fi citit.");
    return content;
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) throw ImportError("Nu pot crea fisierul : " + path.string());
}

void syncPath(const fs::path& p) {
    int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A value of the old table in the type of our column; sets `why` (and gives
// NULL) when it does not fit without loss.
data::Value convert(const data::Value& v, const data::ColumnDef& col, std::string& why) {
    using data::FieldType;
    if (v.isNull()) return v;
    auto integral = [&](long long lo, long long hi) -> data::Value {
        long long n = 0;
        if (v.isInt()) {
            n = v.toInt();
        } else if (v.isFloat() && std::nearbyint(v.toDouble()) == v.toDouble() && std::fabs(v.toDouble()) < 9e15) {
            n = static_cast<long long>(v.toDouble());
        } else {
            why = "valoarea " + v.toString() + " nu este un numar intreg";
            return {};
        }
        if (n < lo || n > hi) {
            why = "valoarea " + std::to_string(n) + " nu incape in camp";
            return {};
        }
        return n;
    };
    switch (col.type) {
        case FieldType::String: {
            std::string s;
            if (v.isString() || v.isNumber()) {
                s = v.toString();  // a number as written: "12", "0.5"
            } else {
                why = "o data sau o valoare logica nu poate fi pusa intr-un camp text";
                return {};
            }
            size_t n = data::utf8Length(s);
            if (col.size > 0 && n > static_cast<size_t>(col.size)) {
                why = "textul are " + std::to_string(n) + " caractere, campul primeste cel mult " +
                      std::to_string(col.size);
                return {};
            }
            return s;
        }
        case FieldType::SmallInt:
            return v.isNumber() ? integral(-32768, 32767) : (why = "nu este un numar", data::Value());
        case FieldType::Integer:
        case FieldType::AutoInc:
            return v.isNumber() ? integral(-2147483648LL, 2147483647LL) : (why = "nu este un numar", data::Value());
        case FieldType::Float:
            if (v.isNumber()) return v.toDouble();
            why = "nu este un numar";
            return {};
        case FieldType::Date:
            if (v.isDate()) return v;
            why = "nu este o data";
            return {};
        case FieldType::Boolean:
            if (v.isBool()) return v;
            why = "nu este o valoare logica";
            return {};
    }
    return {};
}

// The columns that hold money: kept to the ban, as every amount we store.
bool isAmountColumn(const std::string& name) {
    static const char* const kAmounts[] = {"Valoarea",  "Suma",     "Pret",           "Pret_achizitie", "Valoare",
                                           "Prevederi", "Executie", "Sold_init_casa", "Sold_init_banca"};
    for (const char* a : kAmounts)
        if (data::iequals(name, a)) return true;
    return false;
}

// The fields the money is reckoned from: a table without one of them would
// come over with blank amounts, dates or accounts, and every balance of the
// new installation would be wrong without a word.
struct MoneyFields {
    const char* table;
    std::vector<const char*> fields;
};
const MoneyFields kMoneyFields[] = {
    {"Venituri", {"Data", "Valoarea", "Cont"}},
    {"Cheltuieli", {"Data", "Valoarea", "Cont"}},
    {"Depuneri", {"Data", "Suma"}},
    {"Ridicari", {"Data", "Suma"}},
    {"Contor", {"Sold_init_casa", "Sold_init_banca"}},
};

// Refuses the old table `source` when it lacks (or cannot be read for) a
// field the money of `spec` is reckoned from.
void requireMoneyFields(const std::string& source, const data::TableSpec& spec, const std::vector<ParadoxField>& pf) {
    const std::string base = data::tableBaseName(spec.fileName);
    for (const MoneyFields& m : kMoneyFields) {
        if (!data::iequals(base, m.table)) continue;
        for (const char* name : m.fields) {
            auto f =
                std::find_if(pf.begin(), pf.end(), [&](const ParadoxField& x) { return data::iequals(x.name, name); });
            if (f == pf.end())
                throw ImportError("Tabela " + source + " nu are campul " + name +
                                  ", fara de care soldurile nu pot fi calculate.");
            if (f->kind == FieldKind::Unsupported)
                throw ImportError("Tabela " + source + " are campul " + name + " de tipul " + typeName(f->type) +
                                  ", care nu poate fi citit; fara el soldurile nu pot fi calculate.");
        }
    }
}

class Importer {
public:
    Importer(fs::path src, fs::path work, const std::function<void(const std::string&)>& progress)
        : src_(std::move(src)), work_(std::move(work)), progress_(progress) {}

    ImportSummary run() {
        for (const data::TableSpec& spec : data::installationTables()) {
            if (isWorkTable(spec.fileName)) continue;
            if (spec.fileName == data::journal::kJournalFile) continue;  // the new installation's own
            const fs::path found = findEntry(src_, spec.fileName);
            TableImport t;
            t.file = spec.fileName;
            if (found.empty()) {
                say(t.file + ": lipseste; ramane tabela instalarii noi");
                summary_.tables.push_back(t);
                continue;
            }
            importTable(found.string(), work_ / spec.fileName, spec, t);
        }
        importUnits();
        copyOtherFiles();
        listOthers();
        balances();
        return std::move(summary_);
    }

private:
    void say(const std::string& line) {
        if (progress_) progress_(line);
    }

    // Replaces the table file `dest` by the rows of the Paradox table `source`.
    void importTable(const std::string& source, const fs::path& dest, const data::TableSpec& spec, TableImport& t) {
        t.found = true;
        ParadoxFile px(source);
        // Tables written with a Windows language driver name 1250 (or the
        // generic 1252); any other code page is named, and the text is still
        // read as Windows-1250, byte for letter, so nothing is lost.
        if (int cp = px.codePage(); cp != 0 && cp != 1250 && cp != 1252)
            t.warning = "antetul tabelei indica pagina de cod " + std::to_string(cp) +
                        "; textul a fost citit ca Windows-1250, verificati literele cu diacritice";
        const auto& pf = px.fields();
        requireMoneyFields(source, spec, pf);
        // our column of each Paradox field, -1 for none
        std::vector<int> target(pf.size(), -1);
        std::vector<bool> filled(spec.columns.size(), false);
        for (size_t i = 0; i < pf.size(); ++i) {
            int c = -1;
            for (size_t j = 0; j < spec.columns.size(); ++j)
                if (data::iequals(spec.columns[j].name, pf[i].name)) c = static_cast<int>(j);
            if (c < 0 || filled[c]) {
                t.skipped.push_back(pf[i].name);
            } else if (pf[i].kind == FieldKind::Unsupported) {
                t.skipped.push_back(pf[i].name + " (" + typeName(pf[i].type) + ")");
            } else {
                target[i] = c;
                filled[c] = true;
            }
        }
        for (size_t j = 0; j < spec.columns.size(); ++j)
            if (!filled[j]) t.missing.push_back(spec.columns[j].name);

        std::error_code ec;
        fs::remove(dest, ec);
        data::TableSpec own = spec;
        own.fileName = dest.filename().string();
        data::createTableFile(dest.string(), own);

        data::Connection conn = data::openTableConnection(dest.string());
        sqlite3* db = conn.get();
        const std::string table = data::findTableInFile(db, "main", dest.string());
        std::string sql = "INSERT INTO " + data::quoteIdent(table) + " (", marks;
        std::vector<std::pair<size_t, int>> binds;  // Paradox field, our column
        for (size_t i = 0; i < pf.size(); ++i) {
            if (target[i] < 0) continue;
            sql += (binds.empty() ? "" : ", ") + data::quoteIdent(spec.columns[target[i]].name);
            marks += binds.empty() ? "?" : ", ?";
            binds.emplace_back(i, target[i]);
        }
        sql += ") VALUES (" + marks + ")";
        // an old table without one field of ours still has its rows
        if (binds.empty()) sql = "INSERT INTO " + data::quoteIdent(table) + " DEFAULT VALUES";

        // the new installation's journal records the table's arrival, in the same transaction
        const bool journalled = dest.parent_path() == work_;
        if (journalled) data::journal::attach(db, (work_ / data::journal::kJournalFile).string());
        data::Transaction tx(db, dest.string());
        data::Statement st = data::prepareStatement(db, sql, dest.string());
        std::vector<data::Value> values;
        const long long n = px.recordCount();
        for (long long row = 0; row < n; ++row) {
            px.read(row, values);
            ++t.rowsRead;
            sqlite3_reset(st.get());
            for (size_t b = 0; b < binds.size(); ++b) {
                const auto& [field, col] = binds[b];
                std::string why;
                data::Value v = convert(values[field], spec.columns[col], why);
                if (!why.empty())
                    throw ImportError("Tabela " + source + " nu poate fi importata la inregistrarea " +
                                      std::to_string(row + 1) + ": campul " + pf[field].name + ": " + why);
                if (v.isFloat() && isAmountColumn(spec.columns[col].name)) {
                    const double exact = data::roundToBan(v.toDouble());
                    if (exact != v.toDouble()) ++t.roundedAmounts;
                    v = exact;
                }
                data::bindValue(st.get(), static_cast<int>(b + 1), v);
            }
            if (sqlite3_step(st.get()) != SQLITE_DONE) {
                const int code = sqlite3_extended_errcode(db);
                const bool key = code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE;
                throw ImportError("Tabela " + source + " nu poate fi importata la inregistrarea " +
                                  std::to_string(row + 1) + ": " +
                                  (key ? std::string("cheia ei este aceeasi cu a unei inregistrari anterioare")
                                       : std::string("nu poate fi scrisa (") + sqlite3_errmsg(db) + ")"));
            }
            ++t.rowsWritten;
        }
        if (journalled) {
            std::string shownSource;
            data::textAsUtf8(source, shownSource);
            data::journal::NewEntry e;
            e.table = data::journal::journalName(spec.fileName);
            e.key = "Tabela " + spec.fileName;
            e.action = data::journal::kImported;
            e.after = data::journal::encodeValues({{"Sursa", data::Value(shownSource)},
                                                   {"Inregistrari", data::Value(t.rowsWritten)},
                                                   {"Sume_rotunjite", data::Value(t.roundedAmounts)}});
            data::journal::append(db, data::journal::kAttachedSchema, e);
        }
        tx.commit();
        say(t.file + ": " + std::to_string(t.rowsWritten) + " inregistrari preluate");
        summary_.tables.push_back(std::move(t));
    }

    // The unit directories under the two groups, each with its budget.
    void importUnits() {
        const data::TableSpec* budget = data::knownTable("Bilant.DB");
        for (const char* group : kGroups) {
            fs::path dir = findDirectory(src_, group);
            if (dir.empty()) continue;
            std::vector<fs::path> units;
            std::error_code ec;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                std::error_code e2;
                const fs::file_type type = it->symlink_status(e2).type();
                if (type == fs::file_type::directory)
                    units.push_back(it->path());
                else if (type == fs::file_type::symlink && it->is_directory(e2))
                    summary_.notImported.push_back(std::string(group) + "/" + it->path().filename().string() +
                                                   " (legatura catre alt director; copiati directorul insusi)");
            }
            if (ec) throw ImportError("Directorul " + dir.string() + " nu poate fi citit.");
            std::sort(units.begin(), units.end());
            for (const fs::path& unit : units) {
                std::string name;
                if (data::textAsUtf8(unit.filename().string(), name) != std::string::npos)
                    throw ImportError("Numele directorului " + unit.string() + " nu este scris in Windows-1250.");
                fs::path out = work_ / group / name;
                if (!fs::create_directory(out, ec))
                    throw ImportError("Nu pot crea directorul " + out.string() + " (unitatea apare de doua ori?)");
                TableImport t;
                t.file = std::string(group) + "/" + name + "/Bilant.DB";
                const fs::path found = findEntry(unit, "Bilant.DB");
                if (found.empty()) {
                    // a unit without its budget gets the empty one a new unit gets
                    std::string tpl = std::string(group) == "PAROHII" ? "BilantParohGol.DB" : "BilantManastGol.DB";
                    data::CopyWholeFile((work_ / tpl).string(), (out / "Bilant.DB").string());
                    t.note = "copiat din " + tpl;
                    say(t.file + ": lipseste; " + t.note);
                    summary_.tables.push_back(std::move(t));
                    continue;
                }
                importTable(found.string(), out / "Bilant.DB", *budget, t);
            }
        }
    }

    void copyOtherFiles() {
        if (fs::path tree = findEntry(src_, "arbore.txt"); !tree.empty()) {
            std::string raw = readSmallFile(tree.string(), kMaxTextFile), text;
            size_t bad = data::textAsUtf8(raw, text);
            if (bad != std::string::npos) {
                long line = 1 + std::count(raw.begin(), raw.begin() + static_cast<long>(bad), '\n');
                throw ImportError("Fisierul " + tree.string() + " nu poate fi citit la linia " + std::to_string(line) +
                                  ": nu este scris in Windows-1250.");
            }
            writeFile(work_ / "arbore.txt", text);
            summary_.copied.push_back("arbore.txt (convertit in UTF-8)");
        }
        for (auto [name, limit] : {std::pair{"Configurari.ini", kMaxTextFile}, std::pair{"poza.jpg", kMaxPicture}}) {
            fs::path f = findEntry(src_, name);
            if (f.empty()) continue;
            writeFile(work_ / name, readSmallFile(f.string(), limit));
            summary_.copied.push_back(name);
        }
    }

    // Tables of SRC that have no table of ours to go into.
    void listOthers() {
        std::error_code ec;
        std::vector<std::string> names;
        for (fs::directory_iterator it(src_, ec), end; !ec && it != end; it.increment(ec)) {
            std::string n = it->path().filename().string();
            if (n.size() > 3 && data::iequals(n.substr(n.size() - 3), ".db")) names.push_back(n);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& n : names) {
            std::string shown;
            data::textAsUtf8(n, shown);
            if (isWorkTable(n))
                summary_.notImported.push_back(shown + " (tabela de lucru: ramane cea goala a instalarii noi)");
            else if (!data::knownTable(n))
                summary_.notImported.push_back(shown + " (tabela necunoscuta programului)");
        }
    }

    void balances() {
        const std::string dir = work_.string();
        summary_.soldCasa = entry::CalcSoldCasa(dir);
        summary_.soldBanca = entry::CalcSoldBanca(dir);
        // the balance queries keep their files attached; let them go before the rename
        std::error_code ec;
        for (fs::directory_iterator it(work_, ec), end; !ec && it != end; it.increment(ec))
            data::SqlSession::releaseEverywhere(data::canonicalPath(it->path().string()));
    }

    fs::path src_, work_;
    const std::function<void(const std::string&)>& progress_;
    ImportSummary summary_;
};

void syncTree(const fs::path& root) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) syncPath(it->path());
    syncPath(root);
}

// The work directory of a running import holds the marker, locked for as long
// as the import runs; the lock ends with the process, however it ends.
class WorkMarker {
public:
    explicit WorkMarker(const fs::path& work) : path_(work / kImportMarker) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
            throw ImportError("Nu pot crea fisierul " + path_.string() + ": " + std::strerror(errno));
    }
    ~WorkMarker() {
        if (fd_ >= 0) ::close(fd_);
    }
    WorkMarker(const WorkMarker&) = delete;
    WorkMarker& operator=(const WorkMarker&) = delete;
    // Before the work directory becomes the installation.
    void remove() { ::unlink(path_.c_str()); }

private:
    fs::path path_;
    int fd_ = -1;
};

// Removes what killed imports to `dest` left beside it: directories named
// ".<DEST>.import-XXXXXX" holding an import's marker that no running import
// holds locked. Anything else under such a name stays.
void removeKilledImports(const fs::path& dest) {
    const std::string prefix = "." + dest.filename().string() + ".import-";
    auto workName = [&prefix](const std::string& name) {
        return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
               std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(), [](char c) {
                   return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
               });
    };
    std::error_code ec;
    for (fs::directory_iterator it(dest.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path dir = it->path();
        if (!workName(dir.filename().string()) || !fs::is_directory(fs::symlink_status(dir, ec))) continue;
        const fs::path marker = dir / kImportMarker;
        if (!fs::is_regular_file(fs::symlink_status(marker, ec))) continue;
        const int fd = ::open(marker.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code e;
            fs::remove_all(dir, e);
        }
        ::close(fd);
    }
}

}  // namespace

ImportSummary importParadox(const std::string& srcIn, const std::string& destIn,
                            const std::function<void(const std::string&)>& progress) {
    std::error_code ec;
    const fs::path src = fs::absolute(srcIn, ec);
    if (!fs::is_directory(src, ec)) throw ImportError("Directorul " + srcIn + " nu exista.");
    fs::path dest = fs::absolute(destIn, ec).lexically_normal();
    if (dest.filename().empty()) dest = dest.parent_path();
    if (fs::exists(dest, ec)) {
        if (!fs::is_directory(dest, ec)) throw ImportError(destIn + " exista si nu este un director.");
        data::refuseExistingInstallation(dest.string());
        if (!fs::is_empty(dest, ec))
            throw ImportError("Directorul " + destIn + " nu este gol; importul se face intr-un director nou.");
    }
    const fs::path sc = fs::weakly_canonical(src, ec), dc = fs::weakly_canonical(dest, ec);
    if (dc == sc || std::mismatch(sc.begin(), sc.end(), dc.begin(), dc.end()).first == sc.end())
        throw ImportError("Destinatia " + destIn + " nu poate fi in directorul sursa " + srcIn + ".");

    // missing levels above DEST are made, and removed again on failure
    std::vector<fs::path> madeParents;
    for (fs::path p = dest.parent_path(); !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
        madeParents.push_back(p);
        if (p == p.parent_path()) break;
    }
    for (auto it = madeParents.rbegin(); it != madeParents.rend(); ++it)
        if (!fs::create_directory(*it, ec) && !fs::is_directory(*it, ec))
            throw ImportError("Nu pot crea directorul " + it->string());

    removeKilledImports(dest);
    std::string pattern = (dest.parent_path() / ("." + dest.filename().string() + ".import-XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) {
        for (const fs::path& p : madeParents) fs::remove(p, ec);
        throw ImportError("Nu pot crea directorul de lucru langa " + dest.string() + ": " + std::strerror(errno));
    }
    const fs::path work(buf.data());
    data::UndoUnlessDone cleanUp([&] {
        std::error_code e;
        fs::remove_all(work, e);
        for (const fs::path& p : madeParents) fs::remove(p, e);
    });

    WorkMarker marker(work);
    data::createInstallation(work.string());
    ImportSummary summary = Importer(src, work, progress).run();
    marker.remove();
    syncTree(work);
    fs::rename(work, dest, ec);
    if (ec) throw ImportError("Nu pot redenumi " + work.string() + " in " + dest.string() + ": " + ec.message());
    syncPath(dest.parent_path());
    cleanUp.done();
    return summary;
}

std::string summaryText(const ImportSummary& s) {
    std::ostringstream o;
    auto join = [](const std::vector<std::string>& v) {
        std::string r;
        for (const auto& x : v) r += (r.empty() ? "" : ", ") + x;
        return r;
    };
    size_t width = 7;
    for (const TableImport& t : s.tables) width = std::max(width, data::utf8Length(t.file));
    auto pad = [](const std::string& text, size_t w) {
        size_t n = data::utf8Length(text);
        return text + std::string(w > n ? w - n : 0, ' ');
    };
    auto right = [](const std::string& text, size_t w) {
        return std::string(w > text.size() ? w - text.size() : 0, ' ') + text;
    };
    o << pad("Fisier", width) << "  " << right("Citite", 8) << "  " << right("Scrise", 8) << "  Campuri sarite\n";
    std::vector<std::string> absent, missing, warnings;
    for (const TableImport& t : s.tables) {
        if (!t.found) {
            if (t.note.empty()) {
                absent.push_back(t.file);
                continue;
            }
            o << pad(t.file, width) << "  " << right("-", 8) << "  " << right("-", 8) << "  (lipseste; " << t.note
              << ")\n";
            continue;
        }
        o << pad(t.file, width) << "  " << right(std::to_string(t.rowsRead), 8) << "  "
          << right(std::to_string(t.rowsWritten), 8) << "  " << (t.skipped.empty() ? "-" : join(t.skipped)) << "\n";
        if (!t.missing.empty()) missing.push_back(t.file + ": " + join(t.missing));
        if (!t.warning.empty()) warnings.push_back(t.file + ": " + t.warning);
        if (t.roundedAmounts > 0)
            warnings.push_back(
                t.file + ": sume cu mai mult de doua zecimale, rotunjite la ban: " + std::to_string(t.roundedAmounts));
    }
    if (!absent.empty()) o << "Tabele care lipsesc (raman cele ale instalarii noi): " << join(absent) << "\n";
    for (const std::string& m : missing) o << "Campuri care lipsesc (raman necompletate): " << m << "\n";
    for (const std::string& n : s.notImported) o << "Nepreluat: " << n << "\n";
    for (const std::string& w : warnings) o << "Atentie: " << w << "\n";
    if (!s.copied.empty()) o << "Fisiere copiate: " << join(s.copied) << "\n";
    o << "Sold casa : " << entry::balanceText(s.soldCasa) << "\n";
    o << "Sold banca : " << entry::balanceText(s.soldBanca) << "\n";
    return o.str();
}

int runImportParadox(const std::string& src, const std::string& dest, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const bool existed = fs::exists(fs::symlink_status(dest, ec));
    try {
        ImportSummary s =
            importParadox(src, dest, [&err](const std::string& line) { err << line << "\n"
                                                                           << std::flush; });
        out << summaryText(s);
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        err << "Corvalinde: " << e.what() << "\nImportul a fost anulat; " << dest
            << (existed ? " a ramas neschimbat.\n" : " nu a fost creat.\n");
        return 1;
    }
}

}  // namespace paradox
