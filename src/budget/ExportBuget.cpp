#include "budget/ExportBuget.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>

#include "budget/BudgetFile.h"
#include "budget/CalcBilant.h"
#include "budget/CalculBilantUnt.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Errors.h"
#include "reports/Intrvdlg.h"
#include "shell/Messages.h"

namespace budget {

void ExportBugetProtopopiat(QWidget* owner) {
    int year = 0;
    try {
        year = readUnitIdentity(data::AppDir()).year;
    } catch (const data::EngineError& e) {
        ui::Messages::error(QStringLiteral("Eroare de acces la baza de date!\n") + QString::fromUtf8(e.what()), owner);
        return;
    }
    data::Date start{year, 1, 1};
    data::Date stop = data::today().year == year ? data::today() : data::Date{year, 12, 31};
    if (!reports::SelectInterval(owner, start, stop)) return;
    const QString name = QStringLiteral("buget-%1.json").arg(QString::number(year));
    const QString file = QFileDialog::getSaveFileName(owner, QStringLiteral("Export buget pentru protopopiat"),
                                                      QDir::home().filePath(name), QStringLiteral("Buget (*.json)"));
    if (file.isEmpty()) return;
    // from the first of January the budget is the one as at the end date
    const std::optional<data::Date> from = start == data::Date{year, 1, 1} ? std::nullopt : std::optional(start);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        exportBudget(data::AppDir(), from, stop, file.toStdString());
        QGuiApplication::restoreOverrideCursor();
    } catch (const BilantError& e) {
        QGuiApplication::restoreOverrideCursor();
        ShowBilantError(e, owner);
        return;
    } catch (const std::exception& e) {
        QGuiApplication::restoreOverrideCursor();
        ui::Messages::error(QString::fromUtf8(e.what()), owner);
        return;
    }
    ui::Messages::information(QStringLiteral("Bugetul %1 a fost scris in fisierul %2")
                                  .arg(QString::fromStdString(periodText(from, stop)), file),
                              owner);
}

}  // namespace budget
