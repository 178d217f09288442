// The register builder: rebuilds the register work table "Registru.DB" from
// the document tables, one row per cash or bank movement with the running
// cash, bank and total balances, for the register and ledger reports.
//
// Plain C++ over the table engine. The window that runs it (the builder
// window with its progress bar) shows a RegistruError in an error box and then
// ends its command silently; it repaints its progress bar from the callback.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>

namespace registers {

inline constexpr const char* kRegistruAccessError = "Eroare de acces la tabela registru!";

// A rebuild that failed. what() is the whole text of the error box:
//  - TemplateCopy: "Nu pot crea fisierul :" + the database directory +
//    "Registru. Inchideti fisierele aferente si repetati operatia!"
//    (the work table files are held open elsewhere; nothing was done);
//  - TableAccess: "Eroare de acces la tabela registru!", a line break, the
//    engine's message and "!" (the work table holds nothing of this run).
// Errors other than these reach the caller unchanged.
class RegistruError : public std::runtime_error {
public:
    enum class Kind { TemplateCopy, TableAccess };
    RegistruError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Told after every step of a rebuild: `done` of `total` steps.
using Progress = std::function<void(int done, int total)>;

// Full rebuild in the database directory `dir` ("" = AppDir): the empty
// template "RegGol.DB" copied over "Registru.DB"; the opening cash and bank
// balances of "Contor.DB" as receipts dated 1 January of the working year
// (An_lucru of "Parohia.DB"); one row per receipt and payment in "Casa" or
// "Banca", per deposit and per withdrawal; every movement column 0.0 where it
// has no amount; SoldC, SoldB and SoldT after every row in the table's order
// (ascending date, insertion order within a date); rows without a date removed
// last, their amounts staying in the balances of the rows after them.
// Every document gives its own row, so the closing balances equal the current
// balances of the document windows.
void CalcRegistru(const std::string& dir = {}, const Progress& progress = {});

// The expense ledger's fill: the template copied over "Registru.DB", then one
// row per payment of expense type `cod` (both accounts, amount in PlatiC);
// rows without a date removed. No opening rows, no zeros, no balances.
void CalcRegistruCheltuiala(int cod, const std::string& dir = {});

}  // namespace registers
