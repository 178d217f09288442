#include "catalogs/FirmDataDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <iterator>

#include "controls/Binding.h"
#include "controls/DBGNorm.h"
#include "data/UnitKind.h"
#include "shell/Messages.h"
#include "shell/WindowSlots.h"
#include "ui_FirmDataDlg.h"

namespace catalogs {

namespace {

constexpr ui::WindowSpec kWindow{.accessError = kParohiaAccessError};

// The persistent fields of the dialog's table, in the table's order.
const std::vector<std::string> kFields{"Arhiepiscopia", "Protopopiatul", "Parohia",    "Strada",      "Nr",
                                       "Localitatea",   "Judet",         "Preot",      "Epitrop",     "Banca",
                                       "Cont bancar",   "An_lucru",      "Felmarosta", "Tip_unitate", "Cod_fiscal"};

// The labels that follow the unit's kind.
const char* const kCaptionLabels[] = {"Label2", "Label3", "Label4", "Label9", "Label15"};

QString kindList() {
    QStringList names;
    for (data::UnitKind k : data::allUnitKinds()) names << QString::fromUtf8(data::unitCaptions(k).kindName);
    return names.join(QStringLiteral(", "));
}

constexpr int kFirstYear = 2006;
constexpr int kLastYear = 2050;

}  // namespace

TFirmDataDlg::TFirmDataDlg(QWidget* owner, bool askKind) : DataWindow(owner, kWindow) {
    TParohia.setDeclaredFields(kFields);
    // Runs after the controls have shown the record.
    TParohia.afterOpen = [this](data::DataSet&) {
        ui::checkBindings(this);
        showCheckState();
    };
    DSParohia.onDataChange = [this](data::DataSource&, data::Field* f) {
        if (f) keepKindInStep(*f);
        if (!f || f->fieldName() == "Felmarosta" || f->fieldName() == "Tip_unitate") showCheckState();
        MitropCBoxClick();
    };

    ui::setupForm<Ui_TFirmDataDlg>(this);
    ui::bindControls(this, {{"", &DSParohia}});
    MitropCBox = ui::child<ui::TDBCheckBoxNormal>(this, "MitropCBox");
    static_assert(std::size(kCaptionLabels) == std::size(decltype(captions_){}));
    for (size_t i = 0; i < std::size(kCaptionLabels); ++i) captions_[i] = ui::child<QLabel>(this, kCaptionLabels[i]);
    TipUnitCombo = ui::child<ui::TDBComboNormal>(this, "TipUnitCombo");
    QStringList kinds;
    for (data::UnitKind k : data::allUnitKinds()) kinds << QString::fromUtf8(data::unitCaptions(k).kindName);
    TipUnitCombo->setItems(kinds);

    QStringList years;
    for (int y = kFirstYear; y <= kLastYear; ++y) years << QString::number(y);
    ui::child<ui::TDBComboNormal>(this, "DBComboNormal1")->setItems(years);

    connect(MitropCBox, &QCheckBox::stateChanged, this, [this] { MitropCBoxClick(); });
    // a kind chosen in the list is written at once: the captions and the box follow it
    connect(TipUnitCombo, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        ui::runDataAction(this, [&] {
            TParohia.edit();
            TParohia["Tip_unitate"].setAsString(TipUnitCombo->itemText(i).toStdString());
        });
    });
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
    if (askKind)
        TipUnitCombo->setFocus();
    else
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
    if (data::Field* kind = TParohia.active() ? TParohia.findField("Tip_unitate") : nullptr;
        kind && !kind->isNull() && !kindOf(kind->asString())) {
        ui::Messages::warning(QStringLiteral("Tipul unitatii se alege din lista: ") + kindList() + QLatin1Char('!'),
                              this);
        TipUnitCombo->setFocus();
        return;
    }
    if (TParohia.active() && !ui::runDataAction(this, [this] { TParohia.checkBrowseMode(); })) return;
    accept();
}

std::optional<data::UnitKind> TFirmDataDlg::kindOf(const std::string& text) {
    for (data::UnitKind k : data::allUnitKinds())
        if (QString::fromStdString(text).trimmed().compare(QString::fromUtf8(data::unitCaptions(k).kindName),
                                                           Qt::CaseInsensitive) == 0)
            return k;
    return std::nullopt;
}

void TFirmDataDlg::MitropCBoxClick() {
    const bool metropolis = MitropCBox->checkState() == Qt::Checked;
    data::Field* kind = TParohia.active() ? TParohia.findField("Tip_unitate") : nullptr;
    const data::UnitCaptions& c =
        data::unitCaptions(data::unitKindOf(kind && !kind->isNull() ? kind->asString() : std::string(), metropolis));
    const char* texts[] = {c.upperLabel, c.middleLabel, c.unitLabel, c.headLabel, c.accountantLabel};
    for (size_t i = 0; i < std::size(texts); ++i) captions_[i]->setText(QString::fromUtf8(texts[i]));
}

void TFirmDataDlg::keepKindInStep(data::Field& changed) {
    if (syncing_ || !TParohia.editing()) return;
    data::Field* kind = TParohia.findField("Tip_unitate");
    data::Field* see = TParohia.findField("Felmarosta");
    if (!kind || !see) return;
    syncing_ = true;
    const std::optional<data::UnitKind> k = kindOf(kind->isNull() ? std::string() : kind->asString());
    if (&changed == kind && k) {
        see->setAsBoolean(*k == data::UnitKind::CentruEparhial);
    } else if (&changed == see && !see->isNull()) {
        if (see->asBoolean())
            kind->setAsString(data::unitCaptions(data::UnitKind::CentruEparhial).kindName);
        else if (k == data::UnitKind::CentruEparhial)
            kind->setAsString(data::unitCaptions(data::UnitKind::OficiuProtopopesc).kindName);
    }
    syncing_ = false;
}

bool AskUnitData(QWidget* owner) {
    ui::Messages::information(
        QStringLiteral("Alegeti tipul unitatii (parohie, manastire, oficiu protopopesc sau centru eparhial) si "
                       "completati datele ei: ele se tiparesc pe registre, buget si ordinele de plata."),
        owner);
    return shell::RunModalDialog<TFirmDataDlg>(owner, kParohiaAccessError, true);
}

}  // namespace catalogs
