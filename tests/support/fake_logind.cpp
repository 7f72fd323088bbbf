#include "support/fake_logind.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <csignal>

namespace tavrin::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kWaitMs = 10000;  // generous: sanitizer builds are slow; a pass never waits this long
const QString kMarkerPath = QStringLiteral("/test/marker");
const QString kMarkerInterface = QStringLiteral("test.Marker");

}  // namespace

QDBusObjectPath FakeLogindManager::GetSessionByPID(uint process)
{
    askedProcesses.append(process);
    if (sessionOfProcess.isEmpty()) {
        sendErrorReply(QStringLiteral("org.freedesktop.login1.NoSessionForPID"),
            QStringLiteral("PID %1 does not belong to any known session").arg(process));
        return {};
    }
    return QDBusObjectPath(sessionOfProcess);
}

QDBusObjectPath FakeLogindManager::GetSession(const QString& id)
{
    if (id != QStringLiteral("2")) {
        sendErrorReply(QStringLiteral("org.freedesktop.login1.NoSuchSession"), QStringLiteral("No session ") + id);
        return {};
    }
    return QDBusObjectPath(kFakeSessionPath);
}

FakeLogindBus::~FakeLogindBus()
{
    for (const QString& name : connectionNames_)
        QDBusConnection::disconnectFromBus(name);
    daemon_.Signal(SIGTERM);
    daemon_.WaitForExit(5s);
}

std::string FakeLogindBus::Start()
{
    if (std::string(TAVRIN_DBUS_DAEMON).empty())
        return "dbus-daemon is not installed";
    const std::string address = "unix:path=" + folder_.File("bus");
    if (!daemon_.Start(TAVRIN_DBUS_DAEMON, {"--session", "--nofork", "--address=" + address, "--print-address=2"}, {},
            folder_.File("dbus-daemon.log"))
        || !daemon_.WaitForOutput(address, 10s))
        return "dbus-daemon did not start: " + daemon_.Output();
    address_ = QString::fromStdString(address);
    logind_ = Connect(QStringLiteral("logind"));
    if (!logind_.isConnected())
        return "logind cannot connect: " + logind_.lastError().message().toStdString();
    if (!logind_.registerService(kLogindService)
        || !logind_.registerObject(kLogindManagerPath, &manager, QDBusConnection::ExportAllSlots))
        return "logind's manager cannot be registered";
    for (const QString& path : {kFakeSessionPath, QStringLiteral("/org/freedesktop/login1/session/auto")})
        if (!logind_.registerObject(path, &session, QDBusConnection::ExportAllProperties))
            return "logind's session cannot be registered";
    return {};
}

QDBusConnection FakeLogindBus::Connect(const QString& role)
{
    const QString name = QStringLiteral("fake-logind-bus-") + role;
    connectionNames_.append(name);
    return QDBusConnection::connectToBus(address_, name);
}

bool FakeLogindBus::RemoveLogind()
{
    return logind_.unregisterService(kLogindService);
}

bool FakeLogindBus::Emit(
    const QString& path, const QString& interface, const QString& name, const QVariantList& arguments)
{
    return Send(logind_, path, interface, name, arguments);
}

bool FakeLogindBus::Send(QDBusConnection& bus, const QString& path, const QString& interface, const QString& name,
    const QVariantList& arguments)
{
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
    signal.setArguments(arguments);
    return bus.send(signal);
}

bool FakeLogindBus::EmitSessionProperties(const QVariantMap& changed, const QStringList& invalidated)
{
    return Emit(kFakeSessionPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"),
        {kLogindSessionInterface, changed, invalidated});
}

bool FakeLogindBus::RoundTrip(QDBusConnection& program)
{
    // The bus handles one connection's messages in order: once a call answered by the bus itself
    // has come back, so has everything before it.
    const QDBusMessage reply = program.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool FakeLogindBus::WaitForMarker(QDBusConnection& program)
{
    // A marker path of its own each time, so that one connection's receiver hears only its own.
    const QString path = kMarkerPath + QString::number(++markers_);
    MarkerReceiver marker;
    if (!program.connect(kLogindService, path, kMarkerInterface, QStringLiteral("Done"), &marker, SLOT(Done())))
        return false;
    if (!RoundTrip(program) || !Emit(path, kMarkerInterface, QStringLiteral("Done")))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!marker.received && timer.elapsed() < kWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    program.disconnect(kLogindService, path, kMarkerInterface, QStringLiteral("Done"), &marker, SLOT(Done()));
    return marker.received;
}

}  // namespace tavrin::testing
