// Every command of the main menu and the button bar, and the one table that
// says what each does. A command without a handler does nothing.
#pragma once
#include <functional>
#include <map>

namespace app {

class TMainFrm;

enum class Command {
    Enoriasi,
    DateleUnitatii,
    Iesire,
    ParametriAplicatiei,
    TipuriVenit,
    TipuriCheltuiala,
    ConfigurareBilant,
    TrecereaAnNou,
    CorectieArhiva,
    RestaurareCopie,
    Despre,
    Venituri,
    Cheltuieli,
    Depuneri,
    Ridicari,
    Documente,
    FisaEnoriasului,
    Stocuri,
    PangarIntrari,
    PangarIesiri,
    Bilant,
    BilantCentralizat,
    RegistruIncasariPlati,
    RegistruCasa,
    RegistruBanca,
    PartiziVenituri,
    PartiziCheltuieli,
    ListaStocurilor,
    ExportDocumente,
    ActualizareOnline,
    ManualUtilizare,
    JurnalulModificarilor,
    VerificareJurnal,
    ExportBugetProtopopiat,
};

class MenuCommands {
public:
    // Runs with the main window, the owner of every window a command opens.
    using Handler = std::function<void(TMainFrm&)>;

    // The program's commands.
    static MenuCommands standard();

    void set(Command c, Handler h) { handlers_[c] = std::move(h); }
    bool filled(Command c) const;
    // Runs the command's handler; nothing when it has none.
    void run(Command c, TMainFrm& owner) const;

private:
    std::map<Command, Handler> handlers_;
};

}  // namespace app
