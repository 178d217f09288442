#include "controls/DDBGrids.h"

#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "shell/Messages.h"

#include <cmath>

namespace ui {

using data::DataSetState;

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

int modelRows(data::DataSet* ds) {
    if (!ds || !ds->active()) return 0;
    return ds->recordCount() + (ds->state() == DataSetState::Insert ? 1 : 0);
}

}  // namespace

// ================================================================ model

GridModel::GridModel(TNormalDBGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

void GridModel::refresh() {
    int r = modelRows(grid_->dataSet());
    int c = grid_->columnCount();
    cache_.clear();
    if (r != rows_ || c != cols_) {
        beginResetModel();
        rows_ = r;
        cols_ = c;
        endResetModel();
    } else if (rows_ > 0 && cols_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    }
    refreshHeaders();
}

void GridModel::refreshRow(int row) {
    if (row < 0 || row >= rows_ || cols_ == 0) return;
    emit dataChanged(index(row, 0), index(row, cols_ - 1));
}

void GridModel::refreshHeaders() {
    if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

std::vector<data::Value> GridModel::rowValues(int row) const {
    data::DataSet* ds = grid_->dataSet();
    if (!ds || !ds->active() || row < 0 || row >= rows_) return {};
    int cur = ds->currentIndex();
    if (row == cur) {
        std::vector<data::Value> v;
        v.reserve(ds->fields().size());
        for (const auto& f : ds->fields()) v.push_back(f->value());
        return v;
    }
    int rec = (ds->state() == DataSetState::Insert && row > cur) ? row - 1 : row;
    if (rec < 0 || rec >= ds->recordCount()) return {};
    auto it = cache_.find(rec);
    if (it != cache_.end()) return it->second;
    std::vector<data::Value> v;
    try {
        v = ds->rowValues(rec);
    } catch (const std::exception&) {
        return {};
    }
    if (cache_.size() > 2000) cache_.clear();
    cache_[rec] = v;
    return v;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= grid_->columnCount()) return {};
    const TColumn& col = grid_->columns()[static_cast<size_t>(index.column())];
    data::Field* f = grid_->columnField(index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            if (!f) return QString();
            auto vals = rowValues(index.row());
            if (static_cast<size_t>(f->index()) >= vals.size()) return QString();
            return qs(f->displayTextOf(vals[static_cast<size_t>(f->index())]));
        }
        case Qt::TextAlignmentRole: {
            Qt::Alignment a = col.alignment ? *col.alignment : (fieldAlignsRight(f) ? Qt::AlignRight : Qt::AlignLeft);
            return QVariant::fromValue(a | Qt::AlignVCenter);
        }
        default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, o, role);
    if (o == Qt::Vertical) return QString();
    return grid_->columnTitle(section);
}

// ================================================================ cell editor

TDBGridInplaceEdit::TDBGridInplaceEdit(TNormalDBGrid* grid) : QLineEdit(grid->viewport()), grid_(grid) {
    setFrame(false);
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] { grid_->editModified_ = true; });
    button_ = new QToolButton(this);
    button_->setArrowType(Qt::DownArrow);
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    button_->hide();
    connect(button_, &QToolButton::clicked, this, [this] { dropDown(); });
}

TDBGridInplaceEdit::~TDBGridInplaceEdit() = default;

void TDBGridInplaceEdit::loadCell(const QString& text, const EditMask& mask, const QStringList& pickList,
                                  int dropDownRows) {
    if (inputMask() != mask.qtMask) setInputMask(mask.qtMask);
    mask_ = mask;
    setText(text);
    pickList_ = pickList;
    dropDownRows_ = dropDownRows > 0 ? dropDownRows : 7;
    button_->setVisible(!pickList_.isEmpty());
    QResizeEvent re(size(), size());
    resizeEvent(&re);
}

void TDBGridInplaceEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    int bw = std::min(height(), 18);
    button_->setGeometry(width() - bw, 0, bw, height());
    setTextMargins(0, 0, button_->isVisibleTo(this) ? bw : 0, 0);
}

bool TDBGridInplaceEdit::listVisible() const { return list_ && list_->isVisible(); }
QListWidget* TDBGridInplaceEdit::pickListWidget() const { return list_; }

void TDBGridInplaceEdit::dropDown() {
    if (pickList_.isEmpty()) return;
    if (!list_) list_ = new PickList(this);
    list_->clear();
    list_->addItems(pickList_);
    QString current;
    if (data::Field* f = grid_->columnField(grid_->loadedCol_)) current = qs(f->editText());
    int sel = pickList_.indexOf(current);
    list_->setCurrentRow(sel);
    int rows = std::min<int>(dropDownRows_, static_cast<int>(pickList_.size()));
    int rh = std::max(list_->sizeHintForRow(0), fontMetrics().height() + 2);
    int frame = list_->frameWidth() * 2;
    int h = rows * rh + frame;
    int w = std::max(width(), list_->sizeHintForColumn(0) + frame +
                                  (rows < pickList_.size() ? list_->verticalScrollBar()->sizeHint().width() : 0));
    QPoint below = mapToGlobal(QPoint(0, height()));
    QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 100000, 100000);
    QPoint pos = below;
    if (below.y() + h > avail.bottom()) pos = mapToGlobal(QPoint(0, 0 - h));
    list_->setGeometry(pos.x(), pos.y(), w, h);
    list_->show();
    list_->setFocus(Qt::PopupFocusReason);
}

