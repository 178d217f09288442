#include "budget/BilantCentralUnt.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <vector>

#include "budget/CalcBilant.h"
#include "budget/CalculBilantUnt.h"
#include "budget/RepBilantCentralUnt.h"
#include "budget/RepComparatieUnt.h"
#include "budget/UnitBudgets.h"
#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"
#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Errors.h"
#include "shell/Messages.h"
#include "shell/WindowSlots.h"
#include "ui_BilantCentralUnt.h"

namespace budget {

namespace {

// Resizable: the grid grows with the window, its name column taking the room.
constexpr ui::WindowSpec kWindow{.minimizable = true, .fixedSize = false, .accessError = kBilantCentralAccessError};

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string text(const QTreeWidgetItem* node) { return node->text(0).toStdString(); }

// The group a unit node belongs to: its parent's text when that is
// "PAROHII" or "MANASTIRI"; empty for every other node.
std::string groupOf(const QTreeWidgetItem* node) {
    if (!node || !node->parent()) return {};
    const std::string g = text(node->parent());
    return g == kParohii || g == kManastiri ? g : std::string();
}

// The child of `group` named `name` (letter case ignored) other than `except`.
bool hasChildNamed(const QTreeWidgetItem* group, const std::string& name, const QTreeWidgetItem* except = nullptr) {
    for (int i = 0; i < group->childCount(); ++i)
        if (group->child(i) != except && sameDirectoryName(text(group->child(i)), name)) return true;
    return false;
}

}  // namespace

TBilantCentralFrm::TBilantCentralFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    TParohia.setDeclaredFields({"An_lucru"});
    for (data::Table* t : {&TBilantCentral, &TOficiu, &TParohie, &TManastire}) {
        t->setDeclaredFields({"Nr_rand", "Denumire", "Prevederi", "Executie"});
        for (const char* f : {"Prevederi", "Executie"}) t->setup(f).asAmount();
        // Lines are added in the budget-line catalog only.
        t->onNewRecord = [](data::DataSet&) { data::abortSilently(); };
    }

    ui::setupForm<Ui_TBilantCentralFrm>(this);
    ui::bindControls(this, {{"", &DSBilantCentral}, {"DSParohia", &DSParohia}});
    TV = ui::child<QTreeWidget>(this, "TV");
    DBGrid = ui::child<ui::TDBGridNormal>(this, "DBGrid");
    CentralizBtn = ui::child<QPushButton>(this, "CentralizBtn");
    InsumareBtn = ui::child<QPushButton>(this, "InsumareBtn");
    DischetaBtn = ui::child<QPushButton>(this, "DischetaBtn");
    PrintMenu = new QMenu(this);
    PrintMenu->setObjectName(QStringLiteral("PrintMenu"));
    for (const char* column : {"Prevederi", "Executie"})
        connect(PrintMenu->addAction(QString::fromUtf8(column)), &QAction::triggered, this,
                [this, column] { printCentral(QString::fromUtf8(column)); });
    ComparatieBtn = ui::child<QPushButton>(this, "ComparatieBtn");
    ComparatieMenu = new QMenu(this);
    ComparatieMenu->setObjectName(QStringLiteral("ComparatieMenu"));
    connect(ComparatieMenu->addAction(QStringLiteral("Toate randurile")), &QAction::triggered, this,
            [this] { printComparison(false); });
    connect(ComparatieMenu->addAction(QStringLiteral("Randul curent din grila")), &QAction::triggered, this,
            [this] { printComparison(true); });
    DischetaMenu = new QMenu(this);
    DischetaMenu->setObjectName(QStringLiteral("DischetaMenu"));
    connect(DischetaMenu->addAction(QStringLiteral("Din fisiere...")), &QAction::triggered, this,
            [this] { chooseFiles(); });
    connect(DischetaMenu->addAction(QStringLiteral("Toate bugetele dintr-un dosar...")), &QAction::triggered, this,
            [this] { chooseFolder(); });

