#include "support/attached_link.h"

#include <cstdlib>

namespace tavrin::testing {

std::string AttachedLink::Attach(const std::vector<std::string>& emulatorOptions)
{
    if (!emulator_.Start(emulatorOptions))
        return "tolvex-emu did not start";
    ::setenv("TOLVEX_EMULATOR", emulator_.SocketPath().c_str(), 1);
    std::string failure;
    keyboard_ = profiles::KeyboardContext::Bind(BinaryFolder(), messages_, failure);
    if (!keyboard_)
        return "libTolvex.so did not bind: " + failure;
    // The program's own callback carries the replies, as it does at start-up.
    keyboard_->RegisterDeviceReads();
    return {};
}

AttachedLink::~AttachedLink()
{
    // Ends the library first, joining its threads, before the context they call goes away.
    if (keyboard_)
        keyboard_->Session().Service().End();
    keyboard_.reset();
    ::unsetenv("TOLVEX_EMULATOR");
}

}  // namespace tavrin::testing
