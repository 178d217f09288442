#include "controls/TNormalDBGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "controls/GridModel.h"
#include "data/Money.h"
#include "shell/Messages.h"

namespace ui {

using data::DataSetState;

namespace {
// The largest amount the program keeps: every amount column shows it whole.
constexpr double kWidestAmount = 99'999'999'999.99;
}  // namespace

// ================================================================ indicator column

class TNormalDBGrid::Indicator : public QHeaderView {
public:
    explicit Indicator(TNormalDBGrid* g) : QHeaderView(Qt::Vertical, g), grid_(g) {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(true);
        setHighlightSections(false);
    }
    QSize sizeHint() const override {
        QSize s = QHeaderView::sizeHint();
        s.setWidth(14);
        return s;
    }

protected:
    void paintSection(QPainter* p, const QRect& r, int logical) const override {
        p->save();
        QHeaderView::paintSection(p, r, logical);
        p->restore();
        IndicatorKind k = grid_->indicator(logical);
        if (k == IndicatorKind::None) return;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(Qt::NoPen);
        p->setBrush(palette().color(QPalette::WindowText));
        QPointF c = QRectF(r).center();
        switch (k) {
            case IndicatorKind::Arrow:
            case IndicatorKind::MultiArrow: {
                QPainterPath tri;
                tri.moveTo(c.x() - 2.5, c.y() - 4);
                tri.lineTo(c.x() + 2.5, c.y());
                tri.lineTo(c.x() - 2.5, c.y() + 4);
                tri.closeSubpath();
                p->drawPath(tri);
                if (k == IndicatorKind::MultiArrow) p->drawEllipse(QPointF(c.x() - 4.5, c.y()), 1.5, 1.5);
                break;
            }
            case IndicatorKind::Edit: {  // a pencil: a slanted bar with a tip
                p->setPen(QPen(palette().color(QPalette::WindowText), 2));
                p->drawLine(QPointF(c.x() + 3, c.y() - 4), QPointF(c.x() - 2, c.y() + 2));
                p->setPen(QPen(palette().color(QPalette::WindowText), 1));
                p->drawLine(QPointF(c.x() - 2, c.y() + 2), QPointF(c.x() - 3.5, c.y() + 4));
                break;
            }
            case IndicatorKind::Insert: {  // a star-like mark
                p->setPen(QPen(palette().color(QPalette::WindowText), 1.4));
                for (int i = 0; i < 3; ++i) {
                    double a = i * 3.14159265 / 3;
                    p->drawLine(QPointF(c.x() - 4 * std::cos(a), c.y() - 4 * std::sin(a)),
                                QPointF(c.x() + 4 * std::cos(a), c.y() + 4 * std::sin(a)));
                }
                break;
            }
            case IndicatorKind::MultiDot: p->drawEllipse(c, 2, 2); break;
            case IndicatorKind::None: break;
        }
        p->restore();
    }

private:
    TNormalDBGrid* grid_;
};

namespace {

// Hides the selection while the grid is not focused (unless it should stay
// visible) and shows the rows picked in multi-selection.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(TNormalDBGrid* g) : QStyledItemDelegate(g), grid_(g) {}

protected:
    void initStyleOption(QStyleOptionViewItem* opt, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(opt, index);
        QWidget* fw = QApplication::focusWidget();
        bool focused = fw && (fw == grid_ || grid_->isAncestorOf(fw));
        if (!focused && !grid_->hasOption(dgAlwaysShowSelection)) opt->state &= ~QStyle::State_Selected;
        if (grid_->hasOption(dgMultiSelect) && grid_->selectedRows().count(index.row()))
            opt->state |= QStyle::State_Selected;
    }

private:
    TNormalDBGrid* grid_;
};

}  // namespace

// ================================================================ grid

