#include "XFileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

TEST(XFileDialogs, FiltersAndDefaultExtensionsInTheWindowsFormGoToQt)
{
    // The plain form: the dialog test below.
    EXPECT_EQ(QtNameFilters(u"Banco de Dados (*.MDB)|*.mdb|Todos Arquivos (*.*)|*.*"_qs),
              (QStringList{"Banco de Dados (*.mdb)", "Todos Arquivos (*.*)"}));
    EXPECT_EQ(QtNameFilters("Planilhas|*.xls;*.xlsx"), QStringList{"Planilhas (*.xls *.xlsx)"});
    EXPECT_EQ(QtNameFilters(""), QStringList{});
    EXPECT_EQ(DefaultSuffix("*.xls") + DefaultSuffix(".csv") + DefaultSuffix("wav"), "xlscsvwav");
    EXPECT_EQ(ApplyDefaultExt("/tmp/relatorio", "*.xlsx"), "/tmp/relatorio.xlsx");
    EXPECT_EQ(ApplyDefaultExt("/tmp/relatorio.csv", "*.xlsx"), "/tmp/relatorio.csv");
    EXPECT_EQ(ApplyDefaultExt("/tmp/relatorio", ""), "/tmp/relatorio");
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
}
