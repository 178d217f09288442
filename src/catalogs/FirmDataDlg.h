// The unit data dialog "Datele unitatii": the single record of "Parohia.DB"
// (who the unit is, its address, head, accountant, bank account, working year
// and whether the program runs at a metropolitan see). Run modally through
// shell::RunModalDialog, which opens the table and drops the changes when the
// dialog is closed with its close box. "&Valideaza" stores the record and
// closes the dialog; a record the table refuses keeps the dialog open.
#pragma once
#include <QDialog>
#include <memory>
#include <vector>

#include "data/DataSource.h"
#include "data/Table.h"

class QLabel;
class QPushButton;
class Ui_TFirmDataDlg;

namespace ui {
class TDBCheckBoxNormal;
class TDBComboNormal;
class TDBEditNormal;
}  // namespace ui

namespace catalogs {

// The access-error text of the dialog.
inline constexpr const char* kParohiaAccessError = "Eroare de acces la tabela parohie!";

class TFirmDataDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFirmDataDlg(QWidget* owner);
    ~TFirmDataDlg() override;

    // The tables RunModalDialog opens, posts and closes.
    std::vector<data::DataSet*> tables() { return {&TParohia}; }

    data::Table TParohia;
    data::DataSource DSParohia;

    // The persistent fields; valid while the table is open.
    data::Field* TParohiaArhiepiscopia = nullptr;
    data::Field* TParohiaProtopopiatul = nullptr;
    data::Field* TParohiaParohia = nullptr;
    data::Field* TParohiaStrada = nullptr;
    data::Field* TParohiaNr = nullptr;
    data::Field* TParohiaLocalitatea = nullptr;
    data::Field* TParohiaJudet = nullptr;
    data::Field* TParohiaPreot = nullptr;
    data::Field* TParohiaEpitrop = nullptr;
    data::Field* TParohiaBanca = nullptr;
    data::Field* TParohiaContbancar = nullptr;
    data::Field* TParohiaAn_lucru = nullptr;
    data::Field* TParohiaFelmarosta = nullptr;

    ui::TDBCheckBoxNormal* MitropCBox = nullptr;
    ui::TDBComboNormal* DBComboNormal1 = nullptr;  // An_lucru
    ui::TDBEditNormal* DBEditNormal1 = nullptr;    // Arhiepiscopia
    ui::TDBEditNormal* DBEditNormal2 = nullptr;    // Protopopiatul
    ui::TDBEditNormal* DBEditNormal3 = nullptr;    // Parohia
    ui::TDBEditNormal* DBEditNormal4 = nullptr;    // Strada
    ui::TDBEditNormal* DBEditNormal5 = nullptr;    // Nr
    ui::TDBEditNormal* DBEditNormal6 = nullptr;    // Localitatea
    ui::TDBEditNormal* DBEditNormal7 = nullptr;    // Judet
    ui::TDBEditNormal* DBEditNormal8 = nullptr;    // Preot
    ui::TDBEditNormal* DBEditNormal9 = nullptr;    // Banca
    ui::TDBEditNormal* DBEditNormal10 = nullptr;   // Cont bancar
    ui::TDBEditNormal* DBEditNormal11 = nullptr;   // Epitrop
    QLabel* Label2 = nullptr;                      // before Arhiepiscopia
    QLabel* Label3 = nullptr;                      // before Protopopiatul
    QLabel* Label4 = nullptr;                      // before Parohia
    QLabel* Label9 = nullptr;                      // before Preot
    QLabel* Label15 = nullptr;                     // before Epitrop
    QPushButton* BitBtn1 = nullptr;                // "&Valideaza"

    // The five captions in the parish or the metropolis wording, after the
    // check box (undetermined counts as not checked).
    void MitropCBoxClick();
    // "&Valideaza": stores the record, then closes the dialog with OK.
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fieldsOpened();
    void fieldsClosed();
    // The check box shows Felmarosta; NULL shows it undetermined.
    void showCheckState();

    std::unique_ptr<Ui_TFirmDataDlg> ui_;
    bool centred_ = false;
};

}  // namespace catalogs
