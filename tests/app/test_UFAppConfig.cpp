#include "AppConfigWindowTest.h"

namespace {

const QString Saved = QStringLiteral("Configuração Atualizado.");

} // namespace

TEST_F(AppConfigWindow, LoadsChangesSavesAndTheNextAlertPlaysTheNewSound)
{
    const QString before = Wav(QStringLiteral("antes.wav")), after = Wav(QStringLiteral("sons/depois.wav"));
    Open(QStringLiteral("UPDATE Configuracao SET nc_code = 1, etiq_pag = 24, cab_etiq_flor = 2, plan_etiq_flor = 0, "
                        "limpa_emasc = 1, smt_max_hibr = 9, alert_sound = '%1'").arg(before));
    QStringList shown;
    for (QComboBox* c : {W->nc_code, W->CAB_ETIQ_FLOR, W->PLAN_ETIQ_FLOR, W->id_pais_code, W->limpa_emasc})
        shown << c->currentText();
    shown << W->etiq_pag->text() << W->smt_max_hibr->text() << W->alert_sound->text();
    EXPECT_EQ(shown, (QStringList{"EAN-13", "Pais (C.Barra) / Cruza", "Não", "EAN-8", "Sim", "24", "9", before}));
    EXPECT_EQ(QApplication::focusWidget(), W->nc_code);
    // The picture is kept where APPCONFIG_SCREENSHOT names a file.
    if (const QString path = qEnvironmentVariable("APPCONFIG_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(FMain->grab().save(path));
    }

    // Enter moves on; the sound comes from the dialog, which starts beside the program.
    QTest::keyClick(W->nc_code, Qt::Key_Up);
    QTest::keyClick(W->nc_code, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), W->etiq_pag);
    Number(W->etiq_pag, QStringLiteral("30"));
    Pick(W->CAB_ETIQ_FLOR, 1);
    Pick(W->limpa_emasc, 0);
    Number(W->smt_max_hibr, QStringLiteral("6"));
    H.Files.Answer(Campaign.Dir.filePath(QStringLiteral("falta.wav")));
    H.Files.Answer(after);
    H.Files.Cancel();
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(W->BLoadFile, Qt::LeftButton);
    EXPECT_EQ(Shown(), QStringList{QStringLiteral(" Arquivo não Encontrado. ")});
    EXPECT_EQ(H.Files.Last().InitialDir, QCoreApplication::applicationDirPath());
    EXPECT_EQ(H.Files.Last().Filter, QStringLiteral("Arquivo de Audio (*.wav)|*.wav|Todos Arquivos (*.*)|*.*"));
    EXPECT_EQ(W->alert_sound->text(), after);
    EXPECT_EQ(Row(), QStringLiteral("1|24|2|0|0|1|9|%1|1").arg(before));   // nothing written before "Confirmar"

    Confirm();
    EXPECT_EQ(Shown(), QStringList{Saved});
    EXPECT_EQ(FMain->findChild<TFAppConfig*>(), nullptr);
    EXPECT_EQ(Row(), QStringLiteral("0|30|1|0|0|0|6|%1|1").arg(after));
    const TAppConfig* c = FMain->AppConfig;
    EXPECT_EQ((QList<int>{c->NC_CODE, c->ETIQ_PAG, c->CAB_ETIQ_FLOR, c->LIMPA_EMASC, c->SMT_MAX_HIBR}), (QList<int>{0, 30, 1, 0, 6}));

    // The next rejected scan plays the new sound.
    FMain->LCRUZAETI_FLOR_CAD->trigger();
    H.Sound.Played.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(H.Sound.Played, QStringList{after});
}

