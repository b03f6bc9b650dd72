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
