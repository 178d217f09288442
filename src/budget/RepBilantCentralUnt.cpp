#include "budget/RepBilantCentralUnt.h"

#include "budget/BudgetFile.h"
#include "budget/CalcBilant.h"

namespace budget {

namespace {

const char* const kTitle = "BUGET CENTRALIZATOR DE VENITURI SI CHELTUIELI";

QString dmy(const data::Date& d) {
    return QStringLiteral("%1.%2.%3")
        .arg(d.day, 2, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.year, 4, 10, QLatin1Char('0'));
}

// The cover's two dates: those of the office's last computation (as at a
// date: from the start of its year); empty when they are not known.
std::pair<QString, QString> coverDates(const std::optional<ComputedPeriod>& p) {
    if (!p) return {};
    return {dmy(p->from.value_or(data::Date{p->to.year, 1, 1})), dmy(p->to)};
}

}  // namespace

const QString TRepBilantCentralFrm::caption = QStringLiteral("Raport bilant centralizat");

TRepBilantCentralFrm::TRepBilantCentralFrm(QWidget* owner, const QString& column, std::optional<bool> expensesOnNewPage)
    : TRepBilantFrm(owner, coverDates(lastComputation()).first, coverDates(lastComputation()).second, column,
                    expensesOnNewPage, "BilantCentral.DB") {}

void TRepBilantCentralFrm::openData() {
    TRepBilantFrm::openData();
    reports::Item& title = Rep.item(QStringLiteral("QRLabel1"));
    title.caption = QString::fromUtf8(kTitle);
    title.left = 22.0;
    // the cover says what the office's figures are for
    Rep.item(QStringLiteral("QRLabel2")).caption =
        QString::fromStdString(periodHeading(lastComputation(), readUnitIdentity({}).year));
}

std::optional<exports::DataTable> TRepBilantCentralFrm::dataTable() {
    std::optional<exports::DataTable> t = TRepBilantFrm::dataTable();
    if (!t) return t;
    t->head.sheetName = "Buget centralizat";
    // the period line states what the office's figures are for
    const std::string heading = periodHeading(lastComputation(), readUnitIdentity({}).year);
    for (std::string& l : t->head.titleLines) {
        // the unit's own title, "... A OFICIULUI PROTOPOPIATULUI" after it
        static const std::string own = "BUGET DE VENITURI SI CHELTUIELI";
        if (l.rfind(own, 0) == 0) l = kTitle + l.substr(own.size());
        if (l.rfind("Perioada: ", 0) == 0) l = heading;
    }
    return t;
}

reports::RunResult PrintBilantCentral(QWidget* owner, const QString& column, std::optional<bool> expensesOnNewPage,
                                      const reports::ReportOutput& output) {
    return reports::RunReport(
        owner,
        {.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 8, A4, Portret"),
         .fontSize = 11,
         .orientation = reports::Orientation::Portrait},
        [&](QWidget* o) { return std::make_unique<TRepBilantCentralFrm>(o, column, expensesOnNewPage); }, output);
}

}  // namespace budget
