#include "MainWindowHarness.h"

#include "UFAppConfig.h"
#include "UXNumEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString Saved = QStringLiteral("Configuração Atualizado.");

class AppConfigWindow : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    TCampaignFile Campaign;
    TFAppConfig* W = nullptr;

    // The window opened from its menu item; first the program started on the campaign shaped by SQL.
    void Open(const QString& SQL = QString(), bool Start = true)
    {
        if (Start) {
            ASSERT_TRUE(H.StartOn(Campaign, SQL)->AppConfig->Loaded);
            FMain->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(FMain));
        }
        H.Settle();
        FMain->LAPPCONFIG->trigger();
        ASSERT_TRUE((W = FMain->findChild<TFAppConfig*>()) && W->isVisible());
        H.Dlg.Clear();
    }
    QString Wav(const QString& Name)
    {
        QFile f(Campaign.Dir.filePath(Name));
        return f.open(QIODevice::WriteOnly) ? QFileInfo(f).absoluteFilePath() : QString();
    }
    // A number typed over a number edit's text, or a choice made with the arrow keys.
    void Set(QWidget* Editor, int Value)
    {
        Editor->setFocus();
        if (auto* num = qobject_cast<TXNumEdit*>(Editor))
            num->selectAll(), QTest::keyClicks(num, QString::number(Value));
        for (auto* c = qobject_cast<QComboBox*>(Editor); c && c->currentIndex() != Value;)
            QTest::keyClick(c, c->currentIndex() < Value ? Qt::Key_Down : Qt::Key_Up);
    }
    QString Confirm()
    {
        H.Dlg.Clear();
        QTest::mouseClick(W->BConfirm, Qt::LeftButton);
        H.Settle();
        return H.Dlg.Texts().join(u'\n');
    }
    QString Row()
    {
        return Campaign.Rows(QStringLiteral("SELECT nc_code, etiq_pag, cab_etiq_flor, plan_etiq_flor, id_pais_code, "
                                            "limpa_emasc, smt_max_hibr, alert_sound, tal_lock FROM Configuracao"));
    }
};

} // namespace

TEST_F(AppConfigWindow, LoadsChangesSavesAndTheNextAlertPlaysTheNewSound)
{
    const QString before = Wav(QStringLiteral("antes.wav")), after = Wav(QStringLiteral("depois.wav"));
    Open(QStringLiteral("UPDATE Configuracao SET nc_code = 1, etiq_pag = 24, cab_etiq_flor = 2, plan_etiq_flor = 0, "
                        "limpa_emasc = 1, smt_max_hibr = 9, alert_sound = '%1'").arg(before));
    // What is loaded is what is saved below; Enter moves on; the sound comes from the dialog.
    QTest::keyClick(W->nc_code, Qt::Key_Up);
    QTest::keyClick(W->nc_code, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), W->etiq_pag);
    Set(W->etiq_pag, 30);
    H.Files.Answer(after);
    QTest::mouseClick(W->BLoadFile, Qt::LeftButton);
    EXPECT_EQ(Row(), QStringLiteral("1|24|2|0|0|1|9|%1|1").arg(before));   // nothing written before "Confirmar"
    EXPECT_EQ(Confirm(), Saved);
    EXPECT_EQ(FMain->findChild<TFAppConfig*>(), nullptr);
    EXPECT_EQ(Row(), QStringLiteral("0|30|2|0|0|1|9|%1|1").arg(after));
    // The next rejected scan plays the new sound.
    FMain->LCRUZAETI_FLOR_CAD->trigger();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(H.Sound.Played, QStringList{after});
}

