// A window that places every data control on one table, for trying them by
// hand. Not reachable from the menu.
#pragma once
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "data/DataSource.h"
#include "data/Table.h"

namespace ui {

class TDBGridNormal;
class TDBEditNormal;
class TDBDateEdit;
class TDBComboNormal;
class TDBCheckBoxNormal;
class TDBLookupComboBoxNormal;
class TDBPos;
class TDateEdit;
class TLinkLabel;

class ControlsDemo : public QWidget {
    Q_OBJECT
public:
    // Creates its tables in `dir` (a temporary directory when empty).
    explicit ControlsDemo(const QString& dir = {}, QWidget* parent = nullptr);
    ~ControlsDemo() override;

    data::Table& table() { return table_; }
    TDBGridNormal* grid() const { return grid_; }

private:
    std::unique_ptr<QTemporaryDir> temp_;
    data::Table table_, kinds_;
    data::DataSource src_, kindsSrc_;
    TDBEditNormal* name_ = nullptr;
    TDBEditNormal* amount_ = nullptr;
    TDBDateEdit* date_ = nullptr;
    TDBComboNormal* account_ = nullptr;
    TDBCheckBoxNormal* active_ = nullptr;
    TDBLookupComboBoxNormal* kind_ = nullptr;
    TDBPos* pos_ = nullptr;
    TDBGridNormal* grid_ = nullptr;
    TDateEdit* plainDate_ = nullptr;
    TLinkLabel* link_ = nullptr;
};

}  // namespace ui
