#include "app/NewYearCmd.h"

#include <QApplication>
#include <QScopeGuard>
#include <filesystem>
#include <istream>
#include <ostream>

#include "app/MainFrm.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Format.h"
#include "shell/Messages.h"
#include "yearend/NewYear.h"

namespace app {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

// A yes on the command line: "d", "da", "y" or "yes", in any letter case.
bool answeredYes(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) return false;
    const std::string a = data::toLower(data::trim(line));
    return a == "d" || a == "da" || a == "y" || a == "yes";
}

}  // namespace

void TrecereaAnNou(TMainFrm& m) {
    if (m.otherWindowOpen()) {
        ui::Messages::warning(QString::fromLatin1(yearend::kCloseAllWindows), &m);
        return;
    }
    const std::string dir = data::AppDir();
    yearend::Closing plan;
    try {
        plan = yearend::planNewYear(dir);
    } catch (const yearend::NewYearRefused& e) {
        ui::Messages::warning(text(e.what()), &m);
        return;
    }
    if (!ui::Messages::askDestructive(text(yearend::confirmationText(plan)), ui::MsgType::Confirmation, &m)) return;
    const data::Date today = data::today();
    if (!yearend::yearOver(plan.year, today) &&
        !ui::Messages::askDestructive(text(yearend::yearNotOverText(plan, today)), ui::MsgType::Warning, &m))
        return;

    yearend::Closing closed;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        closed = yearend::passNewYear(dir, plan.year);
    } catch (const yearend::NewYearRefused& e) {
        ui::Messages::warning(text(e.what()), &m);
        return;
    } catch (const yearend::NewYearFailed& e) {
        ui::Messages::error(text(e.what()), &m);
        return;
    }
    ui::Messages::information(text(yearend::summaryText(closed)), &m);
}

void RecoverNewYear(QWidget* owner) {
    const yearend::Recovery r = yearend::recoverNewYear(data::AppDir());
    if (r.kind != yearend::Recovery::Kind::Nothing) ui::Messages::information(text(yearend::recoveryText(r)), owner);
}

int runNewYear(const std::string& dirIn, std::ostream& out, std::ostream& err, std::istream& in) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dirIn, ec)) {
        err << "Corvalinde: directorul bazei de date nu exista: " << dirIn << "\n";
        return 1;
    }
    const std::string dir = data::withSlash(std::filesystem::absolute(dirIn, ec).string());
    if (const yearend::Recovery r = yearend::recoverNewYear(dir); r.kind != yearend::Recovery::Kind::Nothing)
        out << yearend::recoveryText(r) << "\n";
    try {
        const yearend::Closing plan = yearend::planNewYear(dir);
        out << yearend::confirmationText(plan) << " (d/n) " << std::flush;
        if (!answeredYes(in)) {
            out << "\nTrecerea la an nou nu s-a facut.\n";
            return 1;
        }
        const data::Date today = data::today();
        if (!yearend::yearOver(plan.year, today)) {
            out << yearend::yearNotOverText(plan, today) << " (d/n) " << std::flush;
            if (!answeredYes(in)) {
                out << "\nTrecerea la an nou nu s-a facut.\n";
                return 1;
            }
        }
        const yearend::Closing closed = yearend::passNewYear(dir, plan.year);
        out << yearend::summaryText(closed) << "\n";
        return 0;
    } catch (const yearend::NewYearFailed& e) {
        err << "Corvalinde: " << e.what() << "\n";
        return e.newYearMade() ? 0 : 1;
    } catch (const std::exception& e) {
        err << "Corvalinde: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace app
