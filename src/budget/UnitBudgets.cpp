#include "budget/UnitBudgets.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "budget/CalcBilant.h"
#include "budget/UnitTree.h"
#include "data/Engine.h"
#include "data/Errors.h"
#include "data/StoredStatement.h"

namespace budget {

namespace fs = std::filesystem;

namespace {

// The budget every write here touches, attached before its transaction.
const data::StoredStatement QBuget{"QBuget", {"SELECT 0 FROM \"Bilant.DB\" WHERE 0"}};

const char* const kUpdateLine = "UPDATE \"Bilant.DB\" SET Prevederi = :P, Executie = :E WHERE rowid = :R";
const char* const kInsertLine =
    "INSERT INTO \"Bilant.DB\" (Nr_rand, Denumire, Prevederi, Executie, Formula) VALUES (:N, :D, :P, :E, :F)";

// A line's place: its number and which of the lines of that number it is.
using Key = std::pair<int, int>;

std::vector<Key> keysOf(const std::vector<BudgetLine>& lines) {
    std::map<int, int> seen;
    std::vector<Key> keys;
    for (const BudgetLine& l : lines) keys.push_back({l.nr, seen[l.nr]++});
    return keys;
}

std::map<Key, size_t> indexOf(const std::vector<BudgetLine>& lines) {
    std::map<Key, size_t> out;
    const std::vector<Key> keys = keysOf(lines);
    for (size_t i = 0; i < keys.size(); ++i) out[keys[i]] = i;
    return out;
}

std::string numbers(const std::vector<int>& nrs) {
    std::string s;
    for (size_t i = 0; i < nrs.size() && i < 20; ++i) s += (i ? ", " : "") + std::to_string(nrs[i]);
    if (nrs.size() > 20) s += " ...";
    return s;
}

// How the line numbers of `have` differ from those of `want`; empty when they match.
std::string numberDifference(const std::vector<BudgetLine>& have, const std::vector<BudgetLine>& want) {
    std::vector<int> a, b, missing, extra;
    for (const BudgetLine& l : have) a.push_back(l.nr);
    for (const BudgetLine& l : want) b.push_back(l.nr);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(missing));
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(extra));
    std::string s;
    if (!missing.empty()) s = "lipsesc randurile " + numbers(missing);
    if (!extra.empty()) s += (s.empty() ? "" : "; ") + std::string("in plus randurile ") + numbers(extra);
    return s;
}

data::Value amountValue(const std::optional<data::Bani>& b) {
    return b ? data::Value(data::fromBani(*b)) : data::Value();
}

std::string amountOrBlank(const std::optional<data::Bani>& b) { return b ? data::formatAmountBani(*b) : "-"; }

bool hasBudget(const std::string& dir) { return !data::resolveTableFile(data::withSlash(dir), "Bilant.DB").empty(); }

const char* templateOf(const std::string& group) {
    return group == kParohii ? "BilantParohGol.DB" : "BilantManastGol.DB";
}

// The group under which the tree has the unit `name`; empty when it has none.
std::string groupHolding(const TreeLines& tree, const std::string& name) {
    std::string group;
    for (const TreeLine& l : tree) {
        if (l.depth == 1) group = l.text;
        if (l.depth == 2 && (group == kParohii || group == kManastiri) && sameDirectoryName(l.text, name)) return group;
    }
    return {};
}

TreeLines currentTree(const std::string& appDir) {
    TreeRead r = readTreeFile(appDir);
    return r.lines.empty() ? builtInTree() : r.lines;
}

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw BudgetFileError("Fisierul " + path + ": " + why + "; bugetul nu a fost preluat!");
}

}  // namespace

std::vector<std::string> groupUnits(const std::string& appDir, const std::string& group) {
    std::vector<std::string> out;
    std::string at;
    for (const TreeLine& l : currentTree(appDir)) {
        if (l.depth == 1) at = l.text;
        if (l.depth == 2 && at == group) out.push_back(l.text);
    }
    return out;
}

