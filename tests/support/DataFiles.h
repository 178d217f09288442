// Reading back the table files the program writes: an .xlsx opened with
// zlib's inflate (cells with their number format and boldness, frozen rows,
// widths, page set-up, print area) and a data CSV parsed strictly.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace support {

struct XlsxCell {
    std::string text;  // a string, or a number as written
    bool number = false;
    double value = 0;
    std::string format;  // the number format's code
    bool bold = false;
};

struct XlsxSheet {
    std::string name, orientation, printArea;
    std::map<std::pair<int, int>, XlsxCell> cells;  // (row, column), from 0
    int rowCount = 0, frozenRows = 0, paper = 0;
    std::map<int, double> widths;  // by column

    const XlsxCell* at(int row, int column) const;  // nullptr for an empty cell
    std::string text(int row, int column) const;
};

// Every sheet in order; throws std::runtime_error for an unreadable workbook.
std::vector<XlsxSheet> readXlsx(const std::string& path);

// Throws std::runtime_error without the byte-order mark, for a quote out of
// place, a bare line break or a row whose field count differs from the first's.
std::vector<std::vector<std::string>> readDataCsv(const std::string& path);

}  // namespace support
