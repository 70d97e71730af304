#include "support/DataGenerator.h"

#include "common/Database.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>

#include <random>

namespace tarnvik::test {

namespace {
bool failed(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}
} // namespace

GeneratedData millionPunches()
{
    return {500, 20, 10, 1000000, QDate(2001, 1, 1), QDate(2003, 12, 31), 1};
}

QString employeeNumber(int index)
{
    return QString::number(1001 + index);
}

QString projectName(int project)
{
    return QStringLiteral("Projet %1").arg(project + 1, 2, 10, QLatin1Char('0'));
}

QString subProjectName(int project, int sub)
{
    return QStringLiteral("Tâche %1-%2")
        .arg(project + 1, 2, 10, QLatin1Char('0'))
        .arg(sub + 1, 2, 10, QLatin1Char('0'));
}

bool generateDatabase(const QString &path, const GeneratedData &data, QString *error)
{
    const Database::Status status = Database::ensure(path, true);
    if (!status.usable())
        return failed(error, status.detail);
    QSqlDatabase db = Database::connection(path, error);
    Transaction tx(db);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status) VALUES (?, ?, 'Out')"));
    for (int e = 0; e < data.employees; ++e) {
        q.addBindValue(employeeNumber(e));
        q.addBindValue(QStringLiteral("Employé %1").arg(e + 1));
        if (!q.exec())
            return failed(error, q.lastError().text());
    }
    q.prepare(QStringLiteral("INSERT INTO Projets (Projet, SousProjet) VALUES (?, ?)"));
    for (int p = 0; p < data.projects; ++p) {
        for (int s = -1; s < data.subProjectsPerProject; ++s) { // the project's own row first
            q.addBindValue(projectName(p));
            q.addBindValue(s < 0 ? QVariant(QMetaType(QMetaType::QString)) : QVariant(subProjectName(p, s)));
            q.exec();
        }
    }
    std::mt19937 random(data.seed);
    const qint64 days = qMax<qint64>(1, data.from.daysTo(data.to) + 1);
    const QDate middle = data.from.addDays(days / 2);
    q.prepare(
        QStringLiteral("INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, PunchDateLong, "
                       "Projet, SousProjet, Description, Archived) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    // Each employee works in pairs of punches: In then Out, a few hours apart,
    // walking forward through the date range.
    const qint64 pairsPerEmployee = qMax<qint64>(1, data.punches / 2 / qMax(1, data.employees));
    const qint64 secondsSpan = days * 86400;
    qint64 written = 0;
    for (int e = 0; e < data.employees && written < data.punches; ++e) {
        const qint64 step = qMax<qint64>(2, secondsSpan / pairsPerEmployee);
        for (qint64 k = 0; k < pairsPerEmployee && written < data.punches; ++k) {
            const int p = int(random() % unsigned(qMax(1, data.projects)));
            const int s = int(random() % unsigned(qMax(1, data.subProjectsPerProject)));
            const qint64 start = k * step + qint64(random() % unsigned(qMax<qint64>(1, step / 4)));
            for (int half = 0; half < 2 && written < data.punches; ++half) {
                const qint64 at = qMin(secondsSpan - 1, start + half * (step / 2));
                const QDate date = data.from.addDays(at / 86400);
                const QTime time = QTime(0, 0).addSecs(int(at % 86400));
                for (const QVariant &value :
                     {QVariant(employeeNumber(e)),
                      QVariant(half == 0 ? QStringLiteral("In") : QStringLiteral("Out")),
                      QVariant(date.toString(Qt::ISODate)),
                      QVariant(time.toString(QStringLiteral("HH:mm:ss"))), QVariant(QString()),
                      QVariant(projectName(p)), QVariant(subProjectName(p, s)),
                      QVariant(QMetaType(QMetaType::QString)), QVariant(date <= middle ? 1 : 0)})
                    q.addBindValue(value);
                if (!q.exec())
                    return failed(error, q.lastError().text());
                ++written;
            }
        }
    }
    q.finish();
    return tx.commit() || failed(error, tx.error());
}

QString cachedGeneratedDatabase(const GeneratedData &data, QString *error)
{
    const QString name = QStringLiteral("tarnvik-generated-%1-%2-%3-%4-%5-%6-%7.mdb")
                             .arg(data.employees)
                             .arg(data.projects)
                             .arg(data.subProjectsPerProject)
                             .arg(data.punches)
                             .arg(data.from.toString(Qt::ISODate), data.to.toString(Qt::ISODate))
                             .arg(data.seed);
    const QString path = QDir::temp().filePath(name);
    if (QFile::exists(path))
        return path;
    // Generate beside the final name and rename, so an interrupted run never
    // leaves half a database to be reused.
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    const bool made = generateDatabase(partial, data, error);
    Database::closeAll();
    QFile::remove(partial + QStringLiteral("-wal"));
    QFile::remove(partial + QStringLiteral("-shm"));
    if (!made) {
        QFile::remove(partial);
        return QString();
    }
    if (QFile::rename(partial, path))
        return path;
    failed(error, QStringLiteral("cannot rename %1").arg(partial));
    return QString();
}

} // namespace tarnvik::test
