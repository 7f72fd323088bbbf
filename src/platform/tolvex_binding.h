// Binds libTolvex.so the way the program starts: dlopen from a folder, resolve all twelve
// exports, Init(0). Each failure is told apart, so that start-up can end silently on any of them.
#pragma once

#include <memory>
#include <string>

#include "device/device_service.h"

namespace tavrin::platform {

enum class BindResult {
    Bound,
    MissingLibrary,  // no file, or it would not load
    MissingExport,   // one of the twelve exports is absent
    InitFailed,      // Init returned 0 or less
};

struct TolvexBinding {
    BindResult result = BindResult::MissingLibrary;
    std::string detail;  // the path or export that failed, for diagnostics
    std::unique_ptr<device::DeviceService> service;
};

inline constexpr const char* kTolvexLibraryName = "libTolvex.so";

// Loads `folder`/libTolvex.so. The library stays loaded for the rest of the process: its threads
// may still be inside our callbacks when the service object goes away.
TolvexBinding BindTolvexLibrary(const std::string& folder);

}  // namespace tavrin::platform
