// The import of an older installation, from Paradox tables written here with
// pxlib into a new installation read back through the table engine.
#include <gtest/gtest.h>
#include <iconv.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "ParadoxWriter.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Journal.h"
#include "data/Money.h"
#include "data/Schema.h"
#include "entry/Balances.h"
#include "import/ImportParadox.h"
#include "import/ParadoxFile.h"
#include "data/Windows1250.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using data::Date;
using data::Value;
using pxtest::Field;

namespace {

// Every file under `root` with its content, to show that the import only reads.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::recursive_directory_iterator(root))
        m[e.path().lexically_relative(root).string()] = e.is_regular_file() ? readFile(e.path()) : "<dir>";
    return m;
}

data::ResultSet select(const std::string& dir, const std::string& sql) {
    return data::SqlSession::forDirectory(dir).select(sql);
}

// Entries beside DEST other than those named: the import's work directory must not stay.
std::vector<std::string> leftovers(const fs::path& parent, const std::vector<std::string>& expected) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(parent)) {
        std::string n = e.path().filename().string();
        if (std::find(expected.begin(), expected.end(), n) == expected.end()) out.push_back(n);
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------- code page

TEST(Windows1250Test, EveryByteAsTheSystemConverterReadsIt) {
    iconv_t cd = iconv_open("UTF-8", "CP1250");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int undefined = 0;
    for (int b = 1; b < 256; ++b) {
        char in[1] = {static_cast<char>(b)};
        char outBuf[8];
        char* ip = in;
        char* op = outBuf;
        size_t il = 1, ol = sizeof outBuf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        bool sysOk = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1);
        std::string mine;
        size_t bad = data::appendWindows1250AsUtf8(std::string_view(in, 1), mine);
        if (!sysOk) {
            EXPECT_EQ(bad, 0u) << "byte " << b;
            ++undefined;
        } else {
            EXPECT_EQ(bad, std::string::npos) << "byte " << b;
            EXPECT_EQ(mine, std::string(outBuf, op)) << "byte " << b;
        }
    }
    iconv_close(cd);
    EXPECT_EQ(undefined, 5);
}

TEST(Windows1250Test, RomanianLettersAndCedillaFormsKeptAsTyped) {
    std::string out;
    // ă â î ş ţ Ă Â Î Ş Ţ
    ASSERT_EQ(data::appendWindows1250AsUtf8("\xE3\xE2\xEE\xBA\xFE \xC3\xC2\xCE\xAA\xDE", out), std::string::npos);
    EXPECT_EQ(out, "ăâîşţ ĂÂÎŞŢ");
    EXPECT_EQ(out.find("ș"), std::string::npos);  // never turned into the comma forms
    // a byte the code page leaves undefined: its offset, nothing appended
    std::string partial = "x";
    EXPECT_EQ(data::appendWindows1250AsUtf8("ab\x98", partial), 2u);
    EXPECT_EQ(partial, "x");
    // a file already in UTF-8 is kept; plain ASCII and Windows-1250 are read as such
    std::string t1, t2;
    data::textAsUtf8("Sfântul Ilie", t1);
    data::textAsUtf8("Sf\xE2ntul Ilie", t2);
    EXPECT_EQ(t1, "Sfântul Ilie");
    EXPECT_EQ(t2, "Sfântul Ilie");
}

// ---------------------------------------------------------------- one table

class ParadoxFileTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(ParadoxFileTest, EveryFieldTypeAndBlanks) {
    const std::string longMemo(9000, 'm');  // over two blocks of the memo file
    pxtest::writeTable(dir.file("T.DB"),
                       {{"Text", pxtest::Alpha, 20},
                        {"Mic", pxtest::Short},
                        {"Mare", pxtest::Long},
                        {"Nr", pxtest::AutoInc},
                        {"Suma", pxtest::Number},
                        {"Bani", pxtest::Money},
                        {"Zi", pxtest::Day},
                        {"Da", pxtest::Logical},
                        {"Nota", pxtest::Memo, 20},
                        {"Ora", pxtest::Time}},
                       {{"\xC3ns\xBA", -7, 100000, 1, -2.5, 1234.56, Date{1901, 2, 3}, true, "scurt", 5},
                        {Value(), Value(), Value(), 3, Value(), 0.0, Date{2100, 12, 31}, false, longMemo, Value()},
                        {"x", -32767, -2147483647, 2147483647, -1e300, -0.01, Date{1, 1, 1}, true, Value(), Value()}},
                       dir.file("T.MB"));
    paradox::ParadoxFile px(dir.file("T.DB"));
    ASSERT_EQ(px.recordCount(), 3);
    ASSERT_EQ(px.fields().size(), 10u);
    EXPECT_EQ(px.fields()[8].kind, paradox::FieldKind::Memo);
    EXPECT_EQ(px.fields()[9].kind, paradox::FieldKind::Unsupported);
    std::vector<Value> v;
    px.read(0, v);
    EXPECT_EQ(v[0], Value("Ănsş"));
    EXPECT_EQ(v[1], Value(-7));
    EXPECT_EQ(v[2], Value(100000));
    EXPECT_EQ(v[3], Value(1));
    EXPECT_EQ(v[4], Value(-2.5));
    EXPECT_EQ(v[5], Value(1234.56));
    EXPECT_EQ(v[6], Value(Date{1901, 2, 3}));
    EXPECT_EQ(v[7], Value(true));
    EXPECT_EQ(v[8], Value("scurt"));
    EXPECT_TRUE(v[9].isNull());
    px.read(1, v);
    for (int i : {0, 1, 2, 4}) EXPECT_TRUE(v[i].isNull()) << i;
    EXPECT_EQ(v[5], Value(0.0));  // a written zero is a zero, not a blank
    EXPECT_EQ(v[6], Value(Date{2100, 12, 31}));
    EXPECT_EQ(v[7], Value(false));
    EXPECT_EQ(v[8], Value(longMemo));  // from the memo file
    px.read(2, v);                     // the ends of the ranges, negative values read without pxlib's faults
    EXPECT_EQ(std::vector<Value>(v.begin() + 1, v.begin() + 7),
              (std::vector<Value>{-32767, -2147483647, 2147483647, -1e300, -0.01, Date{1, 1, 1}}));

