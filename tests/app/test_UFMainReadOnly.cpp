// A campaign the user may only read, made without the look-up indexes: the
// consultations plan and answer as on the writable file once it has them,
// every write is refused, and the file is left as it was. The program runs
// as a child (READONLY_CAMPAIGN_CHILD) under an unprivileged user, since
// tests run as root, who may write any file.

#include "MainWindowHarness.h"

#include "UFBCons.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaParental_Cons.h"
#include "UFCruza_Emasculador_Cons.h"
#include "UFCruza_Parental_Pivot_Cons.h"
#include "UFCruza_Planejado_Cons.h"
#include "XAdoEngine.h"
#include "XJetSql.h"

#include <QAction>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>

#include <sqlite3.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Each consultation with its view (the report choice, or -1 for the window's default).
struct TConsultation
{
    const char* Name;
    QAction* TFMain::*Action;
    int View;
};
const TConsultation Consultations[] = {
    {"Colheita/Resumo", &TFMain::LCRUZAETI_CONS, 0},
    {"Colheita/Envelope", &TFMain::LCRUZAETI_CONS, 1},
    {"Parental", &TFMain::LCRUZAPARENTAL_CONS, -1},
    {"Planejado/Realizado", &TFMain::LCRUZA_PLANEJADO_CONS, 0},
    {"Planejado/Livro", &TFMain::LCRUZA_PLANEJADO_CONS, 1},
    {"Emasculador", &TFMain::LCRUZAETI_EMASC_CONS, -1},
    {"Pivot", &TFMain::LCRUZA_PARENTAL_PIVOT_CONS, -1},
};

// SQLite's plan of Sql on the program's connection, its steps joined.
QString Plan(const QString& Sql)
{
    sqlite3_stmt* s = nullptr;
    QStringList steps;
    if (sqlite3_prepare_v2(DM->Conn->Engine()->Db(), ("EXPLAIN QUERY PLAN " + Sql).toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(DM->Conn->Engine()->Db()));
    while (sqlite3_step(s) == SQLITE_ROW)
        steps << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
    sqlite3_finalize(s);
    return steps.join(QStringLiteral("; "));
}

QString Refusal(const QString& Sql, bool Query)
{
    try {
        if (Query) {
            TADOQuery q;
            q.setConnection(DM->Conn);
            q.SQL.setText(Sql);
            q.Open();
        } else {
            TADOCommand c;
            c.setConnection(DM->Conn);
            c.setCommandText(Sql);
            c.Execute();
        }
        return QStringLiteral("<accepted>");
    } catch (const EOleException& e) {
        return e.Message();
    }
}

// The program started on Path as a user starts it; what each consultation
// plans and shows, and what becomes of writes. One "name<TAB>value" a line.
QString Consult(const QString& Path)
{
    TMainWindowHarness H;
    H.SaveSettings(Path);
    TFMain* Main = H.Start();
    QStringList out{QStringLiteral("boxes\t") + H.Dlg.Texts().join(u'|')};
    if (!DM->Conn->Connected())
        return out.join(u'\n');
    out << QStringLiteral("readonly\t%1").arg(int(DM->Conn->ReadOnly()));
    for (const TConsultation& c : Consultations) {
        (Main->*c.Action)->trigger();
        H.Settle();
        auto* w = Main->findChild<TFBCons*>();
        if (!w)
            return out.join(u'\n') + QStringLiteral("\nno window ") + QLatin1String(c.Name);
        if (auto* e = qobject_cast<TFCruzaEti_Cons*>(w); e && c.View >= 0)
            e->RGFiltro->SetItemIndex(c.View);
        if (auto* p = qobject_cast<TFCruza_Planejado_Cons*>(w); p && c.View >= 0)
            p->RGFiltro->SetItemIndex(c.View);
        w->BConfirmClick();
        const QString name = QLatin1String(c.Name);
        out << name + QStringLiteral(" plan\t") + Plan(JetSql::RewriteStatement(w->Q->SQL.Text()));
        w->Q->First();
        const QString rows = DataSetRows(*w->Q);
        out << name + QStringLiteral(" rows\t%1 %2")
                          .arg(w->Q->RecordCount())
                          .arg(QString::fromLatin1(QCryptographicHash::hash(rows.toUtf8(), QCryptographicHash::Sha1).toHex()));
        delete w;
        H.Settle();
    }
    // The last one a query that writes, which only the engine can tell.
    out << QStringLiteral("update\t") + Refusal(QStringLiteral("UPDATE Etiqueta_Cruza SET NC_PRINT = NC_PRINT + 1"), false)
        << QStringLiteral("create index\t") + Refusal(QStringLiteral("CREATE INDEX IX_Outro ON Cruza (NC)"), false)
        << QStringLiteral("update returning\t")
               + Refusal(QStringLiteral("UPDATE Etiqueta_Cruza SET NC_PRINT = NC_PRINT + 1 RETURNING NC"), true);
    H.Stop();
    return out.join(u'\n');
}

QMap<QString, QString> Lines(const QString& Report)
{
    QMap<QString, QString> m;
    for (const QString& line : Report.split(u'\n'))
        m.insert(line.section(u'\t', 0, 0), line.section(u'\t', 1));
    return m;
}

// The child, once the program's statics and application object exist.
class TReaderChild : public testing::Environment
{
public:
    void SetUp() override
    {
        const QString path = qEnvironmentVariable("READONLY_CAMPAIGN_CHILD");
        if (path.isEmpty())
            return;
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        std::printf("%s\n", qPrintable(Consult(path)));
        std::fflush(stdout);
        _exit(0);
    }
};
testing::Environment* const ReaderChild = testing::AddGlobalTestEnvironment(new TReaderChild);

// The campaign's file in a folder everybody may write, the file itself only readable.
QString ReadOnlyCopy(const QTemporaryDir& Share, const QString& Built)
{
    const QString path = Share.filePath(QStringLiteral("campanha.mdb"));
    QFile::copy(Built, path);
    QFile::setPermissions(Share.path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return path;
}

QString RunAsReader(const QString& Path)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("READONLY_CAMPAIGN_CHILD"), Path);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {});
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

