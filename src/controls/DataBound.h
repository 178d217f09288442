// The binding every data control shares: the data source it observes and,
// for a control that shows one field, the field's name. Windows bind their
// controls through this interface (see controls/Binding.h), so a control of
// the wrong kind under a layout name is found at once.
#pragma once
#include <QString>

namespace data {
class DataSource;
}

namespace ui {

class DataBound {
public:
    virtual ~DataBound() = default;

    virtual void setDataSource(data::DataSource* s) = 0;
    virtual data::DataSource* dataSource() const = 0;

    // Field controls (edit, combo, check box, lookup, date edit, field text)
    // show one field; record-level controls (grid, navigator, position bar)
    // show none and ignore a field name.
    virtual bool showsField() const { return false; }
    virtual void setDataField(const QString&) {}
    virtual QString dataField() const { return {}; }
    // The control holds text typed into it that its field has not received yet.
    virtual bool holdsTypedText() const { return false; }
};

}  // namespace ui
