#include "registers/RepRegUnt.h"

#include <iterator>
#include <string>

#include "data/Money.h"
#include "data/UnitKind.h"

namespace registers {

namespace {

const QString kStatusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Peisaj");

// Fifteen numbered columns; every amount, the sums carried forward and to
// carry included, prints "#,##0.00".
const char* const kLayout = R"LAYOUT(
report title="Registru de incasari si plati" paper=9 orientation=landscape margins=10,10,5,7 font="Arial" size=8
# page header: the totals carried from the previous page (none on the first page)
band QRBand1 pageheader 7.4 firstpage=no
  rect 0 0 284.4 7.4
  vlines 0 7.4 95.8 113.0 130.2 148.7 167.2 185.7 201.6 218.8 232.0 246.6 265.1
  label QRLabel44 82.5 1.7 13 4 "Report :"
  expr QRExpr1 96.3 1.7 16.2 4 "SUM(TRegistru.IncasariC)" mask="#,##0.00" align=right
  expr QRExpr2 113.5 1.7 16.2 4 "SUM(TRegistru.RidicariC)" mask="#,##0.00" align=right
  expr QRExpr3 130.7 1.7 17.5 4 "SUM(TRegistru.PlatiC)" mask="#,##0.00" align=right
  expr QRExpr4 149.2 1.7 17.5 4 "SUM(TRegistru.DepuneriC)" mask="#,##0.00" align=right
  expr QRExpr5 186.2 1.7 14.9 4 "SUM(TRegistru.IncasariB)" mask="#,##0.00" align=right
  expr QRExpr6 202.1 1.7 16.2 4 "SUM(TRegistru.DepuneriB)" mask="#,##0.00" align=right
  expr QRExpr7 219.3 1.7 12.2 4 "SUM(TRegistru.PlatiB)" mask="#,##0.00" align=right
  expr QRExpr8 232.5 1.7 13.6 4 "SUM(TRegistru.RidicariB)" mask="#,##0.00" align=right
  label QRLabel41 167.7 1.7 17.5 4 "" align=right
  label QRLabel42 247.1 1.7 17.5 4 "" align=right
  label QRLabel43 265.6 1.7 18.3 4 "" align=right
band QRBand3 title 31
  field UnitTxt1 2.1 1.0 140 4 TParohia.Arhiepiscopia shrink
  field UnitTxt2 2.1 5.0 140 4 TParohia.Protopopiatul shrink
  field UnitTxt3 2.1 9.0 140 4 TParohia.Parohia shrink
  label CodFiscalLbl 2.1 13.0 140 4 ""
  label QRLabel1 40.2 18.5 220 6 "REGISTRU PENTRU EVIDENTA OPERATIUNILOR DE INCASARI SI PLATI PRIN CASA SI PRIN CONT" font="Times New Roman" size=12 bold
  label PeriodLbl 40.2 25.0 220 5 "" size=10
# the column headings, on every page
band QRBand4 columnheader 17.7
  rect 0 0.0 284.4 17.7
  hline 16.7 4.5 20.3
  hline 95.8 4.5 169.3
  hline 0 12.5 284.4
  vlines 0.0 17.7 16.7 37.0 95.8 185.7 265.1
  vlines 4.5 13.2 25.4 113.0 130.2 148.7 167.2 201.6 218.8 232.0 246.6
  label HdrGroup1 16.7 0.6 20.3 4 "Documentul" align=center
  label HdrGroup2 95.8 0.6 89.9 4 "Operatiuni prin casa" align=center
  label HdrGroup3 185.7 0.6 79.4 4 "Operatiuni prin cont" align=center
  label HdrCaption1 0.5 3.6 15.7 4 "Data" align=center
  label HdrCaption2 17.2 6.1 7.7 4 "Felul" align=center
  label HdrCaption3 25.9 6.1 10.6 4 "Nr." align=center
  label HdrCaption4 37.5 3.6 57.8 4 "Explicatii" align=center size=10
  label HdrCaption5 96.3 6.1 16.2 4 "Incasari" align=center
  label HdrCaption6 113.5 5.1 16.2 6 "Ridicari din cont" align=center size=7 wrap
  label HdrCaption7 130.7 6.1 17.5 4 "Plati" align=center
  label HdrCaption8 149.2 5.1 17.5 6 "Depuneri in cont" align=center size=7 wrap
  label HdrCaption9 167.7 6.1 17.5 4 "Sold" align=center
  label HdrCaption10 186.2 6.1 14.9 4 "Incasari" align=center
  label HdrCaption11 202.1 5.1 16.2 6 "Depuneri in cont" align=center size=7 wrap
  label HdrCaption12 219.3 6.1 12.2 4 "Plati" align=center
  label HdrCaption13 232.5 5.1 13.6 6 "Ridicari din cont" align=center size=7 wrap
  label HdrCaption14 247.1 6.1 17.5 4 "Sold" align=center
  label HdrCaption15 265.6 2.4 18.3 7 "Sold total (9+14)" align=center wrap
  label HdrNumber1 0.5 13.1 15.7 4 "1" align=center
  label HdrNumber2 17.2 13.1 7.7 4 "2" align=center
  label HdrNumber3 25.9 13.1 10.6 4 "3" align=center
  label HdrNumber4 37.5 13.1 57.8 4 "4" align=center
  label HdrNumber5 96.3 13.1 16.2 4 "5" align=center
  label HdrNumber6 113.5 13.1 16.2 4 "6" align=center
  label HdrNumber7 130.7 13.1 17.5 4 "7" align=center
  label HdrNumber8 149.2 13.1 17.5 4 "8" align=center
  label HdrNumber9 167.7 13.1 17.5 4 "9" align=center
  label HdrNumber10 186.2 13.1 14.9 4 "10" align=center
  label HdrNumber11 202.1 13.1 16.2 4 "11" align=center
  label HdrNumber12 219.3 13.1 12.2 4 "12" align=center
  label HdrNumber13 232.5 13.1 13.6 4 "13" align=center
  label HdrNumber14 247.1 13.1 17.5 4 "14" align=center
  label HdrNumber15 265.6 13.1 18.3 4 "15" align=center
band DetailBand1 detail 6.6
  rect 0 0 284.4 6.6
  vlines 0 6.6 16.7 25.4 37.0 95.8 113.0 130.2 148.7 167.2 185.7 201.6 218.8 232.0 246.6 265.1
  field QRDBText1 0.5 1.3 15.7 4 TRegistru.Data
  field QRDBText2 17.2 1.3 7.7 4 TRegistru.Fel shrink
  field QRDBText3 25.9 1.3 10.6 4 TRegistru.Nr_doc
  field QRDBText4 37.5 1.3 57.8 4 TRegistru.Explicatii
  field QRDBText5 96.3 1.3 16.2 4 TRegistru.IncasariC align=right
  field QRDBText6 113.5 1.3 16.2 4 TRegistru.RidicariC align=right
  field QRDBText7 130.7 1.3 17.5 4 TRegistru.PlatiC align=right
  field QRDBText8 149.2 1.3 17.5 4 TRegistru.DepuneriC align=right
  field SoldCDBTxt 167.7 1.3 17.5 4 TRegistru.SoldC align=right
  field QRDBText10 186.2 1.3 14.9 4 TRegistru.IncasariB align=right
  field QRDBText11 202.1 1.3 16.2 4 TRegistru.DepuneriB align=right
  field QRDBText12 219.3 1.3 12.2 4 TRegistru.PlatiB align=right
  field QRDBText13 232.5 1.3 13.6 4 TRegistru.RidicariB align=right
  field SoldBDBTxt 247.1 1.3 17.5 4 TRegistru.SoldB align=right
  field SoldTDBTxt 265.6 1.3 18.3 4 TRegistru.SoldT align=right
# page footer: the totals to carry to the next page, "Total general :" on the last
band PageFooterBand pagefooter 11.4
  rect 0 0 284.4 6.6
  vlines 0 6.6 95.8 113.0 130.2 148.7 167.2 185.7 201.6 218.8 232.0 246.6 265.1
  sysdata PageNumberLabel 3.4 1.3 30 4 pagenumber text="Pag."
  label QRLabel12 74.1 1.3 21.2 4 "De reportat :"
  expr QRExpr9 96.3 1.3 16.2 4 "SUM(TRegistru.IncasariC)" mask="#,##0.00" align=right
  expr QRExpr10 113.5 1.3 16.2 4 "SUM(TRegistru.RidicariC)" mask="#,##0.00" align=right
  expr QRExpr11 130.7 1.3 17.5 4 "SUM(TRegistru.PlatiC)" mask="#,##0.00" align=right
  expr QRExpr12 149.2 1.3 17.5 4 "SUM(TRegistru.DepuneriC)" mask="#,##0.00" align=right
  expr QRExpr13 186.2 1.3 14.9 4 "SUM(TRegistru.IncasariB)" mask="#,##0.00" align=right
  expr QRExpr14 202.1 1.3 16.2 4 "SUM(TRegistru.DepuneriB)" mask="#,##0.00" align=right
  expr QRExpr15 219.3 1.3 12.2 4 "SUM(TRegistru.PlatiB)" mask="#,##0.00" align=right
  expr QRExpr16 232.5 1.3 13.6 4 "SUM(TRegistru.RidicariB)" mask="#,##0.00" align=right
  label QRLabel38 167.7 1.3 17.5 4 "" align=right
  label QRLabel39 247.1 1.3 17.5 4 "" align=right
  label QRLabel40 265.6 1.3 18.3 4 "" align=right
)LAYOUT";

// The work table in its natural order (ascending dates, the rows of a day in
// the order they were made), read in one statement.
const char* const kSql =
    "SELECT Data, Nr_doc, Fel, Explicatii, IncasariC, RidicariC, PlatiC, DepuneriC, SoldC,\n"
    "  IncasariB, DepuneriB, PlatiB, RidicariB, SoldB, SoldT\n"
    "FROM \"Registru.DB\" ORDER BY Data, Id";

const char* const kAmounts[] = {"IncasariC", "RidicariC", "PlatiC",    "DepuneriC", "SoldC", "IncasariB",
                                "DepuneriB", "PlatiB",    "RidicariB", "SoldB",     "SoldT"};

}  // namespace

