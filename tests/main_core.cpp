#include <QCoreApplication>
#include "platform/SystemClock.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // No test ever sets the computer's clock: a synchronisation that gets an
    // answer is refused as if the system denied it. Tests that check the
    // setting install a recorder of their own.
    tarnvik::setSystemTimeSetter([](const tarnvik::SystemTimeRecord &) { return 0; });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
