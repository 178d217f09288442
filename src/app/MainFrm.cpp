#include "app/MainFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QScopeGuard>
#include <filesystem>

#include "app/AjutorUnt.h"
#include "app/Application.h"
#include "app/Backup.h"
#include "app/HintTracker.h"
#include "app/JpegImage.h"
#include "app/NewYearCmd.h"
#include "app/Pictures.h"
#include "app/Settings.h"
#include "app/Shortcuts.h"
#include "app/Version.h"
#include "app/VersionCheck.h"
#include "data/AppDir.h"
#include "data/Journal.h"
#include "data/Table.h"
#include "reports/Qprndlg.h"
#include "reports/Workmsg.h"
#include "shell/Messages.h"
#include "shell/StatusLine.h"
#include "shell/WindowSlots.h"

namespace app {

namespace {

TMainFrm* g_mainFrm = nullptr;

const char* const kCaption = "Evidenta veniturilor si cheltuielilor";
const char* const kBannerText =
    "Corvalinde - evidenta veniturilor si cheltuielilor pentru parohii, manastiri si protopopiate";
const char* const kMainHint = "Corvalinde - evidenta contabila a unitatilor de cult";
const char* const kSchemaMessage = "Se actualizeaza structura bazei de date...";
const char* const kHintIn = " Introducere si modificare de documente de intrare in gestiunea de stocuri";
const char* const kHintOut = " Introducere si modificare de documente de iesire din gestiunea de stocuri";

}  // namespace

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

TMainFrm::TMainFrm(QWidget* parent) : QMainWindow(parent), commands_(MenuCommands::standard()) {
    g_mainFrm = this;
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setStatusTip(QString::fromUtf8(kMainHint));
    urlOpener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    buildClientArea();
    buildMenu();
    shortcuts_ = new ShortcutRouter(menuBar(), this);
    FormCreate();
    showArchiveState();
    if (!ArchiveState->text().isEmpty()) StatusLine->setText(ArchiveState->text());
}

TMainFrm::~TMainFrm() {
    // a correction not closed stays marked in the archive; the next start says so
    data::setArchiveCorrection(data::AppDir(), false);
    if (ui::statusLine() == StatusLine) ui::setStatusLine(nullptr);
    if (g_mainFrm == this) g_mainFrm = nullptr;
    reports::onPreviewChoiceChanged = nullptr;
}

TMainFrm* TMainFrm::instance() { return g_mainFrm; }

void TMainFrm::buildClientArea() {
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    Banner = new QLabel(QString::fromUtf8(kBannerText), central);
    Banner->setObjectName(QStringLiteral("Banner"));
    Banner->setAlignment(Qt::AlignCenter);
    Banner->setWordWrap(true);
    Banner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Banner->setMargin(6);
    QFont bf = Banner->font();
    bf.setBold(true);
    Banner->setFont(bf);
    v->addWidget(Banner);

    MyPhoto = new QLabel(central);
    MyPhoto->setObjectName(QStringLiteral("MyPhoto"));
    MyPhoto->setAlignment(Qt::AlignCenter);
    // A large picture is cut at the edges, never scaled, and never enlarges the window.
    MyPhoto->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    v->addWidget(MyPhoto, 1);

    auto* bar = new QFrame(central);
    bar->setObjectName(QStringLiteral("ButtonBar"));
    bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(4, 2, 4, 2);
    h->setSpacing(4);
    auto button = [&](const char* name, const char* caption, const char* hint, const QPixmap& glyph, Command c) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(caption));
        b->setStatusTip(QString::fromUtf8(hint));
        b->setIcon(QIcon(glyph));
        b->setIconSize(glyph.size());
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setCursor(Qt::PointingHandCursor);
        // Like the menu, the buttons answer the mouse only: a button holding
        // the focus would open its window on a stray Space or Enter.
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(96);
        connect(b, &QToolButton::clicked, this, [this, c] { runCommand(c); });
        h->addWidget(b);
        return b;
    };
    SpeedDocIn = button("SpeedDocIn", "Venituri", kHintIn, pictures::receiptsGlyph(), Command::Venituri);
    SpeedButton1 = button("SpeedButton1", "Depuneri cont", kHintIn, pictures::depositsGlyph(), Command::Depuneri);
    SpeedButton2 = button("SpeedButton2", "Ridicari cont", kHintIn, pictures::withdrawalsGlyph(), Command::Ridicari);
    SpeedDocOut = button("SpeedDocOut", "Cheltuieli", kHintOut, pictures::paymentsGlyph(), Command::Cheltuieli);
    h->addStretch(1);
    auto picture = [&](const char* name, const QPixmap& pm, bool link) {
        auto* l = new ClickLabel(bar);
        l->setObjectName(QString::fromLatin1(name));
        l->setPixmap(pm);
        if (link) l->setCursor(Qt::PointingHandCursor);
        h->addWidget(l);
        return l;
    };
    Image3 = picture("Image3", pictures::churchPicture(), true);
    Image1 = picture("Image1", pictures::ledgerPicture(), false);
    Image2 = picture("Image2", pictures::vendorPicture(), true);
    connect(Image3, &ClickLabel::clicked, this, [this] { openWebSite(QString::fromLatin1(kChurchSiteHost)); });
    connect(Image2, &ClickLabel::clicked, this, [this] { openWebSite(QString::fromLatin1(kVendorSiteHost)); });
    v->addWidget(bar);

    StatusLine = new QLabel(central);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StatusLine->setMargin(2);
    StatusLine->setMinimumHeight(StatusLine->fontMetrics().height() + 8);
    StatusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    ArchiveState = new QLabel(central);
    ArchiveState->setObjectName(QStringLiteral("ArchiveState"));
    ArchiveState->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ArchiveState->setMargin(2);
    QFont af = ArchiveState->font();
    af.setBold(true);
    ArchiveState->setFont(af);
    ArchiveState->setVisible(false);
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(0);
    statusRow->addWidget(StatusLine, 1);
    statusRow->addWidget(ArchiveState);
    v->addLayout(statusRow);

    setCentralWidget(central);
    resize(900, 640);
}

