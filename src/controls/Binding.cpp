#include "controls/Binding.h"

#include <QVariant>
#include <map>
#include <string>

#include "controls/DBControls.h"
#include "controls/DataBound.h"
#include "data/DataSet.h"
#include "data/DataSource.h"

namespace ui {

namespace {

std::string describe(QWidget* w) {
    return "control " + w->objectName().toStdString() + " (" + w->metaObject()->className() + ")";
}

QString stringProperty(QWidget* w, const char* name) {
    const QVariant v = w->property(name);
    return v.isValid() ? v.toString() : QString();
}

data::DataSource* sourceNamed(QWidget* w, const QString& name, std::initializer_list<NamedSource> sources) {
    for (const NamedSource& s : sources)
        if (name == QString::fromUtf8(s.name)) return s.source;
    throw LayoutError(describe(w) + ": no data source named \"" + name.toStdString() + "\"");
}

}  // namespace

QWidget* namedWidget(QWidget* form, const char* name) {
    QWidget* w = form->findChild<QWidget*>(QString::fromUtf8(name));
    if (!w) throw LayoutError(std::string("no control named ") + name + " in " + form->metaObject()->className());
    return w;
}

void throwWrongKind(QWidget* w, const char* expected) {
    throw LayoutError(describe(w) + " is not of the kind the window expects (" + expected + ")");
}

void bindControls(QWidget* form, std::initializer_list<NamedSource> sources) {
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const QVariant field = w->property("dataField");
        const QVariant source = w->property("dataSource");
        if (!field.isValid() && !source.isValid()) continue;
        auto* bound = dynamic_cast<DataBound*>(w);
        if (!bound) throw LayoutError(describe(w) + " has a data binding but is not a data control");
        bound->setDataSource(sourceNamed(w, source.isValid() ? source.toString() : QString(), sources));
        if (field.isValid()) {
            if (!bound->showsField()) throw LayoutError(describe(w) + " shows no field");
            bound->setDataField(field.toString());
        }
        if (auto* lookup = dynamic_cast<DBLookupComboBox*>(w)) {
            const QString list = stringProperty(w, "listSource");
            if (!list.isEmpty()) lookup->setListSource(sourceNamed(w, list, sources));
            if (w->property("keyField").isValid()) lookup->setKeyField(stringProperty(w, "keyField"));
            if (w->property("listField").isValid()) lookup->setListField(stringProperty(w, "listField"));
        }
    }
}

void checkBindings(QWidget* form) {
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const QVariant field = w->property("dataField");
        if (!field.isValid()) continue;
        auto* bound = dynamic_cast<DataBound*>(w);
        data::DataSource* s = bound ? bound->dataSource() : nullptr;
        data::DataSet* ds = s ? s->dataSet() : nullptr;
        if (!ds || !ds->active()) continue;
        if (!ds->findField(field.toString().toStdString()))
            throw LayoutError(describe(w) + ": its data set has no field " + field.toString().toStdString());
    }
}

}  // namespace ui