TakeOver planTakeOver(const std::string& appDir, const std::string& path, const std::string& groupForNew) {
    TakeOver t;
    t.path = path;
    t.budget = readBudgetFile(path);
    const UnitBudget& b = t.budget;
    const int year = readUnitIdentity(appDir).year;
    if (b.unit.year != year)
        refuse(path, "bugetul este pentru anul " + std::to_string(b.unit.year) + ", iar anul de lucru este " +
                         std::to_string(year));
    if (b.to.year != b.unit.year || (b.from && (b.from->year != b.unit.year || *b.from > b.to)))
        refuse(path, "perioada " + periodText(b.from, b.to) + " nu este in anul " + std::to_string(b.unit.year));
    if (!isValidUnitName(b.unit.name)) refuse(path, "denumirea unitatii \"" + b.unit.name + "\" nu este valida");

    t.group = groupHolding(currentTree(appDir), b.unit.name);
    if (t.group.empty()) {
        t.newUnit = true;
        t.group = groupForNew.empty()
                      ? (b.unit.kind == kKindParohie                                           ? kParohii
                         : b.unit.kind == kKindManastire || b.unit.kind == kKindManastireMaici ? kManastiri
                                                                                               : "")
                      : groupForNew;
        if (t.group != kParohii && t.group != kManastiri)
            refuse(path, "unitatea " + b.unit.name + " nu exista in structura; alegeti grupa PAROHII sau MANASTIRI");
    }
    const std::string diff = numberDifference(b.lines, readBudgetLines(appDir, templateOf(t.group)));
    if (!diff.empty()) refuse(path, "randurile nu se potrivesc cu modelul unitatii (" + diff + ")");

    // what the unit holds now: its budget, or the template it will get
    const std::string dir = unitDirectory(appDir, t.group, b.unit.name);
    const std::vector<BudgetLine> now =
        hasBudget(dir) ? readBudgetLines(dir) : readBudgetLines(appDir, templateOf(t.group));
    const std::map<Key, size_t> nowAt = indexOf(now);
    std::map<Key, bool> matched;
    const std::vector<Key> keys = keysOf(b.lines);
    for (size_t i = 0; i < b.lines.size(); ++i) {
        const BudgetLine& l = b.lines[i];
        auto it = nowAt.find(keys[i]);
        if (it == nowAt.end()) {
            t.changes.push_back({LineChange::Kind::OnlyInFile, l.nr, l.name, {}, {}, l.prevederi, l.executie});
            continue;
        }
        matched[keys[i]] = true;
        const BudgetLine& o = now[it->second];
        if (o.prevederi != l.prevederi || o.executie != l.executie)
            t.changes.push_back(
                {LineChange::Kind::Changed, l.nr, o.name, o.prevederi, o.executie, l.prevederi, l.executie});
    }
    for (const auto& [key, at] : nowAt)
        if (!matched.count(key))
            t.changes.push_back({LineChange::Kind::OnlyInUnit, now[at].nr, now[at].name, now[at].prevederi,
                                 now[at].executie, data::Bani{0}, data::Bani{0}});
    return t;
}

std::string describeTakeOver(const TakeOver& t) {
    const UnitBudget& b = t.budget;
    std::string s = "Unitatea " + b.unit.name + " (" + b.unit.kind +
                    (b.unit.fiscalCode.empty() ? "" : ", cod fiscal " + b.unit.fiscalCode) + "), bugetul " +
                    (b.from ? "pe perioada " : "la data ") + periodText(b.from, b.to) + "\n";
    if (t.newUnit) s += "Unitatea nu exista in structura: se adauga la " + t.group + ".\n";
    if (t.changes.empty()) s += "Sumele sunt aceleasi; nu se schimba nimic.\n";
    for (size_t i = 0; i < t.changes.size() && i < 60; ++i) {
        const LineChange& c = t.changes[i];
        s += "rd. " + std::to_string(c.nr) + " " + c.name + ": ";
        if (c.kind == LineChange::Kind::OnlyInFile) s += "lipseste din bugetul unitatii, se adauga; ";
        if (c.kind == LineChange::Kind::OnlyInUnit) s += "lipseste din fisier, devine 0; ";
        s += "prevederi " + amountOrBlank(c.oldPrevederi) + " -> " + amountOrBlank(c.newPrevederi) + ", executie " +
             amountOrBlank(c.oldExecutie) + " -> " + amountOrBlank(c.newExecutie) + "\n";
    }
    if (t.changes.size() > 60) s += "... si inca " + std::to_string(t.changes.size() - 60) + " randuri\n";
    return s;
}

