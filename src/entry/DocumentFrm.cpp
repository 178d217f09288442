#include "entry/DocumentFrm.h"

#include <QAction>
#include <filesystem>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "controls/DBDate.h"
#include "controls/ControlSupport.h"
#include "controls/DBPos.h"
#include "data/Errors.h"
#include "entry/Balances.h"
#include "journal/IstoricDlg.h"
#include "controls/DBNavigator.h"
#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Format.h"
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

// The caption a control carries in the window: its label's text without the
// accelerator and the closing colon.
QString captionOf(QWidget* form, QWidget* control) {
    for (QLabel* l : form->findChildren<QLabel*>())
        if (l->buddy() == control) {
            QString t = l->text().remove(QLatin1Char('&')).trimmed();
            if (t.endsWith(QLatin1Char(':'))) t.chop(1);
            return t.trimmed();
        }
    return control->objectName();
}

QString numberText(double n) { return QString::number(n, 'g', 15); }

QString dayText(const data::Date& d) { return QString::asprintf("%02d.%02d.%04d", d.day, d.month, d.year); }

std::optional<data::Date> dayOf(const data::Value& v) {
    if (v.isNull()) return std::nullopt;
    const data::Date d = v.toDate();
    return d.valid() ? std::optional(d) : std::nullopt;
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

TDocumentFrm::TDocumentFrm(QWidget* owner, const DocumentSpec& spec)
    : DataWindow(owner, kWindow),
      spec_(spec),
      Docs(table(spec.table)),
      DSDocs(source(Docs)),
      TTipDoc(table("Tip_doc.db")),
      DSTipDoc(source(TTipDoc)),
      QContor(query(spec.counterSql)),
      QNumarFolosit(query(spec.numberUsedSql)),
      TParohia(table("Parohia.DB", false)) {
    Docs.onNewRecord = [this](data::DataSet&) { newRecord(); };
    Docs.beforePost = [this](data::DataSet&) { beforePost(); };
    Docs.afterPost = [this](data::DataSet&) {
        afterPost();
        emit DocumentEvents::instance().changed();
    };
    Docs.beforeDelete = [this](data::DataSet&) { beforeDelete(); };
    Docs.afterDelete = [this](data::DataSet&) {
        afterDelete();
        emit DocumentEvents::instance().changed();
    };
    Docs.beforeInsertWrite = [this](data::Table::InsertStep& step) { takeNumberInPost(step); };
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

    // "Istoric" (Ctrl+H): the journal's entries of the document shown
    auto* istoric = new QAction(QStringLiteral("Istoric"), this);
    istoric->setObjectName(QStringLiteral("IstoricAction"));
    istoric->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    istoric->setShortcutContext(Qt::WindowShortcut);
    addAction(istoric);
    connect(istoric, &QAction::triggered, this, [this] {
        ui::runDataAction(this, [this] {
            const std::string dir = std::filesystem::path(Docs.filePath()).parent_path().string();
            journal::ShowIstoric(this, dir, spec_.table, Docs.currentRowid());
        });
    });

    finishLayout();
}

QWidget* TDocumentFrm::controlOf(const char* name) const {
    const QString field = QString::fromUtf8(name);
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant source = w->property("dataSource");
        if (source.isValid() && !source.toString().isEmpty()) continue;
        if (w->property("dataField").toString().compare(field, Qt::CaseInsensitive) == 0) return w;
    }
    return nullptr;
}

TDocumentFrm::~TDocumentFrm() = default;

void TDocumentFrm::create() {
    showBalances();
    TTipDoc.open();
    Docs.open();
    ui::checkBindings(this);
    if (!Docs.isEmpty()) Docs.last();
    Docs.insert();
    for (QWidget* w : findChildren<QWidget*>())
        if (dynamic_cast<ui::TDBEditNormal*>(w) || dynamic_cast<ui::TDBDateEdit*>(w)) w->installEventFilter(this);
}

bool TDocumentFrm::eventFilter(QObject* watched, QEvent* e) {
    // a new document started at the last stored one stands after it
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_PageUp &&
        Docs.state() == data::DataSetState::Insert && Docs.currentIndex() >= Docs.recordCount() - 1) {
        priorFromNewDocument(static_cast<QWidget*>(watched));
        return true;
    }
    return DataWindow::eventFilter(watched, e);
}

