#include "data/Collation.h"

#include <sqlite3.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <memory>

#include "data/DataSet.h"
#include "data/Errors.h"

namespace data {

namespace {

struct CollatorCloser {
    void operator()(UCollator* c) const noexcept { ucol_close(c); }
};

// One Romanian collator for the program run; comparisons on it may run from
// any thread.
UCollator* romanian() {
    static std::unique_ptr<UCollator, CollatorCloser> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorCloser> c(ucol_open("ro", &status));
        if (U_FAILURE(status) || !c) throw EngineError("Ordinea alfabetica romaneasca nu este disponibila");
        // secondary strength: diacritics count, letter case does not
        ucol_setStrength(c.get(), UCOL_SECONDARY);
        return c;
    }();
    return collator.get();
}

// The cedilla letters Ş ş Ţ ţ (U+015E, U+015F, U+0162, U+0163) written as the
// comma letters Ș ș Ț ț (U+0218 to U+021B): both are two bytes long.
bool hasCedilla(std::string_view s) {
    for (size_t i = 0; i + 1 < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) == 0xC5) {
            const unsigned char n = static_cast<unsigned char>(s[i + 1]);
            if (n == 0x9E || n == 0x9F || n == 0xA2 || n == 0xA3) return true;
        }
    return false;
}

std::string withCommaLetters(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i + 1 < out.size(); ++i) {
        if (static_cast<unsigned char>(out[i]) != 0xC5) continue;
        const unsigned char n = static_cast<unsigned char>(out[i + 1]);
        char repl = 0;
        switch (n) {
            case 0x9E: repl = '\x98'; break;  // Ş -> Ș
            case 0x9F: repl = '\x99'; break;  // ş -> ș
            case 0xA2: repl = '\x9A'; break;  // Ţ -> Ț
            case 0xA3: repl = '\x9B'; break;  // ţ -> ț
            default: break;
        }
        if (repl) {
            out[i] = '\xC8';
            out[i + 1] = repl;
            ++i;
        }
    }
    return out;
}

// The base letter of U+00C0..U+017F in lower case, '.' where the character is kept.
constexpr std::string_view kLatin1 = "aaaaaa.ceeeeiiiidnooooo.ouuuuy..aaaaaa.ceeeeiiiidnooooo.ouuuuy.y";
constexpr std::string_view kLatinExtA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii..jjkk.llllllllllnnnnnn.nnoooooo..rrrrrrssssssssttttttuuuuuuu"
    "uuuuuwwyyyzzzzzzs";
static_assert(kLatin1.size() == 64 && kLatinExtA.size() == 128);

// Appends the fold of one code point.
void foldCodePoint(char32_t cp, std::string_view raw, std::string& out) {
    char base = 0;
    if (cp >= 0xC0 && cp < 0x100) {
        base = kLatin1[cp - 0xC0];
    } else if (cp >= 0x100 && cp < 0x180) {
        base = kLatinExtA[cp - 0x100];
    } else if (cp >= 0x218 && cp <= 0x21B) {
        base = cp < 0x21A ? 's' : 't';
    } else if (cp >= 0x300 && cp < 0x370) {
        return;  // a combining mark of a decomposed letter
    }
    if (base && base != '.')
        out += base;
    else
        out.append(raw);
}

void foldInto(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : static_cast<char>(c);
            ++i;
            continue;
        }
        size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + len > text.size()) len = text.size() - i;
        char32_t cp = len == 2 ? ((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F) : 0;
        foldCodePoint(cp, text.substr(i, len), out);
        i += len;
    }
}

int sqlCollate(void*, int n1, const void* a, int n2, const void* b) {
    return compareRomanian(std::string_view(static_cast<const char*>(a), static_cast<size_t>(n1)),
                           std::string_view(static_cast<const char*>(b), static_cast<size_t>(n2)));
}

}  // namespace

int compareRomanian(std::string_view a, std::string_view b) {
    if (hasCedilla(a) || hasCedilla(b)) {
        const std::string ca = withCommaLetters(a), cb = withCommaLetters(b);
        return compareRomanian(ca, cb);
    }
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(romanian(), a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status)) return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

std::string romanianSortKey(std::string_view text) {
    const std::string comma = hasCedilla(text) ? withCommaLetters(text) : std::string(text);
    std::u16string wide(comma.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8Lenient(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()), &length,
                         comma.data(), static_cast<int32_t>(comma.size()), &status);
    if (U_FAILURE(status)) return comma;
    std::string key(static_cast<size_t>(length) * 4 + 16, '\0');
    for (;;) {
        const int32_t n = ucol_getSortKey(romanian(), reinterpret_cast<const UChar*>(wide.data()), length,
                                          reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
        if (n <= static_cast<int32_t>(key.size())) {
            key.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);  // without the closing zero
            return key;
        }
        key.resize(static_cast<size_t>(n));
    }
}

std::string foldForMatch(std::string_view text) {
    std::string out;
    foldInto(text, out);
    return out;
}

bool containsFolded(std::string_view text, std::string_view foldedNeedle) {
    thread_local std::string folded;
    foldInto(text, folded);
    return folded.find(foldedNeedle) != std::string::npos;
}

bool startsFolded(std::string_view text, std::string_view foldedNeedle) {
    thread_local std::string folded;
    foldInto(text, folded);
    return folded.starts_with(foldedNeedle);
}

bool locateFolded(DataSet& ds, const std::string& field, std::string_view typed) {
    const std::string needle = foldForMatch(typed);
    const size_t column = static_cast<size_t>(ds.fieldByName(field).index());
    const int n = ds.recordCount();
    for (int i = 0; i < n; ++i) {
        const Value v = ds.rowValues(i).at(column);
        if (v.isNull() || !startsFolded(v.toString(), needle)) continue;
        ds.setRecNo(i + 1);
        return true;
    }
    return false;
}

void registerRomanian(sqlite3* db) {
    romanian();  // refuses before the connection is used when ICU has no Romanian order
    sqlite3_create_collation(db, kRomanianCollation, SQLITE_UTF8, nullptr, &sqlCollate);
}

}  // namespace data
