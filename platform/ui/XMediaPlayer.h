#pragma once

// The alert player: a media player component that opens a sound file and
// plays it. The sound itself comes from a replaceable provider: the program
// uses QSoundEffect; tests install a TSoundRecorder, which plays nothing and
// keeps what was opened, played and closed.

#include "XExceptions.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// The player could not open or play its file.
X_EXCEPTION_CLASS(EMCIDeviceError, Exception)

// One opened sound.
class TSoundDevice
{
public:
    virtual ~TSoundDevice() = default;
    virtual void Play() = 0;
    virtual bool IsPlaying() const = 0;
};

class TSoundProvider
{
public:
    virtual ~TSoundProvider() = default;
    // Raises EMCIDeviceError when the file cannot be opened or decoded.
    virtual std::unique_ptr<TSoundDevice> Open(const QString& FileName) = 0;
};

class TQtSoundProvider : public TSoundProvider
{
public:
    std::unique_ptr<TSoundDevice> Open(const QString& FileName) override;
};

// Installs Provider (nullptr restores QSoundEffect); returns the one before.
TSoundProvider* SetSoundProvider(TSoundProvider* Provider);
TSoundProvider* SoundProvider();

class TMediaPlayer : public QObject
{
    Q_OBJECT
public:
    explicit TMediaPlayer(QObject* Owner = nullptr);
    ~TMediaPlayer() override;

    QString FileName() const { return m_fileName; }
    void SetFileName(const QString& Value) { m_fileName = Value; }

    // Opens FileName, closing what was open; EMCIDeviceError when it cannot.
    void Open();
    // Starts the sound from its beginning; EMCIDeviceError while closed.
    void Play();
    void Close();
    bool IsOpen() const { return m_device != nullptr; }
    // The sound is being heard (the test recorder plays nothing).
    bool IsPlaying() const;

private:
    QString m_fileName;
    std::unique_ptr<TSoundDevice> m_device;
};

// Test provider: installs itself on creation and restores the previous one
// when destroyed. Log holds "Open <file>", "Play <file>" and "Close <file>"
// in order; Played the file of every play. With FailOpen set, opening raises
// as for a file that cannot be played.
class TSoundRecorder : public TSoundProvider
{
public:
    TSoundRecorder();
    ~TSoundRecorder() override;
    TSoundRecorder(const TSoundRecorder&) = delete;
    TSoundRecorder& operator=(const TSoundRecorder&) = delete;

    std::unique_ptr<TSoundDevice> Open(const QString& FileName) override;

    QStringList Log;
    QStringList Played;
    bool FailOpen = false;

private:
    TSoundProvider* m_previous = nullptr;
    std::shared_ptr<TSoundRecorder*> m_self = std::make_shared<TSoundRecorder*>(this);
};
