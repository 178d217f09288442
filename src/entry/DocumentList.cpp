#include "entry/DocumentList.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "data/AppDir.h"
#include "data/Collation.h"
#include "data/Engine.h"
#include "data/Format.h"
#include "data/Table.h"

namespace entry {

namespace {

// How one kind of document is read as a row of the list.
struct KindSql {
    CashDoc kind;
    const char* table;        // as SQL names it
    const char* file;         // as a table object opens it
    const char* number;       // the document number
    const char* code;         // type code, or NULL
    const char* name;         // type name, or NULL
    const char* account;      // account, or a fixed text
    const char* party;        // beneficiary or parishioner, or NULL
    const char* explanation;  // or NULL
    const char* amount;
};

const KindSql kKinds[] = {
    {CashDoc::Receipt, "\"Venituri.DB\"", "Venituri.DB", "Nr_act", "Cod_venit", "Den_venit", "Cont", "Den_enorias",
     "Explicatie", "Valoarea"},
    {CashDoc::Payment, "\"Cheltuieli.DB\"", "Cheltuieli.DB", "Nr_act", "Cod_cheltuiala", "Den_cheltuiala", "Cont",
     "Beneficiar", "Explicatie", "Valoarea"},
    {CashDoc::Deposit, "\"Depuneri.DB\"", "Depuneri.DB", "Nr_doc", "NULL", "NULL", "'Casa -> Banca'", "NULL", "NULL",
     "Suma"},
    {CashDoc::Withdrawal, "\"Ridicari.DB\"", "Ridicari.DB", "Nr_doc", "NULL", "NULL", "'Banca -> Casa'", "NULL", "NULL",
     "Suma"},
};

bool movesBetweenAccounts(CashDoc k) { return k == CashDoc::Deposit || k == CashDoc::Withdrawal; }

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// A text filter that is a whole number also finds the documents of that number.
std::optional<long long> numberIn(const std::string& text) {
    if (text.empty() || text.size() > 15 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(text);
}

// The condition of `filter` on one kind's rows ("1" when it takes them all,
// "0" when none), and the parameters it names.
// The part of `filter` read from the tables, on one kind's rows: the account
// and the type code ("1" when it takes them all, "0" when none). The period,
// kind, amounts and text are looked at in memory.
std::string condition(const KindSql& k, const DocumentFilter& f, std::vector<data::Param>& params) {
    std::vector<std::string> parts;
    if (!f.account.empty() && !movesBetweenAccounts(k.kind)) parts.push_back(std::string(k.account) + " = :account");
    if (f.typeCode) {
        if (movesBetweenAccounts(k.kind)) return "0";
        parts.push_back(std::string(k.code) + " = :code");
    }
    if (!f.account.empty()) params.push_back({"account", data::Value(f.account)});
    if (f.typeCode) params.push_back({"code", data::Value(*f.typeCode)});
    if (parts.empty()) return "1";
    std::string s;
    for (const auto& p : parts) s += (s.empty() ? "" : " AND ") + p;
    return s;
}

int dayNumberOf(const data::Date& d) { return d.year * 10000 + d.month * 100 + d.day; }

// The expression a column sorts by in one kind's rows, and whether it is a name.
std::string sortKey(const KindSql& k, DocColumn c, bool& isText) {
    isText = false;
    switch (c) {
        case DocColumn::Kind: return std::to_string(static_cast<int>(k.kind));
        case DocColumn::Date: return "Data";
        case DocColumn::Number: return k.number;
        case DocColumn::DocType: isText = true; return "Fel";
        case DocColumn::TypeCode: return k.code;
        case DocColumn::TypeName: isText = true; return k.name;
        case DocColumn::Account: isText = true; return k.account;
        case DocColumn::Party: isText = true; return k.party;
        case DocColumn::Explanation: isText = true; return k.explanation;
        default: return k.amount;
    }
}

std::string dayText(const data::Value& v) {
    if (v.isNull()) return {};
    const std::optional<data::Date> d = v.isDate() ? std::optional(v.toDate()) : data::Date::parseIso(v.toString());
    if (!d || !d->valid()) return v.toString();
    return data::formatShortDate(*d);
}

std::string numberText(const data::Value& v) {
    if (v.isNull()) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v.toDouble());
    return buf;
}

std::string textOf(const data::Value& v) { return v.isNull() ? std::string() : trimmed(v.toString()); }

}  // namespace

const char* kindName(CashDoc kind) {
    switch (kind) {
        case CashDoc::Receipt: return "Incasare";
        case CashDoc::Payment: return "Plata";
        case CashDoc::Deposit: return "Depunere";
        default: return "Ridicare";
    }
}

const char* kindTable(CashDoc kind) { return kKinds[static_cast<int>(kind)].file; }

std::string columnText(const DocumentRow& r, DocColumn c) {
    switch (c) {
        case DocColumn::Kind: return kindName(r.kind);
        case DocColumn::Date: return dayText(r.date);
        case DocColumn::Number: return numberText(r.number);
        case DocColumn::DocType: return textOf(r.docType);
        case DocColumn::TypeCode: return r.typeCode.isNull() ? std::string() : std::to_string(r.typeCode.toInt());
        case DocColumn::TypeName: return r.typeName;
        case DocColumn::Account: return r.account;
        case DocColumn::Party: return r.party;
        case DocColumn::Explanation: return r.explanation;
        default: return data::formatAmountBani(r.amount);
    }
}

std::string filterDescription(const DocumentFilter& f) {
    std::vector<std::string> parts;
    if (f.from || f.to)
        parts.push_back("Perioada " + (f.from ? dayText(data::Value(*f.from)) : std::string("...")) + " - " +
                        (f.to ? dayText(data::Value(*f.to)) : std::string("...")));
    parts.push_back(std::string("Documente: ") + (f.kind ? kindName(*f.kind) : "toate"));
    if (!f.account.empty()) parts.push_back("Cont: " + f.account);
    if (f.typeCode) parts.push_back("Cod tip: " + std::to_string(*f.typeCode));
    if (f.minAmount || f.maxAmount)
        parts.push_back("Suma: " + (f.minAmount ? data::formatAmountBani(*f.minAmount) : std::string("...")) + " - " +
                        (f.maxAmount ? data::formatAmountBani(*f.maxAmount) : std::string("...")));
    if (!trimmed(f.text).empty()) parts.push_back("Text: \"" + trimmed(f.text) + "\"");
    std::string s;
    for (const auto& p : parts) s += (s.empty() ? "" : "; ") + p;
    return s;
}

DocumentList::DocumentList(std::string dir) : dir_(std::move(dir)) {}

void DocumentList::ensureIndexes(const std::string& dir) {
    for (const KindSql& k : kKinds) {
        if (movesBetweenAccounts(k.kind)) continue;
        try {
            data::Table t;
            t.setDatabaseName(dir);
            t.setTableName(k.file);
            t.open();
            const auto defs = t.indexDefs();
            const bool present = std::any_of(defs.begin(), defs.end(), [&](const data::IndexDef& d) {
                return !d.fields.empty() && d.fields.front() == k.code;
            });
            if (!present && !t.writeProtected()) t.addIndex("Dupa_cod", k.code, false);
            t.close();
        } catch (const std::exception&) {
            // a table that cannot take the index is listed all the same, only slower
        }
    }
}

// The stored date "YYYY-MM-DD" as yyyymmdd; -1 for none.
static int dayNumber(sqlite3_stmt* st, int col) {
    const auto* t = sqlite3_column_text(st, col);
    if (!t || sqlite3_column_bytes(st, col) < 10) return -1;
    int v = 0;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) v = v * 10 + (t[i] >= '0' && t[i] <= '9' ? t[i] - '0' : 0);
    return v;
}

