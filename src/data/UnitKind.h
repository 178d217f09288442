// The unit's kind ("Tip_unitate" of "Parohia.DB") and the captions that
// follow it: the unit data dialog's labels, the budget's headings and the
// signatures of every printout. A metropolitan see ("Felmarosta") is the kind
// "Centru eparhial": the two are kept in step when either is written.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace data {

class DataSet;

enum class UnitKind { Parohie, Manastire, ManastireMaici, OficiuProtopopesc, CentruEparhial };

struct UnitCaptions {
    const char* kindName;  // as stored in Tip_unitate: "Parohie"
    // the unit data dialog: before Arhiepiscopia, Protopopiatul, Parohia, Preot, Epitrop
    const char* upperLabel;
    const char* middleLabel;
    const char* unitLabel;
    const char* headLabel;
    const char* accountantLabel;
    // the budget's cover: "ARHIEPISCOPIA", "PROTOPOPIATUL", "PAROHIA", "A PAROHIEI"
    const char* upperTitle;
    const char* middleTitle;
    const char* unitTitle;
    const char* budgetOf;
    // the signatures: "PREOT PAROH,", "CONTABIL,"
    const char* headSignature;
    const char* accountantSignature;
};

// Every kind, in the order the unit data dialog offers them.
const std::vector<UnitKind>& allUnitKinds();
const UnitCaptions& unitCaptions(UnitKind kind);

// The kind a record stores: `felmarosta` true is the see whatever the text
// says; a text none of the kinds' names (NULL, an older installation) is the
// deanery office.
UnitKind unitKindOf(std::string_view tipUnitate, std::optional<bool> felmarosta);

// The unit's identification as the printouts give it.
struct UnitIdentity {
    UnitKind kind = UnitKind::OficiuProtopopesc;
    std::string fiscalCode;  // Cod_fiscal, trimmed
    const UnitCaptions& captions() const { return unitCaptions(kind); }
    std::string fiscalCodeLine() const;  // "Cod fiscal: 123", empty when none
};

// Reads the current record of an open "Parohia.DB" data set; fields an older
// table lacks count as empty.
UnitIdentity readUnitIdentity(DataSet& parohia);

}  // namespace data