    std::vector<ui::TColumn> cols;
    for (auto [field, title, readOnly] : {std::tuple{"Denumire", "Denumire", true},
                                          {"Nr_rand", "Nr rand", true},
                                          {"Prevederi", "Prevederi", false},
                                          {"Executie", "Executie", false}}) {
        ui::TColumn c(QString::fromUtf8(field), QString::fromUtf8(title));
        c.readOnly = readOnly;
        cols.push_back(std::move(c));
    }
    DBGrid->setOptions(ui::kDefaultGridOptions | ui::dgAlwaysShowEditor);
    DBGrid->setColumns(std::move(cols));
    DBGrid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    DBGrid->setDataSource(&DSBilantCentral);

    FormCreate();

    connect(TV, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) { TVChange(node); });
    connect(ui::child<QPushButton>(this, "AddBtn"), &QPushButton::clicked, this, [this] { AddBtnClick(); });
    connect(ui::child<QPushButton>(this, "DelBtn"), &QPushButton::clicked, this, [this] { DelBtnClick(); });
    connect(ui::child<QPushButton>(this, "ChangeBtn"), &QPushButton::clicked, this, [this] { ChangeBtnClick(); });
    connect(ui::child<QPushButton>(this, "BitBtn6"), &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(ui::child<QPushButton>(this, "BitBtn7"), &QPushButton::clicked, this, [this] { BitBtn7Click(); });
    connect(CentralizBtn, &QPushButton::clicked, this, [this] { CentralizBtnClick(); });
    connect(InsumareBtn, &QPushButton::clicked, this, [this] { InsumareBtnClick(); });
    connect(ComparatieBtn, &QPushButton::clicked, this,
            [this] { ComparatieMenu->popup(ComparatieBtn->mapToGlobal(QPoint(0, ComparatieBtn->height()))); });
    QPushButton* print = ui::child<QPushButton>(this, "PrintBtn");
    connect(print, &QPushButton::clicked, this,
            [this, print] { PrintMenu->popup(print->mapToGlobal(QPoint(0, print->height()))); });
    connect(DischetaBtn, &QPushButton::clicked, this,
            [this] { DischetaMenu->popup(DischetaBtn->mapToGlobal(QPoint(0, DischetaBtn->height()))); });

    TV->setFocus();
    finishLayout();
}

TBilantCentralFrm::~TBilantCentralFrm() {
    // the tree is destroyed with the other controls: no selection reaches the grid then
    QObject::disconnect(TV, nullptr, this, nullptr);
}

void TBilantCentralFrm::openTables() {
    TParohia.open();
    TBilantCentral.open();
    ui::checkBindings(this);
    DBGrid->setSelectedIndex(2);  // the planned amount, the column the user types in
    showOfficePeriod();
}

void TBilantCentralFrm::showOfficePeriod() {
    TParohia.first();
    const int year = TParohia.isEmpty() ? 0 : static_cast<int>(TParohia["An_lucru"].asInteger());
    const std::optional<ComputedPeriod> p = lastComputation(data::AppDir());
    const bool whole = p && wholeYear(*p, year);
    // the year beside the heading only when the figures are the whole year's
    ui::child<QLabel>(this, "Label1")
        ->setText(whole ? QStringLiteral("LA SFARSITUL ANULUI :") : q(periodHeading(p, year)));
    ui::child<QWidget>(this, "An_lucruEdit")->setVisible(whole);
}

// ---------------------------------------------------------------- the tree

void TBilantCentralFrm::FormCreate() {
    loadTree(builtInTree());
    TreeRead read = readTreeFile(data::AppDir());
    if (!read.lines.empty()) loadTree(read.lines);
    if (!read.error.empty()) ui::Messages::error(q(read.error), this);
}

void TBilantCentralFrm::loadTree(const TreeLines& lines) {
    TV->clear();
    std::vector<QTreeWidgetItem*> last;  // the last node of every level
    std::vector<QTreeWidgetItem*> roots;
    for (const TreeLine& l : lines) {
        auto* node = new QTreeWidgetItem(QStringList{q(l.text)});
        last.resize(static_cast<size_t>(l.depth));
        if (l.depth == 0)
            roots.push_back(node);
        else
            last.back()->addChild(node);
        last.push_back(node);
    }
    TV->addTopLevelItems(QList<QTreeWidgetItem*>(roots.begin(), roots.end()));
    TV->expandAll();
    if (TV->topLevelItemCount() > 0) TV->setCurrentItem(TV->topLevelItem(0));
}

