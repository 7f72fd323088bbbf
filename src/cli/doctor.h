// `tavrinctl doctor`: explains in plain words whether the keyboard can be used and, if not, why:
// the service library, the emulator's selection, the keyboard's hidraw nodes and their
// permissions, the udev rule, and what the keyboard offers when it answers.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/hidraw_access.h"

namespace tavrin::cli {

inline constexpr int kDoctorUsable = 0;
inline constexpr int kDoctorUnusable = 1;  // absent, the library does not load, or no answer
inline constexpr int kDoctorRefused = 3;   // plugged in, but its device files refuse this user

// The rule file the package installs, looked for first.
inline constexpr const char* kUdevRuleName = "70-tavrin.rules";

// Everything the doctor looks at, so that tests give it a fake system.
struct DoctorSetup {
    std::string libraryFolder;
    std::string emulator;  // TOLVEX_EMULATOR's value; empty: the keyboard itself
    platform::SystemRoots roots;
    platform::Identity identity;
    platform::NodeOpener open;
    // Loads the service library from the folder: empty when it loads, else why not.
    std::function<std::string(const std::string& folder)> loadLibrary;
    // Connects to the keyboard (or the emulator) and prints what it offers: empty on success, else
    // what failed.
    std::function<std::string(std::ostream& out)> useKeyboard;
};

// The real system: the tool's folder, the environment, /sys, /dev, this process's user.
DoctorSetup SystemDoctorSetup(const std::string& libraryFolder);

// Writes the explanation to `out`; returns kDoctorUsable, kDoctorUnusable or kDoctorRefused.
int RunDoctor(const DoctorSetup& setup, std::ostream& out);

// `tavrinctl doctor` (no arguments): the real system, told on standard output.
int DoctorCommand(const std::vector<std::string>& arguments);

}  // namespace tavrin::cli
