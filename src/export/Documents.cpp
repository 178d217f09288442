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

// Every document of `k` in the period, by date and then as entered, in pages
// of rows; `emit` gets each row's values in the order of `columns`.
template <class Emit>
long long readDocuments(data::SqlSession& db, const DocumentKind& k, const data::Date& from, const data::Date& to,
                        size_t columnCount, Emit emit) {
    const std::string sql = "SELECT rowid AS cv_row, * FROM " + quoted(k.table) +
                            " WHERE (Data >= :From) AND (Data <= :To) AND ((Data > :LastDate) OR ((Data = :LastDate) "
                            "AND (rowid > :LastRow))) ORDER BY Data, rowid LIMIT " +
                            std::to_string(kPageRows);
    data::Value lastDate(std::string("")), lastRow(0LL);
    long long n = 0;
    for (;;) {
        data::ResultSet rs = db.select(
            sql, {{"From", data::Value(from)}, {"To", data::Value(to)}, {"LastDate", lastDate}, {"LastRow", lastRow}});
        for (const std::vector<data::Value>& r : rs.rows) emit(r, columnCount);
        n += static_cast<long long>(rs.rows.size());
        if (static_cast<long long>(rs.rows.size()) < kPageRows) return n;
        const int dateColumn =
            static_cast<int>(std::find(rs.columns.begin(), rs.columns.end(), std::string("Data")) - rs.columns.begin());
        lastDate = rs.rows.back()[static_cast<size_t>(dateColumn)];
        lastRow = rs.rows.back()[0];
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
            counted.*kKinds[k].count = readDocuments(
                db, kKinds[k], from, to, columns[k].size(), [&](const std::vector<data::Value>& r, size_t n) {
                    row.cells.assign(head.columns.size(), Cell{});
                    row.cells[0] = Cell::of(kKinds[k].kind);
                    for (size_t c = 0; c < n; ++c)
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
            counted.*kKinds[k].count = readDocuments(
                db, kKinds[k], from, to, columns[k].size(), [&](const std::vector<data::Value>& r, size_t n) {
                    row.cells.resize(n);
                    for (size_t c = 0; c < n; ++c) row.cells[c] = Cell::fromValue(r[c + 1], columns[k][c].kind);
                    sink->row(row);
                });
            sink->endSheet();
        }
    }
    if (count) *count = counted;
    return sink->close(error);
}

}  // namespace exports