TEST_F(AppConfigWindow, EachCheckRefusesAndNothingIsSaved)
{
    Open(QStringLiteral("UPDATE Configuracao SET id_pais_code = 1"));
    const QString row = Row(), pages = QStringLiteral("Quantidade de etiquetas por página deve ser um valor positivo.");
    // Pages 0: Enter on any bound editor (the focus stays), leaving it, and the confirmation.
    Set(W->etiq_pag, 0);
    for (QWidget* e : std::initializer_list<QWidget*>{W->nc_code, W->PLAN_ETIQ_FLOR, W->alert_sound}) {
        e->setFocus();
        QTest::keyClick(e, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), e);
        W->etiq_pag->setFocus();
    }
    EXPECT_EQ(H.Dlg.Texts(), QStringList(6, pages));
    EXPECT_EQ(Confirm(), pages);
    Set(W->etiq_pag, 20);
    // Parental labels to EAN-8: a pot number of eight digits does not fit, seven do; then the seed limit.
    Campaign.Exec(QStringLiteral("UPDATE Parental SET id = 10000000 WHERE id = 2000001"));
    Set(W->id_pais_code, 0);
    EXPECT_EQ(Confirm(), QStringLiteral("Padrão do código de barra selecionado para etiqueta de parental é incompatível "
                                        "com o tamanho dos dados."));
    Campaign.Exec(QStringLiteral("UPDATE Parental SET id = 9999999 WHERE id = 10000000"));
    Set(W->smt_max_hibr, 0);
    EXPECT_EQ(Confirm(), QStringLiteral("Quantidade máxima de sementes por hibridação deve ser um valor inteiro positivo."));
    EXPECT_EQ(Row(), row);
    Set(W->smt_max_hibr, 5);
    EXPECT_EQ(Confirm(), Saved);
    EXPECT_EQ(Row().section(u'|', 4, 6), QStringLiteral("0|0|5"));
    // An unchanged type never reads Parental; a changed one that cannot be read is refused.
    Campaign.Exec(QStringLiteral("DROP TABLE Parental"));
    ASSERT_NO_FATAL_FAILURE(Open({}, false));
    EXPECT_EQ(Confirm(), Saved);
    ASSERT_NO_FATAL_FAILURE(Open({}, false));
    Set(W->id_pais_code, 1);
    EXPECT_TRUE(Confirm().startsWith(QStringLiteral("Erro ao consultar o banco de dados.\r\nMsg.: ")));
    EXPECT_EQ(Row().section(u'|', 4, 4), QStringLiteral("0"));
}

TEST_F(AppConfigWindow, UnshownValuesAndLongPathsKeptAndAMissingRowInserted)
{
    const QString sound = Wav(QStringLiteral("som.wav"));
    Open(QStringLiteral("UPDATE Configuracao SET cab_etiq_flor = 5, limpa_emasc = -1, tal_lock = 2, alert_sound = '%1'").arg(sound));
    // A path too long for the column: refused with the save message, shown whole, nothing written.
    const QString longPath = Wav(QString(100, u's') + QStringLiteral(".wav")), row = Row();
    H.Files.Answer(longPath);
    QTest::mouseClick(W->BLoadFile, Qt::LeftButton);
    EXPECT_EQ(W->alert_sound->text(), longPath);
    EXPECT_TRUE(Confirm().startsWith(QStringLiteral("Erro ao atualizar a Configuração: ")));
    EXPECT_EQ(Row(), row);
    // A returned campaign still saves; the choices no item shows and the lock keep their values.
    H.Files.Answer(sound);
    QTest::mouseClick(W->BLoadFile, Qt::LeftButton);
    Set(W->etiq_pag, 12);
    EXPECT_EQ(Confirm(), Saved);
    EXPECT_EQ(Row(), QStringLiteral("0|12|5|1|0|-1|4|%1|2").arg(sound));
    // Without the row: the defaults become the row the configuration is read from.
    Campaign.Exec(QStringLiteral("DELETE FROM Configuracao"));
    ASSERT_NO_FATAL_FAILURE(Open({}, false));
    EXPECT_EQ(Confirm(), Saved);
    EXPECT_EQ(Campaign.Rows(QStringLiteral("SELECT cfg_id, versao_db FROM Configuracao")), QStringLiteral("1|02.005"));
    EXPECT_EQ(Row(), QStringLiteral("0|16|0|1|0|0|4||"));
}