QAction* TMainFrm::addItem(QMenu* menu, const char* name, const char* caption, Command c,
                           const QKeySequence& shortcut) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, [this, c] { runCommand(c); });
    actions_.try_emplace(c, a);
    return a;
}

void TMainFrm::buildMenu() {
    QMenuBar* mb = menuBar();
    auto menu = [&](QMenu* parent, const char* name, const char* title) {
        QMenu* m = parent ? parent->addMenu(QString::fromUtf8(title)) : mb->addMenu(QString::fromUtf8(title));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
        return m;
    };
    auto hiddenSeparator = [](QMenu* m) { m->addSeparator()->setVisible(false); };

    QMenu* sistem = menu(nullptr, "Sistem1", "&Sistem");
    addItem(sistem, "Enoriasi1", "E&noriasi", Command::Enoriasi, QKeySequence(Qt::CTRL | Qt::Key_E))->setVisible(false);
    addItem(sistem, "Dateleunitatii1", "&Datele unitatii", Command::DateleUnitatii, QKeySequence(Qt::CTRL | Qt::Key_U));
    // shown in the archive of a closed year only
    addItem(sistem, "Corectiearhiva1", "&Corectie arhiva", Command::CorectieArhiva)->setVisible(false);
    addItem(sistem, "Verificarejurnal1", "&Verificare jurnal", Command::VerificareJurnal);
    addItem(sistem, "Exportbuget1", "E&xport buget pentru protopopiat", Command::ExportBugetProtopopiat);
    addItem(sistem, "Restaurare1", "&Restaurare din copie de siguranta", Command::RestaurareCopie);
    addItem(sistem, "Despre1", "Des&pre", Command::Despre);
    sistem->addSeparator();
    addItem(sistem, "Iesire1", "&Iesire", Command::Iesire, QKeySequence(Qt::ALT | Qt::Key_I));

    QMenu* setari = menu(nullptr, "Setari1", "S&etari");
    addItem(setari, "Parametriaplicatiei1", "&Parametri aplicatiei", Command::ParametriAplicatiei);
    hiddenSeparator(setari);
    addItem(setari, "Tipuridevenit1", "Tipuri de &venit", Command::TipuriVenit);
    addItem(setari, "Tipuridecheltuiala1", "Tipuri de &cheltuiala", Command::TipuriCheltuiala);
    addItem(setari, "Configurarebilant1", "Configurare &bilant", Command::ConfigurareBilant);
    addItem(setari, "Trecerealaannou1", "Trecerea la an &nou", Command::TrecereaAnNou);

    QMenu* actualizari = menu(nullptr, "Actualizari1", "&Actualizari");
    addItem(actualizari, "Venituri1", "&Venituri", Command::Venituri, QKeySequence(Qt::CTRL | Qt::Key_V));
    addItem(actualizari, "Cheltuieli1", "&Cheltuieli", Command::Cheltuieli, QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(actualizari, "Depuneri1", "&Depuneri", Command::Depuneri, QKeySequence(Qt::CTRL | Qt::Key_D));
    addItem(actualizari, "Ridicari1", "&Ridicari", Command::Ridicari, QKeySequence(Qt::CTRL | Qt::Key_R));
    addItem(actualizari, "Documente1", "Doc&umente", Command::Documente, QKeySequence(Qt::CTRL | Qt::Key_F));
    actualizari->addSeparator();
    addItem(actualizari, "Fisaenoriasului1", "&Fisa enoriasului", Command::FisaEnoriasului);
    addItem(actualizari, "Stocuri1", "&Stocuri", Command::Stocuri);
    actualizari->addSeparator();
    QMenu* pangar = menu(actualizari, "Registrupangar1", "Registru &pangar");
    pangar_ = pangar->menuAction();
    addItem(pangar, "Intrari1", "&Intrari", Command::PangarIntrari);
    addItem(pangar, "Iesiri1", "I&esiri", Command::PangarIesiri);
    pangarSeparator_ = actualizari->addSeparator();
    addItem(actualizari, "Bilant1", "&Bilant", Command::Bilant, QKeySequence(Qt::CTRL | Qt::Key_B));
    addItem(actualizari, "Bilantcentralizat1", "Bilant c&entralizat", Command::BilantCentralizat);

    QMenu* listari = menu(nullptr, "Listari1", "&Listari");
    QMenu* registre = menu(listari, "Registre1", "&Registre");
    addItem(registre, "Incasarisiplati1", "&Incasari si plati", Command::RegistruIncasariPlati);
    addItem(registre, "Casa1", "&Casa", Command::RegistruCasa);
    addItem(registre, "Banca1", "&Banca", Command::RegistruBanca);
    registre->addSeparator();
    addItem(registre, "Partizivenituri1", "Partizi &venituri", Command::PartiziVenituri);
    addItem(registre, "Partizicheltuieli1", "Partizi c&heltuieli", Command::PartiziCheltuieli);
    addItem(listari, "Listastocurilor1", "Lista &stocurilor", Command::ListaStocurilor);
    listari->addSeparator();
    addItem(listari, "Bilant2", "&Bilant", Command::Bilant);
    addItem(listari, "Bilantcentralizat2", "Bilant c&entralizat", Command::BilantCentralizat);
    addItem(listari, "Jurnalulmodificarilor1", "&Jurnalul modificarilor", Command::JurnalulModificarilor);
    listari->addSeparator();
    addItem(listari, "Exportdocumente1", "E&xport documente", Command::ExportDocumente);

    QMenu* ajutor = menu(nullptr, "Ajutor1", "A&jutor");
    addItem(ajutor, "Actualizareonline1", "&Actualizare online", Command::ActualizareOnline);

    // The manual: F1 from every window (under a modal dialog through its own key watcher).
    addItem(ajutor, "Manualdeutilizare1", "&Manual de utilizare", Command::ManualUtilizare, QKeySequence(Qt::Key_F1));
    installManualKey(this);
    showRecordEntries();
}

void TMainFrm::showRecordEntries() {
    const bool shown = switches().showRecords;
    if (QAction* file = menuAction(Command::FisaEnoriasului)) file->setVisible(shown);
    if (pangar_) pangar_->setVisible(shown);
    if (pangarSeparator_) pangarSeparator_->setVisible(shown);
}

// The print dialog's "Afisare pe ecran" of the last run is the first choice
// of this one; a changed choice is written at once.
void TMainFrm::keepPreviewChoice() {
    reports::PrintSettings.Preview = switches().preview;
    reports::onPreviewChoiceChanged = [](bool preview) {
        switches().preview = preview;
        runGuarded([] { writeSettings(settingsPath()); });
    };
}

QAction* TMainFrm::menuAction(Command c) const {
    auto it = actions_.find(c);
    return it == actions_.end() ? nullptr : it->second;
}

void TMainFrm::runCommand(Command c) {
    runGuarded([&] { commands_.run(c, *this); });
}

void TMainFrm::openWebSite(const QString& host) {
    // The desktop's URL service; an address it cannot open is ignored.
    runGuarded([&] {
        if (urlOpener_) urlOpener_(QUrl(QStringLiteral("http://") + host));
    });
}

// The start-up steps. A step that fails is reported and the later steps still run.
void TMainFrm::FormCreate() {
    runGuarded([this] {
        readSettings(settingsPath());
        showRecordEntries();
        keepPreviewChoice();
    });
    keepWindowStateInSettings();
    runGuarded([this] { RecoverRestore(this); });  // a restore cut short: finished or undone
    runGuarded([this] { RecoverNewYear(this); });  // before the backup copies the tables
    runGuarded([this] { WarnPendingCorrection(this); });
    runGuarded([] { BackupDaily(kBackupBasePath); });
    runGuarded([this] {
        hints_ = new HintTracker(this);
        connect(hints_, &HintTracker::hintChanged, StatusLine, &QLabel::setText);
    });
    runGuarded([this] { ui::setStatusLine(StatusLine); });
    runGuarded([this] { loadPicture(); });
    runGuarded([this] { upgradeSchema(); });
    runGuarded([] { noteSessionStart(); });  // the close copies the day's work when anything changed
    // the change journal takes the entries waiting in the tables' files at idle
    auto* journalTimer = new QTimer(this);
    connect(journalTimer, &QTimer::timeout, this, [] {
        if (data::journal::hasNoted()) data::journal::settleNoted();
    });
    journalTimer->start(5000);
}

void TMainFrm::loadPicture() {
    const std::string path = data::AppDir() + "poza.jpg";
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    QImage img = loadJpegFile(path);
    MyPhoto->setPixmap(QPixmap::fromImage(img));
    MyPhoto->repaint();
}

void TMainFrm::upgradeSchema() {
    // the change journal of an installation made before it existed
    data::journal::setProgramVersion(currentVersionText());
    runGuarded([] { data::journal::ensureJournal(data::AppDir()); });
    bool busy = false;
    auto restore = [&busy] {
        if (busy) QApplication::restoreOverrideCursor();
        busy = false;
    };
    try {
        // the unit's kind and fiscal code came after the metropolis flag
        for (const auto& [field, type] : {std::pair{"Felmarosta", "BOOLEAN"}, std::pair{"Tip_unitate", "VARCHAR(30)"},
                                          std::pair{"Cod_fiscal", "VARCHAR(20)"}})
            data::EnsureField(
                data::AppDir(), "Parohia.DB", field, type,
                [this, &busy] {
                    if (busy) return;
                    ui::ShowWorkMessage(this, QString::fromUtf8(kSchemaMessage));
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                    busy = true;
                },
                [] {});
        restore();
    } catch (...) {
        restore();
        throw;
    }
}

void TMainFrm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!shownOnce_) {
        shownOnce_ = true;
        runGuarded([this] { FormShow(); });
    }
}

