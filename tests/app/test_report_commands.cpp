// The balances and the reports from the command line: the built executable
// run on real installations, its files read back (pdfinfo/pdftotext for PDF,
// the CSV parsed), its exit statuses and messages, and its pages against the
// preview of the same report in this process.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <filesystem>
#include <sstream>

#include "AppFixture.h"
#include "app/ReportCommands.h"
#include "data/Format.h"
#include "data/Schema.h"
#include "documents/AmountInWords.h"
#include "documents/print/RepOPUnt.h"
#include "export/DataTable.h"
#include "entry/Balances.h"
#include "entry/VenituriUnt.h"
#include "registers/Registre.h"
#include "reports/Preview.h"
#include "reports/PrintSettings.h"
#include "reports/Render.h"
#include "reports/ReportTestSupport.h"
#include "support/DataFiles.h"
#include "support/GuiDriver.h"

namespace {

using data::Date;

using rt::money;

// The rows of a data CSV, parsed strictly (a fault throws, failing the test).
std::vector<QStringList> readCsv(const QString& path) {
    std::vector<QStringList> rows;
    for (const std::vector<std::string>& r : support::readDataCsv(path.toStdString()))
        for (rows.emplace_back(); const std::string& f : r) rows.back() << QString::fromStdString(f);
    return rows;
}

// An amount as the table files write it: the decimal point, no thousands separator.
QString plain(double v) { return QString::fromStdString(exports::plainAmount(data::toBani(v))); }

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A tool's standard output, or "" when it is not installed or failed.
QString toolOutput(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& path) {
    for (const QString& line : toolOutput("pdfinfo", {path}).split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

// A unit with a working year 2014 and a quarter's documents: opening balances,
// 90 cash receipts of code 2 (two a day from 2 January), ten bank receipts of
// code 3 in February, 20 cash payments of code 20, a bank payment with its
// payment order, two deposits, a withdrawal and two stock items.
class ReportCommandTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        bin = qEnvironmentVariable("CORVALINDE_BIN");
        if (bin.isEmpty() || !QFile::exists(bin)) GTEST_SKIP() << "CORVALINDE_BIN not set";
        install();
        const std::string dir = db.path();
        {
            data::Table parohia;
            parohia.setDatabaseName(dir);
            parohia.setTableName("Parohia.DB");
            parohia.open();
            parohia.first();
            parohia.edit();
            parohia["An_lucru"].setAsInteger(2014);
            parohia.post();
        }
        data::insertRows(dir + "Contor.DB", {"Count_venit", "Count_chelt", "Sold_init_casa", "Sold_init_banca"},
                         {{0.0, 0.0, 1000.0, 5000.0}});
        std::vector<std::vector<data::Value>> rows;
        for (int i = 0; i < 90; ++i) {
            const Date d = Date{2014, 1, 2}.addDays(i / 2);
            const double amount = 100.0 + i;
            rows.push_back({double(i + 1), d, "Chitanta", 2, "Contributia enoriasilor", "Contributie", amount, "Casa"});
            (d >= Date{2014, 2, 1} ? februaryCode2 : januaryCode2) += amount;
        }
        for (int i = 0; i < 10; ++i)
            rows.push_back(
                {double(91 + i), Date{2014, 2, 3 + i}, "Chitanta", 3, "Donatii si ofrande", "Donatie", 250.0, "Banca"});
        data::insertRows(dir + "Venituri.DB",
                         {"Nr_act", "Data", "Fel", "Cod_venit", "Den_venit", "Explicatie", "Valoarea", "Cont"}, rows);
        rows.clear();
        for (int i = 0; i < 20; ++i)
            rows.push_back({double(i + 1), Date{2014, 1, 5}.addDays(3 * i), "Factura", 20, "Lumanari", "SC Pangar SRL",
                            "Lumanari", 45.5, "Casa"});
        rows.push_back(
            {5.0, Date{2014, 3, 10}, "OP", 18, "Energie", "SC Lumina SRL", "Factura energie", 1234.56, "Banca"});
        data::insertRows(dir + "Cheltuieli.DB",
                         {"Nr_act", "Data", "Fel", "Cod_cheltuiala", "Den_cheltuiala", "Beneficiar", "Explicatie",
                          "Valoarea", "Cont"},
                         rows);
        data::insertRows(dir + "Depuneri.db", {"Nr_doc", "Data", "Suma", "Fel"},
                         {{1.0, Date{2014, 1, 20}, 300.0, "Foaie"}, {2.0, Date{2014, 2, 20}, 300.0, "Foaie"}});
        data::insertRows(dir + "Ridicari.db", {"Nr_doc", "Data", "Suma", "Fel"},
                         {{1.0, Date{2014, 3, 3}, 150.0, "CEC"}});
        data::insertRows(dir + "Stoc.db", {"Denumire", "Descriere", "Cantitate", "UM", "Pret", "DataIn", "DataOut"},
                         {{"Candele", "rosii", 10.0, "buc", 12.5, Date{2014, 1, 1}, data::Value()},
                          {"Carti", "", 4.0, "buc", 30.0, Date{2014, 2, 1}, Date{2014, 4, 1}}});
        out.emplace();
    }

    // Runs the program; the platform is its own choice: no display, no
    // platform named in the environment.
    int run(const QStringList& args, QString* stdOut = nullptr, QString* stdErr = nullptr,
            const QString& locale = QStringLiteral("C")) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "LANG", "LC_NUMERIC"}) env.remove(v);
        env.insert("LC_ALL", locale);
        env.insert("HOME", QString::fromStdString(home.path()));
        p.setProcessEnvironment(env);
        p.start(bin, args);
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        const QString o = QString::fromUtf8(p.readAllStandardOutput());
        const QString e = QString::fromUtf8(p.readAllStandardError());
        if (stdOut) *stdOut = o;
        if (stdErr) *stdErr = e;
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    int report(const QStringList& args, QString* stdErr = nullptr) {
        return run(QStringList{"--dir", dirArg()} + args, nullptr, stdErr);
    }
    QString dirArg() const { return QString::fromStdString(db.path()); }
    QString outFile(const QString& name) const { return QString::fromStdString(out->file(name.toStdString())); }
    // The files in the output directory (a failed run leaves nothing there).
    QStringList outFiles() const {
        return QDir(QString::fromStdString(out->path())).entryList(QDir::Files | QDir::Hidden);
    }

    QString bin;
    std::optional<TempDir> out;
    double januaryCode2 = 0, februaryCode2 = 0;
};

