// A private bus of the test's own (a dbus-daemon in a temporary folder) on which a fake logind
// owns org.freedesktop.login1: its manager, which tells a process's session, and session 2 with
// the properties the program reads. The test sends logind's signals through it.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <string>

#include "support/child_process.h"
#include "support/temporary_folder.h"

namespace tavrin::testing {

inline const QString kLogindService = QStringLiteral("org.freedesktop.login1");
inline const QString kLogindManagerPath = QStringLiteral("/org/freedesktop/login1");
inline const QString kLogindManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
inline const QString kLogindSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
inline const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
inline const QString kFakeSessionPath = QStringLiteral("/org/freedesktop/login1/session/_32");

// logind's manager: the process's session, or none ("PID does not belong to any known session",
// as for a process started outside a login), and sessions by identifier.
class FakeLogindManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QString sessionOfProcess = kFakeSessionPath;
    QList<uint> askedProcesses;

public slots:
    QDBusObjectPath GetSessionByPID(uint process);
    QDBusObjectPath GetSession(const QString& id);
};

// Session 2, also reachable as "auto".
class FakeLogindSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(bool Active READ Active)
    Q_PROPERTY(bool LockedHint READ LockedHint)
public:
    QString Id() const { return QStringLiteral("2"); }
    bool Active() const { return active; }
    bool LockedHint() const { return lockedHint; }

    bool active = true;
    bool lockedHint = false;
};

// Hears the test's own marker signal on the program's connection.
class MarkerReceiver : public QObject {
    Q_OBJECT
public:
    bool received = false;
public slots:
    void Done() { received = true; }
};

class FakeLogindBus {
public:
    ~FakeLogindBus();

    // Empty when the bus runs and logind is on it, else what failed.
    std::string Start();
    // A new connection to the bus, named after `role`.
    QDBusConnection Connect(const QString& role);
    // logind (the owner of its name) leaves the bus.
    bool RemoveLogind();

    // Sends a signal from logind, or from `bus`.
    bool Emit(const QString& path, const QString& interface, const QString& name, const QVariantList& arguments = {});
    static bool Send(QDBusConnection& bus, const QString& path, const QString& interface, const QString& name,
        const QVariantList& arguments = {});
    bool EmitSessionProperties(const QVariantMap& changed, const QStringList& invalidated = {});
    bool EmitSleep(bool sleeping)
    {
        return Emit(kLogindManagerPath, kLogindManagerInterface, QStringLiteral("PrepareForSleep"), {sleeping});
    }

    // Returns once the bus has handled everything `program` sent before, such as the match rules
    // that let logind's signals reach it.
    static bool RoundTrip(QDBusConnection& program);
    // Handles events until everything logind sent before has reached `program`.
    bool WaitForMarker(QDBusConnection& program);

    FakeLogindManager manager;
    FakeLogindSession session;

private:
    TemporaryFolder folder_;
    ChildProcess daemon_;
    QString address_;
    QStringList connectionNames_;
    QDBusConnection logind_{QString()};
    int markers_ = 0;
};

}  // namespace tavrin::testing
