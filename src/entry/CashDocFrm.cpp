#include "entry/CashDocFrm.h"

#include "controls/DBGNorm.h"
#include "shell/Messages.h"
#include "data/Clock.h"
#include "data/Errors.h"
#include "reports/ReportRun.h"

namespace entry {

TCashDocFrm::TCashDocFrm(QWidget* owner, const DocumentSpec& spec, const CashDocSpec& cash)
    : TDocumentFrm(owner, spec), TTipCatalog(table(cash.catalogTable, false)), cash_(cash), select_(cash.select) {
    Docs.setup(cash.codeField).onValidate = [this](data::Field& f) { codeValidate(f); };
    Docs.setup("Data").onValidate = [this](data::Field& f) { dateValidate(f); };

    auto* code = ui::child<TDocEdit>(this, "DBEditNormal4");
    code->setAutoSelect(false);
    code->onKeyPress = [this](QKeyEvent*, int ch) {
        if (ch != ui::kCharCtrlEnter) return false;
        chooseType();
        return true;
    };
    connect(code, &ui::DBEdit::doubleClicked, this, [this] { chooseType(); });
    connect(code, &TDocEdit::entered, this, [this] { ui::StatusMessage(QString::fromUtf8(cash_.statusHint)); });
    connect(DBEditNormal2, &TDocEdit::exited, this, [this] { fillExplanation(); });
}

void TCashDocFrm::newRecord() {
    TDocumentFrm::newRecord();
    const data::Date today = data::today();
    Docs["Data"].setAsDate(today);
    Docs["Data_registru"].setAsDate(today);
    Docs["Cont"].setAsString("Casa");
}

void TCashDocFrm::codeValidate(data::Field& code) {
    data::Field& name = Docs[cash_.nameField];
    if (code.isNull()) {
        name.clear();
        return;
    }
    {
        OpenedFor open(TTipCatalog);
        if (TTipCatalog.findKey({code.value()})) {
            name.setFitted(TTipCatalog["Denumire"].asString());
            return;
        }
    }
    ui::Messages::warning(QString::fromUtf8(cash_.codeWarning) + QString::fromStdString(code.asString()) +
                              QStringLiteral("> nu figureaza în catalog. ") +
                              QStringLiteral("Apasati Ctrl-Enter pentru a selecta din catalog !"),
                          this);
    data::abortSilently();
}

void TCashDocFrm::dateValidate(data::Field& date) {
    const int year = yearOfDate(date);
    const int an = workingYear();
    if (year != an) ui::Messages::warning(yearWarning(spec().yearText, year, an), this);
}

void TCashDocFrm::chooseType() {
    data::Field* code = Docs.findField(cash_.codeField);
    if (!code) return;
    short chosen = code->isNull() ? 0 : static_cast<short>(code->asInteger());
    if (!select_ || !select_(this, chosen)) return;
    if (!ui::runDataAction(this, [&] {
            Docs.edit();
            Docs[cash_.codeField].setAsInteger(chosen);
        }))
        return;
    ui::namedWidget(this, cash_.focusAfterChoice)->setFocus();
}

namespace {
// The table drops trailing blanks, so texts are compared without them.
std::string withoutTrailingBlanks(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}
}  // namespace

std::optional<std::string> TCashDocFrm::fillText(const data::Value& code, const std::string& parishioner) {
    if (code.isNull()) return std::nullopt;
    std::string text;
    {
        OpenedFor open(TTipCatalog);
        if (!TTipCatalog.findKey({code})) return std::nullopt;
        text = TTipCatalog[cash_.catalogExplanation].asString();
    }
    if (cash_.explanationWithParishioner) text += " " + parishioner;
    return text;
}

bool TCashDocFrm::explanationIsFill() {
    const data::Field& explanation = Docs["Explicatie"];
    const std::string now = withoutTrailingBlanks(explanation.isNull() ? std::string() : explanation.asString());
    if (now.find_first_not_of(' ') == std::string::npos) return true;
    if (lastFill_ && withoutTrailingBlanks(*lastFill_) == now) return true;
    if (Docs.state() != data::DataSetState::Edit) return false;
    // a stored document whose explanation is its type's text, from an earlier fill
    const std::vector<data::Value> stored = Docs.rowValues(Docs.currentIndex());
    const data::Field* parishioner = Docs.findField("Den_enorias");
    const data::Value name = parishioner ? stored.at(static_cast<size_t>(parishioner->index())) : data::Value();
    const auto text = fillText(stored.at(static_cast<size_t>(Docs[cash_.codeField].index())),
                               name.isNull() ? std::string() : name.toString());
    return text && withoutTrailingBlanks(Docs["Explicatie"].fitted(*text)) == now;
}

void TCashDocFrm::fillExplanation() {
    if (!Docs.editing()) return;
    ui::runDataAction(this, [this] {
        if (!explanationIsFill()) return;
        data::Field& explanation = Docs["Explicatie"];
        const data::Field* parishioner = Docs.findField("Den_enorias");
        lastFill_ = fillText(Docs[cash_.codeField].value(), parishioner ? parishioner->asString() : std::string());
        if (lastFill_) {
            // with the parishioner's name the text may be longer than the field
            explanation.setFitted(*lastFill_);
            lastFill_ = explanation.asString();
        } else {
            explanation.clear();
        }
    });
}

}  // namespace entry
