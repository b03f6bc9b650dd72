// Takes pictures of the window "Dados Cadastrais" as the program shows it
// with the "ExpoCad" flag: the sample campaign, the sample crossing sheet
// with a few faulty rows loaded (red rows), then its error list.
//
//   shot_import <out-prefix>      (writes <out-prefix>-grid.png and <out-prefix>-errors.png)

#include "CampaignBuilder.h"
#include "MasterSheets.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFImport_CSV.h"
#include "UFMain.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XMdi.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/import");
    QTemporaryDir dir;
    TCampaignOptions options;
    options.Labels = 400;
    options.Crossings = 40;
    const TCampaignInfo info = TCampaignBuilder::Build(dir.filePath("Campanha_Exemplo.mdb"), options);
    const QStringList sheets = TMasterSheets::WriteSamples(dir.path(), info);

    TDlgRecorder boxes;
    TFileDialogRecorder files;
    {
        TDM writer;
        writer.SetDatabase(info.Path);
        writer.SaveConfig();
    }
    new TFMain;
    DM = new TDM;
    FMain->resize(1100, 700);
    FMain->setWindowState(Qt::WindowNoState);
    FMain->show();
    QCoreApplication::sendPostedEvents();
    FMain->AppConfig->ExpoCad = true;
    FMain->LCaract_Parental->trigger();
    auto* w = FMain->findChild<TFImport_CSV*>();
    if (!w) {
        std::fprintf(stderr, "the window did not open: %s\n", qPrintable(boxes.Texts().join(u'\n')));
        return 1;
    }
    MDISubWindowOf(w)->move(4, 4);
    w->dados->setCurrentIndex(0);
    emit w->dados->activated(0);
    files.Answer(sheets.last());
    QTest::mouseClick(w->BLoadFile, Qt::LeftButton);
    QTest::qWait(200);
    bool ok = FMain->grab().save(prefix + QStringLiteral("-grid.png"));
    QTest::mouseClick(w->BErro, Qt::LeftButton);
    QTest::qWait(200);
    ok = FMain->grab().save(prefix + QStringLiteral("-errors.png")) && ok;
    std::printf("%s; boxes: %s\n", ok ? "written" : "not written", qPrintable(boxes.Texts().join(u'|')));
    delete FMain;
    delete DM;
    QFile::remove(TDM().ConfigBaseName() + QStringLiteral(".dat"));
    return ok ? 0 : 1;
}
