#include "budget/RepBilantUnt.h"

#include <stdexcept>

#include "data/Engine.h"
#include "data/UnitKind.h"
#include "shell/Messages.h"

namespace budget {

namespace {

const char* const kSql =
    "SELECT DISTINCT Nr_rand, COUNT(DISTINCT Denumire) AS Contor FROM \"Bilant.DB\" GROUP BY Nr_rand "
    "ORDER BY Contor Desc";

// The cover page fills the first page on its own; the lines begin on page 2.
const char* const kLayout = R"(
report title="Bilant" paper=9 orientation=portrait margins=5,5,5,5 font="Arial" size=11
band TitleBand title 276.8 newpage
  label QRLabel3 10.6 10.6 60 5.5 "ARHIEPISCOPIA" autosize size=12
  field QRDBText2 44.5 8.7 131.5 5 TParohia.Arhiepiscopia align=center size=10 shrink
  hline 43.7 14.6 132.3
  label QRLabel4 15.9 15.9 40 4 "(loc pentru viza)," autosize size=8
  label QRLabel5 10.6 29.6 60 5.5 "PROTOPOPIATUL" autosize size=12
  field QRDBText4 46.6 27.3 129.4 5 TParohia.Protopopiatul align=center size=10 shrink
  hline 46.3 33.1 129.6
  label QRLabel7 15.9 34.9 40 4 "(loc pentru viza)," autosize size=8
  label QRLabel9 10.6 50.8 60 5.5 "OFICIUL PROTOPOPIATULUI" autosize size=12
  field QRDBText6 67.7 48.9 108.2 5 TParohia.Parohia align=center size=10 shrink
  hline 67.7 55.0 108.2
  label CodFiscalLbl 67.7 56.0 108.2 4.5 "" align=center size=9 shrink
  label QRLabel10 10.6 65.6 30 5.5 "LOCALITATEA" autosize size=12
  field QRDBText10 40.2 64.3 68.0 5 TParohia.Localitatea align=center size=10
  hline 41.0 69.6 67.5
  label QRLabel11 110.1 65.6 20 5.5 "JUDETUL" autosize size=12
  field QRDBText5 131.2 64.3 44.7 5 TParohia.Judet align=center size=10
  hline 129.6 69.6 46.3
  label QRLabel1 47.6 84.7 120 7.5 "BUGET DE VENITURI SI CHELTUIELI" autosize size=16
  label QRLabel16 56.1 94.2 80.4 6.5 "A OFICIULUI PROTOPOPIATULUI" align=center size=14
  label QRLabel6 47.6 104.8 19 6.5 "DE LA :" autosize size=14
  label Data1Lbl 66.7 104.8 27 6.5 "" autosize size=14
  label QRLabel15 94.2 104.8 25 6.5 "PANA LA :" autosize size=14
  label DataLbl 119.6 104.8 30 6.5 "" autosize size=14
  label QRLabel8 47.6 113.2 120 6.5 "" autosize size=14
  label QRLabel2 47.6 121.7 120 6.5 "" autosize size=14
band DetailBand1 detail 7.9
  rect 10.6 0 185.2 7.9
  vline 144.2 0 7.9
  vline 160.1 0 7.9
  field QRDBText1 11.4 1.6 132.3 4.8 TBilant.Denumire size=10 wrap stretch
  field CodArticol 145.0 1.6 14.6 4.8 TBilant.Nr_rand align=center size=10
  field QRDBText3 160.9 1.6 33.9 4.8 TBilant.Executie align=right mask="#,##0.00" size=10
# the signatures follow the last lines on their page
band SummaryBand1 summary 30 notalone=24
  label QRLabel12 20.0 12.0 60 5 "PROTOPOP," autosize
  field QRDBText7 20.0 19.0 80 5 TParohia.Preot size=10
  label QRLabel13 125.0 12.0 60 5 "CONTABIL," autosize
  field QRDBText8 125.0 19.0 70 5 TParohia.Epitrop size=10
band PageFooterBand pagefooter 7.4
  sysdata PageNumberLabel 71.2 1.5 25.1 4.5 pagenumber text="Pag." align=right size=10
)";

const QString kSeparatePage = QStringLiteral("Doriti listarea cheltuielilor pe pagina separata ?");

}  // namespace

