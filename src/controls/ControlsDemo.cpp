#include "controls/ControlsDemo.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

#include "controls/DBDate.h"
#include "controls/DBGNorm.h"
#include "controls/DBPos.h"
#include "controls/DateEdit.h"
#include "controls/LinkLab.h"
#include "data/Schema.h"

namespace ui {

namespace {

void makeTables(const std::string& dir) {
    using data::FieldType;
    if (!QFileInfo::exists(QString::fromStdString(dir + "DemoKinds.DB"))) {
        data::createTableFile(
            dir + "DemoKinds.DB",
            {"DemoKinds.DB", {{"Cod", FieldType::SmallInt}, {"Denumire", FieldType::String, 40}}, {"Cod"}, {}});
        data::insertRows(dir + "DemoKinds.DB", {"Cod", "Denumire"},
                         {{1, "Colecta"}, {2, "Donatie"}, {3, "Lumanari"}, {4, "Pomelnice"}});
    }
    if (QFileInfo::exists(QString::fromStdString(dir + "Demo.DB"))) return;
    data::createTableFile(dir + "Demo.DB", {"Demo.DB",
                                            {{"Nr", FieldType::Integer},
                                             {"Nume", FieldType::String, 40},
                                             {"Suma", FieldType::Float},
                                             {"Data", FieldType::Date},
                                             {"Cont", FieldType::String, 15},
                                             {"Activ", FieldType::Boolean},
                                             {"Cod", FieldType::SmallInt}},
                                            {"Nr"},
                                            {}});
    std::vector<std::vector<data::Value>> rows;
    const char* names[] = {"Popescu Ion", "Ionescu Maria", "Georgescu Ana", "Vasile Petru", "Dumitru Elena"};
    for (int i = 1; i <= 40; ++i)
        rows.push_back({i, std::string(names[i % 5]) + " " + std::to_string(i), i * 12.5,
                        data::Date{2007, 1 + i % 12, 1 + i % 28}, i % 3 ? "Casa" : "Banca", i % 2 == 0, 1 + i % 4});
    data::insertRows(dir + "Demo.DB", {"Nr", "Nume", "Suma", "Data", "Cont", "Activ", "Cod"}, rows);
}

}  // namespace

ControlsDemo::ControlsDemo(const QString& dir, QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Controale"));
    std::string d = dir.toStdString();
    if (d.empty()) {
        temp_ = std::make_unique<QTemporaryDir>();
        d = temp_->path().toStdString();
    }
    if (d.back() != '/') d += '/';
    makeTables(d);

    kinds_.setDatabaseName(d);
    kinds_.setTableName("DemoKinds.DB");
    kinds_.open();
    kindsSrc_.setDataSet(&kinds_);
    table_.setDatabaseName(d);
    table_.setTableName("Demo.DB");
    table_.setup("Suma").asAmount();
    table_.setup("Data").editMask = "!99/99/0000;1;_";
    table_.setup("Data").displayFormat = "dd.mm.yyyy";
    table_.open();
    src_.setDataSet(&table_);

    name_ = new TDBEditNormal(this);
    amount_ = new TDBEditNormal(this);
    date_ = new TDBDateEdit(this);
    account_ = new TDBComboNormal(this);
    account_->setItems({QStringLiteral("Casa"), QStringLiteral("Banca")});
    active_ = new TDBCheckBoxNormal(this);
    active_->setText(QStringLiteral("Activ"));
    kind_ = new TDBLookupComboBoxNormal(this);
    kind_->setListSource(&kindsSrc_);
    kind_->setKeyField(QStringLiteral("Cod"));
    kind_->setListField(QStringLiteral("Denumire"));
    struct Bind {
        DBEdit* e;
        const char* field;
    };
    for (auto [e, f] : {Bind{name_, "Nume"}, Bind{amount_, "Suma"}}) {
        e->setDataSource(&src_);
        e->setDataField(QString::fromLatin1(f));
    }
    date_->setDataSource(&src_);
    date_->setDataField(QStringLiteral("Data"));
    account_->setDataSource(&src_);
    account_->setDataField(QStringLiteral("Cont"));
    active_->setDataSource(&src_);
    active_->setDataField(QStringLiteral("Activ"));
    kind_->setDataSource(&src_);
    kind_->setDataField(QStringLiteral("Cod"));

    pos_ = new TDBPos(this);
    pos_->setFixedHeight(20);
    pos_->setForeColor(palette().color(QPalette::Button).darker(130));
    pos_->setBackColor(palette().color(QPalette::Base));
    pos_->setColor(palette().color(QPalette::Highlight));
    pos_->setDataSource(&src_);

    grid_ = new TDBGridNormal(this);
    grid_->setOptions(grid_->options() | dgAlwaysShowSelection);
    std::vector<TColumn> cols{TColumn("Nr"), TColumn("Nume", "Nume si prenume"), TColumn("Suma"), TColumn("Data"),
                              TColumn("Cont")};
    cols[0].readOnly = true;
    cols[4].pickList = {QStringLiteral("Casa"), QStringLiteral("Banca")};
    grid_->setColumns(cols);
    grid_->setDataSource(&src_);

    plainDate_ = new TDateEdit(this);
    plainDate_->setMaxLength(10);
    link_ = new TLinkLabel(this);
    link_->setURLType(utHttp);
    link_->setCaption(QStringLiteral("www.example.org"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Nume :"), name_);
    fields->addRow(QStringLiteral("Suma :"), amount_);
    fields->addRow(QStringLiteral("Data :"), date_);
    fields->addRow(QStringLiteral("Cont :"), account_);
    fields->addRow(QString(), active_);
    fields->addRow(QStringLiteral("Tip :"), kind_);
    fields->addRow(QStringLiteral("Data libera :"), plainDate_);
    fields->addRow(QStringLiteral("Legatura :"), link_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(fields);
    main->addWidget(pos_);
    main->addWidget(grid_, 1);
    resize(720, 640);
    name_->setFocus();
}

ControlsDemo::~ControlsDemo() {
    // The controls go before the data sets they show.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

}  // namespace ui
