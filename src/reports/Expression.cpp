#include "reports/Expression.h"

#include <algorithm>
#include <cmath>

#include "data/DataSet.h"
#include "data/Field.h"
#include "data/Format.h"
#include "data/Money.h"

namespace reports {

using data::Value;

struct Expression::Node {
    enum class Kind { Literal, Field, Neg, Add, Sub, Mul, Div, Sum, Count, Min, Max, Avg };
    Kind kind = Kind::Literal;
    Value literal;
    QString qualifier, fieldName;
    data::Field* field = nullptr;
    std::unique_ptr<Node> a, b;
    // running aggregate state: SUM adds amounts to the ban, in whole bani, so
    // a printed total is the sum of the printed amounts; AVERAGE adds as read
    data::Bani bani = 0;
    double sum = 0;
    long long count = 0;
    Value extreme;

    bool isAggregate() const { return kind >= Kind::Sum; }
};

namespace {

using Node = Expression::Node;
using Kind = Expression::Node::Kind;

class Parser {
public:
    explicit Parser(const QString& t) : s_(t) {}

    std::unique_ptr<Node> parse() {
        auto n = sum();
        skip();
        if (p_ < s_.size()) fail("unexpected text");
        return n;
    }

private:
    [[noreturn]] void fail(const char* what) {
        throw ExpressionError(QStringLiteral("Expression \"%1\": %2 at position %3")
                                  .arg(s_, QLatin1String(what))
                                  .arg(p_ + 1)
                                  .toStdString());
    }
    void skip() {
        while (p_ < s_.size() && s_[p_].isSpace()) ++p_;
    }
    bool take(QChar c) {
        skip();
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    static std::unique_ptr<Node> make(Kind k, std::unique_ptr<Node> a = {}, std::unique_ptr<Node> b = {}) {
        auto n = std::make_unique<Node>();
        n->kind = k;
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }
    std::unique_ptr<Node> sum() {
        auto n = product();
        for (;;) {
            if (take(QLatin1Char('+')))
                n = make(Kind::Add, std::move(n), product());
            else if (take(QLatin1Char('-')))
                n = make(Kind::Sub, std::move(n), product());
            else
                return n;
        }
    }
    std::unique_ptr<Node> product() {
        auto n = unary();
        for (;;) {
            if (take(QLatin1Char('*')))
                n = make(Kind::Mul, std::move(n), unary());
            else if (take(QLatin1Char('/')))
                n = make(Kind::Div, std::move(n), unary());
            else
                return n;
        }
    }
    std::unique_ptr<Node> unary() {
        if (take(QLatin1Char('-'))) return make(Kind::Neg, unary());
        if (take(QLatin1Char('+'))) return unary();
        return primary();
    }
    static bool identStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
    static bool identChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
    QString ident() {
        qsizetype start = p_;
        while (p_ < s_.size() && identChar(s_[p_])) ++p_;
        return s_.mid(start, p_ - start);
    }
    std::unique_ptr<Node> primary() {
        skip();
        if (p_ >= s_.size()) fail("missing operand");
        const QChar c = s_[p_];
        if (c == QLatin1Char('(')) {
            ++p_;
            auto n = sum();
            if (!take(QLatin1Char(')'))) fail("missing ')'");
            return n;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            ++p_;
            QString text;
            for (;;) {
                if (p_ >= s_.size()) fail("unterminated text");
                if (s_[p_] == c) {
                    if (p_ + 1 < s_.size() && s_[p_ + 1] == c) {
                        text += c;
                        p_ += 2;
                        continue;
                    }
                    ++p_;
                    break;
                }
                text += s_[p_++];
            }
            auto n = make(Kind::Literal);
            n->literal = Value(text.toStdString());
            return n;
        }
        if (c.isDigit() || c == QLatin1Char('.')) {
            qsizetype start = p_;
            while (p_ < s_.size() && (s_[p_].isDigit() || s_[p_] == QLatin1Char('.'))) ++p_;
            bool ok = false;
            const QString num = s_.mid(start, p_ - start);
            auto n = make(Kind::Literal);
            if (num.contains(QLatin1Char('.'))) {
                double d = num.toDouble(&ok);
                n->literal = Value(d);
            } else {
                long long v = num.toLongLong(&ok);
                n->literal = Value(v);
            }
            if (!ok) fail("bad number");
            return n;
        }
        if (!identStart(c)) fail("unexpected character");
        QString first = ident();
        const QString upper = first.toUpper();
        skip();
        if (p_ < s_.size() && s_[p_] == QLatin1Char('(')) {
            Kind k;
            if (upper == QLatin1String("SUM"))
                k = Kind::Sum;
            else if (upper == QLatin1String("COUNT"))
                k = Kind::Count;
            else if (upper == QLatin1String("MIN"))
                k = Kind::Min;
            else if (upper == QLatin1String("MAX"))
                k = Kind::Max;
            else if (upper == QLatin1String("AVERAGE") || upper == QLatin1String("AVG"))
                k = Kind::Avg;
            else
                fail("unknown function");
            ++p_;
            auto n = make(k);
            if (!take(QLatin1Char(')'))) {
                if (k == Kind::Count) {
                    // COUNT counts rows; an argument is accepted and ignored
                    sum();
                } else {
                    n->a = sum();
                }
                if (!take(QLatin1Char(')'))) fail("missing ')'");
            } else if (k != Kind::Count) {
                fail("missing argument");
            }
            return n;
        }
        if (upper == QLatin1String("TRUE") || upper == QLatin1String("FALSE")) {
            auto n = make(Kind::Literal);
            n->literal = Value(upper == QLatin1String("TRUE"));
            return n;
        }
        auto n = make(Kind::Field);
        if (p_ < s_.size() && s_[p_] == QLatin1Char('.')) {
            ++p_;
            if (p_ >= s_.size() || !identStart(s_[p_])) fail("field name expected");
            n->qualifier = first;
            n->fieldName = ident();
        } else {
            n->fieldName = first;
        }
        return n;
    }

    const QString& s_;
    qsizetype p_ = 0;
};

void collect(Node* n, std::vector<Node*>& aggs, std::vector<Node*>& fields, bool insideAggregate) {
    if (!n) return;
    if (n->isAggregate()) {
        if (insideAggregate) throw ExpressionError("Aggregates cannot be nested");
        aggs.push_back(n);
    }
    if (n->kind == Kind::Field) fields.push_back(n);
    collect(n->a.get(), aggs, fields, insideAggregate || n->isAggregate());
    collect(n->b.get(), aggs, fields, insideAggregate || n->isAggregate());
}

Value arithmetic(Kind k, const Value& x, const Value& y) {
    if (k == Kind::Add && (x.isString() || y.isString())) return Value(x.toString() + y.toString());
    if (k != Kind::Div && x.isInt() && y.isInt()) {
        long long a = x.toInt(), b = y.toInt();
        switch (k) {
            case Kind::Add: return Value(a + b);
            case Kind::Sub: return Value(a - b);
            case Kind::Mul: return Value(a * b);
            default: break;
        }
    }
    double a = x.toDouble(), b = y.toDouble();
    switch (k) {
        case Kind::Add: return Value(a + b);
        case Kind::Sub: return Value(a - b);
        case Kind::Mul: return Value(a * b);
        case Kind::Div: return Value(b == 0 ? 0.0 : a / b);
        default: return {};
    }
}

Value eval(const Node* n, const EvalContext& ctx);

Value fieldValue(const Node* n, const EvalContext& ctx) {
    if (!n->field) throw ExpressionError("Expression field not bound: " + n->fieldName.toStdString());
    if (ctx.row && n->field->dataSet() == ctx.rowOwner) {
        const auto idx = static_cast<size_t>(n->field->index());
        return idx < ctx.row->size() ? (*ctx.row)[idx] : Value();
    }
    return n->field->value();
}

bool lessThan(const Value& a, const Value& b) { return data::compareValues(a, b) < 0; }

// Adds one row's value of the aggregate's argument to the running state.
void addToAggregate(Kind kind, const Value& v, data::Bani& bani, double& sum, Value& extreme) {
    switch (kind) {
        case Kind::Sum: {
            const double d = v.toDouble();
            if (d != 0) bani += data::toBani(d);  // most of a register's cells hold nothing
            break;
        }
        case Kind::Avg: sum += v.toDouble(); break;
        case Kind::Min:
        case Kind::Max:
            if (!v.isNull() && (extreme.isNull() || (kind == Kind::Min ? lessThan(v, extreme) : lessThan(extreme, v))))
                extreme = v;
            break;
        default: break;
    }
}

Value aggregateValue(const Node* n, const EvalContext& ctx) {
    data::Bani bani = n->bani;
    double sum = n->sum;
    long long count = n->count;
    Value extreme = n->extreme;
    if (ctx.includeCurrentRow) {
        ++count;
        const EvalContext inner;  // the current row itself
        if (n->a) addToAggregate(n->kind, eval(n->a.get(), inner), bani, sum, extreme);
    }
    switch (n->kind) {
        case Kind::Sum: return Value(data::fromBani(bani));
        case Kind::Count: return Value(count);
        case Kind::Avg: return Value(count ? sum / static_cast<double>(count) : 0.0);
        default: return extreme;
    }
}

Value eval(const Node* n, const EvalContext& ctx) {
    switch (n->kind) {
        case Kind::Literal: return n->literal;
        case Kind::Field: return fieldValue(n, ctx);
        case Kind::Neg: {
            Value v = eval(n->a.get(), ctx);
            if (v.isInt()) return Value(-v.toInt());
            return Value(-v.toDouble());
        }
        case Kind::Add:
        case Kind::Sub:
        case Kind::Mul:
        case Kind::Div: return arithmetic(n->kind, eval(n->a.get(), ctx), eval(n->b.get(), ctx));
        default: return aggregateValue(n, ctx);
    }
}

}  // namespace

Expression::Expression(const QString& text) : text_(text) {
    root_ = Parser(text_).parse();
    collect(root_.get(), aggregates_, fieldNodes_, false);
}

Expression::~Expression() = default;

void Expression::bind(const Resolver& resolve) {
    for (Node* n : fieldNodes_) {
        n->field = resolve(n->qualifier, n->fieldName);
        if (!n->field) {
            QString full = n->qualifier.isEmpty() ? n->fieldName : n->qualifier + QLatin1Char('.') + n->fieldName;
            throw ExpressionError(QStringLiteral("Expression \"%1\": unknown field %2").arg(text_, full).toStdString());
        }
    }
}

Value Expression::value(const EvalContext& ctx) const { return eval(root_.get(), ctx); }

data::Field* Expression::soleField() const { return root_->kind == Kind::Field ? root_->field : nullptr; }

void Expression::accumulate() {
    const EvalContext current;
    for (Node* n : aggregates_) {
        ++n->count;
        if (n->a) addToAggregate(n->kind, eval(n->a.get(), current), n->bani, n->sum, n->extreme);
    }
}

void Expression::reset() {
    for (Node* n : aggregates_) {
        n->bani = 0;
        n->sum = 0;
        n->count = 0;
        n->extreme = Value();
    }
}

QString formatValue(const Value& v, const QString& mask) {
    if (v.isNull()) return {};
    if (v.isNumber()) {
        if (mask.isEmpty()) {
            if (v.isInt()) return QString::number(v.toInt());
            return QString::fromStdString(data::formatGeneral(v.toDouble()));
        }
        return QString::fromStdString(data::formatFloat(mask.toStdString(), v.toDouble()));
    }
    if (v.isDate()) {
        if (!v.toDate().valid()) return {};
        if (mask.isEmpty()) return QString::fromStdString(data::formatShortDate(v.toDate()));
        return QString::fromStdString(data::formatDate(mask.toStdString(), v.toDate()));
    }
    if (v.isBool()) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return QString::fromStdString(v.toString());
}

}  // namespace reports