void DocumentList::readAll() {
    base_.clear();
    data::SqlSession& session = data::SqlSession::forDirectory(dir_.empty() ? data::AppDir() : dir_);
    data::Bani cash = 0, bank = 0;
    auto opening = session.select("SELECT SUM(Sold_init_casa), SUM(Sold_init_banca) FROM \"Contor.DB\"");
    if (!opening.rows.empty()) {
        cash = data::toBani(opening.rows[0][0].toDouble());
        bank = data::toBani(opening.rows[0][1].toDouble());
    }
    // what each document does to the cash box and the bank account
    struct Move {
        std::int8_t cash, bank;
    };
    std::vector<Move> moves;
    for (const KindSql& k : kKinds) {
        const bool between = movesBetweenAccounts(k.kind);
        session.selectEach(std::string("SELECT rowid, Data, ") + k.amount + ", " + k.account + " FROM " + k.table, {},
                           [&](sqlite3_stmt* st) {
                               const data::Bani amount = data::toBani(sqlite3_column_double(st, 2));
                               base_.push_back({static_cast<std::uint8_t>(k.kind), dayNumber(st, 1),
                                                sqlite3_column_int64(st, 0), amount, 0, 0});
                               Move m{0, 0};
                               if (between) {
                                   m = k.kind == CashDoc::Deposit ? Move{-1, 1} : Move{1, -1};
                               } else {
                                   const auto* a = sqlite3_column_text(st, 3);
                                   const std::string_view account = a ? reinterpret_cast<const char*>(a) : "";
                                   const std::int8_t sign = k.kind == CashDoc::Receipt ? 1 : -1;
                                   if (account == "Casa") m.cash = sign;
                                   if (account == "Banca") m.bank = sign;
                               }
                               moves.push_back(m);
                           });
    }
    std::vector<std::uint32_t> order(base_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const Dated &x = base_[a], &y = base_[b];
        if (x.day != y.day) return x.day < y.day;
        if (x.kind != y.kind) return x.kind < y.kind;
        return x.id < y.id;
    });
    std::vector<Dated> sorted;
    sorted.reserve(base_.size());
    for (std::uint32_t i : order) {
        Dated d = base_[i];
        cash += moves[i].cash * d.amount;
        bank += moves[i].bank * d.amount;
        d.cash = cash;
        d.bank = bank;
        sorted.push_back(d);
    }
    base_ = std::move(sorted);
    for (auto& v : byId_) v.clear();
    for (size_t i = 0; i < base_.size(); ++i)
        byId_[base_[i].kind].emplace_back(base_[i].id, static_cast<std::uint32_t>(i));
    for (auto& v : byId_) std::sort(v.begin(), v.end());
}

