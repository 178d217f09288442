#include "reports/Qprndlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/Messages.h"
#include "reports/Fonts.h"
#include "reports/Printer.h"

namespace reports {

// ------------------------------------------------------------------ font dialog

TReportFontDlg::TReportFontDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Font"));
    FontCombo = new QFontComboBox(this);
    FontCombo->setFontFilters(QFontComboBox::ScalableFonts);
    FontCombo->setEditable(false);
    SizeSpin = new QSpinBox(this);
    SizeSpin->setRange(5, 48);
    Sample = new QLabel(QStringLiteral("AaBbCc ĂÂÎȘȚ 0123456789"), this);
    Sample->setMinimumHeight(60);
    Sample->setFrameShape(QFrame::StyledPanel);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Font:"), FontCombo);
    form->addRow(QStringLiteral("&Marime:"), SizeSpin);
    auto* box = new QDialogButtonBox(this);
    box->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    box->addButton(QStringLiteral("&Renunta"), QDialogButtonBox::RejectRole);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(Sample);
    main->addWidget(box);
    auto sample = [this] {
        QFont f = FontCombo->currentFont();
        f.setPointSize(SizeSpin->value());
        Sample->setFont(f);
    };
    connect(FontCombo, &QFontComboBox::currentFontChanged, this, [this, sample] {
        if (!loading_) changed_ = true;
        sample();
    });
    connect(SizeSpin, &QSpinBox::valueChanged, this, sample);
}

void TReportFontDlg::setFont(const QString& name, int size) {
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
        for (int y = page.top() + 10; y < page.bottom() - 8; y += 5) p.drawLine(page.left() + 9, y, page.right() - 9, y);
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

QSpinBox* marginSpin(QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setRange(0, 9999);
    return s;
}

}  // namespace

