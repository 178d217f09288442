#include "reports/Qprndlg.h"

#include <QCheckBox>
#include <QFontComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>

#include "ui_Fontdlg.h"
#include "ui_Qprndlg.h"

#include "controls/Binding.h"
#include "reports/Fonts.h"
#include "reports/Printer.h"
#include "shell/Messages.h"

namespace reports {

namespace {

// Modal dialogs: centred, fixed size, a title bar with a close box.
constexpr ui::WindowSpec kDialog{};

}  // namespace

// ------------------------------------------------------------------ font dialog

TReportFontDlg::TReportFontDlg(QWidget* parent) : DataWindow(parent, kDialog) {
    ui::setupForm<Ui_TReportFontDlg>(this);
    FontCombo = ui::child<QFontComboBox>(this, "FontCombo");
    SizeSpin = ui::child<QSpinBox>(this, "SizeSpin");
    Sample = ui::child<QLabel>(this, "Sample");
    connect(ui::child<QPushButton>(this, "OKBtn"), &QPushButton::clicked, this, &QDialog::accept);
    connect(ui::child<QPushButton>(this, "CancelBtn"), &QPushButton::clicked, this, &QDialog::reject);
    connect(FontCombo, &QFontComboBox::currentFontChanged, this, [this] {
        if (!loading_) changed_ = true;
        showSample();
    });
    connect(SizeSpin, &QSpinBox::valueChanged, this, &TReportFontDlg::showSample);
    finishLayout();
}

void TReportFontDlg::showSample() {
    QFont f = FontCombo->currentFont();
    f.setPointSize(SizeSpin->value());
    Sample->setFont(f);
}

void TReportFontDlg::setReportFont(const QString& name, int size) {
    loading_ = true;
    original_ = name;
    changed_ = false;
    FontCombo->setCurrentFont(QFont(resolveFontFamily(name)));
    SizeSpin->setValue(size);
    loading_ = false;
}

QString TReportFontDlg::fontName() const { return changed_ ? FontCombo->currentFont().family() : original_; }

int TReportFontDlg::fontSize() const { return SizeSpin->value(); }

// ------------------------------------------------------------------ print dialog

std::function<bool(QWidget*, QString&, int&)> TQRPrnDlg::fontChooser;

namespace {

QPixmap pagePicture(bool landscape, bool margins) {
    const QSize size = landscape ? QSize(64, 46) : QSize(46, 64);
    QPixmap pm(size + QSize(4, 4));
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect page(1, 1, size.width(), size.height());
    p.fillRect(page.translated(2, 2), QColor(90, 90, 90));
    p.fillRect(page, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(page);
    if (margins) {
        p.setPen(QPen(QColor(0, 0, 200), 1, Qt::DashLine));
        p.drawRect(page.adjusted(6, 6, -6, -6));
        p.setPen(QColor(150, 150, 150));
        for (int y = page.top() + 10; y < page.bottom() - 8; y += 5)
            p.drawLine(page.left() + 9, y, page.right() - 9, y);
    } else {
        QFont f;
        f.setPixelSize(landscape ? 28 : 34);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0, 0, 120));
        p.drawText(page, Qt::AlignCenter, QStringLiteral("A"));
    }
    return pm;
}

}  // namespace

TQRPrnDlg::TQRPrnDlg(QWidget* parent) : DataWindow(parent, kDialog) {
    ui::setupForm<Ui_TQRPrnDlg>(this);
    PageControl = ui::child<QTabWidget>(this, "PageControl");
    ListareTab = ui::child<QWidget>(this, "ListareTab");
    PaginaTab = ui::child<QWidget>(this, "PaginaTab");
    RBAll = ui::child<QRadioButton>(this, "RBAll");
    RBPartial = ui::child<QRadioButton>(this, "RBPartial");
    FirstPageSpin = ui::child<QSpinBox>(this, "FirstPageSpin");
    LastPageSpin = ui::child<QSpinBox>(this, "LastPageSpin");
    CopiesSpin = ui::child<QSpinBox>(this, "CopiesSpin");
    CBPrev = ui::child<QCheckBox>(this, "CBPrev");
    PrinterLbl = ui::child<QLabel>(this, "PrinterLbl");
    FontLbl = ui::child<QLabel>(this, "FontLbl");
    TopEdit = ui::child<QSpinBox>(this, "TopEdit");
    BottomEdit = ui::child<QSpinBox>(this, "BottomEdit");
    LeftEdit = ui::child<QSpinBox>(this, "LeftEdit");
    RightEdit = ui::child<QSpinBox>(this, "RightEdit");
    MarginImage = ui::child<QLabel>(this, "MarginImage");
    CBPortrait = ui::child<QRadioButton>(this, "CBPortrait");
    CBLandscape = ui::child<QRadioButton>(this, "CBLandscape");
    OrientationImage = ui::child<QLabel>(this, "OrientationImage");
    PrnBtn = ui::child<QPushButton>(this, "PrnBtn");
    FntBtn = ui::child<QPushButton>(this, "FntBtn");
    CancelBtn = ui::child<QPushButton>(this, "CancelBtn");
    OKBtn = ui::child<QPushButton>(this, "OKBtn");

    connect(RBAll, &QRadioButton::clicked, this, &TQRPrnDlg::RBAllClick);
    connect(RBPartial, &QRadioButton::clicked, this, &TQRPrnDlg::RBAllClick);
    connect(FirstPageSpin, &QSpinBox::valueChanged, this, &TQRPrnDlg::FirstPageSpinChange);
    connect(TopEdit, &QSpinBox::valueChanged, this, [this] { marginChanged(TopEdit, BottomEdit); });
    connect(BottomEdit, &QSpinBox::valueChanged, this, [this] { marginChanged(BottomEdit, TopEdit); });
    connect(LeftEdit, &QSpinBox::valueChanged, this, [this] { marginChanged(LeftEdit, RightEdit); });
    connect(RightEdit, &QSpinBox::valueChanged, this, [this] { marginChanged(RightEdit, LeftEdit); });
    connect(CBPortrait, &QRadioButton::clicked, this, [this] { orientationClicked(Orientation::Portrait); });
    connect(CBLandscape, &QRadioButton::clicked, this, [this] { orientationClicked(Orientation::Landscape); });
    connect(PrnBtn, &QPushButton::clicked, this, &TQRPrnDlg::PrnBtnClick);
    connect(FntBtn, &QPushButton::clicked, this, &TQRPrnDlg::FntBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TQRPrnDlg::reject);
    connect(OKBtn, &QPushButton::clicked, this, &TQRPrnDlg::OKBtnClick);
    finishLayout();
}

