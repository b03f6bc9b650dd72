#include "CampaignFile.h"
#include "UXFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

class UXFileTest : public ::testing::Test
{
protected:
    QString Path(const char* Name) const { return m_dir.filePath(QString::fromLatin1(Name)); }
    void Put(const char* Name, const QByteArray& Data)
    {
        QFile f(Path(Name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Data);
    }
    QByteArray Get(const char* Name) const { return FileBytes(Path(Name)); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(UXFileTest, ReadsUpToCountOrTheEnd)
{
    QByteArray data(20000, '\0');   // more than one block
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 + i / 251);
    Put("a.dat", data);
    TXFile f;
    f.SetFileName(Path("a.dat"));
    ASSERT_TRUE(f.Open(false));
    QByteArray text;
    f.Read(4, text);
    EXPECT_EQ(text, data.left(4));
    f.Read(-1, text); // the file's size, more than is left: only what is there
    EXPECT_EQ(text, data.mid(4));
    f.Read(100, text);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(f.LastError(), 0);
}

TEST_F(UXFileTest, OpenCreateWriteTruncate)
{
    TXFile f;
    f.SetFileName(Path("new.dat"));
    EXPECT_FALSE(f.Open(false));
    EXPECT_EQ(f.LastError(), ENOENT);
    EXPECT_FALSE(QFile::exists(Path("new.dat")));
    EXPECT_TRUE(f.Open(true));
    EXPECT_TRUE(f.Open(false)); // already open: True, nothing changes
    EXPECT_TRUE(f.WriteStr("old content"));
    EXPECT_TRUE(f.Close());
    ASSERT_TRUE(f.Open(true));
    QByteArray text;
    f.Read(3, text);
    f.Truncate(); // cut at the current position
    EXPECT_TRUE(f.Write("-x", 2));
    EXPECT_TRUE(f.WriteStr(QByteArray())); // empty: True, nothing written
    EXPECT_EQ(f.Size(), 5);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(Get("new.dat"), QByteArray("old-x"));
    f.SetWriteMode(false);
    ASSERT_TRUE(f.Open(false));
    EXPECT_FALSE(f.WriteStr("y"));
    EXPECT_EQ(f.LastError(), EBADF);
}

TEST_F(UXFileTest, RenameDelete)
{
    Put("a.dat", QByteArray(1234, 'x'));
    Put("other.dat", "keep");
    TXFile f;
    f.SetFileName(Path("a.dat"));
    EXPECT_TRUE(f.Rename(Path("a.bkp")));
    EXPECT_EQ(f.FileName(), Path("a.bkp"));
    EXPECT_EQ(Get("a.bkp").size(), 1234);
    EXPECT_FALSE(f.Rename(Path("other.dat"))); // never replaces a file
    EXPECT_EQ(f.FileName(), Path("a.bkp"));
    EXPECT_EQ(Get("other.dat"), QByteArray("keep"));
    EXPECT_TRUE(f.Delete());
    EXPECT_FALSE(QFile::exists(Path("a.bkp")));
    EXPECT_FALSE(f.Delete());
    EXPECT_EQ(f.LastError(), ENOENT);
}
