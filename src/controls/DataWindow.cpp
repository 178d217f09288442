#include "controls/DataWindow.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStringList>
#include <QWindow>

#include "controls/ControlSupport.h"
#include "controls/DataBound.h"
#include "controls/TNormalDBGrid.h"
#include "data/Errors.h"
#include "shell/Messages.h"

namespace ui {

namespace {

WindowMemory& windowMemory() {
    static WindowMemory m;
    return m;
}

const char* const kStartState = "cvStartState";

QRect screenArea(const QWidget* w, const QWidget* owner) {
    QScreen* screen = owner ? owner->screen() : w->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
}

// The room a window may take: the screen less its frame (title bar and borders).
QSize roomFor(const QWidget* w, const QWidget* owner) {
    const QSize frame = w->frameGeometry().size() - w->geometry().size();
    return screenArea(w, owner).size() - frame.expandedTo(QSize(0, 0));
}

void centre(QWidget* w, QWidget* owner) {
    const QRect area = screenArea(w, owner);
    w->move(area.center() - w->rect().center());
}

// "900x560" <-> QSize; an empty size when the text is not one.
QSize parseSize(const std::string& text) {
    const QStringList parts = QString::fromStdString(text).split('x');
    bool okW = false, okH = false;
    if (parts.size() != 2) return {};
    const int width = parts[0].toInt(&okW), height = parts[1].toInt(&okH);
    return okW && okH && width > 0 && height > 0 && width < (1 << 15) && height < (1 << 15) ? QSize(width, height)
                                                                                            : QSize();
}

std::string gridKey(const std::string& key, const QWidget* grid) {
    return key + "." + grid->objectName().toStdString();
}

// The window's size and its grids' column widths, as kept.
std::vector<std::pair<std::string, std::string>> windowState(const QWidget* w, const std::string& key) {
    std::vector<std::pair<std::string, std::string>> values;
    // a maximised or minimised window keeps the size it comes back to
    const QSize size = w->isMaximized() || w->isMinimized() ? w->normalGeometry().size() : w->size();
    if (size.isValid()) values.emplace_back(key, std::to_string(size.width()) + "x" + std::to_string(size.height()));
    for (const auto* grid : w->findChildren<const TNormalDBGrid*>()) {
        const std::vector<int> widths = grid->columnWidths();
        if (grid->objectName().isEmpty() || widths.empty()) continue;
        std::string text;
        for (int width : widths) text += (text.empty() ? "" : ",") + std::to_string(width);
        values.emplace_back(gridKey(key, grid), text);
    }
    return values;
}

std::string stateText(const QWidget* w, const std::string& key) {
    std::string text;
    for (const auto& [name, value] : windowState(w, key)) text += name + "=" + value + "\n";
    return text;
}

bool remembers(const WindowSpec& spec, const std::string& key) {
    return !spec.fixedSize && spec.titleButtons && !key.empty();
}

}  // namespace

void setWindowMemory(WindowMemory memory) { windowMemory() = std::move(memory); }

DataWindowCore::~DataWindowCore() { closeTables(); }

std::string DataWindowCore::memoryKey(const QWidget* w) const {
    std::string key = w->objectName().toStdString();
    if (key.empty()) return key;
    for (const auto& ds : sets_)
        if (const auto* t = dynamic_cast<const data::Table*>(ds.get())) return key + "/" + t->tableName();
    return key;
}

data::Table& DataWindowCore::table(const std::string& fileName, bool openWithWindow) {
    auto t = std::make_unique<data::Table>();
    t->setTableName(fileName);
    data::Table& ref = *t;
    sets_.push_back(std::move(t));
    openWith_.push_back(openWithWindow);
    return ref;
}

data::Query& DataWindowCore::query(const std::string& sql, bool openWithWindow) {
    auto q = std::make_unique<data::Query>();
    q->setSql(sql);
    data::Query& ref = *q;
    sets_.push_back(std::move(q));
    openWith_.push_back(openWithWindow);
    return ref;
}

data::DataSource& DataWindowCore::source(data::DataSet& ds) {
    sources_.emplace_back();
    sources_.back().setDataSet(&ds);
    return sources_.back();
}

std::vector<data::DataSet*> DataWindowCore::tables() const {
    std::vector<data::DataSet*> out;
    for (size_t i = 0; i < sets_.size(); ++i)
        if (openWith_[i]) out.push_back(sets_[i].get());
    return out;
}

bool DataWindowCore::openTables(QWidget* parent) {
    try {
        for (data::DataSet* ds : tables()) ds->open();
    } catch (const data::EngineError& e) {
        if (spec_.accessError)
            Messages::error(QString::fromUtf8(spec_.accessError) + "\n" + QString::fromUtf8(e.what()) + "!", parent);
        else
            Messages::error(QString::fromUtf8(e.what()), parent);
        return false;
    }
    return true;
}

void DataWindowCore::closeTables() noexcept {
    for (auto& ds : sets_) {
        try {
            ds->close();
        } catch (...) {
        }
    }
}

void DataWindowCore::dropHandlers() noexcept {
    for (auto& ds : sets_) {
        for (data::DataSet::Handler* h :
             {&ds->beforeOpen, &ds->afterOpen, &ds->beforeClose, &ds->afterClose, &ds->beforeInsert, &ds->onNewRecord,
              &ds->afterInsert, &ds->beforeEdit, &ds->afterEdit, &ds->beforePost, &ds->afterPost, &ds->beforeCancel,
              &ds->afterCancel, &ds->beforeDelete, &ds->afterDelete, &ds->beforeScroll, &ds->afterScroll,
              &ds->onCalcFields})
            *h = nullptr;
    }
    for (data::DataSource& s : sources_) {
        s.onDataChange = nullptr;
        s.onStateChange = nullptr;
        s.onUpdateData = nullptr;
    }
}

bool DataWindowCore::hasPendingChanges(const QWidget* window) const {
    for (const auto& ds : sets_)
        if (ds->active() && ds->editing() && ds->modified()) return true;
    if (!window) return false;
    for (const QWidget* w : window->findChildren<const QWidget*>()) {
        const auto* bound = dynamic_cast<const DataBound*>(w);
        if (!bound || !bound->holdsTypedText() || !bound->dataSource()) continue;
        const data::DataSet* ds = bound->dataSource()->dataSet();
        if (ds && ds->active() && ds->editing()) return true;
    }
    return false;
}

bool DataWindowCore::confirmClose(QWidget* window) {
    if (!hasPendingChanges(window)) return true;
    switch (Messages::askSaveChanges(window)) {
        case Yes:
            // every record being edited is stored (typed text first), in
            // the order the window made its data sets
            for (auto& ds : sets_) {
                data::DataSet* set = ds.get();
                if (set->active() && set->editing() && !runDataAction(window, [set] { set->checkBrowseMode(); }))
                    return false;
            }
            return true;
        case No:
            for (auto it = sets_.rbegin(); it != sets_.rend(); ++it) {
                try {
                    if ((*it)->active()) (*it)->cancel();
                } catch (...) {
                }
            }
            return true;
        default: return false;
    }
}

bool DataWindowCore::isBlank(const data::Field& f) {
    const data::Value v = f.value();
    if (v.isNull()) return true;
    if (!v.isString()) return false;
    return v.toString().find_first_not_of(' ') == std::string::npos;
}

void DataWindowCore::requireFields(data::DataSet& ds, const std::vector<const char*>& fields, const QString& message,
                                   QWidget* parent) {
    for (const char* name : fields)
        if (isBlank(ds.fieldByName(name))) {
            Messages::warning(message, parent);
            data::abortSilently();
        }
}

void applyWindowFlags(QWidget* w, QWidget* owner, const WindowSpec& spec) {
    // A dialog-type window is transient for its owner: it stays above the
    // main window, also when the main window is clicked or maximised.
    Qt::WindowFlags f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (spec.titleButtons) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (spec.minimizable) f |= Qt::WindowMinimizeButtonHint;
    if (spec.maximizable) f |= Qt::WindowMaximizeButtonHint;
    w->setWindowFlags(f);
    if (spec.modeless) w->setWindowModality(Qt::NonModal);
    (void)owner;
}

void finishWindowLayout(QWidget* w, QWidget* owner, const WindowSpec& spec) {
    if (spec.fixedSize) {
        w->adjustSize();
        w->setFixedSize(w->size());
    } else {
        // the .ui geometry resized the window; a layout without one is
        // drawn at what it asks
        if (!w->testAttribute(Qt::WA_Resized)) w->adjustSize();
        const QSize room = roomFor(w, owner);
        const QSize least = w->size().expandedTo(w->minimumSizeHint());
        w->setMinimumSize(least.boundedTo(room));
        w->resize(least.expandedTo(w->sizeHint()).boundedTo(room));
    }
    if (spec.centred) centre(w, owner);
}

void fitWindowOnShow(QWidget* w, QWidget* owner, const WindowSpec& spec, const std::string& key) {
    if (spec.fixedSize) return;
    const WindowMemory& memory = windowMemory();
    const bool kept = remembers(spec, key) && memory.read;
    for (auto* grid : w->findChildren<TNormalDBGrid*>()) {
        if (!kept || grid->objectName().isEmpty()) continue;
        if (const auto widths = memory.read(gridKey(key, grid))) {
            std::vector<int> list;
            for (const QString& part : QString::fromStdString(*widths).split(',')) list.push_back(part.toInt());
            grid->setKeptWidths(list);
        }
    }
    // the grids' new widths came while the window was hidden: its layout
    // has not heard of them
    if (w->layout()) w->layout()->invalidate();
    const QSize room = roomFor(w, owner);
    QSize size = w->size().expandedTo(w->sizeHint());
    if (kept)
        if (const auto text = memory.read(key)) {
            const QSize saved = parseSize(*text);
            if (saved.isValid()) size = saved;
        }
    size = size.expandedTo(w->minimumSize()).boundedTo(room);
    if (size != w->size()) {
        w->resize(size);
        if (spec.centred) centre(w, owner);
    }
    // what the window starts with needs no keeping
    w->setProperty(kStartState, QString::fromStdString(stateText(w, key)));
}

void rememberWindow(const QWidget* w, const WindowSpec& spec, const std::string& key) {
    const WindowMemory& memory = windowMemory();
    if (!remembers(spec, key) || !memory.write) return;
    const auto values = windowState(w, key);
    if (values.empty() || QString::fromStdString(stateText(w, key)) == w->property(kStartState).toString()) return;
    memory.write(values);
}

void destroyControls(QWidget* w) { qDeleteAll(w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)); }

}  // namespace ui
