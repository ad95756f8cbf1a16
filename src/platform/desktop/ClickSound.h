#pragma once
// The clipboard click: plays a sound file without ever holding up the caller. Everything that
// may be slow (finding the audio device, decoding the file) happens on a thread of its own.
#include <QObject>
#include <QString>
#include <QThread>

class ClickSoundWorker;

class ClickSound : public QObject
{
    Q_OBJECT
public:
    enum DeviceCheck { CheckDevices, AssumeOutput }; // AssumeOutput: tests on machines without audio
    explicit ClickSound(QObject *parent = nullptr, DeviceCheck check = CheckDevices);
    ~ClickSound() override;

    // Starts the sound and returns at once. A missing file, a file that is not a sound or a
    // machine without an audio output plays nothing and reports nothing.
    void play(const QString &soundFile);
    // Loads the file ahead of its first play.
    void preload(const QString &soundFile);

    // For tests: waits until the requests so far have been handled; how many plays reached the player.
    int startedCount();

private:
    QThread thread_;
    ClickSoundWorker *worker_ = nullptr;
};
