#pragma once

#include "platform/SysInfo.h"
#include "platform/Winsock.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace tarnvik {

// What the clock synchronisation needs of the main window: the time-server
// list (Combo1), the log (List1) and the date and time labels.
struct ClockSyncView {
    virtual ~ClockSyncView() = default;

    // The text of Combo1: the host name of the time server to ask.
    virtual QString timeServer() const = 0;
    // Adds a line at the end of List1 and returns its index.
    virtual int addLogLine(const QString &line) = 0;
    // The number of lines in List1.
    virtual int logLineCount() const = 0;
    // Scrolls List1 so that the line of this index is the top visible one.
    virtual void setLogTopIndex(int index) = 0;
    // Redraws lblDateLong, lblDateShort and lblTime from Clock::now().
    virtual void redrawDateTimeLabels() = 0;
};

// Sets the computer's clock from a TIME server (RFC 868 over TCP): connects,
// collects the 4-byte reply until the server closes, and sets the system
// clock from it; every step goes into the window's log. A query starts at
// start-up, on the Connect button, and when another program sets the clock.
class ClockSync : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 TimePort = 37;
    static constexpr std::chrono::milliseconds DefaultQueryTimeout{15000};

    explicit ClockSync(ClockSyncView &view, QObject *parent = nullptr);

    // Starts a query and returns at once, before any answer.
    void Punch();
    void Command4_Click();

    // Events of Winsock1 and SysInfo1.
    void Winsock1_Connect();
    void Winsock1_DataArrival(qint32 bytesTotal);
    void Winsock1_Close();
    void Winsock1_Error(qint16 Number, const QString &Description);
    void SysInfo1_TimeChanged();

    // The date and time in a text holding a time in its characters 1 to 9 and
    // a date in its characters 10 to 27; the present moment, after the box
    // "Unsuitable", when either is not valid.
    QDateTime FormatDateTime(const QString &NetTime);

    // The port asked (tests point it at a local server) and the time without
    // any sign from the server (connection, data) after which a query that
    // has not ended is given up as an error.
    void setServerPort(quint16 port) { m_port = port; }
    void setQueryTimeout(std::chrono::milliseconds timeout);

    Winsock Winsock1;
    SysInfo SysInfo1;
    // The bytes received in the current query, one character per byte.
    QString TimeReply;
    bool SyncInProgress = false;

private:
    void SyncClock(QString reply);
    void queryTimedOut();

    ClockSyncView &m_view;
    quint16 m_port = TimePort;
    QTimer m_queryTimer;
};

} // namespace tarnvik
