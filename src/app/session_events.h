// Session changes from logind on the system bus: the session being locked or unlocked, its seat
// being taken by another session and given back (the session's Active property), and the machine
// going to sleep and coming back. They drive the core's suspended flag; the window hears when the
// flag changes and when the keyboard is to be read again.
//
// Without a system bus or without logind nothing is followed and nothing else changes: one line
// on standard error says so.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

#include "model/session_state.h"

class QDBusMessage;
class QDBusPendingCall;

namespace tavrin::app {

class SessionEvents : public QObject {
    Q_OBJECT
public:
    // Follows the system bus.
    explicit SessionEvents(QObject* parent = nullptr);
    // Follows `bus`, where logind is the owner of org.freedesktop.login1 (a test's private bus).
    explicit SessionEvents(const QDBusConnection& bus, QObject* parent = nullptr);

    bool Suspended() const { return state_.Suspended(); }
    // logind's object for this program's session; empty until it is known, and for good when
    // there is none.
    QString SessionPath() const { return sessionPath_; }

signals:
    // The suspended flag was set (locked, console disconnected) or cleared again.
    void suspendedChanged(bool suspended);
    // After a resume from sleep and after the suspended flag was cleared; comes after
    // suspendedChanged when both are due.
    void keyboardShouldBeReread();
    // The session's own signals are followed from now on.
    void sessionWatched(const QString& path);

private slots:
    void OnPrepareForSleep(bool sleeping);
    void OnLock();
    void OnUnlock();
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    void FindSession();
    void FindSessionThroughAuto();
    void WatchSession(const QString& path);
    void ReadProperty(const QString& name);
    void ApplyProperty(const QString& name, const QVariant& value);
    void Apply(model::SessionEffect effect);
    // Writes why events are not followed, once per object.
    void Report(const QString& why);
    // Runs `done` with the finished call, unless this object is gone by then.
    void WhenFinished(const QDBusPendingCall& call, std::function<void(const QDBusMessage& reply)> done);

    QDBusConnection bus_;
    model::SessionState state_;
    QString sessionPath_;
    bool reported_ = false;
};

}  // namespace tavrin::app