    // a field whose length is not its type's (the record still adds up)
    pxtest::writeTable(dir.file("L.DB"), {{"Mare", pxtest::Long}, {"Mic", pxtest::Short}}, {{-5, 3}});
    std::string l = readFile(dir.file("L.DB"));
    const size_t types = l.find(std::string("\x04\x04\x03\x02", 4), 0x58);
    ASSERT_NE(types, std::string::npos);
    l[types + 1] = 2, l[types + 3] = 4;
    writeFile(dir.file("L.DB"), l);
    try {
        paradox::ParadoxFile bad(dir.file("L.DB"));
        std::vector<Value> w;
        bad.read(0, w);
        ADD_FAILURE() << "read as " << w[0].toString() << ", " << w[1].toString();
    } catch (const paradox::ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("campul Mare are 2 octeti"), std::string::npos) << e.what();
    }

    pxtest::writeTable(dir.file("Gol.DB"), {{"Text", pxtest::Alpha, 20}}, {});
    EXPECT_EQ(paradox::ParadoxFile(dir.file("Gol.DB")).recordCount(), 0);
}

TEST_F(ParadoxFileTest, DamagedAndForeignFilesRefusedWithFileAndRow) {
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 500; ++i) rows.push_back({i, "rand"});
    pxtest::writeTable(dir.file("T.DB"), {{"Nr", pxtest::Long}, {"Text", pxtest::Alpha, 40}}, rows);
    const std::string whole = readFile(dir.file("T.DB"));

    writeFile(dir.file("Trunchiat.DB"), whole.substr(0, whole.size() - 9000));
    try {
        paradox::ParadoxFile px(dir.file("Trunchiat.DB"));
        std::vector<Value> v;
        for (long long r = 0; r < px.recordCount(); ++r) px.read(r, v);
        FAIL() << "a truncated table was read whole";
    } catch (const paradox::ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("Trunchiat.DB"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("inregistrarea "), std::string::npos) << e.what();
    }

    writeFile(dir.file("Antet.DB"), whole.substr(0, 40));
    EXPECT_THROW(paradox::ParadoxFile(dir.file("Antet.DB")), paradox::ImportError);
    writeFile(dir.file("Text.DB"), std::string(4096, 'x'));
    EXPECT_THROW(paradox::ParadoxFile(dir.file("Text.DB")), paradox::ImportError);
    ASSERT_EQ(::mkfifo(dir.file("Fifo.DB").c_str(), 0600), 0);
    try {
        paradox::ParadoxFile px(dir.file("Fifo.DB"));
        FAIL() << "a FIFO was opened as a table";
    } catch (const paradox::ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("nu este un fisier obisnuit"), std::string::npos) << e.what();
    }

    // a memo kept in a memo file that is missing, and one in a damaged memo file
    pxtest::writeTable(dir.file("M.DB"), {{"Nota", pxtest::Memo, 20}}, {{"scurt"}, {std::string(300, 'z')}},
                       dir.file("M.MB"));
    const std::string mb = readFile(dir.file("M.MB"));
    std::vector<Value> v;
    fs::remove(dir.file("M.MB"));
    {
        paradox::ParadoxFile px(dir.file("M.DB"));
        px.read(0, v);
        EXPECT_EQ(v[0], Value("scurt"));
        try {
            px.read(1, v);
            FAIL() << "a memo without its file was read";
        } catch (const paradox::ImportError& e) {
            EXPECT_NE(std::string(e.what()).find("inregistrarea 2"), std::string::npos) << e.what();
        }
    }
    writeFile(dir.file("M.MB"), mb.substr(0, 4096 + 20));
    paradox::ParadoxFile px(dir.file("M.DB"));
    EXPECT_THROW(px.read(1, v), paradox::ImportError);
}

