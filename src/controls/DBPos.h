// The record-position bar: shows the current record's position and the
// record count of the data set behind its data source as a gauge with the
// text "n/N" drawn inverted over it.
#pragma once
#include <QColor>
#include <QImage>
#include <QWidget>

#include "controls/DataControl.h"

namespace ui {

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum TBorderStyle { bsNone, bsSingle };

// Off-screen picture of the same size as another one.
class TBltBitmap : public QImage {
public:
    TBltBitmap() = default;
    void MakeLike(const QImage& other) {
        *static_cast<QImage*>(this) = QImage(other.size(), QImage::Format_ARGB32_Premultiplied);
    }
    void MakeLike(const QSize& size) {
        *static_cast<QImage*>(this) = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }
};

class TDBPos : public RecordControl<QWidget> {
    Q_OBJECT
public:
    explicit TDBPos(QWidget* parent = nullptr);

    TGaugeKind kind() const { return kind_; }
    void setKind(TGaugeKind k);
    bool showText() const { return showText_; }
    void setShowText(bool s);
    TBorderStyle borderStyle() const { return border_; }
    void setBorderStyle(TBorderStyle b);
    QColor foreColor() const { return fore_; }
    void setForeColor(const QColor& c);
    QColor backColor() const { return back_; }
    void setBackColor(const QColor& c);
    // The control colour (around the pie).
    QColor color() const { return color_; }
    void setColor(const QColor& c);
    int minValue() const { return min_; }
    void setMinValue(int v);
    int maxValue() const { return max_; }
    void setMaxValue(int v);
    int progress() const { return progress_; }
    // Ignored unless the value differs and lies within [minValue, maxValue].
    void setProgress(int v);

    int percentDone() const;
    QString text() const;  // "15/120"
    // The picture as painted (for inspection).
    QImage render() const;

    QSize sizeHint() const override { return QSize(100, 100); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void dataChanged();
    TGaugeKind kind_ = gkHorizontalBar;
    bool showText_ = true;
    TBorderStyle border_ = bsSingle;
    QColor fore_ = Qt::black, back_ = Qt::white, color_;
    int min_ = 0, max_ = 100, progress_ = 0;
};

}  // namespace ui
