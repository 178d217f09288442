// The unit data dialog "Datele unitatii": the single record of "Parohia.DB"
// (who the unit is, its address, head, accountant, bank account, working year
// and whether the program runs at a metropolitan see). Run modally through
// shell::RunModalDialog, which opens the table and drops the changes when the
// dialog is closed with its close box. "&Valideaza" stores the record and
// closes the dialog; a record the table refuses keeps the dialog open.
#pragma once
#include <QDialog>
#include <optional>
#include <string>

#include "controls/DataWindow.h"

class QLabel;

namespace ui {
class TDBCheckBoxNormal;
class TDBComboNormal;
}  // namespace ui

namespace data {
class Field;
enum class UnitKind;
}  // namespace data

namespace catalogs {

// The access-error text of the dialog.
inline constexpr const char* kParohiaAccessError = "Eroare de acces la tabela parohie!";

class TFirmDataDlg : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    // `askKind`: the first start of a new installation, the focus on the kind.
    explicit TFirmDataDlg(QWidget* owner, bool askKind = false);
    ~TFirmDataDlg() override;

private:
    // The five captions in the wording of the unit's kind; a checked box is
    // the metropolitan see (undetermined counts as not checked).
    void MitropCBoxClick();
    // The kind "Centru eparhial" and Felmarosta follow each other.
    void keepKindInStep(data::Field& changed);
    static std::optional<data::UnitKind> kindOf(const std::string& text);
    // "&Valideaza": stores the record, then closes the dialog with OK.
    void BitBtn1Click();
    // The check box shows Felmarosta; NULL shows it undetermined.
    void showCheckState();

    data::Table& TParohia = table("Parohia.DB");
    data::DataSource& DSParohia = source(TParohia);

    ui::TDBCheckBoxNormal* MitropCBox;
    ui::TDBComboNormal* TipUnitCombo;
    // The captions the kind switches: before Arhiepiscopia, Protopopiatul,
    // Parohia, Preot and Epitrop.
    QLabel* captions_[5];
    bool syncing_ = false;
};

// The first start of a new installation: the unit data dialog asks the unit's
// kind first. True when confirmed.
bool AskUnitData(QWidget* owner);

}  // namespace catalogs
