// One copy of the program per user.
//
// A lock file decides which copy runs; it is released when the process
// ends, also when it crashes (QLockFile notices a lock whose process is
// gone). The running copy listens on a local socket; a second copy connects
// to it to ask it to bring its window forward.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace qinghe::app {

// The per-user name of the guard, made from the window title.
QString default_instance_name();

class InstanceGuard : public QObject {
    Q_OBJECT

public:
    explicit InstanceGuard(const QString& name, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True when this copy may run: it now holds the lock and listens. False
    // when another copy runs; that copy has then been asked to come forward.
    bool claim();

signals:
    // Another copy asked this one to bring its window forward.
    void activation_requested();

private:
    bool ask_running_copy();

    QString m_name;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};

}  // namespace qinghe::app