TreeLines TBilantCentralFrm::treeLines() const {
    TreeLines out;
    std::vector<std::pair<QTreeWidgetItem*, int>> stack;
    for (int i = TV->topLevelItemCount() - 1; i >= 0; --i) stack.push_back({TV->topLevelItem(i), 0});
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        out.push_back({depth, text(node)});
        for (int i = node->childCount() - 1; i >= 0; --i) stack.push_back({node->child(i), depth + 1});
    }
    return out;
}

void TBilantCentralFrm::saveTree() {
    try {
        writeTreeFile(data::AppDir(), treeLines());
    } catch (const UnitError& e) {
        ui::Messages::error(q(e.what()), this);
    }
}

// ---------------------------------------------------------------- selection

void TBilantCentralFrm::TVChange(QTreeWidgetItem* node) {
    if (!node) return;
    if (!node->parent()) {
        if (shown_ != &TBilantCentral) postShown();
        shown_ = &TBilantCentral;
        shownDir_ = data::AppDir();
        DBGrid->setDataSource(&DSBilantCentral);
        CentralizBtn->setEnabled(true);
        InsumareBtn->setEnabled(false);
        ComparatieBtn->setEnabled(false);
        DischetaBtn->setEnabled(false);
        return;
    }
    const bool groupNode = !node->parent()->parent() && (text(node) == kParohii || text(node) == kManastiri);
    InsumareBtn->setEnabled(groupNode);
    ComparatieBtn->setEnabled(groupNode);
    DischetaBtn->setEnabled(!selectedGroup().empty());
    const std::string name = text(node);
    const std::string parent = text(node->parent());
    const std::string& app = data::AppDir();
    if (name == kOficiu) {
        showTable(TOficiu, DSOficiu, data::AppDir(), false);
    } else if (name == kParohii) {
        showTable(TParohie, DSParohie, groupDirectory(app, kParohii), true);
    } else if (parent == kParohii || parent == kManastiri) {
        data::Table& t = parent == kParohii ? TParohie : TManastire;
        data::DataSource& ds = parent == kParohii ? DSParohie : DSManastire;
        try {
            showTable(t, ds, unitBudgetDirectory(app, parent, name), false);
        } catch (const UnitError& e) {
            // a hand-made tree file names a place outside the group: never opened
            showTable(t, ds, {}, false);
            ui::Messages::error(q(e.what()), this);
        }
    } else if (name == kManastiri) {
        showTable(TManastire, DSManastire, groupDirectory(app, kManastiri), true);
    }
}

void TBilantCentralFrm::showTable(data::Table& t, data::DataSource& ds, const std::string& dir, bool centralize) {
    postShown();
    t.close();
    shown_ = &t;
    shownDir_ = dir;
    DBGrid->setDataSource(&ds);
    CentralizBtn->setEnabled(centralize);
    if (dir.empty()) return;  // no directory to show: the grid stays on the closed table
    t.setDatabaseName(dir);
    try {
        t.open();
        t.first();
    } catch (const data::EngineError& e) {
        ui::Messages::error(QString::fromUtf8(e.what()), this);
    }
}

bool TBilantCentralFrm::postShown() {
    if (!shown_->active() || !shown_->editing()) return true;
    if (ui::runDataAction(this, [this] { shown_->post(); })) return true;
    shown_->cancel();
    return false;
}

void TBilantCentralFrm::closeUnitTables() {
    postShown();
    TParohie.close();
    TManastire.close();
}

// ---------------------------------------------------------------- units

