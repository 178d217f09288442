#include "budget/BudgetCommands.h"

#include <cstdio>
#include <ostream>

#include "budget/BudgetFile.h"
#include "budget/CalcBilant.h"
#include "budget/UnitBudgets.h"
#include "budget/UnitTree.h"
#include "data/AppDir.h"
#include "data/Errors.h"

namespace budget {

namespace {

std::optional<data::Date> dayOf(const std::string& text) {
    int d = 0, m = 0, y = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%2d.%2d.%4d%c", &d, &m, &y, &end) != 3 || text.size() < 8) return std::nullopt;
    const data::Date day{y, m, d};
    return day.valid() ? std::optional(day) : std::nullopt;
}

bool isGroup(const std::string& g) { return g == kParohii || g == kManastiri; }

}  // namespace

int runExportBudget(const std::optional<std::string>& from, const std::string& to, const std::string& file,
                    std::ostream& out, std::ostream& err) {
    const std::optional<data::Date> end = dayOf(to);
    const std::optional<data::Date> start = from ? dayOf(*from) : std::nullopt;
    if (!end || (from && !start)) {
        err << "Corvalinde: data nu este corecta (ZZ.LL.AAAA): " << (!end ? to : *from) << "\n";
        return 2;
    }
    try {
        exportBudget(data::AppDir(), start, *end, file);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    out << "Bugetul " << periodText(start, *end) << " a fost scris in " << file << "\n";
    return 0;
}

int runTakeOverBudget(const std::vector<std::string>& paths, const std::string& group, std::ostream& out,
                      std::ostream& err) {
    if (!group.empty() && !isGroup(group)) {
        err << "Corvalinde: grupa este PAROHII sau MANASTIRI, nu " << group << "\n";
        return 2;
    }
    try {
        const TakeOverSummary sum = takeOverAll(data::AppDir(), paths, group);
        (sum.refused ? err : out) << sum.text();
        return sum.refused || sum.taken == 0 ? 1 : 0;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

int runSumUnits(const std::string& group, std::ostream& out, std::ostream& err) {
    if (!isGroup(group)) {
        err << "Corvalinde: grupa este PAROHII sau MANASTIRI, nu " << group << "\n";
        return 2;
    }
    try {
        out << sumUnits(data::AppDir(), group).text(group);
        return 0;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

int runCentralize(std::ostream& out, std::ostream& err) {
    try {
        CentralizBilant(data::AppDir());
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    out << "Bugetul centralizat a fost calculat ("
        << periodHeading(lastComputation(data::AppDir()), readUnitIdentity(data::AppDir()).year) << ")\n";
    return 0;
}

}  // namespace budget
