#include "app/RestaurareUnt.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <algorithm>

#include "app/Backup.h"
#include "app/MainFrm.h"
#include "backup/Backups.h"
#include "controls/Binding.h"
#include "data/AppDir.h"
#include "data/Money.h"
#include "shell/Messages.h"
#include "shell/StatusLine.h"
#include "shell/WindowSlots.h"
#include "ui_RestaurareUnt.h"
#include "yearend/NewYear.h"

namespace app {

namespace {

constexpr ui::WindowSpec kWindow{.fixedSize = false, .accessError = nullptr};

QString text(const std::string& s) { return QString::fromStdString(s); }

const char* const kColumns[] = {"Copia", "Data",     "Unitatea", "Anul",      "Incasari",
                                "Plati", "Depuneri", "Ridicari", "Sold casa", "Sold banca"};

}  // namespace

TRestaurareFrm::TRestaurareFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    ui::setupForm<Ui_TRestaurareFrm>(this);
    CopiesGrid = ui::child<QTableWidget>(this, "CopiesGrid");
    CurrentLabel = ui::child<QLabel>(this, "CurrentLabel");
    CopiesGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CopiesGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    CopiesGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    CopiesGrid->verticalHeader()->hide();
    fillGrid();
    auto* restore = ui::child<QPushButton>(this, "RestoreBtn");
    connect(restore, &QPushButton::clicked, this, [this] { RestoreBtnClick(); });
    connect(ui::child<QPushButton>(this, "CancelBtn"), &QPushButton::clicked, this, &QDialog::reject);
    restore->setEnabled(!copies_.empty());
    CopiesGrid->setFocus();
    finishLayout();
}

TRestaurareFrm::~TRestaurareFrm() = default;

void TRestaurareFrm::fillGrid() {
    // every copy's tables are read for its figures
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const std::string folder = installationBackupFolder(kBackupBasePath);
    copies_ = backup::listCopies(folder);
    std::reverse(copies_.begin(), copies_.end());
    const int columns = static_cast<int>(std::size(kColumns));
    CopiesGrid->setColumnCount(columns);
    QStringList headers;
    for (const char* c : kColumns) headers << QString::fromLatin1(c);
    CopiesGrid->setHorizontalHeaderLabels(headers);
    CopiesGrid->setRowCount(static_cast<int>(copies_.size()));
    for (int row = 0; row < static_cast<int>(copies_.size()); ++row) {
        const std::string& name = copies_[static_cast<size_t>(row)];
        std::vector<QString> cells{text(name), text(backup::copyTimeText(name))};
        try {
            const backup::Figures f = backup::readFigures(folder + "/" + name);
            cells.insert(cells.end(),
                         {text(f.unit), QString::number(f.year), QString::number(f.receipts),
                          QString::number(f.payments), QString::number(f.deposits), QString::number(f.withdrawals),
                          text(data::formatAmountBani(f.casa)), text(data::formatAmountBani(f.banca))});
        } catch (const std::exception&) {
            cells.push_back(QStringLiteral("copie care nu se poate citi"));
        }
        for (int col = 0; col < static_cast<int>(cells.size()); ++col) {
            auto* item = new QTableWidgetItem(cells[static_cast<size_t>(col)]);
            if (col >= 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            CopiesGrid->setItem(row, col, item);
        }
    }
    CopiesGrid->resizeColumnsToContents();
    if (!copies_.empty()) CopiesGrid->selectRow(0);
    try {
        CurrentLabel->setText(QStringLiteral("Datele curente: ") +
                              text(backup::figuresText(backup::readFigures(data::AppDir()))));
    } catch (const std::exception& e) {
        CurrentLabel->setText(text(e.what()));
    }
    if (copies_.empty())
        CurrentLabel->setText(CurrentLabel->text() + QStringLiteral("\nNu exista copii de siguranta."));
}

std::string TRestaurareFrm::chosenCopy() const {
    const int row = CopiesGrid->currentRow();
    if (row < 0 || row >= static_cast<int>(copies_.size())) return {};
    return copies_[static_cast<size_t>(row)];
}

void TRestaurareFrm::RestoreBtnClick() {
    const std::string name = chosenCopy();
    if (name.empty()) return;
    if (const std::string refusal = restoreRefusal(); !refusal.empty()) {
        ui::Messages::warning(text(refusal), this);
        return;
    }
    std::string question;
    try {
        const std::string copy = copyDirectory(kBackupBasePath, name);
        backup::checkCopy(copy);
        question = backup::restoreQuestion(name, backup::readFigures(copy), backup::readFigures(data::AppDir()));
    } catch (const std::exception& e) {
        ui::Messages::error(text(e.what()), this);
        return;
    }
    if (!ui::Messages::askDestructive(text(question), ui::MsgType::Warning, this)) return;
    std::string before;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        before = restoreFromCopy(kBackupBasePath, name, [](long long done, long long total) {
            if (total > 0) ui::StatusMessage(QStringLiteral("Se restaureaza copia... %1%").arg(done * 100 / total));
        });
    } catch (const std::exception& e) {
        ui::StatusMessage(QString());
        ui::Messages::error(text(e.what()), this);
        return;
    }
    ui::StatusMessage(QString());
    ui::Messages::information(
        QStringLiteral("Datele au fost restaurate din copia %1. Datele dinainte sunt in copia %2.")
            .arg(text(name), text(before)),
        this);
    accept();
}

void RestaurareCopie(TMainFrm& m) {
    if (m.otherWindowOpen()) {
        ui::Messages::warning(QString::fromLatin1(yearend::kCloseAllWindows), &m);
        return;
    }
    shell::RunModalDialog<TRestaurareFrm>(&m, QStringLiteral("Eroare de acces la baza de date!"));
    m.showArchiveState();
}

}  // namespace app
