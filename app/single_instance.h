#pragma once
// One editor per user: the first one listens on a local socket; a second start hands its
// command-line file (or nothing) to it and ends. The first one then comes to the front and
// opens the file. The sender does not wait for the file to open.

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

namespace sonvara {

// The socket name for the current user.
QString DefaultInstanceName();

// Gives `path` (may be empty) to the editor listening on `name`; false when none listens.
bool HandOverToRunningInstance(const QString& name, const QString& path);

class InstanceServer : public QObject {
    Q_OBJECT

  public:
    explicit InstanceServer(QObject* parent = nullptr);

    // Starts listening, replacing the socket a crashed editor may have left behind.
    bool Listen(const QString& name);

  signals:
    // A second start reached this one; `path` is its file, or empty.
    void handedOver(const QString& path);

  private:
    QLocalServer* server_;
};

}  // namespace sonvara
