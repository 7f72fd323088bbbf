#include "ui/skin_failure.h"

#include <cstdio>
#include <cstdlib>

namespace tavrin::ui {
namespace {

// The one line a user sees: without it a missing picture would end the program without a word.
void EndProcessAtOnce(std::string_view reason)
{
    std::fprintf(stderr, "tavrin: %.*s\n", static_cast<int>(reason.size()), reason.data());
    std::fflush(nullptr);
    std::_Exit(0);
}

SkinFailureHandler& CurrentHandler()
{
    static SkinFailureHandler handler = EndProcessAtOnce;
    return handler;
}

}  // namespace

SkinFailureHandler SetSkinFailureHandler(SkinFailureHandler handler)
{
    SkinFailureHandler previous = std::move(CurrentHandler());
    CurrentHandler() = handler ? std::move(handler) : SkinFailureHandler(EndProcessAtOnce);
    return previous;
}

void EndForMissingSkin(std::string_view reason)
{
    CurrentHandler()(reason);
}

}  // namespace tavrin::ui
