#include "editor/frame/single_instance.h"

#include <unistd.h>

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <memory>

namespace sonvara {
namespace {

// How long a second start tries to reach the first one.
constexpr int kConnectTimeoutMs = 1000;
// A message longer than this is not a hand-over; the connection is dropped.
constexpr qsizetype kMaxMessageBytes = 1 << 20;

// The paths of a complete message in `buffer`, or false while its end has not arrived.
bool ParseMessage(const QByteArray& buffer, QStringList& paths) {
    paths.clear();
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = buffer.indexOf('\0', from);
        if (end < 0) {
            return false;
        }
        if (end == from) {
            return true;
        }
        paths.push_back(QString::fromUtf8(buffer.mid(from, end - from)));
        from = end + 1;
    }
}

}  // namespace

QString DefaultInstanceName() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        return QString::fromLocal8Bit(runtime) + "/sonvara-instance";
    }
    return QString("sonvara-%1").arg(getuid());
}

bool HandOverToRunningInstance(const QString& name, const QStringList& paths) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    QByteArray message;
    for (const QString& path : paths) {
        if (!path.isEmpty()) {
            message += path.toUtf8() + '\0';
        }
    }
    message += '\0';
    if (socket.write(message) != message.size() || !socket.waitForBytesWritten(kConnectTimeoutMs)) {
        return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kConnectTimeoutMs);
    }
    return true;
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::Accept);
}

void InstanceServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            QStringList paths;
            const bool complete = ParseMessage(*buffer, paths);
            if (!complete && buffer->size() <= kMaxMessageBytes) {
                return;
            }
            // Nothing more is read from this socket, and nothing below touches it again.
            socket->disconnect(this);
            socket->disconnectFromServer();
            if (complete) {
                QMetaObject::invokeMethod(
                    this, [this, paths] { emit handedOver(paths); }, Qt::QueuedConnection);
            }
        });
    }
}

bool InstanceServer::Listen(const QString& name) {
    QLocalServer::removeServer(name);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    return server_->listen(name);
}

}  // namespace sonvara
