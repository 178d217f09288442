// The report engine's page model: bands, running sums and their order
// against page breaks and groups, hooks, stretching, layouts.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "ReportTestSupport.h"
#include "data/Field.h"
#include "reports/Expression.h"
#include "reports/Fonts.h"
#include "reports/Report.h"
#include "support/TempDir.h"

using namespace reports;

namespace {

// Eight days of three rows; row i (1-based) takes in 100*i and pays out i.
std::vector<rt::Row> eightDays(const std::string& longTextForRow23 = {}) {
    std::vector<rt::Row> rows;
    for (int d = 1; d <= 8; ++d)
        for (int j = 0; j < 3; ++j) {
            const int i = 3 * (d - 1) + j + 1;
            std::string text =
                i == 23 && !longTextForRow23.empty() ? longTextForRow23 : "Operatia " + std::to_string(i);
            rows.push_back({data::Date{2007, 3, d}, text, 100.0 * i, 1.0 * i});
        }
    return rows;
}

double sumIn(int k) { return 100.0 * k * (k + 1) / 2; }
double sumOut(int k) { return 1.0 * k * (k + 1) / 2; }

// The register layout with the handlers a day-by-day register attaches.
struct RegisterRun {
    TempDir dir;
    std::unique_ptr<data::Table> table;
    Report rep;
    int pageCount = 0;
    data::Date start{2007, 1, 1};
    int counter = 1;
    double previousBalance = 0;

    explicit RegisterRun(const std::vector<rt::Row>& rows) {
        rt::makeRegister(dir.path(), rows);
        table = rt::openRegister(dir.path());
        rep.loadLayout(QString::fromUtf8(rt::kRegisterLayout));
        rep.setDataSet(table.get(), QStringLiteral("TRegistru"));
        rep.beforePrint = [this](Report&, bool&) { counter = 1; };
        auto inInterval = [this](Band&, bool& print) { print = (*table)["Data"].asDate() >= start; };
        rep.band("Zi").beforePrint = inInterval;
        rep.band("Detaliu").beforePrint = inInterval;
        rep.band("SfarsitZi").beforePrint = inInterval;
        rep.band("Detaliu").afterPrint = [this](Band&, bool printed) {
            if (printed) ++counter;
        };
        rep.item("NrCrt").onPrint = [this](Item&, QString& t) { t = QString::number(counter); };
        table->beforeScroll = [this](data::DataSet& ds) { previousBalance = ds["Sold"].asFloat(); };
        rep.item("DeReportat").onPrint = [this](Item&, QString& t) {
            if (table->eof()) t = QStringLiteral("Total general :");
        };
        rep.item("PageNumberLabel").onPrint = [this](Item&, QString& t) {
            t += QStringLiteral(" din ") + QString::number(pageCount);
        };
        rep.item("ReportSold").onPrint = [this](Item&, QString& t) { t = rep.item("Sold").lastPrinted(); };
    }

    // Counts the pages, then runs again for output, as a report run does.
    void run() {
        pageCount = rep.countPages();
        rep.prepare();
    }
    const Page& page(int n) const { return rep.prepared().pages.at(static_cast<size_t>(n - 1)); }
};

}  // namespace

