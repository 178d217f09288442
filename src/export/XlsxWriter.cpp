#include "export/XlsxWriter.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <set>

namespace exports {

namespace {

// Characters of UTF-8 text (continuation bytes not counted).
size_t characters(const std::string& s) {
    return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The first `n` characters of UTF-8 text.
std::string firstCharacters(const std::string& s, size_t n) {
    size_t seen = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((s[i] & 0xC0) != 0x80 && seen++ == n) return s.substr(0, i);
    }
    return s;
}

// The day an Excel date counts from (its serial 0, the 1900 leap-year slip included).
const long kSerialZero = data::Date{1899, 12, 30}.toJulian();

constexpr double kMinWidth = 4, kMaxWidth = 60;

class XlsxSink : public TableSink {
public:
    // Plain text takes the default format (nullptr): a format alike to the
    // default one would be looked up again at every cell.
    explicit XlsxSink(lxw_workbook* wb) : wb_(wb) {
        auto make = [wb](bool bold, const char* numFormat) {
            lxw_format* f = workbook_add_format(wb);
            if (bold) format_set_bold(f);
            if (numFormat) format_set_num_format(f, numFormat);
            return f;
        };
        textBold_ = make(true, nullptr);
        amount_ = make(false, "#,##0.00");
        amountBold_ = make(true, "#,##0.00");
        date_ = make(false, "dd.mm.yyyy");
        dateBold_ = make(true, "dd.mm.yyyy");
        integer_ = make(false, "0");
        integerBold_ = make(true, "0");
        header_ = make(true, nullptr);
        format_set_bottom(header_, LXW_BORDER_THIN);
        format_set_text_wrap(header_);
    }
    ~XlsxSink() override {
        // a sink dropped without close() still frees the workbook (its file is incomplete)
        if (wb_) workbook_close(wb_);
    }

    void beginSheet(const SheetHead& head) override {
        head_ = head;
        std::string name = sheetNameFor(head.sheetName.empty() ? "Foaie" : head.sheetName);
        for (int n = 2; names_.count(name); ++n) {
            const std::string suffix = " (" + std::to_string(n) + ")";
            name = firstCharacters(sheetNameFor(head.sheetName), 31 - suffix.size()) + suffix;
        }
        names_.insert(name);
        ws_ = workbook_add_worksheet(wb_, name.c_str());
        if (!ws_) {
            failed_ = true;
            return;
        }
        widths_.assign(head.columns.size(), kMinWidth);
        row_ = 0;
        for (size_t i = 0; i < head.titleLines.size(); ++i)
            check(worksheet_write_string(ws_, row_++, 0, head.titleLines[i].c_str(), textBold_));
        if (!head.titleLines.empty()) ++row_;  // a blank row under the title block
        headerRow_ = row_;
        for (size_t c = 0; c < head.columns.size(); ++c) {
            const std::string& t = head.columns[c].title;
            check(worksheet_write_string(ws_, row_, static_cast<lxw_col_t>(c), t.c_str(), header_));
            fit(c, characters(t) + 1);
        }
        ++row_;
    }

    void row(const Row& r) override {
        if (!ws_) return;
        const size_t n = head_.columns.size();
        for (size_t c = 0; c < n && c < r.cells.size(); ++c) {
            const Cell& cell = r.cells[c];
            const auto col = static_cast<lxw_col_t>(c);
            switch (cell.type) {
                case Cell::Type::Empty: break;  // nothing written: the cell stays empty
                case Cell::Type::Text:
                    check(worksheet_write_string(ws_, row_, col, cell.text.c_str(), r.total ? textBold_ : nullptr));
                    fit(c, characters(cell.text));
                    break;
                case Cell::Type::Number:
                    if (head_.columns[c].kind == ColumnKind::Amount) {
                        check(worksheet_write_number(ws_, row_, col, data::fromBani(cell.number),
                                                     r.total ? amountBold_ : amount_));
                        fit(c, data::formatAmountBani(cell.number).size() + 1);
                    } else {
                        check(worksheet_write_number(ws_, row_, col, static_cast<double>(cell.number),
                                                     r.total ? integerBold_ : integer_));
                        fit(c, std::to_string(cell.number).size() + 1);
                    }
                    break;
                case Cell::Type::Date:
                    check(worksheet_write_number(ws_, row_, col,
                                                 static_cast<double>(cell.date.toJulian() - kSerialZero),
                                                 r.total ? dateBold_ : date_));
                    fit(c, 11);
                    break;
            }
        }
        ++row_;
    }

    void endSheet() override {
        if (!ws_) return;
        for (size_t c = 0; c < widths_.size(); ++c)
            worksheet_set_column(ws_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths_[c], nullptr);
        worksheet_freeze_panes(ws_, headerRow_ + 1, 0);
        worksheet_set_paper(ws_, 9);  // A4
        if (head_.landscape) worksheet_set_landscape(ws_);
        worksheet_repeat_rows(ws_, headerRow_, headerRow_);
        worksheet_fit_to_pages(ws_, 1, 0);  // as wide as a page, as long as it takes
        if (!head_.columns.empty())
            worksheet_print_area(ws_, 0, 0, row_ > 0 ? row_ - 1 : 0, static_cast<lxw_col_t>(head_.columns.size() - 1));
        ws_ = nullptr;
    }

    bool close(std::string* error) override {
        const lxw_error e = workbook_close(wb_);
        wb_ = nullptr;
        if (e != LXW_NO_ERROR || failed_) {
            if (error) *error = e != LXW_NO_ERROR ? lxw_strerror(e) : "foaia nu a putut fi scrisa";
            return false;
        }
        return true;
    }

private:
    void check(lxw_error e) {
        if (e != LXW_NO_ERROR) failed_ = true;
    }
    void fit(size_t column, size_t chars) {
        widths_[column] = std::clamp(static_cast<double>(chars) + 1, widths_[column], kMaxWidth);
    }

    lxw_workbook* wb_;
    lxw_worksheet* ws_ = nullptr;
    SheetHead head_;
    std::set<std::string> names_;
    std::vector<double> widths_;
    lxw_row_t row_ = 0, headerRow_ = 0;
    bool failed_ = false;
    lxw_format *textBold_, *amount_, *amountBold_, *date_, *dateBold_, *integer_, *integerBold_, *header_;
};

}  // namespace

std::string sheetNameFor(const std::string& name) {
    std::string s;
    for (char c : name) s += std::string("[]:*?/\\").find(c) == std::string::npos ? c : ' ';
    if (s.empty()) s = "Foaie";
    return firstCharacters(s, 31);
}

std::unique_ptr<TableSink> openXlsx(const std::string& path, std::string* error) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    if (!wb) {
        if (error) *error = "nu pot crea fisierul " + path;
        return nullptr;
    }
    return std::make_unique<XlsxSink>(wb);
}

}  // namespace exports
