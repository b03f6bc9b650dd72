#include "CampaignFile.h"
#include "XAdoTransaction.h"
#include "XExceptions.h"

#include <gtest/gtest.h>

class AdoTransaction : public ::testing::Test
{
protected:
    TCampaignFile F;

    void Insert(int Id)
    {
        F.Exec(QStringLiteral("INSERT INTO Emasculador (id, nome, usua, dupd, cmaq) VALUES (%1, 'N%1', 'T', 'd', 'c')").arg(Id));
    }
    QString Ids() { return F.Rows(QStringLiteral("SELECT id FROM Emasculador WHERE id > 100 ORDER BY id")); }
};

TEST_F(AdoTransaction, CommitKeepsEveryStatementAndScopeEndDropsThem)
{
    {
        TADOTransaction t(&F.Conn);
        Insert(101);
        Insert(102);
        t.Commit();
    }
    {
        TADOTransaction t(&F.Conn);
        F.Exec(QStringLiteral("DELETE FROM Emasculador WHERE id = 101"));
        Insert(103);
        // NOME is TEXT(60): refused, and what came before goes with the transaction.
        EXPECT_THROW(F.Exec(QStringLiteral("INSERT INTO Emasculador (id, nome, usua, dupd, cmaq) VALUES (105, '%1', 'T', 'd', 'c')")
                                .arg(QString(61, u'x'))),
                     EOleException);
    }
    EXPECT_EQ(Ids(), QStringLiteral("101;102"));
    // The connection is back to committing each statement on its own.
    Insert(104);
    F.Reopen();
    EXPECT_EQ(Ids(), QStringLiteral("101;102;104"));
}

TEST_F(AdoTransaction, CheckpointSpacingComesBack)
{
    const auto spacing = [&] { return F.Scalar(QStringLiteral("PRAGMA wal_autocheckpoint")); };
    const QString before = spacing();
    {
        TADOCheckpointSpacing wide(&F.Conn, 10000);
        EXPECT_EQ(spacing(), QStringLiteral("10000"));
    }
    EXPECT_EQ(spacing(), before);
}
