#include "app/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "app/app_texts.h"

namespace qinghe::app {

namespace {
// The running copy may still be starting its server; the second copy tries
// for this long before it gives up asking.
constexpr int kAskForMs = 2000;
constexpr char kActivate[] = "activate\n";
}  // namespace

QString default_instance_name() {
    const QByteArray title_hash =
        QCryptographicHash::hash(kWindowTitle.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("qinghe-taotu-%1-%2")
        .arg(::getuid())
        .arg(QString::fromLatin1(title_hash));
}

InstanceGuard::InstanceGuard(const QString& name, QObject* parent)
    : QObject(parent),
      m_name(name),
      m_lock(QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock"))) {
    m_lock.setStaleLockTime(0);  // stale only when its process is gone
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::claim() {
    if (!m_lock.tryLock(0)) {
        ask_running_copy();
        return false;
    }
    // This copy holds the lock, so a socket of that name is a leftover of a
    // copy that ended without cleaning up.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(m_name);  // without it the guard still holds; only the raise is lost
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains('\n')) emit activation_requested();
            });
        }
    });
    return true;
}

bool InstanceGuard::ask_running_copy() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kAskForMs) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (socket.waitForConnected(200)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

}  // namespace qinghe::app
