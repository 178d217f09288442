// A field of a data set: typed access to the current record's value, display
// and edit formats, validation and change events.
#pragma once
#include <functional>
#include <string>

#include "data/Value.h"

namespace data {

class DataSet;
class Field;

// The refusal of a text longer than its field, naming the field, the text's
// length and the field's size (both in characters).
std::string textTooLongText(const Field& f, size_t length);

enum class FieldType { String, SmallInt, Integer, Float, Date, Boolean, AutoInc };
enum class FieldKind { Data, Calculated };

class Field {
public:
    Field(DataSet* ds, std::string name, FieldType type, int size, FieldKind kind, int index);

    const std::string& fieldName() const { return name_; }
    FieldType dataType() const { return type_; }
    int size() const { return size_; }
    FieldKind kind() const { return kind_; }
    bool calculated() const { return kind_ == FieldKind::Calculated; }
    bool isNumeric() const;
    int index() const { return index_; }
    DataSet* dataSet() const { return ds_; }

    // Presentation and rules; set by the window that owns the data set.
    std::string displayLabel;   // caption in grids and messages; empty = field name
    std::string displayFormat;  // "#,##0.00", "dd.mm.yyyy", "Da;Nu"
    std::string editFormat;     // "0.00"
    std::string editMask;       // "!99/99/0000;1;_"
    // An amount of money: typed through parseAmount, kept to the ban.
    bool amount = false;
    bool required = false;
    bool readOnly = false;
    bool visible = true;
    int displayWidth = 0;
    std::function<void(Field&)> onValidate;  // may throw to refuse the assignment
    std::function<void(Field&)> onChange;

    std::string displayName() const { return displayLabel.empty() ? name_ : displayLabel; }

    Value value() const;
    bool isNull() const { return value().isNull(); }
    std::string asString() const;
    double asFloat() const;
    long long asInteger() const;
    Date asDate() const;
    bool asBoolean() const;

    void setValue(const Value& v);
    void setAsString(const std::string& s);  // parses by the field's type
    void setAsFloat(double v) { setValue(Value(v)); }
    void setAsInteger(long long v) { setValue(Value(v)); }
    void setAsDate(const Date& d) { setValue(Value(d)); }
    void setAsBoolean(bool b) { setValue(Value(b)); }
    void clear() { setValue(Value()); }

    // Text for display (display format) and for editing (edit format).
    std::string displayText() const { return displayTextOf(value()); }
    std::string editText() const { return editTextOf(value()); }
    std::string displayTextOf(const Value& v) const;
    std::string editTextOf(const Value& v) const;
    // Assigns a text typed by the user: empty text clears the field.
    void setText(const std::string& s) { setValue(parseText(s)); }
    // Converts text to this field's type, raising the conversion error.
    Value parseText(const std::string& s) const;
    // Brings a value to the field's storage type, range-checking numbers.
    // Text longer than the field is refused (textTooLongError), never cut;
    // trailing blanks are dropped. A calculated text is the program's own
    // and is cut to its size.
    Value coerce(const Value& v) const;
    // The text cut to the field's size (in characters), for the places that
    // put a text together from other fields and mean it to fit.
    std::string fitted(const std::string& s) const;
    // Assigns a text cut to the field's size on purpose (see fitted).
    void setFitted(const std::string& s) { setValue(s.empty() ? Value() : Value(fitted(s))); }
    // A value to look for in the field: text longer than the field is cut,
    // no stored value being longer.
    Value searchValue(const Value& v) const;

private:
    // The characters a text field can hold: its size, 0 for no limit.
    size_t capacity() const { return type_ == FieldType::String && size_ > 0 ? static_cast<size_t>(size_) : 0; }

    DataSet* ds_;
    std::string name_;
    FieldType type_;
    int size_;
    FieldKind kind_;
    int index_;
};

}  // namespace data
