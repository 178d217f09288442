#include "app/Pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace app::pictures {

namespace {

QPixmap blank(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// A coin beside an arrow pointing into (inward) or out of a box.
QPixmap moneyGlyph(QColor arrow, bool inward, bool bank) {
    QPixmap pm = blank(32, 32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 70), 1.5));
    if (bank) {
        // A small bank: roof, columns and base.
        p.setBrush(QColor(225, 225, 210));
        QPolygonF roof;
        roof << QPointF(2, 12) << QPointF(12, 4) << QPointF(22, 12);
        p.drawPolygon(roof);
        for (int x : {5, 11, 17}) p.drawRect(QRectF(x, 13, 3, 11));
        p.drawRect(QRectF(2, 24, 20, 3));
    } else {
        // A cash box.
        p.setBrush(QColor(190, 150, 90));
        p.drawRect(QRectF(2, 12, 20, 14));
        p.drawLine(QPointF(2, 17), QPointF(22, 17));
    }
    // The coin.
    p.setBrush(QColor(240, 200, 60));
    p.setPen(QPen(QColor(150, 110, 20), 1.2));
    p.drawEllipse(QRectF(20, 2, 10, 10));
    // The arrow.
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    QPainterPath path;
    if (inward) {
        path.moveTo(24, 14);
        path.lineTo(28, 14);
        path.lineTo(28, 22);
        path.lineTo(31, 22);
        path.lineTo(26, 30);
        path.lineTo(21, 22);
        path.lineTo(24, 22);
    } else {
        path.moveTo(24, 30);
        path.lineTo(28, 30);
        path.lineTo(28, 22);
        path.lineTo(31, 22);
        path.lineTo(26, 14);
        path.lineTo(21, 22);
        path.lineTo(24, 22);
    }
    path.closeSubpath();
    p.drawPath(path);
    return pm;
}

}  // namespace

QPixmap receiptsGlyph() { return moneyGlyph(QColor(30, 140, 50), true, false); }
QPixmap depositsGlyph() { return moneyGlyph(QColor(30, 90, 170), true, true); }
QPixmap withdrawalsGlyph() { return moneyGlyph(QColor(200, 120, 20), false, true); }
QPixmap paymentsGlyph() { return moneyGlyph(QColor(190, 30, 30), false, false); }

QPixmap churchPicture() {
    QPixmap pm = blank(40, 40);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 40, 20), 1.2));
    // Body and roof of a small church with a cross on its dome.
    p.setBrush(QColor(245, 240, 225));
    p.drawRect(QRectF(8, 20, 24, 17));
    QPolygonF roof;
    roof << QPointF(6, 21) << QPointF(20, 12) << QPointF(34, 21);
    p.setBrush(QColor(170, 60, 40));
    p.drawPolygon(roof);
    p.setBrush(QColor(220, 180, 60));
    p.drawEllipse(QRectF(15, 7, 10, 9));
    p.setPen(QPen(QColor(150, 110, 20), 2));
    p.drawLine(QPointF(20, 1), QPointF(20, 8));
    p.drawLine(QPointF(17, 3.5), QPointF(23, 3.5));
    p.setPen(QPen(QColor(60, 40, 20), 1.2));
    p.setBrush(QColor(110, 80, 50));
    p.drawRoundedRect(QRectF(17, 27, 6, 10), 3, 3);
    return pm;
}

QPixmap ledgerPicture() {
    QPixmap pm = blank(40, 40);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(120, 30, 30));
    p.drawRoundedRect(QRectF(5, 4, 28, 32), 2, 2);
    p.setBrush(QColor(250, 248, 235));
    p.drawRect(QRectF(9, 7, 21, 26));
    p.setPen(QPen(QColor(120, 120, 160), 1));
    for (int y = 12; y <= 29; y += 4) p.drawLine(QPointF(11, y), QPointF(28, y));
    p.setPen(QPen(QColor(190, 40, 40), 1));
    p.drawLine(QPointF(22, 9), QPointF(22, 31));
    return pm;
}

QPixmap vendorPicture() {
    QPixmap pm = blank(40, 40);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 80, 150));
    p.drawEllipse(QRectF(3, 3, 34, 34));
    QFont f;
    f.setBold(true);
    f.setPixelSize(22);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 34, 34), Qt::AlignCenter, QStringLiteral("Q"));
    return pm;
}

}  // namespace app::pictures
