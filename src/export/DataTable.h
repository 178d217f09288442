// A report or list as data: a title block, fixed columns of a known kind,
// one row per line of the report (day headings and closings included) and
// the totals. Writers take it row by row, so a large list never has to be
// held whole.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Money.h"
#include "data/Value.h"

namespace exports {

enum class ColumnKind { Text, Amount, Date, Integer };

struct Column {
    std::string title;
    ColumnKind kind = ColumnKind::Text;
};

// One value: empty, a text, a number (bani in an amount column, the number
// itself in an integer column) or a date.
struct Cell {
    enum class Type : unsigned char { Empty, Text, Number, Date };
    Type type = Type::Empty;
    long long number = 0;
    data::Date date;
    std::string text;

    static Cell empty() { return {}; }
    static Cell of(std::string s) { return {Type::Text, 0, {}, std::move(s)}; }
    static Cell amount(data::Bani bani) { return {Type::Number, bani, {}, {}}; }
    static Cell integer(long long n) { return {Type::Number, n, {}, {}}; }
    static Cell day(const data::Date& d) { return d.valid() ? Cell{Type::Date, 0, d, {}} : Cell{}; }
    // An engine value in a column of `kind`: amounts to the ban, a null or an
    // invalid date empty.
    static Cell fromValue(const data::Value& v, ColumnKind kind);
};

struct Row {
    std::vector<Cell> cells;
    bool total = false;  // a total or closing row, set apart (bold)
};

// What a sheet is before its rows: its name, the title block (unit lines,
// the report's title, the period), the columns and the printed orientation.
struct SheetHead {
    std::string sheetName;
    std::vector<std::string> titleLines;
    std::vector<Column> columns;
    bool landscape = false;
};

class TableSink {
public:
    virtual ~TableSink();
    virtual void beginSheet(const SheetHead& head) = 0;
    // A row with fewer cells than columns is filled with empty cells.
    virtual void row(const Row& row) = 0;
    virtual void endSheet() = 0;
    // Completes the file; false with `error` when it could not be written.
    virtual bool close(std::string* error) = 0;
};

struct DataTable {
    SheetHead head;
    std::vector<Row> rows;

    // A new row of as many empty cells as there are columns.
    Row& addRow(bool total = false);
    int columnIndex(const std::string& title) const;  // -1 when there is none
    void writeTo(TableSink& sink) const;
};

enum class Format { Xlsx, Csv, HtmlTable };
// ".xlsx", ".csv", ".table.html" / ".table.htm" (letter case ignored); other
// names are not data files.
std::optional<Format> dataFormatForPath(const std::string& path);
// A writer of `format` into `path`; nullptr with `error` when it cannot be made.
std::unique_ptr<TableSink> openSink(Format format, const std::string& path, std::string* error);
// The table into `path` in `format` (the file written directly; see
// writeFileSafely for a file the user gets).
bool writeTable(const DataTable& table, Format format, const std::string& path, std::string* error);

// "dd.mm.yyyy"
std::string dayText(const data::Date& d);
// Bani as "-1234.05": the decimal point, no thousands separator.
std::string plainAmount(data::Bani bani);

}  // namespace exports
