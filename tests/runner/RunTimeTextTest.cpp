#include "RunTimeText.h"

#include <gtest/gtest.h>

TEST(RunTimeText, RunningShowsTenthsOfTheTimeSoFar) {
    EXPECT_EQ(RunTimeText(true, false, 0).toStdString(), "Running 0:00.0");
    EXPECT_EQ(RunTimeText(true, false, 3250).toStdString(), "Running 0:03.2");
    EXPECT_EQ(RunTimeText(true, false, 61999).toStdString(), "Running 1:01.9");
}

TEST(RunTimeText, FinishedAndStoppedShowHundredths) {
    EXPECT_EQ(RunTimeText(false, false, 1234).toStdString(), "Took 0:01.23");
    EXPECT_EQ(RunTimeText(false, true, 600005).toStdString(), "Stopped at 10:00.00");
    EXPECT_EQ(RunTimeText(false, false, 7).toStdString(), "Took 0:00.00");
    EXPECT_EQ(RunTimeText(false, false, -5).toStdString(), "Took 0:00.00");
}
