#include "journal/IstoricDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/Journal.h"
#include "shell/Messages.h"

namespace journal {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

// The value of `name` in decoded values; `found` tells whether it was there.
std::string valueOf(const std::vector<std::pair<std::string, std::string>>& values, const std::string& name,
                    bool& found) {
    for (const auto& [n, v] : values)
        if (n == name) {
            found = true;
            return v;
        }
    found = false;
    return {};
}

}  // namespace

TIstoricDlg::TIstoricDlg(QWidget* owner, const std::string& dir, const std::string& table, long long row)
    : QDialog(owner) {
    setObjectName(QStringLiteral("TIstoricDlg"));
    const auto entries = data::journal::history(dir, table, row);
    entries_ = static_cast<int>(entries.size());
    const std::string name = entries.empty() ? data::journal::journalName(table) : entries.back().key;
    setWindowTitle(QStringLiteral("Istoric - ") + text(name));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(text(name), this);
    title->setObjectName(QStringLiteral("TitleLbl"));
    layout->addWidget(title);
    Entries = new QTableWidget(this);
    Entries->setObjectName(QStringLiteral("Entries"));
    Entries->setColumnCount(6);
    Entries->setHorizontalHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Data si ora"),
                                        QStringLiteral("Modificarea"), QStringLiteral("Campul"),
                                        QStringLiteral("Inainte"), QStringLiteral("Dupa")});
    Entries->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Entries->verticalHeader()->hide();
    for (const auto& e : entries) {
        const auto before = data::journal::decodeValues(e.before), after = data::journal::decodeValues(e.after);
        std::vector<std::string> fields;
        for (const auto* list : {&before, &after})
            for (const auto& [n, v] : *list)
                if (std::find(fields.begin(), fields.end(), n) == fields.end()) fields.push_back(n);
        if (fields.empty()) fields.push_back({});
        for (const std::string& f : fields) {
            bool inBefore = false, inAfter = false;
            const std::string b = valueOf(before, f, inBefore), a = valueOf(after, f, inAfter);
            const int r = Entries->rowCount();
            Entries->insertRow(r);
            const QString cells[] = {QString::number(e.nr), text(e.when), text(e.action), text(f), text(b), text(a)};
            for (int c = 0; c < 6; ++c) Entries->setItem(r, c, new QTableWidgetItem(cells[c]));
        }
    }
    Entries->resizeColumnsToContents();
    layout->addWidget(Entries);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("&Inchide"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseBtn"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(820, 420);
}

void ShowIstoric(QWidget* owner, const std::string& dir, const std::string& table, long long row) {
    if (row < 0) {
        ui::Messages::information(QStringLiteral("Documentul nu este salvat inca; nu are istoric."), owner);
        return;
    }
    TIstoricDlg dlg(owner, dir, table, row);
    dlg.exec();
}

}  // namespace journal
