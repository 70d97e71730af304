#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

namespace tarnvik {

// A TCP client socket that reports what happens to its connection as events:
// Connect when the connection is made, DataArrival with the number of bytes
// waiting, Close when the peer closes the connection, and Error with a
// number and a description. Events are queued and delivered by the event loop
// of the owning thread, one at a time, so a handler always runs to its end
// before the next event; nothing is reported for a connection after this side
// has closed it or started another one.
class Winsock : public QObject {
    Q_OBJECT
public:
    // Connection states; only Closed (0) has a fixed meaning for callers.
    enum State {
        Closed = 0,
        Connecting = 6,
        Connected = 7,
        PeerClosed = 8, // the peer closed; close() has not been called yet
        Failed = 9,     // an error was reported; close() has not been called yet
    };

    // Error numbers of the Error event.
    enum ErrorNumber : qint16 {
        ErrUnexpected = 10000,
        ErrAccessDenied = 10013,
        ErrAddressInUse = 10048,
        ErrNetworkUnreachable = 10051,
        ErrNoResources = 10055,
        ErrTimedOut = 10060,
        ErrConnectionRefused = 10061,
        ErrHostNotFound = 11001,
    };

    explicit Winsock(QObject *parent = nullptr);
    ~Winsock() override;

    // Closes any connection and connects to remoteHost (a name or an address)
    // on remotePort. The outcome arrives as Connect or Error.
    void connectTo(const QString &remoteHost, quint16 remotePort);
    // Drops the connection and any data not yet read; no further events.
    void close();
    int state() const { return m_state; }

    // The most bytes one connection takes from the peer; what comes after
    // them is left unread (the network then holds the peer back), so that a
    // peer that never stops sending cannot fill the memory. 0: no limit.
    void setReadLimit(qint64 bytes) { m_readLimit = bytes; }

    // Number of received bytes waiting to be read.
    qint32 bytesReceived() const { return qint32(m_received.size()); }
    // Reads every waiting byte, one character per byte in the station's 8-bit
    // code page.
    QString getData();

    // The description that goes with an error number.
    static QString describe(qint16 number);

signals:
    void Connect();
    void DataArrival(qint32 bytesTotal);
    void Close();
    void Error(qint16 number, const QString &description);

private:
    void onConnected();
    void onReadyRead();
    void onPeerClosed();
    void onSocketError(int socketError);
    // Runs deliver on the event loop unless the connection has ended by then.
    template <typename F> void post(F deliver);

    QTcpSocket *m_socket = nullptr;
    quint64 m_connection = 0; // counts connections, so late events are dropped
    int m_state = Closed;
    bool m_ended = false; // the peer closed or an error was reported
    QByteArray m_received;
    qint64 m_readLimit = 0;
    qint64 m_taken = 0; // bytes taken from the peer on this connection
};

} // namespace tarnvik
