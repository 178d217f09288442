#include "support/DataFiles.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "support/TempDir.h"

namespace support {

namespace {

uint32_t le(const std::string& b, size_t at, int bytes) {
    if (at + static_cast<size_t>(bytes) > b.size()) throw std::runtime_error("zip: truncated");
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
    return v;
}

std::string inflateRaw(const std::string& in, size_t size) {
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::runtime_error("zip: inflateInit2");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    if (rc != Z_STREAM_END || z.total_out != size) throw std::runtime_error("zip: bad deflate data");
    return out;
}

std::string unescape(std::string s) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += std::string(to).size())
            s.replace(at, std::string(from).size(), to);
    return s;
}

std::string attribute(const std::string& tag, const char* name) {
    const std::regex re(std::string("\\b") + name + "=\"([^\"]*)\"");
    std::smatch m;
    return std::regex_search(tag, m, re) ? unescape(m[1]) : std::string();
}

// The tags named `name` (their opening text) in order.
std::vector<std::string> tags(const std::string& xml, const std::string& name) {
    std::vector<std::string> out;
    const std::string open = "<" + name;
    for (size_t at = 0; (at = xml.find(open, at)) != std::string::npos; ++at) {
        const char next = xml[at + open.size()];
        if (next != ' ' && next != '>' && next != '/') continue;
        out.push_back(xml.substr(at, xml.find('>', at) - at + 1));
    }
    return out;
}

std::string between(const std::string& xml, const std::string& from, const std::string& to) {
    const size_t a = xml.find(from);
    if (a == std::string::npos) return {};
    const size_t b = xml.find(to, a);
    return xml.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

const std::map<int, std::string> kBuiltinFormats = {{0, "General"}, {1, "0"},        {2, "0.00"},
                                                    {3, "#,##0"},   {4, "#,##0.00"}, {14, "mm-dd-yy"}};

}  // namespace

std::string zipMember(const std::string& path, const std::string& name) {
    const std::string b = readFile(path);
    size_t eocd = b.rfind(std::string("PK\x05\x06", 4));
    if (eocd == std::string::npos) throw std::runtime_error("zip: no end of central directory in " + path);
    const uint32_t entries = le(b, eocd + 10, 2);
    size_t at = le(b, eocd + 16, 4);
    for (uint32_t e = 0; e < entries; ++e) {
        if (le(b, at, 4) != 0x02014b50) throw std::runtime_error("zip: bad central directory");
        const uint32_t method = le(b, at + 10, 2);
        uint64_t compressed = le(b, at + 20, 4), size = le(b, at + 24, 4), local = le(b, at + 42, 4);
        const uint32_t nameLen = le(b, at + 28, 2), extraLen = le(b, at + 30, 2), commentLen = le(b, at + 32, 2);
        const std::string member = b.substr(at + 46, nameLen);
        // zip64: the sizes and offset that do not fit are in the extra field, in this order
        for (size_t x = at + 46 + nameLen; x + 4 <= at + 46 + nameLen + extraLen;) {
            const uint32_t id = le(b, x, 2), len = le(b, x + 2, 2);
            if (id == 1) {
                size_t p = x + 4;
                if (size == 0xFFFFFFFF) size = le(b, p, 4) | (uint64_t(le(b, p + 4, 4)) << 32), p += 8;
                if (compressed == 0xFFFFFFFF) compressed = le(b, p, 4) | (uint64_t(le(b, p + 4, 4)) << 32), p += 8;
                if (local == 0xFFFFFFFF) local = le(b, p, 4) | (uint64_t(le(b, p + 4, 4)) << 32);
            }
            x += 4 + len;
        }
        if (member == name) {
            if (le(b, local, 4) != 0x04034b50) throw std::runtime_error("zip: bad local header");
            const size_t data = local + 30 + le(b, local + 26, 2) + le(b, local + 28, 2);
            const std::string raw = b.substr(data, compressed);
            if (method == 0) return raw;
            if (method == 8) return inflateRaw(raw, size);
            throw std::runtime_error("zip: unknown method");
        }
        at += 46 + nameLen + extraLen + commentLen;
    }
    throw std::runtime_error("zip: no member " + name + " in " + path);
}

