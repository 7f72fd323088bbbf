// The single-instance channel: a message that reached a busy instance is still handled once it is
// free, whether or not its sender is still waiting for the answer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QtEndian>
#include <vector>

#include "app/instance_channel.h"
#include "app/window_messages.h"
#include "support/temporary_folder.h"

namespace tavrin::app {
namespace {

TEST(InstanceChannel, AMessageWhoseSenderGaveUpIsStillHandled)
{
    int argc = 0;
    QCoreApplication qt(argc, nullptr);
    testing::TemporaryFolder folder;
    std::vector<InstanceMessage> handled;
    InstanceServer server([&](const InstanceMessage& message) {
        handled.push_back(message);
        return 0u;
    });
    const std::string name = folder.File("channel");
    ASSERT_TRUE(server.Listen(name));

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

}  // namespace
}  // namespace tavrin::app
