// The church-shop receipts "Registru intrari lumanari": one receipt document
// at a time (number, date, supplier, kind, explanation) with its items in a
// grid below it. Items are stored only under a stored document.
#pragma once
#include <QWidget>

#include "controls/DataWindow.h"

namespace ui {
class TDBGridNormal;
}

namespace stock {

inline const char* const kDocumentNotStored =
    "Documentul nu a putut fi salvat: completati si salvati documentul inainte de a introduce articole!";

class TPangarInFrm : public ui::DataWindow<QWidget> {
    Q_OBJECT
public:
    explicit TPangarInFrm(QWidget* owner);

private:
    // The document being typed is stored before its items are; false (and
    // the reason shown) when it cannot be.
    bool documentStored();
    void ItemInBeforeInsert(data::DataSet& ds);
    void ItemInBeforePost(data::DataSet& ds);

    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

    data::Table& TDocIn = table("DocIn.db");
    data::Table& TItemIn = table("ItemIn.DB");
    data::Table& TFurnizori = table("Furnizori.db");
    data::DataSource& DSDocIn = source(TDocIn);
    data::DataSource& DSItemIn = source(TItemIn);
    data::DataSource& DSFurnizori = source(TFurnizori);

    ui::TDBGridNormal* ItemsGrid;
};

}  // namespace stock
