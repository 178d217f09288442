// The print dialog of the report runs: page range, copies, preview choice,
// font, margins and orientation, checked against the printer's printable area.
// Its layout is Qprndlg.ui; the report font dialog's is Fontdlg.ui.
#pragma once
#include <QDialog>
#include <functional>

#include "controls/DataWindow.h"
#include "reports/PrintSettings.h"

class QCheckBox;
class QFontComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace reports {

// Font choice for reports: scalable fonts, sizes 5 to 48.
class TReportFontDlg : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TReportFontDlg(QWidget* parent = nullptr);
    void setReportFont(const QString& name, int size);
    QString fontName() const;
    int fontSize() const;

private:
    void showSample();

    QFontComboBox* FontCombo;
    QSpinBox* SizeSpin;
    QLabel* Sample;
    QString original_;  // kept unless the user picks another family
    bool changed_ = false, loading_ = false;
};

class TQRPrnDlg : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TQRPrnDlg(QWidget* parent = nullptr);

    // Before showing: controls from PrintSettings, the printer's orientation
    // and paper, the printable area and the corrected margins.
    void loadSettings();

    // Runs the font dialog; replaceable for tests (returns false on cancel).
    static std::function<bool(QWidget* parent, QString& name, int& size)> fontChooser;

protected:
    // "&Inchide" and Esc: the printer's orientation goes back to the settings'.
    void reject() override;

private:
    void RBAllClick();
    void FirstPageSpinChange();
    void marginChanged(QSpinBox* edit, QSpinBox* opposite);
    void orientationClicked(Orientation o);
    void PrnBtnClick();
    void FntBtnClick();
    void OKBtnClick();
    // The confirmed values into PrintSettings.
    void storeSettings();
    void refreshPrinterLabel();
    void refreshFontLabel();
    void refreshMaxima();
    void refreshPictures();

    QTabWidget* PageControl;
    QWidget* ListareTab;
    QWidget* PaginaTab;
    QRadioButton* RBAll;      // "&Listeaza tot"
    QRadioButton* RBPartial;  // "Listeaza pa&rtial"
    QSpinBox* FirstPageSpin;
    QSpinBox* LastPageSpin;
    QSpinBox* CopiesSpin;
    QCheckBox* CBPrev;  // "&Afisare pe ecran"
    QLabel* PrinterLbl;
    QLabel* FontLbl;
    QSpinBox* TopEdit;
    QSpinBox* BottomEdit;
    QSpinBox* LeftEdit;
    QSpinBox* RightEdit;
    QLabel* MarginImage;
    QRadioButton* CBPortrait;
    QRadioButton* CBLandscape;
    QLabel* OrientationImage;
    QPushButton* PrnBtn;     // "Imprima&nta"
    QPushButton* FntBtn;     // "&Font"
    QPushButton* CancelBtn;  // "&Inchide"
    QPushButton* OKBtn;      // "&Printeaza"

    // the font chosen in the dialog
    QString fontName_;
    int fontSize_ = 10;
    Pitch fontPitch_ = Pitch::Default;
    // the orientation the printer is set to while the dialog is open
    Orientation orientation_ = Orientation::Portrait;
    bool adjusting_ = false;
};

// Called with the new "Afisare pe ecran" when a confirmed dialog changed it
// (the program keeps it for its next run).
extern std::function<void(bool preview)> onPreviewChoiceChanged;

// Opens the print dialog over PrintSettings; true (settings updated) when
// confirmed, false when cancelled.
bool ExecutePrintDialog(QWidget* owner);

}  // namespace reports
