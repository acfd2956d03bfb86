#pragma once
// The file dialogs the commands ask through, and the one-line text dialog. The editor's own are
// Qt's dialogs (FileDialogs); a test answers them from queues instead.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

class QWidget;

namespace sonvara {

class FileQuestions {
  public:
    virtual ~FileQuestions() = default;

    // The open dialog: the chosen files, none when cancelled.
    virtual QStringList AskOpenFiles() = 0;
    // The save dialog: the chosen path, empty when cancelled.
    virtual QString AskSaveAsPath(const QString& current) = 0;
    // The dialog choosing one file to mix or insert ("Open Audio Files"), starting in the folder
    // kept as `folder` in [Settings] and keeping the chosen one there: its path, empty when
    // cancelled.
    virtual QString AskAudioFile(const char* folder) = 0;
    // The one-line text dialog: the text typed, nothing when cancelled.
    virtual std::optional<std::string> AskName(const QString& title, const QString& prompt,
                                               const QString& proposed) = 0;
    // The project dialogs ("Abrir Proyecto", "Guardar el Proyecto como") and the region's save
    // dialog: the chosen path, empty when cancelled.
    virtual QString AskProjectPath(bool save) = 0;
    virtual QString AskRegionPath() = 0;
};

// "*.wav *.WAV *.mp3 ...": every extension a format is read from, in both cases (file dialogs
// match the case), for a file dialog's filter.
QString ReadableAudioPatterns();

// Qt's file dialogs over `parent`, each starting in the folder the settings keep for it. A save
// dialog does not ask about replacing a file: the command asks, so that No shows it again.
class FileDialogs : public FileQuestions {
  public:
    explicit FileDialogs(QWidget* parent) : parent_(parent) {}

    QStringList AskOpenFiles() override;
    QString AskSaveAsPath(const QString& current) override;
    QString AskAudioFile(const char* folder) override;
    std::optional<std::string> AskName(const QString& title, const QString& prompt,
                                       const QString& proposed) override;
    QString AskProjectPath(bool save) override;
    QString AskRegionPath() override;

  private:
    // The save dialog titled `title` with the audio formats under `filter`, starting at `start`;
    // the chosen path, whose folder is kept as `folder` in [Settings]; empty when cancelled.
    QString AskAudioSavePath(const QString& title, const char* folder, const QString& start,
                             const char* filter);

    QWidget* parent_;
};

}  // namespace sonvara
