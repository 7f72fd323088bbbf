// tavrinctl doctor over a fake system (sysfs, /dev, udev rules, a user who is not root), and the
// real tool against a real emulator.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/doctor.h"
#include "platform/fake_hidraw_tree.h"
#include "support/emulator_process.h"

namespace tavrin::cli {
namespace {

using testing::FakeHidrawTree;

class DoctorOverAFakeSystem : public ::testing::Test {
protected:
    DoctorOverAFakeSystem()
    {
        setup_.libraryFolder = "/usr/lib/tavrin";
        setup_.roots = tree_.Roots();
        setup_.identity = {1000, {1000}};
        setup_.loadLibrary = [this](const std::string&) { return libraryProblem_; };
        setup_.useKeyboard = [this](std::ostream& out) {
            ++keyboardUses_;
            if (keyboardProblem_.empty())
                out << "Macro memory: 16384 bytes\n";
            return keyboardProblem_;
        };
    }

    // The keyboard's control and media keys interfaces, hidraw4 and hidraw5, with root:root 0600
    // device files.
    void PlugKeyboard()
    {
        tree_.AddNode(4, 0x0C45, 0x7045, FakeHidrawTree::kControlDescriptor);
        tree_.AddNode(5, 0x0C45, 0x7045, FakeHidrawTree::kConsumerDescriptor);
    }
    void InstallRule() { tree_.WriteFile("usr/lib/udev/rules.d/70-tavrin.rules", "TAG+=\"uaccess\"\n"); }

    int Run()
    {
        setup_.open = tree_.Opener();
        std::ostringstream out;
        const int status = RunDoctor(setup_, out);
        output_ = out.str();
        return status;
    }
    bool Says(const std::string& text) const { return output_.find(text) != std::string::npos; }

