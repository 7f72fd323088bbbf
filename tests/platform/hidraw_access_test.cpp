// The keyboard's hidraw nodes over a fake sysfs and /dev: which nodes match, which interface each
// is, who may open them, and where the udev rules are.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "platform/fake_hidraw_tree.h"
#include "platform/hidraw_access.h"

namespace tavrin::platform {
namespace {

using testing::FakeHidrawTree;

constexpr uid_t kUser = 1000;
constexpr gid_t kUserGroup = 1000;
constexpr gid_t kPlugdev = 46;

struct AccessCase {
    const char* name;
    NodeFacts facts;
    Identity who;
    unsigned allowed;
};

constexpr unsigned kRead = kReadAccess;
constexpr unsigned kWrite = kWriteAccess;
constexpr unsigned kBoth = kReadAccess | kWriteAccess;

NodeFacts Node(unsigned mode, uid_t owner, gid_t group, std::vector<AclEntry> acl = {})
{
    NodeFacts facts;
    facts.exists = true;
    facts.characterDevice = true;
    facts.mode = mode;
    facts.owner = owner;
    facts.group = group;
    facts.acl = std::move(acl);
    return facts;
}

// The ACL that udev's "uaccess" leaves on a root:root 0600 node: the session's user may read and write.
std::vector<AclEntry> UaccessAcl(uid_t user, std::uint16_t mask)
{
    return {{AclEntry::UserOwner, 6, 0}, {AclEntry::User, 6, user}, {AclEntry::GroupOwner, 0, 0},
        {AclEntry::Mask, mask, 0}, {AclEntry::Other, 0, 0}};
}

TEST(HidrawAccess, AllowedAccessFollowsModeGroupsAndAccessLists)
{
    const Identity user{kUser, {kUserGroup}};
    const Identity plugdevUser{kUser, {kUserGroup, kPlugdev}};
    const AccessCase cases[] = {
        {"root may do everything", Node(0000, 0, 0), {0, {0}}, kBoth},
        {"root:root 0600 refuses a user", Node(0600, 0, 0), user, 0},
        {"the owner's bits", Node(0600, kUser, 0), user, kBoth},
        {"the group's bits for a member", Node(0660, 0, kPlugdev), plugdevUser, kBoth},
        {"not a member: the others' bits", Node(0664, 0, kPlugdev), user, kRead},
        {"the group's read only", Node(0640, 0, kPlugdev), plugdevUser, kRead},
        {"the others may write only", Node(0602, 0, 0), user, kWrite},
        {"uaccess names the user", Node(0660, 0, 0, UaccessAcl(kUser, 6)), user, kBoth},
        {"uaccess names another user", Node(0660, 0, 0, UaccessAcl(2000, 6)), user, 0},
        {"the mask limits a named user", Node(0640, 0, 0, UaccessAcl(kUser, 4)), user, kRead},
        {"a named group entry",
            Node(0660, 0, 0,
                {{AclEntry::UserOwner, 6, 0}, {AclEntry::GroupOwner, 0, 0}, {AclEntry::Group, 6, kPlugdev},
                    {AclEntry::Mask, 6, 0}, {AclEntry::Other, 0, 0}}),
            plugdevUser, kBoth},
    };
    for (const AccessCase& test : cases)
        EXPECT_EQ(AllowedAccess(test.facts, test.who), test.allowed) << test.name;
}

TEST(HidrawAccess, DecodesTheKernelsAccessListAndRefusesMalformedOnes)
{
    // Version 2, then {tag, permissions, id} little-endian: user::rw-, user:1000:rw-, mask::rw-.
    const std::string bytes("\x02\x00\x00\x00"
                            "\x01\x00\x06\x00\xff\xff\xff\xff"
                            "\x02\x00\x06\x00\xe8\x03\x00\x00"
                            "\x10\x00\x06\x00\xff\xff\xff\xff",
        28);
    const auto entries = DecodeAcl(bytes);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[1].tag, AclEntry::User);
    EXPECT_EQ((*entries)[1].permissions, 6);
    EXPECT_EQ((*entries)[1].id, 1000u);
    EXPECT_FALSE(DecodeAcl(bytes.substr(0, 27))) << "a cut entry";
    EXPECT_FALSE(DecodeAcl(std::string("\x01\x00\x00\x00", 4))) << "another version";
    EXPECT_FALSE(DecodeAcl("")) << "no header";
}

TEST(HidrawAccess, FirstUsageOfAReportDescriptor)
{
    struct Case {
        const char* name;
        std::string descriptor;
        std::optional<std::uint16_t> page;
        std::optional<std::uint16_t> usage;
    };
    const Case cases[] = {
        {"vendor page, two-byte page", std::string("\x06\x1c\xff\x09\x92\xa1\x01\x85\x04", 9), 0xFF1C, 0x92},
        {"consumer page", std::string("\x05\x0c\x09\x01\xa1\x01", 6), 0x000C, 0x0001},
        {"a four-byte usage keeps its low half", std::string("\x05\x08\x0b\x89\x00\x08\x00\xa1\x01", 9), 0x0008,
            0x0089},
        {"a long item is skipped", std::string("\xfe\x02\x00\xaa\xbb\x05\x01\x09\x06", 9), 0x0001, 0x0006},
        {"usages inside the collection do not count", std::string("\xa1\x01\x05\x0c\x09\x01", 6), std::nullopt,
            std::nullopt},
        {"a cut item ends the walk", std::string("\x06\x1c", 2), std::nullopt, std::nullopt},
        {"empty", "", std::nullopt, std::nullopt},
    };
    for (const Case& test : cases) {
        const DescriptorUsage found = FirstUsage(test.descriptor);
        EXPECT_EQ(found.usagePage, test.page) << test.name;
        EXPECT_EQ(found.usage, test.usage) << test.name;
    }
}

TEST(HidrawAccess, FindsTheKeyboardsNodesOnlyInNumberOrder)
{
    FakeHidrawTree tree;
    tree.AddNode(10, 0x0C45, 0x7045, FakeHidrawTree::kControlDescriptor);
    tree.AddNode(2, 0x0C45, 0x7045, FakeHidrawTree::kConsumerDescriptor);
    tree.AddNode(3, 0x046D, 0xC52B, FakeHidrawTree::kConsumerDescriptor);        // another vendor's receiver
    tree.AddNode(4, 0x0C45, 0x7046, FakeHidrawTree::kControlDescriptor);         // another product
    tree.AddNode(9, 0x0C45, 0x7045, FakeHidrawTree::kControlDescriptor, false);  // no device file
    tree.Refuse(2);
    const std::vector<HidrawNode> nodes = FindHidrawNodes(tree.Roots(), 0x0C45, 0x7045, tree.Opener());
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].name, "hidraw2");
    EXPECT_EQ(nodes[1].name, "hidraw9");
    EXPECT_EQ(nodes[2].name, "hidraw10");
    EXPECT_EQ(nodes[0].path, tree.Roots().dev + "/hidraw2");
    EXPECT_EQ(nodes[0].hidDevice, "0003:0C45:7045.0002");
    EXPECT_EQ(nodes[0].usagePage, 0x000C);
    EXPECT_EQ(nodes[2].usagePage, 0xFF1C);
    EXPECT_EQ(nodes[2].usage, 0x0092);
    EXPECT_EQ(nodes[0].openError, EACCES);
    EXPECT_EQ(nodes[1].openError, ENOENT);
    EXPECT_EQ(nodes[2].openError, 0);
    EXPECT_TRUE(nodes[0].facts.exists);
    EXPECT_EQ(nodes[0].facts.mode, 0600u);
    EXPECT_TRUE(KeyboardNodeRefused(nodes));
    EXPECT_FALSE(KeyboardNodeRefused({nodes[1], nodes[2]})) << "a missing file or an open node is no refusal";
}

