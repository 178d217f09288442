#include "stock/PangarInUnt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <algorithm>
#include <iterator>

#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"
#include "controls/DBNavigator.h"
#include "controls/DBPos.h"
#include "shell/Messages.h"
#include "ui_PangarInUnt.h"

namespace stock {

namespace {

// The engine's own message when a table cannot be opened.
constexpr ui::WindowSpec kWindow{.modeless = true, .minimizable = true, .accessError = nullptr};

}  // namespace

TPangarInFrm::TPangarInFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    setAttribute(Qt::WA_DeleteOnClose);
    TDocIn.setDeclaredFields({"Cod", "Numar", "Data", "Tip", "Furnizor", "Explicatie"});
    TDocIn.setup("Cod").readOnly = true;
    TDocIn.setup("Data").editMask = "!99/99/0000;1;_";
    TItemIn.setDeclaredFields(
        {"Cod", "Cod_secundar", "Cod_articol", "Denumire", "Cantitate", "UM", "Pret_achizitie", "Valoare"});
    // An item's Cod is the document it belongs to: it comes from the document
    // shown and is never typed.
    TItemIn.setup("Cod").readOnly = true;
    TItemIn.setup("Cod_secundar").readOnly = true;
    for (const char* f : {"Cantitate", "Pret_achizitie", "Valoare"}) TItemIn.setup(f).asAmount();
    TItemIn.setIndexName("Cod");
    TItemIn.setMasterSource(&DSDocIn);
    TItemIn.setMasterFields("Cod");
    TItemIn.beforeInsert = [this](data::DataSet& ds) { ItemInBeforeInsert(ds); };
    TItemIn.beforePost = [this](data::DataSet& ds) { ItemInBeforePost(ds); };

    ui::setupForm<Ui_TPangarInFrm>(this);
    ui::bindControls(this, {{"", &DSDocIn}, {"DSItemIn", &DSItemIn}, {"DSFurnizori", &DSFurnizori}});

    using ui::NavBtn;
    auto* nav = ui::child<ui::TDBNavigator>(this, "DocInNavigator");
    nav->setVisibleButtons({NavBtn::First, NavBtn::Prior, NavBtn::Next, NavBtn::Last, NavBtn::Insert, NavBtn::Delete,
                            NavBtn::Post, NavBtn::Cancel, NavBtn::Refresh});
    nav->setHints({"Primul document", "Precedentul document", "Urmatorul document", "Ultimul document", "Document nou",
                   "Sterge document", "Salveaza document", "Anuleaza modificarile", "Actualizeaza datele"});
    nav->confirmDelete = false;

    // The explanation keeps its text unselected when entered.
    ui::child<ui::TDBEditNormal>(this, "ExplEdit")->setAutoSelect(false);

    ItemsGrid = ui::child<ui::TDBGridNormal>(this, "ItemsGrid");
    std::vector<ui::TColumn> cols;
    for (const char* f :
         {"Cod", "Cod_secundar", "Cod_articol", "Denumire", "Cantitate", "UM", "Pret_achizitie", "Valoare"}) {
        cols.emplace_back(QString::fromUtf8(f), QString::fromUtf8(f));
        cols.back().readOnly = TItemIn.setup(f).readOnly;
    }
    ItemsGrid->setColumns(std::move(cols));
    ItemsGrid->onKeyDown = [this](QKeyEvent* e) { return ItemsGridKeyDown(e); };
    ItemsGrid->setOptions((ui::kDefaultGridOptions | ui::dgAlwaysShowEditor | ui::dgCancelOnExit) &
                          ~ui::dgConfirmDelete);
    ItemsGrid->setNoEditSelection(true);
    ItemsGrid->setReadOnly(false);
    ItemsGrid->installEventFilter(this);
    skipKeptColumn(-1, false);

    finishLayout();
    // The most recently entered document, with its items.
    if (openTables(this)) {
        ui::checkBindings(this);
        ui::runDataAction(this, [this] { TDocIn.last(); });
    }
}