// ---------------------------------------------------------------- every report, every format

struct Expected {
    QString name;
    QStringList args;
    bool pageCount;       // "Pag.N din M" in the footer
    QStringList figures;  // texts the pages hold
};

TEST_F(ReportCommandTest, EveryReportToEachFormatWithItsPagesAndFigures) {
    const double casa = entry::CalcSoldCasa(db.path());
    const double banca = entry::CalcSoldBanca(db.path());
    ASSERT_DOUBLE_EQ(casa, 1000.0 + januaryCode2 + februaryCode2 - 600.0 + 150.0 - 20 * 45.5);
    const std::vector<Expected> all = {
        {"incasari-plati", {}, false, {money(casa), money(banca), money(casa + banca), "Total general :"}},
        {"casa", {}, true, {money(casa), "REGISTRU DE CASA"}},
        {"banca", {"--from", "01.02.2014", "--to", "31.03.2014"}, true, {money(banca), "REGISTRU DE BANCA"}},
        {"partizi-venituri", {"--code", "2"}, true, {money(januaryCode2 + februaryCode2), "Contributia enoriasilor"}},
        {"partizi-cheltuieli", {"--code", "20"}, true, {money(20 * 45.5), "Lumanari si obiecte de cult pentru pangar"}},
        {"bilant",
         {"--to", "31.03.2014"},
         false,
         {money(januaryCode2 + februaryCode2), "BUGET DE VENITURI SI CHELTUIELI"}},
        {"bilant-centralizat", {}, false, {"BUGET CENTRALIZATOR DE VENITURI SI CHELTUIELI"}},
        {"comparatie-unitati", {"--group", "PAROHII"}, false, {"COMPARATIA BUGETELOR UNITATILOR", "Total unitati"}},
        {"stocuri", {"--date", "15.03.2014"}, false, {money(125.0 + 120.0), "Candele - rosii"}},
        {"documente", {"--from", "01.03.2014", "--to", "31.03.2014"}, false, {"Lista documentelor", "SC Lumina SRL"}},
        {"ordin-plata",
         {"--number", "5", "--date", "10.03.2014", "--code", "18"},
         false,
         {money(1234.56), "SC Lumina SRL", QString::fromStdString(documents::AmountInWords(1234.56)).simplified()}},
        // the unit named through its table is journalled
        {"jurnal",
         {"--from", "01.01.2000", "--to", "31.12.2099", "--table", "Parohia"},
         false,
         {"JURNALUL MODIFICARILOR", "modificat"}},
    };
    QStringList names;
    for (const Expected& e : all) names << e.name;
    QString listed;
    ASSERT_EQ(run({"--dir", dirArg(), "--list-reports"}, &listed), 0);
    for (const QString& line : listed.split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(names.contains(line.section(' ', 0, 0))) << line.toStdString();
    EXPECT_EQ(listed.count('\n'), all.size()) << "every report is listed once";

    for (const Expected& e : all) {
        SCOPED_TRACE(e.name.toStdString());
        int pages = 0;
        for (const QString ext : {"pdf", "csv", "html", "txt"}) {
            SCOPED_TRACE(ext.toStdString());
            const QString file = outFile(e.name + "." + ext);
            QString err;
            if (ext == "csv" && e.name == "ordin-plata") {
                // a payment order is a page, not a table
                EXPECT_EQ(report(QStringList{"--report", e.name} + e.args + QStringList{"--out", file}, &err), 1);
                EXPECT_TRUE(err.contains(reports::kNoDataTableText)) << err.toStdString();
                EXPECT_FALSE(QFile::exists(file));
                continue;
            }
            ASSERT_EQ(report(QStringList{"--report", e.name} + e.args + QStringList{"--out", file}, &err), 0)
                << err.toStdString();
            EXPECT_TRUE(err.isEmpty()) << err.toStdString();
            QString text;
            if (ext == "pdf") {
                pages = pdfPages(file);
                ASSERT_GE(pages, 1);
                text = toolOutput("pdftotext", {"-layout", file, "-"});
                EXPECT_EQ(text.count('\f'), pages);
            } else if (ext == "csv") {
                QStringList fields;
                for (const QStringList& row : readCsv(file)) fields << row;
                text = fields.join('\n');
            } else if (ext == "txt") {
                text = readText(file);
                EXPECT_EQ(text.count('\f') + 1, pages) << "pages separated by form feeds";
            } else {
                text = readText(file);
            }
            // the data CSV writes amounts plainly and its labels without the colon
            static const QRegularExpression amount("^-?[0-9,]+\\.[0-9]{2}$");
            for (QString figure : e.figures) {
                if (ext == "csv") figure = amount.match(figure).hasMatch() ? figure.remove(',') : figure.remove(" :");
                EXPECT_TRUE(text.simplified().contains(figure)) << figure.toStdString();
            }
            if (e.pageCount && ext != "csv") {
                for (int p = 1; p <= pages; ++p)
                    EXPECT_TRUE(text.contains(QStringLiteral("Pag.%1 din %2").arg(p).arg(pages))) << p;
            }
        }
        if (e.name == "casa") {
            EXPECT_GE(pages, 3) << "the year's cash register runs over several pages";
        }
    }
    // the files asked for and nothing else: no temporary file is left behind
    EXPECT_EQ(outFiles().size(), int(all.size() * 4 - 1)) << outFiles().join(' ').toStdString();
}

// Every report as a table: the .xlsx cell by cell against the data CSV, its
// frozen header and orientation, its rows and totals against the balances.
TEST_F(ReportCommandTest, EveryReportAsATableHoldsItsRowsAndBalances) {
    const double casa = entry::CalcSoldCasa(db.path()), banca = entry::CalcSoldBanca(db.path());
    struct Figure {
        std::string label;   // in the first column that holds it (the last row holding it)
        std::string column;  // the header of the figure's column
        double value;
    };
    struct Table {
        QString name;
        QStringList args;
        std::string title, orientation;
        int rows;  // below the header
        std::vector<Figure> figures;
    };
    // the opening day, the receipt days, the payment days after them, a deposit's day
    const int cashDays = 1 + 45 + 6 + 1;
    const QStringList banca2 = {"--from", "01.02.2014", "--to", "31.03.2014"};
    const std::string closing = "Sold final / De reportat", total = "Total general";
    // clang-format off
    const std::vector<Table> all = {
        // the opening balances, the documents, the total
        {"incasari-plati", {}, "REGISTRU PENTRU EVIDENTA", "landscape", 2 + 124 + 1,
         {{total, "Casa - Sold", casa}, {total, "Cont - Sold", banca}, {total, "Sold total", casa + banca},
          {total, "Cont - Plati", 1234.56}}},
        // the opening balance, the movements, two rows a day
        {"casa", {}, "REGISTRU DE CASA", "portrait", 1 + 113 + 2 * cashDays,
         {{closing, "Sold", casa}, {closing, "Plati", 20 * 45.5}}},
        {"banca", banca2, "REGISTRU DE BANCA", "portrait", 13 + 2 * 13, {{closing, "Sold", banca}, {closing, "Incasari", 5000 + 2500}}},
        {"partizi-venituri", {"--code", "2"}, "Natura venitului: Contributia enoriasilor", "portrait", 91,
         {{"Total", "Suma", januaryCode2 + februaryCode2}, {"Total", "TOTAL CUMULAT", januaryCode2 + februaryCode2}}},
        {"partizi-cheltuieli", {"--code", "20"}, "Registru partizi cheltuieli", "portrait", 21, {{"Total", "Suma", 20 * 45.5}}},
        {"bilant", {"--to", "31.03.2014"}, "BUGET DE VENITURI SI CHELTUIELI", "portrait", -1,
         {{"Contributia enoriasilor", "Suma", januaryCode2 + februaryCode2}}},
        {"stocuri", {"--date", "15.03.2014"}, "Situatia stocurilor", "portrait", 3, {{"TOTAL", "Valoare", 245.0}}},
    };
    // clang-format on
    for (const Table& t : all) {
        SCOPED_TRACE(t.name.toStdString());
        QString err;
        for (const char* ext : {".xlsx", ".csv"})
            ASSERT_EQ(
                report(QStringList{"--report", t.name} + t.args + QStringList{"--out", outFile(t.name + ext)}, &err), 0)
                << err.toStdString();
        const std::vector<support::XlsxSheet> book = support::readXlsx(outFile(t.name + ".xlsx").toStdString());
        ASSERT_EQ(book.size(), 1u);
        const support::XlsxSheet& s = book[0];
        const int header = s.frozenRows - 1;
        int titled = 0;  // the title block holds the report's title once
        for (int r = 0; r < header; ++r) titled += s.text(r, 0).find(t.title) != std::string::npos;
        EXPECT_EQ(titled, 1);
        EXPECT_EQ(s.orientation, t.orientation);
        if (t.rows >= 0) EXPECT_EQ(s.rowCount - header - 1, t.rows);

        // the CSV holds the same cells, row for row
        const std::vector<QStringList> csv = readCsv(outFile(t.name + ".csv"));
        ASSERT_EQ(int(csv.size()), s.rowCount);
        for (int r = 0; r < s.rowCount; ++r)
            for (int c = 0; c < int(csv[r].size()); ++c) {
                const support::XlsxCell* cell = s.at(r, c);
                const QString expected =
                    !cell ? QString()
                    : cell->format == "dd.mm.yyyy"
                        ? QString::fromStdString(exports::dayText(Date{1899, 12, 30}.addDays(long(cell->value))))
                    : cell->format == "#,##0.00" ? plain(cell->value)
                                                 : QString::fromStdString(cell->text);
                EXPECT_EQ(csv[r][c], expected) << "row " << r << " column " << c;
            }

        for (const Figure& f : t.figures) {
            int row = -1;
            for (int r = header + 1; r < s.rowCount; ++r)
                if (s.text(r, 0) == f.label || s.text(r, 1) == f.label || s.text(r, 2) == f.label) row = r;
            ASSERT_GE(row, 0) << f.label;
            const support::XlsxCell* cell = s.at(row, int(csv[header].indexOf(QString::fromStdString(f.column))));
            ASSERT_TRUE(cell && cell->number) << f.label;
            EXPECT_EQ(data::toBani(cell->value), data::toBani(f.value)) << f.label << " / " << f.column;
        }
    }
}

// The budget: as at a date or for a period, either column, the expenses on a
// page of their own when asked.
TEST_F(ReportCommandTest, BudgetComputesAsItsWindowAndAnswersThePageQuestion) {
    auto line = [&](const QStringList& args, const QString& name) {
        const QString file = outFile("bilant.csv");
        QString err;
        EXPECT_EQ(report(QStringList{"--report", "bilant"} + args + QStringList{"--out", file}, &err), 0)
            << err.toStdString();
        for (const QStringList& row : readCsv(file))
            if (row.contains(name)) return row;
        return QStringList();
    };
    EXPECT_TRUE(line({"--to", "31.01.2014"}, "Contributia enoriasilor").contains(plain(januaryCode2)));
    EXPECT_TRUE(line({"--to", "31.03.2014"}, "Contributia enoriasilor").contains(plain(januaryCode2 + februaryCode2)));
    // the period: the budget at its end less the budget the day before it
    const QStringList period{"--from", "01.02.2014", "--to", "31.03.2014"};
    EXPECT_TRUE(line(period, "Contributia enoriasilor").contains(plain(februaryCode2)));
    EXPECT_TRUE(
        line(period, "Sold initial (disponibil in casa si in banca)").contains(plain(6000 + januaryCode2 - 409.5)));
    EXPECT_TRUE(line(period, "Sold final (disponibil in casa si in banca)")
                    .contains(plain(entry::CalcSoldCasa(db.path()) + entry::CalcSoldBanca(db.path()))));
    EXPECT_TRUE(readText(outFile("bilant.csv")).contains("(de la 01/02/2014 pana la 31/03/2014)"));
    EXPECT_TRUE(line({"--to", "31.03.2014", "--column", "Prevederi"}, "Contributia enoriasilor").contains(plain(0)));
    // the cover names the period and the column
    const QString cover = readText(outFile("bilant.csv"));
    EXPECT_TRUE(cover.contains("SUMELE LISTATE : PREVEDERI")) << cover.toStdString();
    EXPECT_TRUE(cover.contains("01/01/2014")) << cover.toStdString();
    EXPECT_TRUE(cover.contains("31/03/2014"));

    // the page of the last income line and of the first expense line
    auto pagesOf = [&](const QStringList& extra) {
        const QString file = outFile("b.pdf");
        EXPECT_EQ(report(QStringList{"--report", "bilant", "--to", "31.03.2014"} + extra + QStringList{"--out", file}),
                  0);
        const QStringList pages = toolOutput("pdftotext", {"-layout", file, "-"}).split('\f');
        std::pair<int, int> at{-1, -1};
        for (int i = 0; i < pages.size(); ++i) {
            if (pages[i].contains("TOTAL VENITURI")) at.first = i;
            if (pages[i].contains("Salarii si indemnizatii ale personalului")) at.second = i;
        }
        return at;
    };
    const auto together = pagesOf({});
    ASSERT_GE(together.first, 1);
    EXPECT_EQ(together.second, together.first);
    const auto apart = pagesOf({"--expenses-new-page"});
    EXPECT_EQ(apart.first, together.first);
    EXPECT_EQ(apart.second, apart.first + 1) << "the expenses begin on a new page";
}

// ---------------------------------------------------------------- the pages of the preview

// A report written to a file holds the pages the preview of the same run
// shows: the menu's function run here with the print dialog confirmed for the
// preview, against the executable's HTML of the same report (every text with
// its position and font).
TEST_F(ReportCommandTest, FilePagesAreThePreviewPages) {
    reports::setCurrentPrinter(std::make_unique<rt::FixedPrinter>(0));
    auto previewHtml = [](const std::function<void()>& runMenu) {
        // each as the first report of a program run, as the command line runs it
        reports::ResetPrintSettings();
        QString html;
        gui::onModal([&html](QWidget* dlg) {
            gui::control<QCheckBox>(dlg, "CBPrev")->setChecked(true);
            gui::onModal<reports::TQRPreview>([&html](reports::TQRPreview* pv) {
                html = reports::exportHtml(pv->prepared());
                pv->closeButton()->click();
            });
            gui::control<QPushButton>(dlg, "OKBtn")->click();
        });
        runMenu();
        return html;
    };
    struct Case {
        QStringList args;
        std::function<void()> menu;
    };
    const std::vector<Case> cases = {
        {{"--report", "casa", "--from", "15.01.2014", "--to", "28.02.2014"},
         [] {
             registers::RegistruCasa(nullptr, reports::Interval{{2014, 1, 15}, {2014, 2, 28}}, {});
         }},
        {{"--report", "incasari-plati"}, [] { registers::RegistruIncasariPlati(nullptr, {}); }},
        {{"--report", "partizi-venituri", "--code", "2"}, [] { registers::PartiziVenituri(nullptr, 2, {}); }},
        {{"--report", "ordin-plata", "--number", "5", "--date", "10.03.2014", "--code", "18"},
         [] {
             documents::RunOrdinPlata(nullptr, 18, 5, Date{2014, 3, 10});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString shown = previewHtml(c.menu);
        ASSERT_FALSE(shown.isEmpty()) << "no preview";
        const QString file = outFile("r.html");
        QString err;
        ASSERT_EQ(report(c.args + QStringList{"--out", file}, &err), 0) << err.toStdString();
        EXPECT_EQ(readText(file), shown);
    }
    // the ledger keeps the size of a fresh program run unless one is chosen,
    // as in the print dialog
    const QString html = outFile("r.html");
    ASSERT_EQ(report({"--report", "partizi-venituri", "--code", "2", "--out", html}), 0);
    const int plain = readText(html).count("font-size:10pt");
    ASSERT_EQ(report({"--report", "partizi-venituri", "--code", "2", "--font-size", "20", "--out", html}), 0);
    EXPECT_GT(plain, 20);
    // items with a size of their own keep it; an amount too wide for its box
    // at 20 pt is set smaller, but still larger than before
    int larger = 0;
    for (const auto& m : QRegularExpression("font-size:([0-9.]+)pt").globalMatch(readText(html)))
        larger += m.captured(1).toDouble() > 10.0;
    EXPECT_GT(readText(html).count("font-size:20pt"), 0);
    EXPECT_GT(larger, plain - 5);
    EXPECT_LT(readText(html).count("font-size:10pt"), 5);
}

// ---------------------------------------------------------------- bad command lines and failures

TEST_F(ReportCommandTest, BadCommandLinesAreRefusedWithUsageAndNoFile) {
    const QString file = outFile("r.pdf");
    const std::vector<std::pair<QStringList, QString>> bad = {
        {{"--report", "inventar", "--out", file}, "raport necunoscut: inventar"},
        {{"--report", "casa"}, "lipseste --out"},
        {{"--report", "casa", "--from", "31.02.2014", "--out", file}, "31.02.2014"},
        {{"--report", "casa", "--from", "1/1/2014", "--out", file}, "1/1/2014"},
        {{"--report", "casa", "--from", "01.04.2014", "--to", "01.03.2014", "--out", file},
         "Intervalul de timp nu este corect! 01.03.2014 < 01.04.2014"},
        {{"--report", "casa", "--code", "2", "--out", file}, "--code"},
        {{"--report", "incasari-plati", "--from", "01.01.2014", "--out", file}, "--from"},
        {{"--report", "partizi-venituri", "--out", file}, "--code"},
        {{"--report", "partizi-venituri", "--code", "x2", "--out", file}, "x2"},
        {{"--report", "bilant", "--column", "Total", "--out", file}, "Total"},
        {{"--report", "casa", "--font-size", "99", "--out", file}, "99"},
        {{"--report", "casa", "--out", outFile("r.doc")}, "r.doc"},
        {{"--report", "casa", "--out", outFile("lipsa/r.pdf")}, "lipsa/r.pdf"},
        {{"--report", "casa", "--out", outFile("dosar.pdf")}, "nu pot scrie fisierul"},
        {{"--balances", "--out", file}, "--out"},
    };
    QDir(QString::fromStdString(out->path())).mkdir("dosar.pdf");
    for (const auto& [args, text] : bad) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QString err;
        EXPECT_EQ(report(args, &err), 2);
        EXPECT_TRUE(err.contains(text)) << err.toStdString();
        EXPECT_TRUE(err.contains("Utilizare:")) << err.toStdString();
    }
    // a file name that is not text is refused before anything runs
    std::ostringstream none, why;
    EXPECT_EQ(app::runReport(app::parseCommandLine({"--report", "casa", "--out", out->file("r\xff.pdf")}), none, why),
              2);
    EXPECT_NE(why.str().find("UTF-8"), std::string::npos) << why.str();
    EXPECT_TRUE(outFiles().isEmpty()) << outFiles().join(' ').toStdString();
}

TEST_F(ReportCommandTest, FailedReportsExitOneWithTheirMessageAndLeaveNoFile) {
    const QString file = outFile("r.pdf");
    QString err;
    EXPECT_EQ(report({"--report", "casa", "--from", "01.01.2013", "--to", "31.12.2013", "--out", file}, &err), 1);
    EXPECT_EQ(err, "Nu exista date in aceasta perioada!\n");
    EXPECT_EQ(report({"--report", "stocuri", "--date", "01.01.2010", "--out", file}, &err), 1);
    EXPECT_EQ(err, "Nu exista date in aceasta perioada!\n");
    EXPECT_EQ(
        report({"--report", "ordin-plata", "--number", "6", "--date", "10.03.2014", "--code", "18", "--out", file},
               &err),
        1);
    EXPECT_EQ(err.trimmed(), documents::kNotStored);
    EXPECT_TRUE(outFiles().isEmpty()) << outFiles().join(' ').toStdString();

    // a work table another program holds open is not rebuilt, and an earlier
    // file of the same name stays as it was
    ::writeFile(file.toStdString(), "earlier");
    {
        data::Table held;
        held.setDatabaseName(db.path());
        held.setTableName("Registru.DB");
        held.open();
        EXPECT_EQ(report({"--report", "casa", "--out", file}, &err), 1);
        EXPECT_EQ(err.trimmed(),
                  QString::fromStdString("Nu pot crea fisierul :" + db.path() +
                                         "Registru. Inchideti fisierele aferente si repetati operatia!"));
    }
    EXPECT_EQ(::readFile(file.toStdString()), "earlier");
    EXPECT_EQ(outFiles(), QStringList{"r.pdf"});

    // a table that cannot be read: the access error with the engine's message
    std::filesystem::remove(db.file("Venituri.DB"));
    EXPECT_EQ(report({"--report", "partizi-venituri", "--code", "2", "--out", file}, &err), 1);
    EXPECT_TRUE(err.startsWith("Eroare de acces la baza de date!\n<")) << err.toStdString();
    EXPECT_TRUE(err.trimmed().endsWith(">!")) << err.toStdString();
    EXPECT_EQ(run({"--dir", dirArg(), "--balances"}, nullptr, &err), 1);
    EXPECT_TRUE(err.startsWith("Eroare de acces la baza de date!")) << err.toStdString();
    EXPECT_EQ(::readFile(file.toStdString()), "earlier");

    EXPECT_EQ(run({"--dir", dirArg() + "lipsa", "--report", "casa", "--out", file}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains("lipsa")) << err.toStdString();
}

// ---------------------------------------------------------------- balances

// The balances as the document windows compute and show them.
TEST_F(ReportCommandTest, BalancesAreThoseTheDocumentWindowsShow) {
    QString text, err;
    ASSERT_EQ(run({"--dir", dirArg(), "--balances"}, &text, &err, "ro_RO.UTF-8"), 0) << err.toStdString();
    // 1000 + 13005 - 600 + 150 - 910 and 5000 + 2500 + 600 - 150 - 1234.56
    EXPECT_EQ(text, "Casa: 12.645,00\nBanca: 6.715,44\n");
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();

    // a payment larger than the bank holds: a negative balance
    data::insertRows(db.file("Cheltuieli.DB"), {"Nr_act", "Data", "Cod_cheltuiala", "Valoarea", "Cont"},
                     {{9.0, Date{2014, 5, 1}, 18, 10000.0, "Banca"}});
    ASSERT_EQ(run({"--dir", dirArg(), "--balances"}, &text), 0);
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], "Banca: " + money(entry::CalcSoldBanca(db.path())));
    EXPECT_TRUE(lines[1].startsWith("Banca: -"));

    entry::TVenituriFrm window(nullptr);
    auto shown = [&](const char* label) {
        return entry::balanceFromText(gui::control<QLabel>(&window, label)->text().toStdString()).value_or(-1e9);
    };
    auto printed = [](const QString& line) { return line.section(' ', 1).remove(',').toDouble(); };
    EXPECT_DOUBLE_EQ(printed(lines[0]), shown("SoldCasaLbl"));
    EXPECT_DOUBLE_EQ(printed(lines[1]), shown("SoldBancaLbl"));
}

}  // namespace