// First showing: the version goes into the main window's hint. A unit still
// without a name (a new installation) gets the unit data dialog as soon as
// the main window is on the screen. The update server is asked in the
// background: the user can work at once, and every failure is silent.
void TMainFrm::FormShow() {
    setStatusTip(statusTip() + QStringLiteral(" - Versiunea ") + QString::fromStdString(currentVersionText()));
    if (unitNameMissing()) QTimer::singleShot(0, this, [this] { runCommand(Command::DateleUnitatii); });
    if (switches().versionCheck) {
        startupFetch_ = new VersionFetch(this);
        connect(startupFetch_, &VersionFetch::finished, this,
                [this](std::optional<std::string> body) { startupVersionReply(body); });
        startupFetch_->start();
    }
}

bool TMainFrm::versionCheckPending() const { return startupFetch_ && startupFetch_->running(); }

// A newer version announced while a modal dialog is open is not asked about:
// the question would come over the user's work; the next start asks again.
void TMainFrm::startupVersionReply(const std::optional<std::string>& body) {
    startupFetch_->deleteLater();
    startupFetch_ = nullptr;
    if (!body || !announcesNewer(currentVersionText(), *body)) return;
    if (QApplication::activeModalWidget() || !isVisible()) return;
    runGuarded([this] { offerNewVersion(); });
}