bool TPangarInFrm::documentStored() {
    if (!TDocIn.active()) return false;
    // A new document with nothing typed would be dropped, and the items would
    // land on the document before it.
    if (TDocIn.state() == data::DataSetState::Insert && !TDocIn.modified()) {
        ui::Messages::warning(QString::fromUtf8(kDocumentNotStored), this);
        return false;
    }
    if (TDocIn.editing() && !ui::runDataAction(this, [this] { TDocIn.checkBrowseMode(); })) return false;
    if (TDocIn.isEmpty() || TDocIn["Cod"].isNull()) {
        ui::Messages::warning(QString::fromUtf8(kDocumentNotStored), this);
        return false;
    }
    return true;
}

void TPangarInFrm::ItemInBeforeInsert(data::DataSet&) {
    if (!documentStored()) data::abortSilently();
}

void TPangarInFrm::ItemInBeforePost(data::DataSet& ds) {
    // Never an item without the code of a stored document.
    if (ds["Cod"].isNull() || TDocIn.editing() || TDocIn.isEmpty()) {
        ui::Messages::warning(QString::fromUtf8(kDocumentNotStored), this);
        data::abortSilently();
    }
}

bool TPangarInFrm::eventFilter(QObject* o, QEvent* e) {
    // Entering the items: the document being typed is stored first (it then
    // has its Cod); when it cannot be, the focus goes back to the document.
    if (o == ItemsGrid && e->type() == QEvent::FocusIn) {
        skipKeptColumn(-1, false);
        if (TDocIn.active() && TDocIn.editing() && !documentStored())
            ui::child<QWidget>(this, "DBEditNormal1")->setFocus();
    }
    return ui::DataWindow<QWidget>::eventFilter(o, e);
}

bool TPangarInFrm::keptColumn(int col) const {
    return col < 0 || col >= ItemsGrid->columnCount() || ItemsGrid->isColumnHidden(col) ||
           ItemsGrid->columns()[static_cast<size_t>(col)].readOnly;
}

void TPangarInFrm::skipKeptColumn(int from, bool backward) {
    const int col = ItemsGrid->selectedIndex();
    if (!keptColumn(col)) return;
    const QHeaderView* header = ItemsGrid->horizontalHeader();
    auto typedFrom = [&](int step) {
        for (int v = header->visualIndex(col) + step; v >= 0 && v < ItemsGrid->columnCount(); v += step)
            if (!keptColumn(header->logicalIndex(v))) return header->logicalIndex(v);
        return -1;
    };
    // Back before the first typed cell is where the key came from.
    int target = backward ? typedFrom(-1) : typedFrom(1);
    if (target < 0 && backward && !keptColumn(from)) target = from;
    if (target < 0) target = backward ? typedFrom(1) : typedFrom(-1);
    if (target >= 0) ItemsGrid->setSelectedIndex(target);
}

bool TPangarInFrm::ItemsGridKeyDown(QKeyEvent* e) {
    // The keys that move between cells run as the grid has them, then step
    // over the cells nobody types (the item's document and its number).
    static constexpr int kMoves[] = {Qt::Key_Left, Qt::Key_Right,   Qt::Key_Home,   Qt::Key_End,
                                     Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Enter,
                                     Qt::Key_Up,   Qt::Key_Down,    Qt::Key_Insert};
    if (resendingKey_ || (e->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) ||
        std::find(std::begin(kMoves), std::end(kMoves), e->key()) == std::end(kMoves))
        return false;
    const bool backward = e->key() == Qt::Key_Left || e->key() == Qt::Key_Backtab ||
                          (e->key() == Qt::Key_Tab && (e->modifiers() & Qt::ShiftModifier));
    const int from = ItemsGrid->selectedIndex();
    QPointer<QWidget> target = ItemsGrid->inplaceEditor() && ItemsGrid->inplaceEditor()->hasFocus()
                                   ? static_cast<QWidget*>(ItemsGrid->inplaceEditor())
                                   : static_cast<QWidget*>(ItemsGrid);
    QKeyEvent again(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(), e->count());
    {
        QScopedValueRollback<bool> resending(resendingKey_, true);
        QCoreApplication::sendEvent(target, &again);
    }
    if (target) skipKeptColumn(from, backward);
    return true;
}

void TPangarInFrm::closeEvent(QCloseEvent* e) {
    // Pending changes of the document and the item are dropped.
    for (data::Table* t : {&TItemIn, &TDocIn}) {
        try {
            if (t->active()) t->cancel();
        } catch (...) {
        }
    }
    QWidget::closeEvent(e);
}

}  // namespace stock