TEST_F(ParadoxFileTest, AnyDamagedHeaderByteIsReadOrRefusedNeverTrusted) {
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 60; ++i) rows.push_back({i, "r\xE2nd", Date{2000, 1, 1 + i % 28}, std::string(i * 7, 'q')});
    pxtest::writeTable(
        dir.file("T.DB"),
        {{"Nr", pxtest::Long}, {"Text", pxtest::Alpha, 40}, {"Zi", pxtest::Day}, {"Nota", pxtest::Memo, 15}}, rows,
        dir.file("T.MB"));
    const std::string db = readFile(dir.file("T.DB")), mb = readFile(dir.file("T.MB"));
    int refused = 0;
    auto attempt = [&](const std::string& dbBytes, const std::string& mbBytes) {
        writeFile(dir.file("X.DB"), dbBytes);
        writeFile(dir.file("X.MB"), mbBytes);
        try {
            paradox::ParadoxFile px(dir.file("X.DB"));
            std::vector<Value> v;
            for (long long r = 0; r < px.recordCount(); ++r) px.read(r, v);
        } catch (const paradox::ImportError& e) {
            ++refused;
            EXPECT_NE(std::string(e.what()).find("X."), std::string::npos) << e.what();
        }
    };
    // the counts, pointers and field descriptions first, then the rest of the header
    for (size_t at = 0; at < 2048; at += at < 0x200 ? 1 : 5)
        for (unsigned char b : {0x00, 0x7F, 0xFF}) {
            std::string d = db;
            d[at] = static_cast<char>(b);
            attempt(d, mb);
        }
    // the memo file's blocks and the records' pointers into it
    for (size_t at = 4096; at < mb.size(); at += 37) {
        std::string m = mb;
        m[at] = static_cast<char>(0xFF);
        attempt(db, m);
    }
    for (size_t at = 2048; at < db.size() && at < 2048 + 60 * 67; at += 13) {
        std::string d = db;
        d[at] = static_cast<char>(0xFF);
        attempt(d, mb);
    }
    EXPECT_GT(refused, 0);
}

// ---------------------------------------------------------------- a whole installation

class ImportTest : public ::testing::Test {
protected:
    TempDir tmp;
    fs::path src = fs::path(tmp.path()) / "vechi";
    fs::path dest = fs::path(tmp.path()) / "nou";

    struct Doc {
        double amount;
        const char* account;
    };
    std::vector<Doc> receipts{{100.5, "Casa"}, {2000, "Banca"}, {15.25, "Casa"}, {7, "Altceva"}};
    std::vector<Doc> payments{{30, "Casa"}, {400.754, "Banca"}};  // stored to the ban: 400.75
    std::vector<double> deposits{50}, withdrawals{20.5, 10};
    double openCash = 1000, openBank = 5000;

