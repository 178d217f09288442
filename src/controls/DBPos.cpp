#include "controls/DBPos.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace ui {

TDBPos::TDBPos(QWidget* parent) : RecordControl<QWidget>(parent) {
    setFocusPolicy(Qt::NoFocus);
    color_ = palette().color(QPalette::Window);
    resize(100, 100);
    // Any change of the data set (opened, scrolled, refreshed, a record
    // changed or its state) may move the position or the count.
    auto changed = [this] { dataChanged(); };
    link_.onActiveChanged = changed;
    link_.onDataSetChanged = changed;
    link_.onEditingChanged = changed;
    link_.onRecordChanged = [this](data::Field*) { dataChanged(); };
}

void TDBPos::dataChanged() {
    data::DataSet* ds = link_.dataSet();
    bool active = ds && ds->active();
    setMaxValue(active ? ds->recordCount() : 0);
    setMinValue(0);
    setProgress(active ? ds->recNo() : 0);
}

void TDBPos::setKind(TGaugeKind k) {
    if (k != kind_) kind_ = k, update();
}
void TDBPos::setShowText(bool s) {
    if (s != showText_) showText_ = s, update();
}
void TDBPos::setBorderStyle(TBorderStyle b) {
    if (b != border_) border_ = b, update();
}
void TDBPos::setForeColor(const QColor& c) {
    if (c != fore_) fore_ = c, update();
}
void TDBPos::setBackColor(const QColor& c) {
    if (c != back_) back_ = c, update();
}
void TDBPos::setColor(const QColor& c) {
    if (c != color_) color_ = c, update();
}
void TDBPos::setMinValue(int v) {
    if (v != min_) min_ = v, update();
}
void TDBPos::setMaxValue(int v) {
    if (v != max_) max_ = v, update();
}

void TDBPos::setProgress(int v) {
    if (v == progress_ || v < min_ || v > max_) return;
    progress_ = v;
    update();
}

int TDBPos::percentDone() const {
    if (max_ == min_) return 0;
    return static_cast<int>(static_cast<long long>(progress_ - min_) * 100 / (max_ - min_));
}

QString TDBPos::text() const { return QString::number(progress_) + QLatin1Char('/') + QString::number(max_); }

QImage TDBPos::render() const {
    TBltBitmap img;
    img.MakeLike(size());
    img.fill(color_);
    QPainter p(&img);
    QRect r = rect();
    if (border_ == bsSingle) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    const int pct = percentDone();
    switch (kind_) {
        case gkText: p.fillRect(r, back_); break;
        case gkHorizontalBar: {
            p.fillRect(r, back_);
            int w = std::min(static_cast<int>(static_cast<long long>(r.width()) * pct / 100), r.width());
            if (w >= 1) p.fillRect(QRect(r.left(), r.top(), w, r.height()), fore_);
            break;
        }
        case gkVerticalBar: {
            p.fillRect(r, back_);
            int h = std::min(static_cast<int>(static_cast<long long>(r.height()) * pct / 100), r.height());
            if (h >= 1) p.fillRect(QRect(r.left(), r.bottom() - h + 1, r.width(), h), fore_);
            break;
        }
        case gkPie: {
            p.fillRect(r, color_);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(fore_);
            p.setBrush(back_);
            QRectF e = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
            p.drawEllipse(e);
            if (pct > 0) {
                p.setBrush(fore_);
                // from 12 o'clock clockwise (Qt angles run counter-clockwise in 1/16 degree)
                p.drawPie(e, 90 * 16, -static_cast<int>(std::lround(pct * 3.6 * 16)));
            }
            break;
        }
        case gkNeedle: {
            p.fillRect(r, color_);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(fore_);
            p.setBrush(back_);
            QRectF e(r.left() + 0.5, r.top() + 0.5, r.width() - 1.0, 2.0 * r.height() - 1.0);
            p.drawChord(e, 0, 180 * 16);
            if (pct > 0) {
                double a = pct * 1.8 * 3.14159265358979 / 180.0;  // 0 % points left, 100 % right
                QPointF c(e.center().x(), r.bottom() + 0.5);
                QPointF tip(c.x() - std::cos(a) * e.width() / 2, c.y() - std::sin(a) * e.height() / 2);
                p.drawLine(c, tip);
            }
            break;
        }
    }
    if (showText_) {
        // The letters invert what is under them, readable over bar and background.
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        p.setPen(Qt::white);
        p.setFont(font());
        p.drawText(r, Qt::AlignCenter, text());
    }
    p.end();
    return img;
}

void TDBPos::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, render());
}

}  // namespace ui