void applyTakeOver(const std::string& appDir, const TakeOver& t) {
    const std::string& name = t.budget.unit.name;
    if (t.newUnit) {
        createUnitDirectory(appDir, t.group, name);
        if (!hasBudget(unitDirectory(appDir, t.group, name))) copyUnitTemplate(appDir, t.group, name);
    }
    const std::string dir = data::runDirectory(unitBudgetDirectory(appDir, t.group, name));
    try {
        const std::vector<BudgetLine> now = readBudgetLines(dir);
        const std::map<Key, size_t> fileAt = indexOf(t.budget.lines);
        const std::vector<Key> nowKeys = keysOf(now);
        data::SqlSession& s = data::SqlSession::forDirectory(dir);
        data::RunTransaction tx(dir, QBuget, data::RunTransaction::OnError::RollBack);
        std::map<Key, bool> written;
        for (size_t i = 0; i < now.size(); ++i) {
            auto it = fileAt.find(nowKeys[i]);
            const BudgetLine* l = it == fileAt.end() ? nullptr : &t.budget.lines[it->second];
            if (l) written[nowKeys[i]] = true;
            s.execute(kUpdateLine, {{"P", l ? amountValue(l->prevederi) : data::Value(0.0)},
                                    {"E", l ? amountValue(l->executie) : data::Value(0.0)},
                                    {"R", now[i].rowid}});
        }
        const std::vector<Key> fileKeys = keysOf(t.budget.lines);
        for (size_t i = 0; i < t.budget.lines.size(); ++i) {
            if (written.count(fileKeys[i])) continue;
            const BudgetLine& l = t.budget.lines[i];
            s.execute(kInsertLine, {{"N", l.nr},
                                    {"D", l.name},
                                    {"P", amountValue(l.prevederi)},
                                    {"E", amountValue(l.executie)},
                                    {"F", l.formula.empty() ? data::Value() : data::Value(l.formula)}});
        }
        tx.commit();
    } catch (const data::EngineError& e) {
        throw BudgetFileError("Bugetul unitatii " + name + " nu a fost scris: " + e.what());
    }
    recordComputation(dir, {t.budget.from, t.budget.to});
    if (t.newUnit && groupHolding(currentTree(appDir), name).empty()) {
        TreeLines tree = currentTree(appDir);
        // the new unit goes last among its group's units (a tree without the group gets it)
        auto g = std::find_if(tree.begin(), tree.end(),
                              [&](const TreeLine& l) { return l.depth == 1 && l.text == t.group; });
        if (g == tree.end()) g = tree.insert(tree.end(), TreeLine{1, t.group});
        size_t at = static_cast<size_t>(g - tree.begin()) + 1;
        while (at < tree.size() && tree[at].depth > 1) ++at;
        tree.insert(tree.begin() + static_cast<long>(at), TreeLine{2, name});
        writeTreeFile(appDir, tree);
    }
}

std::vector<std::string> budgetFilesIn(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const std::string& p : paths) {
        std::error_code ec;
        if (!fs::is_directory(p, ec) || fs::is_symlink(p, ec)) {
            out.push_back(p);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(p, ec)) {
            if (e.is_regular_file(ec) && e.path().extension() == ".json") found.push_back(e.path().string());
            if (found.size() > kMaxFolderFiles) break;
        }
        std::sort(found.begin(), found.end());
        if (found.size() > kMaxFolderFiles) found.resize(kMaxFolderFiles);
        out.insert(out.end(), found.begin(), found.end());
    }
    return out;
}