const QString TRepRegFrm::caption = QStringLiteral("Raport registru");

TRepRegFrm::TRepRegFrm(QWidget* owner) : reports::TReportForm(owner) {
    TRegistru.queryName = "TRegistru";
    TRegistru.setSql(kSql);
    for (const char* f : kAmounts) TRegistru.setup(f).asAmount();
    TParohia.setTableName("Parohia.DB");
    Rep.setDataSet(&TRegistru, QStringLiteral("TRegistru"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    Rep.loadLayout(QString::fromUtf8(kLayout));

    // The balances that ended the previous page (the header never prints on
    // the first page, where there is nothing carried forward).
    const std::pair<const char*, const char*> carried[] = {
        {"QRLabel41", "SoldCDBTxt"}, {"QRLabel42", "SoldBDBTxt"}, {"QRLabel43", "SoldTDBTxt"}};
    for (const auto& [label, balance] : carried) {
        reports::Item* last = &Rep.item(QString::fromLatin1(balance));
        Rep.item(QString::fromLatin1(label)).onPrint = [this, last](reports::Item&, QString& text) {
            text = TRegistru.recNo() == 1 ? QString() : last->lastPrinted();
        };
    }
    // The balances of the page's last row.
    const std::pair<const char*, const char*> toCarry[] = {
        {"QRLabel38", "SoldCDBTxt"}, {"QRLabel39", "SoldBDBTxt"}, {"QRLabel40", "SoldTDBTxt"}};
    for (const auto& [label, balance] : toCarry) {
        reports::Item* last = &Rep.item(QString::fromLatin1(balance));
        Rep.item(QString::fromLatin1(label)).onPrint = [last](reports::Item&, QString& text) {
            text = last->lastPrinted();
        };
    }
    // The last page's footer holds the year's totals.
    Rep.item(QStringLiteral("QRLabel12")).onPrint = [this](reports::Item&, QString& text) {
        if (TRegistru.eof()) text = QStringLiteral("Total general :");
    };
}

TRepRegFrm::~TRepRegFrm() = default;

void TRepRegFrm::openData() {
    TRegistru.open();
    TParohia.open();
    TParohia.first();
    Rep.item(QStringLiteral("CodFiscalLbl")).caption =
        QString::fromStdString(data::readUnitIdentity(TParohia).fiscalCodeLine());
    // the period: the days of the first and the last movement
    if (TRegistru.isEmpty()) return;
    TRegistru.last();
    const data::Date last = TRegistru["Data"].asDate();
    TRegistru.first();
    Rep.item(QStringLiteral("PeriodLbl")).caption =
        QString::fromStdString(reports::PeriodLine(TRegistru["Data"].asDate(), last));
}

void TRepRegFrm::closeData() {
    TRegistru.close();
    TParohia.close();
}

std::optional<exports::DataTable> TRepRegFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = "Registru incasari si plati";
    t.head.landscape = true;
    t.head.titleLines = reports::UnitLines(TParohia, {"Arhiepiscopia", "Protopopiatul", "Parohia"});
    if (const data::UnitIdentity unit = data::readUnitIdentity(TParohia); !unit.fiscalCode.empty())
        t.head.titleLines.push_back(unit.fiscalCodeLine());
    t.head.titleLines.push_back("REGISTRU PENTRU EVIDENTA OPERATIUNILOR DE INCASARI SI PLATI PRIN CASA SI PRIN CONT");
    t.head.columns = {
        {"Rand", K::Text}, {"Data", K::Date}, {"Felul", K::Text}, {"Nr.", K::Integer}, {"Explicatii", K::Text}};
    // the amounts in the order they print, the three balances (kept, not summed) last of each group
    const char* const titles[] = {
        "Casa - Incasari", "Casa - Ridicari din cont", "Casa - Plati", "Casa - Depuneri in cont",  "Casa - Sold",
        "Cont - Incasari", "Cont - Depuneri in cont",  "Cont - Plati", "Cont - Ridicari din cont", "Cont - Sold",
        "Sold total"};
    for (const char* title : titles) t.head.columns.push_back({title, K::Amount});
    constexpr int kFirstAmount = 5;
    auto isBalance = [](const char* field) { return std::string(field).rfind("Sold", 0) == 0; };
    data::Bani totals[std::size(kAmounts)] = {};
    std::optional<data::Date> first, last;
    for (TRegistru.first(); !TRegistru.eof(); TRegistru.next()) {
        exports::Row& r = t.addRow();
        const data::Date d = TRegistru["Data"].asDate();
        if (!first) first = d;
        last = d;
        r.cells[1] = Cell::day(d);
        r.cells[2] = Cell::fromValue(TRegistru["Fel"].value(), K::Text);
        r.cells[3] = Cell::fromValue(TRegistru["Nr_doc"].value(), K::Integer);
        r.cells[4] = Cell::fromValue(TRegistru["Explicatii"].value(), K::Text);
        for (size_t i = 0; i < std::size(kAmounts); ++i) {
            const data::Bani v = data::toBani(TRegistru[kAmounts[i]].asFloat());
            totals[i] = isBalance(kAmounts[i]) ? v : totals[i] + v;
            r.cells[kFirstAmount + i] = Cell::amount(v);
        }
    }
    if (!first) return t;  // no row: nothing to total
    t.head.titleLines.push_back(reports::PeriodLine(*first, *last));
    exports::Row& total = t.addRow(true);
    total.cells[0] = Cell::of("Total general");
    for (size_t i = 0; i < std::size(kAmounts); ++i) total.cells[kFirstAmount + i] = Cell::amount(totals[i]);
    return t;
}

reports::RunResult RunRegistruIncasariPlati(QWidget* owner, const reports::ReportOutput& output) {
    reports::ReportRunOptions options;
    options.statusText = kStatusText;
    options.fontSize = 8;
    options.orientation = reports::Orientation::Landscape;
    return reports::RunReport(
        owner, options, [](QWidget* o) { return std::make_unique<TRepRegFrm>(o); }, output);
}

}  // namespace registers
