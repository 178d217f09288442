#include "budget/CalcBilant.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "budget/Formula.h"
#include "data/Engine.h"
#include "data/Errors.h"
#include "data/FileCopy.h"
#include "data/Money.h"
#include "data/OrdinaryFile.h"
#include "data/Query.h"
#include "data/StoredStatement.h"

namespace budget {

namespace {

using Statement = data::StoredStatement;

// What a run wrote stays also when it stops on an error: the lines keep the
// amounts stored so far, as the user is told.
constexpr auto kOnError = data::RunTransaction::OnError::Keep;

// Every amount the budget stores is whole bani. A sum of documents is summed
// in bani, each amount rounded to the ban as it prints (half away from zero,
// as data::toBani rounds), so it is exact whatever the number of documents.
#define CV_BANI(col) \
    "CAST(ROUND(IFNULL(" col ", 0.0) * 100.0 + (CASE WHEN " col " < 0 THEN -1e-7 ELSE 1e-7 END)) AS INTEGER)"

// Names every table a run reads or writes, so that the SQL session has them
// at hand before its transaction starts.
const Statement QTabele{
    "QTabele",
    {"SELECT 0 FROM \"Bilant.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Contor.DB\" WHERE 0",
     "UNION ALL SELECT 0 FROM \"Venituri.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Tip_venituri.DB\" WHERE 0",
     "UNION ALL SELECT 0 FROM \"Cheltuieli.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Tip_cheltuieli.DB\" WHERE 0"}};

// The period's last step: the budget, its copy as at the day before the
// period, and the opening balance and documents the money at that day is
// summed from.
const Statement QTabelePerioada{
    "QTabelePerioada",
    {"SELECT 0 FROM \"Bilant.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Bilant1.DB\" WHERE 0",
     "UNION ALL SELECT 0 FROM \"Contor.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Venituri.DB\" WHERE 0",
     "UNION ALL SELECT 0 FROM \"Cheltuieli.DB\" WHERE 0"}};

// The budget of a unit or a group directory: its only table.
const Statement QTabeleUnitate{"QTabeleUnitate", {"SELECT 0 FROM \"Bilant.DB\" WHERE 0"}};

// Executed amounts start from 0.0; a blank planned amount becomes 0.0; formula
// lines start from 0.0 in both columns. A formula of only spaces is none.
const Statement QEmptyExecutie{"QEmptyExecutie", {"UPDATE \"Bilant.DB\" SET Executie = 0.0"}};
const Statement QSetPrevZero{"QSetPrevZero", {"UPDATE \"Bilant.DB\" SET Prevederi = 0.0 WHERE (Prevederi IS NULL)"}};
const Statement QSetPrevZero1{"QSetPrevZero1",
                              {"UPDATE \"Bilant.DB\" SET Prevederi = 0.0 WHERE (TRIM(Formula) <> '')"}};
// A unit's executed amounts are typed: only the blank ones and those of the
// formula lines start from 0.0.
const Statement QSetExecZero{"QSetExecZero", {"UPDATE \"Bilant.DB\" SET Executie = 0.0 WHERE (Executie IS NULL)"}};
const Statement QSetExecZero1{"QSetExecZero1", {"UPDATE \"Bilant.DB\" SET Executie = 0.0 WHERE (TRIM(Formula) <> '')"}};

// Every line of the centralised budget: the sum of the first line (index
// order) numbered by each of its three mapping numbers in the office's budget,
// the parishes' group budget and the monasteries' group budget, added in that
// order, the sum rounded to the ban. A blank mapping number is line 0; a
// missing line or a blank amount counts as 0. One statement: a missing budget
// changes no line.
const Statement QCentralizare{
    "QCentralizare",
    {"UPDATE \"BilantCentral.DB\" SET",
     " Prevederi = ROUND(IFNULL((SELECT O.Prevederi FROM \"Bilant.DB\" AS O WHERE O.Nr_rand = "
     "IFNULL(BilantCentral.Rd_oficiu, 0)",
     "                     ORDER BY O.Denumire, O.rowid LIMIT 1), 0.0)",
     "           + IFNULL((SELECT P.Prevederi FROM \"PAROHII/Bilant.DB\" AS P WHERE "
     "P.Nr_rand = IFNULL(BilantCentral.Rd_paroh, 0)",
     "                     ORDER BY P.Denumire, P.rowid LIMIT 1), 0.0)",
     "           + IFNULL((SELECT M.Prevederi FROM \"MANASTIRI/Bilant.DB\" AS M WHERE "
     "M.Nr_rand = IFNULL(BilantCentral.Rd_manast, 0)",
     "                     ORDER BY M.Denumire, M.rowid LIMIT 1), 0.0), 2),",
     " Executie = ROUND(IFNULL((SELECT O.Executie FROM \"Bilant.DB\" AS O WHERE O.Nr_rand = "
     "IFNULL(BilantCentral.Rd_oficiu, 0)",
     "                    ORDER BY O.Denumire, O.rowid LIMIT 1), 0.0)",
     "          + IFNULL((SELECT P.Executie FROM \"PAROHII/Bilant.DB\" AS P WHERE P.Nr_rand "
     "= IFNULL(BilantCentral.Rd_paroh, 0)",
     "                    ORDER BY P.Denumire, P.rowid LIMIT 1), 0.0)",
     "          + IFNULL((SELECT M.Executie FROM \"MANASTIRI/Bilant.DB\" AS M WHERE "
     "M.Nr_rand = IFNULL(BilantCentral.Rd_manast, 0)",
     "                    ORDER BY M.Denumire, M.rowid LIMIT 1), 0.0), 2)"}};
const Statement QRanduriCentral{"QRanduriCentral", {"SELECT COUNT(*) AS N FROM \"BilantCentral.DB\""}};

// The opening balance: cash plus bank of the first record, in bani; a blank
// balance counts as 0, so that the other one still counts.
const Statement QSoldIni{"QSoldIni",
                         {"SELECT " CV_BANI("Sold_init_casa") " + " CV_BANI("Sold_init_banca") " AS SoldInitTot",
                          "FROM \"Contor.DB\" ORDER BY rowid LIMIT 1"}};

// The cash plus bank balance at the end of a day, in bani: the opening
// balance, the receipts and payments of both accounts dated up to the day
// (deposits and withdrawals move money between the two and leave it as it is).
const Statement QSoldLaData{"QSoldLaData",
                            {"SELECT IFNULL((SELECT " CV_BANI("Sold_init_casa") " + " CV_BANI("Sold_init_banca"),
                             "               FROM \"Contor.DB\" ORDER BY rowid LIMIT 1), 0)",
                             "     + IFNULL((SELECT SUM(" CV_BANI("V.Valoarea") ") FROM \"Venituri.DB\" AS V",
                             "               WHERE (V.Data <= :Ziua) AND (V.Cont IN ('Casa', 'Banca'))), 0)",
                             "     - IFNULL((SELECT SUM(" CV_BANI("C.Valoarea") ") FROM \"Cheltuieli.DB\" AS C",
                             "               WHERE (C.Data <= :Ziua) AND (C.Cont IN ('Casa', 'Banca'))), 0) AS Sold"}};

// The first line of a number in index order (number, name) takes a sum.
const Statement QSetRand{"QSetRand",
                         {"UPDATE \"Bilant.DB\" SET Executie = :Suma",
                          "WHERE rowid = (SELECT F.rowid FROM \"Bilant.DB\" AS F WHERE (F.Nr_rand = :Rand)",
                          "               ORDER BY F.Denumire, F.rowid LIMIT 1)"}};

// Receipts and payments up to and including the date, summed by code, the
// codes of the catalogs alone kept (other codes count nowhere), each sum
// stored on the first line numbered by its code. Summing before matching the
// catalog reads every document once. The expense sums run second and replace
// an income sum.
const Statement QDetaliuVenit{
    "QDetaliuVenit",
    {"UPDATE \"Bilant.DB\" SET Executie = S.Suma",
     "FROM (SELECT D.Cod_venit AS Cod, IFNULL(SUM(" CV_BANI("D.Valoarea") "), 0) / 100.0 AS Suma",
     "      FROM \"Venituri.DB\" AS D WHERE (D.Data <= :DataBilant) GROUP BY D.Cod_venit) AS S",
     "     JOIN \"Tip_venituri.DB\" AS D1 ON (D1.Cod_venit = S.Cod),",
     "     (SELECT rowid AS Rand, Nr_rand, ROW_NUMBER() OVER (PARTITION BY Nr_rand ORDER BY Denumire, rowid) AS Loc",
     "      FROM \"Bilant.DB\" AS B) AS F", "WHERE (F.Nr_rand = S.Cod) AND (F.Loc = 1) AND (Bilant.rowid = F.Rand)"}};
const Statement QDetaliuCheltuiala{
    "QDetaliuCheltuiala",
    {"UPDATE \"Bilant.DB\" SET Executie = S.Suma",
     "FROM (SELECT D.Cod_cheltuiala AS Cod, IFNULL(SUM(" CV_BANI("D.Valoarea") "), 0) / 100.0 AS Suma",
     "      FROM \"Cheltuieli.DB\" AS D WHERE (D.Data <= :DataBilant) GROUP BY D.Cod_cheltuiala) AS S",
     "     JOIN \"Tip_cheltuieli.DB\" AS D1 ON (D1.Cod_cheltuiala = S.Cod),",
     "     (SELECT rowid AS Rand, Nr_rand, ROW_NUMBER() OVER (PARTITION BY Nr_rand ORDER BY Denumire, rowid) AS Loc",
     "      FROM \"Bilant.DB\" AS B) AS F", "WHERE (F.Nr_rand = S.Cod) AND (F.Loc = 1) AND (Bilant.rowid = F.Rand)"}};

#undef CV_BANI

// A formula line's result rounded to the ban (a blank result stays blank), so
// that the lines after it read it as it prints.
const Statement QRotunjire{"QRotunjire",
                           {"UPDATE \"Bilant.DB\" SET Prevederi = ROUND(Prevederi, 2), Executie = ROUND(Executie, 2)",
                            "WHERE (Nr_rand = :Rand)"}};

// The lines in index order, for the formula passes.
const Statement QRanduri{"QRanduri", {"SELECT Nr_rand, Formula FROM \"Bilant.DB\" ORDER BY Nr_rand, Denumire, rowid"}};

// The period: every line's executed amount less that of its partner in the
// copy as at the day before the period. Lines pair by number and, among the
// lines of one number, by their place in index order; a blank amount counts
// as zero; a line without a partner keeps its amount. The difference is
// rounded to the ban.
const Statement QCalcBilantPer{
    "QCalcBilantPer",
    {"UPDATE \"Bilant.DB\" SET Executie = ROUND(IFNULL(Executie, 0.0) - IFNULL(P.Executie1, 0.0), 2)",
     "FROM (SELECT B.Rand, A.Executie1", "      FROM (SELECT rowid AS Rand, Nr_rand,",
     "                   ROW_NUMBER() OVER (PARTITION BY Nr_rand ORDER BY Denumire, rowid) AS Loc",
     "            FROM \"Bilant.DB\" AS B0) AS B", "      JOIN (SELECT Nr_rand, Executie AS Executie1,",
     "                   ROW_NUMBER() OVER (PARTITION BY Nr_rand ORDER BY Denumire, rowid) AS Loc",
     "            FROM \"Bilant1.DB\" AS A0) AS A", "      ON (A.Nr_rand = B.Nr_rand) AND (A.Loc = B.Loc)) AS P",
     "WHERE (Bilant.rowid = P.Rand)"}};

[[noreturn]] void accessError(const std::exception& e) {
    throw BilantError(BilantError::Kind::TableAccess, std::string(kBilantAccessError) + "\n" + e.what() + "!");
}

void makePrivateDirectory(const std::string& dir) {
    namespace fs = std::filesystem;
    const std::string priv = dir + kPrivateDirectory;
    std::error_code ec;
    if (fs::is_directory(priv, ec)) return;
    if (!fs::create_directory(priv, ec) && !fs::is_directory(priv, ec))
        throw BilantError(BilantError::Kind::PrivateDirectory, "Nu pot crea " + priv);
}

void forgetComputation(const std::string& dir) {
    std::error_code ec;
    std::filesystem::remove(dir + kComputationFile, ec);
}

struct Line {
    data::Value nr;
    data::Value formula;
};

// The lines of the budget of `dir` in index order.
std::vector<Line> budgetLines(const std::string& dir) {
    std::vector<Line> lines;
    data::Query q;
    data::prepareStored(q, QRanduri, dir);
    q.open();
    for (q.first(); !q.eof(); q.next()) lines.push_back({q["Nr_rand"].value(), q["Formula"].value()});
    return lines;
}

// Two passes in line order: a formula naming a later formula line reads its
// value of the first pass in the second. `step` after every line.
void formulaPasses(const std::vector<Line>& lines, const std::string& dir, const std::function<void()>& step) {
    for (int pass = 0; pass < 2; ++pass) {
        for (const Line& l : lines) {
            if (!l.nr.isNull() && !isBlankFormula(l.formula)) {
                const int rand = static_cast<int>(l.nr.toInt());
                CalcFormula(l.formula.toString(), dir, rand);
                data::executeStored(QRotunjire, dir, {{"Rand", rand}});
            }
            step();
        }
    }
}

// Tells the progress callbacks a run begins, and that it ended however it ends.
class Run {
public:
    explicit Run(const Progress& p) : p_(p) {
        if (p_.begin) p_.begin();
    }
    ~Run() {
        if (p_.end) p_.end();
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    void setTotal(int total) { total_ = total; }
    void step() {
        if (p_.step) p_.step(++done_, total_);
    }

private:
    const Progress& p_;
    int done_ = 0, total_ = 100;
};

}  // namespace

bool isBlankFormula(const data::Value& formula) {
    if (formula.isNull()) return true;
    return formula.toString().find_first_not_of(' ') == std::string::npos;
}

void CalcBilant(const data::Date& date, const std::string& dirIn, const Progress& progress) {
    const std::string dir = data::runDirectory(dirIn);
    makePrivateDirectory(dir);
    forgetComputation(dir);

    Run run(progress);
    auto step = [&run] { run.step(); };

    try {
        data::RunTransaction tx(dir, QTabele, kOnError);
        data::executeStored(QEmptyExecutie, dir);
        data::executeStored(QSetPrevZero, dir);
        data::executeStored(QSetPrevZero1, dir);

        data::Bani opening = 0;
        {
            data::Query q;
            data::prepareStored(q, QSoldIni, dir);
            q.open();
            if (!q.isEmpty()) opening = q["SoldInitTot"].asInteger();
        }
        data::executeStored(QSetRand, dir, {{"Suma", data::fromBani(opening)}, {"Rand", 1}});

        const std::vector<Line> lines = budgetLines(dir);
        run.setTotal(3 + 2 * static_cast<int>(lines.size()));
        step();

        data::executeStored(QDetaliuVenit, dir, {{"DataBilant", date}});
        step();
        data::executeStored(QDetaliuCheltuiala, dir, {{"DataBilant", date}});
        step();

        formulaPasses(lines, dir, step);
        tx.commit();
    } catch (const data::EngineError& e) {
        accessError(e);
    }
    recordComputation(dir, {std::nullopt, date});
}

void CalcBilantSubunitate(const std::string& dirIn, const Progress& progress) {
    const std::string dir = data::runDirectory(dirIn);
    Run run(progress);
    try {
        data::RunTransaction tx(dir, QTabeleUnitate, kOnError);
        data::executeStored(QSetPrevZero, dir);
        data::executeStored(QSetPrevZero1, dir);
        data::executeStored(QSetExecZero, dir);
        data::executeStored(QSetExecZero1, dir);
        const std::vector<Line> lines = budgetLines(dir);
        run.setTotal(2 * static_cast<int>(lines.size()));
        formulaPasses(lines, dir, [&run] { run.step(); });
        tx.commit();
    } catch (const data::EngineError& e) {
        accessError(e);
    }
}

void CentralizBilant(const std::string& dirIn, const Progress& progress) {
    const std::string dir = data::runDirectory(dirIn);
    Run run(progress);
    try {
        int count = 0;
        {
            data::Query q;
            data::prepareStored(q, QRanduriCentral, dir);
            q.open();
            count = static_cast<int>(q["N"].asInteger());
        }
        run.setTotal(count);
        data::executeStored(QCentralizare, dir);
        for (int i = 0; i < count; ++i) run.step();
    } catch (const data::EngineError& e) {
        accessError(e);
    }
}

void CalcBilantPerioada(const data::Date& start, const data::Date& end, int workingYear, const std::string& dirIn,
                        const Progress& progress, const PeriodHooks& hooks) {
    const std::string dir = data::runDirectory(dirIn);
    if (start == data::Date{workingYear, 1, 1}) {
        CalcBilant(end, dir, progress);
        return;
    }
    CalcBilant(start.addDays(-1), dir, progress);

    // The budget as at the day before the period, kept as "Bilant1.DB" (and
    // its index file, where the budget has one).
    if (hooks.releaseTable) hooks.releaseTable();
    try {
        const std::string copy = data::tableFileIn(dir, "Bilant1.DB");
        std::error_code ec;
        // a program still reading the copy would be left on the old file
        if (std::filesystem::exists(copy, ec) &&
            data::OpenFiles::instance().openInAnotherProgram(data::canonicalPath(copy)))
            throw data::FileError(data::destinationErrorText(copy));
        data::CopyWholeFile(data::tableFileIn(dir, "Bilant.DB"), copy);
        const std::string index = data::resolveTableFile(dir, "Bilant.PX");
        if (!index.empty()) data::CopyWholeFile(index, data::tableFileIn(dir, "Bilant1.PX"));
        if (hooks.reopenTable) hooks.reopenTable();
    } catch (const std::runtime_error&) {
        throw BilantError(
            BilantError::Kind::PeriodCopy,
            "Nu pot crea fisierul :" + dir + "Bilant1. Inchideti fisierele aferente si repetati operatia!");
    }

    CalcBilant(end, dir, progress);

    // Every line is the period's difference; line 1 would be too (the opening
    // balance less itself, 0). It holds the money the period starts with
    // instead: the cash and bank balance at the end of the day before, so that
    // the balance lines computed from it state the money at the period's end.
    // The formula lines are evaluated again over these figures.
    Run run(progress);
    forgetComputation(dir);
    try {
        data::RunTransaction tx(dir, QTabelePerioada, kOnError);
        data::executeStored(QCalcBilantPer, dir);
        data::Bani before = 0;
        {
            data::Query q;
            data::prepareStored(q, QSoldLaData, dir);
            q.setParam("Ziua", data::Value(start.addDays(-1)));
            q.open();
            before = q["Sold"].asInteger();
        }
        data::executeStored(QSetRand, dir, {{"Suma", data::fromBani(before)}, {"Rand", 1}});
        const std::vector<Line> lines = budgetLines(dir);
        run.setTotal(1 + 2 * static_cast<int>(lines.size()));
        run.step();
        formulaPasses(lines, dir, [&run] { run.step(); });
        tx.commit();
    } catch (const data::EngineError& e) {
        accessError(e);
    }
    recordComputation(dir, {start, end});
}

// A record that cannot be written is left out: the figures then read as of an
// unknown date, never as of a wrong one.
void recordComputation(const std::string& dirIn, const ComputedPeriod& p) {
    const std::string dir = data::runDirectory(dirIn);
    try {
        data::replaceOrdinaryFile(dir + kComputationFile, (p.from ? p.from->iso() + " " : "") + p.to.iso() + "\n");
    } catch (const std::exception&) {
    }
}

std::optional<ComputedPeriod> lastComputation(const std::string& dirIn) {
    std::string text;
    try {
        text = data::readOrdinaryFile(data::runDirectory(dirIn) + kComputationFile, 64);
    } catch (const data::FileAccessError&) {
        return std::nullopt;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t blank = text.find(' ');
    ComputedPeriod p;
    std::optional<data::Date> to = data::Date::parseIso(blank == std::string::npos ? text : text.substr(blank + 1));
    if (!to || !to->valid()) return std::nullopt;
    p.to = *to;
    if (blank != std::string::npos) {
        p.from = data::Date::parseIso(text.substr(0, blank));
        if (!p.from || !p.from->valid() || *p.from > p.to) return std::nullopt;
    }
    return p;
}

std::string periodHeading(const std::optional<ComputedPeriod>& p, int year) {
    auto dmy = [](const data::Date& d) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
        return std::string(buf);
    };
    if (!p) return "DATA SUMELOR OFICIULUI NU SE CUNOASTE (recalculati bilantul oficiului)";
    if (wholeYear(*p, year)) return "LA SFARSITUL ANULUI : " + std::to_string(year);
    if (!p->from) return "LA DATA : " + dmy(p->to);
    return "PE PERIOADA : " + dmy(*p->from) + " - " + dmy(p->to);
}

bool wholeYear(const ComputedPeriod& p, int year) {
    return p.to == data::Date{year, 12, 31} && (!p.from || *p.from == data::Date{year, 1, 1});
}

}  // namespace budget
