// Environment: LC_ALL=C
// On a machine whose locale is C: the program's own start-up makes calendars
// and dates Portuguese, while the label-data file keeps grouping pot numbers
// by the machine's regional settings.

#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFCruzaEti_Print_Expo.h"
#include "UFCruza_Emasculador_Cons.h"
#include "XStringGrid.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class LocaleOnACMachine : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    std::unique_ptr<TCampaignFile> Campaign;

    void SetUp() override { ASSERT_EQ(QLocale::system().name(), QStringLiteral("C")); }

    void Start(int Labels = 10)
    {
        TCampaignOptions o;
        o.Labels = Labels;
        Campaign = std::make_unique<TCampaignFile>(o);
    }
};

} // namespace

TEST_F(LocaleOnACMachine, TheDatePickerShowsPortugueseMonthsAndDays)
{
    Start();
    ASSERT_TRUE(H.StartOn(*Campaign)->AppConfig->Loaded) << H.Boxes();
    FMain->LCRUZAETI_EMASC_CONS->trigger();
    auto* W = FMain->findChild<TFCruza_Emasculador_Cons*>();
    ASSERT_TRUE(W);
    QCalendarWidget* calendar = W->datai->calendarWidget();
    calendar->setCurrentPage(2026, 12);
    calendar->setFirstDayOfWeek(Qt::Monday);
    calendar->show();
    const auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_TRUE(month);
    EXPECT_EQ(month->text(), QStringLiteral("dezembro"));
    const auto* days = calendar->findChild<QAbstractItemView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_TRUE(days);
    QStringList header;
    for (int c = 0; c < 7; ++c)
        header << days->model()->index(0, c).data().toString();
    // The first column of the view is the week number when shown.
    EXPECT_TRUE(header.join(u' ').contains(QStringLiteral("seg. ter. qua. qui. sex. sáb. dom."))) << header.join(u' ').toStdString();
}

TEST_F(LocaleOnACMachine, TheLabelFileGroupsPotNumbersByTheMachinesSettings)
{
    Start(0);
    TCampaignBuilder::AddPlannedCrossing(&Campaign->Conn, 101, QStringLiteral("CZ-101"), TCampaignBuilder::PotNumber(0),
                                         TCampaignBuilder::PotNumber(1), QStringLiteral("Plano A"), 1);
    ASSERT_TRUE(H.StartOn(*Campaign)->AppConfig->Loaded) << H.Boxes();
    FMain->LCRUZAETI_PRINT_EXPO->trigger();
    auto* W = FMain->findChild<TFCruzaEti_Print_Expo*>();
    ASSERT_TRUE(W);
    QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    ASSERT_GE(W->SG->RowCount(), 2);
    EXPECT_EQ(W->SG->RowCells(1).last(), QStringLiteral("[2,000,001] X [2,000,002]"));
}
