#include "stock/RepStocUnt.h"

#include <algorithm>

#include "data/Format.h"
#include "data/Money.h"
#include "reports/Fonts.h"

namespace stock {

namespace {

// An item is held from its entry day on and no longer on its exit day.
const char* const kSql =
    "SELECT DISTINCT ID, Denumire, Descriere, Cantitate, UM, Pret, DataIn, DataOut\n"
    "FROM \"Stoc.DB\" \n"
    "WHERE\n"
    "((DataIn IS NULL) OR (DataIn <= :Data))\n"
    " AND ((DataOut IS NULL) OR (DataOut > :Data))\n"
    "ORDER BY Denumire COLLATE RO, Descriere COLLATE RO, Cantitate, UM, Pret, DataIn, DataOut";

// A ruled table under the column headings; the summary band carries the
// total of the values under the last column, the sum of the values as printed.
const char* const kLayout = R"LAYOUT(
report title="Situatia stocurilor" paper=9 orientation=portrait margins=10,10,7,5 font="Arial" size=8
band PageHeaderBand pageheader 32.8
  field ParohiaTxt 1.1 1.1 150 4 TParohia.Parohia font="Arial" size=8 bold shrink
  label AdresaLbl 0.3 6.6 10.6 4 "Adresa:" align=right font="Arial" size=8
  field AdresaTxt 18.8 6.6 178.3 4 TParohia.Adresa font="Arial" size=8 shrink
  label ProtopopiatLbl 0.8 11.9 17.5 4 "Protopopiatul:" align=right font="Arial" size=8
  field ProtopopiatTxt 18.8 11.9 178.3 4 TParohia.Protopopiatul font="Arial" size=8 shrink
  label TitluLbl 50.8 16.9 62 7 "Situatia stocurilor la data" font="Arial" size=16
  label DataLbl 113.2 16.9 45 7 "" font="Arial" size=16
  rect 0 25.9 197.1 6.6
  vlines 25.9 6.6 10.6 131.2 148.7 159.3 177.3
  label NrCrtLbl 0.7 27.1 9.5 4.5 "Nr crt" align=center font="Arial" size=10 bold shrink
  label DenumireLbl 11.9 27.1 118.8 4.5 "Denumire" font="Arial" size=10 bold
  label CantitateLbl 132.3 27.1 15.3 4.5 "Cantitate" align=center font="Arial" size=10 bold
  label UMLbl 149.2 27.1 9.5 4.5 "U.M." align=center font="Arial" size=10 bold
  label PretLbl 160.1 27.1 16.9 4.5 "Pret" align=center font="Arial" size=10 bold
  label ValoareLbl 177.8 27.1 19.1 4.5 "Valoare" align=center font="Arial" size=10 bold
band DetailBand detail 5.8
  sysdata NrCrtTxt 0.5 0.9 9.3 4 detailno align=center
  field DenDescTxt 11.9 0.9 118.8 4 Q.DenDesc wrap stretch
  field CantitateTxt 132.3 0.9 15.3 4 Q.Cantitate mask="0.00" align=right
  field UMTxt 149.2 0.9 9.5 4 Q.UM align=center
  field PretTxt 160.1 0.9 16.9 4 Q.Pret mask="#,##0.00" align=right
  field ValoareTxt 177.8 0.9 19.1 4 Q.Valoare mask="#,##0.00" align=right
  hline 0 5.8 197.1
  vlines 0 5.8 0 10.6 131.2 148.7 159.3 177.3 197.1
band SummaryBand summary 5.8
  label TotalLbl 132.3 0.9 44.5 4 "TOTAL" align=right bold
  expr TotalTxt 177.8 0.9 19.1 4 "SUM(Q.Valoare)" mask="#,##0.00" align=right bold
  hline 177.3 5.8 19.8
  vlines 0 5.8 177.3 197.1
band PageFooterBand pagefooter 6.9
  sysdata DataTiparireTxt 0 1.5 60 4 date
  sysdata PaginaTxt 164.8 1.5 31.2 4 pagenumber text="Pag." align=right
)LAYOUT";

}  // namespace

const QString TRepStocFrm::caption = QStringLiteral("Raport lista stocurilor");

std::string StockAddress(const std::string& localitatea, const std::string& strada, const std::string& nr,
                         const std::string& judet) {
    return "Loc. " + localitatea + " Str. " + strada + " Nr. " + nr + " Jud. " + judet;
}

