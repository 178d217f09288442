// CopyWholeFile: plain and SZDD copies, error texts, and the destination's safety.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "data/Engine.h"
#include "data/FileCopy.h"
#include "support/OtherProgram.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& p) { return "\"" + p + "\""; }

// Runs the copy and returns the error text, or "" when it succeeded.
std::string copyError(const std::string& src, const std::string& dst) {
    try {
        data::CopyWholeFile(src, dst);
    } catch (const data::FileError& e) {
        return e.what();
    }
    return {};
}

// Sorted names in `dir`: a failed copy must leave no temporary file behind.
std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string binarySample(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = (i % 7 == 0) ? '\0' : static_cast<char>(rng() & 0xFF);
    return s;
}

// SZDD as COMPRESS.EXE writes it: "SZDD\x88\xF0\x27\x33", 'A', the missing
// character, the expanded length (32-bit little endian), then LZSS: a flag
// byte whose bits (lowest first) mark the next up to eight items as a literal
// byte (1) or a match (0) of two bytes: window position low 8 bits, then the
// position's high 4 bits over length-3. The 4096-byte window starts filled
// with spaces, writing at 4096-16. `matches` false gives literals only.
std::string szdd(const std::string& data, bool matches, long announced = -1) {
    if (announced < 0) announced = static_cast<long>(data.size());
    std::string out("SZDD\x88\xF0\x27\x33", 8);
    out += 'A';
    out += 'B';
    for (int k = 0; k < 4; ++k) out += static_cast<char>((announced >> (8 * k)) & 0xFF);
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t flagAt = out.size();
        out += '\0';
        unsigned flags = 0;
        for (int bit = 0; bit < 8 && i < data.size(); ++bit) {
            std::size_t bestLen = 0, bestPos = 0;
            for (std::size_t back = 1; matches && back <= std::min<std::size_t>(i, 1024); ++back) {
                std::size_t j = i - back, len = 0;
                while (len < 18 && i + len < data.size() && data[j + len] == data[i + len]) ++len;
                if (len > bestLen) bestLen = len, bestPos = j;
            }
            if (bestLen >= 3) {
                unsigned pos = static_cast<unsigned>((4096 - 16 + bestPos) & 4095);
                out += static_cast<char>(pos & 0xFF);
                out += static_cast<char>(((pos >> 4) & 0xF0) | (bestLen - 3));
                i += bestLen;
            } else {
                flags |= 1u << bit;
                out += data[i++];
            }
        }
        out[flagAt] = static_cast<char>(flags);
    }
    return out;
}

std::string textSample() {
    std::string s;
    for (int i = 0; i < 600; ++i) s += "Registru de casa, pagina " + std::to_string(i) + ": incasari si plati\r\n";
    s += std::string(37, '\0');  // odd length, not a whole number of flag groups
    return s;
}

TEST(CopyWholeFile, CopiesPlainFilesByteForByte) {
    TempDir dir;
    // Zero bytes, a size past the copy buffer, an empty file, and a file that
    // only looks like the start of a compressed one.
    const std::string samples[] = {binarySample(3 * 1024 * 1024 + 17, 1), std::string(), std::string("\0\0\0x\0", 5),
                                   "SZDD is not the whole signature"};
    for (const std::string& content : samples) {
        writeFile(dir.file("src.bin"), content);
        ASSERT_EQ(copyError(dir.file("src.bin"), dir.file("dst.bin")), "");
        EXPECT_EQ(readFile(dir.file("dst.bin")), content) << "size " << content.size();
    }
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"dst.bin", "src.bin"}));
}

TEST(CopyWholeFile, ReplacesLongerDestinationKeepingItsPermissions) {
    TempDir dir;
    writeFile(dir.file("RegGol.DB"), "short");
    writeFile(dir.file("Registru.DB"), std::string(100000, 'x'));
    ASSERT_EQ(::chmod(dir.file("Registru.DB").c_str(), 0640), 0);
    ASSERT_EQ(copyError(dir.file("RegGol.DB"), dir.file("Registru.DB")), "");
    EXPECT_EQ(readFile(dir.file("Registru.DB")), "short");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("Registru.DB").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(CopyWholeFile, ExpandsSzddSources) {
    TempDir dir;
    const std::string text = textSample();
    const std::string binary = binarySample(9000, 2);
    for (bool matches : {true, false}) {
        for (const std::string* content : {&text, &binary}) {
            std::string packed = szdd(*content, matches);
            if (matches && content == &text) {
                ASSERT_LT(packed.size(), content->size() / 2);  // matches were used
            }
            writeFile(dir.file("TEXT.TX_"), packed);
            ASSERT_EQ(copyError(dir.file("TEXT.TX_"), dir.file("text.txt")), "");
            EXPECT_EQ(readFile(dir.file("text.txt")), *content) << "matches " << matches;
        }
    }
    // Nothing but the header: an empty file.
    writeFile(dir.file("EMPTY.TX_"), szdd("", true));
    ASSERT_EQ(copyError(dir.file("EMPTY.TX_"), dir.file("empty.txt")), "");
    EXPECT_EQ(readFile(dir.file("empty.txt")), "");
}

TEST(CopyWholeFile, DamagedSzddSourceIsACopyErrorAndLeavesTheDestination) {
    TempDir dir;
    const std::string text = textSample();
    const std::string packed = szdd(text, true);
    const std::string cases[] = {
        packed.substr(0, packed.size() / 2),                   // cut in the middle
        packed.substr(0, packed.size() - 1),                   // last byte missing
        packed.substr(0, 11),                                  // header cut short
        szdd(text, true, static_cast<long>(text.size()) + 1),  // header claims more
        szdd(text, true, static_cast<long>(text.size()) - 5),  // stream gives more
    };
    const std::string src = dir.file("BILANT.DB_");
    writeFile(dir.file("Bilant.DB"), "previous content");
    for (const std::string& bad : cases) {
        writeFile(src, bad);
        EXPECT_EQ(copyError(src, dir.file("Bilant.DB")), "Eroare la copierea fisierului " + quoted(src));
        EXPECT_EQ(readFile(dir.file("Bilant.DB")), "previous content");
    }
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"BILANT.DB_", "Bilant.DB"}));
}

