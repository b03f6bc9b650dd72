#include "CampaignFile.h"
#include "UDBTables.h"
#include "UDBVersion.h"
#include "UXForms.h"
#include "UXLib.h"
#include "XDialogs.h"
#include "XExceptions.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

TEST(Tables, MissingSchemaIsReportedAndTheConfigurationRowIsCfgIdOne)
{
    TDlgRecorder rec;
    RegisterDBStructs(nullptr);
    EXPECT_EQ(rec.Texts(), QStringList(QStringLiteral("Instância de TDB_Struct não criado.")));

    TCampaignOptions o;
    o.Ean13 = true;
    o.TalLock = QVariant();
    TCampaignFile f(o);
    EXPECT_EQ(f.Rows(ConfigSelectSQL()), QStringLiteral("02.005|1|0|16||0|0|1||4"));
    f.Exec(QStringLiteral("UPDATE Configuracao SET cfg_id = 2"));
    EXPECT_EQ(f.Rows(ConfigSelectSQL()), QString());
}

TEST(CampaignBuilder, MasterDataIsConsistentAndScannable)
{
    for (const bool ean13 : {false, true}) {
        TCampaignOptions o;
        o.Labels = 50;
        o.RepsPerCrossing = 4;
        o.Crossings = 45;
        o.Ean13 = ean13;
        o.Seed = 5;
        TCampaignFile f(o);
        const auto N = [&](const char* SQL) {
            bool ok = false;
            const int n = f.Scalar(QString::fromUtf8(SQL)).toInt(&ok);
            return ok ? n : -1;
        };
        EXPECT_EQ(N("SELECT nc_code FROM Configuracao"), int(ean13));
        // One label per repetition; the last crossing takes the rest.
        EXPECT_EQ(N("SELECT SUM(rep) FROM Planejamento_Cruza"), 50);
        EXPECT_EQ(N("SELECT COUNT(*) FROM Etiqueta_Cruza ec INNER JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc) "
                    "WHERE ec.rep <= pc.rep"), 50);
        // Planned parents are pots of the campaign, mother and father apart.
        EXPECT_EQ(N("SELECT COUNT(*) FROM Planejamento_Cruza pc WHERE pc.id_vaso_mae <> pc.id_vaso_pai AND "
                    "pc.id_vaso_mae IN (SELECT id FROM Parental) AND pc.id_vaso_pai IN (SELECT id FROM Parental)"), 13);
        // Every crossing is on a label, with a known executor; write-offs carry their columns.
        EXPECT_EQ(N("SELECT COUNT(*) FROM Cruza c INNER JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep) "
                    "INNER JOIN Emasculador e ON (c.id_emasculador = e.id)"), 45);
        EXPECT_EQ(N("SELECT COUNT(*) FROM Cruza WHERE status = 'X' AND x_dupd > dupd AND NOT isnull(id_usua_baixa) "
                    "AND NOT isnull(x_cmaq)"), f.Info.WrittenOff);
        EXPECT_EQ(N("SELECT COUNT(*) FROM Cruza WHERE status <> 'X' AND NOT isnull(x_dupd)"), 0);
        EXPECT_EQ(N("SELECT COUNT(*) FROM Cruza WHERE NOT isnull(id_cruza)"), f.Info.Transmitted);
        // At most one live crossing per label, and it is the newest.
        EXPECT_EQ(N("SELECT COUNT(*) FROM Cruza c WHERE c.seq < (SELECT MAX(seq) FROM Cruza d WHERE d.nc_rep = c.nc_rep) "
                    "AND c.status <> 'X'"), 0);

        // Label and pot numbers scan as valid codes of the configured kind.
        TADOQuery q;
        q.setConnection(&f.Conn);
        q.SQL.setText(QStringLiteral("SELECT nc_rep FROM Etiqueta_Cruza"));
        q.Open();
        for (; !q.Eof(); q.Next()) {
            const QString code = TCampaignBuilder::Barcode(q.Fields(0)->AsLargeInt(), ean13);
            QString msg;
            EXPECT_EQ(code.size(), ean13 ? 13 : 8);
            EXPECT_TRUE(ean13 ? CheckEAN13(code, msg) : CheckEAN8(code, msg)) << qPrintable(code + u' ' + msg);
            EXPECT_EQ(code.left(code.size() - 1).toLongLong(), q.Fields(0)->AsLargeInt());
        }
        QString msg;
        EXPECT_TRUE(CheckEAN8(TCampaignBuilder::Barcode(TCampaignBuilder::PotNumber(0), false), msg));
        EXPECT_TRUE(CheckEAN13(TCampaignBuilder::Barcode(TCampaignBuilder::PotNumber(3), true), msg));
    }
}
