#include "support/DataFiles.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <stdexcept>

#include "support/TempDir.h"

namespace support {

namespace {

unsigned le(const std::string& b, size_t at, int bytes) {
    if (at + bytes > b.size()) throw std::runtime_error("zip: truncated");
    unsigned v = 0;
    while (bytes--) v = v << 8 | static_cast<unsigned char>(b[at + bytes]);
    return v;
}

// One member of the zip container, inflated.
std::string member(const std::string& zip, const std::string& name) {
    const size_t end = zip.rfind(std::string("PK\5\6", 4));
    if (end == std::string::npos) throw std::runtime_error("zip: no central directory");
    for (size_t at = le(zip, end + 16, 4), n = le(zip, end + 10, 2); n--;
         at += 46 + le(zip, at + 28, 2) + le(zip, at + 30, 2) + le(zip, at + 32, 2)) {
        if (zip.compare(at + 46, le(zip, at + 28, 2), name) != 0 || name.size() != le(zip, at + 28, 2)) continue;
        const size_t local = le(zip, at + 42, 4), data = local + 30 + le(zip, local + 26, 2) + le(zip, local + 28, 2);
        std::string raw = zip.substr(data, le(zip, at + 20, 4)), out(le(zip, at + 24, 4), '\0');
        if (le(zip, at + 10, 2) == 0) return raw;
        z_stream z{};
        z.next_in = reinterpret_cast<Bytef*>(raw.data());
        z.avail_in = static_cast<uInt>(raw.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        const bool ok = inflateInit2(&z, -MAX_WBITS) == Z_OK && inflate(&z, Z_FINISH) == Z_STREAM_END;
        inflateEnd(&z);
        if (!ok || z.total_out != out.size()) throw std::runtime_error("zip: bad data in " + name);
        return out;
    }
    throw std::runtime_error("zip: no " + name);
}

std::string unescape(std::string s) {
    for (const auto& [from, to] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}})
        for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; ++at) s.replace(at, strlen(from), to);
    return s;
}

std::string attr(const std::string& tag, const std::string& name) {
    std::smatch m;
    return std::regex_search(tag, m, std::regex("\\b" + name + "=\"([^\"]*)\"")) ? unescape(m[1]) : "";
}

// Each element `name`: its opening tag and its content.
std::vector<std::pair<std::string, std::string>> elements(const std::string& xml, const std::string& name) {
    std::vector<std::pair<std::string, std::string>> out;
    const std::string open = "<" + name, close = "</" + name + ">";
    for (size_t at = 0; (at = xml.find(open, at)) != std::string::npos; ++at) {
        if (std::string(" >/").find(xml[at + open.size()]) == std::string::npos) continue;
        const size_t tagEnd = xml.find('>', at) + 1;
        const bool empty = xml[tagEnd - 2] == '/';
        const size_t stop = empty ? tagEnd : xml.find(close, tagEnd);
        out.push_back({xml.substr(at, tagEnd - at), empty ? "" : xml.substr(tagEnd, stop - tagEnd)});
    }
    return out;
}

std::string inner(const std::string& xml, const std::string& name) {
    const auto e = elements(xml, name);
    return e.empty() ? "" : e.front().second;
}

}  // namespace

