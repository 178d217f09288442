#include "export/HtmlTableWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace exports {

namespace {

void escape(std::string& out, const std::string& s) {
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

class HtmlSink : public TableSink {
public:
    explicit HtmlSink(std::FILE* f) : f_(f) {}
    ~HtmlSink() override {
        if (f_) std::fclose(f_);
    }

    void beginSheet(const SheetHead& head) override {
        columns_ = head.columns;
        if (!started_) {
            started_ = true;
            out_ += "<!DOCTYPE html>\n<html lang=\"ro\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
            escape(out_, head.sheetName);
            out_ +=
                "</title>\n<style>table{border-collapse:collapse}th,td{border:1px solid #888;padding:2px "
                "6px}td.n{text-align:right}tr.t td{font-weight:bold}</style>\n</head>\n<body>\n";
        }
        for (const std::string& line : head.titleLines) {
            out_ += "<p>";
            escape(out_, line);
            out_ += "</p>\n";
        }
        out_ += "<table>\n<thead><tr>";
        for (const Column& c : columns_) {
            out_ += "<th>";
            escape(out_, c.title);
            out_ += "</th>";
        }
        out_ += "</tr></thead>\n<tbody>\n";
    }

    void row(const Row& r) override {
        out_ += r.total ? "<tr class=\"t\">" : "<tr>";
        for (size_t c = 0; c < columns_.size(); ++c) {
            const Cell cell = c < r.cells.size() ? r.cells[c] : Cell{};
            const bool number = cell.type == Cell::Type::Number;
            out_ += number ? "<td class=\"n\">" : "<td>";
            switch (cell.type) {
                case Cell::Type::Empty: break;
                case Cell::Type::Text: escape(out_, cell.text); break;
                case Cell::Type::Number:
                    out_ += columns_[c].kind == ColumnKind::Amount ? data::formatAmountBani(cell.number)
                                                                   : std::to_string(cell.number);
                    break;
                case Cell::Type::Date: out_ += dayText(cell.date); break;
            }
            out_ += "</td>";
        }
        out_ += "</tr>\n";
        if (out_.size() >= (1 << 20)) flush();
    }

    void endSheet() override { out_ += "</tbody>\n</table>\n"; }

    bool close(std::string* error) override {
        out_ += "</body>\n</html>\n";
        flush();
        const bool ok = !failed_ && std::fflush(f_) == 0;
        const bool closed = std::fclose(f_) == 0;
        f_ = nullptr;
        if (!ok || !closed) {
            if (error) *error = std::strerror(errno);
            return false;
        }
        return true;
    }

private:
    void flush() {
        if (!out_.empty() && std::fwrite(out_.data(), 1, out_.size(), f_) != out_.size()) failed_ = true;
        out_.clear();
    }

    std::FILE* f_;
    std::string out_;
    std::vector<Column> columns_;
    bool started_ = false, failed_ = false;
};

}  // namespace

std::unique_ptr<TableSink> openHtmlTable(const std::string& path, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<HtmlSink>(f);
}

}  // namespace exports
