#include "app/ParamAplicUnt.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>

#include "app/MainFrm.h"
#include "catalogs/CatalogUse.h"
#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"
#include "data/AppDir.h"
#include "data/FileCopy.h"
#include "shell/Messages.h"
#include "shell/WindowSlots.h"
#include "ui_ParamAplicUnt.h"

namespace app {

namespace {

constexpr ui::WindowSpec kWindow{.minimizable = true};
const char* const kAccessError = "Eroare de acces la baza de date!";

std::string pictureFile() { return data::AppDir() + "poza.jpg"; }

// Whether the grid's current cell is its first (or last) visible column, in
// the order the columns are shown.
bool atEdgeColumn(const ui::TNormalDBGrid* grid, bool first) {
    const QHeaderView* header = grid->horizontalHeader();
    const int n = grid->columnCount();
    for (int i = 0; i < n; ++i) {
        const int col = header->logicalIndex(first ? i : n - 1 - i);
        if (col >= 0 && !grid->isColumnHidden(col)) return col == grid->selectedIndex();
    }
    return true;
}

}  // namespace

// The document kinds' grid is one field of the dialog's chain: Up on its first
// cell goes back to "Banca :" and Enter on its last cell goes on to the
// switches, so a balance typed after a wrong Enter never lands in a kind.
// Elsewhere the grid's own keys apply (Down at the end still adds a kind).
bool TParamAplicFrm::DBGrid1KeyDown(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete && ui::ctrlAlone(e)) {
        QString refusal;
        if (!ui::runDataAction(this, [&] { refusal = tipDocDeletionRefusal(); })) return true;
        if (refusal.isEmpty()) return false;
        ui::Messages::warning(refusal, this);
        return true;
    }
    if (!ui::noMods(e) || !TTipDoc.active()) return false;
    const int row = DBGrid1->currentRow();
    // The grid's neighbours in the tab order (the cell editor, which has the
    // focus, is no stop of that order).
    if (e->key() == Qt::Key_Up && row <= 0 && atEdgeColumn(DBGrid1, true)) {
        ui::child<QWidget>(this, "DBEditNormal1")->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    if (ui::isEnterKey(e->key()) && row == DBGrid1->model()->rowCount() - 1 && atEdgeColumn(DBGrid1, false)) {
        VersCB->setFocus(Qt::TabFocusReason);
        return true;
    }
    return false;
}

QString TParamAplicFrm::tipDocDeletionRefusal() {
    const data::Value kind = catalogs::storedValue(TTipDoc, "Denumire");
    if (kind.isNull()) return {};
    return QString::fromStdString(catalogs::documentKindInUse(data::AppDir(), kind.toString()));
}

void TParamAplicFrm::TTipDocBeforeDelete(data::DataSet&) {
    // A kind that stored documents name stays; a count that fails stops the
    // delete with its error.
    const QString refusal = tipDocDeletionRefusal();
    if (refusal.isEmpty()) return;
    ui::Messages::warning(refusal, this);
    data::abortSilently();
}

namespace {}  // namespace

TParamAplicFrm::TParamAplicFrm(QWidget* owner, Switches* chosen) : DataWindow(owner, kWindow), chosen_(chosen) {
    for (const char* f : {"Sold_init_casa", "Sold_init_banca"}) TContor.setup(f).asAmount();
    TTipDoc.afterOpen = [this](data::DataSet&) { ui::checkBindings(this); };
    TTipDoc.beforeDelete = [this](data::DataSet& ds) { TTipDocBeforeDelete(ds); };

    ui::setupForm<Ui_TParamAplicFrm>(this);
    ui::bindControls(this, {{"", &DSContor}, {"TipDoc", &DSTipDoc}});
    for (const char* name : {"DBEditNormal2", "DBEditNormal1"})
        ui::child<ui::TDBEditNormal>(this, name)->setAutoSelect(false);
    DBGrid1 = ui::child<ui::TDBGridNormal>(this, "DBGrid1");
    DBGrid1->setColumns({ui::TColumn(QStringLiteral("Denumire"), QStringLiteral("Denumire"))});
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->onKeyDown = [this](QKeyEvent* e) { return DBGrid1KeyDown(e); };

    VersCB = ui::child<QCheckBox>(this, "VersCB");
    BackupCB = ui::child<QCheckBox>(this, "BackupCB");
    VersCB->setChecked(switches().versionCheck);
    BackupCB->setChecked(switches().backup);
    RecordsCB = ui::child<QCheckBox>(this, "RecordsCB");
    RecordsCB->setChecked(switches().showRecords);
    RetentionDays = ui::child<QSpinBox>(this, "RetentionDays");
    RetentionDays->setRange(1, kMaxRetentionDays);
    RetentionDays->setValue(switches().retentionDays);

    auto* ok = ui::child<QPushButton>(this, "BitBtn1");
    connect(ok, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(ui::child<QPushButton>(this, "LoadPictBtn"), &QPushButton::clicked, this, [this] { LoadPictBtnClick(); });
    ok->setDefault(true);
    ok->setFocus();
    finishLayout();
}

TParamAplicFrm::~TParamAplicFrm() = default;

void TParamAplicFrm::BitBtn1Click() {
    for (data::Table* t : {&TContor, &TTipDoc})
        if (t->active() && !ui::runDataAction(this, [t] { t->checkBrowseMode(); })) return;
    if (chosen_) {
        chosen_->versionCheck = VersCB->isChecked();
        chosen_->backup = BackupCB->isChecked();
        chosen_->showRecords = RecordsCB->isChecked();
        chosen_->retentionDays = RetentionDays->value();
    }
    accept();
}

void TParamAplicFrm::LoadPictBtnClick() {
    QFileDialog dlg(this, QStringLiteral("Selectati poza pentru personalizare"));
    dlg.setObjectName(QStringLiteral("OpenPictureDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(QStringLiteral("Imagini JPEG (*.jpg)"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const std::string chosen = dlg.selectedFiles().constFirst().toStdString();
    const std::string target = pictureFile();
    std::error_code ec;
    if (!std::filesystem::equivalent(std::filesystem::u8path(chosen), std::filesystem::u8path(target), ec)) {
        // The copy replaces the picture whole or leaves it as it was, so a
        // failed copy never leaves the program without its picture.
        try {
            data::CopyWholeFile(chosen, target);
        } catch (const std::exception& e) {
            ui::Messages::error(QString::fromStdString(e.what()), this);
            return;
        }
    }
    ui::Messages::information(QStringLiteral("Pentru a salva modificarile facute referitoare la imaginea aleasa, "
                                             "inchideti si reporniti aplicatia!"),
                              this);
}

void RunParamAplic(QWidget* owner) {
    Switches chosen = switches();
    if (!shell::RunModalDialog<TParamAplicFrm>(owner, QString::fromUtf8(kAccessError), &chosen)) return;
    switches().versionCheck = chosen.versionCheck;
    switches().backup = chosen.backup;
    switches().showRecords = chosen.showRecords;
    switches().retentionDays = chosen.retentionDays;
    // A settings file that cannot be written is reported: the user would
    // otherwise believe the switches kept for the next start.
    try {
        writeSettings(settingsPath());
    } catch (const std::exception& e) {
        ui::Messages::error(QString::fromStdString(e.what()), owner);
    }
    if (TMainFrm* frm = TMainFrm::instance()) frm->showRecordEntries();
}

}  // namespace app
