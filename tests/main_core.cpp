#include "platform/SystemClock.h"
#include <QCoreApplication>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // A home of the tests' own: nothing a test does (a documents folder made
    // and removed, settings) reaches the user's folders.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        qunsetenv(name);
    QCoreApplication app(argc, argv);
    // No test ever sets the computer's clock: a synchronisation that gets an
    // answer is refused as if the system denied it. Tests that check the
    // setting install a recorder of their own.
    tarnvik::setSystemTimeSetter([](const tarnvik::SystemTimeRecord &) { return 0; });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