void TDocumentFrm::priorFromNewDocument(QWidget* from) {
    ui::runDataAction(from, [this] {
        const int stored = Docs.recordCount();
        Docs.checkBrowseMode();  // saves a filled document, drops an untouched one
        if (Docs.recordCount() != stored) Docs.prior();
    });
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

void TDocumentFrm::newRecord() {
    proposed_ = nextNumber();
    Docs[spec_.numberField].setAsFloat(*proposed_);
}

void TDocumentFrm::checkNumber() {
    const data::Field& number = Docs[spec_.numberField];
    numberInPost_ = false;
    if (Docs.state() == data::DataSetState::Insert) {
        if (proposed_ && number.asFloat() == *proposed_) {
            numberInPost_ = true;
            return;
        }
    } else if (Docs.rowValues(Docs.currentIndex()).at(static_cast<size_t>(number.index())) == number.value()) {
        return;  // the number was not changed
    }
    QNumarFolosit.setParam("Numar", data::Value(number.asFloat()));
    QNumarFolosit.open();
    const long long used = QNumarFolosit.fields().front()->value().toInt();
    QNumarFolosit.close();
    if (used == 0) return;
    const QString text =
        QStringLiteral("Atentie! Numarul ") + numberText(number.asFloat()) +
        QStringLiteral(" este dat deja unui document salvat.\nSalvati totusi documentul cu acest numar?");
    if (ui::Messages::askDestructive(text, ui::MsgType::Warning, this)) return;
    if (QWidget* control = controlOf(spec_.numberField)) control->setFocus(Qt::OtherFocusReason);
    data::abortSilently();
}

void TDocumentFrm::takeNumberInPost(data::Table::InsertStep& step) {
    renumbered_.reset();
    if (!numberInPost_) return;
    const double shown = step.value(spec_.numberField).toDouble();
    const double next = step.largest(spec_.numberField).toDouble() + 1;
    if (next == shown) return;
    step.setValue(spec_.numberField, data::Value(next));
    renumbered_ = Renumbered{shown, next};
}

void TDocumentFrm::afterPost() {
    numberInPost_ = false;
    showBalances();
    if (!renumbered_) return;
    const Renumbered r = *renumbered_;
    renumbered_.reset();
    const QString now = numberText(r.stored);
    const QString why = r.stored > r.shown ? QStringLiteral("numarul ") + numberText(r.shown) +
                                                 QStringLiteral(" a fost luat intre timp de alt utilizator.")
                                           : QStringLiteral("documentele cu numere de la ") + now +
                                                 QStringLiteral(" in sus au fost sterse intre timp de alt utilizator.");
    ui::Messages::information(QStringLiteral("Numarul documentului a devenit ") + now + QStringLiteral(": ") + why,
                              this);
}

void TDocumentFrm::checkYear() {
    const int year = yearOfDate(Docs["Data"]);
    const int an = workingYear();
    if (year == an) return;
    ui::Messages::warning(yearWarning(spec_.yearText, year, an), this);
    if (QWidget* date = controlOf("Data")) date->setFocus(Qt::OtherFocusReason);
    data::abortSilently();
}

void TDocumentFrm::checkComplete() {
    for (const char* name : spec_.required) {
        if (!isBlank(Docs[name])) continue;
        QWidget* control = controlOf(name);
        const QString caption = control ? captionOf(this, control) : QString::fromStdString(Docs[name].displayName());
        ui::Messages::warning(QString::fromUtf8(spec_.incompleteText) + QStringLiteral("\nCompletati campul \"") +
                                  caption + QStringLiteral("\"."),
                              this);
        if (control) control->setFocus(Qt::OtherFocusReason);
        data::abortSilently();
    }
}

CashMove TDocumentFrm::moveOf(const std::vector<data::Value>& row) const {
    auto value = [&](const char* name) -> data::Value {
        const data::Field* f = Docs.findField(name);
        return f ? row.at(static_cast<size_t>(f->index())) : data::Value();
    };
    const data::Value account = value("Cont");
    return cashMove(spec_.cashDoc, dayOf(value("Data")), account.isNull() ? std::string() : account.toString(),
                    value(spec_.amountField).toDouble());
}

CashMove TDocumentFrm::currentMove() {
    std::vector<data::Value> row;
    for (const auto& f : Docs.fields()) row.push_back(f->value());
    return moveOf(row);
}

CashMove TDocumentFrm::storedMove() { return moveOf(Docs.rowValues(Docs.currentIndex())); }

void TDocumentFrm::checkCash(const std::vector<CashMove>& pending, const QString& question) {
    const auto negative = firstNegativeCash(pending);
    if (!negative) return;
    const QString text = QStringLiteral("Atentie! Soldul casei devine negativ in ziua ") + dayText(negative->day) +
                         QStringLiteral(" (sold ") + QString::fromStdString(data::formatAmountBani(negative->balance)) +
                         QStringLiteral(").\n") + question;
    if (!ui::Messages::askDestructive(text, ui::MsgType::Warning, this)) data::abortSilently();
}

void TDocumentFrm::beforePost() {
    checkYear();
    checkComplete();
    checkNumber();
    std::vector<CashMove> pending{currentMove()};
    if (Docs.state() == data::DataSetState::Edit) {
        CashMove old = storedMove();
        old.amount = -old.amount;
        pending.push_back(old);
    }
    checkCash(pending, QStringLiteral("Salvati totusi documentul?"));
}

void TDocumentFrm::beforeDelete() {
    if (!ui::Messages::askDestructive(QString::fromUtf8(spec_.deleteText), ui::MsgType::Warning, this))
        data::abortSilently();
    CashMove gone = storedMove();
    gone.amount = -gone.amount;
    checkCash({gone}, QStringLiteral("Stergeti totusi documentul?"));
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

// ---------------------------------------------------------------- finding a document

DocumentEvents& DocumentEvents::instance() {
    static DocumentEvents events;
    return events;
}

bool TDocumentFrm::showDocument(long long id) {
    const std::string table = std::string("\"") + spec_.table + "\"";
    return ui::runDataAction(this, [&] {
        data::SqlSession& session = data::SqlSession::forDirectory(data::AppDir());
        if (session.select("SELECT count(*) FROM " + table + " WHERE rowid = :id", {{"id", data::Value(id)}})
                .rows.at(0)
                .at(0)
                .toInt() == 0)
            throw data::EngineError("Documentul nu mai exista: a fost sters intre timp");
        Docs.checkBrowseMode();  // saves a filled new document, drops an untouched one
        Docs.refresh();          // documents entered since the window opened
        // the window shows its documents in entry order: the position is the
        // count of those entered before
        const long long before =
            session.select("SELECT count(*) FROM " + table + " WHERE rowid < :id", {{"id", data::Value(id)}})
                .rows.at(0)
                .at(0)
                .toInt();
        Docs.setRecNo(static_cast<int>(before) + 1);
    });
}

void TDocumentFrm::goToNumber() {
    QString typed;
    if (!ui::Messages::inputBox(QStringLiteral("Cauta document"), QStringLiteral("Numarul documentului :"), typed,
                                this))
        return;
    const std::optional<double> number = data::parseFloat(data::trim(typed.toStdString()));
    if (!number) {
        ui::Messages::warning(
            QStringLiteral("Numarul documentului \"") + typed.trimmed() + QStringLiteral("\" nu este un numar!"), this);
        return;
    }
    std::optional<long long> id;
    try {
        const auto rs = data::SqlSession::forDirectory(data::AppDir())
                            .select(std::string("SELECT max(rowid) FROM \"") + spec_.table + "\" WHERE " +
                                        spec_.numberField + " = :n",
                                    {{"n", data::Value(*number)}});
        if (!rs.rows.empty() && !rs.rows[0][0].isNull()) id = rs.rows[0][0].toInt();
    } catch (...) {
        ui::reportError(this, std::current_exception());
        return;
    }
    if (!id) {
        ui::Messages::warning(
            QStringLiteral("Nu exista documentul cu numarul ") + numberText(*number) + QStringLiteral("!"), this);
        return;
    }
    showDocument(*id);
}

}  // namespace entry