TNormalDBGrid::TNormalDBGrid(QWidget* parent) : RecordControl<QTableView>(parent) {
    link_.onActiveChanged = [this] { linkActiveChanged(); };
    link_.onDataSetChanged = [this] { linkDataSetChanged(); };
    link_.onScrolled = [this](int) { linkScrolled(); };
    link_.onRecordChanged = [this](data::Field* f) { linkRecordChanged(f); };
    link_.onEditingChanged = [this] { linkEditingChanged(); };
    link_.onUpdateData = [this] { linkUpdateData(); };
    model_ = new GridModel(this);
    indicator_ = new Indicator(this);
    setVerticalHeader(indicator_);
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { updateEditor(); });
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this, [this] { updateEditor(); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int s) { emit titleClick(s); });
    connect(indicator_, &QHeaderView::sectionPressed, this, [this](int row) {
        if (!focusInside()) setFocus(Qt::MouseFocusReason);
        moveToRow(row);
    });
    connect(qApp, &QApplication::focusChanged, this, &TNormalDBGrid::appFocusChanged);
    applyOptions();
}

TNormalDBGrid::~TNormalDBGrid() {
    disconnect(qApp, &QApplication::focusChanged, this, &TNormalDBGrid::appFocusChanged);
    link_.detach();
}

void TNormalDBGrid::setOptions(GridOptions o) {
    if (o & dgRowSelect) o &= ~(dgEditing | dgAlwaysShowEditor);
    options_ = o;
    applyOptions();
}

void TNormalDBGrid::setReadOnly(bool r) {
    readOnly_ = r;
    updateEditor();
}

void TNormalDBGrid::applyOptions() {
    horizontalHeader()->setVisible(options_ & dgTitles);
    verticalHeader()->setVisible(options_ & dgIndicator);
    horizontalHeader()->setSectionsMovable(options_ & dgColumnResize);
    horizontalHeader()->setSectionResizeMode((options_ & dgColumnResize) ? QHeaderView::Interactive
                                                                         : QHeaderView::Fixed);
    setShowGrid(options_ & (dgColLines | dgRowLines));
    setSelectionBehavior((options_ & dgRowSelect) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    if (!(options_ & dgMultiSelect)) selectedRows_.clear();
    if (!(options_ & dgAlwaysShowEditor) && !focusInside()) editorMode_ = false;
    syncCurrent();
    viewport()->update();
}

void TNormalDBGrid::setColumns(std::vector<TColumn> cols) {
    columns_ = std::move(cols);
    defaultColumns_ = columns_.empty();
    rebuildColumns();
    syncCurrent();
}

data::Field* TNormalDBGrid::columnField(int col) const {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active() || col < 0 || col >= columnCount()) return nullptr;
    return ds->findField(ss(columns_[static_cast<size_t>(col)].fieldName));
}

QString TNormalDBGrid::columnTitle(int col) const {
    if (col < 0 || col >= columnCount()) return {};
    const TColumn& c = columns_[static_cast<size_t>(col)];
    if (!c.title.caption.isEmpty()) return c.title.caption;
    if (data::Field* f = columnField(col)) return qs(f->displayName());
    return c.fieldName;
}

void TNormalDBGrid::rebuildColumns() {
    data::DataSet* ds = dataSet();
    if (defaultColumns_) {
        columns_.clear();
        if (ds && ds->active())
            for (const auto& f : ds->fields())
                if (f->visible) columns_.emplace_back(qs(f->fieldName()));
    }
    model_->refresh();
    applyColumnWidths();
    if (selCol_ < 0 || selCol_ >= columnCount() || isColumnHidden(selCol_)) selCol_ = firstColumn();
    loadedRow_ = loadedCol_ = -1;
}

int TNormalDBGrid::cellMargins() const {
    // the item's text margins on both sides (the cell editor's are no wider)
    // and the grid line, with room to spare
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return std::max(14, 2 * textMargin + 1);
}

