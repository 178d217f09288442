#include "catalogs/CatalogSelect.h"

#include <QPointer>

#include "catalogs/CatalogFrm.h"
#include "controls/ControlSupport.h"

namespace catalogs {

namespace {

// Runs the selection window W modally; on confirmation hands back the code of
// the current record.
template <class W>
bool selectCode(QWidget* owner, short& code) {
    QPointer<W> w = new W(owner, CatalogMode::Select);
    struct Free {
        QPointer<W>& w;
        ~Free() { delete w.data(); }
    } freeWindow{w};

    // A catalog that could not be opened has already said so.
    if (!w->Catalog.active()) return false;
    if (!ui::runDataAction(w, [&] { w->positionOnCode(data::Value(static_cast<int>(code))); })) return false;
    if (w->exec() != QDialog::Accepted || !w) return false;
    data::Field* f = w->codeField();
    if (!f || w->Catalog.isEmpty()) return false;
    code = static_cast<short>(f->asInteger());
    w->Catalog.close();
    return true;
}

}  // namespace

bool SelectTipVenit(QWidget* owner, short& code) { return selectCode<TTipVenitFrm>(owner, code); }

bool SelectTipCheltuiala(QWidget* owner, short& code) { return selectCode<TTipCheltuialaFrm>(owner, code); }

}  // namespace catalogs
