#include "export/DataTable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "export/CsvWriter.h"
#include "export/HtmlTableWriter.h"
#include "export/XlsxWriter.h"

namespace exports {

TableSink::~TableSink() = default;

Cell Cell::fromValue(const data::Value& v, ColumnKind kind) {
    if (v.isNull()) return {};
    switch (kind) {
        case ColumnKind::Amount: return amount(data::toBani(v.toDouble()));
        case ColumnKind::Integer: return integer(v.isInt() ? v.toInt() : std::llround(v.toDouble()));
        case ColumnKind::Date: return day(v.toDate());
        case ColumnKind::Text: return of(v.toString());
    }
    return {};
}

Row& DataTable::addRow(bool total) {
    rows.push_back({std::vector<Cell>(head.columns.size()), total});
    return rows.back();
}

int DataTable::columnIndex(const std::string& title) const {
    for (size_t i = 0; i < head.columns.size(); ++i)
        if (head.columns[i].title == title) return static_cast<int>(i);
    return -1;
}

void DataTable::writeTo(TableSink& sink) const {
    sink.beginSheet(head);
    for (const Row& r : rows) sink.row(r);
    sink.endSheet();
}

namespace {

bool endsWithNoCase(const std::string& s, const char* suffix) {
    const std::string e(suffix);
    if (s.size() < e.size()) return false;
    for (size_t i = 0; i < e.size(); ++i) {
        char c = s[s.size() - e.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != e[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<Format> dataFormatForPath(const std::string& path) {
    if (endsWithNoCase(path, ".xlsx")) return Format::Xlsx;
    if (endsWithNoCase(path, ".csv")) return Format::Csv;
    if (endsWithNoCase(path, ".table.html") || endsWithNoCase(path, ".table.htm")) return Format::HtmlTable;
    return std::nullopt;
}

std::unique_ptr<TableSink> openSink(Format format, const std::string& path, std::string* error) {
    switch (format) {
        case Format::Xlsx: return openXlsx(path, error);
        case Format::Csv: return openCsv(path, error);
        case Format::HtmlTable: return openHtmlTable(path, error);
    }
    return nullptr;
}

bool writeTable(const DataTable& table, Format format, const std::string& path, std::string* error) {
    std::unique_ptr<TableSink> sink = openSink(format, path, error);
    if (!sink) return false;
    table.writeTo(*sink);
    return sink->close(error);
}

std::string dayText(const data::Date& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
    return buf;
}

std::string plainAmount(data::Bani bani) {
    const unsigned long long magnitude =
        bani < 0 ? 0ULL - static_cast<unsigned long long>(bani) : static_cast<unsigned long long>(bani);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%llu.%02llu", bani < 0 ? "-" : "", magnitude / 100, magnitude % 100);
    return buf;
}

}  // namespace exports