// The width of the values a column shows, at the metrics `fm`.
int TNormalDBGrid::valueWidth(const data::Field* f, const QFontMetrics& fm) {
    if (!f) return fm.averageCharWidth() * 10;
    // the largest amount (signed) is shown whole
    if (f->amount) return fm.horizontalAdvance(qs(data::formatAmount(-kWidestAmount)));
    if (f->displayWidth > 0) return fm.averageCharWidth() * f->displayWidth;
    switch (f->dataType()) {
        case data::FieldType::String: return fm.averageCharWidth() * std::clamp(f->size(), 4, 30);
        case data::FieldType::Date: return fm.horizontalAdvance(QStringLiteral("00.00.0000"));
        case data::FieldType::Boolean: return fm.horizontalAdvance(QStringLiteral("False"));
        default: return fm.horizontalAdvance(QStringLiteral("000,000.00"));
    }
}

int TNormalDBGrid::shownWidth(int col, const QFontMetrics& fm) const {
    // the first rows are read anyway to show them; a longer text than the
    // cap scrolls in its cell
    constexpr int kRowsMeasured = 50, kWidestChars = 60;
    const int rows = std::min(model_->rowCount(), kRowsMeasured);
    int widest = 0;
    for (int r = 0; r < rows; ++r)
        widest =
            std::max(widest, fm.horizontalAdvance(model_->data(model_->index(r, col), Qt::DisplayRole).toString()));
    return std::min(widest, fm.averageCharWidth() * kWidestChars);
}

void TNormalDBGrid::applyColumnWidths() {
    const QFontMetrics fm = fontMetrics();
    const bool kept = keptWidths_.size() == columns_.size();
    for (int c = 0; c < columnCount(); ++c) {
        const TColumn& col = columns_[static_cast<size_t>(c)];
        setColumnHidden(c, !col.visible);
        if (kept && keptWidths_[static_cast<size_t>(c)] > 0)
            setColumnWidth(c, keptWidths_[static_cast<size_t>(c)]);
        else if (col.width > 0)
            setColumnWidth(c, col.width);
        else
            setColumnWidth(c, cellMargins() + std::max({fm.horizontalAdvance(columnTitle(c)),
                                                        valueWidth(columnField(c), fm), shownWidth(c, fm)}));
    }
    updateGeometry();  // the window's layout asks the new width
}

std::vector<int> TNormalDBGrid::columnWidths() const {
    std::vector<int> widths;
    for (int c = 0; c < columnCount(); ++c) widths.push_back(horizontalHeader()->sectionSize(c));
    return widths;
}

void TNormalDBGrid::setKeptWidths(std::vector<int> widths) {
    for (int& w : widths) w = std::clamp(w, 0, 4000);
    keptWidths_ = std::move(widths);
    applyColumnWidths();
}

QSize TNormalDBGrid::sizeHint() const {
    constexpr int kRowsShown = 12;
    const int frame = 2 * frameWidth();
    int width = frame + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (verticalHeader()->isVisible()) width += verticalHeader()->sizeHint().width();
    for (int c = 0; c < columnCount(); ++c)
        if (!isColumnHidden(c)) width += columnWidth(c);
    int height = frame + kRowsShown * std::max(1, verticalHeader()->defaultSectionSize());
    if (horizontalHeader()->isVisible()) height += horizontalHeader()->sizeHint().height();
    // a grid without columns yet asks what a table view asks
    return columnCount() == 0 ? QTableView::sizeHint() : QSize(width, height);
}

bool TNormalDBGrid::replacesOnEntry(int col) const {
    const data::Field* f = columnField(col);
    return f && f->amount;
}

// ---------------------------------------------------------------- columns

int TNormalDBGrid::firstColumn() const {
    for (int v = 0; v < columnCount(); ++v) {
        int l = horizontalHeader()->logicalIndex(v);
        if (l >= 0 && !isColumnHidden(l)) return l;
    }
    return 0;
}

int TNormalDBGrid::lastColumn() const {
    for (int v = columnCount() - 1; v >= 0; --v) {
        int l = horizontalHeader()->logicalIndex(v);
        if (l >= 0 && !isColumnHidden(l)) return l;
    }
    return 0;
}

int TNormalDBGrid::nextColumn(int col) const {
    for (int v = horizontalHeader()->visualIndex(col) + 1; v < columnCount(); ++v) {
        int l = horizontalHeader()->logicalIndex(v);
        if (l >= 0 && !isColumnHidden(l)) return l;
    }
    return col;
}