long long DocumentList::baseIndex(std::uint8_t kind, long long id) const {
    const auto& v = byId_[kind];
    auto it = std::lower_bound(v.begin(), v.end(), std::pair<long long, std::uint32_t>(id, 0));
    return it != v.end() && it->first == id ? it->second : -1;
}

const std::vector<double>& DocumentList::keys(DocColumn c) {
    std::vector<double>& keys = keys_[static_cast<size_t>(c)];
    if (keys.size() == base_.size()) return keys;
    keys.assign(base_.size(), -1e300);  // no value sorts first
    std::unordered_map<std::string, std::uint32_t> nameIndex;
    std::vector<std::string> names;
    bool text = false;
    data::SqlSession& session = data::SqlSession::forDirectory(dir_.empty() ? data::AppDir() : dir_);
    for (const KindSql& k : kKinds) {
        const std::string key = sortKey(k, c, text);
        const auto kind = static_cast<std::uint8_t>(k.kind);
        session.selectEach("SELECT rowid, " + key + " FROM " + std::string(k.table), {}, [&](sqlite3_stmt* st) {
            const long long at = baseIndex(kind, sqlite3_column_int64(st, 0));
            if (at < 0) return;  // written after the documents were read
            if (text) {
                const auto* t = sqlite3_column_text(st, 1);
                std::string name = t ? trimmed(reinterpret_cast<const char*>(t)) : "";
                auto [it, added] = nameIndex.try_emplace(std::move(name), static_cast<std::uint32_t>(names.size()));
                if (added) names.push_back(it->first);
                keys[static_cast<size_t>(at)] = it->second;
            } else if (sqlite3_column_type(st, 1) != SQLITE_NULL) {
                keys[static_cast<size_t>(at)] = sqlite3_column_double(st, 1);
            }
        });
    }
    if (text) {
        // each distinct name gets its rank; equal names (case aside) the same one
        std::vector<std::pair<std::string, std::uint32_t>> sorted;
        sorted.reserve(names.size());
        for (size_t i = 0; i < names.size(); ++i)
            sorted.emplace_back(data::romanianSortKey(names[i]), static_cast<std::uint32_t>(i));
        std::sort(sorted.begin(), sorted.end());
        std::vector<double> rank(names.size());
        for (size_t i = 0; i < sorted.size(); ++i)
            rank[sorted[i].second] =
                i > 0 && sorted[i].first == sorted[i - 1].first ? rank[sorted[i - 1].second] : static_cast<double>(i);
        for (double& k : keys)
            if (k >= 0) k = rank[static_cast<size_t>(k)];
    }
    return keys;
}

void DocumentList::readTexts() {
    if (textStart_.size() == base_.size() + 1) return;
    std::vector<std::string> each(base_.size());
    data::SqlSession& session = data::SqlSession::forDirectory(dir_.empty() ? data::AppDir() : dir_);
    for (const KindSql& k : kKinds) {
        std::string cols = "Fel";
        for (const char* c : {k.explanation, k.name, k.party})
            if (std::string(c) != "NULL") cols += std::string(", ") + c;
        const auto kind = static_cast<std::uint8_t>(k.kind);
        session.selectEach("SELECT rowid, " + cols + " FROM " + std::string(k.table), {}, [&](sqlite3_stmt* st) {
            const long long at = baseIndex(kind, sqlite3_column_int64(st, 0));
            if (at < 0) return;
            std::string& out = each[static_cast<size_t>(at)];
            for (int c = 1; c < sqlite3_column_count(st); ++c) {
                const auto* t = sqlite3_column_text(st, c);
                if (!t) continue;
                // fields apart, so that a search never runs from one into the next
                out += data::foldForMatch(reinterpret_cast<const char*>(t));
                out += '\x1f';
            }
        });
    }
    texts_.clear();
    textStart_.clear();
    textStart_.reserve(base_.size() + 1);
    for (const std::string& t : each) {
        textStart_.push_back(static_cast<std::uint32_t>(texts_.size()));
        texts_ += t;
        texts_ += '\n';
    }
    textStart_.push_back(static_cast<std::uint32_t>(texts_.size()));
}

