// Reading back the table files the program writes: an .xlsx opened with
// zlib's inflate (its sheets' cells with their number formats and boldness,
// the frozen rows, widths, page set-up and print area) and a data CSV parsed
// strictly (byte-order mark, ';', the same number of fields on every row).
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace support {

struct XlsxCell {
    std::string text;  // a string's text, or a number as written
    bool number = false;
    double value = 0;
    std::string format;  // the number format's code ("General" when none)
    bool bold = false;
};

struct XlsxSheet {
    std::string name;
    std::map<std::pair<int, int>, XlsxCell> cells;  // (row, column), from 0
    int rowCount = 0;                               // the last row holding a cell, plus one
    int frozenRows = 0;
    std::map<int, double> widths;  // by column, from 0
    int paper = 0;
    std::string orientation;
    std::string printArea;  // "'Name'!$A$1:$K$40"

    // nullptr for an empty cell
    const XlsxCell* at(int row, int column) const;
    std::string text(int row, int column) const;  // "" for an empty cell
    // The first row whose cell in `column` holds `text`; -1 when none does.
    int findRow(int column, const std::string& text) const;
};

// Every sheet in the workbook's order; throws std::runtime_error for a file
// that is not a readable workbook.
std::vector<XlsxSheet> readXlsx(const std::string& path);
// One member of the zip container, inflated.
std::string zipMember(const std::string& path, const std::string& name);

// The rows of a data CSV; throws std::runtime_error when the byte-order mark
// is missing, a quote is out of place or a row's field count differs.
std::vector<std::vector<std::string>> readDataCsv(const std::string& path);

// Excel's day number of a date (1900 date system).
int excelSerial(int year, int month, int day);

}  // namespace support