void TDBGridInplaceEdit::listChosen(const QString& item) {
    if (list_) list_->hide();
    setFocus(Qt::PopupFocusReason);
    if (!grid_->canEditModify()) return;
    data::Field* f = grid_->columnField(grid_->loadedCol_);
    if (!f) return;
    grid_->editModified_ = false;
    if (!runDataAction(grid_, [&] { f->setText(ss(item)); })) grid_->loadEditor(false);
}

bool TDBGridInplaceEdit::leftSide() const {
    int len = static_cast<int>(displayText().size());
    int start = hasSelectedText() ? selectionStart() : cursorPosition();
    int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    return start == 0 && (end == 0 || end == len);
}

bool TDBGridInplaceEdit::rightSide() const {
    int len = static_cast<int>(displayText().size());
    int start = hasSelectedText() ? selectionStart() : cursorPosition();
    int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    return (start == 0 || end == start) && end == len;
}

void TDBGridInplaceEdit::sendToGrid(int key, Qt::KeyboardModifiers mods) { grid_->gridKeyDown(key, mods); }

void TDBGridInplaceEdit::baseKey(int key, Qt::KeyboardModifiers mods) {
    QKeyEvent ev(QEvent::KeyPress, key, mods);
    QLineEdit::keyPressEvent(&ev);
}

bool TDBGridInplaceEdit::handleKeyDown(QKeyEvent*, int key, Qt::KeyboardModifiers mods) {
    bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    bool forward = grid_->hasOption(dgAlwaysShowEditor);
    switch (key) {
        case Qt::Key_Down:
            if (alt && hasPickList()) {
                dropDown();
                return true;
            }
            sendToGrid(key, mods);
            return true;
        case Qt::Key_Up:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            sendToGrid(key, mods);
            return true;
        case Qt::Key_Escape:
            // Left to the window when the grid has nothing to undo.
            return grid_->gridKeyDown(key, mods);
        case Qt::Key_Insert:
            if (mods == Qt::NoModifier) {
                sendToGrid(key, mods);
                return true;
            }
            return mods == Qt::ShiftModifier && !grid_->canEditModify();
        case Qt::Key_Left:
        case Qt::Key_Home:
            if (forward && (ctrl || leftSide())) {
                sendToGrid(key, mods);
                return true;
            }
            return false;
        case Qt::Key_Right:
        case Qt::Key_End:
            if (forward && (ctrl || rightSide())) {
                sendToGrid(key, mods);
                return true;
            }
            return false;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (alt) return false;
            sendToGrid(key, mods);
            return true;
        case Qt::Key_Delete:
            if (ctrl) {
                sendToGrid(key, mods);
                return true;
            }
            return !grid_->canEditModify();
        case Qt::Key_F2:
            deselect();
            setCursorPosition(static_cast<int>(displayText().size()));
            return true;
        default: return false;
    }
}

bool TDBGridInplaceEdit::handleChar(QKeyEvent*, int ch) {
    if (grid_->gridKeyChar(ch)) return true;
    if (isPrintableChar(ch) && !isValidFieldChar(grid_->columnField(grid_->loadedCol_), QChar(ch))) {
        errorBeep();
        return true;
    }
    if (ch == kCharTab) return true;
    if (ch == kCharEnter) {
        selectAll();
        return true;
    }
    // Typing changes the field: the record must be editable.
    if (isEditingChar(ch)) return !grid_->canEditModify();
    return false;
}

bool TDBGridInplaceEdit::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) &&
            !(keyMods(ke) & (Qt::ControlModifier | Qt::AltModifier)) && grid_->hasOption(dgTabs)) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TDBGridInplaceEdit::keyPressEvent(QKeyEvent* e) {
    if (isModifierKey(e->key())) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    QPointer<TDBGridInplaceEdit> self(this);
    if (grid_->onKeyDown && grid_->onKeyDown(e)) {
        e->accept();
        return;
    }
    int key = e->key();
    Qt::KeyboardModifiers mods = keyMods(e);
    if (key == Qt::Key_Backtab) mods |= Qt::ShiftModifier;
    if (handleKeyDown(e, key, mods)) {
        e->accept();
        return;
    }
    int ch = keyChar(e);
    if (ch && handleChar(e, ch)) {
        e->accept();
        return;
    }
    if (self) QLineEdit::keyPressEvent(e);
}

void TDBGridInplaceEdit::enterCell() {
    if (autoSelect_) selectAll();
}

void TDBGridInplaceEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (e->reason() == Qt::MouseFocusReason || e->reason() == Qt::PopupFocusReason ||
        e->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (autoSelect_) selectAll();
    else deselect();
}

void TDBGridInplaceEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    emit grid_->dblClick();
}

// ================================================================ pick list

