#include "budget/BilantUnt.h"

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>

#include "budget/CalcBilant.h"
#include "budget/CalculBilantUnt.h"
#include "budget/RepBilantUnt.h"
#include "catalogs/CatalogUse.h"
#include "controls/Binding.h"
#include "controls/DBGNorm.h"
#include "controls/DateEdit.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Format.h"
#include "reports/Intrvdlg.h"
#include "reports/ReportRun.h"
#include "shell/Messages.h"
#include "shell/WindowSlots.h"
#include "ui_BilantUnt.h"

namespace budget {

namespace {

constexpr ui::WindowSpec kWindow{.fixedSize = false, .accessError = kBilantAccessError};

}  // namespace

TBilantFrm::TBilantFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    TBilant.setDeclaredFields({"Nr_rand", "Denumire", "Prevederi", "Executie"});
    for (const char* f : {"Prevederi", "Executie"}) TBilant.setup(f).asAmount();
    // Lines are added in the budget-line catalog only.
    TBilant.onNewRecord = [](data::DataSet&) { data::abortSilently(); };
    // Never a line that documents or other lines' formulas name.
    TBilant.beforeDelete = [this](data::DataSet& ds) {
        const std::string refusal =
            catalogs::budgetLineInUse(data::AppDir(), catalogs::storedValue(ds, "Nr_rand").toInt());
        if (refusal.empty()) return;
        ui::Messages::warning(QString::fromStdString(refusal), this);
        data::abortSilently();
    };
    TParohia.setDeclaredFields({"An_lucru"});

    ui::setupForm<Ui_TBilantFrm>(this);
    ui::bindControls(this, {{"", &DSBilant}});
    DataBilant1Ed = ui::child<ui::TDateEdit>(this, "DataBilant1Ed");
    DataBilantEd = ui::child<ui::TDateEdit>(this, "DataBilantEd");
    DBGrid1 = ui::child<ui::TDBGridNormal>(this, "DBGrid1");
    PrintBtn = ui::child<QPushButton>(this, "PrintBtn");

    std::vector<ui::TColumn> cols;
    for (auto [field, title, readOnly] : {std::tuple{"Denumire", "Denumire", true},
                                          {"Nr_rand", "Nr rand", true},
                                          {"Prevederi", "Prevederi", false},
                                          {"Executie", "Executie", true}}) {
        ui::TColumn c(QString::fromUtf8(field), QString::fromUtf8(title));
        c.readOnly = readOnly;
        cols.push_back(std::move(c));
    }
    DBGrid1->setColumns(std::move(cols));
    DBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* prevederi = PopupMenu1->addAction(QStringLiteral("Prevederi"));
    prevederi->setObjectName(QStringLiteral("Prevederi1"));
    QAction* executie = PopupMenu1->addAction(QStringLiteral("Executie"));
    executie->setObjectName(QStringLiteral("Executie1"));

    connect(ui::child<QPushButton>(this, "BitBtn1"), &QPushButton::clicked, this, &QDialog::accept);
    connect(ui::child<QPushButton>(this, "BitBtn2"), &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(PrintBtn, &QPushButton::clicked, this, [this] { PrintBtnClick(); });
    connect(prevederi, &QAction::triggered, this, [this] { printColumn("Prevederi"); });
    connect(executie, &QAction::triggered, this, [this] { printColumn("Executie"); });

    DBGrid1->setFocus();
    finishLayout();
}

TBilantFrm::~TBilantFrm() = default;

void TBilantFrm::openTables() {
    TBilant.open();
    TParohia.open();
    ui::checkBindings(this);
    DBGrid1->setSelectedIndex(2);  // the planned amount, the column the user types in
    DataBilant1Ed->setValue(data::Date{workingYear(), 1, 1});
    DataBilantEd->setValue(data::today());
}

int TBilantFrm::workingYear() {
    long long year = 0;
    if (TParohia.active() && !TParohia.isEmpty()) {
        TParohia.first();
        year = TParohia["An_lucru"].asInteger();
    }
    return year >= 1 && year <= 9999 ? static_cast<int>(year) : data::today().year;
}

void TBilantFrm::BitBtn2Click() {
    // reading a date edit puts back its last valid date over text that is not one
    const data::Date start = DataBilant1Ed->value();
    const data::Date end = DataBilantEd->value();
    if (start > end) {
        ui::Messages::warning(reports::WrongIntervalText(start, end), this);
        return;
    }
    // a typed planned amount is stored before the statements change its line
    if (TBilant.active() && TBilant.editing() && !ui::runDataAction(this, [this] { TBilant.post(); })) return;

    reports::WaitCursor wait;
    CalcBilantProgress progress(this);
    try {
        // the budget table is closed while the budget file is copied
        CalcBilantPerioada(start, end, workingYear(), {}, progress.callbacks(),
                           {[this] { TBilant.close(); }, [this] { TBilant.open(); }});
    } catch (const BilantError& e) {
        wait.restore();
        ShowBilantError(e, this);
        // After a failed copy the budget table stays closed until the window
        // is opened again: the figures it holds are not those of the dates shown.
        if (e.kind() == BilantError::Kind::PeriodCopy) return;
    }
    wait.restore();
    // the grid shows what the computation wrote, also after a failure
    ui::runDataAction(this, [this] {
        if (!TBilant.active()) TBilant.open();
        TBilant.refresh();
    });
}

void TBilantFrm::PrintBtnClick() { PopupMenu1->popup(PrintBtn->mapToGlobal(QPoint(60, PrintBtn->height()))); }

void TBilantFrm::printColumn(const char* column) {
    // the printout shows the planned amount the grid shows
    if (TBilant.active() && TBilant.editing() && !ui::runDataAction(this, [this] { TBilant.post(); })) return;
    PrintBilant(this, DataBilant1Ed->text(), DataBilantEd->text(), QString::fromUtf8(column));
}

reports::RunResult PrintBilantComputed(QWidget* owner, const BilantPrint& print, const reports::ReportOutput& output) {
    const bool windows = !output.toFile();
    const data::Date start = print.start.value_or(data::Date{print.workingYear, 1, 1});
    if (!print.start) {
        if (!RunCalcBilant(owner, print.end, windows)) return reports::RunResult::AccessError;
    } else {
        if (start > print.end) {
            ui::Messages::warning(reports::WrongIntervalText(start, print.end), owner);
            return reports::RunResult::Refused;
        }
        reports::WaitCursor wait;
        CalcBilantProgress progress(owner);
        try {
            CalcBilantPerioada(start, print.end, print.workingYear, {}, windows ? progress.callbacks() : Progress{});
        } catch (const BilantError& e) {
            wait.restore();
            ShowBilantError(e, owner);
            return reports::RunResult::AccessError;
        }
    }
    // the cover shows the dates as the window's date fields would
    return PrintBilant(owner, QString::fromStdString(data::formatShortDate(start)),
                       QString::fromStdString(data::formatShortDate(print.end)), print.column, print.expensesOnNewPage,
                       output);
}

void OpenBilant(QWidget* owner) {
    if (!RunCalcBilant(owner, data::today())) return;
    shell::RunModalDialog<TBilantFrm>(owner, QString::fromUtf8(kBilantAccessError));
}

}  // namespace budget
