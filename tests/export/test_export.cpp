// The table writers read back (.xlsx, data CSV, HTML table) and the documents
// of a period from a real installation.
// Dates in .xlsx are day numbers: 41671 is 01.02.2014, 41699 01.03.2014.
#include <gtest/gtest.h>

#include "data/Engine.h"
#include "data/Schema.h"
#include "export/DataTable.h"
#include "export/Documents.h"
#include "support/DataFiles.h"
#include "support/Installation.h"
#include "support/TempDir.h"

namespace {

using exports::Cell;
using K = exports::ColumnKind;

// Two title lines, Romanian letters, an empty explanation, a text that needs
// quoting, a negative amount and a total row.
exports::DataTable sampleTable(bool landscape) {
    exports::DataTable t;
    t.head = {"Registru: casa/banca", {"Parohia Sfânta Treime, Iaşi", "REGISTRU DE CASA"}, {}, landscape};
    t.head.columns = {
        {"Rand", K::Text}, {"Data", K::Date}, {"Nr. doc.", K::Integer}, {"Explicatii", K::Text}, {"Suma", K::Amount}};
    auto row = [&](Cell rand, data::Date d, long long nr, std::string text, data::Bani v, bool total = false) {
        exports::Row& r = t.addRow(total);
        r.cells = {rand, Cell::day(d), Cell::integer(nr), text.empty() ? Cell{} : Cell::of(text), Cell::amount(v)};
    };
    row({}, {2014, 3, 1}, 7, "Donaţie pentru acoperiş", 123450);
    row({}, {2014, 3, 2}, 8, "", -1205);
    row({}, {2014, 12, 31}, 9, "Factura \"gaz\"; martie\nplata", 5);
    row(Cell::of("Total"), {}, 0, "", 122250, true);
    t.rows.back().cells[2] = {};
    return t;
}

TEST(TableFiles, XlsxHoldsNumbersDatesAndThePageOfTheReport) {
    TempDir dir;
    for (bool landscape : {false, true}) {
        SCOPED_TRACE(landscape);
        const std::string file = dir.file(landscape ? "l.xlsx" : "p.xlsx");
        std::string error;
        ASSERT_TRUE(exports::writeTable(sampleTable(landscape), exports::Format::Xlsx, file, &error)) << error;
        const std::vector<support::XlsxSheet> sheets = support::readXlsx(file);
        ASSERT_EQ(sheets.size(), 1u);
        const support::XlsxSheet& s = sheets[0];
        EXPECT_EQ(s.text(0, 0), "Parohia Sfânta Treime, Iaşi");
        const int header = 3;
        EXPECT_EQ(s.text(header, 3), "Explicatii");
        EXPECT_EQ(s.frozenRows, header + 1);
        EXPECT_EQ(s.paper, 9);
        EXPECT_EQ(s.orientation, landscape ? "landscape" : "portrait");
        EXPECT_EQ(s.printArea, "'Registru  casa banca'!$A$1:$E$8");
        EXPECT_EQ(s.rowCount, header + 5);
        struct Expect {
            int row, column;
            double value;
            const char* format;
        };
        for (const Expect& e :
             {Expect{4, 1, 41699, "dd.mm.yyyy"}, Expect{6, 1, 42004, "dd.mm.yyyy"}, Expect{4, 2, 7, "0"},
              Expect{4, 4, 1234.50, "#,##0.00"}, Expect{5, 4, -12.05, "#,##0.00"}, Expect{7, 4, 1222.50, "#,##0.00"}}) {
            const support::XlsxCell* c = s.at(e.row, e.column);
            ASSERT_TRUE(c && c->number) << e.row << "," << e.column;
            EXPECT_DOUBLE_EQ(c->value, e.value);
            EXPECT_EQ(c->format, e.format);
        }
        // the empty explanation is an empty cell; the amount stays in its column
        EXPECT_EQ(s.at(5, 3), nullptr);
        EXPECT_EQ(s.text(6, 3), "Factura \"gaz\"; martie\nplata");
        EXPECT_TRUE(s.at(7, 0)->bold && s.at(7, 4)->bold);
        // widths fit the longest text of the column (the title block excepted)
        EXPECT_GE(s.widths.at(3), 24.0);
        EXPECT_LT(s.widths.at(0), 10.0);
    }
}

TEST(TableFiles, DataCsvAndHtmlTable) {
    TempDir dir;
    const std::string csv = dir.file("r.csv"), html = dir.file("r.table.html");
    EXPECT_EQ(exports::dataFormatForPath(dir.file("R.TABLE.HTML")), exports::Format::HtmlTable);
    EXPECT_EQ(exports::dataFormatForPath(dir.file("r.html")), std::nullopt);
    ASSERT_TRUE(exports::writeTable(sampleTable(false), exports::Format::Csv, csv, nullptr));
    ASSERT_TRUE(exports::writeTable(sampleTable(false), exports::Format::HtmlTable, html, nullptr));
    const auto rows = support::readDataCsv(csv);
    const std::vector<std::vector<std::string>> expected = {
        {"Parohia Sfânta Treime, Iaşi", "", "", "", ""},
        {"REGISTRU DE CASA", "", "", "", ""},
        {"", "", "", "", ""},
        {"Rand", "Data", "Nr. doc.", "Explicatii", "Suma"},
        {"", "01.03.2014", "7", "Donaţie pentru acoperiş", "1234.50"},
        {"", "02.03.2014", "8", "", "-12.05"},
        {"", "31.12.2014", "9", "Factura \"gaz\"; martie\nplata", "0.05"},
        {"Total", "", "", "", "1222.50"}};
    EXPECT_EQ(rows, expected);
    // quoted only when needed
    const std::string raw = readFile(csv);
    EXPECT_NE(raw.find(";Donaţie pentru acoperiş;1234.50\r\n"), std::string::npos);
    EXPECT_NE(raw.find(";\"Factura \"\"gaz\"\"; martie\nplata\";"), std::string::npos);

    const std::string page = readFile(html);  // escaped, amounts as the program shows them
    EXPECT_NE(page.find("<td>Factura &quot;gaz&quot;; martie\nplata</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"n\">1,234.50</td>"), std::string::npos);
}

// A year of a few hundred documents and some outside the period asked for.
TEST(DocumentsExport, EveryDocumentOfThePeriodWithEveryField) {
    TempDir db;
    support::installInto(db.path());
    support::setUnit(db.path(), {"Parohia", "An_lucru"}, {"Parohia Naşterea Domnului", 2014});
    const data::Date start{2014, 1, 1};
    std::vector<std::vector<data::Value>> receipts, payments, moves;
    for (int i = 0; i < 300; ++i) {
        const data::Date d = start.addDays(i);  // to 27 October
        const double v = 10.0 + i * 0.25;
        receipts.push_back({double(i + 1), d, "Chitanta", 2, "Donaţii", i % 7 ? "Donaţie" : "", v, "Casa"});
        payments.push_back({double(i + 1), d, "Factura", 20, "Lumânări", "SC Ţara SRL", "Plată", v / 2, "Banca"});
        if (i % 10 == 0) moves.push_back({double(i + 1), d, 100.0, "Foaie"});
    }
    data::insertRows(db.path() + "Venituri.DB",
                     {"Nr_act", "Data", "Fel", "Cod_venit", "Den_venit", "Explicatie", "Valoarea", "Cont"}, receipts);
    data::insertRows(
        db.path() + "Cheltuieli.DB",
        {"Nr_act", "Data", "Fel", "Cod_cheltuiala", "Den_cheltuiala", "Beneficiar", "Explicatie", "Valoarea", "Cont"},
        payments);
    data::insertRows(db.path() + "Depuneri.db", {"Nr_doc", "Data", "Suma", "Fel"}, moves);
    const data::Date from{2014, 2, 1}, to{2014, 9, 30};
    const int days = static_cast<int>(to.toJulian() - from.toJulian()) + 1;
    const int movesIn = 24;  // days 40, 50, ..., 270 of the year

    exports::DocumentsCount count;
    std::string error;
    ASSERT_TRUE(exports::exportDocuments(db.path(), from, to, exports::Format::Xlsx, db.file("d.xlsx"), &error, &count))
        << error;
    EXPECT_EQ(count.total(), 2 * days + movesIn);
    // every stored field is a column, in the table's order
    data::SqlSession& session = data::SqlSession::forDirectory(db.path());
    const auto sheets = support::readXlsx(db.file("d.xlsx"));
    ASSERT_EQ(sheets.size(), 4u);
    const char* const names[] = {"Incasari", "Plati", "Depuneri", "Ridicari"};
    const int rows[] = {days, days, movesIn, 0};
    const char* const tables[] = {"Venituri.DB", "Cheltuieli.DB", "Depuneri.db", "Ridicari.db"};
    for (size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(names[k]);
        const support::XlsxSheet& s = sheets[k];
        EXPECT_EQ(s.name, names[k]);
        EXPECT_EQ(s.text(0, 0), "Parohia Naşterea Domnului");
        EXPECT_EQ(s.text(2, 0), "Perioada: 01.02.2014 - 30.09.2014");
        const auto fields = session.select(std::string("SELECT * FROM \"") + tables[k] + "\" WHERE 0").columns;
        for (size_t c = 0; c < fields.size(); ++c) EXPECT_EQ(s.text(4, static_cast<int>(c)), fields[c]);
        EXPECT_EQ(s.rowCount, rows[k] ? 5 + rows[k] : 5);
    }
    // dates are dates, an empty explanation stays empty
    const support::XlsxSheet& r = sheets[0];
    EXPECT_EQ(r.at(5, 1)->value, 41671);
    EXPECT_EQ(r.at(5 + 4, 7), nullptr) << "day 35 of the year has no explanation";

    ASSERT_TRUE(exports::exportDocuments(db.path(), from, to, exports::Format::Csv, db.file("d.csv"), &error));
    const auto csv = support::readDataCsv(db.file("d.csv"));
    ASSERT_EQ(csv.size(), size_t(1 + 2 * days + movesIn));
    EXPECT_EQ(csv[0][0], "Tip document");
    for (const auto& [row, kind] :
         {std::pair{1, "Incasare"}, {days, "Incasare"}, {days + 1, "Plata"}, {2 * days + 1, "Depunere"}})
        EXPECT_EQ(csv[size_t(row)][0], kind) << row;
    const auto col = [&](const char* name) {
        return static_cast<size_t>(std::find(csv[0].begin(), csv[0].end(), name) - csv[0].begin());
    };
    EXPECT_EQ(csv[1][col("Valoarea")], "17.75");
    EXPECT_EQ(csv[1 + days][col("Beneficiar")], "SC Ţara SRL");
    EXPECT_EQ(csv[1 + 2 * days][col("Suma")], "100.00");
}

}  // namespace