const XlsxCell* XlsxSheet::at(int row, int column) const {
    auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

std::string XlsxSheet::text(int row, int column) const { return at(row, column) ? at(row, column)->text : ""; }

std::vector<XlsxSheet> readXlsx(const std::string& path) {
    const std::string zip = readFile(path), styles = member(zip, "xl/styles.xml");
    std::map<int, std::string> formats = {{0, "General"}, {1, "0"}, {2, "0.00"}, {4, "#,##0.00"}};
    for (const auto& [tag, _] : elements(styles, "numFmt"))
        formats[std::stoi(attr(tag, "numFmtId"))] = attr(tag, "formatCode");
    std::vector<bool> bold;
    for (const auto& [_, font] : elements(inner(styles, "fonts"), "font"))
        bold.push_back(font.find("<b/>") != std::string::npos);
    std::vector<std::pair<std::string, bool>> xfs;
    for (const auto& [tag, _] : elements(inner(styles, "cellXfs"), "xf"))
        xfs.push_back({formats[std::stoi(attr(tag, "numFmtId"))], bold.at(std::stoul(attr(tag, "fontId")))});

    const std::string workbook = member(zip, "xl/workbook.xml");
    std::vector<XlsxSheet> sheets;
    for (const auto& [tag, _] : elements(workbook, "sheet")) sheets.emplace_back().name = attr(tag, "name");
    for (const auto& [tag, area] : elements(workbook, "definedName"))
        if (attr(tag, "name") == "_xlnm.Print_Area")
            sheets.at(std::stoul(attr(tag, "localSheetId"))).printArea = unescape(area);
    for (size_t i = 0; i < sheets.size(); ++i) {
        XlsxSheet& s = sheets[i];
        const std::string xml = member(zip, "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml");
        for (const auto& [tag, _] : elements(xml, "pane")) s.frozenRows = std::stoi(attr(tag, "ySplit"));
        for (const auto& [tag, _] : elements(xml, "col"))
            for (int c = std::stoi(attr(tag, "min")); c <= std::stoi(attr(tag, "max")); ++c)
                s.widths[c - 1] = std::stod(attr(tag, "width"));
        for (const auto& [tag, _] : elements(xml, "pageSetup")) {
            s.paper = std::stoi(attr(tag, "paperSize"));
            s.orientation = attr(tag, "orientation");
        }
        for (const auto& [tag, body] : elements(xml, "c")) {
            const std::string ref = attr(tag, "r"), type = attr(tag, "t"), style = attr(tag, "s");
            const size_t digits = ref.find_first_of("0123456789");
            int column = 0;
            for (size_t k = 0; k < digits; ++k) column = column * 26 + ref[k] - 'A' + 1;
            XlsxCell cell;
            std::tie(cell.format, cell.bold) = xfs.at(style.empty() ? 0 : std::stoul(style));
            if (type == "inlineStr") {
                cell.text = unescape(inner(body, "t"));
            } else if (type.empty()) {
                cell.text = inner(body, "v");
                cell.number = true;
                cell.value = std::stod(cell.text);
            } else {
                throw std::runtime_error("xlsx: cells of type " + type + " are not read");
            }
            const int row = std::stoi(ref.substr(digits)) - 1;
            s.cells[{row, column - 1}] = cell;
            s.rowCount = std::max(s.rowCount, row + 1);
        }
    }
    return sheets;
}

std::vector<std::vector<std::string>> readDataCsv(const std::string& path) {
    const std::string b = readFile(path);
    if (b.rfind("\xEF\xBB\xBF", 0) != 0) throw std::runtime_error("csv: no byte-order mark");
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false, wasQuoted = false;
    auto endField = [&] {
        rows.back().push_back(field);
        field.clear();
        wasQuoted = false;
    };
    for (size_t i = 3; i < b.size(); ++i) {
        const char c = b[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < b.size() && b[i + 1] == '"')
                field += b[++i];
            else
                quoted = false;
        } else if (c == '"') {
            if (!field.empty() || wasQuoted) throw std::runtime_error("csv: quote inside a field");
            quoted = wasQuoted = true;
        } else if (c == ';') {
            endField();
        } else if (c == '\r' && b.compare(i, 2, "\r\n") == 0) {
            endField();
            if (rows.back().size() != rows.front().size())
                throw std::runtime_error("csv: row " + std::to_string(rows.size()) + " differs");
            rows.emplace_back();
            ++i;
        } else if (c == '\r' || c == '\n' || wasQuoted) {
            throw std::runtime_error("csv: a line break or text out of place");
        } else {
            field += c;
        }
    }
    if (quoted || !field.empty() || !rows.back().empty()) throw std::runtime_error("csv: the last row is not ended");
    rows.pop_back();
    return rows;
}

}  // namespace support
