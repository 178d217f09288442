// The registers on books holding the largest amounts, at 8 and 14 points, read back from their saved pages:
// every amount fits its box at its font and reads as itself; no caption is cut at its start.
#include <gtest/gtest.h>

#include "data/AppDir.h"
#include "data/Money.h"
#include "registers/Registre.h"
#include "reports/Fonts.h"
#include "reports/ReportTestSupport.h"
#include "support/Installation.h"

TEST(AmountFit, EveryAmountOfTheRegistersPrintsWholeInItsBox) {
    using data::Date;
    TempDir db;
    gui::Recorder rec;
    rt::PrintingTest printing{Date{2014, 5, 12}};
    support::installInto(db.path());
    data::setAppDir(db.path());
    support::setUnit(db.path(), {"Parohia", "An_lucru"}, {"Parohia Sf. Ioan", 2014});
    data::insertRows(db.file("Contor.DB"), {"Sold_init_casa", "Sold_init_banca"}, {{12163750.17, 500.0}});
    const std::vector<std::string> cols{"Nr_act", "Data", "Cod_venit", "Valoarea", "Cont"};
    data::insertRows(db.file("Venituri.DB"), cols,
                     {{1, Date{2014, 1, 10}, 7, 99999999999.99, "Casa"},
                      {2, Date{2014, 1, 15}, 7, 0.10, "Casa"},
                      {3, Date{2014, 1, 20}, 7, 99999999999.99, "Banca"}});
    data::insertRows(db.file("Cheltuieli.DB"), {cols[0], cols[1], "Cod_cheltuiala", cols[3], cols[4]},
                     {{1, Date{2014, 1, 12}, 18, 123456.78, "Banca"}, {2, Date{2014, 1, 15}, 18, 359891.59, "Casa"}});
    const data::Bani big = 9999999999999, cashIn = 1216375017 + big + 10, cash = cashIn - 35989159;
    const reports::Interval january{{2014, 1, 1}, {2014, 1, 31}};
    const std::pair<std::function<reports::RunResult(const reports::ReportOutput&)>,
                    std::vector<std::pair<QString, data::Bani>>>  // the last amount an item prints
        runs[] = {{[](auto& o) { return registers::RegistruIncasariPlati(nullptr, o); },
                   {{"SoldCDBTxt", cash}, {"QRExpr9", cashIn}, {"QRExpr15", 12345678}}},
                  {[&](auto& o) { return registers::RegistruCasa(nullptr, january, o); },
                   {{"QRDBText10", 35989159}, {"QRExpr9", cash}, {"QRExpr10", 1216375017 + big}}},
                  {[](auto& o) { return registers::PartiziVenituri(nullptr, short{7}, o); },
                   {{"QRDBText7", big}, {"TotalLbl", 2 * big + 10}}}};
    auto amount = [](const QString& t) { return data::parseAmount(t.toStdString()).value; };
    const QString file = QString::fromStdString(db.file("registru.qrp"));
    for (const std::optional<int> size : {std::optional<int>{}, std::optional<int>{14}})
        for (const auto& [run, last] : runs) {
            ASSERT_EQ(run({file, size}), reports::RunResult::Done);
            const auto pages = reports::PreparedReport::load(file).value().pages;
            for (const auto& page : pages)
                for (const auto& e : page.elements)  // amounts, and captions not cut at their start
                    if (e.kind() == reports::ElementKind::Text &&
                        (amount(e.text) || (e.align() != reports::HAlign::Left && !e.wordWrap()))) {
                        EXPECT_LE(reports::textWidthMm(e.font(), e.text), e.box.width() + 1e-6) << e.text.toStdString();
                    }
            for (const auto& [item, bani] : last)
                EXPECT_EQ(amount(pages.back().textsOf(item).last()), data::fromBani(bani)) << item.toStdString();
        }
}
