#include "catalogs/CatalogSelect.h"

#include <memory>

#include "catalogs/CatalogFrm.h"

namespace catalogs {

namespace {

// Runs the selection window W modally; it is freed however the choice ends.
template <class W>
bool selectCode(QWidget* owner, short& code) {
    auto w = std::make_unique<W>(owner, CatalogMode::Select);
    return w->runSelection(code);
}

}  // namespace

bool SelectTipVenit(QWidget* owner, short& code) { return selectCode<TTipVenitFrm>(owner, code); }

bool SelectTipCheltuiala(QWidget* owner, short& code) { return selectCode<TTipCheltuialaFrm>(owner, code); }

}  // namespace catalogs
