// The single-instance channel: a message that reached a busy instance is still handled once it is
// free, whether or not its sender is still waiting for the answer; only the messages meant to come
// from outside reach the window; tavrinctl's sender (no Qt) gets its answer, and gives up in time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QtEndian>
#include <future>
#include <memory>
#include <vector>

#include "app/instance_channel.h"
#include "app/window_messages.h"
#include "platform/instance_notice.h"
#include "support/temporary_folder.h"

namespace tavrin::app {
namespace {

class InstanceChannel : public ::testing::Test {
protected:
    // A running instance that keeps what reaches its window and answers `answer`; its address.
    std::string Listen(std::uint32_t answer)
    {
        server_ = std::make_unique<InstanceServer>([this, answer](const InstanceMessage& message) {
            handled_.push_back(message);
            return answer;
        });
        const std::string name = folder_.File("channel");
        EXPECT_TRUE(server_->Listen(name));
        return name;
    }

    int argc_ = 0;
    QCoreApplication qt_{argc_, nullptr};
    testing::TemporaryFolder folder_;
    std::vector<InstanceMessage> handled_;
    std::unique_ptr<InstanceServer> server_;
};

TEST_F(InstanceChannel, AMessageWhoseSenderGaveUpIsStillHandled)
{
    const std::string name = Listen(0);
    std::vector<InstanceMessage>& handled = handled_;

    // The instance is busy (its loop does not run) while a sender connects, writes and leaves.
    {
        QLocalSocket sender;
        sender.connectToServer(QString::fromStdString(name));
        ASSERT_TRUE(sender.waitForConnected(1000));
        uchar bytes[12];
        qToLittleEndian<quint32>(MSG_OPEN, bytes);
        qToLittleEndian<quint32>(MSG_OPEN_CHECK, bytes + 4);
        qToLittleEndian<quint32>(7, bytes + 8);
        sender.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
        ASSERT_TRUE(sender.waitForBytesWritten(1000));
        sender.disconnectFromServer();
    }
    QElapsedTimer timer;
    timer.start();
    while (handled.empty() && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0].number, static_cast<std::uint32_t>(MSG_OPEN));
    EXPECT_EQ(handled[0].lParam, 7u);
}

// What `sender` gives back for `message`, with this thread's loop running meanwhile.
std::optional<std::uint32_t> SendWhilePumping(const std::string& name, const InstanceMessage& message)
{
    auto answer = std::async(std::launch::async, [&] {
        return platform::SendChannelMessage(
            name, {message.number, message.wParam, message.lParam}, std::chrono::milliseconds(2000));
    });
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return answer.get();
}

TEST_F(InstanceChannel, OnlyTheMessagesMeantForItReachTheWindow)
{
    const std::string name = Listen(5);
    std::vector<InstanceMessage>& handled = handled_;

    struct Case {
        const char* name;
        InstanceMessage message;
        bool accepted;
    };
    const Case cases[] = {
        {"open", {MSG_OPEN, MSG_OPEN_CHECK, 0}, true},
        {"kill", {MSG_KILL, MSG_KILL_CHECK, 0}, true},
        {"keyboard changed", {MSG_KEYBOARD_CHANGED, MSG_KEYBOARD_CHANGED_CHECK, 9}, true},
        {"open, wrong check", {MSG_OPEN, MSG_KILL_CHECK, 0}, false},
        {"kill, wrong check", {MSG_KILL, 0, 0}, false},
        {"keyboard changed, wrong check", {MSG_KEYBOARD_CHANGED, MSG_OPEN_CHECK, 15}, false},
        {"device removed (any check in the window)", {MSG_DEVICE_REMOVED, 0, 0}, false},
        {"profile reload", {MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK, 0}, false},
        {"language", {MSG_LANGUAGE, MSG_LANGUAGE_CHECK, 1}, false},
        {"init", {MSG_INIT, MSG_INIT_CHECK, 0}, false},
        {"G-key bank", {MSG_GKEY_BANK, MSG_GKEY_BANK_CHECK, 0}, false},
        {"unknown", {0x1234, 0x5678, 0}, false},
    };
    for (const Case& c : cases) {
        handled.clear();
        EXPECT_EQ(SendWhilePumping(name, c.message), c.accepted ? 5u : 0u) << c.name;
        ASSERT_EQ(handled.size(), c.accepted ? 1u : 0u) << c.name;
        if (c.accepted) {
            EXPECT_EQ(handled[0].lParam, c.message.lParam) << c.name;
        }
    }
}

TEST_F(InstanceChannel, TheSenderWithoutQtGivesUpInTime)
{
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::SendChannelMessage(
        folder_.File("nobody"), {MSG_OPEN, MSG_OPEN_CHECK, 0}, std::chrono::milliseconds(2000)))
        << "no socket: nothing";

    // A program that accepts but never answers (its loop does not run) is waited for no longer
    // than the time given.
    const std::string name = Listen(1);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::SendChannelMessage(
        name, {MSG_KEYBOARD_CHANGED, MSG_KEYBOARD_CHANGED_CHECK, 1}, std::chrono::milliseconds(200)));
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(150));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
    EXPECT_LT(before - started, std::chrono::milliseconds(500)) << "a missing program is not waited for";
}

}  // namespace
}  // namespace tavrin::app
