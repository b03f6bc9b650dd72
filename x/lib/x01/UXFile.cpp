#include "UXFile.h"

#include "XExceptions.h"
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const qint64 kBlockSize = 8192;

EInOutError IoError(int Error)
{
    return EInOutError(QStringLiteral("Erro de E/S %1: %2").arg(Error).arg(QString::fromLocal8Bit(std::strerror(Error))));
}

} // namespace

TXFile::TXFile(QObject* Owner)
    : TXComponent(Owner)
{
}

TXFile::~TXFile()
{
    if (m_opened)
        Close();
}

bool TXFile::CheckClosed(const QString& Op)
{
    if (!m_opened)
        return true;
    if (RaiseExceptions)
        throw Exception(QStringLiteral("Não pode estar aberto (") + Op + QStringLiteral(")"));
    return false;
}

bool TXFile::CheckOpened(const QString& Op)
{
    if (m_opened)
        return true;
    if (RaiseExceptions)
        throw Exception(QStringLiteral("Deve estar aberto (") + Op + QStringLiteral(")"));
    return false;
}

void TXFile::SetFileName(const QString& Value)
{
    if (CheckClosed(QStringLiteral("FileName")))
        m_fileName = Value;
}

void TXFile::SetReadMode(bool Value)
{
    if (CheckClosed(QStringLiteral("ReadMode")))
        m_readMode = Value;
}

void TXFile::SetShared(bool Value)
{
    if (CheckClosed(QStringLiteral("Shared")))
        m_shared = Value;
}

void TXFile::SetWriteMode(bool Value)
{
    if (CheckClosed(QStringLiteral("WriteMode")))
        m_writeMode = Value;
}

int TXFile::OpenDescriptor(int Flags)
{
    const QByteArray path = QFile::encodeName(m_fileName);
    const int fd = path.isEmpty() ? (errno = ENOENT, -1) : ::open(path.constData(), Flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    // Shared openers take a shared lock and an exclusive opener an exclusive
    // one, so neither gets in while the other holds the file.
    if (::flock(fd, (m_shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool TXFile::Open(bool CreateIfMissing)
{
    if (!CheckClosed(QStringLiteral("Open")))
        return true;
    int access = O_RDWR;
    if (!m_readMode)
        access = O_WRONLY;
    else if (!m_writeMode)
        access = O_RDONLY;

    m_fd = OpenDescriptor(access);
    m_lastError = m_fd < 0 ? errno : 0;
    // Only a missing file is created: a file that exists but cannot be
    // opened (locked, no permission) is never emptied.
    if (m_fd < 0 && CreateIfMissing && m_lastError == ENOENT) {
        m_fd = OpenDescriptor(access | O_CREAT | O_EXCL);
        m_lastError = m_fd < 0 ? errno : 0;
    }
    m_opened = m_lastError == 0;
    return m_opened;
}

bool TXFile::Close()
{
    if (!CheckOpened(QStringLiteral("Close")))
        return false;
    m_lastError = ::close(m_fd) == 0 ? 0 : errno;
    m_fd = -1;
    m_opened = false;
    return m_lastError == 0;
}

qint64 TXFile::ReadBlock(char* Buffer, qint64 Count)
{
    qint64 n;
    do
        n = ::read(m_fd, Buffer, size_t(Count));
    while (n < 0 && errno == EINTR);
    return n;
}

void TXFile::Read(int Count, QByteArray& Text)
{
    Text.clear();
    if (!CheckOpened(QStringLiteral("Read")))
        return;
    qint64 n = Count;
    if (Count == -1) {
        struct stat st;
        n = ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : 0;
    }
    if (n < 0)
        n = 0;
    Text.resize(n);
    qint64 p = 0;
    do {
        const qint64 got = ReadBlock(Text.data() + p, qMin(n, kBlockSize));
        m_lastError = got < 0 ? errno : 0;
        if (m_lastError == 0) {
            if (got > 0) {
                p += got;
                n -= got;
            } else {
                n = 0;
            }
        }
    } while (m_lastError == 0 && n > 0);
    Text.truncate(p);
}

bool TXFile::Write(const char* Buffer, int Count)
{
    if (!CheckOpened(QStringLiteral("Write")))
        return false;
    qint64 written = 0;
    m_lastError = 0;
    while (written < Count) {
        const qint64 n = ::write(m_fd, Buffer + written, size_t(Count - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_lastError = errno;
            break;
        }
        if (n == 0)
            break;
        written += n;
    }
    return written == Count;
}

bool TXFile::WriteStr(const QByteArray& Text)
{
    if (Text.isEmpty())
        return true;
    return Write(Text.constData(), int(Text.size()));
}

void TXFile::Truncate()
{
    if (!CheckOpened(QStringLiteral("Truncate")))
        return;
    const off_t position = ::lseek(m_fd, 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(m_fd, position) != 0)
        throw IoError(errno);
}

qint64 TXFile::Size()
{
    if (m_opened) {
        struct stat st;
        if (::fstat(m_fd, &st) != 0)
            throw IoError(errno);
        return qint64(st.st_size);
    }
    if (Exists() && Open(false)) {
        struct stat st;
        const qint64 size = ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : -1;
        Close();
        return size;
    }
    return -1;
}

bool TXFile::Exists() const
{
    return !m_fileName.isEmpty() && QFileInfo(m_fileName).isFile();
}

bool TXFile::Rename(const QString& NewName)
{
    if (!CheckClosed(QStringLiteral("Rename")))
        return false;
    const QByteArray from = QFile::encodeName(m_fileName);
    const QByteArray to = QFile::encodeName(NewName);
    // An existing file of the new name is never replaced.
    int rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // The file system cannot refuse a replacement itself.
        if (QFileInfo::exists(NewName)) {
            errno = EEXIST;
        } else {
            rc = ::rename(from.constData(), to.constData());
        }
    }
    m_lastError = rc == 0 ? 0 : errno;
    if (rc != 0)
        return false;
    m_fileName = NewName;
    return true;
}

bool TXFile::Delete()
{
    if (!CheckClosed(QStringLiteral("Delete")))
        return false;
    const QByteArray path = QFile::encodeName(m_fileName);
    const int rc = path.isEmpty() ? (errno = ENOENT, -1) : ::unlink(path.constData());
    m_lastError = rc == 0 ? 0 : errno;
    return rc == 0;
}