void TBilantCentralFrm::AddBtnClick() {
    TV->setFocus();
    QTreeWidgetItem* group = TV->currentItem();
    if (!group || !group->parent() || group->parent()->parent() ||
        (text(group) != kParohii && text(group) != kManastiri)) {
        ui::Messages::information(
            QStringLiteral("Pentru a putea adauga unitati trebuie sa va pozitionati pe PAROHII sau MANASTIRI"), this);
        return;
    }
    QString typed;
    const QString prompt = QStringLiteral("Denumirea unitatii componente la ") + group->text(0) + QStringLiteral(" ?");
    if (ui::Messages::inputBox(QStringLiteral("Adaugare unitate"), prompt, typed, this)) {
        const std::string name = typed.toStdString();
        try {
            // a unit of that name, in the tree or on disk, is not added twice
            if (!hasChildNamed(group, name) && createUnitDirectory(data::AppDir(), text(group), name)) {
                group->addChild(new QTreeWidgetItem(QStringList{typed}));
                group->setExpanded(true);
                copyUnitTemplate(data::AppDir(), text(group), name);
            }
        } catch (const UnitError& e) {
            ui::Messages::error(q(e.what()), this);
            return;
        }
    }
    saveTree();
}

void TBilantCentralFrm::DelBtnClick() {
    TV->setFocus();
    QTreeWidgetItem* node = TV->currentItem();
    // only a unit of a group: its directory is inside the group directory
    if (!node || node->childCount() > 0 || groupOf(node).empty() || !node->parent()->parent()) {
        ui::Messages::information(QStringLiteral("Pentru stergere alegeti o parohie sau o manastire"), this);
        return;
    }
    if (!ui::Messages::askDestructive(
            QStringLiteral("Sigur doriti stergerea acestei unitati, datele aferente acesteia se vor pierde ?"),
            ui::MsgType::Warning, this))
        return;
    closeUnitTables();
    try {
        if (removeUnit(data::AppDir(), groupOf(node), text(node)) == RemoveResult::Removed) {
            delete node;  // the tree selects another node, whose budget the grid shows
            saveTree();
            return;
        }
    } catch (const UnitError& e) {
        ui::Messages::error(q(e.what()), this);
    }
    // the unit stays: the grid shows its budget again, where it is still there
    try {
        if (!data::resolveTableFile(unitBudgetDirectory(data::AppDir(), groupOf(node), text(node)), "Bilant.DB")
                 .empty())
            TVChange(TV->currentItem());
    } catch (const UnitError&) {
    }
}

void TBilantCentralFrm::ChangeBtnClick() {
    TV->setFocus();
    QTreeWidgetItem* node = TV->currentItem();
    if (!node || !node->parent() || text(node) == kOficiu || groupOf(node).empty() || !node->parent()->parent()) {
        ui::Messages::information(QStringLiteral("Pentru modificare trebuie sa alegeti o unitate"), this);
        return;
    }
    QString typed = node->text(0);
    if (ui::Messages::inputBox(QStringLiteral("Modificare denumire unitate"), QStringLiteral("Denumirea unitatii :"),
                               typed, this) &&
        typed != node->text(0)) {
        const std::string name = typed.toStdString();
        const std::string group = groupOf(node);
        closeUnitTables();
        try {
            if (!isValidUnitName(name)) throw UnitError(kInvalidUnitName);
            if (hasChildNamed(node->parent(), name, node)) throw UnitError(nameInUseMessage(name));
            renameUnit(data::AppDir(), group, text(node), name);
            node->setText(0, typed);
        } catch (const UnitError& e) {
            ui::Messages::error(q(e.what()), this);
        }
        TVChange(TV->currentItem());
    }
    saveTree();
}

// ---------------------------------------------------------------- buttons

void TBilantCentralFrm::BitBtn6Click() {
    // the centralised budget's pending line is posted as the window closes
    if (shown_ != &TBilantCentral && !postShown()) return;
    accept();
}

void TBilantCentralFrm::refreshShown() {
    if (shown_->active()) ui::runDataAction(this, [this] { shown_->refresh(); });
}

