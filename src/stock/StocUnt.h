// The stock window "Stocuri": the items of "Stoc.db" in a grid, in the order
// of the index "Den", each with its position number; "&Valideaza" stores the
// pending row and closes, "&Listeaza!" prints the stock list as on a date.
#pragma once
#include <QDialog>

#include "controls/DataWindow.h"

namespace ui {
class TDBGridNormal;
class TDBNavigator;
}  // namespace ui

namespace stock {

inline constexpr const char* kStocAccessError = "Eroare de acces la tabela stocurilor!";

class TStocFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TStocFrm(QWidget* owner);

private:
    void TStocCalcFields(data::DataSet& ds);
    void ValideazaBtnClick();
    void PrintBtnClick();

    data::Table& TStoc = table("Stoc.db");
    data::DataSource& DSStoc = source(TStoc);

    ui::TDBNavigator* DBNavigator;
    ui::TDBGridNormal* DBGridNormal1;
};

}  // namespace stock
