#include "entry/RepDocumenteUnt.h"

#include <memory>

namespace entry {

namespace {

const char* const kLayout = R"LAYOUT(
report title="Lista documentelor" paper=9 orientation=landscape margins=10,10,7,5 font="Arial" size=8
band PageHeaderBand pageheader 22
  label TitluLbl 0 1 277 7 "Lista documentelor" align=center font="Arial" size=14 bold
  label FiltruLbl 0 9 277 4 "" align=center font="Arial" size=8
  rect 0 15 277 6
  vlines 15 6 18 36 50 70 80 125 147 187 250
  label DocumentLbl 0.5 16 17 4 "Document" bold
  label DataLbl 18.5 16 17 4 "Data" align=center bold
  label NumarLbl 36.5 16 13 4 "Numar" align=center bold
  label FelulLbl 50.5 16 19 4 "Felul" bold
  label CodLbl 70.5 16 9 4 "Cod" align=center bold
  label DenumireLbl 80.5 16 44 4 "Denumire tip" bold
  label ContLbl 125.5 16 21 4 "Cont" bold
  label BeneficiarLbl 147.5 16 39 4 "Beneficiar / enorias" bold
  label ExplicatieLbl 187.5 16 62 4 "Explicatie" bold
  label SumaLbl 250.5 16 26 4 "Suma" align=right bold
band DetailBand detail 5
  field DocumentTxt 0.5 0.5 17 4 Q.Document
  field DataTxt 18.5 0.5 17 4 Q.Data align=center
  field NumarTxt 36.5 0.5 13 4 Q.Numar align=right
  field FelulTxt 50.5 0.5 19 4 Q.Felul
  field CodTxt 70.5 0.5 9 4 Q.Cod align=center
  field DenumireTxt 80.5 0.5 44 4 Q.Denumire
  field ContTxt 125.5 0.5 21 4 Q.Cont
  field BeneficiarTxt 147.5 0.5 39 4 Q.Beneficiar
  field ExplicatieTxt 187.5 0.5 62 4 Q.Explicatie
  field SumaTxt 250.5 0.5 26 4 Q.Suma mask="#,##0.00" align=right
  hline 0 5 277
  vlines 0 5 0 18 36 50 70 80 125 147 187 250 277
band SummaryBand summary 26
  label TotalLbl 0.5 2 100 4 "" bold
  label IncasariLbl 0.5 7 150 4 ""
  label PlatiLbl 0.5 12 150 4 ""
  label DepuneriLbl 0.5 17 150 4 ""
  label RidicariLbl 0.5 22 150 4 ""
band PageFooterBand pagefooter 6.9
  sysdata DataTiparireTxt 0 1.5 60 4 date
  sysdata PaginaTxt 230 1.5 47 4 pagenumber text="Pag." align=right
)LAYOUT";

QString kindLine(const char* plural, int count, data::Bani sum) {
    return QString::fromUtf8(plural) + QStringLiteral(": ") + QString::number(count) +
           QStringLiteral(" documente, suma ") + QString::fromStdString(data::formatAmountBani(sum));
}

}  // namespace

TRepDocumenteFrm::TRepDocumenteFrm(QWidget* owner, DocumentList& list)
    : reports::TReportForm(owner), list_(list), Q(list) {
    Rep.setDataSet(&Q, QStringLiteral("Q"));
    Rep.loadLayout(QString::fromUtf8(kLayout));
}

TRepDocumenteFrm::~TRepDocumenteFrm() = default;

void TRepDocumenteFrm::openData() {
    Q.open();
    Rep.item(QStringLiteral("FiltruLbl")).caption = QString::fromStdString(filterDescription(list_.filter()));
    Rep.item(QStringLiteral("TotalLbl")).caption =
        QStringLiteral("Total: ") + QString::number(list_.size()) + QStringLiteral(" documente");
    Rep.item(QStringLiteral("IncasariLbl")).caption =
        kindLine("Incasari", list_.count(CashDoc::Receipt), list_.sum(CashDoc::Receipt));
    Rep.item(QStringLiteral("PlatiLbl")).caption =
        kindLine("Plati", list_.count(CashDoc::Payment), list_.sum(CashDoc::Payment));
    Rep.item(QStringLiteral("DepuneriLbl")).caption =
        kindLine("Depuneri", list_.count(CashDoc::Deposit), list_.sum(CashDoc::Deposit));
    Rep.item(QStringLiteral("RidicariLbl")).caption =
        kindLine("Ridicari", list_.count(CashDoc::Withdrawal), list_.sum(CashDoc::Withdrawal));
}

void TRepDocumenteFrm::closeData() { Q.close(); }

std::optional<exports::DataTable> TRepDocumenteFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = "Lista documentelor";
    t.head.titleLines = {"Lista documentelor", filterDescription(list_.filter())};
    t.head.landscape = true;
    t.head.columns = {
        {"Fel", K::Text},        {"Data", K::Date},     {"Numar", K::Integer},    {"Tip doc.", K::Text},
        {"Cod", K::Integer},     {"Denumire", K::Text}, {"Cont", K::Text},        {"Beneficiar / enorias", K::Text},
        {"Explicatii", K::Text}, {"Suma", K::Amount},   {"Sold casa", K::Amount}, {"Sold banca", K::Amount}};
    for (int i = 0; i < list_.size(); ++i) {
        const DocumentRow& d = list_.row(i);
        exports::Row& r = t.addRow();
        r.cells[0] = Cell::of(kindName(d.kind));
        r.cells[1] = Cell::fromValue(d.date, K::Date);
        r.cells[2] = Cell::fromValue(d.number, K::Integer);
        r.cells[3] = Cell::fromValue(d.docType, K::Text);
        r.cells[4] = Cell::fromValue(d.typeCode, K::Integer);
        r.cells[5] = Cell::of(d.typeName);
        r.cells[6] = Cell::of(d.account);
        r.cells[7] = Cell::of(d.party);
        r.cells[8] = Cell::of(d.explanation);
        r.cells[9] = Cell::amount(d.amount);
        if (list_.hasBalances()) {
            r.cells[10] = Cell::amount(list_.cashAfter(i));
            r.cells[11] = Cell::amount(list_.bankAfter(i));
        }
    }
    static const std::pair<CashDoc, const char*> kinds[] = {{CashDoc::Receipt, "Total incasari"},
                                                            {CashDoc::Payment, "Total plati"},
                                                            {CashDoc::Deposit, "Total depuneri"},
                                                            {CashDoc::Withdrawal, "Total ridicari"}};
    for (const auto& [kind, label] : kinds) {
        exports::Row& r = t.addRow(true);
        r.cells[0] = Cell::of(label);
        r.cells[2] = Cell::integer(list_.count(kind));
        r.cells[9] = Cell::amount(list_.sum(kind));
    }
    return t;
}

bool TRepDocumenteFrm::hasData() { return list_.size() > 0; }

reports::RunResult PrintDocumente(QWidget* owner, DocumentList& list, const reports::ReportOutput& output) {
    return reports::RunReport(
        owner,
        {.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Peisaj"),
         .fontSize = 8,
         .orientation = reports::Orientation::Landscape,
         .emptyDataCheck = true,
         .noDataText = QStringLiteral("Nu exista documente de listat!"),
         .countPages = false},
        [&](QWidget* o) { return std::make_unique<TRepDocumenteFrm>(o, list); }, output);
}

}  // namespace entry
