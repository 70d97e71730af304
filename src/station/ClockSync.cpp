#include "station/ClockSync.h"

#include "common/Clock.h"
#include "common/Dialogs.h"
#include "platform/SystemClock.h"
#include "station/TimeServerReply.h"

#include <QLocale>
#include <QRegularExpression>

namespace tarnvik {

namespace {

// The system's general date-and-time form: the short date and the time with
// seconds, in the user's regional settings.
QString generalDateTime(const QDateTime &moment)
{
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    // The long time form may name the time zone; the log shows bare times.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    timeFormat = timeFormat.replace(zone, QStringLiteral(" ")).trimmed();
    return locale.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(moment.time(), timeFormat);
}

QTime timeFromText(const QString &text)
{
    const QLocale locale;
    const QStringList formats = {locale.timeFormat(QLocale::ShortFormat), QStringLiteral("H:mm:ss"),
                                 QStringLiteral("H:mm"), QStringLiteral("h:mm:ss AP"),
                                 QStringLiteral("h:mm AP")};
    for (const QString &format : formats) {
        const QTime time = locale.toTime(text, format);
        if (time.isValid())
            return time;
    }
    return QTime();
}

QDate dateFromText(const QString &text)
{
    const QLocale locale;
    const QStringList formats = {locale.dateFormat(QLocale::ShortFormat),
                                 locale.dateFormat(QLocale::LongFormat),
                                 QStringLiteral("d/M/yyyy"),
                                 QStringLiteral("yyyy-MM-dd"),
                                 QStringLiteral("d-M-yyyy"),
                                 QStringLiteral("d.M.yyyy")};
    for (const QString &format : formats) {
        const QDate date = locale.toDate(text, format);
        if (date.isValid())
            return date;
    }
    return QDate();
}

} // namespace

ClockSync::ClockSync(ClockSyncView &view, QObject *parent) : QObject(parent), m_view(view)
{
    // A reply is 4 bytes: one more tells a reply too long, and no more is read.
    Winsock1.setReadLimit(TimeServerReply::ReplyLength + 1);
    m_queryTimer.setSingleShot(true);
    m_queryTimer.setInterval(DefaultQueryTimeout);
    connect(&m_queryTimer, &QTimer::timeout, this, &ClockSync::queryTimedOut);
    connect(&Winsock1, &Winsock::Connect, this, &ClockSync::Winsock1_Connect);
    connect(&Winsock1, &Winsock::DataArrival, this, &ClockSync::Winsock1_DataArrival);
    connect(&Winsock1, &Winsock::Close, this, &ClockSync::Winsock1_Close);
    connect(&Winsock1, &Winsock::Error, this, &ClockSync::Winsock1_Error);
    connect(&SysInfo1, &SysInfo::TimeChanged, this, &ClockSync::SysInfo1_TimeChanged);
}

void ClockSync::setQueryTimeout(std::chrono::milliseconds timeout)
{
    m_queryTimer.setInterval(timeout);
}

void ClockSync::Punch()
{
    SyncInProgress = true;
    if (m_view.logLineCount() > 0)
        m_view.addLogLine(QString());
    m_view.addLogLine(QStringLiteral("target: ") + m_view.timeServer());
    m_view.addLogLine(QStringLiteral("opening connection"));
    TimeReply.clear();
    if (Winsock1.state() != Winsock::Closed)
        Winsock1.close();
    Winsock1.connectTo(m_view.timeServer(), m_port);
    // A server that accepts the connection and never closes it would keep
    // the query open for good. The time-out counts from the start of the
    // query, whatever arrives meanwhile: a server that sends a byte now and
    // then cannot keep it open either.
    m_queryTimer.start();
}

void ClockSync::Command4_Click()
{
    Punch();
}

void ClockSync::Winsock1_Connect()
{
    m_view.addLogLine(QStringLiteral("   winsock connection made"));
}

void ClockSync::Winsock1_DataArrival(qint32 bytesTotal)
{
    const QString data = Winsock1.getData();
    TimeReply += data;
    m_view.addLogLine(QStringLiteral("      data received: ") + data + QStringLiteral("    (") +
                      QString::number(bytesTotal) + QStringLiteral(" bytes)"));
    // More than a reply holds is a wrong reply: the query ends at once, as
    // if the server had closed, and the clock is not set.
    if (TimeReply.size() > TimeServerReply::ReplyLength)
        Winsock1_Close();
}

void ClockSync::Winsock1_Close()
{
    m_queryTimer.stop();
    m_view.addLogLine(QStringLiteral("   closing connection"));
    Winsock1.close();
    m_view.addLogLine(QStringLiteral("   sockets closed"));
    SyncClock(TimeReply);
}

void ClockSync::Winsock1_Error(qint16 Number, const QString &Description)
{
    m_queryTimer.stop();
    m_view.addLogLine(QStringLiteral("   error received: ") + Description);
    m_view.addLogLine(QStringLiteral("   error received: ") + QString::number(Number));
    if (Number > 0) {
        if (Winsock1.state() != Winsock::Closed)
            Winsock1.close();
        m_view.addLogLine(QStringLiteral("sockets closed"));
    }
}

void ClockSync::queryTimedOut()
{
    Winsock1_Error(Winsock::ErrTimedOut, Winsock::describe(Winsock::ErrTimedOut));
}

void ClockSync::SyncClock(QString reply)
{
    const std::optional<quint32> value = TimeServerReply::valueOf(TimeServerReply::bytesOf(reply));
    if (!value) {
        m_view.addLogLine(QStringLiteral("Time passed not valid. Clock not synchronised"));
        return;
    }
    // The seconds since 1990 of an earlier moment (or of a value past the
    // protocol's wrap in 2036) do not fit: the query ends without a word.
    if (!TimeServerReply::fits(*value))
        return;
    const qint32 secs = TimeServerReply::secondsSince1990(*value);
    const QDateTime synced = TimeServerReply::syncedMoment(secs);

    const QChar tab(9);
    m_view.addLogLine(QStringLiteral("   beginning system clock synchronization"));
    m_view.addLogLine(QStringLiteral("      data value (GMT): ") + tab + QString::number(*value));
    m_view.addLogLine(QStringLiteral("      sec since 1990 (GMT):") + tab + QString::number(secs));
    m_view.addLogLine(QStringLiteral("      system date (local) : ") + tab + generalDateTime(Clock::now()));
    m_view.addLogLine(QStringLiteral("      synced date (GMT) : ") + tab + generalDateTime(synced));
    // Every punch is stamped by this clock: a moment before the program
    // existed (a server a century off, or a value past the protocol's wrap
    // in 2036) is no time to set it to.
    if (TimeServerReply::beforeBuild(synced)) {
        m_view.addLogLine(QStringLiteral("Time passed is before this program was built (") +
                          TimeServerReply::buildDay().toString(Qt::ISODate) +
                          QStringLiteral("). Clock not synchronised"));
        return;
    }
    m_view.addLogLine(QStringLiteral("      calling SetSystemTime"));

    // The server's UTC goes to the clock as it is; the system shows local
    // time from it.
    if (SetSystemTime(TimeServerReply::recordOf(synced)) == 0) {
        m_view.addLogLine(QStringLiteral("SetSystemTime failed. Clock not synchronised"));
        return;
    }
    m_view.redrawDateTimeLabels();
    const int index = m_view.addLogLine(QStringLiteral("clock synchronised succesfully"));
    m_view.setLogTopIndex(index);
}

void ClockSync::SysInfo1_TimeChanged()
{
    if (SyncInProgress)
        SyncInProgress = false; // our own setting of the clock
    else
        Punch();
}

QDateTime ClockSync::FormatDateTime(const QString &NetTime)
{
    const QTime time = timeFromText(NetTime.mid(0, 9).trimmed());
    const QDate date = dateFromText(NetTime.mid(9, 18).trimmed());
    if (time.isValid() && date.isValid())
        return QDateTime(date, time);
    MsgBox(QStringLiteral("Unsuitable"), MsgStyle::OkOnly);
    return Clock::now();
}

} // namespace tarnvik
