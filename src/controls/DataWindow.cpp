#include "controls/DataWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "controls/ControlSupport.h"
#include "controls/DataBound.h"
#include "data/Errors.h"
#include "shell/Messages.h"

namespace ui {

DataWindowCore::~DataWindowCore() { closeTables(); }

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
    }
    if (spec.centred) {
        QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (screen) w->move(screen->availableGeometry().center() - w->rect().center());
    }
}

void destroyControls(QWidget* w) { qDeleteAll(w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)); }

}  // namespace ui
