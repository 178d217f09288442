// A label that opens a web address, mail address or file with the
// operating system's shell when clicked; drawn with a shadow, in the link
// colour while the mouse is over it.
#pragma once
#include <QColor>
#include <QLabel>

namespace ui {

enum TURLType { utFile, utFtp, utGopher, utHttp, utHttps, utMailto, utNews, utTelnet, utWais };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& c);
    TURLType urlType() const { return urlType_; }
    void setURLType(TURLType t) { urlType_ = t; }
    bool urlTypeAdd() const { return urlTypeAdd_; }
    void setURLTypeAdd(bool a) { urlTypeAdd_ = a; }
    bool urlEnabled() const { return urlEnabled_; }
    void setURLEnabled(bool e) { urlEnabled_ = e; }
    QColor linkColor() const { return linkColor_; }
    void setLinkColor(const QColor& c) { linkColor_ = c; }
    // The address; when empty the caption is the address.
    QString url() const { return url_; }
    void setUrl(const QString& u) { url_ = u; }

    Qt::Alignment textAlignment() const { return alignment() & Qt::AlignHorizontal_Mask; }
    void setTextAlignment(Qt::Alignment a);
    TTextLayout textLayout() const { return layout_; }
    void setTextLayout(TTextLayout l);
    void setWordWrapping(bool w);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool a);
    bool transparent() const { return transparent_; }
    void setTransparent(bool t);
    QColor shadowColor() const { return shadowColor_; }
    void setShadowColor(const QColor& c);
    int shadowSize() const { return shadowSize_; }
    void setShadowSize(int s);
    TShadowPosition shadowPos() const { return shadowPos_; }
    void setShadowPos(TShadowPosition p);
    bool showAccelChar() const { return showAccelChar_; }
    void setShowAccelChar(bool s);
    // The control an accelerator letter of the caption focuses.
    void setFocusControl(QWidget* w) { setBuddy(w); }
    QWidget* focusControl() const { return buddy(); }
    bool showFocus() const { return showFocus_; }
    void setShowFocus(bool s) { showFocus_ = s; }
    // The font colour (the caption's colour while the mouse is elsewhere).
    QColor fontColor() const;
    void setFontColor(const QColor& c);

    // The text handed to the shell: the address (or caption) with the
    // scheme of urlType put before it when urlTypeAdd; empty when there is
    // nothing to open.
    QString target() const;
    // Asks the shell to open the link; true when it accepted.
    bool open();

    static QString schemeOf(TURLType t);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    int drawFlags() const;
    QPoint shadowOffset() const;
    void adjustBounds();

    TURLType urlType_ = utMailto;
    bool urlTypeAdd_ = true, urlEnabled_ = true;
    QColor linkColor_ = Qt::blue;
    QString url_;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true, transparent_ = true;
    QColor shadowColor_;
    int shadowSize_ = 1;
    TShadowPosition shadowPos_ = spLeftTop;
    bool showAccelChar_ = true, showFocus_ = false;
    bool hovering_ = false, pressed_ = false;
    QColor savedColor_;
};

}  // namespace ui
