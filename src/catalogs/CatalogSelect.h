// Choosing an income or expense type in its catalog (selection mode).
#pragma once

class QWidget;

namespace catalogs {

// Shows the income-type catalog modally, positioned on `code` when the catalog
// has it (otherwise on the first type). Returns true when a type was chosen;
// `code` then holds its Cod_venit. On cancel `code` is left unchanged.
bool SelectTipVenit(QWidget* owner, short& code);
// The same over the expense-type catalog, returning Cod_cheltuiala.
bool SelectTipCheltuiala(QWidget* owner, short& code);

}  // namespace catalogs
