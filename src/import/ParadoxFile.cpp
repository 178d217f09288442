#include "import/ParadoxFile.h"

extern "C" {
#include <paradox.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "data/Engine.h"
#include "data/Windows1250.h"

namespace fs = std::filesystem;

namespace paradox {
namespace {

// Days between the Paradox day count (1 = 1 January of year 1) and the
// serial day numbers of pxlib's calendar functions.
constexpr long kSdnOffset = 1721425;
// Bytes of a memo field that point into the memo file.
constexpr int kBlobPointer = 10;
constexpr long long kMbBlock = 4096;

unsigned le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned long le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned long>(p[3]) << 24);
}

FieldKind kindOf(int type) {
    switch (type) {
        case pxfAlpha: return FieldKind::Text;
        case pxfMemoBLOb:
        case pxfFmtMemoBLOb: return FieldKind::Memo;
        case pxfShort:
        case pxfLong:
        case pxfAutoInc: return FieldKind::Integer;
        case pxfNumber:
        case pxfCurrency: return FieldKind::Number;
        case pxfBCD: return FieldKind::Bcd;
        case pxfDate: return FieldKind::Date;
        case pxfLogical: return FieldKind::Logical;
        default: return FieldKind::Unsupported;
    }
}

// The bytes a field of a fixed-size type takes; 0 for the others.
int fixedLength(int type) {
    switch (type) {
        case pxfLogical: return 1;
        case pxfShort: return 2;
        case pxfLong:
        case pxfAutoInc:
        case pxfDate: return 4;
        case pxfNumber:
        case pxfCurrency: return 8;
        case pxfBCD: return 17;
        default: return 0;
    }
}

// Paradox keeps a number big-endian with its sign bit inverted, so that its
// bytes sort as the numbers do: an integer of n bytes is stored offset by
// half its range (80 00 00 01 is 1, 7F FF FF FF is -1); a double that is not
// negative has its sign bit set, a negative one every bit inverted. Read here
// with plain unsigned arithmetic (pxlib reads past its buffer and shifts
// negative values on these).
long long paradoxInteger(const unsigned char* p, int n) {
    unsigned long long u = 0;
    for (int i = 0; i < n; ++i) u = u << 8 | p[i];
    return static_cast<long long>(u) - (1LL << (8 * n - 1));
}

double paradoxDouble(const unsigned char* p) {
    const bool negative = (p[0] & 0x80) == 0;
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u = u << 8 | static_cast<unsigned char>(negative ? ~p[i] : p[i]);
    if (!negative) u &= ~(std::uint64_t{1} << 63);
    double d = 0;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

// Reads exactly `n` bytes at `offset`; false at the end of the file or on error.
bool readAt(int fd, long long offset, void* buf, size_t n) {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        ssize_t r = ::pread(fd, p, n, offset);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r, n -= static_cast<size_t>(r), offset += r;
    }
    return true;
}

}  // namespace

int openRegularFile(const std::string& path, long long& size) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer before it is refused
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw ImportError("Fisierul " + path + " nu poate fi deschis: " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ImportError(path + " nu este un fisier obisnuit.");
    }
    size = st.st_size;
    return fd;
}

std::string typeName(int type) {
    switch (type) {
        case pxfAlpha: return "alfanumeric";
        case pxfDate: return "data";
        case pxfShort: return "intreg scurt";
        case pxfLong: return "intreg lung";
        case pxfCurrency: return "valoare monetara";
        case pxfNumber: return "numar";
        case pxfLogical: return "logic";
        case pxfMemoBLOb: return "memo";
        case pxfFmtMemoBLOb: return "memo formatat";
        case pxfAutoInc: return "autoincrement";
        case pxfBCD: return "BCD";
        case pxfBLOb: return "BLOB";
        case pxfOLE: return "OLE";
        case pxfGraphic: return "imagine";
        case pxfTime: return "ora";
        case pxfTimestamp: return "data si ora";
        case pxfBytes: return "octeti";
        default: return "tip necunoscut " + std::to_string(type);
    }
}

