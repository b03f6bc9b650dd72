#include "UEtiqFlor.h"

#include "CampaignFile.h"
#include "XAdo.h"
#include "XDialogs.h"

#include <gtest/gtest.h>

// The sequences of a 12-digit label, then one box per call on a lost connection.
TEST(EtiqFlor, SequenceOfAnEan13LabelThenALostConnection)
{
    TDlgRecorder Dlg;
    TCampaignOptions o;
    o.Ean13 = true;
    o.Labels = 12;
    TCampaignFile Campaign(o);
    TEtiqFlor Etiq;
    Etiq.Conn = &Campaign.Conn;
    const qint64 Label = Campaign.Info.LastLabel;
    ASSERT_GT(Label, qint64(2147483647));
    EXPECT_EQ(Etiq.NextSeq(Label), 1);
    // The second crossing of the label, after the first was written off.
    Campaign.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) "
                                 "VALUES (%1, 1, '0', 1, 'X', '2026-02-05 09:05:07')").arg(Label));
    EXPECT_EQ(Etiq.NextSeq(Label), 2);
    // A number equal in its low 32 bits is another label.
    EXPECT_EQ(Etiq.MaxSeq(Label - (qint64(1) << 32)), 0);
    EXPECT_EQ(Etiq.MaxSeq(Label & 0xffffffff), 0);
    EXPECT_EQ(Dlg.Count(), 0);
    Campaign.Conn.Close();
    EXPECT_EQ(Etiq.MaxSeq(Label), -1);
    EXPECT_EQ(Etiq.NextSeq(Label), -1);
    ASSERT_EQ(Dlg.Count(), 2);
    EXPECT_TRUE(Dlg.Last().Text.startsWith(QStringLiteral("Erro ao buscar Maior Seq.\r\nErro: ")));
}
