// The parishioner file: the parishioner list on the first tab and, on each
// further tab, one family register (members, weddings, baptisms, burials,
// other activities) of the parishioner selected on the first tab.
#pragma once
#include <QDialog>

#include "controls/DataWindow.h"

class QComboBox;
class QLineEdit;

namespace ui {
class TDBGridNormal;
class TDBNavigator;
}  // namespace ui

namespace records {

class TFisaEnoriasFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TFisaEnoriasFrm(QWidget* owner);

private:
    void SortComboClick(int item);
    void SrchEditChange(const QString& text);
    void ValideazaBtnClick();

    // The parishioners, then the five registers, each the detail of the
    // current parishioner on Cod_enorias (opened in this order).
    data::Table& Catalog = table("Enoriasi.DB");
    data::Table& TMembriiFam = table("MembriiFam.db");
    data::Table& TCununii = table("Cununii.db");
    data::Table& TBotezuri = table("Botezuri.db");
    data::Table& TInmormantari = table("Inmormantari.db");
    data::Table& TActivitati = table("Activitati.db");
    data::DataSource& DSCatalog = source(Catalog);
    data::DataSource& DSMembriiFAm = source(TMembriiFam);
    data::DataSource& DSCununii = source(TCununii);
    data::DataSource& DSBotezuri = source(TBotezuri);
    data::DataSource& DSInmormantari = source(TInmormantari);
    data::DataSource& DSActivitati = source(TActivitati);

    QComboBox* SortCombo;
    QLineEdit* SrchEdit;
};

}  // namespace records
