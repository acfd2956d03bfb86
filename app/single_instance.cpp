#include "app/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace sonvara {
namespace {

// How long a second start tries to reach the first one.
constexpr int kConnectTimeoutMs = 1000;

}  // namespace

QString DefaultInstanceName() {
    return QString("sonvara-%1").arg(getuid());
}

bool HandOverToRunningInstance(const QString& name, const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    // The path ends with a newline, so an empty path still says "come to the front".
    socket.write(path.toUtf8() + '\n');
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    emit handedOver(QString::fromUtf8(socket->readLine()).chopped(1));
                }
            });
        }
    });
}

bool InstanceServer::Listen(const QString& name) {
    QLocalServer::removeServer(name);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    return server_->listen(name);
}

}  // namespace sonvara