    void SetUp() override {
        fs::create_directories(src);
        using namespace pxtest;
        // file names in the letter cases an old installation may have
        writeTable((src / "PAROHIA.DB").string(),
                   {{"Parohia", Alpha, 100}, {"Preot", Alpha, 100}, {"An_lucru", Short}, {"Fax", Alpha, 20}},
                   {{"Parohia Sf\xE2ntul Ilie", "Pr. \xBAtefan \xDE\xE3ranu", 2024, "0123"}});
        writeTable(
            (src / "contor.db").string(),
            {{"Count_venit", Number}, {"Count_chelt", Number}, {"Sold_init_casa", Money}, {"Sold_init_banca", Money}},
            {{4, 2, openCash, openBank}});
        std::vector<std::vector<Value>> rows;
        const Date dates[] = {{1969, 12, 31}, {2024, 3, 1}, {2039, 1, 19}, {1900, 1, 1}};
        for (size_t i = 0; i < receipts.size(); ++i)
            rows.push_back({static_cast<double>(i + 1), dates[i], "Chitan\xFE\xE3", 3, "Dona\xFEii", Value(),
                            i == 1 ? Value() : Value("Ofrand\xE3 \xEEn amintirea lui \xAA"), receipts[i].amount,
                            receipts[i].account, dates[i]});
        writeTable((src / "Venituri.DB").string(),
                   {{"Nr_act", Number},
                    {"Data", Day},
                    {"Fel", Alpha, 15},
                    {"Cod_venit", Short},
                    {"Den_venit", Alpha, 100},
                    {"Cod_enorias", Alpha, 10},
                    {"Explicatie", Alpha, 100},
                    {"Valoarea", Money},
                    {"Cont", Alpha, 15},
                    {"Data_registru", Day}},
                   rows);
        rows.clear();
        for (size_t i = 0; i < payments.size(); ++i)
            rows.push_back({static_cast<double>(i + 1), Date{2024, 5, 2}, "OP", 18, "Beneficiar",
                            i == 0 ? std::string(90, 'e') : std::string("scurt"), payments[i].amount,
                            payments[i].account});
        writeTable((src / "CHELTUIELI.DB").string(),
                   {{"Nr_act", Number},
                    {"Data", Day},
                    {"Fel", Alpha, 15},
                    {"cod_cheltuiala", Short},
                    {"Beneficiar", Alpha, 100},
                    {"Explicatie", Memo, 20},
                    {"Valoarea", Number},
                    {"Cont", Alpha, 15}},
                   rows, (src / "CHELTUIELI.MB").string());
        rows.clear();
        for (double d : deposits) rows.push_back({1, Date{2024, 6, 1}, d, "Disp"});
        writeTable((src / "depuneri.DB").string(),
                   {{"Nr_doc", Number}, {"Data", Day}, {"Suma", Number}, {"Fel", Alpha, 15}}, rows);
        rows.clear();
        for (double d : withdrawals) rows.push_back({1, Date{2024, 6, 2}, d, "Disp"});
        writeTable((src / "Ridicari.db").string(),
                   {{"Nr_doc", Number}, {"Data", Day}, {"Suma", Number}, {"Fel", Alpha, 15}}, rows);
        // a table whose header names a DOS code page
        writeTable((src / "Tip_Doc.DB").string(), {{"Denumire", Alpha, 15}}, {{"Chitan\xFE\xE3"}, {"OP"}}, {}, 852);
        // a keyed table, as the catalogs are
        writeTable((src / "Tip_venituri.DB").string(),
                   {{"Cod_venit", Short}, {"Denumire", Alpha, 100}, {"Explicatie_venit", Alpha, 100}},
                   {{2, "Contribu\xFEia enoria\xBAilor", "Contribu\xFEie"}, {3, "Dona\xFEii", Value()}}, {}, 0, 1);
        // an autoincrement column with a gap and a hole at its end
        writeTable((src / "Stoc.db").string(),
                   {{"ID", AutoInc}, {"Denumire", Alpha, 255}, {"Cantitate", Number}, {"DataIn", Day}},
                   {{1, "Lum\xE2n\xE3ri", 10, Date{2024, 1, 5}},
                    {2, "T\xE3m\xE2ie", 2.5, Value()},
                    {5, "Icoan\xE3", 1, Date{1950, 7, 7}}});
        // the budget tree: the groups, two parishes, one monastery without its table
        const std::vector<Field> budget{{"Nr_rand", Short},
                                        {"Denumire", Alpha, 100},
                                        {"Prevederi", Number},
                                        {"Executie", Number},
                                        {"Formula", Alpha, 200}};
        writeTable((src / "Bilant.DB").string(), budget, {{1, "Sold initial", 10, 20, Value()}});
        writeTable((src / "BilantParohGol.DB").string(), budget, {{1, "Sablon parohie", 0, 0, Value()}});
        fs::create_directories(src / "Parohii" / "Sf. Ilie");
        fs::create_directories(src / "Parohii" / "Adormirea");
        fs::create_directories(src / "MANASTIRI" / "Putna");
        writeTable((src / "Parohii" / "Bilant.DB").string(), budget, {{1, "Grup parohii", 1, 2, Value()}});
        writeTable((src / "Parohii" / "Sf. Ilie" / "bilant.db").string(), budget,
                   {{1, "Sold", 100, 200, Value()}, {14, "Total", 0, 0, "2+3"}});
        writeTable((src / "Parohii" / "Adormirea" / "Bilant.DB").string(), budget, {{1, "Sold", 5, 6, Value()}});
        // work tables and a table of no window of ours
        writeTable((src / "Registru.DB").string(), {{"Nr_doc", Number}}, {{1}, {2}});
        writeTable((src / "CheltSal.DB").string(), {{"Id", Long}}, {{1}});
        writeFile(src / "arbore.txt",
                  "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\t\tSf. Ilie\r\n\t\tAdormirea\r\n"
                  "\tMANASTIRI\r\n\t\tPutna \xBA\xFE\r\n");
        writeFile(src / "configurari.ini", "[Options]\r\nCheck for new version=0\r\nBackup BD zilnic=1\r\n");
        writeFile(src / "poza.jpg", std::string("\xFF\xD8\xFF\xE0 picture \0 bytes\xFF\xD9", 22));
        writeRemainingTables();
    }

    // Every other table of an installation, in its own layout, with two rows
    // of every field type; two are left out, to stay missing.
    std::vector<std::string> generated;
    void writeRemainingTables() {
        using data::FieldType;
        for (const data::TableSpec& spec : data::installationTables()) {
            if (spec.fileName == "Registru.DB" || spec.fileName == "Furnizori.db" || spec.fileName == "Jurnal.DB" ||
                spec.fileName == "Tip_cheltuieli.DB" || !data::resolveTableFile(src.string(), spec.fileName).empty())
                continue;
            std::vector<Field> fields;
            std::vector<std::vector<Value>> rows(2);
            for (const data::ColumnDef& c : spec.columns) {
                static const std::map<FieldType, int> kType{
                    {FieldType::String, pxtest::Alpha},   {FieldType::SmallInt, pxtest::Short},
                    {FieldType::Integer, pxtest::Long},   {FieldType::Float, pxtest::Number},
                    {FieldType::Date, pxtest::Day},       {FieldType::Boolean, pxtest::Logical},
                    {FieldType::AutoInc, pxtest::AutoInc}};
                fields.push_back({c.name, kType.at(c.type), c.size});
                for (int r = 0; r < 2; ++r) {
                    switch (c.type) {
                        case FieldType::String:
                            rows[r].push_back(std::string(r ? "Alt\xE3" : "\xDE\xE3r\xE3 \xBA").substr(0, c.size));
                            break;
                        case FieldType::Date: rows[r].push_back(r ? Date{2045, 1, 1} : Date{1960, 5, 5}); break;
                        case FieldType::Boolean: rows[r].push_back(r == 0); break;
                        case FieldType::Float: rows[r].push_back(r + 0.25); break;
                        default: rows[r].push_back(r + 1);
                    }
                }
            }
            fs::create_directories((src / spec.fileName).parent_path());
            pxtest::writeTable((src / spec.fileName).string(), fields, rows);
            generated.push_back(spec.fileName);
        }
    }

