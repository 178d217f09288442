#include "app/VersionCheck.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "app/Settings.h"

namespace app {

namespace {
std::string& defaultHost() {
    static std::string h = kUpdateServerHost;
    return h;
}
}  // namespace

void setDefaultUpdateHost(const std::string& host) { defaultHost() = host; }

QString updateServerHost() {
    const std::string& configured = switches().updateServer;
    return QString::fromStdString(configured.empty() ? defaultHost() : configured);
}

QUrl versionFileUrl() {
    return QUrl(QStringLiteral("http://") + updateServerHost() + QStringLiteral("/UpdateExe/VersCorvalinde.txt"));
}

QUrl downloadPageUrl() {
    return QUrl(QStringLiteral("http://") + updateServerHost() + QStringLiteral("/actualizare.php?prg=8"));
}

bool announcesNewer(const std::string& current, const std::string& body) { return body.size() == 7 && current < body; }

VersionFetch::VersionFetch(QObject* parent)
    : QObject(parent), net_(new QNetworkAccessManager(this)), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] { finish(std::nullopt); });
}

VersionFetch::~VersionFetch() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void VersionFetch::start(int timeoutMs) {
    if (reply_) return;
    body_.clear();
    QNetworkRequest req(versionFileUrl());
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* r = net_->get(req);
    reply_ = r;
    // The body is taken in as it comes, so that a huge or endless reply is
    // cut off at the limit instead of filling the memory.
    connect(r, &QNetworkReply::readyRead, this, [this, r] {
        body_ += r->read(kMaxVersionReplyBytes + 1 - body_.size());
        if (body_.size() > kMaxVersionReplyBytes) finish(std::nullopt);
    });
    connect(r, &QNetworkReply::finished, this, [this, r] {
        if (r != reply_) return;
        body_ += r->read(kMaxVersionReplyBytes + 1 - body_.size());
        // A reply with an HTTP status arrived; anything else is a failure.
        const bool arrived = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        if (!arrived || body_.size() > kMaxVersionReplyBytes)
            finish(std::nullopt);
        else
            finish(body_.toStdString());
    });
    timer_->start(timeoutMs);
}

void VersionFetch::finish(std::optional<std::string> body) {
    if (!reply_) return;
    timer_->stop();
    QNetworkReply* r = reply_;
    reply_ = nullptr;
    r->disconnect(this);
    if (r->isRunning()) r->abort();
    r->deleteLater();
    emit finished(std::move(body));
}

std::optional<std::string> VersionFetch::fetchBlocking(int timeoutMs) {
    VersionFetch fetch;
    std::optional<std::string> result;
    QEventLoop loop;
    connect(&fetch, &VersionFetch::finished, &loop, [&](std::optional<std::string> body) {
        result = std::move(body);
        loop.quit();
    });
    fetch.start(timeoutMs);
    if (fetch.running()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}

}  // namespace app
