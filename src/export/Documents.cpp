#include "export/Documents.h"

#include <algorithm>

#include "data/Engine.h"
#include "data/Errors.h"

namespace exports {

namespace {

struct DocumentKind {
    const char* sheet;  // the sheet's name
    const char* kind;   // the kind column's text in the CSV
    const char* table;
    long long DocumentsCount::*count;
};

const DocumentKind kKinds[] = {
    {"Incasari", "Incasare", "Venituri.DB", &DocumentsCount::receipts},
    {"Plati", "Plata", "Cheltuieli.DB", &DocumentsCount::payments},
    {"Depuneri", "Depunere", "Depuneri.db", &DocumentsCount::deposits},
    {"Ridicari", "Ridicare", "Ridicari.db", &DocumentsCount::withdrawals},
};

constexpr long long kPageRows = 20000;
const char* const kKindColumn = "Tip document";

// The kind of a stored field: dates, amounts (the documents' values), other
// numbers as integers (numbers of documents and registers, codes), texts.
ColumnKind kindOf(const std::string& name, const std::string& declared) {
    std::string t = declared;
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (t == "DATE") return ColumnKind::Date;
    if (name == "Valoarea" || name == "Suma") return ColumnKind::Amount;
    if (t == "FLOAT" || t == "SMALLINT" || t == "INTEGER" || t == "AUTOINC" || t == "BOOLEAN")
        return ColumnKind::Integer;
    return ColumnKind::Text;
}

std::string quoted(const std::string& table) { return "\"" + table + "\""; }

std::vector<Column> columnsOf(data::SqlSession& db, const DocumentKind& k) {
    const data::ResultSet rs = db.select("SELECT * FROM " + quoted(k.table) + " WHERE 0");
    std::vector<Column> columns;
    for (size_t c = 0; c < rs.columns.size(); ++c)
        columns.push_back({rs.columns[c], kindOf(rs.columns[c], rs.declaredTypes[c])});
    return columns;
}

std::string unitName(data::SqlSession& db) {
    try {
        const data::ResultSet rs = db.select("SELECT Parohia FROM \"Parohia.DB\"");
        if (!rs.rows.empty()) return rs.rows[0][0].toString();
    } catch (const data::EngineError&) {
        // the title then goes without the unit's name
    }
    return {};
}

// Every document of `k` in the period in the order they were entered; `emit`
// gets each row: its row number, then its values in the order of the table's
// fields. Read in pages of
// kPageRows rows along the table's row numbers, so neither the rows held nor
// the work per page grow with the table.
template <class Emit>
long long readDocuments(data::SqlSession& db, const DocumentKind& k, const data::Date& from, const data::Date& to,
                        Emit emit) {
    const std::string sql = "SELECT rowid AS cv_row, * FROM " + quoted(k.table) +
                            " WHERE (rowid > :After) AND (Data >= :From) AND (Data <= :To) ORDER BY rowid LIMIT " +
                            std::to_string(kPageRows);
    long long n = 0, after = 0;
    for (;;) {
        const data::ResultSet rs =
            db.select(sql, {{"After", data::Value(after)}, {"From", data::Value(from)}, {"To", data::Value(to)}});
        for (const std::vector<data::Value>& r : rs.rows) emit(r);
        n += static_cast<long long>(rs.rows.size());
        if (static_cast<long long>(rs.rows.size()) < kPageRows) return n;
        after = rs.rows.back()[0].toInt();
    }
}

}  // namespace

bool exportDocuments(const std::string& dir, const data::Date& from, const data::Date& to, Format format,
                     const std::string& file, std::string* error, DocumentsCount* count) {
    data::SqlSession& db = data::SqlSession::forDirectory(dir);
    std::vector<std::vector<Column>> columns;
    for (const DocumentKind& k : kKinds) columns.push_back(columnsOf(db, k));
    const std::string unit = unitName(db);
    const std::string period = "Perioada: " + dayText(from) + " - " + dayText(to);

    std::unique_ptr<TableSink> sink = openSink(format, file, error);
    if (!sink) return false;
    DocumentsCount counted;
    Row row;
    if (format == Format::Csv) {
        // one sheet: the kind, then every field any kind has, in order of appearance
        SheetHead head{"Documente", {}, {{kKindColumn, ColumnKind::Text}}, true};
        std::vector<std::vector<size_t>> place(columns.size());
        for (size_t k = 0; k < columns.size(); ++k)
            for (const Column& c : columns[k]) {
                auto at = std::find_if(head.columns.begin(), head.columns.end(),
                                       [&c](const Column& x) { return x.title == c.title; });
                if (at == head.columns.end()) at = head.columns.insert(head.columns.end(), c);
                place[k].push_back(static_cast<size_t>(at - head.columns.begin()));
            }
        sink->beginSheet(head);
        for (size_t k = 0; k < columns.size(); ++k) {
            counted.*kKinds[k].count = readDocuments(db, kKinds[k], from, to, [&](const std::vector<data::Value>& r) {
                row.cells.assign(head.columns.size(), Cell{});
                row.cells[0] = Cell::of(kKinds[k].kind);
                for (size_t c = 0; c + 1 < r.size() && c < place[k].size(); ++c)
                    row.cells[place[k][c]] = Cell::fromValue(r[c + 1], head.columns[place[k][c]].kind);
                sink->row(row);
            });
        }
        sink->endSheet();
    } else {
        for (size_t k = 0; k < columns.size(); ++k) {
            SheetHead head{kKinds[k].sheet, {}, columns[k], true};
            if (!unit.empty()) head.titleLines.push_back(unit);
            head.titleLines.push_back(kKinds[k].sheet);
            head.titleLines.push_back(period);
            sink->beginSheet(head);
            counted.*kKinds[k].count = readDocuments(db, kKinds[k], from, to, [&](const std::vector<data::Value>& r) {
                row.cells.resize(columns[k].size());
                for (size_t c = 0; c + 1 < r.size() && c < columns[k].size(); ++c)
                    row.cells[c] = Cell::fromValue(r[c + 1], columns[k][c].kind);
                sink->row(row);
            });
            sink->endSheet();
        }
    }
    if (count) *count = counted;
    return sink->close(error);
}

}  // namespace exports
