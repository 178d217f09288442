#include "export/CsvWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace exports {

void appendCsvField(std::string& out, const std::string& text) {
    if (text.find_first_of(";\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

namespace {

constexpr size_t kFlushAt = 1 << 20;

class CsvSink : public TableSink {
public:
    explicit CsvSink(std::FILE* f) : f_(f) { buffer_ = "\xEF\xBB\xBF"; }
    ~CsvSink() override {
        if (f_) std::fclose(f_);
    }

    void beginSheet(const SheetHead& head) override {
        columns_ = head.columns;
        if (headerWritten_) return;
        headerWritten_ = true;
        // the title block: its text in the first field, the others empty, then an empty row
        const std::string rest(columns_.empty() ? 0 : columns_.size() - 1, ';');
        for (const std::string& line : head.titleLines) {
            appendCsvField(buffer_, line);
            buffer_ += rest + "\r\n";
        }
        if (!head.titleLines.empty()) buffer_ += rest + "\r\n";
        for (size_t c = 0; c < columns_.size(); ++c) {
            if (c) buffer_ += ';';
            appendCsvField(buffer_, columns_[c].title);
        }
        buffer_ += "\r\n";
    }

    void row(const Row& r) override {
        for (size_t c = 0; c < columns_.size(); ++c) {
            if (c) buffer_ += ';';
            if (c >= r.cells.size()) continue;
            const Cell& cell = r.cells[c];
            switch (cell.type) {
                case Cell::Type::Empty: break;
                case Cell::Type::Text: appendCsvField(buffer_, cell.text); break;
                case Cell::Type::Number:
                    buffer_ +=
                        columns_[c].kind == ColumnKind::Amount ? plainAmount(cell.number) : std::to_string(cell.number);
                    break;
                case Cell::Type::Date: buffer_ += dayText(cell.date); break;
            }
        }
        buffer_ += "\r\n";
        if (buffer_.size() >= kFlushAt) flush();
    }

    void endSheet() override {}

    bool close(std::string* error) override {
        flush();
        const bool ok = !failed_ && std::fflush(f_) == 0 && !std::ferror(f_);
        const int saved = errno;
        const bool closed = std::fclose(f_) == 0;
        f_ = nullptr;
        if (!ok || !closed) {
            if (error) *error = std::strerror(ok ? errno : saved);
            return false;
        }
        return true;
    }

private:
    void flush() {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), f_) != buffer_.size()) failed_ = true;
        buffer_.clear();
    }

    std::FILE* f_;
    std::string buffer_;
    std::vector<Column> columns_;
    bool headerWritten_ = false, failed_ = false;
};

}  // namespace

std::unique_ptr<TableSink> openCsv(const std::string& path, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<CsvSink>(f);
}

}  // namespace exports
