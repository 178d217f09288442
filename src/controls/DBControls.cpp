#include "controls/DBControls.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>

#include "data/Format.h"

namespace ui {

namespace {

bool isDataFocusReason(Qt::FocusReason r) {
    // Switching windows or opening a pop-up does not leave the control.
    return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
}

// After a failed exit: the focus returns to the control with its text
// selected, then the error is shown.
template <class W, class Select>
void refocusWithError(W* w, std::exception_ptr err, Select select) {
    QPointer<W> self(w);
    QMetaObject::invokeMethod(
        w,
        [self, err, select] {
            if (!self) return;
            if (self->isVisible()) {
                self->setFocus(Qt::OtherFocusReason);
                select(self.data());
            }
            reportError(self, err);
        },
        Qt::QueuedConnection);
}

}  // namespace

// ================================================================ DBEdit

DBEdit::DBEdit(QWidget* parent) : FieldControl(parent) {
    link_.onDataChange = [this] { dataChange(); };
    link_.onEditingChange = [this] { editingChange(); };
    link_.onActiveChange = [this] { editingChange(); };
    link_.onUpdateData = [this] { updateData(); };
    connect(this, &QLineEdit::textEdited, this, [this] { link_.modified(); });
    QLineEdit::setReadOnly(true);
}

void DBEdit::editingChange() { QLineEdit::setReadOnly(!link_.editing()); }

void DBEdit::applyMask(const EditMask& m) {
    if (inputMask() != m.qtMask) setInputMask(m.qtMask);
    mask_ = m;
}

void DBEdit::dataChange() {
    data::Field* f = link_.field();
    if (!f) {
        applyMask(EditMask{});
        setText(QString());
        return;
    }
    if (focused_ && link_.canModify()) {
        applyMask(EditMask::parse(f->editMask));
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setText(qs(f->editText()));
    } else {
        applyMask(EditMask{});
        setAlignment((fieldAlignsRight(f) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        setText(qs(f->displayText()));
    }
    if (mask_.empty()) setMaxLength(fieldMaxLength(f));
}

void DBEdit::updateData() {
    if (data::Field* f = link_.field()) f->setText(ss(maskedText(this, mask_)));
}

void DBEdit::setTypedText(const QString& text) {
    setText(text);
    link_.modified();
}

bool DBEdit::handleKeyDown(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete || (e->key() == Qt::Key_Insert && (keyMods(e) & Qt::ShiftModifier))) link_.edit();
    return false;
}

bool DBEdit::handleChar(QKeyEvent*, int ch) {
    if (isPrintableChar(ch) && link_.field() && !isValidFieldChar(link_.field(), QChar(ch))) {
        errorBeep();
        return true;
    }
    if (isEditingChar(ch)) {
        link_.edit();
        return false;
    }
    if (ch == kCharEscape) {
        bool pending = link_.isModified();
        link_.reset();
        selectAll();
        return pending;  // an unchanged control lets the window have Esc
    }
    return false;
}

bool DBEdit::pasteChecked(const QString& text) {
    if (isReadOnly()) return false;
    try {
        checkPasteFits(this, field(), text);
        return pasteUnderMask(this, mask_, field(), text);
    } catch (...) {
        reportError(this, std::current_exception());
        return true;
    }
}

void DBEdit::baseKeyPress(QKeyEvent* e) {
    if (e->matches(QKeySequence::Paste) && pasteChecked(QGuiApplication::clipboard()->text())) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void DBEdit::contextMenuEvent(QContextMenuEvent* e) {
    contextMenuPaste(this, e, [this](const QString& t) { return pasteChecked(t); });
}

void DBEdit::dropEvent(QDropEvent* e) {
    if (!dropPasted(e, [this](const QString& t) { return pasteChecked(t); })) QLineEdit::dropEvent(e);
}

void DBEdit::mouseReleaseEvent(QMouseEvent* e) {
    if (!middleButtonPasted(e, [this](const QString& t) { return pasteChecked(t); })) QLineEdit::mouseReleaseEvent(e);
}

void DBEdit::focusInEvent(QFocusEvent* e) {
    // Coming back from another window or a pop-up is not entering the control.
    const bool entering = !focused_;
    if (entering) {
        focused_ = true;
        dataChange();
    }
    QLineEdit::focusInEvent(e);
    if (entering && e->reason() != Qt::MouseFocusReason) {
        if (autoSelect_)
            selectAll();
        else
            deselect();
    }
}

void DBEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (!isDataFocusReason(e->reason()) || !focused_) return;
    try {
        link_.updateRecord();
    } catch (...) {
        refocusWithError(this, std::current_exception(), [](DBEdit* w) { w->selectAll(); });
        return;
    }
    focused_ = false;
    dataChange();
}

void DBEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

// ================================================================ DBComboBox

DBComboBox::DBComboBox(QWidget* parent) : FieldControl(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    link_.onDataChange = [this] { dataChange(); };
    link_.onEditingChange = [this] { lineEdit()->setReadOnly(!link_.editing()); };
    link_.onActiveChange = link_.onEditingChange;
    link_.onUpdateData = [this] {
        if (data::Field* f = link_.field()) f->setText(ss(currentText()));
    };
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { link_.modified(); });
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int i) { chosen(i); });
    lineEdit()->setReadOnly(true);
}