TEST(ReportEngine, ThreePagesCarryForwardFiguresAndPageCount) {
    RegisterRun r(eightDays());
    r.run();
    ASSERT_EQ(r.pageCount, 3);
    ASSERT_EQ(r.rep.pageCount(), 3);
    // counting keeps no page, and the output after it is the same
    const reports::PreparedReport output = r.rep.prepared();
    EXPECT_EQ(r.rep.countPages(), 3);
    EXPECT_TRUE(r.rep.prepared().pages.empty());
    r.rep.prepare();
    EXPECT_EQ(r.rep.prepared(), output);

    // page 1: days 1-3; page 2: days 4-6 and the heading of day 7; page 3: day 7's rows and day 8
    EXPECT_EQ(r.page(1).textsOf("Inc").size(), 9);
    EXPECT_EQ(r.page(2).textsOf("Inc").size(), 9);
    EXPECT_EQ(r.page(2).bandsNamed("Zi").size(), 4);
    EXPECT_EQ(r.page(3).textsOf("Inc").size(), 6);

    // "Report :" carries the previous page's closing figures, "De reportat :" the page's own
    EXPECT_EQ(r.page(1).textOf("ReportInc"), QStringLiteral("0.00"));
    EXPECT_EQ(r.page(1).textOf("SubInc"), rt::money(sumIn(9)));
    EXPECT_EQ(r.page(2).textOf("ReportInc"), rt::money(sumIn(9)));
    EXPECT_EQ(r.page(2).textOf("ReportPl"), rt::money(sumOut(9)));
    // day 7's heading printed on page 2, its first row starts page 3: not in page 2's total
    EXPECT_EQ(r.page(2).textOf("SubInc"), QStringLiteral("17,100.00"));
    EXPECT_EQ(r.page(3).textOf("ReportInc"), QStringLiteral("17,100.00"));
    EXPECT_EQ(r.page(3).textOf("SubInc"), QStringLiteral("30,000.00"));
    EXPECT_EQ(r.page(3).textOf("SubPl"), QStringLiteral("300.00"));

    EXPECT_EQ(r.page(1).textOf("DeReportat"), QStringLiteral("De reportat :"));
    EXPECT_EQ(r.page(2).textOf("DeReportat"), QStringLiteral("De reportat :"));
    EXPECT_EQ(r.page(3).textOf("DeReportat"), QStringLiteral("Total general :"));
    EXPECT_EQ(r.page(1).textOf("PageNumberLabel"), QStringLiteral("Pag.1 din 3"));
    EXPECT_EQ(r.page(2).textOf("PageNumberLabel"), QStringLiteral("Pag.2 din 3"));
    EXPECT_EQ(r.page(3).textOf("PageNumberLabel"), QStringLiteral("Pag.3 din 3"));

    // every page's carried-forward figure equals the rows printed before it
    double printed = 0;
    for (int p = 1; p <= 3; ++p) {
        EXPECT_EQ(r.page(p).textOf("ReportInc"), rt::money(printed)) << "page " << p;
        for (const QString& s : r.page(p).textsOf("Inc")) printed += QString(s).remove(QLatin1Char(',')).toDouble();
        EXPECT_EQ(r.page(p).textOf("SubInc"), rt::money(printed)) << "page " << p;
    }
    // the balance carried to page 2 is the last balance printed on page 1
    EXPECT_EQ(r.page(2).textOf("ReportSold"), r.page(1).textsOf("Sold").last());
    EXPECT_EQ(r.page(3).textOf("ReportSold"), r.page(2).textsOf("Sold").last());
}

TEST(ReportEngine, GroupHeaderBeforeFirstRowFooterAfterLastRow) {
    RegisterRun r(eightDays());
    r.run();
    QStringList heads, foots;
    for (int p = 1; p <= 3; ++p) {
        heads << r.page(p).textsOf("ZiInc");
        foots << r.page(p).textsOf("FinInc");
    }
    ASSERT_EQ(heads.size(), 8);
    ASSERT_EQ(foots.size(), 8);
    for (int d = 1; d <= 8; ++d) {
        EXPECT_EQ(heads[d - 1], rt::money(sumIn(3 * (d - 1)))) << "day " << d;
        EXPECT_EQ(foots[d - 1], rt::money(sumIn(3 * d))) << "day " << d;
    }
    EXPECT_EQ(heads[3], QStringLiteral("4,500.00"));
    EXPECT_EQ(foots[3], QStringLiteral("7,800.00"));
    // the row counter runs on across days and pages
    EXPECT_EQ(r.page(1).textsOf("NrCrt").first(), QStringLiteral("1"));
    EXPECT_EQ(r.page(3).textsOf("NrCrt").last(), QStringLiteral("24"));
}

// 0.10, 0.20, 0.30 over many rows: the running sums print the total of their bani.
TEST(ReportEngine, RunningSumsAreExactToTheBan) {
    std::vector<rt::Row> rows;
    for (int i = 0; i < 1500; ++i)
        rows.push_back({data::Date{2007, 1, 1}.addDays(i / 30), "Op", 0.1 * (1 + i % 3), 0.3});
    RegisterRun r(rows);
    r.rep.band("SfarsitZi").addExpression("FinGeneral", 90, 1, 25, 5, "SUM(TRegistru.Incasari)");
    r.run();
    QStringList general, want;
    for (const Page& p : r.rep.prepared().pages) general << p.textsOf("FinGeneral");
    for (int day = 1; day <= 50; ++day) want << QString::fromStdString(data::formatGeneral(day * 6.0));
    EXPECT_EQ(general, want);
}

