#include "app/ParamAplicUnt.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <filesystem>

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

}  // namespace

TParamAplicFrm::TParamAplicFrm(QWidget* owner, Switches* chosen) : DataWindow(owner, kWindow), chosen_(chosen) {
    for (const char* f : {"Sold_init_casa", "Sold_init_banca"}) TContor.setup(f).asAmount();
    TTipDoc.afterOpen = [this](data::DataSet&) { ui::checkBindings(this); };

    ui::setupForm<Ui_TParamAplicFrm>(this);
    ui::bindControls(this, {{"", &DSContor}, {"TipDoc", &DSTipDoc}});
    for (const char* name : {"DBEditNormal2", "DBEditNormal1"})
        ui::child<ui::TDBEditNormal>(this, name)->setAutoSelect(false);
    auto* grid = ui::child<ui::TDBGridNormal>(this, "DBGrid1");
    grid->setColumns({ui::TColumn(QStringLiteral("Denumire"), QStringLiteral("Denumire"))});
    grid->horizontalHeader()->setStretchLastSection(true);

    VersCB = ui::child<QCheckBox>(this, "VersCB");
    BackupCB = ui::child<QCheckBox>(this, "BackupCB");
    VersCB->setChecked(switches().versionCheck);
    BackupCB->setChecked(switches().backup);

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
    }
    accept();
}

void TParamAplicFrm::LoadPictBtnClick() {
    QFileDialog dlg(this, QStringLiteral("Selectati poza pentru personalizare"));
    dlg.setObjectName(QStringLiteral("OpenPictureDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(QStringLiteral("JPEG Image File (*.jpg)"));
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
    // A settings file that cannot be written is reported: the user would
    // otherwise believe the switches kept for the next start.
    try {
        writeSettings(settingsPath());
    } catch (const std::exception& e) {
        ui::Messages::error(QString::fromStdString(e.what()), owner);
    }
}

}  // namespace app