const XlsxCell* XlsxSheet::at(int row, int column) const {
    auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

std::string XlsxSheet::text(int row, int column) const {
    const XlsxCell* c = at(row, column);
    return c ? c->text : std::string();
}

int XlsxSheet::findRow(int column, const std::string& t) const {
    for (int r = 0; r < rowCount; ++r)
        if (text(r, column) == t) return r;
    return -1;
}

std::vector<XlsxSheet> readXlsx(const std::string& path) {
    // the styles: each cell format's number format and font boldness
    const std::string styles = zipMember(path, "xl/styles.xml");
    std::map<int, std::string> formats = kBuiltinFormats;
    for (const std::string& t : tags(between(styles, "<numFmts", "</numFmts>"), "numFmt"))
        formats[std::stoi(attribute(t, "numFmtId"))] = attribute(t, "formatCode");
    std::vector<bool> boldFonts;
    const std::string fonts = between(styles, "<fonts", "</fonts>");
    for (size_t at = 0; (at = fonts.find("<font>", at)) != std::string::npos; ++at)
        boldFonts.push_back(fonts.substr(at, fonts.find("</font>", at) - at).find("<b/>") != std::string::npos);
    std::vector<std::pair<std::string, bool>> xfs;
    for (const std::string& t : tags(between(styles, "<cellXfs", "</cellXfs>"), "xf")) {
        const int font = std::atoi(attribute(t, "fontId").c_str());
        xfs.push_back({formats[std::atoi(attribute(t, "numFmtId").c_str())],
                       font < static_cast<int>(boldFonts.size()) && boldFonts[static_cast<size_t>(font)]});
    }

    const std::string workbook = zipMember(path, "xl/workbook.xml");
    std::vector<XlsxSheet> sheets;
    for (const std::string& t : tags(workbook, "sheet")) {
        XlsxSheet s;
        s.name = attribute(t, "name");
        sheets.push_back(s);
    }
    for (const std::string& t : tags(workbook, "definedName")) {
        if (attribute(t, "name") != "_xlnm.Print_Area") continue;
        const size_t sheet = std::stoul(attribute(t, "localSheetId"));
        const size_t at = workbook.find(t) + t.size();
        if (sheet < sheets.size()) sheets[sheet].printArea = unescape(workbook.substr(at, workbook.find('<', at) - at));
    }
    for (size_t i = 0; i < sheets.size(); ++i) {
        XlsxSheet& s = sheets[i];
        const std::string xml = zipMember(path, "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml");
        for (const std::string& t : tags(xml, "pane"))
            if (attribute(t, "state") == "frozen") s.frozenRows = std::atoi(attribute(t, "ySplit").c_str());
        for (const std::string& t : tags(xml, "col"))
            for (int c = std::stoi(attribute(t, "min")); c <= std::stoi(attribute(t, "max")); ++c)
                s.widths[c - 1] = std::stod(attribute(t, "width"));
        for (const std::string& t : tags(xml, "pageSetup")) {
            s.paper = std::atoi(attribute(t, "paperSize").c_str());
            s.orientation = attribute(t, "orientation");
        }
        for (size_t at = 0; (at = xml.find("<c ", at)) != std::string::npos;) {
            const size_t tagEnd = xml.find('>', at);
            const std::string tag = xml.substr(at, tagEnd - at + 1);
            std::string body;
            size_t next = tagEnd + 1;
            if (tag[tag.size() - 2] != '/') {
                const size_t close = xml.find("</c>", tagEnd);
                body = xml.substr(tagEnd + 1, close - tagEnd - 1);
                next = close + 4;
            }
            const std::string ref = attribute(tag, "r");
            int column = 0;
            size_t k = 0;
            for (; k < ref.size() && ref[k] >= 'A' && ref[k] <= 'Z'; ++k) column = column * 26 + (ref[k] - 'A' + 1);
            const int row = std::stoi(ref.substr(k)) - 1;
            XlsxCell cell;
            const std::string style = attribute(tag, "s");
            const size_t xf = style.empty() ? 0 : std::stoul(style);
            if (xf < xfs.size()) std::tie(cell.format, cell.bold) = xfs[xf];
            const std::string type = attribute(tag, "t");
            if (type == "inlineStr" || type == "str") {
                const size_t t0 = body.find("<t");
                const size_t t1 = body.find('>', t0) + 1;
                cell.text = unescape(body.substr(t1, body.find("</t>", t1) - t1));
            } else if (type.empty() || type == "n") {
                const size_t v0 = body.find("<v>");
                if (v0 != std::string::npos) {
                    cell.text = body.substr(v0 + 3, body.find("</v>") - v0 - 3);
                    cell.number = true;
                    cell.value = std::stod(cell.text);
                }
            } else {
                throw std::runtime_error("xlsx: cell type " + type + " not read");
            }
            if (!body.empty()) {
                s.cells[{row, column - 1}] = cell;
                s.rowCount = std::max(s.rowCount, row + 1);
            }
            at = next;
        }
    }
    return sheets;
}

std::vector<std::vector<std::string>> readDataCsv(const std::string& path) {
    const std::string b = readFile(path);
    if (b.rfind("\xEF\xBB\xBF", 0) != 0) throw std::runtime_error("csv: no byte-order mark");
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (size_t i = 3; i < b.size(); ++i) {
        const char c = b[i];
        if (quoted) {
            if (c == '"' && i + 1 < b.size() && b[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            if (!field.empty() || wasQuoted) throw std::runtime_error("csv: quote inside a field");
            quoted = wasQuoted = true;
        } else if (c == ';') {
            row.push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\r' && i + 1 < b.size() && b[i + 1] == '\n') {
            row.push_back(field);
            field.clear();
            wasQuoted = false;
            if (!rows.empty() && rows.front().size() != row.size())
                throw std::runtime_error("csv: row " + std::to_string(rows.size() + 1) + " has " +
                                         std::to_string(row.size()) + " fields, the first " +
                                         std::to_string(rows.front().size()));
            rows.push_back(row);
            row.clear();
            ++i;
        } else if (c == '\n' || c == '\r') {
            throw std::runtime_error("csv: a bare line break outside quotes");
        } else {
            if (wasQuoted) throw std::runtime_error("csv: text after a closing quote");
            field += c;
        }
    }
    if (quoted || !field.empty() || !row.empty()) throw std::runtime_error("csv: the last row is not ended");
    return rows;
}

int excelSerial(int year, int month, int day) {
    // days from 1899-12-30 (the serial Excel gives 1900-03-01 and later)
    auto days = [](int y, int m, int d) {
        y -= m <= 2;
        const int era = y / 400, yoe = y - era * 400;
        const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
    };
    return days(year, month, day) - days(1899, 12, 30);
}

}  // namespace support
