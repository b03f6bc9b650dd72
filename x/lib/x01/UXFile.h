#pragma once

#include "UXComponent.h"
#include <QByteArray>
#include <QString>

// Reads and writes one whole file as a byte stream. Name and modes change
// only while the file is closed; each operation answers its success and
// records the I/O result (an errno value, 0 = success) in LastError.
class TXFile : public TXComponent
{
    Q_OBJECT
public:
    explicit TXFile(QObject* Owner = nullptr);
    ~TXFile() override;

    bool Open(bool CreateIfMissing);
    bool Close();
    // Count -1 reads up to the end of the file.
    void Read(int Count, QByteArray& Text);
    bool Write(const char* Buffer, int Count);
    bool WriteStr(const QByteArray& Text);
    void Truncate();
    qint64 Size();
    bool Exists() const;
    bool Rename(const QString& NewName);
    bool Delete();

    bool CheckClosed(const QString& Op);
    bool CheckOpened(const QString& Op);

    int LastError() const { return m_lastError; }
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString& Value);
    bool Opened() const { return m_opened; }
    bool ReadMode() const { return m_readMode; }
    void SetReadMode(bool Value);
    bool Shared() const { return m_shared; }
    void SetShared(bool Value);
    bool WriteMode() const { return m_writeMode; }
    void SetWriteMode(bool Value);

    // With it set, an operation called in the wrong state raises instead of
    // only answering False.
    bool RaiseExceptions = false;

protected:
    // One read of at most Count bytes at the current position: the bytes
    // read, 0 at the end, -1 on failure (errno set).
    virtual qint64 ReadBlock(char* Buffer, qint64 Count);

private:
    int OpenDescriptor(int Flags);

    int m_lastError = 0;
    QString m_fileName;
    bool m_opened = false;
    bool m_readMode = true;
    bool m_shared = true;
    bool m_writeMode = true;
    int m_fd = -1;
};
