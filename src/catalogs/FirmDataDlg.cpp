#include "catalogs/FirmDataDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <iterator>

#include "controls/Binding.h"
#include "controls/DBGNorm.h"
#include "ui_FirmDataDlg.h"

namespace catalogs {

namespace {

constexpr ui::WindowSpec kWindow{.accessError = kParohiaAccessError};

// The persistent fields of the dialog's table, in the table's order.
const std::vector<std::string> kFields{"Arhiepiscopia", "Protopopiatul", "Parohia",   "Strada",  "Nr",
                                       "Localitatea",   "Judet",         "Preot",     "Epitrop", "Banca",
                                       "Cont bancar",   "An_lucru",      "Felmarosta"};

// The captions the metropolis check box switches: parish wording, metropolis wording.
struct SwitchedCaption {
    const char* label;
    const char* parish;
    const char* metropolis;
};
const SwitchedCaption kCaptions[] = {
    {"Label2", "Arhiepiscopia", "Mitropolia"},
    {"Label3", "Protopopiatul", "Episcopia"},
    {"Label4", "Oficiul protopopiatului", "Centrul eparhial"},
    {"Label9", "Preot paroh", "Mitropolit/Episcop"},
    {"Label15", "Contabil", "Consilier economic"},
};

constexpr int kFirstYear = 2006;
constexpr int kLastYear = 2050;

}  // namespace

TFirmDataDlg::TFirmDataDlg(QWidget* owner) : DataWindow(owner, kWindow) {
    TParohia.setDeclaredFields(kFields);
    // Runs after the controls have shown the record.
    TParohia.afterOpen = [this](data::DataSet&) {
        ui::checkBindings(this);
        showCheckState();
    };
    DSParohia.onDataChange = [this](data::DataSource&, data::Field* f) {
        if (!f || f->fieldName() == "Felmarosta") showCheckState();
    };

    ui::setupForm<Ui_TFirmDataDlg>(this);
    ui::bindControls(this, {{"", &DSParohia}});
    MitropCBox = ui::child<ui::TDBCheckBoxNormal>(this, "MitropCBox");
    static_assert(std::size(kCaptions) == std::size(decltype(captions_){}));
    for (size_t i = 0; i < std::size(kCaptions); ++i) captions_[i] = ui::child<QLabel>(this, kCaptions[i].label);

    QStringList years;
    for (int y = kFirstYear; y <= kLastYear; ++y) years << QString::number(y);
    ui::child<ui::TDBComboNormal>(this, "DBComboNormal1")->setItems(years);

    connect(MitropCBox, &QCheckBox::stateChanged, this, [this] { MitropCBoxClick(); });
    // Undetermined counts as unchecked: a click on it checks the box. The box
    // turns unchecked (quietly) before the click toggles it, and shows the
    // field again when released, also when the press was abandoned.
    connect(MitropCBox, &QAbstractButton::pressed, this, [this] {
        if (MitropCBox->checkState() != Qt::PartiallyChecked) return;
        const QSignalBlocker quiet(MitropCBox);
        MitropCBox->setCheckState(Qt::Unchecked);
    });
    connect(MitropCBox, &QAbstractButton::released, this, [this] { showCheckState(); });
    connect(ui::child<QPushButton>(this, "BitBtn1"), &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    MitropCBoxClick();
    ui::child<ui::TDBEditNormal>(this, "DBEditNormal1")->setFocus();
    finishLayout();
}

TFirmDataDlg::~TFirmDataDlg() = default;

void TFirmDataDlg::showCheckState() {
    data::Field* f = TParohia.active() ? TParohia.findField("Felmarosta") : nullptr;
    if (!f) return;
    // Set as a check state, so that the change is announced (and the
    // undetermined look cleared) even while the box is being clicked.
    MitropCBox->setCheckState(f->isNull() ? Qt::PartiallyChecked : f->asBoolean() ? Qt::Checked : Qt::Unchecked);
}

void TFirmDataDlg::BitBtn1Click() {
    // A record the table refuses is reported and stays in the dialog, rather
    // than being dropped unseen when the dialog closes.
    if (TParohia.active() && !ui::runDataAction(this, [this] { TParohia.checkBrowseMode(); })) return;
    accept();
}

void TFirmDataDlg::MitropCBoxClick() {
    const bool metropolis = MitropCBox->checkState() == Qt::Checked;
    for (size_t i = 0; i < std::size(kCaptions); ++i)
        captions_[i]->setText(QString::fromUtf8(metropolis ? kCaptions[i].metropolis : kCaptions[i].parish));
}

}  // namespace catalogs
