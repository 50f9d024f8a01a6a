#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <map>

namespace bw::test {

// A small HTTP server on 127.0.0.1: answers each request with the raw
// response given for its path (the default one otherwise), or never answers
// when that response is empty. Records the requests' first lines and headers.
class LocalServer : public QObject {
public:
    LocalServer() {
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
        server_.listen(QHostAddress::LocalHost, 0);
    }

    quint16 port() const { return server_.serverPort(); }
    QString url(const QString& path = QStringLiteral("/news")) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }

    static QByteArray response(int status, const QByteArray& body, const QByteArray& extra = {}) {
        return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n" + extra + "\r\n" + body;
    }

    QByteArray defaultResponse;
    std::map<QByteArray, QByteArray> byPath;
    QList<QByteArray> requests;

    // When streamHead is set, every request is answered with it and then
    // streamChunk again and again, every streamIntervalMs, until the client
    // goes: a page that never ends.
    QByteArray streamHead;
    QByteArray streamChunk;
    int streamIntervalMs = 10;

private:
    void accept() {
        while (QTcpSocket* s = server_.nextPendingConnection()) {
            auto* buffer = new QByteArray;
            QObject::connect(s, &QTcpSocket::disconnected, s, [s, buffer] {
                delete buffer;
                s->deleteLater();
            });
            QObject::connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
                buffer->append(s->readAll());
                if (!buffer->contains("\r\n\r\n"))
                    return;
                const QByteArray head = buffer->left(buffer->indexOf("\r\n\r\n"));
                buffer->clear();
                requests << head;
                const QByteArray target = head.split(' ').value(1);
                const QByteArray path = target.mid(target.indexOf("/", target.indexOf("://") + 3 * target.contains("://")));
                if (!streamHead.isEmpty()) {
                    s->write(streamHead);
                    auto* timer = new QTimer(s);
                    QObject::connect(timer, &QTimer::timeout, s, [s, chunk = streamChunk] {
                        if (s->bytesToWrite() < 4 * chunk.size())
                            s->write(chunk);
                    });
                    timer->start(streamIntervalMs);
                    return;
                }
                const auto it = byPath.find(path);
                const QByteArray answer = it != byPath.end() ? it->second : defaultResponse;
                if (answer.isEmpty())
                    return;
                s->write(answer);
                s->disconnectFromHost();
            });
        }
    }

    QTcpServer server_;
};

} // namespace bw::test
