#include "entry/DocumenteUnt.h"

#include "ui_DocumenteUnt.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Format.h"
#include "data/Journal.h"
#include "entry/CheltuieliUnt.h"
#include "entry/DepuneriUnt.h"
#include "entry/RepDocumenteUnt.h"
#include "entry/RidicariUnt.h"
#include "entry/VenituriUnt.h"
#include "journal/IstoricDlg.h"
#include "shell/Messages.h"
#include "shell/WindowSlots.h"

namespace entry {

namespace {

constexpr ui::WindowSpec kWindow{.modeless = true, .minimizable = true, .maximizable = true, .fixedSize = false};

// The list's columns, then the two balances.
constexpr int kCashColumn = kDocColumns, kBankColumn = kDocColumns + 1;
const char* const kHeaders[] = {"Document",   "Data",         "Numar",     "Felul",
                                "Cod",        "Denumire tip", "Cont",      "Beneficiar / enorias",
                                "Explicatie", "Suma",         "Sold casa", "Sold banca"};

}  // namespace

// The list as a table of rows read when shown.
class DocumentsModel : public QAbstractTableModel {
public:
    explicit DocumentsModel(DocumentList& list) : list_(list) {}
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : list_.size(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kDocColumns + 2; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= list_.size()) return {};
        const int c = index.column();
        if (role == Qt::TextAlignmentRole) {
            const bool right = c == static_cast<int>(DocColumn::Amount) || c == static_cast<int>(DocColumn::Number) ||
                               c >= kCashColumn;
            return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        }
        if (role != Qt::DisplayRole) return {};
        if (c >= kCashColumn) {
            if (!list_.hasBalances()) return {};
            const data::Bani b = c == kCashColumn ? list_.cashAfter(index.row()) : list_.bankAfter(index.row());
            return QString::fromStdString(data::formatAmountBani(b));
        }
        return QString::fromStdString(columnText(list_.row(index.row()), static_cast<DocColumn>(c)));
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > kBankColumn) return {};
        return QString::fromUtf8(kHeaders[section]);
    }
    void sort(int column, Qt::SortOrder order) override {
        if (onSort) onSort(column, order);
    }
    void reset(const std::function<void()>& change) {
        beginResetModel();
        try {
            change();
        } catch (...) {
            endResetModel();
            throw;
        }
        endResetModel();
    }
    std::function<void(int, Qt::SortOrder)> onSort;

private:
    DocumentList& list_;
};

TDocumenteFrm::TDocumenteFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    ui::setupForm<Ui_TDocumenteFrm>(this);
    TextEdit = ui::child<QLineEdit>(this, "TextEdit");
    CodEdit = ui::child<QLineEdit>(this, "CodEdit");
    DeLaEdit = ui::child<QLineEdit>(this, "DeLaEdit");
    PanaLaEdit = ui::child<QLineEdit>(this, "PanaLaEdit");
    MinEdit = ui::child<QLineEdit>(this, "MinEdit");
    MaxEdit = ui::child<QLineEdit>(this, "MaxEdit");
    KindCombo = ui::child<QComboBox>(this, "KindCombo");
    ContCombo = ui::child<QComboBox>(this, "ContCombo");
    DocsView = ui::child<QTableView>(this, "DocsView");
    TotalsLbl = ui::child<QLabel>(this, "TotalsLbl");

    // the working year by default
    try {
        DocumentList::ensureIndexes();
        const auto year = data::SqlSession::forDirectory(data::AppDir()).select("SELECT An_lucru FROM \"Parohia.DB\"");
        if (!year.rows.empty() && year.rows[0][0].toInt() > 0) {
            const int y = static_cast<int>(year.rows[0][0].toInt());
            DeLaEdit->setText(QString::fromStdString(data::formatShortDate({y, 1, 1})));
            PanaLaEdit->setText(QString::fromStdString(data::formatShortDate({y, 12, 31})));
        }
    } catch (...) {
        ui::reportError(this, std::current_exception());
    }

    model_ = std::make_unique<DocumentsModel>(list_);
    model_->onSort = [this](int column, Qt::SortOrder order) { sortBy(column, order); };
    DocsView->setModel(model_.get());
    DocsView->verticalHeader()->setDefaultSectionSize(DocsView->fontMetrics().height() + 6);
    DocsView->verticalHeader()->hide();
    // widths by what the columns hold (measuring 200,000 rows would be slow)
    const int widths[] = {75, 80, 60, 80, 40, 140, 95, 150, 0, 90, 90, 90};
    for (int c = 0; c <= kBankColumn; ++c)
        if (widths[c]) DocsView->setColumnWidth(c, widths[c]);
    DocsView->horizontalHeader()->setSectionResizeMode(static_cast<int>(DocColumn::Explanation), QHeaderView::Stretch);
    if (auto f = typedFilter()) applied_ = *f;
    DocsView->sortByColumn(static_cast<int>(DocColumn::Date), Qt::AscendingOrder);  // reads the list

    connect(TextEdit, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    for (QLineEdit* e : {CodEdit, DeLaEdit, PanaLaEdit, MinEdit, MaxEdit})
        connect(e, &QLineEdit::editingFinished, this, [this] { applyFilter(); });
    for (QComboBox* c : {KindCombo, ContCombo})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { applyFilter(); });
    connect(DocsView, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { openRow(i.row()); });
    connect(ui::child<QPushButton>(this, "PrintBtn"), &QPushButton::clicked, this, [this] { PrintBtnClick(); });
    connect(ui::child<QPushButton>(this, "ExportBtn"), &QPushButton::clicked, this, [this] { ExportBtnClick(); });
    connect(&DocumentEvents::instance(), &DocumentEvents::changed, this, [this] { reload(); });
    TextEdit->installEventFilter(this);
    DocsView->installEventFilter(this);
    auto* istoric = new QAction(QStringLiteral("Istoric"), this);
    istoric->setObjectName(QStringLiteral("IstoricAction"));
    istoric->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    istoric->setShortcutContext(Qt::WindowShortcut);
    addAction(istoric);
    connect(istoric, &QAction::triggered, this, [this] { showHistory(); });

    finishLayout();
    TextEdit->setFocus(Qt::OtherFocusReason);
}