TQRPrnDlg::TQRPrnDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Setari pentru listarea rapoarte"));
    setModal(true);

    PageControl = new QTabWidget(this);

    // --- "Listare "
    ListareTab = new QWidget;
    RBAll = new QRadioButton(QStringLiteral("&Listeaza tot"), ListareTab);
    RBPartial = new QRadioButton(QStringLiteral("Listeaza &partial"), ListareTab);
    RBAll->setChecked(true);
    FirstPageSpin = new QSpinBox(ListareTab);
    FirstPageSpin->setRange(1, 9999);
    FirstPageSpin->setValue(1);
    LastPageSpin = new QSpinBox(ListareTab);
    LastPageSpin->setRange(1, 9999);
    LastPageSpin->setValue(1);
    FirstPageSpin->setEnabled(false);
    LastPageSpin->setEnabled(false);
    auto* firstLbl = new QLabel(QStringLiteral("&Prima pagina:"), ListareTab);
    firstLbl->setBuddy(FirstPageSpin);
    auto* lastLbl = new QLabel(QStringLiteral("Ultima p&agina:"), ListareTab);
    lastLbl->setBuddy(LastPageSpin);
    CopiesSpin = new QSpinBox(ListareTab);
    CopiesSpin->setRange(1, 1000);
    CopiesSpin->setValue(1);
    auto* copiesLbl = new QLabel(QStringLiteral("&Exemplare:"), ListareTab);
    copiesLbl->setBuddy(CopiesSpin);
    CBPrev = new QCheckBox(QStringLiteral("&Afisare pe ecran"), ListareTab);
    PrinterLbl = new QLabel(ListareTab);
    PrinterLbl->setWordWrap(true);
    FontLbl = new QLabel(ListareTab);

    auto* rangeBox = new QGroupBox(QStringLiteral("Pagini"), ListareTab);
    auto* rg = new QGridLayout(rangeBox);
    rg->addWidget(RBAll, 0, 0, 1, 2);
    rg->addWidget(RBPartial, 1, 0, 1, 2);
    rg->addWidget(firstLbl, 2, 0);
    rg->addWidget(FirstPageSpin, 2, 1);
    rg->addWidget(lastLbl, 3, 0);
    rg->addWidget(LastPageSpin, 3, 1);
    auto* lg = new QGridLayout(ListareTab);
    lg->addWidget(rangeBox, 0, 0, 3, 1);
    lg->addWidget(copiesLbl, 0, 1);
    lg->addWidget(CopiesSpin, 0, 2);
    lg->addWidget(CBPrev, 1, 1, 1, 2);
    auto* prnCaption = new QLabel(QStringLiteral("Imprimanta:"), ListareTab);
    auto* fontCaption = new QLabel(QStringLiteral("Font:"), ListareTab);
    lg->addWidget(prnCaption, 3, 0);
    lg->addWidget(PrinterLbl, 3, 1, 1, 2);
    lg->addWidget(fontCaption, 4, 0);
    lg->addWidget(FontLbl, 4, 1, 1, 2);
    PageControl->addTab(ListareTab, QStringLiteral("Listare "));

    // --- "Pagina"
    PaginaTab = new QWidget;
    MarginsBox = new QGroupBox(QStringLiteral("Margini de pagina"), PaginaTab);
    TopEdit = marginSpin(MarginsBox);
    BottomEdit = marginSpin(MarginsBox);
    LeftEdit = marginSpin(MarginsBox);
    RightEdit = marginSpin(MarginsBox);
    MarginImage = new QLabel(MarginsBox);
    auto* mg = new QGridLayout(MarginsBox);
    int row = 0;
    for (auto [caption, edit] : {std::pair{"Sus:", TopEdit}, std::pair{"Jos:", BottomEdit}, std::pair{"Stînga:", LeftEdit},
                                 std::pair{"Dreapta:", RightEdit}}) {
        auto* l = new QLabel(QString::fromUtf8(caption), MarginsBox);
        l->setBuddy(edit);
        mg->addWidget(l, row, 0);
        mg->addWidget(edit, row, 1);
        mg->addWidget(new QLabel(QStringLiteral("mm"), MarginsBox), row, 2);
        ++row;
    }
    mg->addWidget(MarginImage, 0, 3, 4, 1, Qt::AlignCenter);
    OrientationBox = new QGroupBox(QStringLiteral("Orientare"), PaginaTab);
    CBPortrait = new QRadioButton(QStringLiteral("&Portret"), OrientationBox);
    CBLandscape = new QRadioButton(QStringLiteral("P&eisaj"), OrientationBox);
    OrientationImage = new QLabel(OrientationBox);
    auto* og = new QGridLayout(OrientationBox);
    og->addWidget(CBPortrait, 0, 0);
    og->addWidget(CBLandscape, 1, 0);
    og->addWidget(OrientationImage, 0, 1, 2, 1, Qt::AlignCenter);
    auto* pg = new QHBoxLayout(PaginaTab);
    pg->addWidget(MarginsBox);
    pg->addWidget(OrientationBox);
    PageControl->addTab(PaginaTab, QStringLiteral("Pagina"));

    // --- buttons
    PrnBtn = new QPushButton(QStringLiteral("&Imprimanta"), this);
    FntBtn = new QPushButton(QStringLiteral("&Font"), this);
    CancelBtn = new QPushButton(QStringLiteral("&Inchide"), this);
    CancelBtn->setToolTip(QStringLiteral("Renunt"));
    OKBtn = new QPushButton(QStringLiteral("&Printeaza"), this);
    OKBtn->setToolTip(QStringLiteral("Sunt de acord"));
    for (QPushButton* b : {PrnBtn, FntBtn, CancelBtn, OKBtn}) b->setAutoDefault(false);
    auto* bl = new QHBoxLayout;
    bl->addWidget(PrnBtn);
    bl->addWidget(FntBtn);
    bl->addStretch(1);
    bl->addWidget(CancelBtn);
    bl->addWidget(OKBtn);
    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl);
    main->addLayout(bl);

    connect(RBAll, &QRadioButton::clicked, this, &TQRPrnDlg::RBAllClick);
    connect(RBPartial, &QRadioButton::clicked, this, &TQRPrnDlg::RBAllClick);
    connect(FirstPageSpin, &QSpinBox::valueChanged, this, &TQRPrnDlg::FirstPageSpinChange);
    connect(TopEdit, &QSpinBox::valueChanged, this, &TQRPrnDlg::TopEditChange);
    connect(BottomEdit, &QSpinBox::valueChanged, this, &TQRPrnDlg::BottomEditChange);
    connect(LeftEdit, &QSpinBox::valueChanged, this, &TQRPrnDlg::LeftEditChange);
    connect(RightEdit, &QSpinBox::valueChanged, this, &TQRPrnDlg::RightEditChange);
    connect(CBPortrait, &QRadioButton::clicked, this, &TQRPrnDlg::CBPortraitClick);
    connect(CBLandscape, &QRadioButton::clicked, this, &TQRPrnDlg::CBLandscapeClick);
    connect(PrnBtn, &QPushButton::clicked, this, &TQRPrnDlg::PrnBtnClick);
    connect(FntBtn, &QPushButton::clicked, this, &TQRPrnDlg::FntBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TQRPrnDlg::reject);
    connect(OKBtn, &QPushButton::clicked, this, &TQRPrnDlg::OKBtnClick);
}

