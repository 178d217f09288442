// The "Listari" / "Registre" commands: what each runs, in order.
#pragma once

class QWidget;

namespace registers {

// Full rebuild of the register work table, then the register; a failed
// rebuild has told the user and nothing more runs.
void RegistruIncasariPlati(QWidget* owner);
void RegistruCasa(QWidget* owner);
void RegistruBanca(QWidget* owner);
// The income-type choice (no type preselected), then that type's ledger; no
// rebuild. A cancelled choice does nothing.
void PartiziVenituri(QWidget* owner);
// The expense-type choice, the work table filled with that type's payments,
// then the ledger. A cancelled choice does nothing.
void PartiziCheltuieli(QWidget* owner);

}  // namespace registers