TEST(ReportEngine, SuppressedBandsStillFeedTheSums) {
    RegisterRun r(eightDays());
    r.start = data::Date{2007, 3, 3};
    r.run();
    const Page& p1 = r.page(1);
    // days 1 and 2 are read but not printed
    ASSERT_EQ(p1.bandsNamed("Zi").size(), 3u);  // days 3 to 5
    EXPECT_EQ(p1.textsOf("ZiInc").first(), rt::money(sumIn(6)));
    EXPECT_EQ(p1.textsOf("ZiPl").first(), rt::money(sumOut(6)));
    EXPECT_EQ(p1.textsOf("Inc").first(), rt::money(700));
    EXPECT_EQ(p1.textsOf("NrCrt").first(), QStringLiteral("1"));
    EXPECT_EQ(r.rep.prepared().pages.back().textOf("SubInc"), QStringLiteral("30,000.00"));
}

TEST(ReportEngine, WrappedTextStretchesItsBandAndTheRules) {
    const std::string longText(
        "Plata facturii pentru lucrarile de reparatie la acoperisul bisericii parohiale, inclusiv materialele, "
        "transportul si manopera echipei, conform contractului incheiat cu firma de constructii si procesului verbal "
        "de receptie semnat de consiliul parohial");
    RegisterRun r(eightDays(longText));
    r.run();
    const Page& p3 = r.page(3);
    const auto details = p3.bandsNamed("Detaliu");
    ASSERT_EQ(details.size(), 6u);
    // row 23 is the fifth detail of page 3
    const FontSpec font{QStringLiteral("Arial"), 8};
    const int lines = static_cast<int>(wrapText(font, QString::fromStdString(longText), 100).size());
    ASSERT_GE(lines, 3);
    const double expected = 1 + lines * lineSpacingMm(font) + (18 - 6);
    EXPECT_NEAR(details[4].height, expected, 0.01);
    EXPECT_DOUBLE_EQ(details[3].height, 18);
    // the next band starts where the stretched one ends
    EXPECT_NEAR(details[5].top, details[4].top + details[4].height, 1e-9);
    // the band's frame and the column rules grow with it
    int stretchedRules = 0;
    for (const PageElement& e : p3.elements)
        if (e.kind() == PageElement::Kind::Line && e.name().isEmpty() &&
            std::abs(e.box.top() - details[4].top) < 1e-6 && std::abs(e.box.height() - details[4].height) < 1e-6)
            ++stretchedRules;
    EXPECT_EQ(stretchedRules, 4);
    bool frameFound = false;
    for (const PageElement& e : p3.elements)
        if (e.kind() == PageElement::Kind::Rect && e.name() == QStringLiteral("Detaliu") &&
            std::abs(e.box.top() - details[4].top) < 1e-6)
            frameFound = std::abs(e.box.height() - details[4].height) < 1e-6;
    EXPECT_TRUE(frameFound);
    // every wrapped line fits the box with the same metrics the drawing uses
    for (const QString& l : wrapText(font, QString::fromStdString(longText), 100))
        EXPECT_LE(textWidthMm(font, l), 100.0 + 1e-6);
}

TEST(ReportEngine, EmptyDataSetProducesNoPage) {
    RegisterRun r({});
    bool headerPrinted = false;
    r.rep.band("Antet").beforePrint = [&](Band&, bool&) { headerPrinted = true; };
    EXPECT_EQ(r.rep.prepare(), 0);
    EXPECT_TRUE(r.rep.prepared().pages.empty());
    EXPECT_FALSE(headerPrinted);
}

