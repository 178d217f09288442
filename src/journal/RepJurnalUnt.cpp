#include "journal/RepJurnalUnt.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>

#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Format.h"
#include "data/Journal.h"
#include "reports/Intrvdlg.h"
#include "shell/Messages.h"

namespace journal {

namespace {

// %1 the period
const char* const kLayout = R"LAYOUT(
report title="Jurnalul modificarilor" paper=9 orientation=landscape margins=10,10,7,5 font="Arial" size=7
band TitleBand title 24
  field QRDBText1 2 2 120 4 TParohia.Parohia size=8
  label QRLabel1 10 7 257 9 "JURNALUL MODIFICARILOR" align=center font="Times New Roman" size=16 bold
  label PeriodLbl 10 17 257 5 "%1" align=center size=9
band QRBand2 columnheader 7
  hline 0 0 277 pen=0.5
  hline 0 6.5 277 pen=0.5
  label QRLabel3 0.5 1.2 13 4 "Nr."
  label QRLabel4 14 1.2 28 4 "Data si ora"
  label QRLabel5 43 1.2 22 4 "Tabela"
  label QRLabel6 66 1.2 55 4 "Inregistrarea"
  label QRLabel7 122 1.2 21 4 "Modificarea"
  label QRLabel8 144 1.2 66 4 "Inainte"
  label QRLabel9 211 1.2 66 4 "Dupa"
band DetailBand1 detail 5
  field QRDBText2 0.5 0.5 13 4 Q.Nr
  field QRDBText3 14 0.5 28 4 Q.Data_ora
  field QRDBText4 43 0.5 22 4 Q.Tabela
  field QRDBText5 66 0.5 55 4 Q.Cheie
  field QRDBText6 122 0.5 21 4 Q.Actiune
  field QRDBText7 144 0.5 66 4 Q.Inainte
  field QRDBText8 211 0.5 66 4 Q.Dupa
band PageFooterBand pagefooter 7.4
  sysdata PageNumberLabel 120 1.5 37 4.5 pagenumber text="Pag." align=center
)LAYOUT";

const QString kStatusText = QStringLiteral("Parametrii de listare impliciti: Arial, 7, A4, Vedere");

// The kinds of change offered by the filter dialog.
const char* const kActions[] = {data::journal::kAdded, data::journal::kChanged, data::journal::kDeleted,
                                data::journal::kNewYear, data::journal::kImported};
const char* const kTables[] = {"Venituri", "Cheltuieli", "Depuneri", "Ridicari", "Tip_venituri", "Tip_cheltuieli",
                               "Tip_doc",  "Enoriasi",   "Parohia",  "Contor",   "Bilant"};
const char* const kAll = "(toate)";

// The table and kind asked in a small dialog; false when cancelled.
bool askFilter(QWidget* owner, JournalFilter& f) {
    QDialog dlg(owner);
    dlg.setObjectName(QStringLiteral("TJurnalFiltruDlg"));
    dlg.setWindowTitle(QStringLiteral("Jurnalul modificarilor"));
    auto* form = new QFormLayout(&dlg);
    auto* tables = new QComboBox(&dlg);
    tables->setObjectName(QStringLiteral("TabelaCombo"));
    tables->addItem(QString::fromLatin1(kAll));
    for (const char* t : kTables) tables->addItem(QString::fromLatin1(t));
    auto* actions = new QComboBox(&dlg);
    actions->setObjectName(QStringLiteral("ActiuneCombo"));
    actions->addItem(QString::fromLatin1(kAll));
    for (const char* a : kActions) actions->addItem(QString::fromLatin1(a));
    form->addRow(QStringLiteral("&Tabela :"), tables);
    form->addRow(QStringLiteral("&Modificarea :"), actions);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    form->addRow(buttons);
    if (dlg.exec() != QDialog::Accepted) return false;
    f.table = tables->currentIndex() > 0 ? tables->currentText().toStdString() : std::string();
    f.action = actions->currentIndex() > 0 ? actions->currentText().toStdString() : std::string();
    return true;
}

}  // namespace

const QString TRepJurnalFrm::caption = QStringLiteral("Jurnalul modificarilor");