void DBComboBox::setItems(const QStringList& items) {
    loading_ = true;
    QString t = currentText();
    clear();
    addItems(items);
    setComboText(t);
    loading_ = false;
}

void DBComboBox::setComboText(const QString& t) {
    bool was = loading_;
    loading_ = true;
    setCurrentIndex(t.isEmpty() ? -1 : findText(t));
    setEditText(t);
    loading_ = was;
}

void DBComboBox::dataChange() {
    data::Field* f = link_.field();
    lineEdit()->setMaxLength(fieldMaxLength(f));
    setComboText(f ? qs(f->editText()) : QString());
}

void DBComboBox::chosen(int) {
    if (loading_) return;
    if (!link_.edit()) {
        dataChange();
        return;
    }
    link_.modified();
}

bool DBComboBox::handleKeyDown(QKeyEvent* e) {
    int k = e->key();
    if (k == Qt::Key_Backspace || k == Qt::Key_Delete || k == Qt::Key_Up || k == Qt::Key_Down) {
        if (!link_.edit() && (k == Qt::Key_Up || k == Qt::Key_Down) && !view()->isVisible()) return true;
    }
    return false;
}

bool DBComboBox::handleChar(QKeyEvent*, int ch) {
    // Free typing: every character goes into the text, and the field judges
    // the whole text when the combo box is left (a year "20x6" is refused
    // with the conversion message rather than stored as 206).
    if (isEditingChar(ch)) {
        link_.edit();
        return false;
    }
    if (ch == kCharEscape && !view()->isVisible()) {
        bool pending = link_.isModified();
        link_.reset();
        lineEdit()->selectAll();
        return pending;
    }
    return false;
}

void DBComboBox::baseKeyPress(QKeyEvent* e) {
    if (e->matches(QKeySequence::Paste) && !lineEdit()->isReadOnly()) {
        try {
            checkPasteFits(lineEdit(), field(), QGuiApplication::clipboard()->text());
        } catch (...) {
            reportError(this, std::current_exception());
            e->accept();
            return;
        }
    }
    QComboBox::keyPressEvent(e);
}

void DBComboBox::wheelEvent(QWheelEvent* e) {
    if (!hasFocus() || !link_.edit()) {
        e->ignore();
        return;
    }
    QComboBox::wheelEvent(e);
}

void DBComboBox::focusInEvent(QFocusEvent* e) {
    focused_ = true;
    QComboBox::focusInEvent(e);
}

void DBComboBox::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (!isDataFocusReason(e->reason()) || !focused_) return;
    try {
        link_.updateRecord();
    } catch (...) {
        refocusWithError(this, std::current_exception(), [](DBComboBox* w) { w->lineEdit()->selectAll(); });
        return;
    }
    focused_ = false;
}

// ================================================================ DBCheckBox

DBCheckBox::DBCheckBox(QWidget* parent) : FieldControl(parent) {
    link_.onDataChange = [this] { dataChange(); };
}

void DBCheckBox::dataChange() {
    // NULL shows undetermined; the user's toggles only ever give true or false.
    Qt::CheckState st = Qt::Unchecked;
    if (data::Field* f = link_.field()) {
        if (f->isNull())
            st = Qt::PartiallyChecked;
        else if (f->dataType() == data::FieldType::Boolean)
            st = f->asBoolean() ? Qt::Checked : Qt::Unchecked;
        else
            st = QString::compare(qs(f->asString()), valueChecked, Qt::CaseInsensitive) == 0 ? Qt::Checked
                                                                                             : Qt::Unchecked;
    }
    setTristate(st == Qt::PartiallyChecked);
    setCheckState(st);
}

