#pragma once

// A file replaced whole or not at all, for every file the program writes for
// the user or for outside tools (settings, exports, workbooks): the new
// content goes to a temporary file beside the target, is synced, and only
// then renamed over it. A kill at any moment leaves the old file or the new
// one; the temporary file a killed writer leaves (".<name>.<pid>-<n>.tmp", the
// name shortened and followed by its hash where the folder's limit asks) is
// removed by the next write of that file. Every failure answers false
// with the system's reason.

#include <QByteArray>
#include <QString>

class XReplacingFile
{
public:
    explicit XReplacingFile(const QString& Target);
    ~XReplacingFile();   // an unfinished temporary file is removed
    XReplacingFile(const XReplacingFile&) = delete;
    XReplacingFile& operator=(const XReplacingFile&) = delete;

    // Creates the temporary file. An existing target that this user may not
    // write is refused, as is a folder that does not take the file. With
    // AsTheFolderAllows (the settings file) such a target is replaced all the
    // same, and in a folder that takes no new file an existing target is
    // written in place instead: the only way there, though a kill may then
    // leave it cut short.
    bool Open(bool AsTheFolderAllows = false);
    // For a writer that opens the temporary file by its name.
    QString TempPath() const;
    bool Write(const QByteArray& Bytes);
    // Syncs the temporary file and renames it over the target. With a Backup
    // name, the old backup is removed and an existing target copied to it
    // first; the target stays in place until the rename, and a backup that
    // cannot be made does not stop the save.
    bool Commit(const QString& Backup = QString());

    // Why the last step failed: the system's text ("No space left on device").
    const QString& Error() const { return m_error; }

    // The steps, in order; a test hook runs after each (a child process
    // killed there shows what a kill leaves).
    enum class Step { Created, Written, Synced, BackedUp, Renamed };
    using StepHook = void (*)(Step);
    static void SetStepHook(StepHook Hook);

private:
    bool Fail(int Errno);
    void CloseTemp();

    QString m_target;
    QByteArray m_temp;
    int m_fd = -1;
    bool m_inPlace = false;
    bool m_committed = false;
    QString m_error;
};