void TQRPrnDlg::loadSettings() {
    TPrintSettings& s = PrintSettings;
    PrinterDevice& printer = currentPrinter();
    // 1. preview choice, font, labels, first tab
    CBPrev->setChecked(s.Preview);
    fontName = s.FontName;
    fontSize = s.FontSize;
    fontPitch = s.FontPitch;
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

void TQRPrnDlg::storeSettings() {
    TPrintSettings& s = PrintSettings;
    s.FontName = fontName.left(30);
    s.FontSize = fontSize;
    s.FontPitch = fontPitch;
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

void TQRPrnDlg::refreshFontLabel() { FontLbl->setText(fontName + QStringLiteral("   ") + QString::number(fontSize)); }

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

void TQRPrnDlg::TopEditChange() { marginChanged(TopEdit, BottomEdit); }
void TQRPrnDlg::BottomEditChange() { marginChanged(BottomEdit, TopEdit); }
void TQRPrnDlg::LeftEditChange() { marginChanged(LeftEdit, RightEdit); }
void TQRPrnDlg::RightEditChange() { marginChanged(RightEdit, LeftEdit); }

void TQRPrnDlg::orientationClicked(Orientation o) {
    if (o != orientation_) {
        currentPrinter().setOrientation(o);
        orientation_ = o;
        refreshMaxima();
    }
    refreshPictures();
}

void TQRPrnDlg::CBPortraitClick() { orientationClicked(Orientation::Portrait); }
void TQRPrnDlg::CBLandscapeClick() { orientationClicked(Orientation::Landscape); }

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
    QString name = fontName;
    int size = fontSize;
    bool ok;
    if (fontChooser) {
        ok = fontChooser(this, name, size);
    } else {
        TReportFontDlg dlg(this);
        dlg.setFont(name, size);
        ok = dlg.exec() == QDialog::Accepted;
        if (ok) {
            name = dlg.fontName();
            size = dlg.fontSize();
        }
    }
    if (ok) {
        fontName = name;
        fontSize = std::clamp(size, 5, 48);
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
    if (!ui::Messages::askYesNo(QStringLiteral("Cel putin o margine este prea mica pentru a intra în zona imprimabila!\n"
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
    QDialog::reject();
}

bool ExecutePrintDialog(QWidget* owner) {
    TQRPrnDlg dlg(owner);
    dlg.loadSettings();
    return dlg.exec() == QDialog::Accepted;
}

}  // namespace reports
