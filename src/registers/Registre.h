// The "Listari" / "Registre" commands: what each runs, in order. Each runs
// from the menu (what it needs asked for in its dialogs) or, given what it
// needs and a file, from the command line without a window.
#pragma once
#include <optional>

#include "reports/ReportRun.h"

class QWidget;

namespace registers {

// Full rebuild of the register work table, then the register; a failed
// rebuild has told the user and nothing more runs (AccessError). Without an
// interval the cash and bank registers ask for one.
reports::RunResult RegistruIncasariPlati(QWidget* owner, const reports::ReportOutput& output);
reports::RunResult RegistruCasa(QWidget* owner, std::optional<reports::Interval> interval,
                                const reports::ReportOutput& output);
reports::RunResult RegistruBanca(QWidget* owner, std::optional<reports::Interval> interval,
                                 const reports::ReportOutput& output);
// The income type's ledger; no rebuild. Without a code the income-type choice
// comes first (no type preselected); a cancelled choice does nothing.
reports::RunResult PartiziVenituri(QWidget* owner, std::optional<short> code, const reports::ReportOutput& output);
// The work table filled with the expense type's payments, then the ledger.
// Without a code the expense-type choice comes first.
reports::RunResult PartiziCheltuieli(QWidget* owner, std::optional<short> code, const reports::ReportOutput& output);

// The menu commands: everything asked for, the preview or the printer.
inline void RegistruIncasariPlati(QWidget* owner) { RegistruIncasariPlati(owner, {}); }
inline void RegistruCasa(QWidget* owner) { RegistruCasa(owner, std::nullopt, {}); }
inline void RegistruBanca(QWidget* owner) { RegistruBanca(owner, std::nullopt, {}); }
inline void PartiziVenituri(QWidget* owner) { PartiziVenituri(owner, std::nullopt, {}); }
inline void PartiziCheltuieli(QWidget* owner) { PartiziCheltuieli(owner, std::nullopt, {}); }

}  // namespace registers
