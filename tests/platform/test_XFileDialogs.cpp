#include "XFileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

TEST(XFileDialogs, FiltersAndDefaultExtensionsInTheWindowsFormGoToQt)
{
    EXPECT_EQ(QtNameFilters("Arquivo MS-Excel|*.xls|Todos Arquivos|*.*"),
              (QStringList{"Arquivo MS-Excel (*.xls)", "Todos Arquivos (*.*)"}));
    EXPECT_EQ(QtNameFilters(u"Banco de Dados (*.MDB)|*.mdb|Todos Arquivos (*.*)|*.*"_qs),
              (QStringList{"Banco de Dados (*.mdb)", "Todos Arquivos (*.*)"}));
    EXPECT_EQ(QtNameFilters("Planilhas|*.xls;*.xlsx"), QStringList{"Planilhas (*.xls *.xlsx)"});
    EXPECT_EQ(QtNameFilters(""), QStringList{});
    EXPECT_EQ(DefaultSuffix("*.xls") + DefaultSuffix(".csv") + DefaultSuffix("wav"), "xlscsvwav");
    EXPECT_EQ(ApplyDefaultExt("/tmp/relatorio", "*.xlsx"), "/tmp/relatorio.xlsx");
    EXPECT_EQ(ApplyDefaultExt("/tmp/relatorio.csv", "*.xlsx"), "/tmp/relatorio.csv");
    EXPECT_EQ(ApplyDefaultExt("/tmp/relatorio", ""), "/tmp/relatorio");
}

TEST(XFileDialogs, RecorderKeepsRequestsAndAnswersFromItsScript)
{
    TFileDialogProvider* before = FileDialogProvider();
    {
        TFileDialogRecorder rec;
        TSaveDialog sd;
        sd.SetDefaultExt("*.xlsx");
        sd.SetFilter("Arquivo MS-Excel|*.xlsx|Todos Arquivos|*.*");
        sd.SetInitialDir("/dados");
        sd.SetFileName("Consulta");

        rec.Answer("/dados/parental");
        ASSERT_TRUE(sd.Execute());
        EXPECT_EQ(sd.FileName(), "/dados/parental.xlsx");
        const TFileDialogRequest& r = rec.Last();
        EXPECT_EQ(r.Kind, TFileDialogKind::Save);
        EXPECT_EQ(QStringList({r.Filter, r.InitialDir, r.FileName, r.DefaultExt}),
                  QStringList({"Arquivo MS-Excel|*.xlsx|Todos Arquivos|*.*", "/dados", "Consulta", "*.xlsx"}));

        rec.Answer("/dados/outro.txt", 2);
        rec.Cancel();
        ASSERT_TRUE(sd.Execute());
        EXPECT_EQ(sd.FileName(), "/dados/outro.txt");
        EXPECT_EQ(sd.FilterIndex(), 2);
        EXPECT_FALSE(sd.Execute());
        EXPECT_EQ(sd.FileName(), "/dados/outro.txt") << "a cancelled dialog keeps the name";
        EXPECT_FALSE(sd.Execute()) << "an empty script cancels";
        EXPECT_EQ(rec.Count(), 4);

        TOpenDialog od;
        rec.Answer("/dados/campanha.mdb");
        ASSERT_TRUE(od.Execute());
        EXPECT_EQ(rec.Last().Kind, TFileDialogKind::Open);
        EXPECT_EQ(od.FileName(), "/dados/campanha.mdb");
    }
    EXPECT_EQ(FileDialogProvider(), before);
}

TEST(XFileDialogs, TheQtDialogGetsFiltersFolderAndExtensionAndAsksNothingOfExistingFiles)
{
    const QString dir = QDir::tempPath();
    TSaveDialog sd;
    sd.SetFilter("Arquivo MS-Excel|*.xlsx|Todos Arquivos|*.*");
    sd.SetFilterIndex(2);
    sd.SetDefaultExt("*.xlsx");
    sd.SetInitialDir(dir);
    QStringList seen;   // filters, then the selected one, suffix, save mode, overwrite question, folder
    // The dialog is answered from inside its own event loop.
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        seen = dlg->nameFilters();
        seen << dlg->selectedNameFilter() << dlg->defaultSuffix()
             << (dlg->acceptMode() == QFileDialog::AcceptSave ? "save" : "open")
             << (dlg->testOption(QFileDialog::DontConfirmOverwrite) ? "no question" : "asks") << dlg->directory().absolutePath();
        dlg->selectFile(QDir(dir).filePath("exportado"));
        QMetaObject::invokeMethod(dlg, "accept");
    });
    ASSERT_TRUE(sd.Execute());
    EXPECT_EQ(seen, QStringList({"Arquivo MS-Excel (*.xlsx)", "Todos Arquivos (*.*)", "Todos Arquivos (*.*)", "xlsx", "save",
                                 "no question", QDir(dir).absolutePath()}));
    EXPECT_EQ(sd.FileName(), QDir(dir).filePath("exportado.xlsx"));

    TOpenDialog od;
    QTimer::singleShot(0, [] {
        if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dlg->reject();
    });
    EXPECT_FALSE(od.Execute());
}
