// The unit data dialog "Datele unitatii": the single record of "Parohia.DB"
// (who the unit is, its address, head, accountant, bank account, working year
// and whether the program runs at a metropolitan see). Run modally through
// shell::RunModalDialog, which opens the table and drops the changes when the
// dialog is closed with its close box. "&Valideaza" stores the record and
// closes the dialog; a record the table refuses keeps the dialog open.
#pragma once
#include <QDialog>

#include "controls/DataWindow.h"

class QLabel;

namespace ui {
class TDBCheckBoxNormal;
}

namespace catalogs {

// The access-error text of the dialog.
inline constexpr const char* kParohiaAccessError = "Eroare de acces la tabela parohie!";

class TFirmDataDlg : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TFirmDataDlg(QWidget* owner);
    ~TFirmDataDlg() override;

private:
    // The five captions in the parish or the metropolis wording, after the
    // check box (undetermined counts as not checked).
    void MitropCBoxClick();
    // "&Valideaza": stores the record, then closes the dialog with OK.
    void BitBtn1Click();
    // The check box shows Felmarosta; NULL shows it undetermined.
    void showCheckState();

    data::Table& TParohia = table("Parohia.DB");
    data::DataSource& DSParohia = source(TParohia);

    ui::TDBCheckBoxNormal* MitropCBox;
    // The captions the check box switches, in the order of kCaptions.
    QLabel* captions_[5];
};

}  // namespace catalogs
