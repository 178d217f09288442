#include "budget/BudgetFile.h"

#include <nettle/sha2.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <variant>

#include "budget/CalcBilant.h"
#include "data/UnitKind.h"
#include "data/Engine.h"
#include "data/Errors.h"
#include "data/Format.h"
#include "data/OrdinaryFile.h"
#include "data/StoredStatement.h"
#include "export/SafeFile.h"

namespace budget {

namespace {

std::string sha256Hex(const std::string& content) {
    sha256_ctx ctx;
    sha256_init(&ctx);
    sha256_update(&ctx, content.size(), reinterpret_cast<const uint8_t*>(content.data()));
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&ctx, SHA256_DIGEST_SIZE, digest);
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : digest) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// ---------------------------------------------------------------- writing

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string amountText(const std::optional<data::Bani>& a) {
    if (!a) return "null";
    const data::Bani v = *a < 0 ? -*a : *a;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%lld.%02lld", *a < 0 ? "-" : "", v / 100, v % 100);
    return buf;
}

std::string dateText(const std::optional<data::Date>& d) { return d ? quoted(d->iso()) : "null"; }

// Everything but the checksum, as the writer lays it out: the checksum is
// over this text, made again from what a reader parsed.
std::string body(const UnitBudget& b) {
    std::string s = "{\n";
    s += "  \"format\": " + quoted(kBudgetFileFormat) + ",\n";
    s += "  \"versiune\": " + std::to_string(kBudgetFileVersion) + ",\n";
    s += "  \"unitate\": " + quoted(b.unit.name) + ",\n";
    s += "  \"tip_unitate\": " + quoted(b.unit.kind) + ",\n";
    s += "  \"cod_fiscal\": " + quoted(b.unit.fiscalCode) + ",\n";
    s += "  \"an_lucru\": " + std::to_string(b.unit.year) + ",\n";
    s += "  \"de_la\": " + dateText(b.from) + ",\n";
    s += "  \"pana_la\": " + dateText(b.to) + ",\n";
    s += "  \"randuri\": [";
    for (size_t i = 0; i < b.lines.size(); ++i) {
        const BudgetLine& l = b.lines[i];
        s += i ? ",\n" : "\n";
        s += "    {\"nr_rand\": " + std::to_string(l.nr) + ", \"denumire\": " + quoted(l.name) +
             ", \"prevederi\": " + amountText(l.prevederi) + ", \"executie\": " + amountText(l.executie) +
             ", \"formula\": " + quoted(l.formula) + "}";
    }
    s += b.lines.empty() ? "],\n" : "\n  ],\n";
    return s;
}

// ---------------------------------------------------------------- reading

// A JSON value of the strict reader: numbers keep their text.
struct Json;
using JsonObject = std::vector<std::pair<std::string, Json>>;
using JsonArray = std::vector<Json>;
struct Number {
    std::string text;
};
struct Json {
    std::variant<std::monostate, bool, Number, std::string, std::shared_ptr<JsonArray>, std::shared_ptr<JsonObject>> v;
};

class Parser {
public:
    explicit Parser(const std::string& t) : t_(t) {}
    Json document() {
        Json j = value(0);
        blanks();
        if (p_ != t_.size()) fail("text dupa sfarsitul datelor");
        return j;
    }

private:
    [[noreturn]] void fail(const std::string& why) {
        throw BudgetFileError(why + " (la caracterul " + std::to_string(p_ + 1) + ")");
    }
    void blanks() {
        while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\n' || t_[p_] == '\r')) ++p_;
    }
    bool take(char c) {
        blanks();
        if (p_ < t_.size() && t_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!take(c)) fail(std::string("lipseste '") + c + "'");
    }
    bool word(const char* w) {
        const size_t n = std::char_traits<char>::length(w);
        if (t_.compare(p_, n, w) != 0) return false;
        p_ += n;
        return true;
    }
    Json value(int depth) {
        if (depth > 6) fail("date imbricate prea adanc");
        blanks();
        if (p_ >= t_.size()) fail("fisierul se termina neasteptat");
        const char c = t_[p_];
        if (c == '{') return object(depth);
        if (c == '[') return array(depth);
        if (c == '"') return Json{string()};
        if (word("null")) return Json{};
        if (word("true")) return Json{true};
        if (word("false")) return Json{false};
        if (c == '-' || (c >= '0' && c <= '9')) return Json{number()};
        fail("valoare necunoscuta");
    }
    Json object(int depth) {
        ++p_;
        auto o = std::make_shared<JsonObject>();
        if (!take('}')) {
            do {
                blanks();
                if (p_ >= t_.size() || t_[p_] != '"') fail("lipseste numele unui camp");
                std::string key = string();
                for (const auto& kv : *o)
                    if (kv.first == key) fail("campul " + key + " apare de doua ori");
                expect(':');
                o->emplace_back(std::move(key), value(depth + 1));
            } while (take(','));
            expect('}');
        }
        return Json{o};
    }
    Json array(int depth) {
        ++p_;
        auto a = std::make_shared<JsonArray>();
        if (!take(']')) {
            do {
                if (a->size() >= kMaxBudgetLines) fail("prea multe randuri");
                a->push_back(value(depth + 1));
            } while (take(','));
            expect(']');
        }
        return Json{a};
    }
    Number number() {
        const size_t start = p_;
        if (t_[p_] == '-') ++p_;
        const size_t digits = p_;
        while (p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]))) ++p_;
        if (p_ == digits || p_ - digits > 15) fail("numar gresit");
        if (p_ < t_.size() && t_[p_] == '.') {
            const size_t d = ++p_;
            while (p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]))) ++p_;
            if (p_ == d || p_ - d > 2) fail("suma gresita (cel mult doua zecimale)");
        }
        if (p_ < t_.size() && (t_[p_] == 'e' || t_[p_] == 'E')) fail("numar gresit");
        return Number{t_.substr(start, p_ - start)};
    }
    void utf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    unsigned hex4() {
        if (p_ + 4 > t_.size()) fail("secventa \\u gresita");
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = t_[p_++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= unsigned(c - 'A' + 10);
            else
                fail("secventa \\u gresita");
        }
        return v;
    }
    std::string string() {
        ++p_;
        std::string out;
        while (true) {
            if (p_ >= t_.size()) fail("text neincheiat");
            const unsigned char c = static_cast<unsigned char>(t_[p_++]);
            if (c == '"') break;
            if (c < 0x20) fail("caracter de control in text");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (p_ >= t_.size()) fail("text neincheiat");
            const char e = t_[p_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00) {
                        if (!word("\\u")) fail("secventa \\u gresita");
                        const unsigned low = hex4();
                        if (low < 0xDC00 || low >= 0xE000) fail("secventa \\u gresita");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else if (cp >= 0xDC00 && cp < 0xE000) {
                        fail("secventa \\u gresita");
                    }
                    utf8(out, cp);
                    break;
                }
                default: fail("secventa \\ necunoscuta");
            }
        }
        if (!data::isValidUtf8(out)) fail("text care nu este UTF-8");
        return out;
    }

    const std::string& t_;
    size_t p_ = 0;
};