struct ParadoxFile::Impl {
    int fd = -1;
    FILE* fp = nullptr;
    pxdoc_t* doc = nullptr;
    long long size = 0;
    std::string lastError;
    std::vector<char> record;
    // the memo file, opened when a memo is not held whole in its record
    bool mbLooked = false;
    int mbFd = -1;
    long long mbSize = 0;
    std::string mbPath;

    ~Impl() {
        if (doc) {
            PX_close(doc);
            PX_delete(doc);
        }
        if (fp)
            std::fclose(fp);  // closes fd
        else if (fd >= 0)
            ::close(fd);
        if (mbFd >= 0) ::close(mbFd);
    }
    static void onError(pxdoc_t*, int level, const char* msg, void* self) {
        if (level != PX_Warning && msg) static_cast<Impl*>(self)->lastError = msg;
    }
};

void ParadoxFile::fail(long long row, const std::string& why) const {
    throw ImportError("Tabela " + path_ + " nu poate fi citita la inregistrarea " + std::to_string(row + 1) + ": " +
                      why);
}

ParadoxFile::ParadoxFile(const std::string& path) : path_(path), impl_(std::make_unique<Impl>()) {
    Impl& m = *impl_;
    m.fd = openRegularFile(path, m.size);
    auto damaged = [&](const std::string& why) { throw ImportError("Tabela " + path + " este deteriorata: " + why); };
    // The header's counts, checked before pxlib reads anything.
    unsigned char h[0x58];
    if (m.size < static_cast<long long>(sizeof h) || !readAt(m.fd, 0, h, sizeof h))
        damaged("fisierul este prea scurt pentru antetul unei tabele Paradox");
    const unsigned recordSize = le16(h), headerSize = le16(h + 2), fileType = h[4], blockKb = h[5];
    const unsigned long records = le32(h + 6);
    const unsigned numFields = le16(h + 0x21);
    if (fileType != pxfFileTypIndexDB && fileType != pxfFileTypNonIndexDB) damaged("nu este o tabela Paradox (.DB)");
    if (recordSize == 0 || numFields == 0 || numFields > 255 || headerSize < sizeof h ||
        headerSize > static_cast<unsigned long long>(m.size) || blockKb == 0 || blockKb > 32)
        damaged("antetul are valori imposibile");
    // A password-protected table cannot be read (and pxlib would decrypt
    // garbage block pointers); newer files keep the mark in their data header.
    {
        unsigned long mark = le32(h + 0x25);
        unsigned char e2[4];
        if (mark == 0xFF00FF00UL) mark = headerSize >= 0x60 && readAt(m.fd, 0x5C, e2, 4) ? le32(e2) : 1;
        if (mark != 0) damaged("tabela este protejata cu parola");
    }
    const long long room = m.size - headerSize;
    if (static_cast<long long>(records) * recordSize > room)
        fail(room / recordSize, "fisierul se termina inainte de aceasta inregistrare (trunchiat)");
    // The chain of data blocks, walked before pxlib does: every block inside
    // the file, none visited twice, and as many records in them as the header
    // says (pxlib would loop for ever on a chain that runs in a circle).
    {
        const long long blockSize = blockKb * 1024LL;
        const unsigned fileBlocks = le16(h + 0x0C);
        std::vector<bool> seen(fileBlocks + 1, false);
        long long counted = 0;
        for (unsigned block = fileBlocks ? le16(h + 0x0E) : 0; block != 0;) {
            if (block > fileBlocks || seen[block]) fail(counted, "lantul blocurilor de date este deteriorat");
            seen[block] = true;
            const long long at = headerSize + (block - 1) * blockSize;
            unsigned char bh[6];
            if (at + blockSize > m.size || !readAt(m.fd, at, bh, sizeof bh))
                fail(counted, "fisierul este trunchiat (blocul de date al inregistrarii nu este intreg)");
            const int extra = static_cast<int16_t>(le16(bh + 4));
            const long long inBlock = extra < 0 ? 0 : extra / static_cast<int>(recordSize) + 1;
            if (extra >= 0 && (extra % recordSize != 0 || inBlock * recordSize > blockSize - 6))
                fail(counted, "un bloc de date este deteriorat");
            counted += inBlock;
            block = le16(bh);
        }
        if (counted != static_cast<long long>(records))
            fail(std::min<long long>(counted, records), "antetul numara " + std::to_string(records) +
                                                            " inregistrari, blocurile de date " +
                                                            std::to_string(counted));
    }

    m.fp = ::fdopen(m.fd, "rb");
    if (!m.fp) throw ImportError("Fisierul " + path + " nu poate fi deschis: " + std::strerror(errno));
    m.doc = PX_new3(&Impl::onError, nullptr, nullptr, nullptr, &m);
    if (!m.doc) throw ImportError("Memorie insuficienta pentru tabela " + path);
    if (PX_open_fp(m.doc, m.fp) < 0) damaged(m.lastError.empty() ? "antetul nu poate fi citit" : m.lastError);
    pxhead_t* head = m.doc->px_head;
    if (!head || head->px_numfields != static_cast<int>(numFields) ||
        head->px_recordsize != static_cast<int>(recordSize))
        damaged("antetul nu poate fi citit");
    if (head->px_encryption != 0) damaged("tabela este protejata cu parola");
    int offset = 0;
    for (int i = 0; i < head->px_numfields; ++i) {
        const pxfield_t& pf = head->px_fields[i];
        if (!pf.px_fname || pf.px_flen <= 0) damaged("descrierea campului " + std::to_string(i + 1) + " lipseste");
        ParadoxField f;
        std::string raw(pf.px_fname);
        if (data::textAsUtf8(raw, f.name) != std::string::npos)
            damaged("numele campului " + std::to_string(i + 1) + " nu este scris in Windows-1250");
        f.type = static_cast<unsigned char>(pf.px_ftype);
        f.kind = kindOf(f.type);
        f.length = pf.px_flen;
        f.offset = offset;
        f.decimals = pf.px_fdc;
        if (f.kind == FieldKind::Memo && f.length < kBlobPointer) damaged("campul " + f.name + " este prea scurt");
        if (const int n = fixedLength(f.type); n != 0 && f.length != n)
            damaged("campul " + f.name + " are " + std::to_string(f.length) + " octeti, tipul " + typeName(f.type) +
                    " are " + std::to_string(n));
        offset += pf.px_flen;
        fields_.push_back(std::move(f));
    }
    if (offset != head->px_recordsize) damaged("lungimea inregistrarii nu se potriveste cu campurile");
    records_ = head->px_numrecords < 0 ? 0 : head->px_numrecords;
    codePage_ = head->px_doscodepage;
    if (static_cast<unsigned long>(records_) != records) damaged("numarul de inregistrari nu poate fi citit");
    m.record.resize(recordSize);
}

