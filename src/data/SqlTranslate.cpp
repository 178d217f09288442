#include "data/SqlTranslate.h"

#include <cctype>

#include "data/Format.h"

namespace data {

namespace {

enum class Tok { Word, Quoted, String, Punct, End };

struct Token {
    Tok type;
    size_t offset, length;
    std::string text;  // unquoted for Quoted
};

std::vector<Token> tokenize(const std::string& s) {
    std::vector<Token> out;
    size_t i = 0, n = s.size();
    while (i < n) {
        char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            size_t e = s.find("*/", i + 2);
            i = e == std::string::npos ? n : e + 2;
            continue;
        }
        if (c == '\'') {
            size_t j = i + 1;
            while (j < n) {
                if (s[j] == '\'') {
                    if (j + 1 < n && s[j + 1] == '\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.push_back({Tok::String, i, std::min(j + 1, n) - i, {}});
            i = j + 1;
            continue;
        }
        if (c == '"' || c == '[' || c == '`') {
            char close = c == '[' ? ']' : c;
            size_t j = s.find(close, i + 1);
            if (j == std::string::npos) j = n;
            out.push_back({Tok::Quoted, i, std::min(j + 1, n) - i, s.substr(i + 1, j - i - 1)});
            i = j + 1;
            continue;
        }
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '@' || c == '$') {
            size_t j = i + 1;
            while (j < n && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) ++j;
            out.push_back({Tok::Word, i, j - i, s.substr(i, j - i)});
            i = j;
            continue;
        }
        out.push_back({Tok::Punct, i, 1, std::string(1, c)});
        ++i;
    }
    out.push_back({Tok::End, n, 0, {}});
    return out;
}

bool isKeyword(const Token& t) {
    static const char* kw[] = {"WHERE", "GROUP", "ORDER",  "HAVING",    "UNION", "JOIN",    "INNER",
                               "LEFT",  "RIGHT", "OUTER",  "FULL",      "CROSS", "ON",      "NATURAL",
                               "LIMIT", "SET",   "VALUES", "SELECT",    "FROM",  "ADD",     "DROP",
                               "AS",    "USING", "EXCEPT", "INTERSECT", "INTO",  "DEFAULT", "IF"};
    if (t.type != Tok::Word) return false;
    for (auto* k : kw)
        if (iequals(t.text, k)) return true;
    return false;
}

bool wordIs(const Token& t, const char* w) { return t.type == Tok::Word && iequals(t.text, w); }

}  // namespace

std::string tableBaseName(const std::string& ref) {
    std::string s = ref;
    auto slash = s.find_last_of("/\\");
    if (slash != std::string::npos) s = s.substr(slash + 1);
    if (s.size() > 3 && iequals(s.substr(s.size() - 3), ".db")) s.resize(s.size() - 3);
    return s;
}

std::vector<TableRef> findTableRefs(const std::string& sql) {
    auto toks = tokenize(sql);
    std::vector<TableRef> refs;
    auto isName = [](const Token& t) { return t.type == Tok::Quoted || (t.type == Tok::Word && !isKeyword(t)); };
    // Reads one table reference at toks[i]; returns the index after it (and its alias).
    auto readRef = [&](size_t i, bool canAlias) -> size_t {
        if (!isName(toks[i])) return i;
        if (canAlias && toks[i].type == Tok::Word && toks[i + 1].type == Tok::Punct && toks[i + 1].text == "(")
            return i;  // a table-valued function, not a table
        if (toks[i + 1].type == Tok::Punct && toks[i + 1].text == ".") return i;  // schema-qualified already
        TableRef r{toks[i].offset, toks[i].length, toks[i].text, canAlias, false, false};
        size_t j = i + 1;
        if (wordIs(toks[j], "AS") && isName(toks[j + 1])) {
            r.hasAlias = true;
            j += 2;
        } else if (canAlias && isName(toks[j])) {
            r.hasAlias = true;
            j += 1;
        }
        refs.push_back(r);
        return j;
    };
    for (size_t i = 0; i + 1 < toks.size(); ++i) {
        const Token& t = toks[i];
        if (wordIs(t, "FROM")) {
            size_t j = i + 1;
            while (true) {
                size_t k = readRef(j, true);
                if (k == j) break;
                if (toks[k].type == Tok::Punct && toks[k].text == ",") {
                    j = k + 1;
                    continue;
                }
                break;
            }
        } else if (wordIs(t, "JOIN") || wordIs(t, "UPDATE")) {
            readRef(i + 1, true);
        } else if (wordIs(t, "INTO") || wordIs(t, "TABLE")) {
            readRef(i + 1, false);
        } else if (t.type == Tok::Quoted && toks[i + 1].type == Tok::Punct && toks[i + 1].text == "." &&
                   t.text.size() > 3 && iequals(t.text.substr(t.text.size() - 3), ".db")) {
            refs.push_back({t.offset, t.length, t.text, false, false, true});
        }
    }
    return refs;
}

std::optional<InsertSelect> splitInsertSelect(const std::string& sql) {
    const auto toks = tokenize(sql);
    auto punct = [&](size_t i, char c) { return toks[i].type == Tok::Punct && toks[i].text[0] == c; };
    auto name = [&](size_t i) {
        return toks[i].type == Tok::Quoted || (toks[i].type == Tok::Word && !isKeyword(toks[i]));
    };
    if (toks.size() < 9 || !wordIs(toks[0], "INSERT") || !wordIs(toks[1], "INTO")) return std::nullopt;
    if (!name(2) || !punct(3, '.') || !name(4) || !punct(5, '(')) return std::nullopt;
    InsertSelect out{toks[2].text, toks[4].text, {}, {}};
    size_t i = 6;
    while (true) {
        if (!name(i)) return std::nullopt;
        out.columns.push_back(toks[i].text);
        ++i;
        if (punct(i, ')')) break;
        if (!punct(i, ',')) return std::nullopt;
        ++i;
    }
    ++i;
    if (!wordIs(toks[i], "SELECT") && !wordIs(toks[i], "WITH")) return std::nullopt;
    for (size_t k = i; k < toks.size(); ++k)
        if (punct(k, ';') || wordIs(toks[k], "RETURNING") || wordIs(toks[k], "CONFLICT")) return std::nullopt;
    out.select = sql.substr(toks[i].offset);
    return out;
}

}  // namespace data
