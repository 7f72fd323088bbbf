// Session events over a private bus on which a fake logind stands in for the real one: which
// signals suspend the program and which ask for the keyboard to be read again, the session found
// when logind knows no session for the process, signals from elsewhere ignored, and nothing at all
// without a bus or without logind.
#include "app/session_events.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "support/fake_logind.h"
#include "support/temporary_folder.h"

namespace tavrin::app {
namespace {

using namespace std::chrono_literals;

const QString& kManagerPath = testing::kLogindManagerPath;
const QString& kManagerInterface = testing::kLogindManagerInterface;
const QString& kSessionInterface = testing::kLogindSessionInterface;
const QString& kPropertiesInterface = testing::kPropertiesInterface;
const QString& kSessionPath = testing::kFakeSessionPath;

constexpr int kWaitMs = 10000;  // generous: sanitizer builds are slow; a pass never waits this long
const QString kOtherSessionPath = QStringLiteral("/org/freedesktop/login1/session/_33");

// What the window would hear, in order: "S1"/"S0" for suspendedChanged, "R" for a reread.
class Heard {
public:
    explicit Heard(SessionEvents& events)
    {
        QObject::connect(&events, &SessionEvents::suspendedChanged, &events,
            [this](bool suspended) { log_.push_back(suspended ? "S1" : "S0"); });
        QObject::connect(&events, &SessionEvents::keyboardShouldBeReread, &events, [this] { log_.push_back("R"); });
    }
    std::string Text() const
    {
        std::string text;
        for (const std::string& entry : log_)
            text += (text.empty() ? "" : " ") + entry;
        return text;
    }

private:
    std::vector<std::string> log_;
};

// Standard error into a file for as long as it lives.
class StderrCapture {
public:
    explicit StderrCapture(std::string file)
        : file_(std::move(file))
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int capture = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(capture, 2);
        ::close(capture);
    }
    ~StderrCapture()
    {
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
    }
    std::string Text() const
    {
        std::ifstream file(file_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    // Handles events until standard error holds a line, or the time is up.
    bool WaitForLine() const
    {
        QElapsedTimer timer;
        timer.start();
        while (Text().find('\n') == std::string::npos && timer.elapsed() < kWaitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return Text().find('\n') != std::string::npos;
    }

private:
    std::string file_;
    int saved_ = -1;
};

void HandleEventsFor(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class SessionEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string failure = bus_.Start(); !failure.empty())
            GTEST_SKIP() << failure;
        program_ = bus_.Connect("program");
        ASSERT_TRUE(program_.isConnected());
    }

    QDBusConnection Connect(const QString& role) { return bus_.Connect(role); }

    // Events that follow the program's own session, once they do.
    std::unique_ptr<SessionEvents> WatchingEvents()
    {
        auto events = std::make_unique<SessionEvents>(program_);
        QSignalSpy watched(events.get(), &SessionEvents::sessionWatched);
        EXPECT_TRUE(watched.wait(kWaitMs)) << "the session was not found";
        EXPECT_EQ(events->SessionPath(), kSessionPath);
        EXPECT_TRUE(testing::FakeLogindBus::RoundTrip(program_)) << "the session's signals may not reach it yet";
        return events;
    }

    void Emit(const QString& path, const QString& interface, const QString& name, const QVariantList& arguments = {})
    {
        ASSERT_TRUE(bus_.Emit(path, interface, name, arguments));
    }
    void EmitSessionProperties(const QVariantMap& changed, const QStringList& invalidated = {})
    {
        ASSERT_TRUE(bus_.EmitSessionProperties(changed, invalidated));
    }
    // Returns once everything logind sent before has been handled.
    void WaitForMarker() { ASSERT_TRUE(bus_.WaitForMarker(program_)) << "the marker did not arrive"; }

    testing::TemporaryFolder folder_;
    testing::FakeLogindBus bus_;
    testing::FakeLogindManager& manager_ = bus_.manager;
    testing::FakeLogindSession& session_ = bus_.session;
    QDBusConnection program_{QString()};
};

TEST_F(SessionEventsTest, SignalsAndWhatTheWindowHears)
{
    // One word per signal from logind: lock/unlock (the session's signals), locked/unlocked
    // (LockedHint), inactive/active (Active), sleep/wake (PrepareForSleep), idle (another of the
    // session's properties), foreign (Active of another interface on the session's path), other
    // (Lock of another session).
    struct Case {
        std::vector<std::string> sent;
        const char* heard;
        bool suspended;
    };
    const std::vector<Case> cases = {
        {{"lock", "unlock"}, "S1 S0 R", false},
        {{"inactive", "active"}, "S1 S0 R", false},
        {{"locked", "unlocked"}, "S1 S0 R", false},
        {{"lock", "locked", "unlocked", "unlock"}, "S1 S0 R", false},
        {{"lock", "active"}, "S1", true},
        {{"inactive", "unlock"}, "S1", true},
        {{"lock", "inactive", "active"}, "S1 S0 R", false},
        {{"sleep"}, "", false},
        {{"sleep", "wake"}, "R", false},
        {{"lock", "sleep", "wake", "unlock"}, "S1 R S0 R", false},
        {{"unlock", "active"}, "", false},
        {{"idle", "foreign", "other"}, "", false},
    };
    for (const Case& test : cases) {
        std::string name;
        for (const std::string& signal : test.sent)
            name += signal + " ";
        SCOPED_TRACE(name);
        const auto events = WatchingEvents();
        const Heard heard(*events);
        for (const std::string& signal : test.sent) {
            if (signal == "lock" || signal == "unlock")
                Emit(kSessionPath, kSessionInterface, signal == "lock" ? "Lock" : "Unlock");
            else if (signal == "locked" || signal == "unlocked")
                EmitSessionProperties({{"LockedHint", signal == "locked"}});
            else if (signal == "active" || signal == "inactive")
                EmitSessionProperties({{"Active", signal == "active"}});
            else if (signal == "sleep" || signal == "wake")
                Emit(kManagerPath, kManagerInterface, "PrepareForSleep", {signal == "sleep"});
            else if (signal == "idle")
                EmitSessionProperties({{"IdleHint", true}});
            else if (signal == "foreign")
                Emit(kSessionPath, kPropertiesInterface, "PropertiesChanged",
                    {QStringLiteral("org.example.Other"), QVariantMap{{"Active", false}}, QStringList()});
            else if (signal == "other")
                Emit(kOtherSessionPath, kSessionInterface, "Lock");
            else
                FAIL() << "no such signal " << signal;
        }
        WaitForMarker();
        EXPECT_EQ(heard.Text(), test.heard);
        EXPECT_EQ(events->Suspended(), test.suspended);
    }
    ASSERT_FALSE(manager_.askedProcesses.isEmpty());
    EXPECT_EQ(manager_.askedProcesses.constFirst(), static_cast<uint>(::getpid()));
}

TEST_F(SessionEventsTest, SignalsFromAnotherSenderAreIgnored)
{
    const auto events = WatchingEvents();
    const Heard heard(*events);
    // Any process on the bus can send a signal with logind's paths and interfaces.
    QDBusConnection impostor = Connect("impostor");
    ASSERT_TRUE(impostor.isConnected());
    ASSERT_TRUE(testing::FakeLogindBus::Send(impostor, kSessionPath, kSessionInterface, "Lock"));
    ASSERT_TRUE(testing::FakeLogindBus::Send(impostor, kManagerPath, kManagerInterface, "PrepareForSleep", {false}));
    // Once this comes back, the bus has passed those signals on.
    ASSERT_TRUE(testing::FakeLogindBus::RoundTrip(impostor));
    WaitForMarker();
    EXPECT_EQ(heard.Text(), "");
    EXPECT_FALSE(events->Suspended());
}

TEST_F(SessionEventsTest, AnInvalidatedPropertyIsReadAgain)
{
    const auto events = WatchingEvents();
    QSignalSpy suspended(events.get(), &SessionEvents::suspendedChanged);
    session_.lockedHint = true;
    EmitSessionProperties({}, {QStringLiteral("LockedHint")});
    ASSERT_TRUE(suspended.wait(kWaitMs));
    EXPECT_TRUE(suspended.takeFirst().at(0).toBool());
    EXPECT_TRUE(events->Suspended());

    QSignalSpy reread(events.get(), &SessionEvents::keyboardShouldBeReread);
    session_.lockedHint = false;
    EmitSessionProperties({}, {QStringLiteral("LockedHint")});
    ASSERT_TRUE(reread.wait(kWaitMs));
    EXPECT_FALSE(events->Suspended());
}

TEST_F(SessionEventsTest, AProcessOutsideAnySessionFollowsItsUsersSession)
{
    manager_.sessionOfProcess.clear();
    StderrCapture errors(folder_.File("stderr"));
    const auto events = WatchingEvents();
    EXPECT_EQ(manager_.askedProcesses.size(), 1);
    QSignalSpy suspended(events.get(), &SessionEvents::suspendedChanged);
    Emit(kSessionPath, kSessionInterface, "Lock");
    ASSERT_TRUE(suspended.wait(kWaitMs));
    EXPECT_TRUE(events->Suspended());
    EXPECT_EQ(errors.Text(), "");
}

// One line on standard error said why, and nothing else happened.
void ExpectNothingFollowed(
    const SessionEvents& events, const QSignalSpy& suspended, const QSignalSpy& reread, const StderrCapture& errors)
{
    HandleEventsFor(50);
    EXPECT_EQ(Lines(errors.Text()), 1) << errors.Text();
    EXPECT_TRUE(events.SessionPath().isEmpty());
    EXPECT_FALSE(events.Suspended());
    EXPECT_EQ(suspended.count(), 0);
    EXPECT_EQ(reread.count(), 0);
}

TEST_F(SessionEventsTest, WithoutLogindNothingHappensAndOneLineSaysSo)
{
    ASSERT_TRUE(bus_.RemoveLogind());
    StderrCapture errors(folder_.File("stderr"));
    SessionEvents events(program_);
    QSignalSpy suspended(&events, &SessionEvents::suspendedChanged);
    QSignalSpy reread(&events, &SessionEvents::keyboardShouldBeReread);
    ASSERT_TRUE(errors.WaitForLine());
    ExpectNothingFollowed(events, suspended, reread, errors);
}

TEST(SessionEvents, WithoutABusNothingHappensAndOneLineSaysSo)
{
    testing::TemporaryFolder folder;
    const QString name = QStringLiteral("session-events-test-nowhere");
    {
        const QDBusConnection nowhere
            = QDBusConnection::connectToBus(QString::fromStdString("unix:path=" + folder.File("no-bus")), name);
        ASSERT_FALSE(nowhere.isConnected());
        StderrCapture errors(folder.File("stderr"));
        SessionEvents events(nowhere);
        QSignalSpy suspended(&events, &SessionEvents::suspendedChanged);
        QSignalSpy reread(&events, &SessionEvents::keyboardShouldBeReread);
        ExpectNothingFollowed(events, suspended, reread, errors);
    }
    QDBusConnection::disconnectFromBus(name);
}

}  // namespace
}  // namespace tavrin::app