TRepStocFrm::TRepStocFrm(QWidget* owner, const data::Date& date) : reports::TReportForm(owner), date_(date) {
    Q.setSql(kSql);
    Q.setDeclaredFields({"ID", "Denumire", "Descriere", "Cantitate", "UM", "Pret", "DataIn", "DataOut"});
    Q.addCalculatedField("Valoare", data::FieldType::Float);
    Q.addCalculatedField("DenDesc", data::FieldType::String, 500);
    Q.setup("Cantitate").displayFormat = "0.00";
    Q.setup("Pret").asAmount();
    Q.setup("Valoare").asAmount();
    Q.onCalcFields = [this](data::DataSet& ds) { QCalcFields(ds); };

    TParohia.setTableName("Parohia.DB");
    TParohia.setDeclaredFields({"Protopopiatul", "Parohia", "Strada", "Nr", "Localitatea", "Judet"});
    TParohia.addCalculatedField("Adresa", data::FieldType::String, 255);
    TParohia.onCalcFields = [this](data::DataSet& ds) { TParohiaCalcFields(ds); };

    Rep.setDataSet(&Q, QStringLiteral("Q"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    Rep.loadLayout(QString::fromUtf8(kLayout));
}

TRepStocFrm::~TRepStocFrm() = default;

void TRepStocFrm::QCalcFields(data::DataSet& ds) {
    // the value as it prints, to the ban: the total adds these
    ds["Valoare"].setAsFloat(data::roundToBan(ds["Cantitate"].asFloat() * ds["Pret"].asFloat()));
    const std::string name = ds["Denumire"].asString();
    const std::string description = ds["Descriere"].asString();
    ds["DenDesc"].setValue(data::Value(description.empty() ? name : name + " - " + description));
}

void TRepStocFrm::TParohiaCalcFields(data::DataSet& ds) {
    ds["Adresa"].setValue(data::Value(StockAddress(ds["Localitatea"].asString(), ds["Strada"].asString(),
                                                   ds["Nr"].asString(), ds["Judet"].asString())));
}

void TRepStocFrm::openData() {
    Q.setParam("Data", data::Value(date_));
    Q.open();
    TParohia.open();
    reports::Item& date = Rep.item(QStringLiteral("DataLbl"));
    date.caption = QString::fromStdString(data::formatShortDate(date_));
    // the title and its date side by side, centred over the table
    reports::Item& title = Rep.item(QStringLiteral("TitluLbl"));
    constexpr double kTableWidth = 197.1, kGap = 2.5;
    title.width = reports::textWidthMm(title.effectiveFont(), title.caption) + 0.5;
    date.width = reports::textWidthMm(date.effectiveFont(), date.caption) + 0.5;
    title.left = std::max(0.0, (kTableWidth - title.width - kGap - date.width) / 2);
    date.left = title.left + title.width + kGap;
}

void TRepStocFrm::closeData() {
    Q.close();
    TParohia.close();
}

bool TRepStocFrm::hasData() { return Q.active() && !Q.isEmpty(); }

std::optional<exports::DataTable> TRepStocFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = "Situatia stocurilor";
    t.head.titleLines = reports::UnitLines(TParohia, {"Parohia", "Adresa", "Protopopiatul"});
    t.head.titleLines.push_back("Situatia stocurilor");
    t.head.titleLines.push_back("La data: " + exports::dayText(date_));
    t.head.columns = {{"Nr. crt", K::Integer}, {"Denumire", K::Text}, {"Cantitate", K::Amount},
                      {"UM", K::Text},         {"Pret", K::Amount},   {"Valoare", K::Amount}};
    data::Bani total = 0;
    long long n = 0;
    for (Q.first(); !Q.eof(); Q.next()) {
        exports::Row& r = t.addRow();
        const data::Bani value = data::toBani(Q["Valoare"].asFloat());
        total += value;
        r.cells[0] = Cell::integer(++n);
        r.cells[1] = Cell::fromValue(Q["DenDesc"].value(), K::Text);
        r.cells[2] = Cell::fromValue(Q["Cantitate"].value(), K::Amount);
        r.cells[3] = Cell::fromValue(Q["UM"].value(), K::Text);
        r.cells[4] = Cell::fromValue(Q["Pret"].value(), K::Amount);
        r.cells[5] = Cell::amount(value);
    }
    if (n == 0) return t;
    exports::Row& r = t.addRow(true);
    r.cells[1] = Cell::of("TOTAL");
    r.cells[5] = Cell::amount(total);
    return t;
}

reports::RunResult PrintStoc(QWidget* owner, const data::Date& date, const reports::ReportOutput& output) {
    // With nothing held the report has no page: the run ends quietly.
    return reports::RunReport(
        owner,
        {.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret"),
         .fontSize = 8,
         .orientation = reports::Orientation::Portrait},
        [&](QWidget* o) { return std::make_unique<TRepStocFrm>(o, date); }, output);
}

}  // namespace stock