TEST_F(AppConfigWindow, EachCheckRefusesAndNothingIsSaved)
{
    Open(QStringLiteral("UPDATE Configuracao SET id_pais_code = 1"));
    const QString row = Row();
    const QString pages = QStringLiteral("Quantidade de etiquetas por página deve ser um valor positivo.");
    // Pages 0: leaving any bound editor, Enter on it (the focus stays) and the confirmation.
    Number(W->etiq_pag, QStringLiteral("0"));
    for (QWidget* e : std::initializer_list<QWidget*>{W->nc_code, W->CAB_ETIQ_FLOR, W->PLAN_ETIQ_FLOR, W->id_pais_code,
                                                      W->limpa_emasc, W->alert_sound}) {
        e->setFocus();
        QTest::keyClick(e, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), e);
        W->etiq_pag->setFocus();
        EXPECT_EQ(Shown(), (QStringList{pages, pages})) << e->objectName().toStdString();
    }
    Confirm();
    EXPECT_EQ(Shown(), QStringList{pages});
    Number(W->etiq_pag, QStringLiteral("20"));

    // Parental labels to EAN-8: a pot number of eight digits does not fit; seven do.
    const QString fits = QStringLiteral("Padrão do código de barra selecionado para etiqueta de parental é incompatível com o tamanho dos dados.");
    const QString seeds = QStringLiteral("Quantidade máxima de sementes por hibridação deve ser um valor inteiro positivo.");
    Campaign.Exec(QStringLiteral("INSERT INTO Parental (id, codigo, tratamento, ggen, usua, dupd, cmaq, upd_tal) "
                                 "VALUES (10000000, 'P8', 'T', 'G', 'U', '2025-01-01 00:00:00', 'M', 0)"));
    Pick(W->id_pais_code, 0);
    Confirm();
    EXPECT_EQ(Shown(), QStringList{fits});
    Campaign.Exec(QStringLiteral("UPDATE Parental SET id = 9999999 WHERE id = 10000000"));
    Number(W->smt_max_hibr, QStringLiteral("0"));
    Confirm();
    EXPECT_EQ(Shown(), QStringList{seeds});
    EXPECT_EQ(Row(), row);
    Number(W->smt_max_hibr, QStringLiteral("5"));
    Confirm();
    EXPECT_EQ(Shown(), QStringList{Saved});
    EXPECT_EQ(Row().section(u'|', 4, 6), QStringLiteral("0|0|5"));

    // An unchanged type never reads Parental; a changed one that cannot be read is refused.
    Campaign.Exec(QStringLiteral("DROP TABLE Parental"));
    ASSERT_NO_FATAL_FAILURE(Reopen());
    Confirm();
    EXPECT_EQ(Shown(), QStringList{Saved});
    ASSERT_NO_FATAL_FAILURE(Reopen());
    Pick(W->id_pais_code, 1);
    Confirm();
    const QStringList failed = Shown();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("Erro ao consultar o banco de dados.\r\nMsg.: "))) << failed[0].toStdString();
    EXPECT_EQ(Row().section(u'|', 4, 4), QStringLiteral("0"));
}

TEST_F(AppConfigWindow, StoredValuesThatNoItemShowsAndLongPathsAreKept)
{
    const QString sound = Wav(QStringLiteral("som.wav"));
    Open(QStringLiteral("UPDATE Configuracao SET cab_etiq_flor = 5, limpa_emasc = -1, tal_lock = 2, alert_sound = '%1'").arg(sound));
    EXPECT_EQ(W->CAB_ETIQ_FLOR->currentIndex(), -1);
    EXPECT_EQ(W->limpa_emasc->currentIndex(), -1);
    // A path too long for the column: refused with the save message, shown whole, nothing written.
    const QString longPath = Wav(QString(60, u'p') + QStringLiteral("/") + QString(50, u's') + QStringLiteral(".wav"));
    H.Files.Answer(longPath);
    QTest::mouseClick(W->BLoadFile, Qt::LeftButton);
    EXPECT_EQ(W->alert_sound->text(), longPath);
    const QString row = Row();
    Confirm();
    const QStringList failed = Shown();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("Erro ao atualizar a Configuração: "))) << failed[0].toStdString();
    EXPECT_EQ(Row(), row);
    ASSERT_TRUE(W->isVisible());

    // A returned campaign still saves; the unshown choices and the lock keep their values.
    W->alert_sound->setText(sound);
    Number(W->etiq_pag, QStringLiteral("12"));
    Confirm();
    EXPECT_EQ(Shown(), QStringList{Saved});
    EXPECT_EQ(Row(), QStringLiteral("0|12|5|1|0|-1|4|%1|2").arg(sound));
    EXPECT_TRUE(FMain->windowTitle().endsWith(QStringLiteral(" - Somente Consulta")));
}

TEST_F(AppConfigWindow, WithoutTheRowTheDefaultsAreInsertedAsTheRowRead)
{
    Open();
    W->BCloseClick();
    Campaign.Exec(QStringLiteral("DELETE FROM Configuracao"));
    ASSERT_NO_FATAL_FAILURE(Reopen());
    EXPECT_EQ(W->etiq_pag->text() + W->smt_max_hibr->text() + W->PLAN_ETIQ_FLOR->currentText(), QStringLiteral("164Sim"));
    Confirm();
    EXPECT_EQ(Shown(), QStringList{Saved});
    EXPECT_EQ(Campaign.Rows(QStringLiteral("SELECT cfg_id, versao_db FROM Configuracao")), QStringLiteral("1|02.005"));
    EXPECT_EQ(Row(), QStringLiteral("0|16|0|1|0|0|4||"));
    EXPECT_EQ(FMain->AppConfig->ETIQ_PAG, 16);
}

TEST_F(AppConfigWindow, RefusesWithoutConfiguration)
{
    H.Start();
    H.Dlg.Clear();
    FMain->LAPPCONFIG->trigger();
    H.Settle();
    EXPECT_EQ(Shown(), QStringList{QStringLiteral("Banco de dados não Conectado.")});
    EXPECT_EQ(FMain->findChild<TFAppConfig*>(), nullptr);
}