int TNormalDBGrid::priorColumn(int col) const {
    for (int v = horizontalHeader()->visualIndex(col) - 1; v >= 0; --v) {
        int l = horizontalHeader()->logicalIndex(v);
        if (l >= 0 && !isColumnHidden(l)) return l;
    }
    return col;
}

int TNormalDBGrid::dataColumnCount() const {
    int n = 0;
    for (int c = 0; c < columnCount(); ++c)
        if (!isColumnHidden(c)) ++n;
    return n;
}

bool TNormalDBGrid::commitEditor() {
    return runDataAction(this, [this] { linkUpdateData(); });
}

void TNormalDBGrid::setSelectedIndex(int col) {
    if (col < 0 || col >= columnCount() || col == selCol_) return;
    if (!commitEditor()) return;
    selCol_ = col;
    syncCurrent();
}

// ---------------------------------------------------------------- rows

int TNormalDBGrid::currentRow() const {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return -1;
    if (ds->recordCount() == 0 && ds->state() != DataSetState::Insert) return -1;
    int r = ds->currentIndex();
    return (r >= 0 && r < model_->rowCount()) ? r : -1;
}

IndicatorKind TNormalDBGrid::indicator(int row) const {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return IndicatorKind::None;
    bool multi = hasOption(dgMultiSelect) && selectedRows_.count(row);
    if (row == currentRow()) {
        if (ds->state() == DataSetState::Edit) return IndicatorKind::Edit;
        if (ds->state() == DataSetState::Insert) return IndicatorKind::Insert;
        return multi ? IndicatorKind::MultiArrow : IndicatorKind::Arrow;
    }
    return multi ? IndicatorKind::MultiDot : IndicatorKind::None;
}

int TNormalDBGrid::visibleRowCount() const {
    int rh = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / rh);
}

int TNormalDBGrid::topVisibleRow() const {
    int r = rowAt(0);
    return r < 0 ? 0 : r;
}

int TNormalDBGrid::bottomVisibleRow() const {
    int last = model_->rowCount() - 1;
    return std::max(0, std::min(last, topVisibleRow() + visibleRowCount() - 1));
}

bool TNormalDBGrid::moveBy(int distance) {
    data::DataSet* ds = dataSet();
    if (!ds) return false;
    return runDataAction(this, [&] { ds->moveBy(distance); });
}

bool TNormalDBGrid::moveToRow(int row) {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active() || row < 0) return false;
    if (row == currentRow()) return true;
    return runDataAction(this, [&] {
        // Leaving the record posts (or drops) it first; the rows below it may
        // shift when it goes or moves, so the target is adjusted.
        int target = row;
        if (ds->state() == DataSetState::Insert) {
            int p = ds->currentIndex();
            if (row > p) target = row - 1;
            int before = ds->recordCount();
            ds->checkBrowseMode();
            if (ds->recordCount() > before && ds->currentIndex() <= target) ++target;
        } else if (ds->state() == DataSetState::Edit) {
            int e = ds->currentIndex();
            ds->checkBrowseMode();
            int q = ds->currentIndex();
            if (e < target && target <= q)
                --target;
            else if (q <= target && target < e)
                ++target;
        }
        ds->moveBy(target - ds->currentIndex());
    });
}

bool TNormalDBGrid::keyDownArrow() {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return false;
    if (ds->state() == DataSetState::Insert && !ds->modified() && !editModified_) {
        // An untouched new record: at the end nothing happens, elsewhere it is dropped.
        if (ds->insertingAtEnd()) return true;
        return runDataAction(this, [ds] { ds->cancel(); });
    }
    return runDataAction(this, [&] {
        ds->moveBy(1);
        if (ds->eof() && ds->canModify() && !readOnly_ && hasOption(dgEditing)) ds->append();
    });
}

bool TNormalDBGrid::keyUpArrow() {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return false;
    if (ds->state() == DataSetState::Insert && !ds->modified() && !editModified_ && ds->insertingAtEnd())
        return runDataAction(this, [ds] { ds->cancel(); });
    return moveBy(-1);
}