    double expectedCash() const {
        double s = openCash;
        for (const Doc& d : receipts) s += d.account == std::string("Casa") ? d.amount : 0;
        for (const Doc& d : payments) s -= d.account == std::string("Casa") ? d.amount : 0;
        for (double d : deposits) s -= d;
        for (double d : withdrawals) s += d;
        return s;
    }
    double expectedBank() const {
        double s = openBank;
        for (const Doc& d : receipts) s += d.account == std::string("Banca") ? d.amount : 0;
        for (const Doc& d : payments) s -= d.account == std::string("Banca") ? data::roundToBan(d.amount) : 0;
        for (double d : deposits) s += d;
        for (double d : withdrawals) s -= d;
        return s;
    }
    const paradox::TableImport* find(const paradox::ImportSummary& s, const std::string& file) {
        for (const auto& t : s.tables)
            if (t.file == file) return &t;
        return nullptr;
    }
};

TEST_F(ImportTest, WholeInstallationComesOver) {
    const auto before = snapshot(src);
    std::vector<std::string> progress;
    paradox::ImportSummary s =
        paradox::importParadox(src.string(), dest.string(), [&](const std::string& l) { progress.push_back(l); });
    EXPECT_EQ(snapshot(src), before);
    EXPECT_EQ(leftovers(tmp.path(), {"vechi", "nou"}), std::vector<std::string>{});
    const std::string d = dest.string();

    // the summary: rows, skipped and missing fields, missing tables
    const auto* v = find(s, "Venituri.DB");
    ASSERT_TRUE(v && v->found);
    EXPECT_EQ(v->rowsRead, 4);
    EXPECT_EQ(v->rowsWritten, 4);
    const auto* p = find(s, "Parohia.DB");
    ASSERT_TRUE(p && p->found);
    EXPECT_EQ(p->skipped, std::vector<std::string>{"Fax"});
    EXPECT_NE(std::find(p->missing.begin(), p->missing.end(), "Felmarosta"), p->missing.end());
    const auto* furn = find(s, "Furnizori.db");
    ASSERT_TRUE(furn);
    EXPECT_FALSE(furn->found);
    const auto* reg = find(s, "Registru.DB");
    EXPECT_EQ(reg, nullptr);                      // a work table is never imported
    EXPECT_EQ(progress.size(), s.tables.size());  // one line per table
    EXPECT_NE(std::find(progress.begin(), progress.end(), "Venituri.DB: 4 inregistrari preluate"), progress.end());
    const std::string text = paradox::summaryText(s);
    EXPECT_NE(text.find("Furnizori.db"), std::string::npos) << text;
    EXPECT_NE(text.find("CheltSal.DB (tabela necunoscuta programului)"), std::string::npos) << text;
    EXPECT_NE(text.find("Felmarosta"), std::string::npos) << text;
    EXPECT_NE(text.find("Atentie: Tip_doc.db: antetul tabelei indica pagina de cod 852"), std::string::npos) << text;
    EXPECT_EQ(text.find("Atentie: Venituri.DB"), std::string::npos) << text;
    EXPECT_NE(text.find("Cheltuieli.DB: sume cu mai mult de doua zecimale, rotunjite la ban: 1"), text.npos);
    EXPECT_NE(text.find("Sold casa : " + entry::balanceText(expectedCash())), std::string::npos) << text;

    // the balances, from the test's own documents
    EXPECT_DOUBLE_EQ(s.soldCasa, expectedCash());
    EXPECT_DOUBLE_EQ(s.soldBanca, expectedBank());

    // text converted, NULLs kept, dates before 1970 and after 2038 kept as dates
    auto r = select(d, "SELECT Nr_act, Data, Fel, Explicatie, Cod_enorias, Valoarea FROM Venituri ORDER BY Nr_act");
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(r.rows[0][1], Value(Date{1969, 12, 31}));
    EXPECT_EQ(r.rows[2][1], Value(Date{2039, 1, 19}));
    EXPECT_EQ(r.rows[3][1], Value(Date{1900, 1, 1}));
    EXPECT_EQ(r.rows[0][2], Value("Chitanţă"));
    EXPECT_EQ(r.rows[0][3], Value("Ofrandă în amintirea lui Ş"));
    EXPECT_TRUE(r.rows[1][3].isNull());
    EXPECT_TRUE(r.rows[0][4].isNull());
    EXPECT_EQ(r.rows[1][5], Value(2000.0));
    auto dates = select(d, "SELECT COUNT(*) FROM Venituri WHERE Data < '1970-01-01'");
    EXPECT_EQ(dates.rows[0][0].toInt(), 2);  // compared as dates
    auto unit = select(d, "SELECT Parohia, Preot, An_lucru, Felmarosta FROM Parohia");
    ASSERT_EQ(unit.rows.size(), 1u);  // the new installation's record was replaced
    EXPECT_EQ(unit.rows[0][0], Value("Parohia Sfântul Ilie"));
    EXPECT_EQ(unit.rows[0][1], Value("Pr. ştefan Ţăranu"));
    EXPECT_EQ(unit.rows[0][2].toInt(), 2024);
    EXPECT_TRUE(unit.rows[0][3].isNull());
    // a memo, whole, in a text field; a field matched in another letter case
    auto pay = select(d, "SELECT Explicatie, Cod_cheltuiala FROM Cheltuieli ORDER BY Nr_act");
    ASSERT_EQ(pay.rows.size(), 2u);
    EXPECT_EQ(pay.rows[0][0], Value(std::string(90, 'e')));
    EXPECT_EQ(pay.rows[0][1].toInt(), 18);
    EXPECT_EQ(select(d, "SELECT COUNT(*) FROM Tip_doc").rows[0][0].toInt(), 2);
    EXPECT_EQ(select(d, "SELECT COUNT(*) FROM Registru").rows[0][0].toInt(), 0);
    // a missing table keeps the new installation's content
    EXPECT_GT(select(d, "SELECT COUNT(*) FROM Tip_cheltuieli").rows[0][0].toInt(), 0);
    auto income = select(d, "SELECT Cod_venit, Denumire, Explicatie_venit FROM Tip_venituri ORDER BY Cod_venit");
    ASSERT_EQ(readFile(src / "Tip_venituri.DB").at(4), 0);  // written as a keyed table
    ASSERT_EQ(income.rows.size(), 2u);  // the keyed table's rows replaced the catalog of a new installation
    EXPECT_EQ(income.rows[0][1], Value("Contribuţia enoriaşilor"));
    EXPECT_TRUE(income.rows[1][2].isNull());

    // every other table, every field type
    EXPECT_GE(generated.size(), 12u);
    for (const std::string& file : generated) {
        const auto* t = find(s, file);
        ASSERT_TRUE(t && t->found) << file;
        EXPECT_EQ(t->rowsWritten, 2) << file;
        EXPECT_TRUE(t->missing.empty() && t->skipped.empty()) << file;
        EXPECT_EQ(select(d, "SELECT COUNT(*) FROM \"" + file + "\"").rows[0][0].toInt(), 2) << file;
    }
    // the new installation's journal: one entry per table imported into it, chained
    long long imported = 0;
    for (const auto& t : s.tables) imported += t.found && t.file.find('/') == std::string::npos;
    EXPECT_EQ(select(d, "SELECT COUNT(*) FROM Jurnal WHERE Actiune = 'import'").rows[0][0].toInt(), imported);
    EXPECT_EQ(select(d, "SELECT COUNT(*) FROM Jurnal WHERE Cheie = 'Tabela Venituri.DB'").rows[0][0].toInt(), 1);
    EXPECT_TRUE(data::journal::verify(d).intact);
    auto family = select(d, "SELECT Numele, Data_nasterii FROM MembriiFam ORDER BY Data_nasterii");
    ASSERT_EQ(family.rows.size(), 2u);
    EXPECT_EQ(family.rows[0][0], Value("Ţără ş"));
    EXPECT_EQ(family.rows[1][1], Value(Date{2045, 1, 1}));
    auto shop = select(d, "SELECT Cod, Numar FROM DocIn ORDER BY Cod");
    EXPECT_EQ(shop.rows.at(1)[0].toInt(), 2);

    // the autoincrement keeps its values and goes on after the largest
    data::insertRows(d + "/Stoc.db", {"Denumire"}, {{"nou"}});
    auto stock = select(d, "SELECT ID, Denumire, DataIn FROM Stoc ORDER BY ID");
    ASSERT_EQ(stock.rows.size(), 4u);
    EXPECT_EQ(stock.rows[2][0].toInt(), 5);
    EXPECT_EQ(stock.rows[2][1], Value("Icoană"));
    EXPECT_EQ(stock.rows[2][2], Value(Date{1950, 7, 7}));
    EXPECT_TRUE(stock.rows[1][2].isNull());
    EXPECT_EQ(stock.rows[3][0].toInt(), 6);

    // the unit tree: groups, parishes with their budgets, a monastery given the template
    EXPECT_EQ(select(d, "SELECT Denumire FROM \"PAROHII/Bilant.DB\"").rows.at(0)[0], Value("Grup parohii"));
    auto ilie = select(d, "SELECT Nr_rand, Formula FROM \"PAROHII/Sf. Ilie/Bilant.DB\" ORDER BY Nr_rand");
    ASSERT_EQ(ilie.rows.size(), 2u);
    EXPECT_EQ(ilie.rows[1][1], Value("2+3"));
    EXPECT_TRUE(fs::is_regular_file(dest / "PAROHII" / "Adormirea" / "Bilant.DB"));
    EXPECT_TRUE(fs::is_regular_file(dest / "MANASTIRI" / "Putna" / "Bilant.DB"));
    EXPECT_EQ(select(d, "SELECT COUNT(*) FROM \"MANASTIRI/Putna/Bilant.DB\"").rows[0][0],
              select(d, "SELECT COUNT(*) FROM BilantManastGol").rows[0][0]);
    EXPECT_EQ(select(d, "SELECT Denumire FROM BilantParohGol").rows.at(0)[0], Value("Sablon parohie"));
    EXPECT_EQ(
        readFile(dest / "arbore.txt"),
        "PROTOPOPIAT\r\n\tOFICIU\r\n\tPAROHII\r\n\t\tSf. Ilie\r\n\t\tAdormirea\r\n\tMANASTIRI\r\n\t\tPutna şţ\r\n");
    EXPECT_EQ(readFile(dest / "Configurari.ini"), readFile(src / "configurari.ini"));
    EXPECT_EQ(readFile(dest / "poza.jpg"), readFile(src / "poza.jpg"));
}

