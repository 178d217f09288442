#include "controls/LinkLab.h"

#include <QDesktopServices>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace ui {

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
    shadowColor_ = palette().color(QPalette::Light);  // the button-highlight colour
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
    resize(65, 17);
}

QString TLinkLabel::schemeOf(TURLType t) {
    switch (t) {
        case utFile: return QStringLiteral("file://");
        case utFtp: return QStringLiteral("ftp://");
        case utGopher: return QStringLiteral("gopher://");
        case utHttp: return QStringLiteral("http://");
        case utHttps: return QStringLiteral("https://");
        case utMailto: return QStringLiteral("mailto:");
        case utNews: return QStringLiteral("news:");
        case utTelnet: return QStringLiteral("telnet:");
        case utWais: return QStringLiteral("wais:");
    }
    return {};
}

QString TLinkLabel::target() const {
    if (!urlEnabled_ || (caption().isEmpty() && url_.isEmpty())) return {};
    QString address = url_.isEmpty() ? caption() : url_;
    if (urlTypeAdd_) address = schemeOf(urlType_) + address;
    return address;
}

bool TLinkLabel::open() {
    const QString t = target();
    if (t.isEmpty()) return false;
    // The shell resolves text without a scheme the way a user's entry would be.
    QUrl u(t, QUrl::TolerantMode);
    if (u.scheme().isEmpty()) u = QUrl::fromUserInput(t);
    return QDesktopServices::openUrl(u);
}

void TLinkLabel::setCaption(const QString& c) {
    setText(c);
    adjustBounds();
    update();
}

void TLinkLabel::setTextAlignment(Qt::Alignment a) {
    setAlignment((a & Qt::AlignHorizontal_Mask) | (alignment() & Qt::AlignVertical_Mask));
    update();
}

void TLinkLabel::setTextLayout(TTextLayout l) {
    layout_ = l;
    Qt::Alignment v = l == tlTop ? Qt::AlignTop : l == tlCenter ? Qt::AlignVCenter : Qt::AlignBottom;
    setAlignment((alignment() & Qt::AlignHorizontal_Mask) | v);
    update();
}

void TLinkLabel::setWordWrapping(bool w) {
    setWordWrap(w);
    adjustBounds();
    update();
}

void TLinkLabel::setAutoSize(bool a) {
    autoSize_ = a;
    adjustBounds();
}

void TLinkLabel::setTransparent(bool t) {
    transparent_ = t;
    update();
}

void TLinkLabel::setShadowColor(const QColor& c) {
    shadowColor_ = c;
    update();
}

void TLinkLabel::setShadowSize(int s) {
    shadowSize_ = std::max(0, s);
    adjustBounds();
    update();
}

void TLinkLabel::setShadowPos(TShadowPosition p) {
    shadowPos_ = p;
    update();
}

void TLinkLabel::setShowAccelChar(bool s) {
    showAccelChar_ = s;
    adjustBounds();
    update();
}

QColor TLinkLabel::fontColor() const { return palette().color(QPalette::WindowText); }

void TLinkLabel::setFontColor(const QColor& c) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, c);
    setPalette(p);
}

int TLinkLabel::drawFlags() const {
    int f = static_cast<int>(alignment());
    if (wordWrap()) f |= Qt::TextWordWrap;
    if (showAccelChar_) f |= Qt::TextShowMnemonic;
    return f;
}

QPoint TLinkLabel::shadowOffset() const {
    int s = shadowSize_;
    switch (shadowPos_) {
        case spLeftTop: return QPoint(-s, -s);
        case spLeftBottom: return QPoint(-s, s);
        case spRightBottom: return QPoint(s, s);
        case spRightTop: return QPoint(s, -s);
    }
    return {};
}

QSize TLinkLabel::sizeHint() const {
    QRect r = fontMetrics().boundingRect(QRect(0, 0, wordWrap() ? std::max(width(), 10) : 100000, 100000),
                                         drawFlags() & ~Qt::AlignVertical_Mask & ~Qt::AlignHorizontal_Mask,
                                         text().isEmpty() ? QStringLiteral(" ") : text());
    return QSize(r.width() + shadowSize_ + 1, r.height() + shadowSize_);
}

void TLinkLabel::adjustBounds() {
    if (!autoSize_) return;
    QSize s = sizeHint();
    if (wordWrap()) s.setWidth(width());
    QRect g = geometry();
    if (textAlignment() & Qt::AlignRight)
        g.setLeft(g.right() - s.width() + 1);  // keep the right edge
    else
        g.setWidth(s.width());
    g.setHeight(s.height());
    setGeometry(g);
}

void TLinkLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!transparent_) p.fillRect(rect(), palette().color(QPalette::Window));
    QRect r = contentsRect();
    // room for the shadow on the side it falls
    QPoint off = shadowOffset();
    if (off.x() < 0) r.setLeft(r.left() - off.x());
    if (off.y() < 0) r.setTop(r.top() - off.y());
    const int flags = drawFlags();
    QColor textColor = fontColor(), shadow = shadowColor_;
    if (!isEnabled()) {
        textColor = palette().color(QPalette::Disabled, QPalette::Text);
        shadow = palette().color(QPalette::Light);
    }
    if (shadowSize_ > 0) {
        p.setPen(shadow);
        p.drawText(r.translated(off), flags, text());
    }
    p.setPen(textColor);
    p.drawText(r, flags, text());
    if (showFocus_ && hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TLinkLabel::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    QLabel::mousePressEvent(e);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (!rect().contains(e->position().toPoint())) return;
    emit clicked();
    open();
    update();
}

void TLinkLabel::enterEvent(QEnterEvent* e) {
    QLabel::enterEvent(e);
    if (hovering_) return;
    hovering_ = true;
    savedColor_ = fontColor();
    setFontColor(linkColor_);
}

void TLinkLabel::leaveEvent(QEvent* e) {
    QLabel::leaveEvent(e);
    if (!hovering_) return;
    hovering_ = false;
    setFontColor(savedColor_);
}

void TLinkLabel::changeEvent(QEvent* e) {
    QLabel::changeEvent(e);
    if (e->type() == QEvent::FontChange) adjustBounds();
}

}  // namespace ui