// A log of what prints, with the running sum and the current row at that moment.
TEST(ReportEngine, OrderOfBandsAgainstTheRunningSums) {
    TempDir dir;
    rt::makeRegister(dir.path(), {{data::Date{2007, 1, 1}, "a", 1, 0},
                                  {data::Date{2007, 1, 1}, "b", 2, 0},
                                  {data::Date{2007, 1, 2}, "c", 4, 0},
                                  {data::Date{2007, 1, 3}, "d", 8, 0}});
    auto t = rt::openRegister(dir.path());
    Report rep;
    rep.setDataSet(t.get(), QStringLiteral("R"));
    rep.topMargin = rep.bottomMargin = 10;
    Band& ph = rep.addBand(BandType::PageHeader, QStringLiteral("PH"), 10);
    Band& gh = rep.addBand(BandType::GroupHeader, QStringLiteral("GH"), 10);
    gh.expression = QStringLiteral("R.Data");
    Band& det = rep.addBand(BandType::Detail, QStringLiteral("D"), 120);
    Band& gf = rep.addBand(BandType::GroupFooter, QStringLiteral("GF"), 10);
    gh.groupFooter = &gf;
    Band& pf = rep.addBand(BandType::PageFooter, QStringLiteral("PF"), 10);
    Band& sum = rep.addBand(BandType::Summary, QStringLiteral("S"), 10);
    QStringList log;
    for (Band* b : {&ph, &gh, &det, &gf, &pf, &sum}) {
        Item& it = b->addExpression(b->name() + QStringLiteral("Sum"), 0, 0, 50, 5, QStringLiteral("SUM(Incasari)"));
        it.onPrint = [&log, &t, b](Item&, QString& text) {
            log << QStringLiteral("%1 row%2 sum%3").arg(b->name()).arg(t->eof() ? 0 : t->recNo()).arg(text);
        };
    }
    // 120 mm rows: two fill a page (10 header + 10 group + 240 of 267), so the first
    // day's footer and the third day's row start new pages. Item hooks of the band
    // that causes a break run before the break's footer and header.
    ASSERT_EQ(rep.prepare(), 3);
    const QStringList expected{"PH row1 sum0", "GH row1 sum0", "D row1 sum1",  "D row2 sum3",  "GF row2 sum3",
                               "PF row2 sum3", "PH row2 sum3", "GH row3 sum3", "D row3 sum7",  "GF row3 sum7",
                               "GH row4 sum7", "D row4 sum15", "PF row4 sum7", "PH row4 sum7", "GF row4 sum15",
                               "S row0 sum15", "PF row0 sum15"};
    EXPECT_EQ(log, expected);
    const auto& pages = rep.prepared().pages;
    EXPECT_EQ(pages[1].bands.at(1).name, QStringLiteral("GF"));
    EXPECT_EQ(pages[2].bands.at(1).name, QStringLiteral("D"));
    EXPECT_EQ(pages[2].bands.back().name, QStringLiteral("PF"));
    EXPECT_DOUBLE_EQ(pages[2].bands.back().top, 297 - 10 - 10);
}

