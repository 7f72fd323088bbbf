#include "app/session_events.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <cstdio>
#include <unistd.h>

namespace tavrin::app {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// The caller's session, or, for a process outside any session, its user's display session.
const QString kAutoSessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString kActive = QStringLiteral("Active");
const QString kLockedHint = QStringLiteral("LockedHint");

constexpr int kCallTimeoutMs = 10000;

bool LogindMissing(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    return name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")
        || name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
}

// The object path of a reply whose first argument is one, else empty.
QString PathOf(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
}

// The value of a Properties.Get reply, invalid when the call failed.
QVariant ValueOf(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant();
}

}  // namespace

SessionEvents::SessionEvents(QObject* parent)
    : SessionEvents(QDBusConnection::systemBus(), parent)
{
}

SessionEvents::SessionEvents(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus)
{
    if (!bus_.isConnected()) {
        Report(QStringLiteral("no system bus (%1)").arg(bus_.lastError().message()));
        return;
    }
    if (!bus_.connect(kService, kManagerPath, kManagerInterface, QStringLiteral("PrepareForSleep"), this,
            SLOT(OnPrepareForSleep(bool)))) {
        Report(QStringLiteral("cannot follow logind's sleep signal (%1)").arg(bus_.lastError().message()));
        return;
    }
    FindSession();
}

void SessionEvents::FindSession()
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface, QStringLiteral("GetSessionByPID"));
    call << static_cast<quint32>(::getpid());
    WhenFinished(bus_.asyncCall(call, kCallTimeoutMs), [this](const QDBusMessage& reply) {
        if (const QString path = PathOf(reply); !path.isEmpty())
            WatchSession(path);
        else if (LogindMissing(reply))
            Report(QStringLiteral("logind does not answer (%1)").arg(reply.errorMessage()));
        else
            FindSessionThroughAuto();
    });
}

void SessionEvents::FindSessionThroughAuto()
{
    // Signals come from the session's own path, never from "auto": ask for its identifier and then
    // for the object behind it.
    QDBusMessage call
        = QDBusMessage::createMethodCall(kService, kAutoSessionPath, kPropertiesInterface, QStringLiteral("Get"));
    call << kSessionInterface << QStringLiteral("Id");
    WhenFinished(bus_.asyncCall(call, kCallTimeoutMs), [this](const QDBusMessage& reply) {
        const QString id = ValueOf(reply).toString();
        if (id.isEmpty()) {
            Report(QStringLiteral("this program belongs to no login session (%1)").arg(reply.errorMessage()));
            return;
        }
        QDBusMessage byId
            = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface, QStringLiteral("GetSession"));
        byId << id;
        WhenFinished(bus_.asyncCall(byId, kCallTimeoutMs), [this, id](const QDBusMessage& session) {
            if (const QString path = PathOf(session); !path.isEmpty())
                WatchSession(path);
            else
                Report(QStringLiteral("logind has no session %1 (%2)").arg(id, session.errorMessage()));
        });
    });
}

void SessionEvents::WatchSession(const QString& path)
{
    const bool watched = bus_.connect(kService, path, kSessionInterface, QStringLiteral("Lock"), this, SLOT(OnLock()))
        && bus_.connect(kService, path, kSessionInterface, QStringLiteral("Unlock"), this, SLOT(OnUnlock()))
        && bus_.connect(kService, path, kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
            SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
    if (!watched) {
        Report(QStringLiteral("cannot follow the session %1 (%2)").arg(path, bus_.lastError().message()));
        return;
    }
    sessionPath_ = path;
    emit sessionWatched(path);
}

void SessionEvents::OnPrepareForSleep(bool sleeping)
{
    Apply(state_.SleepChanged(sleeping));
}

void SessionEvents::OnLock()
{
    Apply(state_.SessionChanged(model::SessionStatus::SessionLock));
}

void SessionEvents::OnUnlock()
{
    Apply(state_.SessionChanged(model::SessionStatus::SessionUnlock));
}

void SessionEvents::OnPropertiesChanged(
    const QString& interface, const QVariantMap& changed, const QStringList& invalidated)
{
    if (interface != kSessionInterface)
        return;
    for (const QString& name : {kActive, kLockedHint}) {
        if (const auto value = changed.constFind(name); value != changed.constEnd())
            ApplyProperty(name, *value);
        else if (invalidated.contains(name))
            ReadProperty(name);
    }
}

void SessionEvents::ReadProperty(const QString& name)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(kService, sessionPath_, kPropertiesInterface, QStringLiteral("Get"));
    call << kSessionInterface << name;
    WhenFinished(bus_.asyncCall(call, kCallTimeoutMs),
        [this, name](const QDBusMessage& reply) { ApplyProperty(name, ValueOf(reply)); });
}

void SessionEvents::ApplyProperty(const QString& name, const QVariant& value)
{
    if (value.typeId() != QMetaType::Bool)
        return;
    const bool on = value.toBool();
    if (name == kActive)
        Apply(
            state_.SessionChanged(on ? model::SessionStatus::ConsoleConnect : model::SessionStatus::ConsoleDisconnect));
    else if (name == kLockedHint)
        Apply(state_.SessionChanged(on ? model::SessionStatus::SessionLock : model::SessionStatus::SessionUnlock));
}

void SessionEvents::Apply(model::SessionEffect effect)
{
    if (effect.suspendedChanged)
        emit suspendedChanged(state_.Suspended());
    if (effect.rereadKeyboard)
        emit keyboardShouldBeReread();
}

void SessionEvents::WhenFinished(const QDBusPendingCall& call, std::function<void(const QDBusMessage& reply)> done)
{
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void SessionEvents::Report(const QString& why)
{
    if (reported_)
        return;
    reported_ = true;
    std::fprintf(stderr, "tavrin: session locks and sleep are not followed: %s\n", qPrintable(why));
}

}  // namespace tavrin::app
