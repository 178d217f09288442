// The church-shop receipts "Registru intrari lumanari": one receipt document
// at a time (number, date, supplier, kind, explanation) with its items in a
// grid below it. Items are stored only under a stored document.
#pragma once
#include <QWidget>

class QKeyEvent;

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

    // The grid's cells nobody types: the item's document (Cod) and its own
    // number. The keys pass over them.
    bool keptColumn(int col) const;
    // Off such a cell, to the next typed one in the direction of the move
    // (`from` the cell the move started in, -1 for none).
    void skipKeptColumn(int from, bool backward);
    bool ItemsGridKeyDown(QKeyEvent* e);

    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

    data::Table& TDocIn = table("DocIn.db");
    data::Table& TItemIn = table("ItemIn.DB");
    data::Table& TFurnizori = table("Furnizori.db");
    data::DataSource& DSDocIn = source(TDocIn);
    data::DataSource& DSItemIn = source(TItemIn);
    data::DataSource& DSFurnizori = source(TFurnizori);

    ui::TDBGridNormal* ItemsGrid;
    bool resendingKey_ = false;
};

}  // namespace stock
