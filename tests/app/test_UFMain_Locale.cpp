// Environment: LC_ALL=C
// On a machine whose locale is C: the program's own start-up makes calendars
// and dates Portuguese, while the label-data file keeps grouping pot numbers
// by the machine's regional settings.

#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFCruzaEti_Print_Expo.h"
#include "UFCruza_Emasculador_Cons.h"
#include "XFileDialogs.h"
#include "XStringGrid.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

struct LocaleOnACMachine : ::testing::Test
{
    TMainWindowHarness H;
    void SetUp() override { ASSERT_EQ(QLocale::system().name(), QStringLiteral("C")); }
};

} // namespace

TEST_F(LocaleOnACMachine, PortugueseMonthsInTheDatePickerPotNumbersGroupedByTheMachine)
{
    TCampaignOptions o;
    o.Labels = 0;
    TCampaignFile campaign(o);
    TCampaignBuilder::AddPlannedCrossing(&campaign.Conn, 101, QStringLiteral("CZ-101"), TCampaignBuilder::PotNumber(0),
                                         TCampaignBuilder::PotNumber(1), QStringLiteral("Plano A"), 1);
    ASSERT_TRUE(H.StartOn(campaign)->AppConfig->Loaded) << H.Boxes();
    FMain->LCRUZAETI_EMASC_CONS->trigger();
    auto* cons = FMain->findChild<TFCruza_Emasculador_Cons*>();
    ASSERT_TRUE(cons);
    QCalendarWidget* calendar = cons->datai->calendarWidget();
    calendar->setCurrentPage(2026, 12);
    calendar->show();
    const auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    EXPECT_EQ(month ? month->text() : QString(), QStringLiteral("dezembro"));
    FMain->LCRUZAETI_PRINT_EXPO->trigger();
    auto* labels = FMain->findChild<TFCruzaEti_Print_Expo*>();
    ASSERT_TRUE(labels);
    QTest::mouseClick(labels->BConfirm, Qt::LeftButton);
    ASSERT_GE(labels->SG->RowCount(), 2);
    EXPECT_EQ(labels->SG->RowCells(1).last(), QStringLiteral("[2,000,001] X [2,000,002]"));
}

TEST_F(LocaleOnACMachine, TheFileDialogListsFoldersAndDatesInPortuguese)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QStringList shown;
    // Read while the dialog is up, then cancelled.
    QTimer::singleShot(0, [&] {
        QFileDialog* dlg = nullptr;
        QTreeView* list = nullptr;
        const bool loaded = QTest::qWaitFor([&] {
            dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            list = dlg ? dlg->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
            return list && list->model()->rowCount(list->rootIndex()) > 0;
        }, 5000);
        for (int c = 2; loaded && c < 4; ++c)
            shown << list->model()->index(0, c, list->rootIndex()).data().toString();
        if (dlg)
            dlg->reject();
    });
    TFileDialogRequest request;
    request.InitialDir = dir.path();
    QString name;
    int index = 1;
    EXPECT_FALSE(TQtFileDialogProvider().Execute(request, name, index));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Pasta\\|\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d$")).match(shown.join(u'|')).hasMatch())
        << shown.join(u'|').toStdString();
}
