// The main window: banner, personalisation picture, button bar, status line
// and the main menu. Creating it runs the start-up steps; closing it ends the
// program. Every other window is a separate top-level window it owns.
#pragma once
#include <QLabel>
#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/MenuCommands.h"

class QToolButton;

namespace app {

class HintTracker;
class ShortcutRouter;
class VersionFetch;

// The two web sites opened from the button bar's pictures ("http://" is put in front).
inline constexpr const char* kChurchSiteHost = "www.patriarhia.ro";
inline constexpr const char* kVendorSiteHost = "www.quillmar.ro";

// A picture that reports clicks.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class TMainFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainFrm(QWidget* parent = nullptr);
    ~TMainFrm() override;

    // The main window while it exists: the owner of every other window.
    static TMainFrm* instance();

    MenuCommands& commands() { return commands_; }
    // Runs a command; an error it raises is reported and the program goes on.
    void runCommand(Command c);
    // The menu item of a command (the first, for commands in two menus).
    QAction* menuAction(Command c) const;

    // The main window's hint (its status text), shown over its empty area.
    QString hint() const { return statusTip(); }

    // Opens "http://" + host in the default browser; a failure is ignored.
    void openWebSite(const QString& host);
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Replaces the desktop's URL service (tests).
    void setUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }

    // "Ajutor" / "Actualizare online": asks the update server for the newest
    // version while the user waits (at most the fetch's time-out).
    void Actualizareonline1Click();
    // The start-up question to the update server is still waiting for its reply.
    bool versionCheckPending() const;
    // Whether a window of the program other than the main window (and the
    // work message) is shown.
    bool otherWindowOpen() const;
    // Shows the parishioner file and the church-shop register in the menu
    // when the settings ask for them (hidden otherwise; their keys work anyway).
    void showRecordEntries();
    // Shows in the title, the status line and the menu whether the database
    // directory is a closed year's archive, read-only or open for correction.
    void showArchiveState();

    QLabel* Banner = nullptr;
    QLabel* MyPhoto = nullptr;
    QToolButton* SpeedDocIn = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedDocOut = nullptr;
    ClickLabel* Image3 = nullptr;
    ClickLabel* Image1 = nullptr;
    ClickLabel* Image2 = nullptr;
    QLabel* StatusLine = nullptr;
    QLabel* ArchiveState = nullptr;  // beside the status line, in an archive only

signals:
    // The main window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildClientArea();
    void buildMenu();
    QAction* addItem(QMenu* menu, const char* name, const char* caption, Command c, const QKeySequence& shortcut = {});
    void FormCreate();
    void FormShow();
    bool unitNameMissing() const;
    void loadPicture();
    void upgradeSchema();
    void keepPreviewChoice();
    void startupVersionReply(const std::optional<std::string>& body);
    // The question about the newer version; Yes opens the download page and ends the program.
    void offerNewVersion();

    MenuCommands commands_;
    std::map<Command, QAction*> actions_;
    QAction* pangar_ = nullptr;           // "Registru pangar"
    QAction* pangarSeparator_ = nullptr;  // the separator under it
    HintTracker* hints_ = nullptr;
    ShortcutRouter* shortcuts_ = nullptr;
    UrlOpener urlOpener_;
    VersionFetch* startupFetch_ = nullptr;
    bool shownOnce_ = false;
};

}  // namespace app