const QString TRepBilantFrm::caption = QStringLiteral("Raport bilant");

void ApplyUnitCaptions(reports::Report& rep, const data::UnitIdentity& unit) {
    const data::UnitCaptions& c = unit.captions();
    const std::pair<const char*, const char*> captions[] = {
        {"QRLabel3", c.upperTitle}, {"QRLabel5", c.middleTitle},    {"QRLabel9", c.unitTitle},
        {"QRLabel16", c.budgetOf},  {"QRLabel12", c.headSignature}, {"QRLabel13", c.accountantSignature}};
    for (const auto& [item, text] : captions) rep.item(QString::fromUtf8(item)).caption = QString::fromUtf8(text);
    rep.item(QStringLiteral("CodFiscalLbl")).caption = QString::fromStdString(unit.fiscalCodeLine());
}

TRepBilantFrm::TRepBilantFrm(QWidget* owner, const QString& startText, const QString& endText, const QString& column,
                             std::optional<bool> expensesOnNewPage)
    : TRepBilantFrm(owner, startText, endText, column, expensesOnNewPage, "Bilant.DB") {}

TRepBilantFrm::TRepBilantFrm(QWidget* owner, const QString& startText, const QString& endText, const QString& column,
                             std::optional<bool> expensesOnNewPage, const std::string& budgetFile)
    : reports::TReportForm(owner), expensesOnNewPage_(expensesOnNewPage), column_(column.toStdString()) {
    if (column != QLatin1String("Prevederi") && column != QLatin1String("Executie"))
        throw std::invalid_argument("budget column: " + column.toStdString());
    TBilant.setTableName(budgetFile);
    TBilant.setDeclaredFields({"Nr_rand", "Denumire", "Prevederi", "Executie"});
    for (const char* f : {"Prevederi", "Executie"}) TBilant.setup(f).asAmount();
    TParohia.setTableName("Parohia.DB");
    std::string sql = kSql;
    sql.replace(sql.find("\"Bilant.DB\""), 11, data::quoteIdent(budgetFile));
    Q.setSql(sql);

    Rep.setDataSet(&TBilant, QStringLiteral("TBilant"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    Rep.loadLayout(QString::fromUtf8(kLayout));
    Rep.item(QStringLiteral("QRDBText3")).expression = QStringLiteral("TBilant.") + column;
    Rep.item(QStringLiteral("Data1Lbl")).caption = startText;
    Rep.item(QStringLiteral("DataLbl")).caption = endText;
    // which column the lines show, and for the executed amounts which period
    const bool executie = column == QLatin1String("Executie");
    Rep.item(QStringLiteral("QRLabel8")).caption =
        QStringLiteral("SUMELE LISTATE : ") + (executie ? QStringLiteral("EXECUTIE") : QStringLiteral("PREVEDERI"));
    Rep.item(QStringLiteral("QRLabel2")).caption = executie
                                                       ? QStringLiteral("(de la %1 pana la %2)").arg(startText, endText)
                                                       : QStringLiteral("(sumele prevazute)");

    reports::Band& detail = Rep.band(QStringLiteral("DetailBand1"));
    Rep.beforePrint = [&detail](reports::Report&, bool&) { detail.forceNewPage = false; };
    detail.beforePrint = [this](reports::Band&, bool&) { DetailBand1BeforePrint(); };
    detail.afterPrint = [this](reports::Band&, bool printed) {
        if (printed) DetailBand1AfterPrint();
    };
    // A heading row names the columns of its section.
    Rep.item(QStringLiteral("CodArticol")).onPrint = [this](reports::Item&, QString& text) {
        if (heading_) text = QStringLiteral("Nr. rnd");
    };
    Rep.item(QStringLiteral("QRDBText3")).onPrint = [this](reports::Item&, QString& text) {
        if (heading_) text = QStringLiteral("SUMA");
    };
}

TRepBilantFrm::~TRepBilantFrm() = default;

void TRepBilantFrm::openData() {
    // S: the number carried by two differently named lines (the expense
    // heading and the line after it); 999 when the largest count is not 2.
    Q.open();
    Q.first();
    S_ = !Q.isEmpty() && Q["Contor"].asInteger() == 2 ? static_cast<int>(Q["Nr_rand"].asInteger()) : kNoExpenseSection;
    Q.close();
    TBilant.open();
    TParohia.open();
    TParohia.first();
    ApplyUnitCaptions(Rep, data::readUnitIdentity(TParohia));
}

void TRepBilantFrm::closeData() {
    Q.close();
    TBilant.close();
    TParohia.close();
}

std::optional<exports::DataTable> TRepBilantFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = "Buget";
    t.head.titleLines = reports::UnitLines(TParohia, {"Arhiepiscopia", "Protopopiatul", "Parohia"});
    const data::UnitIdentity unit = data::readUnitIdentity(TParohia);
    if (!unit.fiscalCode.empty()) t.head.titleLines.push_back(unit.fiscalCodeLine());
    t.head.titleLines.push_back(std::string("BUGET DE VENITURI SI CHELTUIELI ") + unit.captions().budgetOf);
    t.head.titleLines.push_back(Rep.item(QStringLiteral("QRLabel8")).caption.toStdString() + " " +
                                Rep.item(QStringLiteral("QRLabel2")).caption.toStdString());
    t.head.titleLines.push_back("Perioada: " + Rep.item(QStringLiteral("Data1Lbl")).caption.toStdString() + " - " +
                                Rep.item(QStringLiteral("DataLbl")).caption.toStdString());
    t.head.columns = {{"Rand", K::Text}, {"Nr. rand", K::Integer}, {"Denumire", K::Text}, {"Suma", K::Amount}};
    for (TBilant.first(); !TBilant.eof(); TBilant.next()) {
        const bool heading = headingRow();
        exports::Row& r = t.addRow(heading);
        if (heading) r.cells[0] = Cell::of("Capitol");
        if (!heading) r.cells[1] = Cell::fromValue(TBilant["Nr_rand"].value(), K::Integer);
        r.cells[2] = Cell::fromValue(TBilant["Denumire"].value(), K::Text);
        if (!heading) r.cells[3] = Cell::fromValue(TBilant[column_].value(), K::Amount);
    }
    return t;
}

bool TRepBilantFrm::headingRow() {
    if (TBilant["Nr_rand"].isNull()) return false;
    const long long nr = TBilant["Nr_rand"].asInteger();
    return nr == 0 || (nr == S_ && TBilant.recNo() == S_ + 1);
}

void TRepBilantFrm::DetailBand1BeforePrint() {
    reports::Band& detail = Rep.band(QStringLiteral("DetailBand1"));
    // a new page asked for after the last income line serves this row only
    detail.forceNewPage = false;
    heading_ = headingRow();
    Rep.item(QStringLiteral("QRDBText3")).alignment = heading_ ? reports::HAlign::Center : reports::HAlign::Right;
}

void TRepBilantFrm::DetailBand1AfterPrint() {
    if (TBilant["Nr_rand"].isNull() || TBilant["Nr_rand"].asInteger() != S_ - 1) return;
    // after the last income line, asked at every generation of the report
    const bool newPage = expensesOnNewPage_ ? *expensesOnNewPage_
                                            : ui::Messages::show(ui::MsgType::Confirmation, kSeparatePage,
                                                                 ui::Yes | ui::No, owner()) == ui::Yes;
    if (newPage) Rep.band(QStringLiteral("DetailBand1")).forceNewPage = true;
}

reports::RunResult PrintBilant(QWidget* owner, const QString& startText, const QString& endText, const QString& column,
                               std::optional<bool> expensesOnNewPage, const reports::ReportOutput& output) {
    return reports::RunReport(
        owner,
        {.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret"),
         .fontSize = 11,
         .orientation = reports::Orientation::Portrait},
        [&](QWidget* o) { return std::make_unique<TRepBilantFrm>(o, startText, endText, column, expensesOnNewPage); },
        output);
}

}  // namespace budget
