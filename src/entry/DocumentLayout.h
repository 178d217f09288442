// The two small controls the document windows' layouts use beside the data
// controls: an edit that reports entering and leaving it, and a read-only
// field display.
#pragma once
#include <QLabel>
#include <QString>

#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"
#include "controls/DataBound.h"

namespace entry {

// The keyboard-driven edit with notifications of the focus arriving and of
// the focus leaving after the text was written into the field (a refused
// text keeps the focus and sends nothing). Switching to another window is
// neither.
class TDocEdit : public ui::TDBEditNormal {
    Q_OBJECT
public:
    explicit TDocEdit(QWidget* parent = nullptr) : ui::TDBEditNormal(parent) {}

signals:
    void entered();
    void exited();

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

// A read-only display of one field's text.
class TDBText : public QLabel, public ui::DataBound {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);
    ~TDBText() override;
    void setDataSource(data::DataSource* s) override { link_.setDataSource(s); }
    data::DataSource* dataSource() const override { return link_.dataSource(); }
    bool showsField() const override { return true; }
    void setDataField(const QString& name) override { link_.setFieldName(ui::ss(name)); }
    QString dataField() const override { return ui::qs(link_.fieldName()); }

private:
    ui::FieldDataLink link_;
};

}  // namespace entry
