// What the receipts and payments windows share: a document with a type code
// checked against its catalog, chosen from the catalog with Ctrl+Enter or a
// double-click on the code field, a date warned about while typing when it
// is not in the working year, an account ("Casa" or "Banca"), and an
// explanation filled from the type when the amount is left, unless the user
// wrote one.
#pragma once
#include <optional>
#include <string>

#include "entry/DocumentFrm.h"

namespace entry {

// Chooses a type in a catalog window; true with the chosen code.
using SelectType = bool (*)(QWidget* owner, short& code);

struct CashDocSpec {
    const char* codeField;            // "Cod_venit"
    const char* nameField;            // "Den_venit"
    const char* catalogTable;         // "Tip_venituri.DB"
    const char* catalogExplanation;   // "Explicatie_venit"
    bool explanationWithParishioner;  // the explanation ends with a blank and Den_enorias
    const char* codeWarning;          // "Codul de venit <"
    const char* statusHint;           // shown on entering the code field
    const char* focusAfterChoice;     // the control that gets the focus after a catalog choice
    SelectType select;
};

class TCashDocFrm : public TDocumentFrm {
    Q_OBJECT
public:
    // Replaces the catalog choice (tests).
    void setSelectType(SelectType select) { select_ = select; }

protected:
    TCashDocFrm(QWidget* owner, const DocumentSpec& spec, const CashDocSpec& cash);
    void newRecord() override;

    data::Table& TTipCatalog;  // the type catalog, opened around each look-up

private:
    // Ctrl+Enter and double-click on the code field: the type chosen in the
    // catalog goes into the code (the record is put into editing first) and
    // the focus moves on; a cancelled choice changes nothing.
    void chooseType();
    // Leaving the amount while a document is being entered or edited: an
    // explanation that is empty or still the text of a fill becomes the
    // type's default explanation; one the user wrote is kept.
    void fillExplanation();
    // The fill's text for a type code (the type's explanation, for receipts
    // a blank and the parishioner); nullopt for an empty or unknown code.
    std::optional<std::string> fillText(const data::Value& code, const std::string& parishioner);
    // The explanation is empty or the text a fill put there: the last fill
    // of this window, or the fill of the stored document's type.
    bool explanationIsFill();

    // The code rule: a code found in the catalog brings its name; an empty
    // code empties the name; a code the catalog lacks is refused with a
    // warning and the record keeps its code and that code's name.
    void codeValidate(data::Field& code);
    // The date rule: a warning while typing a date outside the working year.
    void dateValidate(data::Field& date);

    const CashDocSpec& cash_;
    SelectType select_;
    std::optional<std::string> lastFill_;  // the text the last fill wrote
};

}  // namespace entry