TDocumenteFrm::~TDocumenteFrm() = default;

std::optional<DocumentFilter> TDocumenteFrm::typedFilter() {
    DocumentFilter f;
    auto refuse = [this](QLineEdit* e, const QString& text) -> std::optional<DocumentFilter> {
        // the warning takes the focus from the field, which would ask again
        if (refusing_) return std::nullopt;
        refusing_ = true;
        ui::Messages::warning(text, this);
        refusing_ = false;
        e->setFocus(Qt::OtherFocusReason);
        e->selectAll();
        return std::nullopt;
    };
    auto day = [&](QLineEdit* e, std::optional<data::Date>& out) {
        const std::string t = data::trim(e->text().toStdString());
        if (t.empty()) return true;
        out = data::parseDate(t);
        return out.has_value();
    };
    if (!day(DeLaEdit, f.from))
        return refuse(DeLaEdit, QStringLiteral("Data de inceput a perioadei nu este o data valida!"));
    if (!day(PanaLaEdit, f.to))
        return refuse(PanaLaEdit, QStringLiteral("Data de sfarsit a perioadei nu este o data valida!"));
    if (const std::string t = data::trim(CodEdit->text().toStdString()); !t.empty()) {
        const auto code = data::parseInteger(t);
        if (!code || *code < 0 || *code > 32767)
            return refuse(CodEdit, QStringLiteral("Codul tipului trebuie sa fie un numar intreg!"));
        f.typeCode = static_cast<int>(*code);
    }
    for (auto [edit, name, out] :
         {std::tuple{MinEdit, "Suma de la", &f.minAmount}, std::tuple{MaxEdit, "Suma pana la", &f.maxAmount}}) {
        const std::string t = edit->text().toStdString();
        if (data::trim(t).empty()) continue;
        const data::ParsedAmount a = data::parseAmount(t);
        if (!a.value) return refuse(edit, QString::fromStdString(data::amountErrorText(t, name, a.error)));
        *out = data::toBani(*a.value);
    }
    if (KindCombo->currentIndex() > 0) f.kind = static_cast<CashDoc>(KindCombo->currentIndex() - 1);
    if (ContCombo->currentIndex() > 0) f.account = ContCombo->currentText().toStdString();
    f.text = TextEdit->text().toStdString();
    return f;
}

void TDocumenteFrm::applyFilter() {
    const std::optional<DocumentFilter> f = typedFilter();
    if (!f) return;
    applied_ = *f;
    sortBy(DocsView->horizontalHeader()->sortIndicatorSection(), DocsView->horizontalHeader()->sortIndicatorOrder());
}

