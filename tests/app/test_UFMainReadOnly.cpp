// A campaign the user may only read, made without the look-up indexes: the consultations plan and answer
// as on the writable file once it has them, writes are refused, and the file is left as it was. The
// reader is nobody, since root may write any file.

#include "ForkedChild.h"
#include "MainWindowHarness.h"

#include "UFBCons.h"
#include "XAdoEngine.h"
#include "XJetSql.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

// The consultations the label index serves, each with its view.
const struct { const char* Name; QAction* TFMain::*Action; int View; } Consultations[] = {
    {"Colheita/Resumo", &TFMain::LCRUZAETI_CONS, 0},
    {"Colheita/Envelope", &TFMain::LCRUZAETI_CONS, 1},
    {"Planejado/Realizado", &TFMain::LCRUZA_PLANEJADO_CONS, 0},
};

// SQLite's plan of Sql on the program's connection, its steps joined.
QString Plan(const QString& Sql)
{
    sqlite3_stmt* s = nullptr;
    QStringList steps;
    sqlite3_prepare_v2(DM->Conn->Engine()->Db(), ("EXPLAIN QUERY PLAN " + Sql).toUtf8().constData(), -1, &s, nullptr);
    while (s && sqlite3_step(s) == SQLITE_ROW)
        steps << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
    sqlite3_finalize(s);
    return steps.join(QStringLiteral("; "));
}

QString Refusal(const char* Sql, bool Rows)
{
    TADOQuery q;
    q.setConnection(DM->Conn);
    q.SQL.setText(QLatin1String(Sql));
    try {
        Rows ? q.Open() : void(q.ExecSQL());
    } catch (const EOleException& e) {
        return e.Message();
    }
    return QStringLiteral("<accepted>");
}

// The program started on Path as a user starts it: its boxes, what each
// consultation plans and shows, and on a read-only file what becomes of writes.
QStringList Consult(const QString& Path)
{
    TMainWindowHarness H;
    H.SaveSettings(Path);
    TFMain* Main = H.Start();
    QStringList out{H.Dlg.Texts().join(u'|')};
    for (const auto& c : Consultations) {
        (Main->*c.Action)->trigger();
        H.Settle();
        auto* w = Main->findChild<TFBCons*>();
        if (!w)
            return out << QStringLiteral("no window");
        w->findChild<TRadioGroupBox*>(QStringLiteral("RGFiltro"))->SetItemIndex(c.View);
        w->BConfirmClick();
        w->Q->First();
        out << QStringLiteral("%1\t%2\t%3 %4")
                   .arg(QLatin1String(c.Name), Plan(JetSql::RewriteStatement(w->Q->SQL.Text())))
                   .arg(w->Q->RecordCount())
                   .arg(QLatin1String(QCryptographicHash::hash(DataSetRows(*w->Q).toUtf8(), QCryptographicHash::Sha1).toHex()));
        delete w;
        H.Settle();
    }
    // The last, a query that writes which only the engine can tell.
    if (DM->Conn->ReadOnly())
        out << Refusal("UPDATE Etiqueta_Cruza SET NC_PRINT = NC_PRINT + 1", false)
            << Refusal("CREATE INDEX IX_Outro ON Cruza (NC)", false)
            << Refusal("UPDATE Etiqueta_Cruza SET NC_PRINT = NC_PRINT + 1 RETURNING NC", true);
    return out;
}

} // namespace

// A file the program once accepted (write-ahead format), without the look-up indexes.
TEST(ReadOnlyCampaign, ConsultsAsTheIndexedWritableFileRefusesWritesAndLeavesTheFileAsItWas)
{
    TCampaignOptions o;
    o.Labels = 400;
    o.Crossings = 300;
    o.Envelopes = 150;
    TCampaignFile campaign(o);
    campaign.Conn.Close();
    QTemporaryDir share;   // everybody may write the folder, nobody the file
    const QString path = share.filePath(QStringLiteral("campanha.mdb"));
    ASSERT_TRUE(QFile::copy(campaign.Path, path));
    QFile::setPermissions(share.path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QByteArray before = FileBytes(path);
    ASSERT_EQ(int(before.at(18)), 2);
    QStringList expected = Consult(campaign.Path);
    for (const QString& line : expected.mid(1))
        EXPECT_TRUE(line.contains(QLatin1String("IX_Etiqueta_Cruza_NC_REP")) && !line.section(u'\t', 2).startsWith(u'0'))
            << line.toStdString();
    expected << QStringList(3, QStringLiteral("Cannot update. Database or object is read-only."));
    const QByteArray answer = InForkedChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return QByteArray("<not nobody>");
        return Consult(path).join(u'\n').toUtf8();
    });
    EXPECT_EQ(QString::fromUtf8(answer).split(u'\n'), expected);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(QDir(share.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("campanha.mdb")});
}
