// Opening a catalog window in browse mode from a menu command: one window per
// catalog; opening it again brings the open one to the front.
//
//     catalogs::BrowseCatalog<catalogs::TTipVenitFrm>(mainWindow);
#pragma once
#include "shell/WindowSlots.h"
#include "catalogs/CatalogFrm.h"

namespace catalogs {

template <class W>
W* BrowseCatalog(QWidget* owner) {
    return shell::OpenSingleWindow<W>(owner, CatalogMode::Browse);
}

}  // namespace catalogs