void TDocumenteFrm::sortBy(int column, Qt::SortOrder order) {
    // the balance columns sort as the date: they follow it
    const auto by = column < 0 || column >= kDocColumns ? DocColumn::Date : static_cast<DocColumn>(column);
    const QModelIndex current = DocsView->currentIndex();
    const std::optional<std::pair<CashDoc, long long>> kept =
        current.isValid() && current.row() < list_.size()
            ? std::optional(std::pair(list_.kind(current.row()), list_.id(current.row())))
            : std::nullopt;
    try {
        model_->reset([&] { list_.load(applied_, by, order == Qt::DescendingOrder); });
    } catch (...) {
        ui::reportError(this, std::current_exception());
    }
    if (kept)
        if (const int row = list_.indexOf(kept->first, kept->second); row >= 0)
            DocsView->setCurrentIndex(model_->index(row, 0));
    showTotals();
}

void TDocumenteFrm::reload() {
    const QModelIndex current = DocsView->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const std::optional<std::pair<CashDoc, long long>> kept =
        row >= 0 && row < list_.size() ? std::optional(std::pair(list_.kind(row), list_.id(row))) : std::nullopt;
    try {
        model_->reset([&] { list_.reload(); });
    } catch (...) {
        ui::reportError(this, std::current_exception());
    }
    if (kept)
        if (const int at = list_.indexOf(kept->first, kept->second); at >= 0)
            DocsView->setCurrentIndex(model_->index(at, 0));
    showTotals();
}

void TDocumenteFrm::showTotals() {
    QString t = QStringLiteral("Afisate: ") + QString::number(list_.size());
    for (CashDoc k : {CashDoc::Receipt, CashDoc::Payment, CashDoc::Deposit, CashDoc::Withdrawal})
        t += QStringLiteral("   ") + QString::fromUtf8(kindName(k)) + QStringLiteral(": ") +
             QString::number(list_.count(k)) + QStringLiteral(" / ") +
             QString::fromStdString(data::formatAmountBani(list_.sum(k)));
    TotalsLbl->setText(t);
}

bool TDocumenteFrm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (watched == TextEdit && key == Qt::Key_Down && list_.size() > 0) {
            DocsView->setFocus(Qt::OtherFocusReason);
            if (!DocsView->currentIndex().isValid()) DocsView->setCurrentIndex(model_->index(0, 0));
            return true;
        }
        if (watched == DocsView && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            if (DocsView->currentIndex().isValid()) openRow(DocsView->currentIndex().row());
            return true;
        }
    }
    return DataWindow::eventFilter(watched, e);
}

void TDocumenteFrm::openRow(int row) {
    if (row < 0 || row >= list_.size()) return;
    const long long id = list_.id(row);
    QWidget* owner = parentWidget();
    TDocumentFrm* w = nullptr;
    try {
        switch (list_.kind(row)) {
            case CashDoc::Receipt: w = shell::OpenSingleWindow<TVenituriFrm>(owner); break;
            case CashDoc::Payment: w = shell::OpenSingleWindow<TCheltuieliFrm>(owner); break;
            case CashDoc::Deposit: w = shell::OpenSingleWindow<TDepuneriFrm>(owner); break;
            case CashDoc::Withdrawal: w = shell::OpenSingleWindow<TRidicariFrm>(owner); break;
        }
    } catch (...) {
        ui::reportError(this, std::current_exception());
        return;
    }
    if (w) w->showDocument(id);
}

void TDocumenteFrm::showHistory() {
    ui::runDataAction(this, [this] {
        const std::string dir = data::AppDir();
        const QModelIndex current = DocsView->currentIndex();
        if (current.isValid() && current.row() < list_.size()) {
            const int row = current.row();
            journal::ShowIstoric(this, dir, kindTable(list_.kind(row)), list_.id(row));
            return;
        }
        std::vector<std::string> tables;
        for (int k = 0; k < 4; ++k)
            if (!applied_.kind || *applied_.kind == static_cast<CashDoc>(k))
                tables.emplace_back(kindTable(static_cast<CashDoc>(k)));
        const auto deleted = data::journal::lastDeletion(dir, tables, TextEdit->text().toStdString());
        if (!deleted) {
            ui::Messages::information(QStringLiteral("Niciun document sters nu corespunde textului cautat."), this);
            return;
        }
        journal::ShowIstoric(this, dir, deleted->table, deleted->row);
    });
}

void TDocumenteFrm::PrintBtnClick() { PrintDocumente(this, list_); }

void TDocumenteFrm::ExportBtnClick() {
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Exporta lista documentelor"), QString::fromStdString(data::AppDir()),
        QStringLiteral("Document PDF (*.pdf);;Text separat prin virgula (*.csv);;Pagina web (*.html);;Text (*.txt)"));
    if (file.isEmpty()) return;
    reports::ReportOutput output;
    output.file = QFileInfo(file).suffix().isEmpty() ? file + QStringLiteral(".pdf") : file;
    PrintDocumente(this, list_, output);
}

}  // namespace entry
