#pragma once
// One editor per user session: the first one listens on a local socket; a second start hands its
// command-line files (or none) to it and ends. The first one then comes to the front and opens
// the files. The sender does not wait for the files to open.
//
// The message is the paths, each followed by a NUL byte, and one more NUL that ends it (a path
// never holds a NUL). The receiver reads the whole message before it says anything, and says it
// from the event loop after the socket's handler returned: opening files runs nested event loops,
// in which the socket may close and go away.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace sonvara {

// The socket for the current user: "sonvara-instance" in $XDG_RUNTIME_DIR, or "sonvara-<uid>" in
// the temporary folder when that is not set.
QString DefaultInstanceName();

// Gives `paths` (may be none) to the editor listening on `name`; false when none listens.
bool HandOverToRunningInstance(const QString& name, const QStringList& paths);

class InstanceServer : public QObject {
    Q_OBJECT

  public:
    explicit InstanceServer(QObject* parent = nullptr);

    // Starts listening, replacing the socket a crashed editor may have left behind.
    bool Listen(const QString& name);

  signals:
    // A second start reached this one; `paths` are its files, perhaps none.
    void handedOver(const QStringList& paths);

  private:
    void Accept();

    QLocalServer* server_;
};

}  // namespace sonvara
