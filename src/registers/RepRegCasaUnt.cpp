#include "registers/RepRegCasaUnt.h"

#include "data/Clock.h"
#include "data/Format.h"
#include "data/Money.h"
#include "data/UnitKind.h"
#include "reports/Intrvdlg.h"

namespace registers {

namespace {

// Title, day heading, rows, day's end, signatures and the page label. %1 to %4:
// the account's Incasari, Ridicari, Plati, Depuneri; %5 its balance; %6 the
// title; %7 and %8 the unit lines' option and width.
const char* const kLayout = R"LAYOUT(
report title="Raport registru incasari si plati" paper=9 orientation=portrait margins=10,10,7,5 font="Arial" size=8
band QRBand1 title 24.5
  field QRDBText1 2.1 2.1 %8 4 TParohia.Arhiepiscopia %7
  field QRDBText2 2.1 6.3 %8 4 TParohia.Protopopiatul %7
  field QRDBText3 2.1 10.6 %8 4 TParohia.Parohia %7
  label CodFiscalLbl 2.1 14.9 76.5 4 ""
  label QRLabel1 80.4 12.7 80 6 "%6" font="Times New Roman" size=12 bold
  label PeriodLbl 80.4 18.7 80 4.5 "" size=10
# one group per day: the previous balance and the totals carried forward
# never the last line of a page; a page that starts inside the day repeats
# its date and the column captions
band QRGroup1 groupheader 17.2 group="TRegistru.Data" footer=GroupFooterBand keepnext=6.6 continued=QRGroup1Cont
  field QRDBText4 73.4 1.1 40 5 TRegistru.Data align=center size=10 bold
  rect 0 6.3 195 10.9
  hline 0 11.8 195
  vlines 6.3 5.5 10.1 22.2 33.9
  vlines 6.3 10.9 123.3 140.5 157.7 176.5
  label QRLabel2 0.5 6.9 9.1 4 "Nr crt" align=center
  label QRLabel3 10.6 6.9 11.1 4 "Tip doc." align=center
  label QRLabel4 22.7 6.9 10.7 4 "Nr. doc." align=center
  label QRLabel5 34.4 6.9 88.4 4 "Explicatii" align=center size=10
  label QRLabel6 123.8 6.9 16.2 4 "Incasari" align=center
  label QRLabel7 141.0 6.9 16.2 4 "Ridicari" align=center
  label QRLabel8 158.2 6.9 17.8 4 "Plati" align=center
  label QRLabel9 177.0 6.9 17.5 4 "Depuneri" align=center
  label QRLabel12 1.0 12.5 80 4 "Sold ziua precedenta / Report :"
  label QRExpr10 107.7 12.5 15.3 4 "" align=right
  expr QRExpr5 123.8 12.5 16.2 4 "SUM(TRegistru.%1)" mask="#,##0.00" align=right
  expr QRExpr6 141.0 12.5 16.2 4 "SUM(TRegistru.%2)" mask="#,##0.00" align=right
  expr QRExpr7 158.2 12.5 17.8 4 "SUM(TRegistru.%3)" mask="#,##0.00" align=right
  expr QRExpr8 177.0 12.5 17.5 4 "SUM(TRegistru.%4)" mask="#,##0.00" align=right
band QRGroup1Cont child 12.0
  field ContDataTxt 73.4 1.1 40 5 TRegistru.Data align=center size=10 bold
  label ContLbl 114.0 1.6 40 4 "(continuare)"
  rect 0 6.3 195 5.7
  vlines 6.3 5.7 10.1 22.2 33.9 123.3 140.5 157.7 176.5
  label ContLabel2 0.5 7.1 9.1 4 "Nr crt" align=center
  label ContLabel3 10.6 7.1 11.1 4 "Tip doc." align=center
  label ContLabel4 22.7 7.1 10.7 4 "Nr. doc." align=center
  label ContLabel5 34.4 7.1 88.4 4 "Explicatii" align=center size=10
  label ContLabel6 123.8 7.1 16.2 4 "Incasari" align=center
  label ContLabel7 141.0 7.1 16.2 4 "Ridicari" align=center
  label ContLabel8 158.2 7.1 17.8 4 "Plati" align=center
  label ContLabel9 177.0 7.1 17.5 4 "Depuneri" align=center
band DetailBand1 detail 6.6
  rect 0 0 195 6.6
  vlines 0 6.6 10.1 22.2 33.9 123.3 140.5 157.7 176.5
  label QRLabel10 0.5 1.3 9.1 4 "" align=center
  field QRDBText5 10.6 1.3 11.1 4 TRegistru.Fel wrap shrink stretch
  field QRDBText6 22.7 1.3 10.7 4 TRegistru.Nr_doc
  field QRDBText7 34.4 1.3 88.4 4 TRegistru.Explicatii
  field QRDBText8 123.8 1.3 16.2 4 TRegistru.%1 align=right
  field QRDBText9 141.0 1.3 16.2 4 TRegistru.%2 align=right
  field QRDBText10 158.2 1.3 17.8 4 TRegistru.%3 align=right
  field QRDBText11 177.0 1.3 17.5 4 TRegistru.%4 align=right
# the end of the day: its balance and the totals to carry forward, with the
# day's last row
band GroupFooterBand groupfooter 6.9 notalone=6.6
  rect 0 0 195 6.9
  vlines 0 6.9 123.3 140.5 157.7 176.5
  label QRLabel13 1.0 1.4 80 4 "Sold final / De reportat :"
  field QRExpr9 107.7 1.4 15.3 4 TRegistru.%5 align=right
  expr QRExpr1 123.8 1.4 16.2 4 "SUM(TRegistru.%1)" mask="#,##0.00" align=right
  expr QRExpr2 141.0 1.4 16.2 4 "SUM(TRegistru.%2)" mask="#,##0.00" align=right
  expr QRExpr3 158.2 1.4 17.8 4 "SUM(TRegistru.%3)" mask="#,##0.00" align=right
  expr QRExpr4 177.0 1.4 17.5 4 "SUM(TRegistru.%4)" mask="#,##0.00" align=right
# the signatures, never alone on a page
band SummaryBand1 summary 16 notalone=20
  label QRLabel14 20 5 60 4 "" bold
  field QRDBText12 20 9.5 70 4 TParohia.Preot
  label QRLabel15 125 5 60 4 "" bold
  field QRDBText13 125 9.5 70 4 TParohia.Epitrop
band PageFooterBand pagefooter 7.4
  sysdata PageNumberLabel 71.2 1.5 25.1 4.5 pagenumber text="Pag." align=right size=10
)LAYOUT";

const QString kStatusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Peisaj");

QString money(double v) { return QString::fromStdString(data::formatAmount(v)); }

template <class Frm>
reports::RunResult runRegister(QWidget* owner, std::optional<reports::Interval> interval,
                               const reports::ReportOutput& output) {
    if (!interval) {
        reports::Interval asked{data::today(), data::today()};
        if (!reports::SelectInterval(owner, asked.start, asked.stop)) return reports::RunResult::Cancelled;
        interval = asked;
    }
    reports::ReportRunOptions options;
    options.statusText = kStatusText;
    options.fontSize = 8;
    options.orientation = reports::Orientation::Portrait;
    options.emptyDataCheck = true;
    options.countPages = true;
    const reports::Interval i = *interval;
    return reports::RunReport(
        owner, options, [i](QWidget* o) { return std::make_unique<Frm>(o, i.start, i.stop); }, output);
}

}  // namespace