TEST(ReportEngine, NewPageFlagChangedWhileRunning) {
    TempDir dir;
    std::vector<rt::Row> rows;
    for (int i = 1; i <= 6; ++i) rows.push_back({data::Date{2007, 1, i}, "r" + std::to_string(i), 1.0 * i, 0});
    rt::makeRegister(dir.path(), rows);
    auto t = rt::openRegister(dir.path());
    Report rep;
    rep.setDataSet(t.get());
    Band& det = rep.addBand(BandType::Detail, QStringLiteral("D"), 10);
    det.addField(QStringLiteral("Nr"), 0, 0, 20, 5, QStringLiteral("Nr"));
    // the row after row 3 starts a new page; that row turns the flag off again
    det.afterPrint = [&](Band& b, bool) {
        if ((*t)["Nr"].asInteger() == 3) b.forceNewPage = true;
    };
    det.beforePrint = [&](Band& b, bool&) {
        if ((*t)["Nr"].asInteger() == 4) b.forceNewPage = false;
    };
    ASSERT_EQ(rep.prepare(), 2);
    EXPECT_EQ(rep.prepared().pages[0].textsOf("Nr"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(rep.prepared().pages[1].textsOf("Nr"), (QStringList{"4", "5", "6"}));
    // a title forcing a new page on the first page does not leave it empty
    Band& title = rep.addBand(BandType::Title, QStringLiteral("T"), 10);
    title.forceNewPage = true;
    title.addLabel(QStringLiteral("TL"), 0, 0, 50, 5, QStringLiteral("Titlu"));
    det.forceNewPage = false;
    ASSERT_EQ(rep.prepare(), 2);
    EXPECT_EQ(rep.prepared().pages[0].allTexts().first(), QStringLiteral("Titlu"));
}

TEST(ReportEngine, ItemHookChangesWidthAndOpaqueLabelCoversText) {
    RegisterRun r(eightDays());
    // an opaque blank label covering the "Report :" line on the first page only
    Item& hide = r.rep.band("Antet").addLabel(QStringLiteral("HideLbl"), 0, 0, 0, 7, QString());
    hide.transparent = false;
    hide.onPrint = [&](Item& it, QString&) { it.width = r.table->recNo() == 1 ? 190 : 0; };
    r.run();
    const PageElement* p1 = r.page(1).findElement(QStringLiteral("HideLbl"));
    const PageElement* p2 = r.page(2).findElement(QStringLiteral("HideLbl"));
    ASSERT_TRUE(p1 && p2);
    EXPECT_DOUBLE_EQ(p1->box.width(), 190);
    EXPECT_EQ(p1->background(), QColor(Qt::white));
    EXPECT_DOUBLE_EQ(p2->box.width(), 0);
    // drawn after the texts it covers
    const auto& els = r.page(1).elements;
    auto index = [&](const QString& n) {
        for (size_t i = 0; i < els.size(); ++i)
            if (els[i].name() == n) return static_cast<int>(i);
        return -1;
    };
    EXPECT_GT(index(QStringLiteral("HideLbl")), index(QStringLiteral("ReportInc")));
}

TEST(ReportEngine, ChildBandFollowsItsParentAndFontsAndMargins) {
    TempDir dir;
    rt::makeRegister(dir.path(), {{data::Date{2007, 1, 1}, "a", 1, 0}, {data::Date{2007, 1, 2}, "b", 2, 0}});
    auto t = rt::openRegister(dir.path());
    Report rep;
    rep.loadLayout(QStringLiteral(R"LAYOUT(
report margins=12,10,20,5 font="Times New Roman" size=9
band D detail 6
  field Ex 0 0 50 5 Explicatii
  field Val 60 0 30 5 Incasari mask="0.000" align=right size=11
band C child 4 parent=D
  label CL 0 0 50 4 "sub"
)LAYOUT"));
    rep.setDataSet(t.get());
    rep.band("D").beforePrint = [&](Band&, bool& p) { p = (*t)["Explicatii"].asString() != "b"; };
    ASSERT_EQ(rep.prepare(), 1);
    const Page& p = rep.prepared().pages[0];
    ASSERT_EQ(p.bands.size(), 2u);  // the child prints only after a printed parent
    EXPECT_EQ(p.bands[0].name, QStringLiteral("D"));
    EXPECT_EQ(p.bands[1].name, QStringLiteral("C"));
    EXPECT_DOUBLE_EQ(p.bands[0].top, 12);
    EXPECT_DOUBLE_EQ(p.bands[1].top, 18);
    const PageElement* ex = p.findElement(QStringLiteral("Ex"));
    const PageElement* val = p.findElement(QStringLiteral("Val"));
    ASSERT_TRUE(ex && val);
    EXPECT_DOUBLE_EQ(ex->box.left(), 20);
    EXPECT_EQ(ex->font().family, QStringLiteral("Times New Roman"));
    EXPECT_EQ(ex->font().size, 9);
    EXPECT_EQ(val->font().size, 11);  // its own font
    EXPECT_EQ(val->text, QStringLiteral("1.000"));
    EXPECT_EQ(val->align(), HAlign::Right);
    // the report font changes; the item with its own font keeps it
    rep.font.family = QStringLiteral("Arial");
    rep.prepare();
    EXPECT_EQ(rep.prepared().pages[0].findElement(QStringLiteral("Ex"))->font().family, QStringLiteral("Arial"));
    EXPECT_EQ(rep.prepared().pages[0].findElement(QStringLiteral("Val"))->font().family,
              QStringLiteral("Times New Roman"));
}

TEST(ReportEngine, LayoutMistakesNameTheLine) {
    Report rep;
    try {
        rep.loadLayout(QStringLiteral("band D detail 6\n  label L 0 0 10 5 \"x\" colour=red\n"));
        FAIL() << "no error";
    } catch (const ReportError& e) {
        EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }
    Report rep2;
    EXPECT_THROW(rep2.loadLayout(QStringLiteral("label L 0 0 10 5 \"x\"")), ReportError);
    Report rep3;
    EXPECT_THROW(rep3.loadLayout(QStringLiteral("band G groupheader 6 footer=Nowhere group=\"Data\"")), ReportError);
    Report rep4;
    EXPECT_THROW(rep4.loadLayout(QStringLiteral("band G groupheader 6")), ReportError);
}

TEST(ReportEngine, UnknownFieldIsReportedNotPrinted) {
    TempDir dir;
    rt::makeRegister(dir.path(), {{data::Date{2007, 1, 1}, "a", 1, 0}});
    auto t = rt::openRegister(dir.path());
    Report rep;
    rep.setDataSet(t.get(), QStringLiteral("TRegistru"));
    rep.addBand(BandType::Detail, QStringLiteral("D"), 5)
        .addExpression(QStringLiteral("E"), 0, 0, 10, 5, QStringLiteral("SUM(TRegistru.Lipsa)"));
    EXPECT_THROW(rep.prepare(), ExpressionError);
    EXPECT_TRUE(rep.prepared().pages.empty());
    EXPECT_FALSE(rep.running());
}

TEST(ReportEngine, ItemsOfAnotherDataSetAndSystemData) {
    TempDir dir;
    rt::makeRegister(dir.path(), {{data::Date{2007, 1, 1}, "a", 1.5, 0}, {data::Date{2007, 1, 2}, "b", 2.25, 0}});
    auto t = rt::openRegister(dir.path());
    TempDir other;
    rt::makeRegister(other.path(), {{data::Date{2007, 5, 6}, "Parohia Sfantul Nicolae", 0, 0}});
    auto unit = rt::openRegister(other.path());
    Report rep;
    rep.title = QStringLiteral("Titlul raportului");
    rep.setDataSet(t.get(), QStringLiteral("TRegistru"));
    rep.addDataSet(QStringLiteral("TParohia"), unit.get());
    Band& title = rep.addBand(BandType::Title, QStringLiteral("T"), 10);
    title.addField(QStringLiteral("Unit"), 0, 0, 80, 5, QStringLiteral("TParohia.Explicatii"));
    title.addSysData(QStringLiteral("Doc"), 100, 0, 80, 5, SysDataKind::ReportTitle);
    Band& det = rep.addBand(BandType::Detail, QStringLiteral("D"), 5);
    det.addSysData(QStringLiteral("No"), 0, 0, 10, 5, SysDataKind::DetailNumber, QStringLiteral("#"));
    det.addExpression(QStringLiteral("Twice"), 20, 0, 30, 5, QStringLiteral("TRegistru.Incasari * 2 + 1"),
                      QStringLiteral("0.00"));
    det.addExpression(QStringLiteral("Avg"), 60, 0, 30, 5, QStringLiteral("AVERAGE(Incasari)"),
                      QStringLiteral("0.000"));
    det.addExpression(QStringLiteral("Cnt"), 100, 0, 30, 5, QStringLiteral("COUNT()"));
    det.addExpression(QStringLiteral("Txt"), 140, 0, 50, 5, QStringLiteral("'Nr ' + Explicatii"));
    ASSERT_EQ(rep.prepare(), 1);
    const Page& p = rep.prepared().pages[0];
    EXPECT_EQ(p.textOf("Unit"), QStringLiteral("Parohia Sfantul Nicolae"));
    EXPECT_EQ(p.textOf("Doc"), QStringLiteral("Titlul raportului"));
    EXPECT_EQ(p.textsOf("No"), (QStringList{"#1", "#2"}));
    EXPECT_EQ(p.textsOf("Twice"), (QStringList{"4.00", "5.50"}));
    EXPECT_EQ(p.textsOf("Avg"), (QStringList{"1.500", "1.875"}));
    EXPECT_EQ(p.textsOf("Cnt"), (QStringList{"1", "2"}));
    EXPECT_EQ(p.textsOf("Txt"), (QStringList{"Nr a", "Nr b"}));
}

TEST(ReportFonts, ReportFamiliesResolveToInstalledLiberationFaces) {
    EXPECT_EQ(QFontInfo(reportQFont({QStringLiteral("Arial"), 10})).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(reportQFont({QStringLiteral("Times New Roman"), 12, true})).family(),
              QStringLiteral("Liberation Serif"));
    // metrics scale with the size and do not depend on the screen
    const FontSpec small{QStringLiteral("Arial"), 8}, big{QStringLiteral("Arial"), 16};
    const QString s = QStringLiteral("Sold final / De reportat :");
    EXPECT_NEAR(textWidthMm(big, s), 2 * textWidthMm(small, s), 0.05 * textWidthMm(small, s));
    // a word longer than its box is cut between characters rather than overflowing
    const QStringList cut = wrapText(small, QStringLiteral("Supercalifragilisticexpialidocious"), 10);
    EXPECT_GT(cut.size(), 1);
    EXPECT_EQ(cut.join(QString()), QStringLiteral("Supercalifragilisticexpialidocious"));
}