std::vector<std::uint32_t> DocumentList::listed(const DocumentFilter& filter) {
    data::SqlSession& session = data::SqlSession::forDirectory(dir_.empty() ? data::AppDir() : dir_);
    // the rows of each kind the filter takes; no condition: all of them
    std::array<std::optional<std::vector<long long>>, 4> taken;
    for (const KindSql& k : kKinds) {
        std::vector<data::Param> params;
        const std::string cond = condition(k, filter, params);
        if (cond == "1") continue;
        auto& ids = taken[static_cast<size_t>(k.kind)].emplace();
        if (cond == "0") continue;
        session.selectEach("SELECT rowid FROM " + std::string(k.table) + " WHERE " + cond, params,
                           [&](sqlite3_stmt* st) { ids.push_back(sqlite3_column_int64(st, 0)); });
        std::sort(ids.begin(), ids.end());
    }
    const int from = filter.from ? dayNumberOf(*filter.from) : -2;
    const int to = filter.to ? dayNumberOf(*filter.to) : 99999999;
    std::vector<char> take(base_.size(), 1);
    for (size_t i = 0; i < base_.size(); ++i) {
        const Dated& d = base_[i];
        const auto& ids = taken[d.kind];
        if ((filter.kind && static_cast<std::uint8_t>(*filter.kind) != d.kind) || d.day < from || d.day > to ||
            (filter.minAmount && d.amount < *filter.minAmount) || (filter.maxAmount && d.amount > *filter.maxAmount) ||
            (ids && !std::binary_search(ids->begin(), ids->end(), d.id)))
            take[i] = 0;
    }
    const std::string text = data::foldForMatch(trimmed(filter.text));
    if (!text.empty()) {
        readTexts();
        std::vector<char> found(base_.size(), 0);
        // every place the text occurs, given to the document it lies in
        for (size_t at = texts_.find(text); at != std::string::npos;) {
            const auto row = static_cast<size_t>(
                std::upper_bound(textStart_.begin(), textStart_.end(), static_cast<std::uint32_t>(at)) -
                textStart_.begin() - 1);
            found[row] = 1;
            at = texts_.find(text, textStart_[row + 1]);
        }
        if (const auto n = numberIn(text)) {
            const std::vector<double>& numbers = keys(DocColumn::Number);
            for (size_t i = 0; i < base_.size(); ++i)
                if (numbers[i] == static_cast<double>(*n)) found[i] = 1;
        }
        for (size_t i = 0; i < base_.size(); ++i) take[i] &= found[i];
    }
    std::vector<std::uint32_t> rows;
    for (size_t i = 0; i < base_.size(); ++i)
        if (take[i]) rows.push_back(static_cast<std::uint32_t>(i));
    return rows;
}

void DocumentList::load(const DocumentFilter& filter, DocColumn sortBy, bool descending) {
    filter_ = filter;
    sortBy_ = sortBy;
    descending_ = descending;
    ids_.clear();
    cashAfter_.clear();
    bankAfter_.clear();
    pages_.clear();
    pageUse_.clear();
    counts_.fill(0);
    sums_.fill(0);
    if (base_.empty()) {
        for (auto& k : keys_) k.clear();
        textStart_.clear();
        texts_.clear();
        readAll();
    }
    std::vector<std::uint32_t> rows = listed(filter);
    const bool byDate = sortBy == DocColumn::Date;
    if (!byDate) {
        std::vector<double> kindKeys;
        if (sortBy == DocColumn::Kind) {
            kindKeys.resize(base_.size());
            for (size_t i = 0; i < base_.size(); ++i) kindKeys[i] = base_[i].kind;
        }
        const std::vector<double>& k = sortBy == DocColumn::Kind ? kindKeys : keys(sortBy);
        // base_ is in date and entry order: equal keys keep it
        std::stable_sort(rows.begin(), rows.end(), [&](std::uint32_t a, std::uint32_t b) { return k[a] < k[b]; });
    }
    if (descending) std::reverse(rows.begin(), rows.end());
    ids_.reserve(rows.size());
    for (std::uint32_t i : rows) {
        const Dated& d = base_[i];
        ids_.push_back({d.kind, d.id});
        ++counts_[d.kind];
        sums_[d.kind] += d.amount;
        if (byDate) {
            cashAfter_.push_back(d.cash);
            bankAfter_.push_back(d.bank);
        }
    }
}

