#include "entry/DocumentFrm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "controls/DBDate.h"
#include "controls/DBPos.h"
#include "data/Errors.h"
#include "entry/Balances.h"
#include "controls/DBNavigator.h"
#include "shell/Messages.h"

namespace entry {

namespace {

constexpr ui::WindowSpec kWindow{.modeless = true, .minimizable = true};

const QStringList kNavigatorHints = {QStringLiteral("Primul document"),    QStringLiteral("Precedentul document"),
                                     QStringLiteral("Urmatorul document"), QStringLiteral("Ultimul document"),
                                     QStringLiteral("Document nou"),       QStringLiteral("Sterge document"),
                                     QStringLiteral("Salveaza document"),  QStringLiteral("Anuleaza modificarile"),
                                     QStringLiteral("Actualizeaza datele")};

// A balance label the window's layout has, or nullptr.
QLabel* optionalLabel(QWidget* form, const char* name) { return form->findChild<QLabel*>(QString::fromUtf8(name)); }

}  // namespace

int yearOfDate(const data::Field& f) {
    if (f.isNull()) return 1899;
    const data::Date d = f.asDate();
    return d.valid() ? d.year : 1899;
}

QString yearWarning(const char* yearText, int year, int workingYear) {
    return QString::fromUtf8(yearText) + QString::number(year) + QStringLiteral(" difera de anul de lucru ") +
           QString::number(workingYear) + QStringLiteral(" ! Introduceti o data valida.");
}

TDocumentFrm::TDocumentFrm(QWidget* owner, const DocumentSpec& spec)
    : DataWindow(owner, kWindow),
      spec_(spec),
      Docs(table(spec.table)),
      DSDocs(source(Docs)),
      TTipDoc(table("Tip_doc.db")),
      DSTipDoc(source(TTipDoc)),
      QContor(query(spec.counterSql)),
      TParohia(table("Parohia.DB", false)) {
    Docs.onNewRecord = [this](data::DataSet&) { newRecord(); };
    Docs.beforePost = [this](data::DataSet&) { beforePost(); };
    Docs.afterPost = [this](data::DataSet&) { afterPost(); };
    Docs.beforeDelete = [this](data::DataSet&) { beforeDelete(); };
    Docs.afterDelete = [this](data::DataSet&) { afterDelete(); };
    Docs.setup("Data").editMask = "!99/99/0000;1;_";
    Docs.setup(spec.amountField).asAmount();

    spec.form(this);
    ui::bindControls(this, {{"", &DSDocs}, {"DSTipDoc", &DSTipDoc}});

    auto* pos = ui::child<ui::TDBPos>(this, "DBPos1");
    pos->setKind(ui::gkHorizontalBar);
    pos->setForeColor(palette().color(QPalette::Button).darker(140));
    pos->setBackColor(palette().color(QPalette::Base));
    pos->setColor(palette().color(QPalette::Highlight));

    auto* nav = ui::child<ui::TDBNavigator>(this, "DocInNavigator");
    nav->setVisibleButtons({ui::NavBtn::First, ui::NavBtn::Prior, ui::NavBtn::Next, ui::NavBtn::Last,
                            ui::NavBtn::Insert, ui::NavBtn::Delete, ui::NavBtn::Post, ui::NavBtn::Cancel,
                            ui::NavBtn::Refresh});
    nav->setHints(kNavigatorHints);
    nav->confirmDelete = false;  // the table's delete rule asks

    DBEditNormal1 = ui::child<TDocEdit>(this, "DBEditNormal1");
    DBEditNormal2 = ui::child<TDocEdit>(this, "DBEditNormal2");
    SoldCasaLbl = optionalLabel(this, "SoldCasaLbl");
    SoldBancaLbl = optionalLabel(this, "SoldBancaLbl");
    PrintBtn = ui::child<QPushButton>(this, "PrintBtn");
    connect(ui::child<QPushButton>(this, "AplyBtn"), &QPushButton::clicked, this, [this] { AplyBtnClick(); });
    connect(PrintBtn, &QPushButton::clicked, this, [this] { PrintBtnClick(); });

    finishLayout();
}

TDocumentFrm::~TDocumentFrm() = default;

void TDocumentFrm::create() {
    showBalances();
    TTipDoc.open();
    Docs.open();
    ui::checkBindings(this);
    if (!Docs.isEmpty()) Docs.last();
    Docs.insert();
}

void TDocumentFrm::showBalances() {
    if (SoldCasaLbl) SoldCasaLbl->setText(QString::fromStdString(balanceText(CalcSoldCasa())));
    if (SoldBancaLbl) SoldBancaLbl->setText(QString::fromStdString(balanceText(CalcSoldBanca())));
}

int TDocumentFrm::workingYear() {
    OpenedFor open(TParohia);
    return TParohia.isEmpty() ? 0 : static_cast<int>(TParohia["An_lucru"].asInteger());
}

double TDocumentFrm::nextNumber() {
    QContor.open();
    const data::Value v = QContor.isEmpty() ? data::Value() : QContor.fields().front()->value();
    QContor.close();
    return v.toDouble() + 1;
}

void TDocumentFrm::newRecord() { Docs[spec_.numberField].setAsFloat(nextNumber()); }

void TDocumentFrm::checkYear() {
    const int year = yearOfDate(Docs["Data"]);
    const int an = workingYear();
    if (year == an) return;
    ui::Messages::warning(yearWarning(spec_.yearText, year, an), this);
    data::abortSilently();
}

void TDocumentFrm::beforePost() {
    checkYear();
    requireFields(Docs, spec_.required, QString::fromUtf8(spec_.incompleteText), this);
}

void TDocumentFrm::beforeDelete() {
    if (!ui::Messages::askDestructive(QString::fromUtf8(spec_.deleteText), ui::MsgType::Warning, this))
        data::abortSilently();
}

void TDocumentFrm::AplyBtnClick() {
    if (Docs.editing() && !ui::runDataAction(this, [this] { Docs.post(); })) return;
    if (!ui::runDataAction(this, [this] { Docs.last(); })) return;
    PrintBtn->setFocus();
}

void TDocumentFrm::closeEvent(QCloseEvent* e) {
    // a document still being entered or edited is dropped
    try {
        Docs.cancel();
    } catch (...) {
    }
    QWidget::closeEvent(e);
}

}  // namespace entry
