#pragma once

#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace tarnvik::test {

// A TIME server on 127.0.0.1 at a free port. By default every connection gets the reply at once and is
// closed; with autoReply false the test sends and closes by hand (connections by index, in arrival order).
class LocalTimeServer : public QObject {
public:
    LocalTimeServer();

    quint16 port() const { return m_server.serverPort(); }
    // Stops listening: connections to the port are then refused.
    void stopListening() { m_server.close(); }

    QByteArray reply;
    bool autoReply = true;

    int connectionCount() const { return int(m_connections.size()); }
    void send(int index, const QByteArray &bytes);
    void closeConnection(int index);

private:
    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_connections;
};

// Bytes of the given values, as the server sends them.
QByteArray bytes(std::initializer_list<int> values);

// Runs the event loop until done() holds, for at most timeoutMs; answers whether it holds.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000);

} // namespace tarnvik::test
