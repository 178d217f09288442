#include "registers/RepRegPartiziUnt.h"

#include "data/Money.h"
#include "data/UnitKind.h"
#include "registers/RepRegCasaUnt.h"

namespace registers {

namespace {

// %1 the title, %2 the type caption, %3 the type's name, %4 the caption's
// width, %5 the left end of the name's underline, %6 column 3's caption, %7
// and %8 the number and explanation fields.
const char* const kLayout = R"LAYOUT(
report title="%1" paper=9 orientation=portrait margins=10,10,7,5 font="Arial" size=8
band TitleBand title 38.9
  field QRDBText1 2.1 2.1 90 4 TParohia.Arhiepiscopia size=8 shrink
  field QRDBText2 2.1 6.3 90 4 TParohia.Protopopiatul size=8 shrink
  field QRDBText3 2.1 10.6 90 4 TParohia.Parohia size=8 shrink
  label CodFiscalLbl 2.1 14.9 40 4 "" size=8 shrink
  label QRLabel1 12.7 14.8 183.4 10 "%1" align=center font="Times New Roman" size=22 bold
  label QRLabel2 14.8 31.8 %4 5.5 "%2" size=12 shrink
  %3
  hline %5 36.0 144.2
# the heading of the table, on every page
band QRBand2 columnheader 27.0
  hline 11.9 0 184.4 pen=0.5
  hline 11.9 27.0 184.4 pen=0.5
  vlines 0 27.0 11.9 41.0 60.9 152.1 169.3 196.3 pen=0.5
  hline 11.9 6.6 29.1
  hline 11.9 21.2 184.4
  vlines 6.6 14.6 22.5 31.2
  label QRLabel3 11.9 1.3 29.1 4 "Data" align=center
  label QRLabel4 11.9 11.5 10.6 4 "Ziua" align=center
  label QRLabel5 22.5 11.5 8.7 4 "Luna" align=center
  label QRLabel6 31.2 11.5 9.8 4 "Anul" align=center
  label QRLabel7 41.5 6.8 18.9 8.5 "Nr. actului" align=center wrap
  %6
  label QRLabel9 152.6 8.6 16.2 4 "SUMA" align=center
  label QRLabel10 169.8 6.8 26.0 8.5 "   TOTAL CUMULAT" align=center wrap
  label NrColoana1 12.4 22.2 28.1 4 "1" align=center
  label NrColoana2 41.5 22.2 18.9 4 "2" align=center
  label NrColoana3 61.4 22.2 90.2 4 "3" align=center
  label NrColoana4 152.6 22.2 16.2 4 "4" align=center
  label NrColoana5 169.8 22.2 26.0 4 "5" align=center
band DetailBand1 detail 6.6
  vlines 0 6.6 11.9 41.0 60.9 152.1 169.3 196.3 pen=0.5
  hline 11.9 6.1 184.4
  field QRDBText4 12.4 1.1 28.1 4 Q.Data align=center
  field QRDBText5 41.5 1.1 18.9 4 Q.%7 align=right
  field QRDBText6 61.4 1.1 90.2 4 Q.%8
  field QRDBText7 152.6 1.1 16.2 4 Q.Valoarea align=right
  label TotalLbl 169.8 1.1 26.0 4 "" align=right
# the signatures, never alone on a page
band SummaryBand1 summary 16 notalone=20
  label QRLabel14 20 5 60 4 "" bold
  field QRDBText8 20 9.5 70 4 TParohia.Preot
  label QRLabel15 125 5 60 4 "" bold
  field QRDBText9 125 9.5 70 4 TParohia.Epitrop
band PageFooterBand pagefooter 7.4
  sysdata PageNumberLabel 71.2 1.5 25.1 4.5 pagenumber text="Pag." align=right
)LAYOUT";

const QString kStatusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret");

// Every stored receipt of the type gives its own row, also two alike in
// every column.
const char* const QIncasari =
    "SELECT Data, Nr_act, Cod_venit, Fel, Den_venit, Explicatie, Valoarea FROM \"Venituri.DB\"\n"
    "WHERE (Cod_venit = :Cod)\n"
    "ORDER BY Data, Nr_act, Cod_venit, Fel, Den_venit, Explicatie, Valoarea";
// Every payment of the expense fill gives its own row.
const char* const QPlati =
    "SELECT Data, Nr_doc, Fel, Explicatii, PlatiC As Valoarea FROM \"Registru.DB\"\n"
    "ORDER BY Data, Nr_doc, Fel, Explicatii, Valoarea";

const char* const QTipCheltuieli = "SELECT Denumire FROM \"Tip_cheltuieli.DB\" WHERE (Cod_cheltuiala = :Cod)";

reports::RunResult run(QWidget* owner, const std::function<std::unique_ptr<reports::TReportForm>(QWidget*)>& create,
                       const reports::ReportOutput& output) {
    reports::ReportRunOptions options;
    options.statusText = kStatusText;
    options.fontSize = std::nullopt;  // the size the user or the last report left
    options.orientation = reports::Orientation::Portrait;
    options.countPages = true;
    return reports::RunReport(owner, options, create, output);
}

}  // namespace