TEST_F(ImportTest, FailureLeavesNoDestination) {
    auto expectFailure = [&](const std::string& needle) {
        try {
            paradox::importParadox(src.string(), dest.string());
            ADD_FAILURE() << "import succeeded";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(needle), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::exists(dest));
        EXPECT_EQ(leftovers(tmp.path(), {"vechi"}), std::vector<std::string>{});
    };
    // a truncated table, named with the row it cannot read
    const std::string whole = readFile(src / "Venituri.DB");
    // (the header takes the first 2048 bytes, the second record starts 266 bytes after)
    writeFile(src / "Venituri.DB", whole.substr(0, 2048 + 300));
    expectFailure("Venituri.DB nu poate fi citita la inregistrarea 2");
    writeFile(src / "Venituri.DB", whole);
    // a byte the code page leaves undefined
    pxtest::writeTable((src / "Tip_Doc.DB").string(), {{"Denumire", pxtest::Alpha, 15}}, {{"bun"}, {"r\x98u"}});
    expectFailure("inregistrarea 2: campul Denumire contine octetul 0x98");
    pxtest::writeTable((src / "Tip_Doc.DB").string(), {{"Denumire", pxtest::Alpha, 15}}, {{"bun"}});
    // a text longer than our field holds is not cut
    pxtest::writeTable((src / "Tip_Doc.DB").string(), {{"Denumire", pxtest::Memo, 11}}, {{std::string(16, 'a')}},
                       (src / "Tip_Doc.MB").string());
    expectFailure("textul are 16 caractere, campul primeste cel mult 15");
    fs::remove(src / "Tip_Doc.MB");
    pxtest::writeTable((src / "Tip_Doc.DB").string(), {{"Denumire", pxtest::Alpha, 15}}, {{"bun"}});
    // a value that does not fit our column's type
    pxtest::writeTable((src / "Stoc.db").string(), {{"ID", pxtest::Number}}, {{1.5}});
    expectFailure("campul ID: valoarea 1.5 nu este un numar intreg");
    fs::remove(src / "Stoc.db");
    // the same key twice
    pxtest::writeTable((src / "Furnizori.db").string(), {{"Cod_furn", pxtest::Alpha, 10}}, {{"F1"}, {"F1"}});
    expectFailure("Furnizori.db nu poate fi importata la inregistrarea 2: cheia ei este aceeasi");
    fs::remove(src / "Furnizori.db");
    // two files whose names differ only in letter case
    fs::copy_file(src / "Ridicari.db", src / "RIDICARI.DB");
    expectFailure("Ridicari.db");
    fs::remove(src / "RIDICARI.DB");
    // a table without a field its money is reckoned from (or one that cannot be read)
    const struct {
        const char* file;
        std::vector<Field> fields;
        std::vector<Value> row;
        const char* needle;
    } withoutMoney[] = {
        {"Venituri.DB",
         {{"Nr_act", pxtest::Number}, {"Data", pxtest::Day}, {"Cont", pxtest::Alpha, 15}},
         {1, Date{2024, 1, 1}, "Casa"},
         "Venituri.DB nu are campul Valoarea"},
        {"CHELTUIELI.DB", {{"Valoarea", pxtest::Number}, {"Cont", pxtest::Alpha, 15}}, {5.0, "Casa"}, "campul Data"},
        {"Ridicari.db",
         {{"Data", pxtest::Day}, {"Suma", pxtest::Time}},
         {Date{2024, 1, 1}, 5},
         "campul Suma de tipul ora"},
        {"contor.db", {{"Sold_init_casa", pxtest::Money}}, {10.0}, "contor.db nu are campul Sold_init_banca"},
    };
    for (const auto& w : withoutMoney) {
        const std::string kept = readFile(src / w.file);
        pxtest::writeTable((src / w.file).string(), w.fields, {w.row});
        expectFailure(w.needle);
        writeFile(src / w.file, kept);
    }
    // a file that is no regular file
    fs::remove(src / "Enoriasi.DB");
    ASSERT_EQ(::mkfifo((src / "Enoriasi.DB").c_str(), 0600), 0);
    expectFailure("nu este un fisier obisnuit");
    fs::remove(src / "Enoriasi.DB");

    // with everything readable again the import succeeds
    EXPECT_NO_THROW(paradox::importParadox(src.string(), dest.string()));
}

