#pragma once
// RegionPlayer: plays regions one after another on the editor's transport, for the region and
// assemble windows. It keeps each region's sound in a document of its own while it plays and
// tells when the last one has ended or was stopped (`ended`). Whatever plays stops first.
// Interface thread only.

#include <QObject>
#include <QTimer>
#include <vector>

#include "document/edit_document.h"

namespace sonvara {

class TransportController;

class RegionPlayer : public QObject {
    Q_OBJECT

  public:
    RegionPlayer(TransportController& transport, QObject* parent);
    ~RegionPlayer() override;

    // Plays `sounds` in order (copies are kept); nothing when the list is empty.
    void Play(const std::vector<LCutListAudio>& sounds);
    // Stops the sound when it is one of these regions.
    void Stop();
    bool IsPlaying() const { return playing_; }

  signals:
    void ended();

  private:
    void Next();
    void Poll();

    TransportController& transport_;
    QTimer poll_;
    std::vector<LCutListAudio> queue_;
    std::size_t next_ = 0;
    LEditDocument document_;
    bool playing_ = false;
};

}  // namespace sonvara
