#include "data/UnitKind.h"

#include <algorithm>

#include "data/DataSet.h"
#include "data/Field.h"

namespace data {

namespace {

const UnitCaptions kCaptions[] = {
    {"Parohie", "Arhiepiscopia", "Protopopiatul", "Parohia", "Preot paroh", "Contabil", "ARHIEPISCOPIA",
     "PROTOPOPIATUL", "PAROHIA", "A PAROHIEI", "PREOT PAROH,", "CONTABIL,"},
    {"Manastire", "Arhiepiscopia", "Protopopiatul", "Manastirea", "Staret", "Contabil", "ARHIEPISCOPIA",
     "PROTOPOPIATUL", "MANASTIREA", "A MANASTIRII", "STARET,", "CONTABIL,"},
    {"Manastire de maici", "Arhiepiscopia", "Protopopiatul", "Manastirea", "Stareta", "Contabil", "ARHIEPISCOPIA",
     "PROTOPOPIATUL", "MANASTIREA", "A MANASTIRII", "STARETA,", "CONTABIL,"},
    {"Oficiu protopopesc", "Arhiepiscopia", "Protopopiatul", "Oficiul protopopiatului", "Preot paroh", "Contabil",
     "ARHIEPISCOPIA", "PROTOPOPIATUL", "OFICIUL PROTOPOPIATULUI", "A OFICIULUI PROTOPOPIATULUI", "PROTOPOP,",
     "CONTABIL,"},
    {"Centru eparhial", "Mitropolia", "Episcopia", "Centrul eparhial", "Mitropolit/Episcop", "Consilier economic",
     "MITROPOLIA", "EPISCOPIA", "CENTRUL EPARHIAL", "LA CENTRUL EPARHIAL", "Conducatorul unitatii,",
     "Consilier economic,"},
};

std::string trimmed(std::string s) {
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.back())) s.pop_back();
    s.erase(s.begin(), std::find_if_not(s.begin(), s.end(), blank));
    return s;
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

const std::vector<UnitKind>& allUnitKinds() {
    static const std::vector<UnitKind> kinds{UnitKind::Parohie, UnitKind::Manastire, UnitKind::ManastireMaici,
                                             UnitKind::OficiuProtopopesc, UnitKind::CentruEparhial};
    return kinds;
}

const UnitCaptions& unitCaptions(UnitKind kind) { return kCaptions[static_cast<int>(kind)]; }

UnitKind unitKindOf(std::string_view tipUnitate, std::optional<bool> felmarosta) {
    if (felmarosta.value_or(false)) return UnitKind::CentruEparhial;
    const std::string text = trimmed(std::string(tipUnitate));
    for (UnitKind k : allUnitKinds())
        if (sameText(text, unitCaptions(k).kindName)) return k;
    return UnitKind::OficiuProtopopesc;
}

std::string UnitIdentity::fiscalCodeLine() const {
    return fiscalCode.empty() ? std::string() : "Cod fiscal: " + fiscalCode;
}

UnitIdentity readUnitIdentity(DataSet& parohia) {
    UnitIdentity u;
    if (!parohia.active() || parohia.isEmpty()) return u;
    auto text = [&](const char* name) {
        Field* f = parohia.findField(name);
        return f && !f->isNull() ? trimmed(f->asString()) : std::string();
    };
    std::optional<bool> see;
    if (Field* f = parohia.findField("Felmarosta"); f && !f->isNull()) see = f->asBoolean();
    u.kind = unitKindOf(text("Tip_unitate"), see);
    u.fiscalCode = text("Cod_fiscal");
    return u;
}

}  // namespace data
