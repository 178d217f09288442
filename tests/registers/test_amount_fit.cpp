// The registers on books holding the largest amounts, at the designed font and
// at 14 points, saved and read back: every amount fits its box at the font it
// is drawn with and reads as itself; no caption is cut at its start.
#include <gtest/gtest.h>

#include "data/AppDir.h"
#include "data/Money.h"
#include "registers/Registre.h"
#include "reports/Fonts.h"
#include "reports/ReportTestSupport.h"
#include "support/Installation.h"
#include "support/TempDir.h"

using data::Date;

static std::optional<data::Bani> bani(const QString& text) {
    const auto p = data::parseAmount(text.toStdString());
    return p.value ? std::optional(data::toBani(*p.value)) : std::nullopt;
}

TEST(AmountFit, EveryAmountOfTheRegistersPrintsWholeInItsBox) {
    TempDir db;
    gui::Recorder rec;
    rt::PrintingTest printing{Date{2014, 5, 12}};
    support::installInto(db.path());
    data::setAppDir(db.path());
    support::setUnit(db.path(), {"Parohia", "An_lucru"}, {"Parohia Sf. Ioan", 2014});
    data::SqlSession::forDirectory(db.path()).execute("DELETE FROM \"Contor.DB\"");
    data::insertRows(db.file("Contor.DB"), {"Sold_init_casa", "Sold_init_banca"}, {{12163750.17, 500.0}});
    data::insertRows(db.file("Venituri.DB"), {"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"},
                     {{1, Date{2014, 1, 10}, 7, 99999999999.99, "Casa"},
                      {2, Date{2014, 1, 15}, 7, 0.10, "Casa"},
                      {3, Date{2014, 1, 20}, 7, 99999999999.99, "Banca"}});
    data::insertRows(db.file("Cheltuieli.DB"), {"Nr_act", "Data", "Cod_cheltuiala", "Valoarea", "Cont"},
                     {{1, Date{2014, 1, 12}, 18, 123456.78, "Banca"}, {2, Date{2014, 1, 15}, 18, 359891.59, "Casa"}});
    const data::Bani big = 9999999999999, cashIn = 1216375017 + big + 10, cash = cashIn - 35989159,
                     bank = 50000 + big - 12345678;
    const struct {
        std::function<reports::RunResult(const reports::ReportOutput&)> run;
        std::vector<std::pair<QString, data::Bani>> last;  // the last amount an item prints
    } runs[] = {
        {[](auto& o) { return registers::RegistruIncasariPlati(nullptr, o); },
         {{"SoldCDBTxt", cash}, {"QRExpr9", cashIn}, {"QRExpr15", 12345678}, {"QRLabel40", cash + bank}}},
        {[](auto& o) {
             return registers::RegistruCasa(nullptr, reports::Interval{{2014, 1, 1}, {2014, 1, 31}}, o);
         },
         {{"QRDBText10", 35989159}, {"QRExpr9", cash}, {"QRExpr10", 1216375017 + big}}},
        {[](auto& o) { return registers::PartiziVenituri(nullptr, short{7}, o); },
         {{"QRDBText7", big}, {"TotalLbl", 2 * big + 10}}},
    };
    const QString file = QString::fromStdString(db.file("registru.qrp"));
    for (const std::optional<int> size : {std::optional<int>{}, std::optional<int>{14}})
        for (const auto& r : runs) {
            ASSERT_EQ(r.run({file, size}), reports::RunResult::Done);
            const auto pages = reports::PreparedReport::load(file).value().pages;
            for (const auto& page : pages)
                for (const auto& e : page.elements) {
                    // amounts, and captions that would be cut at their start ("Incasari" at 14 points)
                    const bool caption = e.align() != reports::HAlign::Left && !e.wordWrap();
                    if (e.kind() != reports::ElementKind::Text || !(bani(e.text) || caption)) continue;
                    EXPECT_LE(reports::textWidthMm(e.font(), e.text), e.box.width() + 1e-6) << e.text.toStdString();
                    if (bani(e.text) && e.text.size() <= 4) {  // what fits is not shrunk
                        EXPECT_EQ(e.font().size, size.value_or(8));
                    }
                }
            for (const auto& [item, amount] : r.last)
                EXPECT_EQ(bani(pages.back().textsOf(item).last()), amount) << item.toStdString();
        }
}
