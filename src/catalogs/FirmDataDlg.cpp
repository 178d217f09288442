#include "catalogs/FirmDataDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

#include "controls/DBGNorm.h"
#include "ui_FirmDataDlg.h"

namespace catalogs {

namespace {

// The persistent fields of the dialog's table, in the table's order.
struct PersistentField {
    data::Field* TFirmDataDlg::*member;
    const char* name;
};
const PersistentField kFields[] = {
    {&TFirmDataDlg::TParohiaArhiepiscopia, "Arhiepiscopia"},
    {&TFirmDataDlg::TParohiaProtopopiatul, "Protopopiatul"},
    {&TFirmDataDlg::TParohiaParohia, "Parohia"},
    {&TFirmDataDlg::TParohiaStrada, "Strada"},
    {&TFirmDataDlg::TParohiaNr, "Nr"},
    {&TFirmDataDlg::TParohiaLocalitatea, "Localitatea"},
    {&TFirmDataDlg::TParohiaJudet, "Judet"},
    {&TFirmDataDlg::TParohiaPreot, "Preot"},
    {&TFirmDataDlg::TParohiaEpitrop, "Epitrop"},
    {&TFirmDataDlg::TParohiaBanca, "Banca"},
    {&TFirmDataDlg::TParohiaContbancar, "Cont bancar"},
    {&TFirmDataDlg::TParohiaAn_lucru, "An_lucru"},
    {&TFirmDataDlg::TParohiaFelmarosta, "Felmarosta"},
};

// The captions the metropolis check box switches: parish wording, metropolis wording.
struct SwitchedCaption {
    QLabel* TFirmDataDlg::*label;
    const char* parish;
    const char* metropolis;
};
const SwitchedCaption kCaptions[] = {
    {&TFirmDataDlg::Label2, "Arhiepiscopia", "Mitropolia"},
    {&TFirmDataDlg::Label3, "Protopopiatul", "Episcopia"},
    {&TFirmDataDlg::Label4, "Oficiul protopopiatului", "Centrul eparhial"},
    {&TFirmDataDlg::Label9, "Preot paroh", "Mitropolit/Episcop"},
    {&TFirmDataDlg::Label15, "Contabil", "Consilier economic"},
};

constexpr int kFirstYear = 2006;
constexpr int kLastYear = 2050;

// Binds every data control of the layout to the data source, by the field
// name the layout gives it in its "dataField" property.
template <class Control>
void bindControls(QWidget* form, data::DataSource* source) {
    for (Control* c : form->findChildren<Control*>()) {
        const QVariant field = c->property("dataField");
        if (!field.isValid()) continue;
        c->setDataSource(source);
        c->setDataField(field.toString());
    }
}

}  // namespace

TFirmDataDlg::TFirmDataDlg(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui_TFirmDataDlg>()) {
    ui_->setupUi(this);
    MitropCBox = ui_->MitropCBox;
    DBComboNormal1 = ui_->DBComboNormal1;
    DBEditNormal1 = ui_->DBEditNormal1;
    DBEditNormal2 = ui_->DBEditNormal2;
    DBEditNormal3 = ui_->DBEditNormal3;
    DBEditNormal4 = ui_->DBEditNormal4;
    DBEditNormal5 = ui_->DBEditNormal5;
    DBEditNormal6 = ui_->DBEditNormal6;
    DBEditNormal7 = ui_->DBEditNormal7;
    DBEditNormal8 = ui_->DBEditNormal8;
    DBEditNormal9 = ui_->DBEditNormal9;
    DBEditNormal10 = ui_->DBEditNormal10;
    DBEditNormal11 = ui_->DBEditNormal11;
    Label2 = ui_->Label2;
    Label3 = ui_->Label3;
    Label4 = ui_->Label4;
    Label9 = ui_->Label9;
    Label15 = ui_->Label15;
    BitBtn1 = ui_->BitBtn1;
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    QStringList years;
    for (int y = kFirstYear; y <= kLastYear; ++y) years << QString::number(y);
    DBComboNormal1->setItems(years);

    TParohia.setTableName("Parohia.DB");
    std::vector<std::string> names;
    for (const PersistentField& f : kFields) names.emplace_back(f.name);
    TParohia.setDeclaredFields(std::move(names));
    TParohia.afterOpen = [this](data::DataSet&) { fieldsOpened(); };
    TParohia.afterClose = [this](data::DataSet&) { fieldsClosed(); };
    DSParohia.setDataSet(&TParohia);
    // Runs after the controls have shown the record.
    DSParohia.onDataChange = [this](data::DataSource&, data::Field* f) {
        if (!f || f == TParohiaFelmarosta) showCheckState();
    };

    bindControls<ui::DBEdit>(this, &DSParohia);
    bindControls<ui::DBComboBox>(this, &DSParohia);
    bindControls<ui::DBCheckBox>(this, &DSParohia);

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
    connect(BitBtn1, &QPushButton::clicked, this, &TFirmDataDlg::BitBtn1Click);
    MitropCBoxClick();
    DBEditNormal1->setFocus();
}

TFirmDataDlg::~TFirmDataDlg() {
    DSParohia.onDataChange = nullptr;
    TParohia.afterClose = nullptr;
    TParohia.close();
}

void TFirmDataDlg::fieldsOpened() {
    for (const PersistentField& f : kFields) this->*f.member = TParohia.findField(f.name);
    showCheckState();
}

void TFirmDataDlg::fieldsClosed() {
    for (const PersistentField& f : kFields) this->*f.member = nullptr;
}

void TFirmDataDlg::showCheckState() {
    if (!TParohiaFelmarosta || !TParohia.active()) return;
    // Set as a check state, so that the change is announced (and the
    // undetermined look cleared) even while the box is being clicked.
    MitropCBox->setCheckState(TParohiaFelmarosta->isNull()       ? Qt::PartiallyChecked
                              : TParohiaFelmarosta->asBoolean() ? Qt::Checked
                                                                : Qt::Unchecked);
}

void TFirmDataDlg::BitBtn1Click() {
    // A record the table refuses is reported and stays in the dialog, rather
    // than being dropped unseen when the dialog closes.
    if (TParohia.active() && !ui::runDataAction(this, [this] { TParohia.checkBrowseMode(); })) return;
    accept();
}

void TFirmDataDlg::MitropCBoxClick() {
    const bool metropolis = MitropCBox->checkState() == Qt::Checked;
    for (const SwitchedCaption& c : kCaptions)
        (this->*c.label)->setText(QString::fromUtf8(metropolis ? c.metropolis : c.parish));
}

void TFirmDataDlg::showEvent(QShowEvent* e) {
    if (!centred_) {
        centred_ = true;
        adjustSize();
        QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(e);
}

}  // namespace catalogs