PickList::PickList(TDBGridInplaceEdit* editor) : QListWidget(editor), editor_(editor) {
    setWindowFlags(Qt::Popup);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PickList::choose() {
    QListWidgetItem* it = currentItem();
    QString text = it ? it->text() : QString();
    hide();
    if (it) editor_->listChosen(text);
}

void PickList::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    if (isModifierKey(key)) return;
    int ch = keyChar(e);
    if (key == Qt::Key_Escape) {
        search_.clear();
        hide();
        editor_->setFocus(Qt::PopupFocusReason);
        return;
    }
    if (isEnterKey(key)) {
        choose();
        return;
    }
    if (ch == kCharBackspace) {
        search_.clear();
        return;
    }
    if (isPrintableChar(ch)) {
        qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - lastKey_ > 2000) search_.clear();
        lastKey_ = now;
        if (search_.size() < 32) search_ += QChar(ch);
        for (int i = 0; i < count(); ++i)
            if (item(i)->text().startsWith(search_, Qt::CaseInsensitive)) {
                setCurrentRow(i);
                break;
            }
        return;
    }
    QListWidget::keyPressEvent(e);
}

void PickList::mouseReleaseEvent(QMouseEvent* e) {
    QListWidget::mouseReleaseEvent(e);
    if (QListWidgetItem* it = itemAt(e->position().toPoint())) {
        setCurrentItem(it);
        choose();
    }
}

void PickList::hideEvent(QHideEvent* e) {
    search_.clear();
    QListWidget::hideEvent(e);
}

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
    const QFontMetrics fm = fontMetrics();
    for (int c = 0; c < columnCount(); ++c) {
        const TColumn& col = columns_[static_cast<size_t>(c)];
        setColumnHidden(c, !col.visible);
        int w = col.width;
        if (w <= 0) {
            data::Field* f = columnField(c);
            int text = fm.averageCharWidth() * 10;
            if (f) {
                if (f->displayWidth > 0) text = fm.averageCharWidth() * f->displayWidth;
                else if (f->dataType() == data::FieldType::String) text = fm.averageCharWidth() * std::clamp(f->size(), 4, 30);
                else if (f->dataType() == data::FieldType::Date) text = fm.horizontalAdvance(QStringLiteral("00.00.0000"));
                else if (f->dataType() == data::FieldType::Boolean) text = fm.horizontalAdvance(QStringLiteral("False"));
                else text = fm.horizontalAdvance(QStringLiteral("000,000.00"));
            }
            w = std::max(fm.horizontalAdvance(columnTitle(c)), text) + 14;
        }
        setColumnWidth(c, w);
    }
    if (selCol_ < 0 || selCol_ >= columnCount() || isColumnHidden(selCol_)) selCol_ = firstColumn();
    loadedRow_ = loadedCol_ = -1;
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
            if (e < target && target <= q) --target;
            else if (q <= target && target < e) ++target;
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
        QString q = multi ? QStringLiteral("Delete all selected records?") : QStringLiteral("Delete record?");
        if (Messages::show(MsgType::Confirmation, q, Ok | Cancel, window()) != Ok) return;
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
    editor_->loadCell(f ? qs(f->editText()) : QString(), f ? EditMask::parse(f->editMask) : EditMask{}, pick, rows);
    editor_->setAlignment(model_->index(std::max(row, 0), std::max(selCol_, 0)).data(Qt::TextAlignmentRole).value<Qt::Alignment>());
    editModified_ = false;
    loadedRow_ = row;
    loadedCol_ = selCol_;
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
    if (model_->rowCount() != modelRows(dataSet())) model_->refresh();
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
            if (ctrl) moveToRow(topVisibleRow());
            else keyUpArrow();
            return true;
        case Qt::Key_Down:
            if (ctrl) moveToRow(bottomVisibleRow());
            else keyDownArrow();
            return true;
        case Qt::Key_PageUp:
            if (ctrl) moveToRow(topVisibleRow());
            else moveBy(-visibleRowCount());
            return true;
        case Qt::Key_PageDown:
            if (ctrl) moveToRow(bottomVisibleRow());
            else moveBy(visibleRowCount());
            return true;
        case Qt::Key_Left:
            if (rowSel) moveBy(-1);
            else setSelectedIndex(ctrl ? firstColumn() : priorColumn(selCol_));
            return true;
        case Qt::Key_Right:
            if (rowSel) moveBy(1);
            else setSelectedIndex(ctrl ? lastColumn() : nextColumn(selCol_));
            return true;
        case Qt::Key_Home:
            if (ctrl || rowSel || dataColumnCount() == 1) runDataAction(this, [ds] { ds->first(); });
            else setSelectedIndex(firstColumn());
            return true;
        case Qt::Key_End:
            if (ctrl || rowSel || dataColumnCount() == 1) runDataAction(this, [ds] { ds->last(); });
            else setSelectedIndex(lastColumn());
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
    if (ch && (!used || ch == kCharEnter)) used = gridKeyChar(ch) || used;
    if (used) e->accept();
    else e->ignore();
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
                this, [self, err] {
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

void TNormalDBGrid::updateGeometries() {
    QTableView::updateGeometries();
    updateEditor();
}

}  // namespace ui
