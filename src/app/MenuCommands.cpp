#include "app/MenuCommands.h"

#include <QApplication>

#include "app/About.h"
#include "app/AjutorUnt.h"
#include "app/MainFrm.h"
#include "app/NewYearCmd.h"
#include "app/RestaurareUnt.h"
#include "app/ParamAplicUnt.h"
#include "app/ReportCommands.h"
#include "shell/WindowSlots.h"
#include "entry/CheltuieliUnt.h"
#include "entry/DepuneriUnt.h"
#include "entry/DocumenteUnt.h"
#include "entry/RidicariUnt.h"
#include "entry/VenituriUnt.h"
#include "catalogs/BrowseCatalog.h"
#include "catalogs/FirmDataDlg.h"
#include "budget/BilantCentralUnt.h"
#include "budget/BilantUnt.h"
#include "budget/ExportBuget.h"
#include "registers/Registre.h"
#include "controls/PickDate.h"
#include "data/Clock.h"
#include "records/FisaEnoriasUnt.h"
#include "stock/PangarInUnt.h"
#include "stock/RepStocUnt.h"
#include "stock/StocUnt.h"
#include "journal/RepJurnalUnt.h"

namespace app {

bool MenuCommands::filled(Command c) const {
    auto it = handlers_.find(c);
    return it != handlers_.end() && it->second;
}

void MenuCommands::run(Command c, TMainFrm& owner) const {
    auto it = handlers_.find(c);
    if (it != handlers_.end() && it->second) it->second(owner);
}

// One line per command. The windows that are not built yet have an empty
// handler here; each gets its line when its window exists.
MenuCommands MenuCommands::standard() {
    MenuCommands c;
    // Sistem
    c.set(Command::Enoriasi, [](TMainFrm& m) { catalogs::BrowseCatalog<catalogs::TEnoriasiFrm>(&m); });
    c.set(Command::DateleUnitatii,
          [](TMainFrm& m) { shell::RunModalDialog<catalogs::TFirmDataDlg>(&m, catalogs::kParohiaAccessError); });
    c.set(Command::Iesire, [](TMainFrm& m) { m.close(); });
    // Setari
    c.set(Command::ParametriAplicatiei, [](TMainFrm& m) { RunParamAplic(&m); });
    c.set(Command::TipuriVenit, [](TMainFrm& m) { catalogs::BrowseCatalog<catalogs::TTipVenitFrm>(&m); });
    c.set(Command::TipuriCheltuiala, [](TMainFrm& m) { catalogs::BrowseCatalog<catalogs::TTipCheltuialaFrm>(&m); });
    c.set(Command::ConfigurareBilant,
          [](TMainFrm& m) { catalogs::BrowseCatalog<catalogs::TNomenclatorBilantFrm>(&m); });
    c.set(Command::TrecereaAnNou, [](TMainFrm& m) { TrecereaAnNou(m); });
    // in the archive of a closed year: opens or closes its correction
    c.set(Command::CorectieArhiva, [](TMainFrm& m) { CorectieArhiva(m); });
    c.set(Command::RestaurareCopie, [](TMainFrm& m) { RestaurareCopie(m); });
    c.set(Command::Despre, [](TMainFrm& m) { ShowAbout(&m); });  // version and database directory
    // Actualizari
    c.set(Command::Venituri, [](TMainFrm& m) { shell::OpenSingleWindow<entry::TVenituriFrm>(&m); });  // receipts window
    c.set(Command::Cheltuieli,
          [](TMainFrm& m) { shell::OpenSingleWindow<entry::TCheltuieliFrm>(&m); });                   // payments window
    c.set(Command::Depuneri, [](TMainFrm& m) { shell::OpenSingleWindow<entry::TDepuneriFrm>(&m); });  // deposits window
    c.set(Command::Ridicari,
          [](TMainFrm& m) { shell::OpenSingleWindow<entry::TRidicariFrm>(&m); });  // withdrawals window
    // from a document window: go to a number there; elsewhere the documents list
    c.set(Command::Documente, [](TMainFrm& m) {
        if (auto* doc = qobject_cast<entry::TDocumentFrm*>(QApplication::activeWindow()))
            doc->goToNumber();
        else
            shell::OpenSingleWindow<entry::TDocumenteFrm>(&m);
    });
    c.set(Command::FisaEnoriasului,
          [](TMainFrm& m) { shell::RunModalDialog<records::TFisaEnoriasFrm>(&m, "Eroare de acces la baza de date!"); });
    c.set(Command::Stocuri, [](TMainFrm& m) { shell::RunModalDialog<stock::TStocFrm>(&m, stock::kStocAccessError); });
    c.set(Command::PangarIntrari, [](TMainFrm& m) { shell::OpenSingleWindow<stock::TPangarInFrm>(&m); });
    c.set(Command::PangarIesiri, {});                                     // no command
    c.set(Command::Bilant, [](TMainFrm& m) { budget::OpenBilant(&m); });  // budget as of today, then the budget window
    c.set(Command::BilantCentralizat,
          [](TMainFrm& m) { budget::OpenBilantCentral(&m); });  // centralised budget window, modal
    // Listari
    // register rebuild, then the receipts-and-payments / cash / bank register
    c.set(Command::RegistruIncasariPlati, [](TMainFrm& m) { registers::RegistruIncasariPlati(&m); });
    c.set(Command::RegistruCasa, [](TMainFrm& m) { registers::RegistruCasa(&m); });
    c.set(Command::RegistruBanca, [](TMainFrm& m) { registers::RegistruBanca(&m); });
    // income-type choice, income ledger; expense-type choice, register of the type, expense ledger
    c.set(Command::PartiziVenituri, [](TMainFrm& m) { registers::PartiziVenituri(&m); });
    c.set(Command::PartiziCheltuieli, [](TMainFrm& m) { registers::PartiziCheltuieli(&m); });
    c.set(Command::ListaStocurilor, [](TMainFrm& m) {
        if (data::Date d = data::today(); ui::PickDate(&m, d)) stock::PrintStoc(&m, d);
    });
    // the period's documents, every field, to a spreadsheet
    c.set(Command::ExportDocumente, [](TMainFrm& m) { ExportDocumente(&m); });
    // the change journal: its printout and the check of its chain
    c.set(Command::JurnalulModificarilor, [](TMainFrm& m) { journal::PrintJurnal(&m); });
    c.set(Command::VerificareJurnal, [](TMainFrm& m) { journal::VerificareJurnal(&m); });
    c.set(Command::ExportBugetProtopopiat, [](TMainFrm& m) { budget::ExportBugetProtopopiat(&m); });
    // Ajutor
    c.set(Command::ActualizareOnline, [](TMainFrm& m) { m.Actualizareonline1Click(); });
    c.set(Command::ManualUtilizare, [](TMainFrm& m) { ShowManual(&m, QApplication::focusWidget()); });
    return c;
}

}  // namespace app