// The members of an object by name, each asked for once; a member of another
// kind or one left unread refuses the file.
class Members {
public:
    Members(const Json& j, const char* what) {
        auto o = std::get_if<std::shared_ptr<JsonObject>>(&j.v);
        if (!o) throw BudgetFileError(std::string(what) + " nu este un obiect");
        obj_ = o->get();
        what_ = what;
    }
    const Json& operator[](const char* key) {
        for (const auto& [k, v] : *obj_)
            if (k == key) {
                ++used_;
                return v;
            }
        throw BudgetFileError(std::string("lipseste campul ") + key + " din " + what_);
    }
    void done() const {
        if (used_ != obj_->size()) throw BudgetFileError(std::string("campuri necunoscute in ") + what_);
    }
    std::string text(const char* key) {
        const Json& j = (*this)[key];
        if (auto s = std::get_if<std::string>(&j.v)) return *s;
        throw BudgetFileError(std::string("campul ") + key + " nu este un text");
    }
    long long integer(const char* key, long long lo, long long hi) {
        const Json& j = (*this)[key];
        auto n = std::get_if<Number>(&j.v);
        if (!n || n->text.find('.') != std::string::npos)
            throw BudgetFileError(std::string("campul ") + key + " nu este un numar intreg");
        const long long v = std::strtoll(n->text.c_str(), nullptr, 10);
        if (v < lo || v > hi) throw BudgetFileError(std::string("campul ") + key + " este in afara limitelor");
        return v;
    }
    std::optional<data::Bani> amount(const char* key) {
        const Json& j = (*this)[key];
        if (std::holds_alternative<std::monostate>(j.v)) return std::nullopt;
        auto n = std::get_if<Number>(&j.v);
        if (!n) throw BudgetFileError(std::string("campul ") + key + " nu este o suma");
        const std::string& t = n->text;
        const bool neg = t[0] == '-';
        const size_t dot = t.find('.');
        const std::string whole =
            t.substr(neg ? 1 : 0, dot == std::string::npos ? std::string::npos : dot - (neg ? 1 : 0));
        std::string frac = dot == std::string::npos ? "" : t.substr(dot + 1);
        while (frac.size() < 2) frac += '0';
        const data::Bani v = std::strtoll(whole.c_str(), nullptr, 10) * 100 + std::strtoll(frac.c_str(), nullptr, 10);
        return neg ? -v : v;
    }
    std::optional<data::Date> date(const char* key) {
        const Json& j = (*this)[key];
        if (std::holds_alternative<std::monostate>(j.v)) return std::nullopt;
        auto s = std::get_if<std::string>(&j.v);
        std::optional<data::Date> d = s ? data::Date::parseIso(*s) : std::nullopt;
        if (!d || !d->valid()) throw BudgetFileError(std::string("campul ") + key + " nu este o data");
        return d;
    }

private:
    const JsonObject* obj_;
    const char* what_;
    size_t used_ = 0;
};