TEST(CopyWholeFile, SourceErrors) {
    TempDir dir;
    const std::string missing = dir.file("Lipsa.DB");
    EXPECT_EQ(copyError(missing, dir.file("out.DB")), "Nu se poate deschide fisierul sursa " + quoted(missing));
    EXPECT_FALSE(fs::exists(dir.file("out.DB")));

    fs::create_directory(dir.file("sub"));
    EXPECT_EQ(copyError(dir.file("sub"), dir.file("out.DB")), "Nu se poate deschide fisierul sursa " + quoted(dir.file("sub")));

    // Another writer holds a lock on the source: it cannot be read denying writes.
    writeFile(dir.file("busy.DB"), "data");
    LockedElsewhere writer(dir.file("busy.DB"), true);
    ASSERT_TRUE(writer.locked());
    EXPECT_EQ(copyError(dir.file("busy.DB"), dir.file("out.DB")),
              "Nu se poate deschide fisierul sursa " + quoted(dir.file("busy.DB")));
    writer.release();
    EXPECT_EQ(copyError(dir.file("busy.DB"), dir.file("out.DB")), "");
}

TEST(CopyWholeFile, DestinationErrors) {
    TempDir dir;
    const std::string src = dir.file("src.DB");
    writeFile(src, "data");
    auto destError = [&](const std::string& dst) { return copyError(src, dst); };
    auto expected = [](const std::string& dst) { return "Nu se poate crea fisierul destinatie " + quoted(dst); };

    const std::string noDir = dir.file("nu/exista/Registru.DB");
    EXPECT_EQ(destError(noDir), expected(noDir));
    const std::string underFile = dir.file("src.DB/Registru.DB");
    EXPECT_EQ(destError(underFile), expected(underFile));
    fs::create_directory(dir.file("Registru.DB"));
    EXPECT_EQ(destError(dir.file("Registru.DB")), expected(dir.file("Registru.DB")));
    // A database connection elsewhere holds a lock on the destination.
    writeFile(dir.file("Bilant.DB"), "in use");
    LockedElsewhere reader(dir.file("Bilant.DB"), false);
    ASSERT_TRUE(reader.locked());
    EXPECT_EQ(destError(dir.file("Bilant.DB")), expected(dir.file("Bilant.DB")));
    reader.release();
    EXPECT_EQ(readFile(dir.file("Bilant.DB")), "in use");
    // Copying a file over itself would destroy it on a truncating copy.
    EXPECT_EQ(destError(src), expected(src));
    EXPECT_EQ(readFile(src), "data");

    if (::geteuid() != 0) {  // permission bits do not bind root
        fs::create_directory(dir.file("ro"));
        ASSERT_EQ(::chmod(dir.file("ro").c_str(), 0555), 0);
        EXPECT_EQ(destError(dir.file("ro/x.DB")), expected(dir.file("ro/x.DB")));
        ::chmod(dir.file("ro").c_str(), 0755);
    }
}

TEST(CopyWholeFile, RefusesATableOpenInThisProcess) {
    TempDir dir;
    writeFile(dir.file("RegGol.DB"), "template");
    writeFile(dir.file("Registru.DB"), "work table");
    const std::string canonical = data::canonicalPath(dir.file("Registru.DB"));
    data::OpenFiles::instance().acquire(canonical, false);
    EXPECT_EQ(copyError(dir.file("RegGol.DB"), dir.file("Registru.DB")),
              "Nu se poate crea fisierul destinatie " + quoted(dir.file("Registru.DB")));
    EXPECT_EQ(readFile(dir.file("Registru.DB")), "work table");
    data::OpenFiles::instance().release(canonical, false);
    EXPECT_EQ(copyError(dir.file("RegGol.DB"), dir.file("Registru.DB")), "");
    EXPECT_EQ(readFile(dir.file("Registru.DB")), "template");
}

void makeDatabase(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST(CopyWholeFile, DropsTheStaleJournalOfAReplacedDatabase) {
    TempDir dir;
    makeDatabase(dir.file("RegGol.DB"), "CREATE TABLE Registru(Nr INTEGER)");
    makeDatabase(dir.file("Registru.DB"), "CREATE TABLE Registru(Nr INTEGER); INSERT INTO Registru VALUES(7)");
    writeFile(dir.file("Registru.DB-journal"), "left over from the old content");
    writeFile(dir.file("Other.DB-journal"), "not ours");

    ASSERT_EQ(copyError(dir.file("RegGol.DB"), dir.file("Registru.DB")), "");
    EXPECT_FALSE(fs::exists(dir.file("Registru.DB-journal")));
    EXPECT_TRUE(fs::exists(dir.file("Other.DB-journal")));
    EXPECT_EQ(readFile(dir.file("Registru.DB")), readFile(dir.file("RegGol.DB")));
}

}  // namespace
