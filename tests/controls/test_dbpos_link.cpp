// The record-position bar over a real table and the link label's open
// operation through the desktop's URL handlers.
#include <QDesktopServices>
#include <QUrl>

#include "ControlsFixture.h"
#include "controls/DBPos.h"
#include "controls/LinkLab.h"

using namespace ui;
using data::FieldType;

namespace {

// Width of the run of `c` along row `y` of an image, from the left edge.
int runFromLeft(const QImage& img, int y, int x0, QColor c) {
    int n = 0;
    for (int x = x0; x < img.width() && img.pixelColor(x, y) == c; ++x) ++n;
    return n;
}

class PosTest : public ControlsTest {
protected:
    void fill(int n) {
        std::vector<std::vector<data::Value>> rows;
        for (int i = 1; i <= n; ++i) rows.push_back({i, "x"});
        makeTable({{"Nume", FieldType::String, 10}}, rows);
        openTable();
    }
};

}  // namespace

TEST_F(PosTest, ShowsPositionAndCountWithTheBarAtThePercentDone) {
    fill(120);
    TDBPos pos(form.get());
    pos.resize(202, 30);
    pos.setForeColor(Qt::blue);
    pos.setBackColor(Qt::white);
    pos.setDataSource(&src);
    table->setRecNo(15);
    EXPECT_EQ(pos.maxValue(), 120);
    EXPECT_EQ(pos.progress(), 15);
    EXPECT_EQ(pos.text(), "15/120");
    EXPECT_EQ(pos.percentDone(), 12);
    QImage img = pos.render();
    // inner width 200 (single border): the bar is 24 pixels wide, then background
    EXPECT_EQ(runFromLeft(img, 2, 1, Qt::blue), 24);
    EXPECT_EQ(img.pixelColor(25, 2), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(0, 2), QColor(Qt::black));  // the border

    table->last();
    EXPECT_EQ(pos.text(), "120/120");
    EXPECT_EQ(runFromLeft(pos.render(), 2, 1, Qt::blue), 200);
}

TEST_F(PosTest, AnEmptyDataSetShowsZeroOfZeroWithoutABar) {
    fill(0);
    TDBPos pos(form.get());
    pos.resize(100, 20);
    pos.setForeColor(Qt::blue);
    pos.setDataSource(&src);
    EXPECT_EQ(pos.text(), "0/0");
    EXPECT_EQ(pos.percentDone(), 0);
    EXPECT_EQ(runFromLeft(pos.render(), 2, 1, Qt::blue), 0);
}

TEST_F(PosTest, FollowsInsertsAndDeletes) {
    fill(3);
    TDBPos pos(form.get());
    pos.setDataSource(&src);
    table->last();
    table->del();
    EXPECT_EQ(pos.text(), "2/2");
    table->append();
    table->fieldByName("Id").setAsInteger(9);
    table->post();
    EXPECT_EQ(pos.text(), "3/3");
}

TEST(DBPos, ProgressOutsideTheRangeIsIgnored) {
    TDBPos pos;
    pos.setProgress(40);
    pos.setProgress(150);
    EXPECT_EQ(pos.progress(), 40);
    pos.setProgress(-1);
    EXPECT_EQ(pos.progress(), 40);
    pos.setMaxValue(150);
    pos.setProgress(150);
    EXPECT_EQ(pos.progress(), 150);
    EXPECT_EQ(pos.percentDone(), 100);
}

TEST(DBPos, TheTextInvertsWhatIsUnderIt) {
    TDBPos pos;
    pos.resize(120, 30);
    pos.setForeColor(Qt::black);
    pos.setBackColor(Qt::white);
    pos.setMaxValue(100);
    pos.setProgress(50);
    QImage with = pos.render();
    pos.setShowText(false);
    QImage without = pos.render();
    bool inverted = false;
    for (int y = 0; y < with.height() && !inverted; ++y)
        for (int x = 0; x < with.width(); ++x) {
            QColor a = with.pixelColor(x, y), b = without.pixelColor(x, y);
            if (a == QColor(Qt::white) && b == QColor(Qt::black)) inverted = true;  // letters over the bar
        }
    EXPECT_TRUE(inverted);
    EXPECT_NE(with, without);
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& u) { opened << u; }
};

TEST(LinkLabel, BuildsTheAddressFromTheSchemeAndTheCaptionOrUrl) {
    TLinkLabel l;
    EXPECT_EQ(l.urlType(), utMailto);
    l.setCaption("www.parohia.ro");
    l.setURLType(utHttp);
    EXPECT_EQ(l.target(), "http://www.parohia.ro");
    l.setURLTypeAdd(false);
    EXPECT_EQ(l.target(), "www.parohia.ro");
    l.setURLTypeAdd(true);
    l.setUrl("versiune.ro/pagina");
    EXPECT_EQ(l.target(), "http://versiune.ro/pagina");
    l.setURLType(utMailto);
    l.setUrl("preot@parohia.ro");
    EXPECT_EQ(l.target(), "mailto:preot@parohia.ro");
    l.setURLEnabled(false);
    EXPECT_EQ(l.target(), "");
    EXPECT_FALSE(l.open());
    TLinkLabel empty;
    EXPECT_FALSE(empty.open());
}

TEST(LinkLabel, OpensThroughTheShellAndReportsItsAnswer) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    TLinkLabel l;
    l.setURLType(utHttp);
    l.setCaption("www.parohia.ro");
    int clicks = 0;
    QObject::connect(&l, &TLinkLabel::clicked, [&] { ++clicks; });
    l.show();
    QTest::mouseClick(&l, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QDesktopServices::unsetUrlHandler("http");
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toString(), "http://www.parohia.ro");
}

TEST(LinkLabel, DrawsTheShadowFirstAndTheCaptionOverIt) {
    TLinkLabel l;
    l.setFontColor(Qt::black);
    l.setShadowColor(Qt::red);
    l.setShadowPos(spRightBottom);
    l.setShadowSize(2);
    l.setTransparent(false);
    l.setCaption("WWW");
    QImage img = l.grab().toImage();
    bool red = false, black = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QColor c = img.pixelColor(x, y);
            red |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
            black |= c.red() < 40 && c.green() < 40 && c.blue() < 40;
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(black);
    l.setShadowSize(0);
    img = l.grab().toImage();
    red = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QColor c = img.pixelColor(x, y);
            red |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_FALSE(red);
}

TEST(LinkLabel, TakesTheLinkColourWhileTheMouseIsOver) {
    TLinkLabel l;
    l.setFontColor(Qt::darkGreen);
    l.setLinkColor(Qt::blue);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&l, &enter);
    EXPECT_EQ(l.fontColor(), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&l, &leave);
    EXPECT_EQ(l.fontColor(), QColor(Qt::darkGreen));
}

#include "test_dbpos_link.moc"
