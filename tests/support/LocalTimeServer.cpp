#include "support/LocalTimeServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QThread>

namespace tarnvik::test {

LocalTimeServer::LocalTimeServer()
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

void LocalTimeServer::send(int index, const QByteArray &bytes)
{
    if (QTcpSocket *socket = m_connections.value(index))
        socket->write(bytes), socket->flush();
}

void LocalTimeServer::closeConnection(int index)
{
    if (QTcpSocket *socket = m_connections.value(index))
        socket->disconnectFromHost();
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result.append(char(quint8(v)));
    return result;
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    for (QDeadlineTimer deadline(timeoutMs); !done(); QThread::msleep(1)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace tarnvik::test