bool sameColumn(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// A column of the unit record, empty where the record has no such column.
std::string optionalText(const data::ResultSet& rs, const char* column) {
    for (size_t i = 0; i < rs.columns.size(); ++i)
        if (sameColumn(rs.columns[i], column) && !rs.rows.empty()) return rs.rows[0][i].toString();
    return {};
}

std::optional<data::Bani> baniOf(const data::Value& v) {
    if (v.isNull()) return std::nullopt;
    return data::toBani(v.toDouble());
}

}  // namespace

UnitIdentity readUnitIdentity(const std::string& dir) {
    const data::ResultSet rs = data::SqlSession::forDirectory(data::runDirectory(dir))
                                   .select("SELECT * FROM \"Parohia.DB\" ORDER BY rowid LIMIT 1");
    UnitIdentity u;
    u.name = optionalText(rs, "Parohia");
    // the kind as the unit data dialog keeps it (a see's Felmarosta included)
    const std::string see = optionalText(rs, "Felmarosta");
    u.kind = data::unitCaptions(data::unitKindOf(optionalText(rs, "Tip_unitate"),
                                                 see.empty() ? std::nullopt : std::optional<bool>(see != "0")))
                 .kindName;
    u.fiscalCode = optionalText(rs, "Cod_fiscal");
    const std::string year = optionalText(rs, "An_lucru");
    u.year = year.empty() ? 0 : std::atoi(year.c_str());
    return u;
}

std::vector<BudgetLine> readBudgetLines(const std::string& dir, const std::string& file) {
    const data::ResultSet rs = data::SqlSession::forDirectory(data::runDirectory(dir))
                                   .select("SELECT rowid AS R, Nr_rand, Denumire, Prevederi, Executie, Formula FROM " +
                                           data::quoteIdent(file) + " ORDER BY Nr_rand, Denumire, rowid");
    std::vector<BudgetLine> out;
    for (const auto& r : rs.rows) {
        if (r[1].isNull()) continue;  // a line without a number takes part nowhere
        out.push_back({r[0].toInt(), static_cast<int>(r[1].toInt()), r[2].toString(), baniOf(r[3]), baniOf(r[4]),
                       r[5].toString()});
    }
    return out;
}