void TMainFrm::offerNewVersion() {
    const QString question = QStringLiteral(
        "O versiune noua a programului Corvalinde este disponibila pentru descarcare. Doriti sa continuati?");
    if (ui::Messages::show(ui::MsgType::Confirmation, question, ui::Yes | ui::No, this) != ui::Yes) return;
    // A page the browser cannot open is ignored; the program ends all the same.
    try {
        if (urlOpener_) urlOpener_(downloadPageUrl());
    } catch (...) {
    }
    close();
}

bool TMainFrm::otherWindowOpen() const {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        // the work message stays up after its work is done; it is not a window the user can close
        if (w == this || !w->isVisible() || w == ui::workMessageWindow()) continue;
        const Qt::WindowType kind = w->windowType();
        if (kind == Qt::Popup || kind == Qt::ToolTip || kind == Qt::SplashScreen) continue;
        return true;
    }
    return false;
}

void TMainFrm::Actualizareonline1Click() {
    if (otherWindowOpen()) {
        ui::Messages::warning(QStringLiteral("Inchideti toate ferestrele!"), this);
        return;
    }
    std::optional<std::string> body;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        body = VersionFetch::fetchBlocking();
    }
    if (!body || body->size() != 7) {
        ui::Messages::error(QStringLiteral("Operatiunea de actualizare a programului nu poate fi efectuata!"), this);
    } else if (!announcesNewer(currentVersionText(), *body)) {
        ui::Messages::information(QStringLiteral("Aveti deja instalata ultima versiune a programului Corvalinde!"),
                                  this);
    } else {
        offerNewVersion();
    }
}