ParadoxFile::~ParadoxFile() = default;

std::string ParadoxFile::memoText(long long row, const ParadoxField& f, const char* data) {
    Impl& m = *impl_;
    const int leader = f.length - kBlobPointer;
    const auto* ptr = reinterpret_cast<const unsigned char*>(data + leader);
    const unsigned long where = le32(ptr), size = le32(ptr + 4);
    if (size == 0) return {};
    if (size <= static_cast<unsigned long>(leader)) return std::string(data, size);
    if (!m.mbLooked) {
        m.mbLooked = true;
        fs::path p(path_);
        std::string base = p.stem().string();
        std::string found = data::resolveTableFile(p.parent_path().string(), base + ".MB");
        if (!found.empty()) {
            m.mbPath = found;
            m.mbFd = openRegularFile(found, m.mbSize);
        }
    }
    if (m.mbFd < 0) fail(row, "campul " + f.name + " are textul in fisierul .MB, care lipseste");
    auto bad = [&](const std::string& why) { fail(row, "campul " + f.name + ": fisierul " + m.mbPath + " " + why); };
    const long long block = static_cast<long long>(where & 0xFFFFFF00UL);
    const unsigned index = where & 0xFF;
    unsigned char head[12];
    if (block == 0 || block + static_cast<long long>(sizeof head) > m.mbSize ||
        !readAt(m.mbFd, block, head, sizeof head))
        bad("nu contine textul (trunchiat sau deteriorat)");
    long long start = 0;
    if (head[0] == 2) {  // one memo in blocks of its own
        if (index != 0xFF || le32(head + 3) != size) bad("este deteriorat");
        start = block + 9;
    } else if (head[0] == 3) {  // several small memos in one block
        unsigned char slot[5];
        if (index >= 64 || !readAt(m.mbFd, block + 12 + index * 5, slot, sizeof slot)) bad("este deteriorat");
        if (slot[1] == 0 || static_cast<unsigned long>(slot[1] - 1) * 16 + slot[4] != size) bad("este deteriorat");
        start = block + slot[0] * 16;
        if (slot[0] == 0 || start + static_cast<long long>(size) > block + kMbBlock) bad("este deteriorat");
    } else {
        bad("este deteriorat");
    }
    if (start + static_cast<long long>(size) > m.mbSize) bad("se termina inaintea textului (trunchiat)");
    std::string text(size, '\0');
    if (!readAt(m.mbFd, start, text.data(), size)) bad("nu poate fi citit");
    return text;
}