void TNormalDBGrid::deleteRecord() {
    data::DataSet* ds = dataSet();
    if (readOnly_ || !ds || !ds->active() || ds->isEmpty() || !ds->canModify()) return;
    bool multi = hasOption(dgMultiSelect) && selectedRows_.size() > 1;
    if (hasOption(dgConfirmDelete)) {
        QString q =
            multi ? QStringLiteral("Stergeti inregistrarile selectate?") : QStringLiteral("Stergeti inregistrarea?");
        // Enter keeps the record; deleting takes the Yes key
        if (!Messages::askDestructive(q, MsgType::Confirmation, window())) return;
    }
    if (multi) {
        std::vector<int> rows(selectedRows_.rbegin(), selectedRows_.rend());
        selectedRows_.clear();
        runDataAction(this, [&] {
            ds->checkBrowseMode();
            for (int r : rows) {
                if (r >= ds->recordCount()) continue;
                ds->setRecNo(r + 1);
                ds->del();
            }
        });
        viewport()->update();
        return;
    }
    runDataAction(this, [ds] { ds->del(); });
}

// ---------------------------------------------------------------- editor

bool TNormalDBGrid::focusInside() const {
    QWidget* fw = QApplication::focusWidget();
    return fw && (fw == this || isAncestorOf(fw));
}

bool TNormalDBGrid::canEditShow() const {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active() || currentRow() < 0) return false;
    if (!hasOption(dgEditing) || hasOption(dgRowSelect) || readOnly_) return false;
    if (selCol_ < 0 || selCol_ >= columnCount() || isColumnHidden(selCol_)) return false;
    return hasOption(dgAlwaysShowEditor) || (editorMode_ && focusInside());
}

bool TNormalDBGrid::editorMode() const { return editor_ && !editor_->isHidden(); }

void TNormalDBGrid::setEditorMode(bool on) {
    editorMode_ = on;
    updateEditor();
    if (on && editor_ && !editor_->isHidden() && focusInside() && !editor_->hasFocus())
        editor_->setFocus(Qt::OtherFocusReason);
}

TDBGridInplaceEdit* TNormalDBGrid::createEditor() { return new TDBGridInplaceEdit(this); }

TDBGridInplaceEdit* TNormalDBGrid::ensureEditor() {
    if (!editor_) {
        editor_ = createEditor();
        editorCreated(editor_);
    }
    return editor_;
}

bool TNormalDBGrid::canEditModify() {
    if (readOnly_ || !hasOption(dgEditing) || hasOption(dgRowSelect)) return false;
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active() || !ds->canModify()) return false;
    int col = editor_ && loadedCol_ >= 0 ? loadedCol_ : selCol_;
    data::Field* f = columnField(col);
    if (!f || columns_[static_cast<size_t>(col)].readOnly || f->readOnly || f->calculated()) return false;
    if (!ds->editing()) runDataAction(this, [this] { link_.edit(); });
    return ds->editing();
}

void TNormalDBGrid::loadEditor(bool enter) {
    if (!editor_) return;
    int row = currentRow();
    data::Field* f = row >= 0 ? columnField(selCol_) : nullptr;
    QStringList pick;
    int rows = 7;
    if (selCol_ >= 0 && selCol_ < columnCount()) {
        pick = columns_[static_cast<size_t>(selCol_)].pickList;
        rows = columns_[static_cast<size_t>(selCol_)].dropDownRows;
    }
    editor_->loadCell(f ? qs(f->editText()) : QString(), f ? EditMask::parse(f->editMask) : EditMask{},
                      fieldMaxLength(f), pick, rows);
    editor_->setAlignment(
        model_->index(std::max(row, 0), std::max(selCol_, 0)).data(Qt::TextAlignmentRole).value<Qt::Alignment>());
    editModified_ = false;
    loadedRow_ = row;
    loadedCol_ = selCol_;
    if (enter) editor_->setReplaceOnType(replacesOnEntry(selCol_));
    if (enter && editor_->hasFocus()) editor_->enterCell();
}

