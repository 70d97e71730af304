// Another station on a database file, in a process of its own, for the
// storage tests: it stores punches through the station's own storing code and
// says each one it stored, so that a test can kill it (kill -9) at any moment
// and know what it was told was stored.
//
//   station_peer <database> <number> <count> [pause-ms] [hold]
//
// Stores <count> punches of employee <number>, their notes numbered from 0,
// printing "stored N" once punch N is stored, "refused N: reason" when it is
// not. Then, with "hold", prints "holding" and waits (looking at its file
// every 2 seconds, as the station does) until it is killed; else it quits
// as the station does, printing "told: ..." for each problem it was told.
#include "common/Database.h"
#include "station/PunchStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QThread>

#include <cstdio>

using namespace tarnvik;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: station_peer <database> <number> <count> [pause-ms] [hold]\n");
        return 2;
    }
    const QString path = args[1], number = args[2];
    const int count = args[3].toInt();
    const int pauseMs = args.size() > 4 ? args[4].toInt() : 0;
    const bool hold = args.size() > 5 && args[5] == QLatin1String("hold");
    // A test on a loaded machine may ask for a longer wait for the write lock
    // than the station's 3 seconds: it checks what is lost, not how fast.
    if (const int waitMs = qEnvironmentVariableIntValue("TARNVIK_BUSY_TIMEOUT_MS"); waitMs > 0)
        Database::setBusyTimeout(waitMs);
    const Database::Status status = Database::ensure(path, false);
    if (!status.usable()) {
        std::printf("unusable: %s\n", qPrintable(status.detail));
        return 1;
    }
    PunchStore store(path);
    for (int i = 0; i < count; ++i) {
        const PunchStore::NewPunch punch{
            number,    (i % 2) ? "Out" : "In",     QDate(2026, 12, 7), QTime(8, 0),
            QString(), QStringLiteral("Chantier"), "Peinture",         QString::number(i)};
        QString error;
        if (store.storePunch(punch, &error))
            std::printf("stored %d\n", i);
        else
            std::printf("refused %d: %s\n", i, qPrintable(error.simplified()));
        std::fflush(stdout);
        for (const QString &told : Database::checkOpenFiles())
            std::printf("told: %s\n", qPrintable(told.simplified()));
        if (pauseMs > 0)
            QThread::msleep(pauseMs);
    }
    if (hold) {
        std::printf("holding\n");
        std::fflush(stdout);
        for (;;) {
            QThread::msleep(2000);
            for (const QString &told : Database::checkOpenFiles())
                std::printf("told: %s\n", qPrintable(told.simplified()));
            std::fflush(stdout);
        }
    }
    Database::closeAll();
    return 0;
}
