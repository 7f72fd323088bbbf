#include "platform/hidraw_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "tolvex/tolvex.h"

namespace tavrin::platform {
namespace {

namespace fs = std::filesystem;

// At most this much of a sysfs or rules file is read: each of them is far smaller.
constexpr std::size_t kReadLimit = 1 << 20;

std::string ReadSmallFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string bytes(kReadLimit, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

// The value of `key` in a uevent file ("KEY=value" lines); empty when absent.
std::string UeventValue(const std::string& uevent, const std::string& key)
{
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line))
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == '=')
            return line.substr(key.size() + 1);
    return {};
}

// "0003:00000C45:00007045" (bus, vendor, product in hex); false for anything else.
bool ParseHidId(const std::string& text, unsigned& vendor, unsigned& product)
{
    unsigned bus = 0;
    char end = 0;
    return std::sscanf(text.c_str(), "%x:%x:%x%c", &bus, &vendor, &product, &end) == 3;
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFFu);
    return text;
}

bool IsMember(const Identity& who, gid_t group)
{
    return std::find(who.groups.begin(), who.groups.end(), group) != who.groups.end();
}

unsigned AccessOf(unsigned rwx)
{
    return ((rwx & 4) ? kReadAccess : 0) | ((rwx & 2) ? kWriteAccess : 0);
}

}  // namespace

Identity CurrentIdentity()
{
    Identity who;
    who.user = ::geteuid();
    who.groups.push_back(::getegid());
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int read = ::getgroups(count, groups.data());
        if (read > 0)
            who.groups.insert(who.groups.end(), groups.begin(), groups.begin() + read);
    }
    return who;
}

unsigned AllowedAccess(const NodeFacts& facts, const Identity& who)
{
    if (who.user == 0)
        return kReadAccess | kWriteAccess;
    if (facts.acl.empty()) {
        if (who.user == facts.owner)
            return AccessOf(facts.mode >> 6);
        if (IsMember(who, facts.group))
            return AccessOf(facts.mode >> 3);
        return AccessOf(facts.mode);
    }
    unsigned mask = 7;
    for (const AclEntry& entry : facts.acl)
        if (entry.tag == AclEntry::Mask)
            mask = entry.permissions;
    if (who.user == facts.owner) {
        for (const AclEntry& entry : facts.acl)
            if (entry.tag == AclEntry::UserOwner)
                return AccessOf(entry.permissions);
        return AccessOf(facts.mode >> 6);
    }
    for (const AclEntry& entry : facts.acl)
        if (entry.tag == AclEntry::User && entry.id == who.user)
            return AccessOf(entry.permissions & mask);
    bool inGroup = false;
    unsigned groupAccess = 0;
    for (const AclEntry& entry : facts.acl) {
        const bool matches = (entry.tag == AclEntry::GroupOwner && IsMember(who, facts.group))
            || (entry.tag == AclEntry::Group && IsMember(who, static_cast<gid_t>(entry.id)));
        if (matches) {
            inGroup = true;
            groupAccess |= AccessOf(entry.permissions & mask);
        }
    }
    if (inGroup)
        return groupAccess;
    for (const AclEntry& entry : facts.acl)
        if (entry.tag == AclEntry::Other)
            return AccessOf(entry.permissions);
    return AccessOf(facts.mode);
}

std::optional<std::vector<AclEntry>> DecodeAcl(const std::string& bytes)
{
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at])
            | static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
    };
    const auto u32
        = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at) | std::uint32_t{u16(at + 2)} << 16); };
    constexpr std::uint32_t kVersion = 2;
    if (bytes.size() < 4 || (bytes.size() - 4) % 8 != 0 || u32(0) != kVersion)
        return std::nullopt;
    std::vector<AclEntry> entries;
    for (std::size_t at = 4; at < bytes.size(); at += 8)
        entries.push_back({u16(at), u16(at + 2), u32(at + 4)});
    return entries;
}

NodeFacts ReadNodeFacts(const std::string& path)
{
    NodeFacts facts;
    struct stat status { };
    if (::stat(path.c_str(), &status) != 0)
        return facts;
    facts.exists = true;
    facts.characterDevice = S_ISCHR(status.st_mode);
    facts.mode = status.st_mode & 07777;
    facts.owner = status.st_uid;
    facts.group = status.st_gid;
    std::string acl(1024, '\0');
    const ssize_t size = ::getxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size());
    if (size > 0) {
        acl.resize(static_cast<std::size_t>(size));
        if (std::optional<std::vector<AclEntry>> entries = DecodeAcl(acl))
            facts.acl = std::move(*entries);
    }
    return facts;
}

int OpenForReadWrite(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    ::close(descriptor);
    return 0;
}

