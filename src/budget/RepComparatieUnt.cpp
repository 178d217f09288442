#include "budget/RepComparatieUnt.h"

#include <filesystem>

#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Schema.h"
#include "data/StoredStatement.h"

namespace budget {

namespace {

const char* const kLayout = R"LAYOUT(
report title="Comparatia bugetelor unitatilor" paper=9 orientation=portrait margins=10,10,10,10 font="Arial" size=10
band TitleBand title 22
  field Unitate 0 0 190 5 TParohia.Parohia align=center
  label Titlu 0 6 190 7 "COMPARATIA BUGETELOR UNITATILOR" align=center size=14 bold
  label Grupa 0 14 190 6 "" align=center size=11
band ColumnHeader columnheader 7 frame=all
  label H1 1 1 88 5 "Unitatea" bold
  label H2 90 1 30 5 "Prevederi" align=right bold
  label H3 122 1 30 5 "Executie" align=right bold
  label H4 154 1 36 5 "Observatii" bold
band Rand groupheader 7 group="TComparatie.Nr_rand" footer=TotalRand
  field Nr 1 1.5 12 5 TComparatie.Nr_rand bold
  field Denumire 14 1.5 176 5 TComparatie.Denumire bold
band DetailBand1 detail 6
  field Unit 3 0.5 86 5 TComparatie.Unitate
  field Prevederi 90 0.5 30 5 TComparatie.Prevederi mask="#,##0.00" align=right
  field Executie 122 0.5 30 5 TComparatie.Executie mask="#,##0.00" align=right
  field Observatii 154 0.5 36 5 TComparatie.Observatii size=7 wrap
band TotalRand groupfooter 7 frame=top
  label Total 3 1 86 5 "Total unitati" bold
  expr SumaP 90 1 30 5 "SUM(TComparatie.Prevederi)" mask="#,##0.00" align=right bold reset
  expr SumaE 122 1 30 5 "SUM(TComparatie.Executie)" mask="#,##0.00" align=right bold reset
band PageFooterBand pagefooter 7
  sysdata Pagina 80 1 30 5 pagenumber text="Pag." align=right
)LAYOUT";

data::TableSpec comparisonSpec() {
    using FT = data::FieldType;
    return {kComparisonTable,
            {{"Nr_rand", FT::SmallInt},
             {"Denumire", FT::String, 100},
             {"Unitate", FT::String, 100},
             {"Prevederi", FT::Float},
             {"Executie", FT::Float},
             {"Observatii", FT::String, 200}},
            {},
            {}};
}

// What the comparison says of a unit beside its figures.
std::string noteOf(const UnitComparison::Unit& u) {
    if (!u.note.empty()) return u.note;
    if (!u.sent) return "nu a trimis bugetul";
    return "trimis " + periodText(u.sent->from, u.sent->to);
}

data::Value amount(const std::optional<data::Bani>& b) { return b ? data::Value(data::fromBani(*b)) : data::Value(); }

}  // namespace

const QString TRepComparatieFrm::caption = QStringLiteral("Raport comparatie unitati");

TRepComparatieFrm::TRepComparatieFrm(QWidget* owner, const std::string& group, std::optional<int> line,
                                     const QString& column)
    : reports::TReportForm(owner), group_(group), line_(line), executie_(column != QLatin1String("Prevederi")) {
    TComparatie.setTableName(kComparisonTable);
    TComparatie.setDeclaredFields({"Nr_rand", "Denumire", "Unitate", "Prevederi", "Executie", "Observatii"});
    for (const char* f : {"Prevederi", "Executie"}) TComparatie.setup(f).asAmount();
    TParohia.setTableName("Parohia.DB");
    Rep.setDataSet(&TComparatie, QStringLiteral("TComparatie"));
    Rep.addDataSet(QStringLiteral("TParohia"), &TParohia);
    Rep.loadLayout(QString::fromUtf8(kLayout));
    Rep.item(QStringLiteral("Grupa")).caption =
        QString::fromStdString(group + (line ? ", randul " + std::to_string(*line) : std::string()));
}