void TQRPrnDlg::loadSettings() {
    TPrintSettings& s = PrintSettings;
    PrinterDevice& printer = currentPrinter();
    // 1. preview choice, font, labels, first tab
    CBPrev->setChecked(s.Preview);
    fontName_ = s.FontName;
    fontSize_ = s.FontSize;
    fontPitch_ = s.FontPitch;
    refreshFontLabel();
    refreshPrinterLabel();
    PageControl->setCurrentWidget(ListareTab);
    // 2. orientation
    printer.setOrientation(s.Orientation);
    orientation_ = s.Orientation;
    (s.Orientation == Orientation::Portrait ? CBPortrait : CBLandscape)->setChecked(true);
    refreshPictures();
    // 3. paper
    if (s.PaperSize >= 1 && s.PaperSize <= 31) printer.setPaperCode(PaperCodeOf(s.PaperSize));
    // 4. printable area and margin maxima
    const PrintableArea a = GetPrintableArea(printer);
    s.MinLeft = a.MinLeft;
    s.MinTop = a.MinTop;
    s.MinRight = a.MinRight;
    s.MinBottom = a.MinBottom;
    LeftEdit->setMaximum(a.PageWidth);
    RightEdit->setMaximum(a.PageWidth);
    TopEdit->setMaximum(a.PageHeight);
    BottomEdit->setMaximum(a.PageHeight);
    // 5. stored margins inside the printable area
    if (s.LeftMargin < s.MinLeft || s.LeftMargin > a.PageWidth) s.LeftMargin = s.MinLeft;
    if (s.TopMargin < s.MinTop || s.TopMargin > a.PageHeight) s.TopMargin = s.MinTop;
    if (s.RightMargin < s.MinRight || s.RightMargin > a.PageWidth) s.RightMargin = s.MinRight;
    if (s.BottomMargin < s.MinBottom || s.BottomMargin > a.PageHeight) s.BottomMargin = s.MinBottom;
    TopEdit->setValue(s.TopMargin);
    BottomEdit->setValue(s.BottomMargin);
    LeftEdit->setValue(s.LeftMargin);
    RightEdit->setValue(s.RightMargin);
}

std::function<void(bool)> onPreviewChoiceChanged;

void TQRPrnDlg::storeSettings() {
    TPrintSettings& s = PrintSettings;
    if (s.Preview != CBPrev->isChecked() && onPreviewChoiceChanged) onPreviewChoiceChanged(CBPrev->isChecked());
    s.FontName = fontName_.left(30);
    s.FontSize = fontSize_;
    s.FontPitch = fontPitch_;
    s.Preview = CBPrev->isChecked();
    s.Copies = CopiesSpin->value();
    if (RBAll->isChecked()) {
        s.FirstPage = s.LastPage = 0;
    } else {
        s.FirstPage = FirstPageSpin->value();
        s.LastPage = LastPageSpin->value();
    }
    s.PaperSize = PaperNumberOf(currentPrinter().paperCode());
    s.Orientation = CBPortrait->isChecked() ? Orientation::Portrait : Orientation::Landscape;
    s.TopMargin = TopEdit->value();
    s.BottomMargin = BottomEdit->value();
    s.LeftMargin = LeftEdit->value();
    s.RightMargin = RightEdit->value();
}

void TQRPrnDlg::refreshPrinterLabel() {
    PrinterDevice& p = currentPrinter();
    PrinterLbl->setText(p.name());
}

