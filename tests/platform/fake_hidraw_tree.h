// A fake system tree laid out as the kernel and udev lay it out: sysfs's hidraw class with each
// node's HID device (uevent with HID_ID, report descriptor), device files in dev/, and udev rules
// folders. Device files are plain files with the node's mode; which ones refuse to open is said by
// the test, since a test that runs as root could open any file.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/hidraw_access.h"
#include "support/temporary_folder.h"

namespace tavrin::testing {

class FakeHidrawTree {
public:
    // The first items of the keyboard's control and media keys interfaces' report descriptors.
    static inline const std::string kControlDescriptor = std::string("\x06\x1c\xff\x09\x92\xa1\x01", 7);
    static inline const std::string kConsumerDescriptor = std::string("\x05\x0c\x09\x01\xa1\x01", 6);

    FakeHidrawTree()
    {
        roots_.sys = folder_.File("sys");
        roots_.dev = folder_.File("dev");
        roots_.root = folder_.Path().string();
        std::filesystem::create_directories(roots_.sys + "/class/hidraw");
        std::filesystem::create_directories(roots_.dev);
    }

    const platform::SystemRoots& Roots() const { return roots_; }

    // hidrawN of a HID device of this vendor and product, with a device file of `mode` when
    // `deviceFile` is true.
    void AddNode(int number, unsigned vendor, unsigned product, const std::string& descriptor, bool deviceFile = true,
        unsigned mode = 0600)
    {
        namespace fs = std::filesystem;
        char hidName[32];
        std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", vendor, product, number);
        char hidId[32];
        std::snprintf(hidId, sizeof hidId, "0003:%08X:%08X", vendor, product);
        const std::string name = "hidraw" + std::to_string(number);
        const std::string device = "devices/pci0000:00/usb1/1-1/1-1:1." + std::to_string(number) + "/" + hidName;
        WriteFile(
            "sys/" + device + "/uevent", std::string("DRIVER=hid-generic\nHID_ID=") + hidId + "\nHID_NAME=Keyboard\n");
        WriteFile("sys/" + device + "/report_descriptor", descriptor);
        const std::string nodeFolder = "sys/" + device + "/hidraw/" + name;
        WriteFile(nodeFolder + "/uevent", "MAJOR=241\nMINOR=" + std::to_string(number) + "\nDEVNAME=" + name + "\n");
        fs::create_symlink(std::string("../../../") + hidName, folder_.File(nodeFolder + "/device"));
        fs::create_symlink("../../" + device + "/hidraw/" + name, roots_.sys + "/class/hidraw/" + name);
        if (deviceFile) {
            WriteFile("dev/" + name, "");
            ::chmod(folder_.File("dev/" + name).c_str(), mode);
        }
    }

    // Opening hidrawN fails with EACCES.
    void Refuse(int number) { refused_.insert(roots_.dev + "/hidraw" + std::to_string(number)); }

    platform::NodeOpener Opener() const
    {
        return [refused = refused_](const std::string& path) { return refused.count(path) ? EACCES : 0; };
    }

    void WriteFile(const std::string& relative, const std::string& bytes)
    {
        const std::filesystem::path path = folder_.Path() / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // `relative` becomes a link to `target` (both under the tree).
    void Link(const std::string& relative, const std::string& target)
    {
        std::filesystem::create_directory_symlink(folder_.Path() / target, folder_.Path() / relative);
    }

private:
    TemporaryFolder folder_;
    platform::SystemRoots roots_;
    std::set<std::string> refused_;
};

}  // namespace tavrin::testing
