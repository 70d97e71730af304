#include "platform/Winsock.h"

#include "common/Windows1252.h"

#include <QMetaObject>
#include <QTcpSocket>

#include <limits>

namespace tarnvik {

namespace {

qint16 numberOf(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return Winsock::ErrConnectionRefused;
    case QAbstractSocket::HostNotFoundError:
        return Winsock::ErrHostNotFound;
    case QAbstractSocket::SocketAccessError:
        return Winsock::ErrAccessDenied;
    case QAbstractSocket::SocketResourceError:
        return Winsock::ErrNoResources;
    case QAbstractSocket::SocketTimeoutError:
        return Winsock::ErrTimedOut;
    case QAbstractSocket::NetworkError:
        return Winsock::ErrNetworkUnreachable;
    case QAbstractSocket::AddressInUseError:
        return Winsock::ErrAddressInUse;
    default:
        return Winsock::ErrUnexpected;
    }
}

} // namespace

Winsock::Winsock(QObject *parent) : QObject(parent) {}

Winsock::~Winsock()
{
    close();
}

QString Winsock::describe(qint16 number)
{
    switch (number) {
    case ErrAccessDenied:
        return QStringLiteral("Permission denied");
    case ErrAddressInUse:
        return QStringLiteral("Address in use");
    case ErrNetworkUnreachable:
        return QStringLiteral("Network is unreachable");
    case ErrNoResources:
        return QStringLiteral("Not enough resources for the connection");
    case ErrTimedOut:
        return QStringLiteral("Connection timed out");
    case ErrConnectionRefused:
        return QStringLiteral("Connection is refused");
    case ErrHostNotFound:
        return QStringLiteral("Host not found");
    default:
        return QStringLiteral("Unexpected socket error");
    }
}

template <typename F> void Winsock::post(F deliver)
{
    const quint64 connection = m_connection;
    QMetaObject::invokeMethod(
        this,
        [this, connection, deliver]() {
            if (connection == m_connection && m_socket)
                deliver();
        },
        Qt::QueuedConnection);
}

void Winsock::connectTo(const QString &remoteHost, quint16 remotePort)
{
    close();
    ++m_connection;
    m_ended = false;
    m_state = Connecting;
    m_taken = 0;
    m_socket = new QTcpSocket(this);
    // The socket's own buffer holds no more than one connection may take.
    if (m_readLimit > 0)
        m_socket->setReadBufferSize(m_readLimit);
    connect(m_socket, &QTcpSocket::connected, this, &Winsock::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &Winsock::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &Winsock::onPeerClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { onSocketError(int(error)); });
    m_socket->connectToHost(remoteHost, remotePort);
}

void Winsock::close()
{
    ++m_connection;
    m_state = Closed;
    m_ended = false;
    m_received.clear();
    if (!m_socket)
        return;
    // Disconnected first: aborting must not report anything.
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

QString Winsock::getData()
{
    const QString text = Windows1252::decode(m_received);
    m_received.clear();
    return text;
}

void Winsock::onConnected()
{
    post([this]() {
        if (m_state == Connecting)
            m_state = Connected;
        emit Connect();
    });
}

// Takes the bytes off the socket at once; the event reports whatever is
// waiting when it is delivered, and nothing when an earlier event's handler
// has already read it.
void Winsock::onReadyRead()
{
    if (!m_socket)
        return;
    const qint64 room = m_readLimit > 0 ? m_readLimit - m_taken : std::numeric_limits<qint64>::max();
    if (room <= 0)
        return;
    const QByteArray bytes = m_readLimit > 0 ? m_socket->read(room) : m_socket->readAll();
    if (bytes.isEmpty())
        return;
    m_taken += bytes.size();
    m_received += bytes;
    post([this]() {
        if (!m_received.isEmpty())
            emit DataArrival(qint32(m_received.size()));
    });
}

void Winsock::onPeerClosed()
{
    if (m_ended || !m_socket)
        return;
    m_ended = true;
    onReadyRead(); // whatever came just before the close is reported first
    post([this]() {
        m_state = PeerClosed;
        emit Close();
    });
}

void Winsock::onSocketError(int socketError)
{
    const auto error = QAbstractSocket::SocketError(socketError);
    // A close by the peer is not an error of the connection.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        onPeerClosed();
        return;
    }
    if (m_ended || !m_socket)
        return;
    m_ended = true;
    const qint16 number = numberOf(error);
    const QString description = number == ErrUnexpected ? m_socket->errorString() : describe(number);
    post([this, number, description]() {
        m_state = Failed;
        emit Error(number, description);
    });
}

} // namespace tarnvik
