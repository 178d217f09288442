// The one base of the program's windows. It owns the window's data sets and
// sources (so that they outlive the controls bound to them: the controls are
// destroyed first), sets the window flags, centres the window, opens the
// tables with the window's access-error text, and holds the required-fields
// check. A window:
//
//     class TXFrm : public ui::DataWindow<QDialog> {
//         Q_OBJECT
//     public:
//         explicit TXFrm(QWidget* owner);
//     private:
//         data::Table& TX = table("X.DB");
//         data::DataSource& DSX = source(TX);
//     };
//
//     TXFrm::TXFrm(QWidget* owner) : DataWindow(owner, kWindow) {
//         ui::setupForm<Ui_TXFrm>(this);
//         ui::bindControls(this, {{"", &DSX}});
//         finishLayout();
//     }
#pragma once
#include <QDialog>
#include <QEvent>
#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/DataSource.h"
#include "data/Query.h"
#include "data/Table.h"

namespace ui {

// How a window sits on the screen. Written with designated initialisers:
//     constexpr WindowSpec kWindow{.modeless = true, .minimizable = true};
struct WindowSpec {
    bool modeless = false;  // a separate window beside the main window (not a modal dialog)
    bool minimizable = false;
    bool maximizable = false;
    bool fixedSize = false;    // true: held at its layout's size (not resizable)
    bool centred = true;       // centred on the owner's screen
    bool titleButtons = true;  // false: a title bar without system menu or close box (progress windows)
    // nullptr: the engine's message alone (windows that open without data)
    const char* accessError = "Eroare de acces la baza de date!";
};

// Where windows keep the sizes and grid column widths the user gave them, for
// the next run: text values by key (the program's settings file). Until one
// is set nothing is kept.
struct WindowMemory {
    std::function<std::optional<std::string>(const std::string& key)> read;
    std::function<void(const std::vector<std::pair<std::string, std::string>>& values)> write;
};
void setWindowMemory(WindowMemory memory);

// The part of the base that is not a widget.
class DataWindowCore {
public:
    DataWindowCore(const DataWindowCore&) = delete;
    DataWindowCore& operator=(const DataWindowCore&) = delete;

    // Opens the data sets marked to open with the window, in the order they
    // were made. An engine error shows the access-error text, a line break,
    // the engine's message and "!", and returns false (the command ends).
    bool openTables(QWidget* parent);
    // Closes every data set, errors ignored.
    void closeTables() noexcept;
    // Drops the event handlers of the data sets and sources: they call into
    // the window, which is being torn down.
    void dropHandlers() noexcept;

    // Changes not yet stored: a data set of the window being edited or
    // inserted that is modified, or a control of `window` holding typed text
    // its field has not received.
    bool hasPendingChanges(const QWidget* window) const;
    // Before the window closes: with pending changes, "Salvati modificarile?".
    // Da stores them (a refused post shows its message and keeps the window
    // open), Nu drops them, Anuleaza keeps the window open with them. True
    // when the window may close.
    bool confirmClose(QWidget* window);

    // NULL, empty or only spaces.
    static bool isBlank(const data::Field& f);
    // When one of `fields` is blank: the warning `message`, then a silent
    // abort (the record stays in editing).
    static void requireFields(data::DataSet& ds, const std::vector<const char*>& fields, const QString& message,
                              QWidget* parent);

protected:
    explicit DataWindowCore(const WindowSpec& spec) : spec_(spec) {}
    ~DataWindowCore();

    // A table of the window; `openWithWindow` false for tables the window
    // opens around one look-up.
    data::Table& table(const std::string& fileName, bool openWithWindow = true);
    data::Query& query(const std::string& sql, bool openWithWindow = false);
    data::DataSource& source(data::DataSet& ds);

    const WindowSpec& windowSpec() const { return spec_; }
    // The name under which `w` keeps its size: its object name, and the
    // table it shows when one window kind serves several tables.
    std::string memoryKey(const QWidget* w) const;
    // The data sets the window opens with it, in order.
    std::vector<data::DataSet*> tables() const;

private:
    WindowSpec spec_;
    std::deque<std::unique_ptr<data::DataSet>> sets_;
    std::vector<bool> openWith_;
    std::deque<data::DataSource> sources_;
};

// Window flags, transient ownership and centring, shared by every base kind.
void applyWindowFlags(QWidget* w, QWidget* owner, const WindowSpec& spec);
// After the layout: a resizable window starts at the size its layout was
// drawn for (its .ui geometry) or at what its layout asks when larger, and
// cannot be made smaller; both within the screen.
void finishWindowLayout(QWidget* w, QWidget* owner, const WindowSpec& spec);
// First showing, the data open: the window grows to what its grids now ask
// (every column), then takes the size and the column widths kept under `key`.
void fitWindowOnShow(QWidget* w, QWidget* owner, const WindowSpec& spec, const std::string& key);
// Keeps the window's size and its grids' column widths under `key`.
void rememberWindow(const QWidget* w, const WindowSpec& spec, const std::string& key);
// Destroys the child widgets of `w` (before the data sets they are bound to).
void destroyControls(QWidget* w);

namespace detail {
// The widget base of a data window, asking before it closes. A dialog closes
// through reject() on Esc and on its close box: that asks too.
template <class QtBase>
class ClosingBase : public QtBase {
protected:
    using QtBase::QtBase;
    virtual bool mayClose() = 0;
};

template <>
class ClosingBase<QDialog> : public QDialog {
public:
    void reject() override {
        if (mayClose()) QDialog::reject();
    }

protected:
    using QDialog::QDialog;
    virtual bool mayClose() = 0;
};
}  // namespace detail

template <class QtBase>
class DataWindow : public detail::ClosingBase<QtBase>, public DataWindowCore {
public:
    ~DataWindow() override {
        if (this->isVisible()) rememberWindow(this, windowSpec(), memoryKey(this));
        dropHandlers();
        destroyControls(this);
        closeTables();
    }

    using DataWindowCore::tables;

    // The first showing fits the window before it reaches the screen.
    void setVisible(bool visible) override {
        if (visible && !fitted_) {
            fitted_ = true;
            fitWindowOnShow(this, owner_, windowSpec(), memoryKey(this));
        }
        QtBase::setVisible(visible);
    }

protected:
    DataWindow(QWidget* owner, const WindowSpec& spec)
        : detail::ClosingBase<QtBase>(owner), DataWindowCore(spec), owner_(owner) {
        applyWindowFlags(this, owner, spec);
    }
    // After the layout is built: the starting size and centring the window asks for.
    void finishLayout() { finishWindowLayout(this, owner_, windowSpec()); }

    bool mayClose() override { return confirmClose(this); }
    // The question comes before the window's own close handling, which may
    // drop what is pending.
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Close && !mayClose()) {
            e->ignore();
            return true;
        }
        if (e->type() == QEvent::Hide && !e->spontaneous()) rememberWindow(this, windowSpec(), memoryKey(this));
        return QtBase::event(e);
    }

private:
    QWidget* owner_;
    bool fitted_ = false;
};

}  // namespace ui