class ReadOnlyCampaign : public testing::TestWithParam<bool>
{
};

// A file the program once accepted (write-ahead format) and one in a rollback
// journal, as the schema code makes it; neither carries the look-up indexes.
TEST_P(ReadOnlyCampaign, ConsultsAsTheIndexedWritableFileRefusesWritesAndLeavesTheFileAsItWas)
{
    TCampaignOptions o;
    o.Labels = 400;
    o.Crossings = 300;
    o.Envelopes = 150;
    o.EnvelopesWithoutCrossing = 5;
    TCampaignFile campaign(o);
    campaign.Conn.Close();
    if (GetParam()) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(campaign.Path.toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    QTemporaryDir share;
    const QString path = ReadOnlyCopy(share, campaign.Path);
    const QByteArray before = FileBytes(path);
    ASSERT_EQ(int(before.at(18)), GetParam() ? 1 : 2);

    const QMap<QString, QString> writable = Lines(Consult(campaign.Path));
    const QMap<QString, QString> readOnly = Lines(RunAsReader(path));

    EXPECT_EQ(writable.value(QStringLiteral("readonly")), QStringLiteral("0"));
    EXPECT_EQ(readOnly.value(QStringLiteral("readonly")), QStringLiteral("1"));
    EXPECT_EQ(readOnly.value(QStringLiteral("boxes")), QString());
    for (const TConsultation& c : Consultations) {
        const QString name = QLatin1String(c.Name);
        EXPECT_EQ(readOnly.value(name + QStringLiteral(" plan")), writable.value(name + QStringLiteral(" plan"))) << c.Name;
        EXPECT_EQ(readOnly.value(name + QStringLiteral(" rows")), writable.value(name + QStringLiteral(" rows"))) << c.Name;
        EXPECT_FALSE(readOnly.value(name + QStringLiteral(" rows")).startsWith(u'0')) << c.Name;
    }
    for (const char* name : {"Colheita/Resumo", "Colheita/Envelope", "Planejado/Realizado"})
        EXPECT_TRUE(readOnly.value(QLatin1String(name) + QStringLiteral(" plan")).contains(QLatin1String("IX_Etiqueta_Cruza_NC_REP")))
            << name << ": " << readOnly.value(QLatin1String(name) + QStringLiteral(" plan")).toStdString();
    for (const char* write : {"update", "create index", "update returning"})
        EXPECT_EQ(readOnly.value(QLatin1String(write)), QStringLiteral("Cannot update. Database or object is read-only.")) << write;

    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(QDir(share.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("campanha.mdb")});
}

INSTANTIATE_TEST_SUITE_P(FileFormat, ReadOnlyCampaign, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "RollbackJournal" : "WriteAheadLog"; });
