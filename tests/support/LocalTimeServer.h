#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <functional>

namespace tarnvik::test {

// A TIME server on 127.0.0.1 at a free port. By default every connection gets the reply at once and is
// closed; with autoReply false the test sends and closes by hand (connections by index, in arrival order).
class LocalTimeServer : public QObject {
public:
    LocalTimeServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_connections.append(socket);
                if (autoReply)
                    socket->write(reply), socket->disconnectFromHost();
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    void stopListening() { m_server.close(); } // connections to the port are then refused
    int connectionCount() const { return int(m_connections.size()); }
    void send(int index, const QByteArray &bytes)
    {
        if (QTcpSocket *socket = m_connections.value(index))
            socket->write(bytes), socket->flush();
    }
    // Bytes written to connection index that the client has not taken yet (-1: no such connection).
    qint64 unsent(int index) const
    {
        const QTcpSocket *socket = m_connections.value(index);
        return socket ? socket->bytesToWrite() : -1;
    }
    void closeConnection(int index)
    {
        if (QTcpSocket *socket = m_connections.value(index))
            socket->disconnectFromHost();
    }

    QByteArray reply;
    bool autoReply = true;

private:
    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_connections;
};

// Bytes of the given values, as the server sends them.
inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result.append(char(quint8(v)));
    return result;
}

// Runs the event loop until done() holds, for at most timeoutMs; answers whether it holds.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    for (QDeadlineTimer deadline(timeoutMs); !done(); QThread::msleep(1)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace tarnvik::test