std::string budgetFileText(const UnitBudget& b) {
    const std::string text = body(b);
    return text + "  \"sha256\": " + quoted(sha256Hex(text)) + "\n}\n";
}

UnitBudget parseBudgetFile(const std::string& text) {
    const Json doc = Parser(text).document();
    Members m(doc, "fisier");
    const Json& format = m["format"];
    auto f = std::get_if<std::string>(&format.v);
    if (!f || *f != kBudgetFileFormat) throw BudgetFileError("este alt fel de fisier");
    if (m.integer("versiune", 0, 1000) != kBudgetFileVersion)
        throw BudgetFileError("versiune necunoscuta a formatului");
    UnitBudget b;
    b.unit.name = m.text("unitate");
    b.unit.kind = m.text("tip_unitate");
    b.unit.fiscalCode = m.text("cod_fiscal");
    b.unit.year = static_cast<int>(m.integer("an_lucru", 1900, 9999));
    b.from = m.date("de_la");
    std::optional<data::Date> to = m.date("pana_la");
    if (!to) throw BudgetFileError("lipseste data bugetului");
    b.to = *to;
    const Json& rows = m["randuri"];
    auto a = std::get_if<std::shared_ptr<JsonArray>>(&rows.v);
    if (!a) throw BudgetFileError("randurile nu sunt o lista");
    for (const Json& r : **a) {
        Members l(r, "rand");
        BudgetLine line;
        line.nr = static_cast<int>(l.integer("nr_rand", -32768, 32767));
        line.name = l.text("denumire");
        line.prevederi = l.amount("prevederi");
        line.executie = l.amount("executie");
        line.formula = l.text("formula");
        l.done();
        b.lines.push_back(std::move(line));
    }
    const std::string sum = m.text("sha256");
    m.done();
    if (sum != sha256Hex(body(b))) throw BudgetFileError("suma de control nu se potriveste");
    return b;
}

UnitBudget readBudgetFile(const std::string& path) {
    std::string text;
    try {
        text = data::readOrdinaryFile(path, kMaxBudgetFileBytes);
    } catch (const data::FileAccessError& e) {
        throw BudgetFileError("Nu pot citi fisierul " + path + ": " + e.what());
    }
    try {
        return parseBudgetFile(text);
    } catch (const BudgetFileError& e) {
        throw BudgetFileError("Fisierul " + path + " nu este un buget de unitate corect (" + e.what() + ")!");
    }
}

std::string periodText(const std::optional<data::Date>& from, const data::Date& to) {
    auto dmy = [](const data::Date& d) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
        return std::string(buf);
    };
    return from ? dmy(*from) + " - " + dmy(to) : dmy(to);
}

void exportBudget(const std::string& dirIn, const std::optional<data::Date>& from, const data::Date& to,
                  const std::string& out) {
    const std::string dir = data::runDirectory(dirIn);
    UnitBudget b;
    b.unit = readUnitIdentity(dir);
    b.from = from;
    b.to = to;
    for (const data::Date& d : {from.value_or(to), to})
        if (d.year != b.unit.year)
            throw BudgetFileError("Data " + periodText({}, d) + " nu este in anul de lucru " +
                                  std::to_string(b.unit.year) + "!");
    if (from && *from > to)
        throw BudgetFileError("Intervalul de timp nu este corect! " + periodText({}, to) + " < " +
                              periodText({}, *from));
    if (from)
        CalcBilantPerioada(*from, to, b.unit.year, dir);
    else
        CalcBilant(to, dir);
    b.lines = readBudgetLines(dir);
    for (BudgetLine& l : b.lines) l.rowid = 0;
    const std::string text = budgetFileText(b);
    std::string error;
    const bool ok = exports::writeFileSafely(
        out,
        [&](const std::string& tmp, std::string* err) {
            std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
            f << text;
            f.close();
            if (!f && err) *err = "Nu pot scrie fisierul " + tmp;
            return static_cast<bool>(f);
        },
        &error);
    if (!ok)
        throw BudgetFileError("Nu pot crea fisierul :" + out + " inchideti fisierele aferente si repetati operatia!");
}

}  // namespace budget
