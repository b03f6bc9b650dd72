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
#include <sys/wait.h>
#include <unistd.h>

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

// Another station's connection, writing as root may.
struct RawDb
{
    sqlite3* db = nullptr;
    explicit RawDb(const QString& Path) { sqlite3_open(Path.toUtf8().constData(), &db); }
    ~RawDb() { sqlite3_close(db); }
    int exec(const char* Sql) { return sqlite3_exec(db, Sql, nullptr, nullptr, nullptr); }
};

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

// A station that may only read sees, at its next "Atualizar", the envelopes another
// station adds meanwhile, whether the file is in the log (the other station still
// at work) or in the rollback journal, a dataset half read meanwhile or not.
TEST(ReadOnlyCampaign, AtualizarShowsWhatAnotherStationAdded)
{
    for (const bool inTheLog : {true, false}) {
        SCOPED_TRACE(inTheLog ? "in the log" : "rollback journal");
        TCampaignOptions o;
        o.Labels = 400;
        o.Crossings = 300;
        o.Envelopes = 50;
        TCampaignFile campaign(o);
        if (!inTheLog)
            campaign.Exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        campaign.Conn.Close();
        QTemporaryDir share;
        const QString path = share.filePath(QStringLiteral("campanha.mdb"));
        ASSERT_TRUE(QFile::copy(campaign.Path, path));
        QFile::setPermissions(share.path(), QFileDevice::Permissions(0x7777));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        int asked[2], told[2];
        ASSERT_EQ(pipe(asked), 0);
        ASSERT_EQ(pipe(told), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            // The consulting station: envelopes before, then after the other station wrote.
            QByteArray answer = "<not nobody>";
            if (setgid(65534) == 0 && setuid(65534) == 0) {
                TMainWindowHarness H;
                H.SaveSettings(path);
                H.Start()->LCRUZAETI_CONS->trigger();
                H.Settle();
                auto* w = FMain->findChild<TFBCons*>();
                w->findChild<TRadioGroupBox*>(QStringLiteral("RGFiltro"))->SetItemIndex(1);
                w->BConfirmClick();
                answer = QByteArray::number(w->Q->RecordCount());
                TADOQuery half;   // left half read across the new copy
                half.setConnection(DM->Conn);
                half.SQL.setText(QStringLiteral("SELECT nc_rep FROM Etiqueta_Cruza ORDER BY nc_rep"));
                half.Open();
                half.setRecNo(10);
                H.Settle();
                (void)!write(told[1], "?", 1);
                char c;
                (void)!read(asked[0], &c, 1);
                w->BConfirmClick();
                half.Last();
                answer += ' ' + QByteArray::number(w->Q->RecordCount()) + ' ' + QByteArray::number(half.RecordCount()) + ' '
                          + H.Dlg.Texts().join(u'|').toUtf8();
            }
            (void)!write(told[1], answer.constData(), size_t(answer.size()));
            _exit(0);
        }
        char c;
        ASSERT_EQ(read(told[0], &c, 1), 1);
        RawDb other(path);
        EXPECT_EQ(other.exec("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) SELECT nc_rep, 3, 'NOVO', "
                             "'2026-01-01 10:00:00', 'OUTRA' FROM (SELECT DISTINCT nc_rep FROM Cruza "
                             "WHERE nc_rep NOT IN (SELECT nc_rep FROM Colheita) LIMIT 5)"), SQLITE_OK);
        ASSERT_EQ(write(asked[1], "!", 1), 1);
        close(told[1]);
        QByteArray answer;
        char buf[256];
        for (ssize_t n; (n = read(told[0], buf, sizeof buf)) > 0;)
            answer.append(buf, n);
        waitpid(pid, nullptr, 0);
        EXPECT_EQ(answer, QByteArray("50 55 400 "));
        for (int fd : {asked[0], asked[1], told[0]})
            close(fd);
    }
}