// Whether the unit record of "Parohia.DB" is missing or has a blank unit
// name. A table that cannot be read asks for nothing: the unit data dialog
// could not open it either.
bool TMainFrm::unitNameMissing() const {
    data::Table unit;
    unit.setDatabaseName(data::AppDir());
    unit.setTableName("Parohia.DB");
    try {
        unit.open();
        unit.first();
        if (unit.eof()) return true;
        const data::Field* name = unit.findField("Parohia");
        if (!name) return false;
        const std::string text = name->asString();
        return text.find_first_not_of(" \t") == std::string::npos;
    } catch (const std::exception&) {
        return false;
    }
}

void TMainFrm::showArchiveState() {
    const QString state = archiveStateText();
    setWindowTitle(state.isEmpty() ? QString::fromUtf8(kCaption) : QString::fromUtf8(kCaption) + " - " + state);
    ArchiveState->setText(state);
    ArchiveState->setVisible(!state.isEmpty());
    if (QAction* item = menuAction(Command::CorectieArhiva)) {
        item->setVisible(!state.isEmpty());
        item->setText(data::archiveCorrectionOn(data::AppDir()) ? QStringLiteral("Incheiere &corectie arhiva")
                                                                : QStringLiteral("&Corectie arhiva"));
    }
}

void TMainFrm::closeEvent(QCloseEvent* e) {
    if (!shell::closeOwnedWindows(this)) return e->ignore();  // a window kept its changes
    // the late documents of an open correction go over to the following year
    runGuarded([this] { CloseArchiveCorrection(this); });
    data::setArchiveCorrection(data::AppDir(), false);
    runGuarded([] { data::journal::settleNoted(); });
    runGuarded([] { CloseBackup(); });
    e->accept();
    emit closed();
}

}  // namespace app