TEST_F(ImportTest, DestinationRefusals) {
    // an existing installation: the same refusal as a new installation's
    ASSERT_NO_THROW(data::createInstallation(dest.string()));
    const auto installed = snapshot(dest);
    try {
        paradox::importParadox(src.string(), dest.string());
        ADD_FAILURE() << "imported over an installation";
    } catch (const data::EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("exista deja"), std::string::npos) << e.what();
    }
    EXPECT_EQ(snapshot(dest), installed);
    fs::remove_all(dest);
    // a directory holding other files
    fs::create_directories(dest);
    writeFile(dest / "altceva.txt", "x");
    EXPECT_THROW(paradox::importParadox(src.string(), dest.string()), paradox::ImportError);
    EXPECT_EQ(readFile(dest / "altceva.txt"), "x");
    // inside the source
    EXPECT_THROW(paradox::importParadox(src.string(), (src / "nou").string()), paradox::ImportError);
    EXPECT_FALSE(fs::exists(src / "nou"));
    // an empty directory is taken, and missing levels above DEST are made
    fs::remove(dest / "altceva.txt");
    EXPECT_NO_THROW(paradox::importParadox(src.string(), dest.string()));
    EXPECT_TRUE(fs::is_regular_file(dest / "Venituri.DB"));
    const fs::path deep = fs::path(tmp.path()) / "a" / "b" / "nou";
    EXPECT_NO_THROW(paradox::importParadox(src.string(), deep.string()));
    EXPECT_TRUE(fs::is_regular_file(deep / "Parohia.DB"));
}