TEST(HidrawAccess, TheNoKeyboardQuestionAsksOnlyWhenTheKeyboardItselfIsInUse)
{
    FakeHidrawTree tree;
    ::unsetenv("TOLVEX_EMULATOR");
    EXPECT_FALSE(KeyboardPresentButRefused(tree.Roots(), tree.Opener())) << "no keyboard";
    tree.AddNode(0, 0x0C45, 0x7045, FakeHidrawTree::kControlDescriptor);
    EXPECT_FALSE(KeyboardPresentButRefused(tree.Roots(), tree.Opener())) << "it opens";
    tree.Refuse(0);
    EXPECT_TRUE(KeyboardPresentButRefused(tree.Roots(), tree.Opener()));
    ::setenv("TOLVEX_EMULATOR", "/run/user/1000/emulator.sock", 1);
    EXPECT_FALSE(KeyboardPresentButRefused(tree.Roots(), tree.Opener())) << "the emulator stands in for it";
    ::unsetenv("TOLVEX_EMULATOR");
}

TEST(HidrawAccess, FindsUdevRulesByNameOrByTheKeyboardsIds)
{
    FakeHidrawTree tree;
    EXPECT_TRUE(FindUdevRules(tree.Roots(), 0x0C45, 0x7045, "70-tavrin.rules").empty());
    tree.WriteFile("etc/udev/rules.d/50-other.rules", "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"046d\"\n");
    tree.WriteFile("etc/udev/rules.d/60-mine.rules",
        "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"0c45\", ATTRS{idProduct}==\"7045\", MODE=\"0666\"\n");
    tree.WriteFile("usr/lib/udev/rules.d/70-tavrin.rules", "# the package's rule\n");
    // A merged /usr: /lib is /usr/lib, and its rules are not counted twice.
    tree.Link("lib", "usr/lib");
    const std::vector<std::string> rules = FindUdevRules(tree.Roots(), 0x0C45, 0x7045, "70-tavrin.rules");
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0], "/usr/lib/udev/rules.d/70-tavrin.rules") << "the package's rule comes first";
    EXPECT_EQ(rules[1], "/etc/udev/rules.d/60-mine.rules");
}

}  // namespace
}  // namespace tavrin::platform