void DBCheckBox::nextCheckState() {
    data::Field* f = link_.field();
    if (!f || !link_.edit()) return;
    bool on = checkState() != Qt::Checked;  // undetermined counts as unchecked
    runDataAction(this, [&] {
        if (f->dataType() == data::FieldType::Boolean)
            f->setAsBoolean(on);
        else
            f->setText(ss(on ? valueChecked : valueUnchecked));
    });
    dataChange();
}

// ================================================================ DBLookupComboBox

class DBLookupComboBox::ListLink : public data::DataLink {
public:
    explicit ListLink(DBLookupComboBox* owner) : owner_(owner) {}
    void activeChanged() override { owner_->rebuildList(); }
    void dataSetChanged() override { owner_->rebuildList(); }
    void dataSetScrolled(int) override {}  // the list does not follow the list's current row

private:
    DBLookupComboBox* owner_;
};

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : FieldControl(parent), listLink_(std::make_unique<ListLink>(this)) {
    setEditable(false);
    link_.onDataChange = [this] { dataChange(); };
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int i) { chosen(i); });
}

DBLookupComboBox::~DBLookupComboBox() { listLink_->setDataSource(nullptr); }

void DBLookupComboBox::setListSource(data::DataSource* s) { listLink_->setDataSource(s); }
data::DataSource* DBLookupComboBox::listSource() const { return listLink_->dataSource(); }

void DBLookupComboBox::setKeyField(const QString& name) {
    keyField_ = ss(name);
    rebuildList();
}

void DBLookupComboBox::setListField(const QString& name) {
    listField_ = ss(name.section(QLatin1Char(';'), 0, 0));
    rebuildList();
}

void DBLookupComboBox::rebuildList() {
    loading_ = true;
    clear();
    keys_.clear();
    data::DataSet* ds = listLink_ ? listLink_->dataSet() : nullptr;
    if (ds && ds->active() && !keyField_.empty()) {
        data::Field* kf = ds->findField(keyField_);
        data::Field* lf = ds->findField(listField_.empty() ? keyField_ : listField_);
        if (kf && lf) {
            int n = ds->recordCount();
            for (int i = 0; i < n; ++i) {
                std::vector<data::Value> row = ds->rowValues(i);
                keys_.push_back(row[static_cast<size_t>(kf->index())]);
                addItem(qs(lf->displayTextOf(row[static_cast<size_t>(lf->index())])));
            }
        }
    }
    loading_ = false;
    dataChange();
}

void DBLookupComboBox::dataChange() {
    int found = -1;
    if (data::Field* f = link_.field()) {
        data::Value v = f->value();
        if (!v.isNull())
            for (size_t i = 0; i < keys_.size(); ++i)
                if (data::compareValues(keys_[i], v) == 0) {
                    found = static_cast<int>(i);
                    break;
                }
    }
    bool was = loading_;
    loading_ = true;
    setCurrentIndex(found);
    loading_ = was;
}

void DBLookupComboBox::chosen(int index) {
    if (loading_) return;
    data::Field* f = link_.field();
    if (!f || index < 0 || index >= static_cast<int>(keys_.size()) || !link_.edit()) {
        dataChange();
        return;
    }
    data::Value key = keys_[static_cast<size_t>(index)];
    runDataAction(this, [&] { f->setValue(key); });
    dataChange();
}

bool DBLookupComboBox::handleKeyDown(QKeyEvent* e) {
    if (view()->isVisible()) return false;
    switch (e->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (keyMods(e) & Qt::AltModifier) return false;  // Alt+Down opens the list
            return !link_.edit();
        default: return false;
    }
}

bool DBLookupComboBox::handleChar(QKeyEvent*, int ch) {
    // Typing searches the list, which changes the field: the record must be editable.
    if (isPrintableChar(ch) && !view()->isVisible()) return !link_.edit();
    return false;
}

void DBLookupComboBox::wheelEvent(QWheelEvent* e) {
    if (!hasFocus() || !link_.edit()) {
        e->ignore();
        return;
    }
    QComboBox::wheelEvent(e);
}

}  // namespace ui