    FakeHidrawTree tree_;
    DoctorSetup setup_;
    std::string libraryProblem_;
    std::string keyboardProblem_;
    int keyboardUses_ = 0;
    std::string output_;
};

TEST_F(DoctorOverAFakeSystem, AnOpenKeyboardIsUsableAndShowsWhatItOffers)
{
    PlugKeyboard();
    tree_.AddNode(7, 0x046D, 0xC52B, FakeHidrawTree::kConsumerDescriptor);  // someone else's receiver
    EXPECT_EQ(Run(), kDoctorUsable) << output_;
    EXPECT_TRUE(Says("Keyboard devices (vendor 0C45, product 7045) in " + tree_.Roots().sys + "/class/hidraw: 2"))
        << output_;
    EXPECT_TRUE(Says(tree_.Roots().dev + "/hidraw4: the control interface")) << output_;
    EXPECT_TRUE(Says(tree_.Roots().dev + "/hidraw5: the media keys interface")) << output_;
    EXPECT_FALSE(Says("hidraw7")) << output_;
    EXPECT_TRUE(Says("opens for reading and writing")) << output_;
    EXPECT_TRUE(Says("Macro memory: 16384 bytes")) << output_;
    EXPECT_TRUE(Says("The keyboard can be used.")) << output_;
}

TEST_F(DoctorOverAFakeSystem, ARefusedNodeWithoutTheRuleSaysWhatIsMissingAndHowToInstallIt)
{
    PlugKeyboard();
    tree_.Refuse(4);
    tree_.Refuse(5);
    EXPECT_EQ(Run(), kDoctorRefused) << output_;
    EXPECT_TRUE(Says("cannot be opened: you may not read or write it. It belongs to user root (uid 0) and group "
                     "root (gid 0) with mode 0600; you are not in that group, and it has no access list"))
        << output_;
    EXPECT_TRUE(Says("udev rule for the keyboard: not installed")) << output_;
    EXPECT_TRUE(Says("The keyboard is plugged in, but you may not open its device files")) << output_;
    EXPECT_TRUE(Says("copy 70-tavrin.rules to /etc/udev/rules.d/")) << output_;
    EXPECT_TRUE(Says("udevadm trigger --subsystem-match=hidraw")) << output_;
    EXPECT_EQ(keyboardUses_, 0) << "nothing is asked of a keyboard that cannot be opened";
}

TEST_F(DoctorOverAFakeSystem, ARefusedNodeWithTheRuleInstalledExplainsWhomTheRuleServes)
{
    PlugKeyboard();
    InstallRule();
    tree_.Refuse(5);
    EXPECT_EQ(Run(), kDoctorRefused) << output_;
    EXPECT_TRUE(Says("udev rule for the keyboard: /usr/lib/udev/rules.d/70-tavrin.rules")) << output_;
    EXPECT_TRUE(Says("The udev rule /usr/lib/udev/rules.d/70-tavrin.rules is installed, but it did not give you "
                     "access"))
        << output_;
    EXPECT_TRUE(Says("active local session")) << output_;
    EXPECT_TRUE(Says("getfacl " + tree_.Roots().dev + "/hidraw5")) << "the refused node" << output_;
    EXPECT_FALSE(Says("copy 70-tavrin.rules")) << output_;
}

TEST_F(DoctorOverAFakeSystem, TheMissingPermissionIsNamed)
{
    // Readable by its group, of which the user is a member, but not writable.
    tree_.AddNode(4, 0x0C45, 0x7045, FakeHidrawTree::kControlDescriptor, true, 0640);
    setup_.identity = {1000, {1000, 0}};
    tree_.Refuse(4);
    EXPECT_EQ(Run(), kDoctorRefused) << output_;
    EXPECT_TRUE(Says("you may not write it.")) << output_;
    EXPECT_TRUE(Says("mode 0640; you are in that group")) << output_;
}

TEST_F(DoctorOverAFakeSystem, NoKeyboardIsNotAPermissionProblem)
{
    InstallRule();
    tree_.AddNode(7, 0x046D, 0xC52B, FakeHidrawTree::kConsumerDescriptor);
    EXPECT_EQ(Run(), kDoctorUnusable) << output_;
    EXPECT_TRUE(Says("in " + tree_.Roots().sys + "/class/hidraw: none")) << output_;
    EXPECT_TRUE(Says("No keyboard is plugged in")) << output_;
    EXPECT_TRUE(Says("Permissions are not the cause.")) << output_;
    EXPECT_EQ(keyboardUses_, 0);
}

TEST_F(DoctorOverAFakeSystem, OtherFailuresAreToldApart)
{
    struct Case {
        const char* name;
        std::string libraryProblem;
        std::string keyboardProblem;
        bool deviceFile;
        const char* said;
    };
    const Case cases[] = {
        {"the library does not load", "libhidapi-hidraw.so.0: cannot open shared object file", "", true,
            "does not load: libhidapi-hidraw.so.0"},
        {"the keyboard does not answer", "", "no keyboard is connected", true,
            "the keyboard did not answer: no keyboard is connected"},
        {"no device file", "", "", false, "the device file does not exist"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FakeHidrawTree tree;
        tree.AddNode(4, 0x0C45, 0x7045, FakeHidrawTree::kControlDescriptor, test.deviceFile);
        setup_.roots = tree.Roots();
        setup_.open = tree.Opener();
        libraryProblem_ = test.libraryProblem;
        keyboardProblem_ = test.keyboardProblem;
        std::ostringstream out;
        EXPECT_EQ(RunDoctor(setup_, out), kDoctorUnusable) << out.str();
        EXPECT_NE(out.str().find(test.said), std::string::npos) << out.str();
    }
}

TEST_F(DoctorOverAFakeSystem, WithTheEmulatorSelectedTheNodesAreNotConsulted)
{
    PlugKeyboard();
    tree_.Refuse(4);
    setup_.emulator = tree_.Roots().root + "/no-such-socket";
    EXPECT_EQ(Run(), kDoctorUnusable) << output_;
    EXPECT_TRUE(Says("Keyboard emulator: selected")) << output_;
    EXPECT_TRUE(Says("no-such-socket does not exist")) << output_;
    EXPECT_FALSE(Says("hidraw4")) << output_;
}

// The real tool, its library and the emulator.
TEST(DoctorProcess, TheEmulatorIsUsableAndItsOfferIsShown)
{
    testing::EmulatorProcess emulator;
    ASSERT_TRUE(emulator.Start({"--macro-units", "32", "--modes", "1-3"}));
    int status = -1;
    const std::string output = testing::RunCommand(
        "TOLVEX_EMULATOR='" + emulator.SocketPath() + "' '" + testing::BinaryFolder() + "/tavrinctl' doctor", &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("libTolvex.so loads."), std::string::npos) << output;
    EXPECT_NE(output.find("Macro memory: 4096 bytes"), std::string::npos) << output;
    EXPECT_NE(output.find("  3  Snake"), std::string::npos) << output;
    EXPECT_NE(output.find("The keyboard emulator can be used."), std::string::npos) << output;
}

}  // namespace
}  // namespace tavrin::cli
