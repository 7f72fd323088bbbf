// The keyboard's hidraw nodes as the system shows them (sysfs and /dev), and whether this user may
// open them: which nodes belong to the keyboard, which permission is missing and why, and whether a
// udev rule for the keyboard is installed. The roots are parameters so that tests use a fake tree.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::platform {

// Where the system's trees are: "/sys", "/dev" and "/" (the udev rules folders) on a real system.
struct SystemRoots {
    std::string sys = "/sys";
    std::string dev = "/dev";
    std::string root;  // prefix of /etc, /run, /usr/lib and /lib for the rules; empty is "/"
};

// Who asks: the user and every group of the process.
struct Identity {
    uid_t user = 0;
    std::vector<gid_t> groups;
};
Identity CurrentIdentity();

inline constexpr unsigned kReadAccess = 1;
inline constexpr unsigned kWriteAccess = 2;

// One entry of a POSIX access control list, as the kernel stores it.
struct AclEntry {
    enum Tag : std::uint16_t {
        UserOwner = 0x01,
        User = 0x02,
        GroupOwner = 0x04,
        Group = 0x08,
        Mask = 0x10,
        Other = 0x20
    };
    std::uint16_t tag = 0;
    std::uint16_t permissions = 0;  // rwx as 4, 2, 1
    std::uint32_t id = 0;           // the user or group of User and Group entries
};

// A device file's owner, group, mode and access control list.
struct NodeFacts {
    bool exists = false;
    bool characterDevice = false;
    unsigned mode = 0;  // the permission bits
    uid_t owner = 0;
    gid_t group = 0;
    std::vector<AclEntry> acl;  // empty: none beyond the mode
};

// What `who` may do with the file (kReadAccess | kWriteAccess), by the kernel's rules: the
// superuser everything, then the owner, named user entries (limited by the mask), the owning and
// named groups, and the others.
unsigned AllowedAccess(const NodeFacts& facts, const Identity& who);

// Reads the facts of `path` (stat and the system.posix_acl_access attribute).
NodeFacts ReadNodeFacts(const std::string& path);
// Decodes the kernel's binary form of an access control list; nothing for a malformed one.
std::optional<std::vector<AclEntry>> DecodeAcl(const std::string& bytes);

// 0 when `path` opens for reading and writing, else the error number; the real opener closes the
// file at once.
using NodeOpener = std::function<int(const std::string& path)>;
int OpenForReadWrite(const std::string& path);

struct HidrawNode {
    std::string name;       // "hidraw3"
    std::string path;       // the device file, "/dev/hidraw3"
    std::string hidDevice;  // the HID device's kernel name, "0003:0C45:7045.0002"
    // The first usage page and usage of the report descriptor: which interface this is.
    std::optional<std::uint16_t> usagePage;
    std::optional<std::uint16_t> usage;
    NodeFacts facts;
    int openError = 0;  // 0: opened for reading and writing
};

// The hidraw nodes of HID devices with this vendor and product, by name; each one's device file is
// looked at and tried with `open`.
std::vector<HidrawNode> FindHidrawNodes(
    const SystemRoots& roots, std::uint16_t vendor, std::uint16_t product, const NodeOpener& open);

// The first usage page and usage declared by a HID report descriptor, before its first collection.
struct DescriptorUsage {
    std::optional<std::uint16_t> usagePage;
    std::optional<std::uint16_t> usage;
};
DescriptorUsage FirstUsage(const std::string& descriptor);

// The udev rules files (in the folders udev reads) that name this vendor and product, by path
// under the roots; the name `preferredName` is looked for first.
std::vector<std::string> FindUdevRules(
    const SystemRoots& roots, std::uint16_t vendor, std::uint16_t product, const std::string& preferredName);

// True when the keyboard is plugged in (a node exists) but a node of it refuses this user: the
// cause of "no keyboard" is then permissions, not the keyboard.
bool KeyboardNodeRefused(const std::vector<HidrawNode>& nodes);

// The question behind the "no keyboard" message: with the keyboard itself in use (TOLVEX_EMULATOR
// unset or empty), is it plugged in but refusing this user?
bool KeyboardPresentButRefused(const SystemRoots& roots = {}, const NodeOpener& open = OpenForReadWrite);

}  // namespace tavrin::platform
