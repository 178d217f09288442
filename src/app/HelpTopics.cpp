#include "app/HelpTopics.h"

#include <QMetaObject>
#include <QWidget>
#include <cstring>

namespace app {

namespace {

// A derived window comes before the base it shares with others.
constexpr HelpTopic kTopics[] = {
    {"TMainFrm", "primii-pasi.html#fereastra-principala"},
    {"TFirmDataDlg", "primii-pasi.html#datele-unitatii"},
    {"TParamAplicFrm", "salvari.html#parametri"},
    {"TTipVenitFrm", "primii-pasi.html#cataloage"},
    {"TTipCheltuialaFrm", "primii-pasi.html#cataloage"},
    {"TEnoriasiFrm", "alte-ferestre.html#enoriasi"},
    {"TNomenclatorBilantFrm", "buget.html#configurare"},
    {"TCatalogFrm", "primii-pasi.html#cataloage"},
    {"TVenituriFrm", "documente.html#incasari"},
    {"TCheltuieliFrm", "documente.html#plati"},
    {"TDepuneriFrm", "documente.html#depuneri"},
    {"TRidicariFrm", "documente.html#ridicari"},
    {"TDocumentFrm", "documente.html#taste"},
    {"TDocumenteFrm", "corectii.html#lista-documentelor"},
    {"TIstoricDlg", "corectii.html#istoric"},
    {"TBrDateForm", "documente.html#calendar"},
    {"TCalcRegFrm", "rapoarte.html#registre"},
    {"TIntervalDlg", "rapoarte.html#interval"},
    {"TQRPrnDlg", "rapoarte.html#setari-listare"},
    {"TReportFontDlg", "rapoarte.html#setari-listare"},
    {"TQRPreview", "rapoarte.html#previzualizare"},
    {"TBilantFrm", "buget.html#fereastra-bilant"},
    {"TCalcBilantFrm", "buget.html#fereastra-bilant"},
    {"TBilantCentralFrm", "protopopiat.html#centralizator"},
    {"TStocFrm", "alte-ferestre.html#stocuri"},
    {"TPangarInFrm", "alte-ferestre.html#pangar"},
    {"TFisaEnoriasFrm", "alte-ferestre.html#fisa-enoriasului"},
    {"TRestaurareFrm", "salvari.html#restaurare"},
    {"TAjutorFrm", "index.html#ajutor"},
    {"QMessageBox", "mesaje.html#mesaje"},  // every message of the program
};

const char* withoutNamespace(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

const HelpTopic* findTopic(const QString& name) {
    if (name.isEmpty()) return nullptr;
    for (const HelpTopic& t : kTopics)
        if (name == QLatin1String(t.name)) return &t;
    return nullptr;
}

}  // namespace

std::span<const HelpTopic> helpTopics() { return kTopics; }

QString helpPlaceFor(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (const HelpTopic* t = findTopic(w->objectName())) return QLatin1String(t->place);
        for (const QMetaObject* m = w->metaObject(); m; m = m->superClass())
            if (const HelpTopic* t = findTopic(QLatin1String(withoutNamespace(m->className()))))
                return QLatin1String(t->place);
    }
    return QStringLiteral("index.html");
}

}  // namespace app
