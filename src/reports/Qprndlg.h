// The print dialog of the report runs: page range, copies, preview choice,
// font, margins and orientation, checked against the printer's printable area.
#pragma once
#include <QDialog>
#include <functional>

#include "reports/PrintSettings.h"

class QCheckBox;
class QFontComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace reports {

// Font choice for reports: scalable fonts, sizes 5 to 48.
class TReportFontDlg : public QDialog {
    Q_OBJECT
public:
    explicit TReportFontDlg(QWidget* parent = nullptr);
    void setFont(const QString& name, int size);
    QString fontName() const;
    int fontSize() const;

    QFontComboBox* FontCombo;
    QSpinBox* SizeSpin;
    QLabel* Sample;

private:
    QString original_;  // kept unless the user picks another family
    bool changed_ = false, loading_ = false;
};

class TQRPrnDlg : public QDialog {
    Q_OBJECT
public:
    explicit TQRPrnDlg(QWidget* parent = nullptr);

    // Steps before showing: controls from PrintSettings, the printer's
    // orientation and paper, the printable area and the corrected margins.
    void loadSettings();
    // The confirmed values into PrintSettings.
    void storeSettings();

    QTabWidget* PageControl;
    QWidget* ListareTab;
    QWidget* PaginaTab;
    QRadioButton* RBAll;      // "&Listeaza tot"
    QRadioButton* RBPartial;  // "Listeaza &partial"
    QSpinBox* FirstPageSpin;
    QSpinBox* LastPageSpin;
    QSpinBox* CopiesSpin;
    QCheckBox* CBPrev;        // "&Afisare pe ecran"
    QLabel* PrinterLbl;
    QLabel* FontLbl;
    QGroupBox* MarginsBox;
    QSpinBox* TopEdit;
    QSpinBox* BottomEdit;
    QSpinBox* LeftEdit;
    QSpinBox* RightEdit;
    QLabel* MarginImage;
    QGroupBox* OrientationBox;
    QRadioButton* CBPortrait;
    QRadioButton* CBLandscape;
    QLabel* OrientationImage;
    QPushButton* PrnBtn;     // "&Imprimanta"
    QPushButton* FntBtn;     // "&Font"
    QPushButton* CancelBtn;  // "&Inchide"
    QPushButton* OKBtn;      // "&Printeaza"

    // The font chosen in the dialog.
    QString fontName;
    int fontSize = 10;
    reports::Pitch fontPitch = reports::Pitch::Default;
    reports::Orientation currentOrientation() const { return orientation_; }

    void RBAllClick();
    void FirstPageSpinChange();
    void TopEditChange();
    void BottomEditChange();
    void LeftEditChange();
    void RightEditChange();
    void CBPortraitClick();
    void CBLandscapeClick();
    void PrnBtnClick();
    void FntBtnClick();
    void OKBtnClick();

    // Runs the font dialog; replaceable for tests (returns false on cancel).
    static std::function<bool(QWidget* parent, QString& name, int& size)> fontChooser;

protected:
    void reject() override;

private:
    void marginChanged(QSpinBox* edit, QSpinBox* opposite);
    void orientationClicked(reports::Orientation o);
    void refreshPrinterLabel();
    void refreshFontLabel();
    void refreshMaxima();
    void refreshPictures();

    reports::Orientation orientation_ = reports::Orientation::Portrait;
    bool adjusting_ = false;
};

// Opens the print dialog over PrintSettings; true (settings updated) when
// confirmed, false when cancelled.
bool ExecutePrintDialog(QWidget* owner);

}  // namespace reports
