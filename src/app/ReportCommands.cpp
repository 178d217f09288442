#include "app/ReportCommands.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <chrono>
#include <iomanip>
#include <optional>
#include <ostream>
#include <regex>
#include <stdexcept>
#include <unistd.h>

#include "app/Application.h"
#include "budget/BilantUnt.h"
#include "budget/RepBilantCentralUnt.h"
#include "budget/RepComparatieUnt.h"
#include "data/Clock.h"
#include "data/Errors.h"
#include "data/Format.h"
#include "data/Money.h"
#include "data/Table.h"
#include "documents/print/RepOPUnt.h"
#include "data/AppDir.h"
#include "entry/Balances.h"
#include "export/Documents.h"
#include "export/SafeFile.h"
#include "journal/RepJurnalUnt.h"
#include "entry/DocumentList.h"
#include "entry/RepDocumenteUnt.h"
#include "registers/Registre.h"
#include "reports/Intrvdlg.h"
#include "reports/ReportRun.h"
#include "shell/Messages.h"
#include "stock/RepStocUnt.h"

namespace app {

namespace {

using reports::ReportOutput;
using reports::RunResult;

// A bad command line: exit status 2 with the usage of --report.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the options of one run give; unset: the report's default.
struct ReportArgs {
    std::optional<data::Date> from, to, date;
    std::optional<int> code;
    std::optional<double> number;
    QString column = QStringLiteral("Executie");
    bool expensesNewPage = false;
    std::string table, action;  // the journal's filter; "" for all
    std::string group;          // a deanery's group of units
};

struct ReportEntry {
    const char* name;
    const char* title;
    std::vector<const char*> options;   // the report's own options
    std::vector<const char*> required;  // those without a default
    RunResult (*run)(const ReportArgs& args, const ReportOutput& output);
};

// The working year of the unit; the current year when the unit has none.
int workingYear() {
    data::Table parohia;
    parohia.setTableName("Parohia.DB");
    parohia.setDeclaredFields({"An_lucru"});
    parohia.open();
    parohia.first();
    const long long year = parohia.isEmpty() ? 0 : parohia["An_lucru"].asInteger();
    parohia.close();
    return year >= 1 && year <= 9999 ? static_cast<int>(year) : data::today().year;
}

// --from / --to, each defaulting to the working year's first or last day.
reports::Interval interval(const ReportArgs& a) {
    const int year = a.from && a.to ? 0 : workingYear();
    const reports::Interval i{a.from.value_or(data::Date{year, 1, 1}), a.to.value_or(data::Date{year, 12, 31})};
    if (i.start > i.stop) throw UsageError(reports::WrongIntervalText(i.start, i.stop).toStdString());
    return i;
}

const ReportEntry kReports[] = {
    {"incasari-plati",
     "Registru pentru evidenta operatiunilor de incasari si plati prin casa si prin cont",
     {},
     {},
     [](const ReportArgs&, const ReportOutput& o) { return registers::RegistruIncasariPlati(nullptr, o); }},
    {"casa",
     "Registru de casa",
     {"--from", "--to"},
     {},
     [](const ReportArgs& a, const ReportOutput& o) { return registers::RegistruCasa(nullptr, interval(a), o); }},
    {"banca",
     "Registru de banca",
     {"--from", "--to"},
     {},
     [](const ReportArgs& a, const ReportOutput& o) { return registers::RegistruBanca(nullptr, interval(a), o); }},
    {"partizi-venituri",
     "Registru partizi venituri",
     {"--code"},
     {"--code"},
     [](const ReportArgs& a, const ReportOutput& o) {
         return registers::PartiziVenituri(nullptr, static_cast<short>(*a.code), o);
     }},
    {"partizi-cheltuieli",
     "Registru partizi cheltuieli",
     {"--code"},
     {"--code"},
     [](const ReportArgs& a, const ReportOutput& o) {
         return registers::PartiziCheltuieli(nullptr, static_cast<short>(*a.code), o);
     }},
    {"bilant",
     "Buget de venituri si cheltuieli",
     {"--from", "--to", "--column", "--expenses-new-page"},
     {},
     [](const ReportArgs& a, const ReportOutput& o) {
         const data::Date end = a.to.value_or(data::today());
         if (a.from && *a.from > end) throw UsageError(reports::WrongIntervalText(*a.from, end).toStdString());
         return budget::PrintBilantComputed(nullptr, {a.from, end, workingYear(), a.column, a.expensesNewPage}, o);
     }},
    {"bilant-centralizat",
     "Buget centralizator de venituri si cheltuieli",
     {"--column", "--expenses-new-page"},
     {},
     [](const ReportArgs& a, const ReportOutput& o) {
         return budget::PrintBilantCentral(nullptr, a.column, a.expensesNewPage, o);
     }},
    {"comparatie-unitati",
     "Comparatia bugetelor unitatilor unei grupe",
     {"--group", "--code", "--column"},
     {"--group"},
     [](const ReportArgs& a, const ReportOutput& o) {
         if (a.group != "PAROHII" && a.group != "MANASTIRI")
             throw UsageError("grupa data dupa --group este PAROHII sau MANASTIRI, nu " + a.group);
         return budget::PrintComparatie(nullptr, a.group, a.code, a.column, o);
     }},
    {"stocuri",
     "Situatia stocurilor",
     {"--date"},
     {},
     [](const ReportArgs& a, const ReportOutput& o) {
         return stock::PrintStoc(nullptr, a.date.value_or(data::today()), o);
     }},
    {"jurnal",
     "Jurnalul modificarilor",
     {"--from", "--to", "--table", "--action"},
     {},
     [](const ReportArgs& a, const ReportOutput& o) {
         return journal::PrintJurnal(nullptr, interval(a), journal::JournalFilter{a.table, a.action}, o);
     }},
    {"documente",
     "Lista documentelor",
     {"--from", "--to", "--code"},
     {},
     [](const ReportArgs& a, const ReportOutput& o) {
         const reports::Interval i = interval(a);
         entry::DocumentFilter filter;
         filter.from = i.start;
         filter.to = i.stop;
         filter.typeCode = a.code;
         entry::DocumentList list;
         list.load(filter);
         return entry::PrintDocumente(nullptr, list, o);
     }},
    {"ordin-plata",
     "Ordin de plata",
     {"--number", "--date", "--code"},
     {"--number", "--code"},
     [](const ReportArgs& a, const ReportOutput& o) {
         return documents::RunOrdinPlata(nullptr, *a.code, *a.number, a.date.value_or(data::today()), o);
     }},
};

const ReportEntry* findReport(const std::string& name) {
    for (const ReportEntry& r : kReports)
        if (name == r.name) return &r;
    return nullptr;
}

// Options every report takes.
const char* const kCommonOptions[] = {"--dir", "--out", "--font-size"};

data::Date dateOption(const CommandLine& cl, const char* option) {
    static const std::regex form(R"((\d{1,2})\.(\d{1,2})\.(\d{4}))");
    const std::string text = cl.value(option);
    std::smatch m;
    if (std::regex_match(text, m, form)) {
        const data::Date d{std::stoi(m[3]), std::stoi(m[2]), std::stoi(m[1])};
        if (d.valid()) return d;
    }
    throw UsageError(std::string("data data dupa ") + option + " nu este corecta (ZZ.LL.AAAA): " + text);
}

long long integerOption(const CommandLine& cl, const char* option, long long min, long long max) {
    const std::string text = cl.value(option);
    if (!text.empty() && text.size() <= 15 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const long long v = std::stoll(text);
        if (v >= min && v <= max) return v;
    }
    throw UsageError(std::string("numarul dat dupa ") + option + " nu este corect (" + std::to_string(min) + " - " +
                     std::to_string(max) + "): " + text);
}

ReportArgs readArgs(const CommandLine& cl) {
    ReportArgs a;
    if (cl.has("--from")) a.from = dateOption(cl, "--from");
    if (cl.has("--to")) a.to = dateOption(cl, "--to");
    if (cl.has("--date")) a.date = dateOption(cl, "--date");
    if (cl.has("--code")) a.code = static_cast<int>(integerOption(cl, "--code", 0, 32767));
    if (cl.has("--number")) a.number = static_cast<double>(integerOption(cl, "--number", 0, 999999999999999LL));
    if (cl.has("--column")) {
        a.column = QString::fromStdString(cl.value("--column"));
        if (a.column != QLatin1String("Prevederi") && a.column != QLatin1String("Executie"))
            throw UsageError("coloana data dupa --column este Prevederi sau Executie, nu " + cl.value("--column"));
    }
    a.expensesNewPage = cl.has("--expenses-new-page");
    a.table = cl.value("--table");
    a.action = cl.value("--action");
    a.group = cl.value("--group");
    return a;
}

// The file --out names, checked before anything runs.
ReportOutput readOutput(const CommandLine& cl) {
    if (!cl.has("--out")) throw UsageError("lipseste --out FISIER");
    ReportOutput o;
    // a name that is not text would be written under another name
    const std::string name = cl.value("--out");
    o.file = QFile::decodeName(name.c_str());
    if (QFile::encodeName(o.file).toStdString() != name)
        throw UsageError("numele fisierului dat dupa --out nu este un text UTF-8 corect");
    const QString ext = QFileInfo(o.file).suffix().toLower();
    if (ext != QLatin1String("pdf") && ext != QLatin1String("csv") && ext != QLatin1String("html") &&
        ext != QLatin1String("htm") && ext != QLatin1String("txt") && ext != QLatin1String("xlsx"))
        throw UsageError("fisierul dat dupa --out se termina in .pdf, .xlsx, .csv, .html, .table.html sau .txt: " +
                         cl.value("--out"));
    if (cl.has("--font-size")) o.fontSize = static_cast<int>(integerOption(cl, "--font-size", 5, 48));
    QString why;
    if (!reports::CanCreateReportFile(o.file, &why))
        throw UsageError("nu pot scrie fisierul " + cl.value("--out") + ": " + why.toStdString());
    return o;
}

const ReportEntry& checkedReport(const CommandLine& cl) {
    const std::string name = cl.value("--report");
    const ReportEntry* r = findReport(name);
    if (!r) throw UsageError("raport necunoscut: " + name + " (Corvalinde --list-reports afiseaza rapoartele)");
    for (const auto& [option, value] : cl.options) {
        if (option == "--report" ||
            std::find(std::begin(kCommonOptions), std::end(kCommonOptions), option) != std::end(kCommonOptions))
            continue;
        if (std::find(r->options.begin(), r->options.end(), option) == r->options.end())
            throw UsageError("optiunea " + option + " nu se foloseste cu raportul " + name);
    }
    for (const char* option : r->required)
        if (!cl.has(option)) throw UsageError(std::string("raportul ") + name + " cere " + option);
    return *r;
}

const char* reportUsage() {
    for (const CommandEntry& c : commands())
        if (c.mode == CommandLine::Mode::Report) return c.usage;
    return "";
}

// Every message of the run to `err` while it lasts.
class MessagesTo {
public:
    explicit MessagesTo(std::ostream& err) { ui::Messages::writeTo(&err); }
    ~MessagesTo() { ui::Messages::writeTo(nullptr); }
    MessagesTo(const MessagesTo&) = delete;
    MessagesTo& operator=(const MessagesTo&) = delete;
};

std::string accessError(const data::EngineError& e) {
    return reports::AccessErrorText(reports::kDatabaseAccessError, e.what()).toStdString();
}

// The documents of `period` into `file` (a data format), through a temporary
// file; false with the message to show.
bool writeDocuments(const reports::Interval& period, const QString& file, exports::DocumentsCount& count,
                    QString& message) {
    const std::string path = QFile::encodeName(file).toStdString();
    const std::optional<exports::Format> format = exports::dataFormatForPath(path);
    if (!format) {
        message = QStringLiteral("Documentele se exporta in fisiere .xlsx, .csv sau .table.html!");
        return false;
    }
    try {
        std::string why;
        if (exports::writeFileSafely(
                path,
                [&](const std::string& temporary, std::string* e) {
                    return exports::exportDocuments(data::AppDir(), period.start, period.stop, *format, temporary, e,
                                                    &count);
                },
                &why))
            return true;
        message = reports::CannotCreateFileText(file);
    } catch (const data::EngineError& e) {
        message = QString::fromStdString(accessError(e));
    }
    return false;
}

QString exportedText(const exports::DocumentsCount& c) {
    return QStringLiteral("Au fost exportate %1 documente: %2 incasari, %3 plati, %4 depuneri, %5 ridicari.")
        .arg(c.total())
        .arg(c.receipts)
        .arg(c.payments)
        .arg(c.deposits)
        .arg(c.withdrawals);
}

}  // namespace

std::vector<const char*> reportNames() {
    std::vector<const char*> names;
    for (const ReportEntry& r : kReports) names.push_back(r.name);
    return names;
}

std::vector<Option> reportOptions() {
    std::vector<Option> options;
    for (const char* o : kCommonOptions) options.push_back({o, true});
    for (const ReportEntry& r : kReports)
        for (const char* o : r.options)
            if (std::none_of(options.begin(), options.end(), [o](const Option& x) { return std::string(x.name) == o; }))
                options.push_back({o, std::string(o) != "--expenses-new-page"});
    return options;
}

int runBalances(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    initFormatSettingsFromLocale();
    try {
        const double casa = entry::CalcSoldCasa();
        const double banca = entry::CalcSoldBanca();
        out << "Casa: " << data::formatAmount(casa) << "\n"
            << "Banca: " << data::formatAmount(banca) << "\n";
        out.flush();
        return 0;
    } catch (const data::EngineError& e) {
        err << accessError(e) << "\n";
        return 1;
    }
}

int runListReports(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    for (const ReportEntry& r : kReports) {
        out << std::left << std::setw(20) << r.name << r.title;
        for (const char* o : r.options) out << " " << o;
        out << "\n";
    }
    out.flush();
    return 0;
}

int runReport(const CommandLine& cl, std::ostream&, std::ostream& err) {
    try {
        const ReportEntry& report = checkedReport(cl);
        const ReportArgs args = readArgs(cl);
        ReportOutput output = readOutput(cl);
        if (!useDatabaseDirectory(cl, err)) return 1;
        initFormatSettingsFromLocale();
        MessagesTo messages(err);
        // on a terminal, the pages written so far, a few times a second
        bool progressShown = false;
        const auto endProgress = qScopeGuard([&] {
            if (progressShown) err << "\n" << std::flush;
        });
        if (isatty(STDERR_FILENO)) {
            output.progress = [&err, &progressShown, last = std::chrono::steady_clock::time_point{}](
                                  int pages, int count) mutable {
                const auto now = std::chrono::steady_clock::now();
                if (pages > 1 && pages != count && now - last < std::chrono::milliseconds(200)) return;
                last = now;
                progressShown = true;
                err << "\rListez... pagina " << pages;
                if (count > 0) err << " din " << count;
                err << std::flush;
            };
        }
        try {
            return report.run(args, output) == RunResult::Done ? 0 : 1;
        } catch (const data::EngineError& e) {
            ui::Messages::error(QString::fromStdString(accessError(e)));
        } catch (const UsageError&) {
            throw;
        } catch (const std::exception& e) {
            ui::Messages::error(QString::fromUtf8(e.what()));
        }
        return 1;
    } catch (const UsageError& e) {
        err << "Corvalinde: " << e.what() << "\n\nUtilizare:\n" << reportUsage();
        return 2;
    }
}

int runExportDocuments(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    try {
        ReportArgs args;
        if (cl.has("--from")) args.from = dateOption(cl, "--from");
        if (cl.has("--to")) args.to = dateOption(cl, "--to");
        const ReportOutput output = readOutput(cl);
        if (!exports::dataFormatForPath(QFile::encodeName(output.file).toStdString()))
            throw UsageError("documentele se exporta in fisiere .xlsx, .csv sau .table.html: " + cl.value("--out"));
        if (!useDatabaseDirectory(cl, err)) return 1;
        initFormatSettingsFromLocale();
        reports::Interval period;
        try {
            period = interval(args);
        } catch (const data::EngineError& e) {
            err << accessError(e) << "\n";
            return 1;
        }
        exports::DocumentsCount count;
        QString message;
        if (!writeDocuments(period, output.file, count, message)) {
            err << message.toStdString() << "\n";
            return 1;
        }
        out << exportedText(count).toStdString() << "\n";
        out.flush();
        return 0;
    } catch (const UsageError& e) {
        for (const CommandEntry& c : commands())
            if (c.mode == CommandLine::Mode::ExportDocuments)
                err << "Corvalinde: " << e.what() << "\n\nUtilizare:\n" << c.usage;
        return 2;
    }
}

void ExportDocumente(QWidget* owner) {
    reports::Interval period{data::today(), data::today()};
    if (!reports::SelectInterval(owner, period.start, period.stop)) return;
    const QString xlsx = QStringLiteral("Excel (*.xlsx)");
    const QString csv = QStringLiteral("CSV (*.csv)");
    QString filter = xlsx;
    QString file = QFileDialog::getSaveFileName(owner, QStringLiteral("Export documente"), QDir::homePath(),
                                                xlsx + QStringLiteral(";;") + csv, &filter);
    if (file.isEmpty()) return;
    if (!exports::dataFormatForPath(QFile::encodeName(file).toStdString()))
        file += filter == csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    QString why;
    if (!reports::CanCreateReportFile(file, &why)) {
        ui::Messages::error(reports::CannotCreateFileText(file), owner);
        return;
    }
    exports::DocumentsCount count;
    QString message;
    reports::WaitCursor wait;
    const bool written = writeDocuments(period, file, count, message);
    wait.restore();
    if (written)
        ui::Messages::information(exportedText(count), owner);
    else
        ui::Messages::error(message, owner);
}

}  // namespace app