TRepRegPartiziFrm::TRepRegPartiziFrm(QWidget* owner, const Kind& kind, const char* sql)
    : reports::TReportForm(owner), kind_(kind) {
    Q.queryName = "Q";
    Q.setSql(sql);
    Q.setup("Valoarea").asAmount();
    TParohia.setTableName("Parohia.DB");
    Rep.setDataSet(&Q, QStringLiteral("Q"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    const QString left = QString::fromUtf8(kind.underlineLeft);
    Rep.loadLayout(QString::fromUtf8(kLayout)
                       .arg(QString::fromUtf8(kind.title), QString::fromUtf8(kind.typeCaption),
                            QString::fromUtf8(kind.typeNameItem), QString::number(left.toDouble() - 14.8 - 0.3), left,
                            QString::fromUtf8(kind.explanationCaption), QString::fromUtf8(kind.number))
                       .arg(QString::fromUtf8(kind.explanation)));
    // the total starts again at every generation, from the first row's
    // amount; it adds the amounts as they print, to the ban
    Rep.beforePrint = [this](reports::Report&, bool&) {
        Q.first();
        total_ = Q.isEmpty() ? 0 : data::toBani(Q["Valoarea"].asFloat());
    };
    Rep.item(QStringLiteral("TotalLbl")).onPrint = [this](reports::Item&, QString& text) {
        if (Q.recNo() != 1) total_ += data::toBani(Q["Valoarea"].asFloat());
        text = QString::fromStdString(data::formatAmountBani(total_));
    };
    Rep.item(QStringLiteral("PageNumberLabel")).onPrint = [this](reports::Item&, QString& text) {
        text += QStringLiteral(" din ") + QString::number(pageCount);
    };
}

TRepRegPartiziFrm::~TRepRegPartiziFrm() = default;

void TRepRegPartiziFrm::openRows() {
    Q.open();
    TParohia.open();
    TParohia.first();
    ApplyUnitLines(Rep, TParohia);
}

void TRepRegPartiziFrm::closeData() {
    Q.close();
    TParohia.close();
}

std::optional<exports::DataTable> TRepRegPartiziFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = kind_.title;
    t.head.titleLines = reports::UnitLines(TParohia, {"Arhiepiscopia", "Protopopiatul", "Parohia"});
    if (const data::UnitIdentity unit = data::readUnitIdentity(TParohia); !unit.fiscalCode.empty())
        t.head.titleLines.push_back(unit.fiscalCodeLine());
    t.head.titleLines.push_back(kind_.title);
    t.head.titleLines.push_back(std::string(kind_.typeCaption) + ": " + typeName());
    // the total column named as the page heads it, whole (it wraps there)
    t.head.columns = {{"Rand", K::Text},
                      {"Data", K::Date},
                      {"Nr. actului", K::Integer},
                      {"Explicatia", K::Text},
                      {"Suma", K::Amount},
                      {Rep.item(QStringLiteral("QRLabel10")).caption.trimmed().toStdString(), K::Amount}};
    data::Bani total = 0;
    std::optional<data::Date> first, last;
    for (Q.first(); !Q.eof(); Q.next()) {
        const data::Date d = Q["Data"].asDate();
        if (!first) first = d;
        last = d;
        const data::Bani v = data::toBani(Q["Valoarea"].asFloat());
        total += v;
        exports::Row& r = t.addRow();
        r.cells[1] = Cell::day(d);
        r.cells[2] = Cell::fromValue(Q[kind_.number].value(), K::Integer);
        r.cells[3] = Cell::fromValue(Q[kind_.explanation].value(), K::Text);
        r.cells[4] = Cell::amount(v);
        r.cells[5] = Cell::amount(total);
    }
    if (!first) return t;
    t.head.titleLines.push_back(reports::PeriodLine(*first, *last));
    exports::Row& r = t.addRow(true);
    r.cells[0] = Cell::of("Total");
    r.cells[4] = Cell::amount(total);
    r.cells[5] = Cell::amount(total);
    return t;
}

// ---------------------------------------------------------------- income ledger

const QString TRepRegVenFrm::caption = QStringLiteral("Registru partizi venituri");

TRepRegVenFrm::TRepRegVenFrm(QWidget* owner, int cod)
    : TRepRegPartiziFrm(
          owner,
          {"Registru partizi venituri", "Natura venitului",
           "field QRDBText10 44.5 31.8 144.2 4.5 Q.Den_venit align=center size=10 bold shrink", "44.5",
           "label QRLabel8 61.4 7.0 90.2 4 \"EXPLICATIA VENITURILOR\" align=center\n"
           "  label QRLabel18 61.4 11.5 90.2 4 \"(contributie,donatii,disc, lumanari, etc.)\" align=center",
           "Nr_act", "Explicatie"},
          QIncasari),
      cod_(cod) {}

std::string TRepRegVenFrm::typeName() {
    if (Q.isEmpty()) return {};
    Q.first();
    return Q["Den_venit"].asString();
}

void TRepRegVenFrm::openData() {
    Q.setParam("Cod", data::Value(cod_));
    openRows();
}

// ---------------------------------------------------------------- expense ledger

const QString TRepRegCheltFrm::caption = QStringLiteral("Raport registru partizi cheltuieli");

TRepRegCheltFrm::TRepRegCheltFrm(QWidget* owner, int cod)
    : TRepRegPartiziFrm(
          owner,
          {"Registru partizi cheltuieli", "Natura cheltuielii",
           "label QRLabel13 46.6 31.8 144.2 4.5 \"\" align=center size=10 bold shrink", "46.6",
           "label QRLabel8 61.4 8.6 90.2 4 \"EXPLICATIA CHELTUIELILOR\" align=center", "Nr_doc", "Explicatii"},
          QPlati),
      cod_(cod) {
    Rep.item(QStringLiteral("QRLabel13")).onPrint = [this](reports::Item&, QString& text) {
        text = QString::fromStdString(typeName());
    };
}

// the name of the chosen type, looked up in its catalog
std::string TRepRegCheltFrm::typeName() {
    data::Query tip;
    tip.setSql(QTipCheltuieli);
    tip.setParam("Cod", data::Value(cod_));
    tip.open();
    std::string name = tip.isEmpty() ? std::string() : tip["Denumire"].asString();
    tip.close();
    return name;
}

void TRepRegCheltFrm::openData() { openRows(); }

reports::RunResult RunRegistruPartiziVenituri(QWidget* owner, int cod, const reports::ReportOutput& output) {
    return run(
        owner, [cod](QWidget* o) { return std::make_unique<TRepRegVenFrm>(o, cod); }, output);
}

reports::RunResult RunRegistruPartiziCheltuieli(QWidget* owner, int cod, const reports::ReportOutput& output) {
    return run(
        owner, [cod](QWidget* o) { return std::make_unique<TRepRegCheltFrm>(o, cod); }, output);
}

}  // namespace registers