const RegisterAccount kCasa{
    "REGISTRU DE CASA",
    "Registru de casa",
    {"IncasariC", "RidicariC", "PlatiC", "DepuneriC"},
    "SoldC",
    "DELETE FROM \"Registru.DB\" WHERE (Data > :Stop) OR ((IncasariC = 0.0) AND (RidicariC = 0.0) AND (PlatiC = 0.0) "
    "AND (DepuneriC = 0.0))",
    true};
const RegisterAccount kBanca{
    "REGISTRU DE BANCA",
    "Registru de banca",
    {"IncasariB", "RidicariB", "PlatiB", "DepuneriB"},
    "SoldB",
    "DELETE FROM \"Registru.DB\" WHERE (Data > :Stop) OR ((IncasariB = 0.0) AND (RidicariB = 0.0) AND (PlatiB = 0.0) "
    "AND (DepuneriB = 0.0))",
    false};

const QString TRepRegCasaFrm::caption = QStringLiteral("Raport registru");

void ApplyUnitLines(reports::Report& rep, data::DataSet& parohia) {
    const data::UnitIdentity unit = data::readUnitIdentity(parohia);
    rep.item(QStringLiteral("CodFiscalLbl")).caption = QString::fromStdString(unit.fiscalCodeLine());
    rep.item(QStringLiteral("QRLabel14")).caption = QString::fromUtf8(unit.captions().headSignature);
    rep.item(QStringLiteral("QRLabel15")).caption = QString::fromUtf8(unit.captions().accountantSignature);
}