void ParadoxFile::read(long long row, std::vector<data::Value>& values) {
    Impl& m = *impl_;
    m.lastError.clear();
    if (!PX_get_record(m.doc, static_cast<int>(row), m.record.data()))
        fail(row, m.lastError.empty() ? "inregistrarea nu poate fi citita (fisier deteriorat)" : m.lastError);
    values.resize(fields_.size());
    for (size_t i = 0; i < fields_.size(); ++i) {
        const ParadoxField& f = fields_[i];
        char* p = m.record.data() + f.offset;
        const auto* u = reinterpret_cast<const unsigned char*>(p);
        data::Value& v = values[i];
        v = data::Value();
        // a blank field is all zero bytes, whatever its type
        if (std::all_of(p, p + f.length, [](char c) { return c == 0; })) continue;
        switch (f.kind) {
            case FieldKind::Text:
            case FieldKind::Memo: {
                std::string raw;
                if (f.kind == FieldKind::Text) {
                    raw.assign(p, strnlen(p, static_cast<size_t>(f.length)));
                } else {
                    raw = memoText(row, f, p);
                    while (!raw.empty() && raw.back() == '\0') raw.pop_back();
                }
                if (raw.empty()) break;
                std::string text;
                size_t bad = data::appendWindows1250AsUtf8(raw, text);
                if (bad != std::string::npos) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(raw[bad]));
                    fail(row, "campul " + f.name + " contine octetul " + hex +
                                  ", care nu exista in Windows-1250 (alta pagina de cod?)");
                }
                v = std::move(text);
                break;
            }
            case FieldKind::Integer: v = paradoxInteger(u, f.length); break;
            case FieldKind::Number: {
                const double d = paradoxDouble(u);
                if (!std::isfinite(d)) fail(row, "campul " + f.name + " nu contine un numar");
                v = d;
                break;
            }
            case FieldKind::Bcd: {
                char* s = nullptr;
                int rc = PX_get_data_bcd(m.doc, reinterpret_cast<unsigned char*>(p), f.decimals, &s);
                if (rc > 0 && s) {
                    char* end = nullptr;
                    double d = std::strtod(s, &end);
                    bool ok = end != s && *end == '\0' && std::isfinite(d);
                    m.doc->free(m.doc, s);
                    if (!ok) fail(row, "campul " + f.name + " nu contine un numar");
                    v = d;
                } else if (rc < 0) {
                    fail(row, "campul " + f.name + " nu poate fi citit");
                }
                break;
            }
            case FieldKind::Date: {
                const long long days = paradoxInteger(u, 4);
                int y = 0, mo = 0, d = 0;
                if (days > 0 && days < 3652060) PX_SdnToGregorian(days + kSdnOffset, &y, &mo, &d);
                if (!data::Date::isValid(y, mo, d) || y < 1 || y > 9999)
                    fail(row, "campul " + f.name + " nu contine o data valida");
                v = data::Date{y, mo, d};
                break;
            }
            // 80 is false, 81 true
            case FieldKind::Logical: v = u[0] != 0x80; break;
            case FieldKind::Unsupported: break;
        }
    }
}

}  // namespace paradox