std::string journalReportSql(const JournalFilter& filter) {
    // the period reads the index on the date and time
    std::string sql =
        "SELECT Nr, Data_ora, Tabela, Cheie, Actiune, Inainte, Dupa FROM \"Jurnal.DB\"\n"
        "WHERE Data_ora >= :De AND Data_ora < :Pana\n";
    if (!filter.table.empty()) sql += "AND Tabela = :Tabela\n";
    if (!filter.action.empty()) sql += "AND Actiune = :Actiune\n";
    return sql + "ORDER BY Nr";
}

TRepJurnalFrm::TRepJurnalFrm(QWidget* owner, const reports::Interval& interval, const JournalFilter& filter)
    : reports::TReportForm(owner), interval_(interval) {
    Q.queryName = "Q";
    Q.setSql(journalReportSql(filter));
    Q.setParam("De", data::Value(interval.start.iso()));
    Q.setParam("Pana", data::Value(interval.stop.addDays(1).iso()));
    if (!filter.table.empty()) Q.setParam("Tabela", data::Value(filter.table));
    if (!filter.action.empty()) Q.setParam("Actiune", data::Value(filter.action));
    TParohia.setTableName("Parohia.DB");
    Rep.setDataSet(&Q, QStringLiteral("Q"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    std::string period = "Perioada " + data::formatDate("dd.mm.yyyy", interval.start) + " - " +
                         data::formatDate("dd.mm.yyyy", interval.stop);
    if (!filter.table.empty()) period += ", tabela " + filter.table;
    if (!filter.action.empty()) period += ", " + filter.action;
    period_ = period;
    Rep.loadLayout(QString::fromUtf8(kLayout).arg(QString::fromStdString(period)));
}

void TRepJurnalFrm::openData() {
    Q.open();
    TParohia.open();
}

std::optional<exports::DataTable> TRepJurnalFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = "Jurnalul modificarilor";
    t.head.titleLines = reports::UnitLines(TParohia, {"Parohia", "Adresa", "Protopopiatul"});
    t.head.titleLines.push_back("JURNALUL MODIFICARILOR");
    t.head.titleLines.push_back(period_);
    t.head.landscape = true;
    t.head.columns = {{"Nr", K::Integer},         {"Data si ora", K::Text}, {"Tabela", K::Text},
                      {"Inregistrarea", K::Text}, {"Modificare", K::Text},  {"Inainte", K::Text},
                      {"Dupa", K::Text}};
    static const char* const fields[] = {"Data_ora", "Tabela", "Cheie", "Actiune", "Inainte", "Dupa"};
    for (Q.first(); !Q.eof(); Q.next()) {
        exports::Row& r = t.addRow();
        r.cells[0] = Cell::fromValue(Q["Nr"].value(), K::Integer);
        for (size_t i = 0; i < std::size(fields); ++i) r.cells[i + 1] = Cell::fromValue(Q[fields[i]].value(), K::Text);
    }
    return t;
}

void TRepJurnalFrm::closeData() {
    Q.close();
    TParohia.close();
}

reports::RunResult PrintJurnal(QWidget* owner, std::optional<reports::Interval> interval,
                               std::optional<JournalFilter> filter, const reports::ReportOutput& output) {
    if (!interval) {
        reports::Interval asked{data::today(), data::today()};
        if (!reports::SelectInterval(owner, asked.start, asked.stop)) return reports::RunResult::Cancelled;
        interval = asked;
    }
    if (!filter) {
        JournalFilter asked;
        if (!askFilter(owner, asked)) return reports::RunResult::Cancelled;
        filter = asked;
    }
    const reports::Interval i = *interval;
    const JournalFilter f = *filter;
    data::journal::settle(data::AppDir());  // the entries still waiting in the tables' files
    return reports::RunReport(
        owner,
        {.statusText = kStatusText,
         .fontSize = 7,
         .orientation = reports::Orientation::Landscape,
         .emptyDataCheck = true},
        [&](QWidget* o) { return std::make_unique<TRepJurnalFrm>(o, i, f); }, output);
}

void VerificareJurnal(QWidget* owner) {
    const data::journal::Verification v = data::journal::verify(data::AppDir());
    if (v.intact)
        ui::Messages::information(QString::fromStdString(v.message), owner);
    else
        ui::Messages::error(QString::fromStdString(v.message), owner);
}

}  // namespace journal