void TQRPrnDlg::refreshFontLabel() { FontLbl->setText(fontName_ + QStringLiteral("   ") + QString::number(fontSize_)); }

void TQRPrnDlg::refreshMaxima() {
    const PrintableArea a = GetPrintableArea(currentPrinter());
    LeftEdit->setMaximum(a.PageWidth);
    RightEdit->setMaximum(a.PageWidth);
    TopEdit->setMaximum(a.PageHeight);
    BottomEdit->setMaximum(a.PageHeight);
}

void TQRPrnDlg::refreshPictures() {
    const bool landscape = orientation_ == Orientation::Landscape;
    MarginImage->setPixmap(pagePicture(landscape, true));
    OrientationImage->setPixmap(pagePicture(landscape, false));
}

void TQRPrnDlg::RBAllClick() {
    const bool partial = RBPartial->isChecked();
    FirstPageSpin->setEnabled(partial);
    LastPageSpin->setEnabled(partial);
    if (partial) FirstPageSpin->setFocus();
}

void TQRPrnDlg::FirstPageSpinChange() {
    LastPageSpin->setMinimum(FirstPageSpin->value());
    if (LastPageSpin->value() < FirstPageSpin->value()) LastPageSpin->setValue(FirstPageSpin->value());
}

void TQRPrnDlg::marginChanged(QSpinBox* edit, QSpinBox* opposite) {
    if (adjusting_) return;
    if (edit->value() + opposite->value() > edit->maximum()) {
        adjusting_ = true;
        edit->setValue(edit->maximum() - opposite->value());
        adjusting_ = false;
    }
}

void TQRPrnDlg::orientationClicked(Orientation o) {
    if (o != orientation_) {
        currentPrinter().setOrientation(o);
        orientation_ = o;
        refreshMaxima();
    }
    refreshPictures();
}

void TQRPrnDlg::PrnBtnClick() {
    PrinterDevice& p = currentPrinter();
    p.setupDialog(this);
    refreshPrinterLabel();
    refreshMaxima();
    orientation_ = p.orientation();
    (orientation_ == Orientation::Portrait ? CBPortrait : CBLandscape)->setChecked(true);
    refreshPictures();
}

void TQRPrnDlg::FntBtnClick() {
    QString name = fontName_;
    int size = fontSize_;
    bool ok;
    if (fontChooser) {
        ok = fontChooser(this, name, size);
    } else {
        TReportFontDlg dlg(this);
        dlg.setReportFont(name, size);
        ok = dlg.exec() == QDialog::Accepted;
        if (ok) {
            name = dlg.fontName();
            size = dlg.fontSize();
        }
    }
    if (ok) {
        fontName_ = name;
        fontSize_ = std::clamp(size, 5, 48);
    }
    refreshFontLabel();
}

void TQRPrnDlg::OKBtnClick() {
    TPrintSettings& s = PrintSettings;
    PrinterDevice& printer = currentPrinter();
    printer.setOrientation(orientation_);
    const PrintableArea a = GetPrintableArea(printer);
    s.MinLeft = a.MinLeft;
    s.MinTop = a.MinTop;
    s.MinRight = a.MinRight;
    s.MinBottom = a.MinBottom;
    if (LeftEdit->value() >= a.MinLeft && TopEdit->value() >= a.MinTop && RightEdit->value() >= a.MinRight &&
        BottomEdit->value() >= a.MinBottom) {
        storeSettings();
        accept();
        return;
    }
    if (!ui::Messages::askYesNo(
            QStringLiteral("Cel putin o margine este prea mica pentru a intra în zona imprimabila!\n"
                           "Doriti ajustarea marginilor respective?"),
            ui::MsgType::Warning, this)) {
        storeSettings();
        accept();
        return;
    }
    QSpinBox* last = nullptr;
    auto raise = [&last](QSpinBox* edit, int min) {
        if (edit->value() < min) {
            edit->setValue(min);
            last = edit;
        }
    };
    raise(LeftEdit, a.MinLeft);
    raise(TopEdit, a.MinTop);
    raise(RightEdit, a.MinRight);
    raise(BottomEdit, a.MinBottom);
    if (LeftEdit->value() + RightEdit->value() >= a.PageWidth) {
        LeftEdit->setValue(a.MinLeft);
        RightEdit->setValue(a.MinRight);
        last = RightEdit;
    }
    if (TopEdit->value() + BottomEdit->value() >= a.PageHeight) {
        TopEdit->setValue(a.MinTop);
        BottomEdit->setValue(a.MinBottom);
        last = BottomEdit;
    }
    PageControl->setCurrentWidget(PaginaTab);
    if (last) last->setFocus();
}

void TQRPrnDlg::reject() {
    currentPrinter().setOrientation(PrintSettings.Orientation);
    DataWindow::reject();
}

bool ExecutePrintDialog(QWidget* owner) {
    TQRPrnDlg dlg(owner);
    dlg.loadSettings();
    return dlg.exec() == QDialog::Accepted;
}

}  // namespace reports