void TBilantCentralFrm::BitBtn7Click() {
    // an amount just typed is stored before the formulas read it
    if (!postShown()) return;
    if ((shown_ == &TParohie || shown_ == &TManastire) && !shownDir_.empty()) {
        CalcBilantProgress progress(this);
        try {
            CalcBilantSubunitate(shownDir_, progress.callbacks());
        } catch (const BilantError& e) {
            ShowBilantError(e, this);
            return;
        }
    }
    refreshShown();
}

void TBilantCentralFrm::CentralizBtnClick() {
    if (!postShown()) return;
    CalcBilantProgress progress(this);
    try {
        CentralizBilant(data::AppDir(), progress.callbacks());
    } catch (const BilantError& e) {
        ShowBilantError(e, this);
        return;
    }
    refreshShown();
}

std::string TBilantCentralFrm::selectedGroup() const {
    const QTreeWidgetItem* node = TV->currentItem();
    if (!node || !node->parent()) return {};
    if (!node->parent()->parent()) return text(node) == kParohii || text(node) == kManastiri ? text(node) : "";
    return node->parent()->parent()->parent() ? "" : groupOf(node);
}

void TBilantCentralFrm::InsumareBtnClick() {
    const std::string group = selectedGroup();
    if (group.empty() || !postShown()) return;
    SumResult r;
    try {
        r = sumUnits(data::AppDir(), group);
    } catch (const BilantError& e) {
        ShowBilantError(e, this);
        return;
    }
    refreshShown();
    ui::Messages::information(q(r.text(group)), this);
}

void TBilantCentralFrm::chooseFiles() {
    const QStringList files = QFileDialog::getOpenFileNames(this, QStringLiteral("Bugete trimise de unitati"),
                                                            QDir::homePath(), QStringLiteral("Bugete (*.json)"));
    std::vector<std::string> paths;
    for (const QString& f : files) paths.push_back(f.toStdString());
    if (!paths.empty()) takeOver(paths);
}

void TBilantCentralFrm::chooseFolder() {
    const QString dir =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Dosarul cu bugetele unitatilor"), QDir::homePath());
    if (!dir.isEmpty()) takeOver({dir.toStdString()});
}

void TBilantCentralFrm::takeOver(const std::vector<std::string>& paths) {
    if (!postShown()) return;
    const std::string group = selectedGroup();
    TakeOverBatch batch;
    try {
        batch = planTakeOvers(data::AppDir(), paths, group);
    } catch (const std::exception& e) {
        ui::Messages::error(q(e.what()), this);
        return;
    }
    if (batch.plans.empty()) {
        ui::Messages::warning(
            batch.refused.empty() ? QStringLiteral("Nu am gasit nici un buget de unitate!") : q(batch.question()),
            this);
        return;
    }
    if (!ui::Messages::askYesNo(q(batch.question()), ui::MsgType::Confirmation, this)) return;
    closeUnitTables();
    const TakeOverSummary sum = applyTakeOvers(data::AppDir(), batch);
    bool added = false;
    for (const TakeOver& t : batch.plans) added = added || t.newUnit;
    if (added) {
        // the units added are in the tree file: the tree shows them, on their group
        loadTree(readTreeFile(data::AppDir()).lines);
        const QList<QTreeWidgetItem*> found = TV->findItems(q(group), Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty()) TV->setCurrentItem(found.front());
    } else {
        TVChange(TV->currentItem());
    }
    ui::Messages::information(q(sum.text()), this);
}

void TBilantCentralFrm::printComparison(bool currentLine) {
    const std::string group = selectedGroup();
    if (group.empty() || !postShown()) return;
    std::optional<int> line;
    if (currentLine && shown_->active() && !shown_->isEmpty() && !(*shown_)["Nr_rand"].isNull())
        line = static_cast<int>((*shown_)["Nr_rand"].asInteger());
    PrintComparatie(this, group, line);
}

void TBilantCentralFrm::printCentral(const QString& column) {
    if (!postShown()) return;
    PrintBilantCentral(this, column);
}

void OpenBilantCentral(QWidget* owner) {
    shell::RunModalDialog<TBilantCentralFrm>(owner, QString::fromUtf8(kBilantCentralAccessError));
}

}  // namespace budget