int DocumentList::indexOf(CashDoc kind, long long id) const {
    for (size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i].id == id && ids_[i].kind == static_cast<std::uint8_t>(kind)) return static_cast<int>(i);
    return -1;
}

const DocumentRow& DocumentList::row(int i) {
    const int page = i / kPage;
    auto it = pages_.find(page);
    if (it == pages_.end()) {
        readPage(page);
        it = pages_.find(page);
    }
    return it->second[static_cast<size_t>(i % kPage)];
}

void DocumentList::readPage(int page) {
    if (pages_.size() >= kPagesKept) {
        pages_.erase(pageUse_.front());
        pageUse_.erase(pageUse_.begin());
    }
    const int first = page * kPage, last = std::min(size(), first + kPage);
    std::vector<DocumentRow> rows(static_cast<size_t>(last - first));
    std::array<std::string, 4> lists;
    for (int i = first; i < last; ++i) {
        DocumentRow& r = rows[static_cast<size_t>(i - first)];
        r.kind = kind(i);
        r.id = id(i);
        std::string& l = lists[static_cast<size_t>(r.kind)];
        l += (l.empty() ? "" : ",") + std::to_string(r.id);
    }
    data::SqlSession& session = data::SqlSession::forDirectory(dir_.empty() ? data::AppDir() : dir_);
    for (const KindSql& k : kKinds) {
        const std::string& list = lists[static_cast<size_t>(k.kind)];
        if (list.empty()) continue;
        auto rs = session.select(std::string("SELECT rowid, Data, ") + k.number + ", Fel, " + k.code + ", " + k.name +
                                 ", " + k.account + ", " + k.party + ", " + k.explanation + ", " + k.amount + " FROM " +
                                 k.table + " WHERE rowid IN (" + list + ")");
        std::map<long long, std::vector<data::Value>*> byId;
        for (auto& v : rs.rows) byId[v[0].toInt()] = &v;
        for (DocumentRow& r : rows) {
            if (r.kind != k.kind) continue;
            auto found = byId.find(r.id);
            if (found == byId.end()) continue;  // deleted since the list was read
            const auto& v = *found->second;
            r.date = v[1].isString() ? data::Value(data::Date::parseIso(v[1].toString()).value_or(data::Date{})) : v[1];
            r.number = v[2];
            r.docType = v[3];
            r.typeCode = v[4];
            r.typeName = textOf(v[5]);
            r.account = textOf(v[6]);
            r.party = textOf(v[7]);
            r.explanation = textOf(v[8]);
            r.amount = data::toBani(v[9].toDouble());
        }
    }
    pages_[page] = std::move(rows);
    pageUse_.push_back(page);
}

// ---------------------------------------------------------------- as a data set

namespace {
const char* const kSetFields[] = {"Document", "Data", "Numar",      "Felul",      "Cod",
                                  "Denumire", "Cont", "Beneficiar", "Explicatie", "Suma"};
}  // namespace

DocumentListSet::DocumentListSet(DocumentList& list) : list_(list) { setup("Suma").asAmount(); }

std::vector<data::FieldDef> DocumentListSet::backendOpen() {
    using data::FieldType;
    const FieldType types[] = {FieldType::String,  FieldType::Date,   FieldType::Float,  FieldType::String,
                               FieldType::Integer, FieldType::String, FieldType::String, FieldType::String,
                               FieldType::String,  FieldType::Float};
    std::vector<data::FieldDef> defs;
    for (size_t i = 0; i < std::size(kSetFields); ++i) defs.push_back({kSetFields[i], types[i], 100});
    return defs;
}

bool DocumentListSet::backendLoadRow(int index, std::vector<data::Value>& v) {
    const DocumentRow& r = list_.row(index);
    v = {data::Value(kindName(r.kind)),
         r.date,
         r.number,
         r.docType.isNull() ? data::Value() : data::Value(trimmed(r.docType.toString())),
         r.typeCode,
         data::Value(r.typeName),
         data::Value(r.account),
         data::Value(r.party),
         data::Value(r.explanation),
         data::Value(data::fromBani(r.amount))};
    return true;
}

}  // namespace entry