TRepRegCasaFrm::TRepRegCasaFrm(QWidget* owner, const data::Date& start, const data::Date& stop,
                               const RegisterAccount& account)
    : reports::TReportForm(owner), account_(account), start_(start), stop_(stop) {
    const auto& c = account.columns;
    QFilterReg.queryName = "QFilterReg";
    QFilterReg.setSql(account.filter);
    // the work table in its natural order (ascending dates, the rows of a day
    // in the order they were made), read in one statement
    TRegistru.queryName = "TRegistru";
    TRegistru.setSql(std::string("SELECT Data, Nr_doc, Fel, Explicatii, ") + c[0] + ", " + c[1] + ", " + c[2] + ", " +
                     c[3] + ", " + account.balance + "\nFROM \"Registru.DB\" ORDER BY Data, Id");
    for (const char* f : {c[0], c[1], c[2], c[3], account.balance}) TRegistru.setup(f).asAmount();
    TParohia.setTableName("Parohia.DB");
    Rep.setDataSet(&TRegistru, QStringLiteral("TRegistru"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    Rep.loadLayout(QString::fromUtf8(kLayout).arg(
        QString::fromLatin1(c[0]), QString::fromLatin1(c[1]), QString::fromLatin1(c[2]), QString::fromLatin1(c[3]),
        QString::fromLatin1(account.balance), QString::fromLatin1(account.title),
        account.wrapUnitLines ? QStringLiteral("shrink") : QStringLiteral("autosize"),
        account.wrapUnitLines ? QStringLiteral("76.5") : QStringLiteral("100")));
    Rep.title = QString::fromUtf8(account.sheet);  // the document and file name: "Registru de casa"

    // every generation numbers its rows from 1 (the page count, then the output)
    Rep.beforePrint = [this](reports::Report&, bool&) { counter_ = 1; };
    // rows before the interval feed the sums and the previous balance unseen
    auto inInterval = [this](reports::Band&, bool& print) { print = TRegistru["Data"].asDate() >= start_; };
    for (const char* band : {"QRGroup1", "DetailBand1", "GroupFooterBand"})
        Rep.band(QString::fromLatin1(band)).beforePrint = inInterval;
    Rep.band(QStringLiteral("DetailBand1")).afterPrint = [this](reports::Band&, bool printed) {
        if (printed) ++counter_;
    };
    Rep.item(QStringLiteral("QRLabel10")).onPrint = [this](reports::Item&, QString& text) {
        text = QString::number(counter_);
    };
    TRegistru.beforeScroll = [this](data::DataSet& ds) { previous_ = ds[account_.balance].asFloat(); };
    Rep.item(QStringLiteral("QRExpr10")).onPrint = [this](reports::Item&, QString& text) {
        text = money(TRegistru.recNo() == 1 ? 0.0 : previous_);
    };
    for (const char* carried : {"QRExpr5", "QRExpr6", "QRExpr7", "QRExpr8"})
        Rep.item(QString::fromLatin1(carried)).onPrint = [this](reports::Item&, QString& text) {
            if (TRegistru.recNo() == 1) text = money(0.0);
        };
    Rep.item(QStringLiteral("PageNumberLabel")).onPrint = [this](reports::Item&, QString& text) {
        text += QStringLiteral(" din ") + QString::number(pageCount);
    };
}

TRepRegCasaFrm::~TRepRegCasaFrm() = default;

void TRepRegCasaFrm::openData() {
    QFilterReg.setParam("Stop", data::Value(stop_));
    QFilterReg.execSql();
    TRegistru.open();
    TParohia.open();
    TParohia.first();
    ApplyUnitLines(Rep, TParohia);
    Rep.item(QStringLiteral("PeriodLbl")).caption = QString::fromStdString(reports::PeriodLine(start_, stop_));
}

bool TRepRegCasaFrm::hasData() { return TRegistru.active() && !TRegistru.isEmpty(); }

void TRepRegCasaFrm::closeData() {
    TRegistru.close();
    TParohia.close();
}

std::optional<exports::DataTable> TRepRegCasaFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = account_.sheet;
    t.head.titleLines = reports::UnitLines(TParohia, {"Arhiepiscopia", "Protopopiatul", "Parohia"});
    if (const data::UnitIdentity unit = data::readUnitIdentity(TParohia); !unit.fiscalCode.empty())
        t.head.titleLines.push_back(unit.fiscalCodeLine());
    t.head.titleLines.push_back(account_.title);
    t.head.titleLines.push_back(reports::PeriodLine(start_, stop_));
    t.head.columns = {{"Rand", K::Text},       {"Nr crt", K::Integer},   {"Data", K::Date},
                      {"Tip doc.", K::Text},   {"Nr. doc.", K::Integer}, {"Explicatii", K::Text},
                      {"Incasari", K::Amount}, {"Ridicari", K::Amount},  {"Plati", K::Amount},
                      {"Depuneri", K::Amount}, {"Sold", K::Amount}};
    constexpr int kFirstAmount = 6, kBalance = 10;
    data::Bani sums[4] = {}, balance = 0;
    auto dayRow = [&](const char* label, const data::Date& d, bool closing) {
        exports::Row& r = t.addRow(closing);
        r.cells[0] = Cell::of(label);
        r.cells[2] = Cell::day(d);
        for (int i = 0; i < 4; ++i) r.cells[kFirstAmount + i] = Cell::amount(sums[i]);
        r.cells[kBalance] = Cell::amount(balance);
    };
    // the rows before the interval feed the sums and the balance unseen
    std::optional<data::Date> day;
    long long counter = 1;
    for (TRegistru.first(); !TRegistru.eof(); TRegistru.next()) {
        const data::Date d = TRegistru["Data"].asDate();
        if (day != d) {
            if (day && *day >= start_) dayRow("Sold final / De reportat", *day, true);
            if (d >= start_) dayRow("Sold ziua precedenta / Report", d, false);
            day = d;
        }
        data::Bani amounts[4];
        for (int i = 0; i < 4; ++i) {
            amounts[i] = data::toBani(TRegistru[account_.columns[i]].asFloat());
            sums[i] += amounts[i];
        }
        balance = data::toBani(TRegistru[account_.balance].asFloat());
        if (d < start_) continue;
        exports::Row& r = t.addRow();
        r.cells[1] = Cell::integer(counter++);
        r.cells[2] = Cell::day(d);
        r.cells[3] = Cell::fromValue(TRegistru["Fel"].value(), K::Text);
        r.cells[4] = Cell::fromValue(TRegistru["Nr_doc"].value(), K::Integer);
        r.cells[5] = Cell::fromValue(TRegistru["Explicatii"].value(), K::Text);
        for (int i = 0; i < 4; ++i) r.cells[kFirstAmount + i] = Cell::amount(amounts[i]);
        r.cells[kBalance] = Cell::amount(balance);
    }
    if (day && *day >= start_) dayRow("Sold final / De reportat", *day, true);
    return t;
}

reports::RunResult RunRegistruCasa(QWidget* owner, std::optional<reports::Interval> interval,
                                   const reports::ReportOutput& output) {
    return runRegister<TRepRegCasaFrm>(owner, interval, output);
}

reports::RunResult RunRegistruBanca(QWidget* owner, std::optional<reports::Interval> interval,
                                    const reports::ReportOutput& output) {
    return runRegister<TRepRegBancaFrm>(owner, interval, output);
}

}  // namespace registers
