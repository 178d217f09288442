// Decoding the personalisation picture, and the work-message window.
#include <QLabel>
#include <QScreen>
#include <stdexcept>

#include "AppFixture.h"
#include "JpegWriter.h"
#include "app/JpegImage.h"
#include "app/Version.h"
#include "reports/Workmsg.h"
#include "shell/StatusLine.h"

namespace {
QImage decode(const std::string& bytes) {
    return app::decodeJpeg(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}
std::string decodeError(const std::string& bytes) {
    try {
        decode(bytes);
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).find("JPEG file"), std::string::npos) << e.what();  // Romanian, not libjpeg's
        return e.what();
    }
    return {};
}
}  // namespace

TEST(JpegTest, DecodesColourAndGreyPictures) {
    QImage colour = decode(encodeJpeg(100, 60));
    ASSERT_EQ(colour.size(), QSize(100, 60));
    // The gradient runs from dark red at the left to full red at the right.
    EXPECT_LT(qRed(colour.pixel(2, 30)), 30);
    EXPECT_GT(qRed(colour.pixel(97, 30)), 220);
    EXPECT_NEAR(qBlue(colour.pixel(50, 30)), 128, 12);
    QImage grey = decode(encodeJpeg(33, 17, 1));
    ASSERT_EQ(grey.size(), QSize(33, 17));
    EXPECT_EQ(qRed(grey.pixel(20, 5)), qGreen(grey.pixel(20, 5)));
}

TEST(JpegTest, DamagedOrHugePicturesAreRefused) {
    const std::string good = encodeJpeg(64, 64);
    EXPECT_FALSE(decodeError(std::string("GIF89a not a jpeg at all")).empty());
    EXPECT_FALSE(decodeError(good.substr(0, good.size() / 2)).empty());  // truncated
    EXPECT_FALSE(decodeError(good.substr(0, 20)).empty());               // header cut
    EXPECT_FALSE(decodeError(std::string()).empty());
    std::string damaged = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 40; ++i) damaged[i] = static_cast<char>(0xFF);
    EXPECT_FALSE(decodeError(damaged).empty());
    const std::string huge = decodeError(withDimensions(good, 65000, 65000));
    EXPECT_NE(huge.find("65000"), std::string::npos) << huge;
    EXPECT_TRUE(decodeError(good).empty());
}

// A large picture is decoded at the smallest of the decoder's scales that
// still covers where it is shown; a file larger than a picture can be is refused.
TEST(JpegTest, LargePicturesAreDecodedScaledAndHugeFilesRefused) {
    const std::string big = encodeJpeg(2000, 1600);
    const std::pair<QSize, QSize> cases[] = {
        {{400, 300}, {500, 400}}, {{1200, 300}, {2000, 1600}}, {{100, 100}, {250, 200}}};
    for (const auto& [shown, decoded] : cases)
        EXPECT_EQ(app::decodeJpeg(reinterpret_cast<const unsigned char*>(big.data()), big.size(), shown).size(),
                  decoded);
    TempDir dir;
    writeFile(dir.file("poza.jpg"), big + std::string(app::kMaxJpegFileBytes, '\0'));
    EXPECT_THROW(app::loadJpegFile(dir.file("poza.jpg")), std::runtime_error);
}
TEST(JpegTest, FileErrorsNameTheFile) {
    TempDir dir;
    std::ofstream(dir.file("poza.jpg")) << "text";
    try {
        app::loadJpegFile(dir.file("poza.jpg"));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(dir.file("poza.jpg")), std::string::npos);
    }
    EXPECT_THROW(app::loadJpegFile(dir.file("lipsa.jpg")), std::runtime_error);
}

TEST(VersionTest, ReadsFourNumbers) {
    app::setBuildVersion("2.0.0.4");
    auto v = app::ReadProductVersion();
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 2);
    EXPECT_EQ(v->build, 4);
    EXPECT_EQ(app::currentVersionText(), "2.0.0.4");
    app::setBuildVersion("10.20.300.65535");
    EXPECT_EQ(app::currentVersionText(), "10.20.300.65535");
    for (const char* bad : {"", "1.0.0", "1.0.0.0.0", "1.0.0.x", "1.0.0.65536", "-1.0.0.0", "1..0.0"}) {
        app::setBuildVersion(bad);
        EXPECT_FALSE(app::ReadProductVersion()) << bad;
        EXPECT_EQ(app::currentVersionText(), "0.0.0.0") << bad;
    }
    app::setBuildVersion("");
}

TEST(WorkMessageTest, ShowsUpdatesAndWidensForLongTexts) {
    auto owner = std::make_unique<QWidget>();
    ui::ShowWorkMessage(owner.get(), "Scurt");
    QWidget* w = ui::workMessageWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    auto* panel = w->findChild<QLabel*>("MsgPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), "Scurt");
    EXPECT_TRUE(panel->font().bold());
    const int designed = w->width();

    // A later call changes the text, not the width, in the same window.
    const QString longText = QString("Se calculeaza ").repeated(12);
    ui::ShowWorkMessage(owner.get(), longText);
    EXPECT_EQ(ui::workMessageWindow(), w);
    EXPECT_EQ(panel->text(), longText);
    EXPECT_EQ(w->width(), designed);

    owner.reset();  // goes with its owner
    EXPECT_EQ(ui::workMessageWindow(), nullptr);

    // A first call with a long text widens the window, at most to the screen's width.
    auto owner2 = std::make_unique<QWidget>();
    ui::ShowWorkMessage(owner2.get(), longText);
    QWidget* w2 = ui::workMessageWindow();
    ASSERT_NE(w2, nullptr);
    EXPECT_GT(w2->width(), designed);
    EXPECT_LE(w2->width(), w2->screen()->geometry().width());
    const QRect screen = w2->screen()->availableGeometry();
    EXPECT_NEAR(w2->geometry().center().x(), screen.center().x(), 2);
}

TEST(WorkMessageTest, StatusMessageWritesTheStatusLine) {
    QLabel line;
    ui::StatusMessage("nimic");  // no target yet: nothing happens
    ui::setStatusLine(&line);
    line.show();
    ui::StatusMessage(" Listez...");
    EXPECT_EQ(line.text(), " Listez...");
    ui::setStatusLine(nullptr);
}
