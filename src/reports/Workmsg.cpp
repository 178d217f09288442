#include "reports/Workmsg.h"

#include <QApplication>
#include <algorithm>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace ui {

namespace {

constexpr int kDesignedWidth = 330;
constexpr int kDesignedHeight = 56;
constexpr int kPictureWidth = 40;

// A small hourglass for the right edge of the window.
QPixmap hourglassPicture() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 20), 2));
    p.drawLine(7, 4, 25, 4);
    p.drawLine(7, 28, 25, 28);
    QPolygon glass;
    glass << QPoint(9, 5) << QPoint(23, 5) << QPoint(17, 16) << QPoint(23, 27) << QPoint(9, 27) << QPoint(15, 16);
    p.setBrush(QColor(235, 235, 245));
    p.drawPolygon(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 170, 60));
    QPolygon sand;
    sand << QPoint(11, 8) << QPoint(21, 8) << QPoint(16, 15);
    p.drawPolygon(sand);
    sand.clear();
    sand << QPoint(16, 21) << QPoint(21, 26) << QPoint(11, 26);
    p.drawPolygon(sand);
    return pm;
}

// A tool window of its owner, never above the other windows: the window
// manager keeps it over its owner only, so a dialog opened later comes over
// it. Made while its owner is not yet on the screen (the schema upgrade
// during start-up), it closes when the owner shows.
class TMessageForm : public QWidget {
public:
    explicit TMessageForm(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint) {
        setObjectName(QStringLiteral("MessageForm"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        if (owner && !owner->window()->isVisible()) {
            ownerWindow_ = owner->window();
            ownerWindow_->installEventFilter(this);
        }
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
        setPalette(pal);

        auto* outer = new QHBoxLayout(this);
        outer->setContentsMargins(3, 3, 3, 3);
        auto* panel = new QFrame(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        outer->addWidget(panel);
        auto* row = new QHBoxLayout(panel);
        row->setContentsMargins(2, 2, 2, 2);
        row->setSpacing(2);

        MsgPanel = new QLabel(panel);
        MsgPanel->setObjectName(QStringLiteral("MsgPanel"));
        MsgPanel->setAlignment(Qt::AlignCenter);
        // The window's width is set from the text below, not by the label.
        MsgPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        MsgPanel->setAutoFillBackground(true);
        QFont bold = MsgPanel->font();
        bold.setBold(true);
        MsgPanel->setFont(bold);
        QPalette mp = MsgPanel->palette();
        mp.setColor(QPalette::Window, mp.color(QPalette::Active, QPalette::Highlight));
        mp.setColor(QPalette::WindowText, Qt::white);
        MsgPanel->setPalette(mp);
        row->addWidget(MsgPanel, 1);

        auto* picture = new QLabel(panel);
        picture->setPixmap(hourglassPicture());
        picture->setFixedWidth(kPictureWidth - 4);
        picture->setAlignment(Qt::AlignCenter);
        row->addWidget(picture);

        resize(kDesignedWidth, kDesignedHeight);
        centreOnScreen();
    }

    void setText(const QString& text, bool first) {
        if (first) {
            // Widen the window for a long text, never beyond the screen.
            const int textWidth = QFontMetrics(MsgPanel->font()).horizontalAdvance(text);
            if (textWidth > kDesignedWidth - kPictureWidth) {
                int w = textWidth + kPictureWidth + 18;
                if (const QScreen* s = screenFor()) w = std::min(w, s->geometry().width());
                resize(w, height());
                centreOnScreen();
            }
        }
        MsgPanel->setText(text);
        if (isVisible()) repaint();
    }

    QLabel* MsgPanel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == ownerWindow_ && e->type() == QEvent::Show) {
            ownerWindow_->removeEventFilter(this);
            close();
        }
        return false;
    }

private:
    QWidget* ownerWindow_ = nullptr;
    QScreen* screenFor() const {
        if (parentWidget() && parentWidget()->screen()) return parentWidget()->screen();
        return QGuiApplication::primaryScreen();
    }
    void centreOnScreen() {
        if (const QScreen* s = screenFor()) {
            const QRect g = s->availableGeometry();
            move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
        }
    }
};

QPointer<TMessageForm>& messageForm() {
    static QPointer<TMessageForm> f;
    return f;
}

}  // namespace

void ShowWorkMessage(QWidget* owner, const QString& text) {
    QPointer<TMessageForm>& form = messageForm();
    const bool first = !form;
    if (first) form = new TMessageForm(owner);
    form->setText(text, first);
    if (first) {
        form->show();
        // Let the new window reach the screen before the long operation starts.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        form->repaint();
    }
}

QWidget* workMessageWindow() { return messageForm(); }

}  // namespace ui
