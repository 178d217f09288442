#include "entry/DocumentFrm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "controls/DBDate.h"
#include "controls/DBPos.h"
#include "controls/Messages.h"
#include "data/Errors.h"
#include "entry/Balances.h"
#include "entry/DBNavigator.h"

namespace entry {

namespace {

const QStringList kNavigatorHints = {
    QStringLiteral("Primul document"),   QStringLiteral("Precedentul document"), QStringLiteral("Urmatorul document"),
    QStringLiteral("Ultimul document"),  QStringLiteral("Document nou"),         QStringLiteral("Sterge document"),
    QStringLiteral("Salveaza document"), QStringLiteral("Anuleaza modificarile"), QStringLiteral("Actualizeaza datele")};


bool isEmptyValue(const data::Field& f) {
    const data::Value v = f.value();
    return v.isNull() || (v.isString() && v.toString().empty());
}

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

TDocumentFrm::TDocumentFrm(QWidget* owner, const DocumentSpec& spec, const FormLayout& layout)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      spec_(spec) {
    Docs.setTableName(spec.table);
    DSDocs.setDataSet(&Docs);
    TTipDoc.setTableName("Tip_doc.db");
    DSTipDoc.setDataSet(&TTipDoc);
    QContor.setSql(spec.counterSql);
    TParohia.setTableName("Parohia.DB");

    Docs.onNewRecord = [this](data::DataSet&) { newRecord(); };
    Docs.beforePost = [this](data::DataSet&) { beforePost(); };
    Docs.afterPost = [this](data::DataSet&) { afterPost(); };
    Docs.beforeDelete = [this](data::DataSet&) { beforeDelete(); };
    Docs.afterDelete = [this](data::DataSet&) { afterDelete(); };
    Docs.setup("Data").editMask = "!99/99/0000;1;_";

    buildForm(this, layout);
    // every control of the layout that shows a field is bound to the documents
    for (const GroupSpec& g : layout.groups)
        for (const CtlSpec& c : g.controls) {
            QWidget* w = findChild<QWidget*>(QString::fromUtf8(c.name));
            const QString field = c.field ? QString::fromUtf8(c.field) : QString();
            switch (c.kind) {
                case CtlKind::Pos: static_cast<ui::TDBPos*>(w)->setDataSource(&DSDocs); break;
                case CtlKind::Edit:
                case CtlKind::Date: {
                    auto* e = static_cast<ui::DBEdit*>(w);
                    e->setDataSource(&DSDocs);
                    e->setDataField(field);
                    break;
                }
                case CtlKind::Lookup: {
                    auto* l = static_cast<ui::TDBLookupComboBoxNormal*>(w);
                    l->setDataSource(&DSDocs);
                    l->setDataField(field);
                    l->setListSource(&DSTipDoc);
                    l->setKeyField(QStringLiteral("Denumire"));
                    l->setListField(QStringLiteral("Denumire"));
                    break;
                }
                case CtlKind::Combo: {
                    auto* cb = static_cast<ui::TDBComboNormal*>(w);
                    cb->setDataSource(&DSDocs);
                    cb->setDataField(field);
                    break;
                }
                case CtlKind::Text: {
                    auto* t = static_cast<TDBText*>(w);
                    t->setDataSource(&DSDocs);
                    t->setDataField(field);
                    break;
                }
                case CtlKind::Navigator: {
                    auto* n = static_cast<TDBNavigator*>(w);
                    n->setDataSource(&DSDocs);
                    n->setVisibleButtons({NavBtn::First, NavBtn::Prior, NavBtn::Next, NavBtn::Last, NavBtn::Insert,
                                          NavBtn::Delete, NavBtn::Post, NavBtn::Cancel, NavBtn::Refresh});
                    n->setHints(kNavigatorHints);
                    n->confirmDelete = false;  // the table's delete rule asks
                    break;
                }
                case CtlKind::Balance:
                case CtlKind::Button: break;
            }
        }
    DBPos1 = findChild<ui::TDBPos*>(QStringLiteral("DBPos1"));
    DBEditNormal1 = findChild<TDocEdit*>(QStringLiteral("DBEditNormal1"));
    DBDateEdit1 = findChild<ui::TDBDateEdit*>(QStringLiteral("DBDateEdit1"));
    DBLookupComboBox1 = findChild<ui::TDBLookupComboBoxNormal*>(QStringLiteral("DBLookupComboBox1"));
    DBEditNormal2 = findChild<TDocEdit*>(QStringLiteral("DBEditNormal2"));
    SoldCasaLbl = findChild<QLabel*>(QStringLiteral("SoldCasaLbl"));
    SoldBancaLbl = findChild<QLabel*>(QStringLiteral("SoldBancaLbl"));
    DocInNavigator = findChild<TDBNavigator*>(QStringLiteral("DocInNavigator"));
    AplyBtn = findChild<QPushButton*>(QStringLiteral("AplyBtn"));
    PrintBtn = findChild<QPushButton*>(QStringLiteral("PrintBtn"));
    connect(AplyBtn, &QPushButton::clicked, this, [this] { AplyBtnClick(); });
    connect(PrintBtn, &QPushButton::clicked, this, [this] { PrintBtnClick(); });

    adjustSize();
    setFixedSize(size());
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

TDocumentFrm::~TDocumentFrm() {
    // the controls go first: they are bound to the data sources below
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    try {
        Docs.close();
        TTipDoc.close();
    } catch (...) {
    }
}

void TDocumentFrm::create() {
    showBalances();
    TTipDoc.open();
    Docs.open();
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
    for (const char* name : spec_.required)
        if (isEmptyValue(Docs[name])) {
            ui::Messages::warning(QString::fromUtf8(spec_.incompleteText), this);
            data::abortSilently();
        }
}

void TDocumentFrm::beforeDelete() {
    if (!ui::Messages::askYesNo(QString::fromUtf8(spec_.deleteText), ui::MsgType::Warning, this)) data::abortSilently();
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