void TNormalDBGrid::updateEditor() {
    if (!canEditShow()) {
        if (editor_ && !editor_->isHidden()) {
            // The grid takes the focus first: hiding a focused widget would
            // pass the focus on to the next control.
            if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
            editor_->hide();
        }
        return;
    }
    ensureEditor();
    int row = currentRow();
    if (row != loadedRow_ || selCol_ != loadedCol_) loadEditor(true);
    QRect r = visualRect(model_->index(row, selCol_));
    editor_->setGeometry(r.adjusted(0, 0, showGrid() ? -1 : 0, showGrid() ? -1 : 0));
    if (editor_->isHidden()) {
        editor_->show();
        if (focusInside()) editor_->setFocus(Qt::OtherFocusReason);
    }
}

void TNormalDBGrid::syncCurrent() {
    if (syncing_) return;
    syncing_ = true;
    int row = currentRow();
    QItemSelectionModel* sm = selectionModel();
    if (row >= 0 && selCol_ >= 0 && selCol_ < columnCount()) {
        QModelIndex idx = model_->index(row, selCol_);
        QItemSelectionModel::SelectionFlags fl = QItemSelectionModel::ClearAndSelect;
        if (hasOption(dgRowSelect)) fl |= QItemSelectionModel::Rows;
        sm->setCurrentIndex(idx, fl);
        if (hasOption(dgRowSelect)) {
            // Whole rows: only scroll vertically, the columns stay where they are.
            int h = horizontalScrollBar()->value();
            scrollTo(idx);
            horizontalScrollBar()->setValue(h);
        } else {
            scrollTo(idx);
        }
    } else {
        sm->clear();
    }
    indicator_->viewport()->update();
    viewport()->update();
    syncing_ = false;
    updateEditor();
}

// ---------------------------------------------------------------- link events

void TNormalDBGrid::linkActiveChanged() {
    selectedRows_.clear();
    editModified_ = false;
    rebuildColumns();
    syncCurrent();
}

void TNormalDBGrid::linkDataSetChanged() {
    model_->refresh();
    editModified_ = false;
    loadedRow_ = -1;
    syncCurrent();
}

void TNormalDBGrid::linkScrolled() {
    editModified_ = false;
    loadedRow_ = -1;
    syncCurrent();
}

void TNormalDBGrid::linkRecordChanged(data::Field* f) {
    model_->refreshRow(currentRow());
    if (editor_ && !editModified_ && (!f || f == columnField(loadedCol_))) loadEditor(false);
}

void TNormalDBGrid::linkEditingChanged() {
    // Starting or ending an insert adds or removes a row.
    if (model_->rowCount() != GridModel::rowsFor(dataSet())) model_->refresh();
    indicator_->viewport()->update();
    updateEditor();
}

void TNormalDBGrid::linkUpdateData() {
    if (!editModified_ || !editor_) return;
    data::Field* f = columnField(loadedCol_);
    editModified_ = false;
    if (!f) return;
    try {
        f->setText(ss(editor_->fieldText()));
    } catch (...) {
        editModified_ = true;
        // the refused text stays to be corrected, or typed over at once
        editor_->selectAll();
        editor_->setReplaceOnType(true);
        throw;
    }
}

// ---------------------------------------------------------------- keys