TEST_F(ImportTest, WorkDirectoriesOfKilledImportsAreRemovedByTheNextImport) {
    const fs::path parent = tmp.path();
    auto workDir = [&](const std::string& name, bool marked) {
        fs::create_directories(parent / name / "PAROHII");
        writeFile((parent / name / "Venituri.DB").string(), "tabela pe jumatate");
        if (marked) writeFile((parent / name / paradox::kImportMarker).string(), "");
        return parent / name;
    };
    // what killed imports to DEST left
    const fs::path killed = workDir(".nou.import-Ab12Cd", true), killed2 = workDir(".nou.import-000000", true);
    // not of an import to DEST, or not an import's: kept
    const fs::path unmarked = workDir(".nou.import-Xy34Zw", false);
    const fs::path shortName = workDir(".nou.import-Ab12C", true);
    const fs::path otherDest = workDir(".vechi2.import-Ab12Cd", true);
    const fs::path otherName = workDir(".nou.import-Ab12Cd.bak", true);
    writeFile((parent / ".nou.import-Qq11Qq").string(), "un fisier");
    // a link to a marked directory elsewhere: neither it nor its target goes
    const fs::path elsewhere = workDir("altundeva", true);
    fs::create_directory_symlink(elsewhere, parent / ".nou.import-Ln00Ln");
    // an import still running: its marker is locked
    const fs::path running = workDir(".nou.import-Run999", true);
    const int fd = ::open((running / paradox::kImportMarker).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    ASSERT_NO_THROW(paradox::importParadox(src.string(), dest.string()));
    ::close(fd);
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_FALSE(fs::exists(killed2));
    for (const fs::path& kept : {unmarked, shortName, otherDest, otherName, running, elsewhere})
        EXPECT_EQ(readFile((kept / "Venituri.DB").string()), "tabela pe jumatate") << kept;
    EXPECT_EQ(readFile((parent / ".nou.import-Qq11Qq").string()), "un fisier");
    EXPECT_TRUE(fs::is_symlink(parent / ".nou.import-Ln00Ln"));
    // the installation holds no marker, and the import left no work directory of its own
    EXPECT_TRUE(fs::is_regular_file(dest / "Venituri.DB"));
    EXPECT_FALSE(fs::exists(dest / paradox::kImportMarker));
    EXPECT_EQ(leftovers(parent, {"vechi", "nou", ".nou.import-Xy34Zw", ".nou.import-Ab12C", ".vechi2.import-Ab12Cd",
                                 ".nou.import-Ab12Cd.bak", ".nou.import-Qq11Qq", "altundeva", ".nou.import-Ln00Ln",
                                 ".nou.import-Run999"}),
              std::vector<std::string>{});
}