DescriptorUsage FirstUsage(const std::string& descriptor)
{
    DescriptorUsage found;
    std::size_t at = 0;
    while (at < descriptor.size()) {
        const auto prefix = static_cast<unsigned char>(descriptor[at]);
        if (prefix == 0xFE) {  // a long item: its data size follows, then its tag
            if (at + 1 >= descriptor.size())
                break;
            at += 3 + static_cast<unsigned char>(descriptor[at + 1]);
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (at + 1 + size > descriptor.size())
            break;
        std::uint32_t data = 0;
        for (std::size_t i = 0; i < size; ++i)
            data |= std::uint32_t{static_cast<unsigned char>(descriptor[at + 1 + i])} << (8 * i);
        const unsigned type = (prefix >> 2) & 3;
        const unsigned tag = prefix >> 4;
        if (type == 0 && tag == 0xA)  // Collection: the top-level usage has been declared
            break;
        if (type == 1 && tag == 0 && !found.usagePage)
            found.usagePage = static_cast<std::uint16_t>(data);
        if (type == 2 && tag == 0 && !found.usage)
            found.usage = static_cast<std::uint16_t>(data);
        at += 1 + size;
    }
    return found;
}

std::vector<HidrawNode> FindHidrawNodes(
    const SystemRoots& roots, std::uint16_t vendor, std::uint16_t product, const NodeOpener& open)
{
    std::vector<HidrawNode> nodes;
    std::error_code error;
    const fs::path classFolder = fs::path(roots.sys) / "class" / "hidraw";
    for (const fs::directory_entry& entry : fs::directory_iterator(classFolder, error)) {
        const fs::path device = entry.path() / "device";
        unsigned nodeVendor = 0;
        unsigned nodeProduct = 0;
        if (!ParseHidId(UeventValue(ReadSmallFile(device / "uevent"), "HID_ID"), nodeVendor, nodeProduct)
            || nodeVendor != vendor || nodeProduct != product)
            continue;
        HidrawNode node;
        node.name = entry.path().filename().string();
        std::string devName = UeventValue(ReadSmallFile(entry.path() / "uevent"), "DEVNAME");
        if (devName.empty())
            devName = node.name;
        node.path = (fs::path(roots.dev) / devName).string();
        const fs::path hidDevice = fs::canonical(device, error);
        node.hidDevice = (error ? device : hidDevice).filename().string();
        const DescriptorUsage usage = FirstUsage(ReadSmallFile(device / "report_descriptor"));
        node.usagePage = usage.usagePage;
        node.usage = usage.usage;
        node.facts = ReadNodeFacts(node.path);
        node.openError = node.facts.exists ? open(node.path) : ENOENT;
        nodes.push_back(std::move(node));
    }
    // hidraw10 after hidraw9.
    std::sort(nodes.begin(), nodes.end(), [](const HidrawNode& a, const HidrawNode& b) {
        return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.name < b.name;
    });
    return nodes;
}

std::vector<std::string> FindUdevRules(
    const SystemRoots& roots, std::uint16_t vendor, std::uint16_t product, const std::string& preferredName)
{
    static const char* const kFolders[] = {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
        "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
    const std::string vendorText = Hex4(vendor);
    const std::string productText = Hex4(product);
    std::vector<std::string> found;
    std::set<fs::path> seen;  // /lib is /usr/lib on a merged system
    for (const char* folder : kFolders) {
        std::error_code error;
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(roots.root + folder, error))
            if (entry.path().extension() == ".rules")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end(), [&](const fs::path& a, const fs::path& b) {
            return (a.filename() == preferredName) > (b.filename() == preferredName)
                || ((a.filename() == preferredName) == (b.filename() == preferredName) && a < b);
        });
        for (const fs::path& file : files) {
            const fs::path real = fs::weakly_canonical(file, error);
            if (!seen.insert(error ? file : real).second)
                continue;
            const std::string text = Lowered(ReadSmallFile(file));
            if (file.filename() == preferredName
                || (text.find(vendorText) != std::string::npos && text.find(productText) != std::string::npos))
                found.push_back(std::string(folder) + "/" + file.filename().string());
        }
    }
    std::stable_sort(found.begin(), found.end(), [&](const std::string& a, const std::string& b) {
        return (fs::path(a).filename() == preferredName) > (fs::path(b).filename() == preferredName);
    });
    return found;
}

bool KeyboardNodeRefused(const std::vector<HidrawNode>& nodes)
{
    return std::any_of(nodes.begin(), nodes.end(),
        [](const HidrawNode& node) { return node.openError == EACCES || node.openError == EPERM; });
}

bool KeyboardPresentButRefused(const SystemRoots& roots, const NodeOpener& open)
{
    const char* emulator = std::getenv("TOLVEX_EMULATOR");
    if (emulator && *emulator)
        return false;
    return KeyboardNodeRefused(FindHidrawNodes(roots, TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, open));
}

}  // namespace tavrin::platform