bool TNormalDBGrid::gridKeyDown(int key, Qt::KeyboardModifiers mods) {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return false;
    bool ctrl = mods & Qt::ControlModifier, shift = mods & Qt::ShiftModifier, alt = mods & Qt::AltModifier;
    bool rowSel = hasOption(dgRowSelect);
    switch (key) {
        case Qt::Key_Up:
            if (ctrl)
                moveToRow(topVisibleRow());
            else
                keyUpArrow();
            return true;
        case Qt::Key_Down:
            if (ctrl)
                moveToRow(bottomVisibleRow());
            else
                keyDownArrow();
            return true;
        case Qt::Key_PageUp:
            if (ctrl)
                moveToRow(topVisibleRow());
            else
                moveBy(-visibleRowCount());
            return true;
        case Qt::Key_PageDown:
            if (ctrl)
                moveToRow(bottomVisibleRow());
            else
                moveBy(visibleRowCount());
            return true;
        case Qt::Key_Left:
            if (rowSel)
                moveBy(-1);
            else
                setSelectedIndex(ctrl ? firstColumn() : priorColumn(selCol_));
            return true;
        case Qt::Key_Right:
            if (rowSel)
                moveBy(1);
            else
                setSelectedIndex(ctrl ? lastColumn() : nextColumn(selCol_));
            return true;
        case Qt::Key_Home:
            if (ctrl || rowSel || dataColumnCount() == 1)
                runDataAction(this, [ds] { ds->first(); });
            else
                setSelectedIndex(firstColumn());
            return true;
        case Qt::Key_End:
            if (ctrl || rowSel || dataColumnCount() == 1)
                runDataAction(this, [ds] { ds->last(); });
            else
                setSelectedIndex(lastColumn());
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            if (!hasOption(dgTabs) || alt || ctrl) return false;
            bool back = key == Qt::Key_Backtab || shift;
            if (!back) {
                if (rowSel || selCol_ == lastColumn()) {
                    if (keyDownArrow()) setSelectedIndex(firstColumn());
                } else {
                    setSelectedIndex(nextColumn(selCol_));
                }
            } else {
                if (rowSel || selCol_ == firstColumn()) {
                    if (keyUpArrow()) setSelectedIndex(lastColumn());
                } else {
                    setSelectedIndex(priorColumn(selCol_));
                }
            }
            return true;
        }
        case Qt::Key_Escape:
            if (editModified_) {
                loadEditor(false);
                editor_->selectAll();
            } else if (ds->editing()) {
                runDataAction(this, [ds] { ds->cancel(); });
            } else if (hasOption(dgAlwaysShowEditor) || !editorMode_) {
                return false;  // nothing to undo: the window may use Esc
            }
            if (!hasOption(dgAlwaysShowEditor)) setEditorMode(false);
            return true;
        case Qt::Key_Insert:
            if (mods != Qt::NoModifier) return false;
            if (ds->canModify() && !readOnly_ && hasOption(dgEditing)) runDataAction(this, [ds] { ds->insert(); });
            return true;
        case Qt::Key_Delete:
            if (!ctrl) return false;
            deleteRecord();
            return true;
        case Qt::Key_F2:
            if (mods != Qt::NoModifier || !hasOption(dgEditing) || rowSel || readOnly_) return false;
            setEditorMode(true);
            if (editor_) editor_->setReplaceOnType(false);  // F2 edits the text in place
            return true;
        default: return false;
    }
}

bool TNormalDBGrid::gridKeyChar(int ch) {
    bool editable = hasOption(dgEditing) && !hasOption(dgRowSelect) && !readOnly_;
    if (ch == kCharEnter) {
        if (hasOption(dgAlwaysShowEditor) || !editable) return false;
        if (editorMode()) {
            if (!commitEditor()) return true;
            setEditorMode(false);
        } else {
            setEditorMode(true);
            if (editor_) editor_->setReplaceOnType(false);
        }
        return true;
    }
    if (isPrintableChar(ch) && editable && !editorMode()) {
        // Typing on the grid opens the editor with the character typed.
        if (!canEditModify()) return true;
        setEditorMode(true);
        if (editor_ && !editor_->isHidden()) {
            editor_->setFocus(Qt::OtherFocusReason);
            editor_->selectAll();
            QKeyEvent ev(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(ch)));
            QApplication::sendEvent(editor_, &ev);
        }
        return true;
    }
    return false;
}

bool TNormalDBGrid::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) &&
            !(keyMods(ke) & (Qt::ControlModifier | Qt::AltModifier)) && hasOption(dgTabs)) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QTableView::event(e);
}

