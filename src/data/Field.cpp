#include "data/Field.h"

#include <cmath>

#include "data/DataSet.h"
#include "data/Errors.h"
#include "data/Format.h"
#include "data/Money.h"

namespace data {

namespace {

// Amounts: at most 99,999,999,999,999.99 either way (sixteen digits, two of
// them decimals), and always a finite number.
constexpr double kMaxAmount = 99999999999999.99;

[[noreturn]] void outOfRange(const std::string& value, const Field& f, const std::string& lo, const std::string& hi) {
    throw EngineError(value + " nu este o valoare permisa pentru campul '" + f.displayName() +
                      "'. Domeniul permis este de la " + lo + " la " + hi);
}

[[noreturn]] void notInteger(const std::string& s) { throw EngineError("'" + s + "' nu este un numar intreg valid"); }
[[noreturn]] void notNumber(const std::string& s) { throw EngineError("'" + s + "' nu este un numar valid"); }

}  // namespace

std::string textTooLongText(const Field& f, size_t length) {
    return "Textul dat campului '" + f.displayName() + "' are " + std::to_string(length) +
           " caractere, iar campul tine cel mult " + std::to_string(f.size()) + " caractere";
}

Field::Field(DataSet* ds, std::string name, FieldType type, int size, FieldKind kind, int index)
    : ds_(ds), name_(std::move(name)), type_(type), size_(size), kind_(kind), index_(index) {}

bool Field::isNumeric() const {
    return type_ == FieldType::SmallInt || type_ == FieldType::Integer || type_ == FieldType::Float ||
           type_ == FieldType::AutoInc;
}

Value Field::value() const { return ds_->bufferValue(index_); }

std::string Field::asString() const {
    Value v = value();
    if (v.isNull()) return {};
    switch (type_) {
        case FieldType::Float: return formatGeneral(v.toDouble());
        case FieldType::Date: return formatShortDate(v.toDate());
        case FieldType::Boolean: return v.toBool() ? "True" : "False";
        case FieldType::String: return v.toString();
        default: return std::to_string(v.toInt());
    }
}

double Field::asFloat() const { return value().toDouble(); }
long long Field::asInteger() const { return value().toInt(); }
Date Field::asDate() const { return value().toDate(); }
bool Field::asBoolean() const { return value().toBool(); }

void Field::setValue(const Value& v) { ds_->setFieldValue(*this, coerce(v)); }

void Field::setAsString(const std::string& s) { setValue(parseText(s)); }

Value Field::parseText(const std::string& s) const {
    switch (type_) {
        case FieldType::String: return s.empty() ? Value() : Value(s);
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::AutoInc: {
            if (trim(s).empty()) return {};
            auto v = parseInteger(s);
            if (!v) notInteger(s);
            return Value(*v);
        }
        case FieldType::Float: {
            if (trim(s).empty()) return {};
            if (amount) {
                const ParsedAmount a = parseAmount(s);
                if (!a.value) throw EngineError(amountErrorText(trim(s), displayName(), a.error));
                return Value(*a.value);
            }
            auto v = parseFloat(s);
            if (!v) notNumber(s);
            return Value(*v);
        }
        case FieldType::Date: {
            std::string t = trim(s);
            bool blank = true;
            for (char c : t)
                if (c >= '0' && c <= '9') blank = false;
            if (blank) return {};
            auto d = parseDate(t);
            if (!d) throw EngineError("'" + s + "' nu este o data corecta");
            return Value(*d);
        }
        case FieldType::Boolean: {
            if (trim(s).empty()) return {};
            if (iequals(s, "true") || iequals(s, "da") || s == "1") return Value(true);
            if (iequals(s, "false") || iequals(s, "nu") || s == "0") return Value(false);
            throw EngineError("'" + s + "' nu este o valoare logica valida pentru campul '" + displayName() + "'");
        }
    }
    return {};
}

Value Field::coerce(const Value& v) const {
    if (v.isNull()) return v;
    switch (type_) {
        case FieldType::String: {
            std::string s = trimRight(v.toString());
            if (!isValidUtf8(s))
                throw EngineError("Textul dat campului '" + displayName() +
                                  "' contine caractere nevalide (nu este text UTF-8)");
            if (s.empty()) return {};
            // the size counts characters, not bytes; a text that does not fit
            // is refused whole rather than stored without its end
            const size_t length = utf8Length(s);
            if (capacity() > 0 && length > capacity()) {
                if (calculated()) return Value(utf8Prefix(s, capacity()));
                throw EngineError(textTooLongText(*this, length));
            }
            return Value(s);
        }
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::AutoInc: {
            long long x;
            if (v.isString()) {
                auto p = parseInteger(v.toString());
                if (!p) notInteger(v.toString());
                x = *p;
            } else {
                x = v.toInt();
            }
            long long lo = type_ == FieldType::SmallInt ? -32768 : -2147483648LL;
            long long hi = type_ == FieldType::SmallInt ? 32767 : 2147483647LL;
            if (x < lo || x > hi) outOfRange(std::to_string(x), *this, std::to_string(lo), std::to_string(hi));
            return Value(x);
        }
        case FieldType::Float: {
            double x;
            if (v.isString() && amount) {
                const ParsedAmount a = parseAmount(v.toString());
                if (!a.value) throw EngineError(amountErrorText(trim(v.toString()), displayName(), a.error));
                x = *a.value;
            } else if (v.isString()) {
                auto p = parseFloat(v.toString());
                if (!p) notNumber(v.toString());
                x = *p;
            } else {
                x = v.toDouble();
            }
            // every amount is kept to the ban
            if (amount && std::isfinite(x) && std::fabs(x) <= kMaxAmount) x = roundToBan(x);
            if (!std::isfinite(x) || std::fabs(x) > kMaxAmount)
                outOfRange(Value(x).toString(), *this, "-99999999999999.99", "99999999999999.99");
            return Value(x);
        }
        case FieldType::Date: {
            if (v.isDate()) {
                if (!v.toDate().valid()) throw EngineError("Data nu este valida pentru campul '" + displayName() + "'");
                return v;
            }
            if (v.isString()) {
                auto d = Date::parseIso(v.toString());
                if (!d) d = parseDate(v.toString());
                if (!d) throw EngineError("'" + v.toString() + "' nu este o data corecta");
                return Value(*d);
            }
            throw EngineError("Valoare nevalida pentru campul de tip data '" + displayName() + "'");
        }
        case FieldType::Boolean: return Value(v.toBool());
    }
    return v;
}

std::string Field::fitted(const std::string& s) const {
    if (capacity() == 0 || utf8Length(s) <= capacity()) return s;
    return utf8Prefix(s, capacity());
}

Value Field::searchValue(const Value& v) const {
    if (v.isString() && capacity() > 0) return coerce(Value(fitted(trimRight(v.toString()))));
    return coerce(v);
}

std::string Field::displayTextOf(const Value& v) const {
    if (v.isNull()) return {};
    switch (type_) {
        case FieldType::Float:
            return displayFormat.empty() ? formatGeneral(v.toDouble()) : formatFloat(displayFormat, v.toDouble());
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::AutoInc:
            return displayFormat.empty() ? std::to_string(v.toInt())
                                         : formatFloat(displayFormat, static_cast<double>(v.toInt()));
        case FieldType::Date:
            return displayFormat.empty() ? formatShortDate(v.toDate()) : formatDate(displayFormat, v.toDate());
        case FieldType::Boolean: {
            if (!displayFormat.empty()) {
                auto semi = displayFormat.find(';');
                std::string t = displayFormat.substr(0, semi);
                std::string f = semi == std::string::npos ? std::string() : displayFormat.substr(semi + 1);
                return v.toBool() ? t : f;
            }
            return v.toBool() ? "True" : "False";
        }
        case FieldType::String: return v.toString();
    }
    return v.toString();
}

std::string Field::editTextOf(const Value& v) const {
    if (v.isNull()) return {};
    if (type_ == FieldType::Float)
        return editFormat.empty() ? formatGeneral(v.toDouble()) : formatFloat(editFormat, v.toDouble());
    if (type_ == FieldType::Date) return formatShortDate(v.toDate());
    if (type_ == FieldType::Boolean) return v.toBool() ? "True" : "False";
    if (type_ == FieldType::String) return v.toString();
    return std::to_string(v.toInt());
}

}  // namespace data