std::string TakeOverSummary::text() const {
    std::string s = "Bugete preluate: " + std::to_string(taken) + ", refuzate: " + std::to_string(refused) + "\n";
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

TakeOverBatch planTakeOvers(const std::string& appDir, const std::vector<std::string>& paths,
                            const std::string& groupForNew) {
    TakeOverBatch b;
    for (const std::string& p : budgetFilesIn(paths)) {
        try {
            b.plans.push_back(planTakeOver(appDir, p, groupForNew));
        } catch (const std::exception& e) {
            b.refused.push_back(e.what());
        }
    }
    return b;
}

std::string TakeOverBatch::question() const {
    std::string s;
    if (plans.size() == 1) {
        s = describeTakeOver(plans[0]);
    } else {
        for (const TakeOver& t : plans)
            s += t.budget.unit.name + ": " + std::to_string(t.changes.size()) + " randuri schimbate" +
                 (t.newUnit ? ", unitate noua la " + t.group : "") + "\n";
    }
    if (!refused.empty()) {
        s += "\nNu se pot prelua:\n";
        for (const std::string& r : refused) s += r + "\n";
    }
    if (!plans.empty())
        s += plans.size() == 1 ? "\nPreluati bugetul?" : "\nPreluati cele " + std::to_string(plans.size()) + " bugete?";
    return s;
}

TakeOverSummary applyTakeOvers(const std::string& appDir, const TakeOverBatch& batch) {
    TakeOverSummary sum;
    for (const TakeOver& t : batch.plans) {
        try {
            applyTakeOver(appDir, t);
            ++sum.taken;
            sum.lines.push_back(t.budget.unit.name + ": preluat (" + std::to_string(t.changes.size()) +
                                " randuri schimbate" + (t.newUnit ? ", unitate noua la " + t.group : "") + ")");
        } catch (const std::exception& e) {
            ++sum.refused;
            sum.lines.push_back(e.what());
        }
    }
    sum.refused += static_cast<int>(batch.refused.size());
    sum.lines.insert(sum.lines.end(), batch.refused.begin(), batch.refused.end());
    return sum;
}

TakeOverSummary takeOverAll(const std::string& appDir, const std::vector<std::string>& paths,
                            const std::string& groupForNew) {
    return applyTakeOvers(appDir, planTakeOvers(appDir, paths, groupForNew));
}

std::string SumResult::text(const std::string& group) const {
    std::string s = "Insumare " + group + ": " + std::to_string(units) + " unitati adunate\n";
    for (const std::string& p : problems) s += p + "\n";
    return s;
}

UnitComparison compareUnits(const std::string& appDir, const std::string& group) {
    UnitComparison c;
    c.lines = readBudgetLines(groupDirectory(appDir, group));
    const std::map<Key, size_t> at = indexOf(c.lines);
    for (const std::string& name : groupUnits(appDir, group)) {
        UnitComparison::Unit u;
        u.name = name;
        u.prevederi.resize(c.lines.size());
        u.executie.resize(c.lines.size());
        std::string dir;
        try {
            dir = unitBudgetDirectory(appDir, group, name);
            u.hasBudget = hasBudget(dir);
            if (!u.hasBudget) u.note = "nu are buget";
        } catch (const UnitError& e) {
            u.note = e.what();
        }
        if (u.hasBudget) {
            u.sent = lastComputation(dir);
            const std::vector<BudgetLine> own = readBudgetLines(dir);
            const std::string diff = numberDifference(own, c.lines);
            if (!diff.empty()) u.note = "randurile nu se potrivesc cu ale grupei (" + diff + ")";
            const std::vector<Key> keys = keysOf(own);
            for (size_t i = 0; i < own.size(); ++i) {
                auto it = at.find(keys[i]);
                if (it == at.end()) continue;
                u.prevederi[it->second] = own[i].prevederi.value_or(0);
                u.executie[it->second] = own[i].executie.value_or(0);
            }
        }
        c.units.push_back(std::move(u));
    }
    return c;
}

SumResult sumUnits(const std::string& appDir, const std::string& group) {
    SumResult r;
    const std::string groupDir = data::runDirectory(groupDirectory(appDir, group));
    try {
        const UnitComparison c = compareUnits(appDir, group);
        std::vector<data::Bani> prev(c.lines.size(), 0), exec(c.lines.size(), 0);
        for (const UnitComparison::Unit& u : c.units) {
            if (!u.note.empty())
                r.problems.push_back(u.name + ": " + u.note +
                                     (u.hasBudget ? "; s-au adunat doar randurile comune" : ""));
            if (!u.hasBudget) continue;
            for (size_t i = 0; i < c.lines.size(); ++i) {
                prev[i] += u.prevederi[i].value_or(0);
                exec[i] += u.executie[i].value_or(0);
            }
            ++r.units;
        }
        data::SqlSession& s = data::SqlSession::forDirectory(groupDir);
        data::RunTransaction tx(groupDir, QBuget, data::RunTransaction::OnError::RollBack);
        for (size_t i = 0; i < c.lines.size(); ++i)
            s.execute(kUpdateLine,
                      {{"P", data::fromBani(prev[i])}, {"E", data::fromBani(exec[i])}, {"R", c.lines[i].rowid}});
        tx.commit();
    } catch (const data::EngineError& e) {
        throw BilantError(BilantError::Kind::TableAccess, std::string(kBilantAccessError) + "\n" + e.what() + "!");
    }
    CalcBilantSubunitate(groupDir);
    return r;
}

}  // namespace budget
