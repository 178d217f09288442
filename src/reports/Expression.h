// Report expressions: a field ("TRegistru.IncasariC" or "IncasariC"),
// numbers, texts in single or double quotes, + - * / and parentheses, and the
// running aggregates SUM, COUNT, MIN, MAX and AVERAGE over every row the
// report has read since it started (or since the item was last reset). SUM
// adds every value rounded to the ban and kept in whole bani: its total is
// exactly the sum of the amounts as printed.
#pragma once
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "data/Value.h"

namespace data {
class DataSet;
class Field;
}  // namespace data

namespace reports {

class ExpressionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How an expression is evaluated.
struct EvalContext {
    // The current row counts in the running aggregates although it has not
    // been added yet (a detail band shows the sums including its own row).
    bool includeCurrentRow = false;
    // Values of another row of `rowOwner` (looking ahead at the next row);
    // fields of other data sets read their current record.
    const std::vector<data::Value>* row = nullptr;
    const data::DataSet* rowOwner = nullptr;
};

class Expression {
public:
    struct Node;
    // Parses the text; throws ExpressionError.
    explicit Expression(const QString& text);
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    const QString& text() const { return text_; }

    // Resolves field names: (qualifier, field name) -> field; nullptr when
    // unknown (an ExpressionError is raised).
    using Resolver = std::function<data::Field*(const QString& qualifier, const QString& name)>;
    void bind(const Resolver& resolve);

    data::Value value(const EvalContext& ctx = {}) const;
    // The field when the whole expression is one field reference.
    data::Field* soleField() const;
    bool hasAggregates() const { return !aggregates_.empty(); }
    // Adds the current row to every running aggregate.
    void accumulate();
    void reset();

private:
    QString text_;
    std::unique_ptr<Node> root_;
    std::vector<Node*> aggregates_;
    std::vector<Node*> fieldNodes_;
};

// Formats a value for printing: numbers with a mask such as "#,##0.00" (no
// mask: general format), dates with a date mask (no mask: short date), texts
// as they are.
QString formatValue(const data::Value& v, const QString& mask);

}  // namespace reports
