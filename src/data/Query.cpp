#include "data/Query.h"

#include "data/AppDir.h"
#include "data/Format.h"
#include "data/Schema.h"

namespace data {

Query::Query() = default;
Query::~Query() { close(); }

void Query::setSql(const std::string& text) {
    sql.clear();
    size_t start = 0;
    while (true) {
        size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        sql.push_back(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
}

std::string Query::sqlText() const {
    std::string s;
    for (size_t i = 0; i < sql.size(); ++i) s += (i ? "\n" : "") + sql[i];
    return s;
}

void Query::setParam(const std::string& n, const Value& v) {
    std::string key = n.starts_with(":") ? n.substr(1) : n;
    for (auto& p : params_)
        if (iequals(p.name, key)) {
            p.value = v;
            return;
        }
    params_.push_back({key, v});
}

Value Query::param(const std::string& n) const {
    for (const auto& p : params_)
        if (iequals(p.name, n)) return p.value;
    return {};
}

long long Query::execSql() {
    return SqlSession::forDirectory(dir_.empty() ? AppDir() : dir_).execute(sqlText(), params_);
}

// Brings a value read from SQLite to the field's type (dates from ISO text).
static Value convert(const Value& v, FieldType t) {
    if (v.isNull()) return v;
    switch (t) {
        case FieldType::Date: return v.isString() ? Value(Date::parseIso(v.toString()).value_or(Date{})) : v;
        case FieldType::Boolean: return Value(v.toBool());
        case FieldType::String: return v.isString() ? Value(trimRight(v.toString())) : Value(v.toString());
        case FieldType::Float: return Value(v.toDouble());
        default: return v.isFloat() ? Value(v.toInt()) : v;
    }
}

std::vector<FieldDef> Query::backendOpen() {
    ResultSet rs = SqlSession::forDirectory(dir_.empty() ? AppDir() : dir_).select(sqlText(), params_);
    defs_.clear();
    for (size_t c = 0; c < rs.columns.size(); ++c) {
        FieldDef d;
        if (!rs.declaredTypes[c].empty()) {
            d = fieldDefFromDeclared(rs.columns[c], rs.declaredTypes[c]);
        } else {
            // an expression: the type of its first value; NULL-only columns are numbers (SUM over nothing)
            d = {rs.columns[c], FieldType::Float, 0};
            for (const auto& row : rs.rows) {
                const Value& v = row[c];
                if (v.isNull()) continue;
                if (v.isInt())
                    d.type = FieldType::Integer;
                else if (v.isString())
                    d.type = FieldType::String, d.size = 255;
                break;
            }
        }
        defs_.push_back(d);
    }
    rows_ = std::move(rs.rows);
    for (auto& row : rows_)
        for (size_t c = 0; c < row.size(); ++c) row[c] = convert(row[c], defs_[c].type);
    return defs_;
}

int Query::backendRefresh(int keepIndex) {
    backendOpen();
    return keepIndex < static_cast<int>(rows_.size()) ? keepIndex : -1;
}

}  // namespace data
