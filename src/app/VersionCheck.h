// Asking the update server whether a newer version of the program exists.
// The server holds one small text file with the newest version ("2.0.0.5");
// the download page is opened in the user's browser.
#pragma once
#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>

class QNetworkAccessManager;

class QTimer;

namespace app {

// The update server's host; the key "Update server" of the settings file
// replaces it ("host" or "host:port").
inline constexpr const char* kUpdateServerHost = "www.quillmar.ro";
// The host used when the settings file names none (tests point it at a local server).
void setDefaultUpdateHost(const std::string& host);
QString updateServerHost();

QUrl versionFileUrl();
QUrl downloadPageUrl();

// The version file's body announces a newer version: exactly 7 characters and
// the current version text sorts before it, character by character.
bool announcesNewer(const std::string& current, const std::string& body);

inline constexpr int kFetchTimeoutMs = 5000;
// A version file holds seven characters; a longer reply is not one.
inline constexpr qint64 kMaxVersionReplyBytes = 64;

// One GET of the version file. `finished` comes once: the body when a reply
// arrived (judged by its body alone, whatever its status), nothing on a
// connection failure, the time-out or a body over the limit.
class VersionFetch : public QObject {
    Q_OBJECT
public:
    explicit VersionFetch(QObject* parent = nullptr);
    ~VersionFetch() override;
    void start(int timeoutMs = kFetchTimeoutMs);
    bool running() const { return reply_ != nullptr; }

    // Runs a fetch to its end in a local event loop (the manual check).
    static std::optional<std::string> fetchBlocking(int timeoutMs = kFetchTimeoutMs);

signals:
    void finished(std::optional<std::string> body);

private:
    void finish(std::optional<std::string> body);

    QNetworkAccessManager* net_;
    QTimer* timer_;
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
};

}  // namespace app
