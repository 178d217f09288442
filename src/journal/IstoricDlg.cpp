#include "journal/IstoricDlg.h"

#include "ui_IstoricDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "controls/Binding.h"
#include "controls/ControlSupport.h"
#include "data/Journal.h"
#include "shell/Messages.h"

namespace journal {

namespace {

// A resizable dialog that opens without data sets of its own.
constexpr ui::WindowSpec kWindow{.fixedSize = false, .accessError = nullptr};

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
    : DataWindow(owner, kWindow) {
    ui::setupForm<Ui_TIstoricDlg>(this);
    Entries = ui::child<QTableWidget>(this, "Entries");
    const auto entries = data::journal::history(dir, table, row);
    entries_ = static_cast<int>(entries.size());
    const std::string name = entries.empty() ? data::journal::journalName(table) : entries.back().key;
    setWindowTitle(QStringLiteral("Istoric - ") + text(name));
    ui::child<QLabel>(this, "TitleLbl")->setText(text(name));
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
    connect(ui::child<QPushButton>(this, "CloseBtn"), &QPushButton::clicked, this, &QDialog::reject);
    finishLayout();
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
