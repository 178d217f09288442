// The settings dialog "Configurarea modului de lucru cu programul": the
// opening cash and bank balances of the year ("Contor.DB"), the document
// kinds ("Tip_doc.db"), the two switches of the settings file, the days the
// safety copies are kept and the choice of the personalisation picture. Only
// "&Valideaza" keeps the balances, the switches and the days; grid rows are saved as the user leaves them.
#pragma once
#include <QDialog>
#include <QString>

#include "app/Settings.h"
#include "controls/DataWindow.h"

class QCheckBox;
class QSpinBox;
class QKeyEvent;

namespace ui {
class TDBGridNormal;
}

namespace app {

class TParamAplicFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    // `chosen` receives the two switches when the dialog closes with OK.
    TParamAplicFrm(QWidget* owner, Switches* chosen);
    ~TParamAplicFrm() override;

    // "...": copies a chosen JPEG file over AppDir + "poza.jpg".
    void LoadPictBtnClick();

private:
    // "&Valideaza": posts the balances and the current grid row (a record the
    // table refuses keeps the dialog open), then closes with OK.
    void BitBtn1Click();
    // The keys the document kinds' grid leaves to the dialog; true when used.
    bool DBGrid1KeyDown(QKeyEvent* e);
    // Why the current kind cannot be deleted (the documents naming it), or
    // empty; raises the engine's error when they cannot be counted.
    QString tipDocDeletionRefusal();
    void TTipDocBeforeDelete(data::DataSet& ds);

    data::Table& TContor = table("Contor.DB");
    data::DataSource& DSContor = source(TContor);
    data::Table& TTipDoc = table("Tip_doc.db");
    data::DataSource& DSTipDoc = source(TTipDoc);

    Switches* chosen_;
    QCheckBox* VersCB;
    QCheckBox* BackupCB;
    QCheckBox* RecordsCB;     // shows the parishioner file and the church-shop register
    QSpinBox* RetentionDays;  // the days a safety copy is kept
    ui::TDBGridNormal* DBGrid1;
};

// The menu command: runs the dialog; after OK the switches are kept and
// written to the settings file.
void RunParamAplic(QWidget* owner);

}  // namespace app
