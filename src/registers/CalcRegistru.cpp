#include "registers/CalcRegistru.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "data/Engine.h"
#include "data/Errors.h"
#include "data/FileCopy.h"
#include "data/Query.h"
#include "data/StoredStatement.h"
#include "data/Table.h"

namespace registers {

namespace {

using Statement = data::StoredStatement;

// The work table is rebuilt whole or, on an error, left empty.
constexpr auto kOnError = data::RunTransaction::OnError::RollBack;

// Opening balances as receipts dated 1 January of the working year. The third
// line is replaced before the statement runs: its date becomes the working
// year's (kOpeningDate* around the ISO date).
const Statement QInsSoldC{
    "QInsSoldC",
    {"INSERT INTO \"Registru.DB\"", "(Data, Nr_doc,Fel, Explicatii, IncasariC)",
     "SELECT '2007-01-01' as Data, 0 as Nr_act,'CHIT' as Fel, 'Sold in casa la inceputul anului' as "
     "Explicatie, Sold_init_casa",
     "FROM \"Contor.DB\""}};
const Statement QInsSoldB{
    "QInsSoldB",
    {"INSERT INTO \"Registru.DB\"", "(Data, Nr_doc,Fel, Explicatii, IncasariB)",
     "SELECT '2007-01-01' as Data, 0 as Nr_act,'EXT' as Fel, 'Sold in cont la inceputul anului' as "
     "Explicatie, Sold_init_banca",
     "FROM \"Contor.DB\""}};
constexpr int kOpeningSelectLine = 2;
const char* const kSoldCSelect[2] = {
    "SELECT '",
    "' as Data, 0 as Nr_act,'CHIT' as Fel, 'Sold in casa la inceputul anului' as Explicatie, Sold_init_casa"};
const char* const kSoldBSelect[2] = {
    "SELECT '",
    "' as Data, 0 as Nr_act,'EXT' as Fel, 'Sold in cont la inceputul anului' as Explicatie, Sold_init_banca"};

// One row per movement, in this order, the documents of each table in the
// order they were entered. Every stored document gives its own row: two
// documents alike in every selected column are still two movements. The
// document tables are read straight through (NOT INDEXED): through the
// account's index every row would be fetched on its own.
const Statement kMovements[] = {
    {"QIncasariC",
     {"INSERT INTO \"Registru.DB\" (Data, Nr_doc,Fel, Explicatii, IncasariC)",
      "SELECT Data, Nr_act,Fel, Explicatie, Valoarea FROM \"Venituri.DB\" NOT INDEXED", "WHERE (Cont = 'Casa')",
      "ORDER BY rowid"}},
    {"QIncasariB",
     {"INSERT INTO \"Registru.DB\" (Data, Nr_doc,Fel, Explicatii, IncasariB)",
      "SELECT Data, Nr_act, Fel ,Explicatie, Valoarea FROM \"Venituri.DB\" NOT INDEXED", "WHERE (Cont = 'Banca')",
      "ORDER BY rowid"}},
    {"QRidicari",
     {"INSERT INTO \"Registru.DB\" (Data, Nr_doc, Fel, Explicatii, RidicariC, RidicariB)",
      "SELECT Data, Nr_doc, Fel,'Retragere numerar' as Expl, Suma, Suma FROM \"Ridicari.DB\"", "ORDER BY rowid"}},
    {"QDepuneri",
     {"INSERT INTO \"Registru.DB\" (Data, Nr_doc, Fel, Explicatii, DepuneriC, DepuneriB)",
      "SELECT Data, Nr_doc, Fel ,'Depunere numerar' as Expl, Suma, Suma FROM \"Depuneri.DB\"", "ORDER BY rowid"}},
    {"QPlatiC",
     {"INSERT INTO \"Registru.DB\" (Data, Nr_doc,Fel, Explicatii, PlatiC)",
      "SELECT Data, Nr_act, Fel ,Explicatie, Valoarea FROM \"Cheltuieli.DB\" NOT INDEXED", "WHERE (Cont = 'Casa')",
      "ORDER BY rowid"}},
    {"QPlatiB",
     {"INSERT INTO \"Registru.DB\" (Data, Nr_doc,Fel, Explicatii, PlatiB)",
      "SELECT Data, Nr_act, Fel,Explicatie, Valoarea FROM \"Cheltuieli.DB\" NOT INDEXED", "WHERE (Cont = 'Banca')",
      "ORDER BY rowid"}},
};

// One pass over the table: every movement column without an amount becomes
// 0.0 (the reports compare them with 0.0), and every row gets the running
// balances in the table's order (ascending date, then insertion order): the
// previous row's balance plus the row's own movement. The balances are summed
// in whole bani (each amount rounded to the ban as it prints), so a balance is
// exact to the ban after any number of rows. They are computed first into a
// table of the SQL session (by row identity), then written row after row as
// the rows are stored.
// An amount in bani, rounded half away from zero as data::toBani rounds
// (a half ban held a hair below its binary neighbour still rounds away).
#define CV_BANI(col) \
    "CAST(ROUND(COALESCE(" col ", 0.0) * 100.0 + (CASE WHEN " col " < 0 THEN -1e-7 ELSE 1e-7 END)) AS INTEGER)"
const Statement QSolduriTabela{"QSolduriTabela",
                               {"CREATE TABLE temp.Solduri (Rand INTEGER PRIMARY KEY, SoldC INTEGER, SoldB INTEGER)"}};
const Statement QSolduriCalcul{
    "QSolduriCalcul",
    {"INSERT INTO temp.Solduri", "SELECT rowid AS Rand,",
     "  SUM(" CV_BANI("IncasariC") " + " CV_BANI("RidicariC") " - " CV_BANI("PlatiC") " - " CV_BANI("DepuneriC") ")",
     "    OVER Ordine AS SoldC,",
     "  SUM(" CV_BANI("IncasariB") " + " CV_BANI("DepuneriB") " - " CV_BANI("PlatiB") " - " CV_BANI("RidicariB") ")",
     "    OVER Ordine AS SoldB", "FROM \"Registru.DB\"",
     "WINDOW Ordine AS (ORDER BY Data, Id ROWS UNBOUNDED PRECEDING)"}};
#undef CV_BANI
const Statement QSolduri{
    "QSolduri",
    {"UPDATE \"Registru.DB\"", "SET IncasariC = COALESCE(IncasariC, 0.0), PlatiC = COALESCE(PlatiC, 0.0),",
     "  RidicariC = COALESCE(RidicariC, 0.0), DepuneriC = COALESCE(DepuneriC, 0.0),",
     "  IncasariB = COALESCE(IncasariB, 0.0), PlatiB = COALESCE(PlatiB, 0.0),",
     "  RidicariB = COALESCE(RidicariB, 0.0), DepuneriB = COALESCE(DepuneriB, 0.0),",
     "  (SoldC, SoldB, SoldT) = (SELECT S.SoldC / 100.0, S.SoldB / 100.0, (S.SoldB + S.SoldC) / 100.0",
     "    FROM temp.Solduri AS S", "    WHERE S.Rand = Registru.rowid)"}};
const Statement QSolduriSterge{"QSolduriSterge", {"DROP TABLE IF EXISTS temp.Solduri"}};

const Statement QDelErrors{"QDelErrors", {"DELETE FROM \"Registru.DB\" WHERE (Data IS NULL)"}};

// The expense ledger: the payments of one type, from both accounts.
const Statement QPl{"QPl",
                    {"INSERT INTO \"Registru.DB\" (Data, Nr_doc,Fel, Explicatii, PlatiC)",
                     "SELECT Data, Nr_act, Fel ,Explicatie, Valoarea FROM \"Cheltuieli.DB\"",
                     "WHERE (Cod_cheltuiala = :Cod)", "ORDER BY rowid"}};

[[noreturn]] void accessError(const std::exception& e) {
    throw RegistruError(RegistruError::Kind::TableAccess, std::string(kRegistruAccessError) + "\n" + e.what() + "!");
}

// Whether another program has the table file open. The file copy sees only
// the locks of a program in the middle of a transaction, not a table merely
// open there; replacing the file would leave that program on the old one.
bool heldByAnotherProgram(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return false;
    const std::string canonical = data::canonicalPath(path);
    auto& files = data::OpenFiles::instance();
    if (files.isOpen(canonical)) return false;  // ours: the copy refuses it itself
    try {
        files.acquire(canonical, true);
    } catch (const data::EngineError&) {
        return true;
    }
    files.release(canonical, true);
    return false;
}

// Empties the work table: the template's files over the work table's. A
// template file that does not exist has nothing to copy (tables without a
// primary-index file).
void copyTemplate(const std::string& dir) {
    try {
        const std::string work = data::tableFileIn(dir, "Registru.DB");
        if (heldByAnotherProgram(work)) throw data::FileError(data::destinationErrorText(work));
        data::CopyWholeFile(data::tableFileIn(dir, "RegGol.DB"), work);
        std::string index = data::resolveTableFile(dir, "RegGol.PX");
        if (!index.empty()) data::CopyWholeFile(index, data::tableFileIn(dir, "Registru.PX"));
    } catch (const data::FileError&) {
        throw RegistruError(
            RegistruError::Kind::TemplateCopy,
            "Nu pot crea fisierul :" + dir + "Registru. Inchideti fisierele aferente si repetati operatia!");
    }
}

// The working year, An_lucru of the unit's first record.
int workingYear(const std::string& dir) {
    data::Table parohia;
    parohia.setDatabaseName(dir);
    parohia.setTableName("Parohia.DB");
    parohia.setDeclaredFields({"An_lucru"});
    parohia.open();
    parohia.first();
    long long year = parohia.isEmpty() ? 0 : parohia["An_lucru"].asInteger();
    parohia.close();
    // without a working year there is no date for the opening rows
    if (year < 1 || year > 9999)
        throw data::EngineError("Anul de lucru (An_lucru) lipseste din datele unitatii (Parohia.DB)");
    return static_cast<int>(year);
}

void insertOpening(const Statement& s, const char* const select[2], const std::string& date, const std::string& dir) {
    data::Query q;
    data::prepareStored(q, s, dir);
    q.sql[kOpeningSelectLine] = std::string(select[0]) + date + select[1];
    q.execSql();
}

// Names every table a rebuild reads or writes, so that the SQL session has
// them all at hand before the transaction starts (it lets go of other tables
// only outside a transaction).
const Statement QTabele{
    "QTabele",
    {"SELECT 0 FROM \"Registru.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Contor.DB\" WHERE 0",
     "UNION ALL SELECT 0 FROM \"Venituri.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Cheltuieli.DB\" WHERE 0",
     "UNION ALL SELECT 0 FROM \"Depuneri.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Ridicari.DB\" WHERE 0"}};
const Statement QTabelePl{
    "QTabelePl", {"SELECT 0 FROM \"Registru.DB\" WHERE 0", "UNION ALL SELECT 0 FROM \"Cheltuieli.DB\" WHERE 0"}};

}  // namespace

void CalcRegistru(const std::string& dirIn, const Progress& progress) {
    const std::string dir = data::runDirectory(dirIn);
    const int total = 1 + 2 + static_cast<int>(std::size(kMovements)) + 2;
    int done = 0;
    auto step = [&] {
        if (progress) progress(++done, total);
    };

    copyTemplate(dir);
    step();
    try {
        const std::string opening = data::Date{workingYear(dir), 1, 1}.iso();
        data::RunTransaction tx(dir, QTabele, kOnError);
        insertOpening(QInsSoldC, kSoldCSelect, opening, dir);
        step();
        insertOpening(QInsSoldB, kSoldBSelect, opening, dir);
        step();
        for (const Statement& s : kMovements) {
            data::executeStored(s, dir);
            step();
        }
        for (const Statement* pass : {&QSolduriSterge, &QSolduriTabela, &QSolduriCalcul, &QSolduri, &QSolduriSterge})
            data::executeStored(*pass, dir);
        step();
        data::executeStored(QDelErrors, dir);
        tx.commit();
        step();
    } catch (const data::EngineError& e) {
        accessError(e);
    }
}

void CalcRegistruCheltuiala(int cod, const std::string& dirIn) {
    const std::string dir = data::runDirectory(dirIn);
    copyTemplate(dir);
    try {
        data::RunTransaction tx(dir, QTabelePl, kOnError);
        data::Query q;
        data::prepareStored(q, QPl, dir);
        q.setParam("Cod", cod);
        q.execSql();
        data::executeStored(QDelErrors, dir);
        tx.commit();
    } catch (const data::EngineError& e) {
        accessError(e);
    }
}

}  // namespace registers