void TNormalDBGrid::keyPressEvent(QKeyEvent* e) {
    if (isModifierKey(e->key()) || (editor_ && editor_->hasFocus())) {
        // modifier presses, and keys the cell editor left unused, go to the window
        e->ignore();
        return;
    }
    if (onKeyDown && onKeyDown(e)) {
        e->accept();
        return;
    }
    Qt::KeyboardModifiers mods = keyMods(e);
    if (e->key() == Qt::Key_Backtab) mods |= Qt::ShiftModifier;
    bool used = gridKeyDown(e->key(), mods);
    int ch = keyChar(e);
    const QString sep = decimalKeyText(e, selectedField());
    if (!sep.isEmpty()) ch = sep.at(0).unicode();  // the decimal key types the separator
    if (ch && (!used || ch == kCharEnter)) used = gridKeyChar(ch) || used;
    if (used)
        e->accept();
    else
        e->ignore();
}

// ---------------------------------------------------------------- focus

void TNormalDBGrid::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    updateEditor();
    if (editor_ && !editor_->isHidden()) editor_->setFocus(e->reason());
    viewport()->update();
}

void TNormalDBGrid::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

void TNormalDBGrid::appFocusChanged(QWidget* old, QWidget* now) {
    if (!old || !(old == this || isAncestorOf(old))) return;
    if (now && (now == this || isAncestorOf(now))) return;
    viewport()->update();
    // Another window (a message, the pick list) taking the focus is not leaving.
    if (!now || now->window() != window()) return;
    leaving();
}

void TNormalDBGrid::leaving() {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return;
    if (hasOption(dgCancelOnExit) && ds->state() == DataSetState::Insert && !ds->modified() && !editModified_) {
        runDataAction(this, [ds] { ds->cancel(); });
    } else {
        try {
            linkUpdateData();
        } catch (...) {
            auto err = std::current_exception();
            QPointer<TNormalDBGrid> self(this);
            QMetaObject::invokeMethod(
                this,
                [self, err] {
                    if (!self) return;
                    if (self->isVisible()) self->setFocus(Qt::OtherFocusReason);
                    reportError(self, err);
                },
                Qt::QueuedConnection);
            return;
        }
    }
    if (!hasOption(dgAlwaysShowEditor)) editorMode_ = false;
    updateEditor();
}

// ---------------------------------------------------------------- mouse

void TNormalDBGrid::mousePressEvent(QMouseEvent* e) {
    e->accept();
    if (!focusInside()) setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton) return;
    QModelIndex idx = indexAt(e->position().toPoint());
    if (!idx.isValid()) return;
    int row = idx.row(), col = idx.column();
    if (hasOption(dgMultiSelect)) {
        if (e->modifiers() & Qt::ControlModifier) {
            if (!selectedRows_.erase(row)) selectedRows_.insert(row);
        } else {
            selectedRows_.clear();
        }
        viewport()->update();
        indicator_->viewport()->update();
    }
    bool same = row == currentRow() && col == selCol_;
    if (row != currentRow() && !moveToRow(row)) return;
    if (!hasOption(dgRowSelect)) setSelectedIndex(col);
    if (same && !hasOption(dgAlwaysShowEditor) && hasOption(dgEditing) && !readOnly_) setEditorMode(true);
    if (editor_ && !editor_->isHidden() && !editor_->hasFocus()) editor_->setFocus(Qt::MouseFocusReason);
    if (editor_) editor_->setReplaceOnType(false);  // a clicked cell is edited in place
}

void TNormalDBGrid::mouseMoveEvent(QMouseEvent* e) { e->accept(); }

void TNormalDBGrid::mouseReleaseEvent(QMouseEvent* e) { e->accept(); }

void TNormalDBGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    e->accept();
    if (e->button() == Qt::LeftButton) emit dblClick();
}

void TNormalDBGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    updateEditor();
}

void TNormalDBGrid::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    updateEditor();
}

void TNormalDBGrid::changeEvent(QEvent* e) {
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange) applyColumnWidths();
}

void TNormalDBGrid::updateGeometries() {
    QTableView::updateGeometries();
    updateEditor();
}

}  // namespace ui
