#include "XReplaceFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

XReplacingFile::StepHook g_hook = nullptr;

void Reached(XReplacingFile::Step S)
{
    if (g_hook)
        g_hook(S);
}

bool SameFile(int Fd, const QByteArray& Path)
{
    struct stat a {};
    struct stat b {};
    return ::fstat(Fd, &a) == 0 && ::lstat(Path.constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The longest name the folder takes, in bytes as it reports them.
qsizetype NameMax(const QByteArray& Folder)
{
    const long max = ::pathconf(Folder.constData(), _PC_NAME_MAX);
    return max > 0 ? max : 255;
}

// The temporary file's name before ".<pid>-<n>.tmp": "." and the target's
// name. A name too long for the folder to take that way is cut short on a
// character and followed by a hash of the whole name, so that a leftover
// still belongs to this name alone.
QByteArray TempStem(const QByteArray& Name, qsizetype Limit)
{
    constexpr qsizetype Numbers = 26;   // ".<pid>-<n>.tmp", each number of up to 10 digits
    if (1 + Name.size() + Numbers <= Limit)
        return '.' + Name;
    const QByteArray hash = '~' + QCryptographicHash::hash(Name, QCryptographicHash::Sha1).toHex().left(8);
    qsizetype keep = std::max<qsizetype>(0, Limit - 1 - Numbers - hash.size());
    while (keep > 0 && (uchar(Name[keep]) & 0xC0) == 0x80)   // inside a UTF-8 sequence
        --keep;
    return '.' + Name.left(keep) + hash;
}

// A writer holds a lock on its temporary file until it is renamed or
// removed; one nobody holds was left by a writer that was killed. Only the
// leftovers of this file are taken: a file of the same shape for another
// name is not ours to judge. Where the folder knows no locks, nothing is
// removed.
void RemoveAbandoned(const QString& Folder, const QByteArray& Stem)
{
    const QRegularExpression pattern(u'^' + QRegularExpression::escape(QFile::decodeName(Stem) + u'.')
                                     + QStringLiteral("[0-9]+-[0-9]+\\.tmp$"));
    const QStringList names = QDir(Folder).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!pattern.match(name).hasMatch())
            continue;
        const QByteArray path = QFile::encodeName(Folder + u'/' + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, path))
            ::unlink(path.constData());
        ::close(fd);
    }
}

// 0, or the reason the bytes could not all be written.
int WriteAll(int Fd, const char* P, qint64 Left)
{
    while (Left > 0) {
        const ssize_t n = ::write(Fd, P, size_t(Left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        P += n;
        Left -= n;
    }
    return 0;
}

// A copy with the original's mode; one cut short is removed.
bool CopyFile(const QByteArray& From, const QByteArray& To)
{
    const int in = ::open(From.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat st {};
    const int out =
        ::fstat(in, &st) == 0 ? ::open(To.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777) : -1;
    bool ok = out >= 0;
    char buf[8192];
    for (ssize_t n = 1; ok && n != 0;) {
        n = ::read(in, buf, sizeof buf);
        ok = (n < 0 && errno == EINTR) || (n >= 0 && WriteAll(out, buf, n) == 0);
    }
    ::close(in);
    if (out >= 0 && ::close(out) != 0)
        ok = false;
    if (!ok && out >= 0)
        ::unlink(To.constData());
    return ok;
}

void SyncFolder(const QByteArray& Folder)
{
    // The rename is done and the file whole either way; a folder that
    // cannot be synced (some network file systems) only makes it less durable.
    const int fd = ::open(Folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void XReplacingFile::SetStepHook(StepHook Hook)
{
    g_hook = Hook;
}

XReplacingFile::XReplacingFile(const QString& Target)
{
    // A link is followed: the file it names is replaced, the link stays.
    const QFileInfo info(Target);
    m_target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

XReplacingFile::~XReplacingFile()
{
    CloseTemp();
    if (!m_committed && !m_temp.isEmpty())
        ::unlink(m_temp.constData());
}

bool XReplacingFile::Fail(int Errno)
{
    m_error = QString::fromLocal8Bit(std::strerror(Errno));
    return false;
}

void XReplacingFile::CloseTemp()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QString XReplacingFile::TempPath() const
{
    return QFile::decodeName(m_temp);
}

bool XReplacingFile::Open(bool AsTheFolderAllows)
{
    const QByteArray target = QFile::encodeName(m_target);
    struct stat st {};
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return Fail(EISDIR);
    const QFileInfo info(m_target);
    const QString folder = info.absolutePath();
    if (!AsTheFolderAllows) {
        // Replacing by rename needs only the folder: a file its owner made
        // read-only is refused here, as an in-place write would be.
        if (exists && ::access(target.constData(), W_OK) != 0)
            return Fail(errno);
    } else if (exists && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
        m_fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (m_fd < 0)
            return Fail(errno);
        m_inPlace = true;
        Reached(Step::Created);
        return true;
    }

    const QByteArray name = QFile::encodeName(info.fileName());
    const QByteArray folderName = QFile::encodeName(folder);
    const qsizetype limit = NameMax(folderName);
    if (name.size() > limit)
        return Fail(ENAMETOOLONG);
    // FAT counts its 255 characters as up to 1530 bytes: a temporary name of
    // at most 255 bytes fits there too.
    const QByteArray stem = TempStem(name, std::min<qsizetype>(limit, 255));
    RemoveAbandoned(folder, stem);
    static int counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temp = folderName + '/' + stem + '.' + QByteArray::number(::getpid()) + '-' + QByteArray::number(++counter) + ".tmp";
        m_fd = ::open(m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            const int error = errno;
            m_temp.clear();
            if (error == EEXIST)
                continue;
            return Fail(error);
        }
        ::flock(m_fd, LOCK_EX | LOCK_NB);
        // Another writer's clean-up may have taken it before it was locked.
        if (!SameFile(m_fd, m_temp)) {
            CloseTemp();
            continue;
        }
        if (exists)
            ::fchmod(m_fd, st.st_mode & 07777);
        Reached(Step::Created);
        return true;
    }
    m_temp.clear();
    return Fail(EEXIST);
}

bool XReplacingFile::Write(const QByteArray& Bytes)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (const int error = WriteAll(m_fd, Bytes.constData(), Bytes.size()))
        return Fail(error);
    Reached(Step::Written);
    return true;
}

bool XReplacingFile::Commit(const QString& Backup)
{
    if (m_fd < 0)
        return Fail(EBADF);
    // The descriptor, and with it the lock, is kept until the rename: another
    // writer's clean-up must not take a finished file for an abandoned one.
    if (::fsync(m_fd) != 0)
        return Fail(errno);
    Reached(Step::Synced);
    if (m_inPlace) {
        m_committed = true;
        CloseTemp();
        return true;
    }

    const QByteArray target = QFile::encodeName(m_target);
    if (!Backup.isEmpty()) {
        const QByteArray backup = QFile::encodeName(Backup);
        ::unlink(backup.constData());
        if (CopyFile(target, backup))
            Reached(Step::BackedUp);
    }
    if (::rename(m_temp.constData(), target.constData()) != 0)
        return Fail(errno);
    m_committed = true;
    CloseTemp();
    SyncFolder(QFile::encodeName(QFileInfo(m_target).absolutePath()));
    Reached(Step::Renamed);
    return true;
}
