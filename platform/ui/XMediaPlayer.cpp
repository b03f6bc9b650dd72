#include "XMediaPlayer.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace {

[[noreturn]] void cannotOpen(const QString& FileName)
{
    throw EMCIDeviceError(QStringLiteral("Não foi possível abrir o arquivo de som \"%1\".").arg(FileName));
}

class XQtSound : public TSoundDevice
{
public:
    // The sample is read by Qt's loader thread. An effect destroyed while
    // that thread still reads it leaves the thread running into program exit,
    // after the application object is gone (a crash seen at exit); so opening
    // waits until the sample is read or has failed. A file that exists but
    // cannot be decoded fails there, as a file that cannot be opened.
    explicit XQtSound(const QString& FileName)
    {
        m_effect.setSource(QUrl::fromLocalFile(FileName));
        if (m_effect.status() == QSoundEffect::Loading) {
            QEventLoop loop;
            const auto loaded = [&] {
                if (m_effect.status() != QSoundEffect::Loading)
                    loop.quit();
            };
            QObject::connect(&m_effect, &QSoundEffect::statusChanged, &loop, loaded);
            // A status change whose signal came before the connection is seen all the same.
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, loaded);
            poll.start(20);
            // A loader that never answers must not hang the program.
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            if (m_effect.status() == QSoundEffect::Loading)
                loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        if (m_effect.status() == QSoundEffect::Error)
            cannotOpen(FileName);
    }
    ~XQtSound() override { m_effect.stop(); }
    void Play() override
    {
        m_effect.stop();
        m_effect.play();
    }
    bool IsPlaying() const override { return m_effect.isPlaying(); }

private:
    QSoundEffect m_effect;
};

TQtSoundProvider& qtProvider()
{
    static TQtSoundProvider p;
    return p;
}

TSoundProvider* g_provider = nullptr;

// Outlives its recorder harmlessly: a player closed after the test's
// recorder is gone records nothing.
class XRecordedSound : public TSoundDevice
{
public:
    XRecordedSound(std::weak_ptr<TSoundRecorder*> Recorder, const QString& FileName)
        : m_recorder(std::move(Recorder)), m_file(FileName) {}
    ~XRecordedSound() override
    {
        if (auto r = m_recorder.lock())
            (*r)->Log << QStringLiteral("Close ") + m_file;
    }
    void Play() override
    {
        if (auto r = m_recorder.lock()) {
            (*r)->Log << QStringLiteral("Play ") + m_file;
            (*r)->Played << m_file;
        }
    }
    bool IsPlaying() const override { return false; }

private:
    std::weak_ptr<TSoundRecorder*> m_recorder;
    QString m_file;
};

} // namespace

std::unique_ptr<TSoundDevice> TQtSoundProvider::Open(const QString& FileName)
{
    const QFileInfo fi(FileName);
    if (FileName.isEmpty() || !fi.isFile() || !fi.isReadable())
        cannotOpen(FileName);
    return std::make_unique<XQtSound>(fi.absoluteFilePath());
}

TSoundProvider* SetSoundProvider(TSoundProvider* Provider)
{
    TSoundProvider* before = SoundProvider();
    g_provider = Provider;
    return before;
}

TSoundProvider* SoundProvider()
{
    return g_provider ? g_provider : &qtProvider();
}

TMediaPlayer::TMediaPlayer(QObject* Owner) : QObject(Owner) {}

TMediaPlayer::~TMediaPlayer() = default;

void TMediaPlayer::Open()
{
    Close();
    m_device = SoundProvider()->Open(m_fileName);
}

void TMediaPlayer::Play()
{
    if (!m_device)
        throw EMCIDeviceError(QStringLiteral("O arquivo de som não está aberto."));
    m_device->Play();
}

bool TMediaPlayer::IsPlaying() const
{
    return m_device && m_device->IsPlaying();
}

void TMediaPlayer::Close()
{
    m_device.reset();
}

TSoundRecorder::TSoundRecorder()
{
    m_previous = SetSoundProvider(this);
}

TSoundRecorder::~TSoundRecorder()
{
    SetSoundProvider(m_previous == &qtProvider() ? nullptr : m_previous);
}

std::unique_ptr<TSoundDevice> TSoundRecorder::Open(const QString& FileName)
{
    Log << QStringLiteral("Open ") + FileName;
    if (FailOpen)
        cannotOpen(FileName);
    return std::make_unique<XRecordedSound>(m_self, FileName);
}
