#include "platform/desktop/ClickSound.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <atomic>

class ClickSoundWorker : public QObject
{
public:
    void prepare(bool assumeOutput)
    {
        // Without an output QSoundEffect only prints warnings; don't even try.
        hasOutput_ = assumeOutput || !QMediaDevices::audioOutputs().isEmpty();
    }

    void load(const QString &file)
    {
        if (!hasOutput_ || file == file_)
            return;
        delete effect_;
        effect_ = nullptr;
        file_ = file;
        const QFileInfo info(file);
        if (!info.isFile() || !info.isReadable())
            return;
        effect_ = new QSoundEffect(this);
        effect_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    }

    void play(const QString &file)
    {
        if (!hasOutput_)
            return;
        // The file may have been replaced since it was loaded: load it again each time the
        // effect failed, and whenever the path changes.
        if (effect_ && effect_->status() == QSoundEffect::Error) {
            file_.clear();
        }
        load(file);
        if (!effect_)
            return;
        effect_->play(); // a sound still loading starts when it is ready
        ++started;
    }

    std::atomic<int> started{0};

private:
    bool hasOutput_ = false;
    QString file_;
    QSoundEffect *effect_ = nullptr;
};

ClickSound::ClickSound(QObject *parent, DeviceCheck check) : QObject(parent), worker_(new ClickSoundWorker)
{
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.setObjectName(QStringLiteral("ClickSound"));
    thread_.start(QThread::LowPriority);
    QMetaObject::invokeMethod(worker_, [w = worker_, check] { w->prepare(check == AssumeOutput); }, Qt::QueuedConnection);
}

ClickSound::~ClickSound()
{
    thread_.quit();
    thread_.wait();
}

void ClickSound::play(const QString &soundFile)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, soundFile] { w->play(soundFile); }, Qt::QueuedConnection);
}

void ClickSound::preload(const QString &soundFile)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, soundFile] { w->load(soundFile); }, Qt::QueuedConnection);
}

int ClickSound::startedCount()
{
    QMetaObject::invokeMethod(worker_, [] {}, Qt::BlockingQueuedConnection);
    return worker_->started.load();
}