void TRepComparatieFrm::openData() {
    namespace fs = std::filesystem;
    const std::string app = data::runDirectory({});
    c_ = compareUnits(app, group_);
    // the work table is made anew for every run
    const std::string dir = app + kPrivateDirectory + "/";
    std::error_code ec;
    fs::create_directory(dir, ec);
    const std::string path = dir + kComparisonTable;
    data::SqlSession::releaseEverywhere(data::canonicalPath(path));
    fs::remove(path, ec);
    data::createTableFile(path, comparisonSpec());
    std::vector<std::vector<data::Value>> rows;
    for (size_t i = 0; i < c_.lines.size(); ++i) {
        const BudgetLine& l = c_.lines[i];
        if (line_ && l.nr != *line_) continue;
        for (const UnitComparison::Unit& u : c_.units)
            rows.push_back({l.nr, l.name, u.name, amount(u.prevederi[i]), amount(u.executie[i]), noteOf(u)});
        if (c_.units.empty()) rows.push_back({l.nr, l.name, "(nici o unitate in grupa)", {}, {}, {}});
    }
    data::insertRows(path, {"Nr_rand", "Denumire", "Unitate", "Prevederi", "Executie", "Observatii"}, rows);
    TComparatie.setDatabaseName(dir);
    TComparatie.open();
    TParohia.open();
}

void TRepComparatieFrm::closeData() {
    TComparatie.close();
    TParohia.close();
}

bool TRepComparatieFrm::hasData() { return !TComparatie.isEmpty(); }

std::optional<exports::DataTable> TRepComparatieFrm::dataTable() {
    using exports::Cell;
    using K = exports::ColumnKind;
    exports::DataTable t;
    t.head.sheetName = "Comparatie";
    t.head.titleLines = reports::UnitLines(TParohia, {"Arhiepiscopia", "Protopopiatul", "Parohia"});
    t.head.titleLines.push_back("COMPARATIA BUGETELOR UNITATILOR " + group_);
    t.head.titleLines.push_back(executie_ ? "SUMELE LISTATE : EXECUTIE" : "SUMELE LISTATE : PREVEDERI");
    t.head.columns = {{"Nr. rand", K::Integer}, {"Denumire", K::Text}};
    for (const UnitComparison::Unit& u : c_.units) t.head.columns.push_back({u.name, K::Amount});
    t.head.columns.push_back({"Total unitati", K::Amount});
    for (size_t i = 0; i < c_.lines.size(); ++i) {
        const BudgetLine& l = c_.lines[i];
        if (line_ && l.nr != *line_) continue;
        exports::Row& r = t.addRow(false);
        r.cells[0] = Cell::integer(l.nr);
        r.cells[1] = Cell::of(l.name);
        data::Bani total = 0;
        for (size_t u = 0; u < c_.units.size(); ++u) {
            const std::optional<data::Bani>& v = executie_ ? c_.units[u].executie[i] : c_.units[u].prevederi[i];
            r.cells[2 + u] = v ? Cell::amount(*v) : Cell::empty();
            total += v.value_or(0);
        }
        r.cells[2 + c_.units.size()] = Cell::amount(total);
    }
    // what is out of line, a row under the figures
    exports::Row& notes = t.addRow(true);
    notes.cells[1] = Cell::of("Observatii");
    for (size_t u = 0; u < c_.units.size(); ++u) notes.cells[2 + u] = Cell::of(noteOf(c_.units[u]));
    return t;
}

reports::RunResult PrintComparatie(QWidget* owner, const std::string& group, std::optional<int> line,
                                   const QString& column, const reports::ReportOutput& output) {
    return reports::RunReport(
        owner,
        {.statusText = QStringLiteral("Parametrii de listare impliciti: Arial, 10, A4, Portret"),
         .fontSize = 10,
         .orientation = reports::Orientation::Portrait,
         .emptyDataCheck = true},
        [&](QWidget* o) { return std::make_unique<TRepComparatieFrm>(o, group, line, column); }, output);
}

}  // namespace budget
