// A small HTTP server on 127.0.0.1 for the version check: answers every GET
// with a fixed body, with ten megabytes, or never.
#pragma once
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class HttpResponder : public QObject {
public:
    enum class Mode { Body, Huge, Silent };

    explicit HttpResponder(Mode mode = Mode::Body, QByteArray body = {}) : mode_(mode), body_(std::move(body)) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                s->setParent(this);
                sockets_ << s;
                connect(s, &QTcpSocket::readyRead, this, [this, s] { readRequest(s); });
            }
        });
    }

    // "127.0.0.1:port", as the settings file names the update server.
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    bool listening() const { return server_.isListening(); }

    int requests = 0;
    QByteArray lastPath;

private:
    void readRequest(QTcpSocket* s) {
        QByteArray& buf = pending_[s];
        buf += s->readAll();
        if (!buf.contains("\r\n\r\n")) return;
        ++requests;
        lastPath = buf.split(' ').value(1);
        buf.clear();
        if (mode_ == Mode::Silent) return;
        QByteArray body = mode_ == Mode::Huge ? QByteArray(10 * 1024 * 1024, '9') : body_;
        s->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n");
        s->write(body);
        s->disconnectFromHost();
    }

    Mode mode_;
    QByteArray body_;
    QTcpServer server_;
    QList<QPointer<QTcpSocket>> sockets_;
    QHash<QTcpSocket*, QByteArray> pending_;
};
