#include "documents/print/RepOPUnt.h"

#include "data/UnitKind.h"
#include "documents/AmountInWords.h"

namespace documents {

namespace {

const char* const kSql =
    "SELECT DISTINCT Data, Nr_act, Explicatie, Valoarea, Beneficiar, Cont FROM \"Cheltuieli.DB\" "
    "WHERE (Data = :Data) AND (Nr_act = :Nr) AND (Cod_cheltuiala = :CodChelt) "
    "ORDER BY Data, Nr_act, Explicatie, Valoarea, Beneficiar, Cont";

const char* const kTypeSql = "SELECT Denumire FROM \"Tip_cheltuieli.DB\" WHERE (Cod_cheltuiala = :Cod)";

// One title band printed once, from the first row of Q, and below the amount
// in words (however many lines it takes) how it was paid and the signatures;
// no detail band.
const char* const kLayout = R"(
report title="Ordin de plata" paper=9 orientation=portrait margins=10,10,7,5 font="Arial" size=10
band TitleBand title 105.8 newpage
  field QRDBText1 21.2 8.7 175.9 4.5 TParohia.Arhiepiscopia font="Arial" size=10 shrink
  field QRDBText2 21.2 15.1 175.9 4.5 TParohia.Protopopiatul font="Arial" size=10 shrink
  field QRDBText3 21.2 21.4 175.9 4.5 TParohia.Parohia font="Arial" size=10 shrink
  label CodFiscalLbl 21.2 25.9 175.9 4.5 "" font="Arial" size=9
  label QRLabel1 19.1 31.8 171.7 10.5 "ORDIN DE PLATA" align=center font="Times New Roman" size=24 bold
  label QRLabel2 97.4 42.3 10.6 6.5 "Nr." font="Times New Roman" size=14
  field QRDBText4 108.0 42.3 60 6.5 Q.Nr_act font="Times New Roman" size=14
  label QRLabel3 92.1 50.8 18 6.5 "din data" font="Times New Roman" size=14
  field QRDBText5 110.1 50.8 40 6.5 Q.Data font="Times New Roman" size=14
  label QRLabel4 21.2 61.6 60 4.5 "Beneficiarul platii :" font="Arial" size=10
  field QRDBText6 21.2 68.0 175.9 4.5 Q.Beneficiar font="Arial" size=10
  label QRLabel5 21.2 74.3 60 4.5 "Scopul platii :" font="Arial" size=10
  field QRDBText7 21.2 80.7 175.9 4.5 Q.Explicatie font="Arial" size=10
  label QRLabel6 21.2 87.0 29 4.5 "Suma de plata :" font="Arial" size=10
  field QRDBText8 50.8 87.0 15.1 4.5 Q.Valoarea align=right autosize font="Arial" size=10
  label QRLabel7 67.7 87.0 20 4.5 "lei, adica" font="Arial" size=10
  label QRLabel48 23.3 93.4 173.8 4.5 "nouazecisitrei de milioane patrusutedouazecisisaptedemii saptesutecincizecisipatru" wrap stretch
band SemnaturiBand child 44 parent=TitleBand
  label ContLbl 21.2 2.0 29 4.5 "Platit prin :" font="Arial" size=10
  field ContTxt 50.8 2.0 40 4.5 Q.Cont font="Arial" size=10
  label TipLbl 21.2 8.0 35 4.5 "Natura cheltuielii :" font="Arial" size=10
  label TipTxt 56.2 8.0 140.9 4.5 "" font="Arial" size=10 wrap stretch
  label ConducatorLbl 21.2 22.0 44 4.5 "" align=center font="Arial" size=10 bold
  field ConducatorTxt 21.2 28.0 44 4.5 TParohia.Preot align=center font="Arial" size=10 shrink
  label ContabilLbl 65.2 22.0 44 4.5 "" align=center font="Arial" size=10 bold
  field ContabilTxt 65.2 28.0 44 4.5 TParohia.Epitrop align=center font="Arial" size=10 shrink
  label CasierLbl 109.2 22.0 44 4.5 "CASIER," align=center font="Arial" size=10 bold
  label BeneficiarLbl 153.2 22.0 44 4.5 "BENEFICIAR," align=center font="Arial" size=10 bold
  field BeneficiarTxt 153.2 28.0 44 4.5 Q.Beneficiar align=center font="Arial" size=10 shrink
  hline 21.2 39.0 175.9 pen=0.1
)";

}  // namespace

const QString TRepOPFrm::caption = QStringLiteral("Raport ordin de plata");

TRepOPFrm::TRepOPFrm(QWidget* owner, int CodChelt, double Nr, const data::Date& Data)
    : reports::TReportForm(owner), codChelt_(CodChelt), nr_(Nr), data_(Data) {
    Q.setSql(kSql);
    QTip.setSql(kTypeSql);
    Q.setup("Valoarea").displayFormat = "#,##0.00";
    TParohia.setTableName("Parohia.DB");
    Rep.setDataSet(&Q, QStringLiteral("Q"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    Rep.loadLayout(QString::fromUtf8(kLayout));
    // the amount in words of the row printed; the designed text never prints
    Rep.item(QStringLiteral("QRLabel48")).onPrint = [this](reports::Item&, QString& text) {
        text = QString::fromStdString(AmountInWords(Q["Valoarea"].asFloat()));
    };
}

TRepOPFrm::~TRepOPFrm() = default;

void TRepOPFrm::openData() {
    Q.setParam("Data", data_.valid() ? data::Value(data_) : data::Value());
    Q.setParam("Nr", data::Value(nr_));
    Q.setParam("CodChelt", data::Value(codChelt_));
    Q.open();
    TParohia.open();
    TParohia.first();
    const data::UnitIdentity unit = data::readUnitIdentity(TParohia);
    Rep.item(QStringLiteral("CodFiscalLbl")).caption = QString::fromStdString(unit.fiscalCodeLine());
    Rep.item(QStringLiteral("ConducatorLbl")).caption = QString::fromUtf8(unit.captions().headSignature);
    Rep.item(QStringLiteral("ContabilLbl")).caption = QString::fromUtf8(unit.captions().accountantSignature);
    // the expense type: its code and name
    QTip.setParam("Cod", data::Value(codChelt_));
    QTip.open();
    QString type = QString::number(codChelt_);
    if (!QTip.isEmpty() && !QTip["Denumire"].isNull())
        type += QStringLiteral(" - ") + QString::fromStdString(QTip["Denumire"].asString());
    QTip.close();
    Rep.item(QStringLiteral("TipTxt")).caption = type;
}

void TRepOPFrm::closeData() {
    Q.close();
    TParohia.close();
}

const QString kNotStored =
    QStringLiteral("Nu exista o plata salvata cu acest numar, aceasta data si acest cod de cheltuiala!");

bool TRepOPFrm::hasData() { return Q.active() && !Q.isEmpty(); }

reports::RunResult RunOrdinPlata(QWidget* owner, int CodChelt, double Nr, const data::Date& Data,
                                 const reports::ReportOutput& output) {
    return reports::RunReport(
        owner,
        {.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret"),
         .fontSize = 10,
         .orientation = reports::Orientation::Portrait,
         // A payment not stored under these values would print nothing and
         // end as if printed: the user is told instead, before the print dialog.
         .preCheck =
             [&](QWidget* o) {
                 TRepOPFrm probe(o, CodChelt, Nr, Data);
                 probe.openData();
                 return probe.hasData() ? QString() : kNotStored;
             }},
        [&](QWidget* o) { return std::make_unique<TRepOPFrm>(o, CodChelt, Nr, Data); }, output);
}

}  // namespace documents
