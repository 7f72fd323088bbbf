// The user's colour layout files and tavrinctl's KEY=RRGGBB lines come from disk and from users:
// any text must parse without a crash, every colour read must be a colour, and a layout written
// into any file must read back as written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/lighting_options.h"
#include "lighting/user_colour_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavrin;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (const auto lines = cli::ParseKeyColourLines(text, error))
        for (const cli::KeyColourLine& line : *lines)
            if (line.colour > 0xFFFFFF || !lighting::PaintableLedOf(line.controlId))
                std::abort();
    if (const auto entry = lighting::ParseKeyEntry(text, 7); entry && entry->colour > 0xFFFFFF)
        std::abort();

    static const std::string prefix = [] {
        static char folder[] = "/tmp/fuzz-colours-XXXXXX";
        if (!::mkdtemp(folder))
            std::abort();
        std::atexit([] { std::filesystem::remove_all(folder); });
        return std::string(folder) + "/u_";
    }();
    const lighting::UserColourFile files(prefix);
    std::ofstream(files.PathOf(0), std::ios::binary) << text;
    for (const lighting::KeyEntry& entry : files.ReadLayoutEntries(0, 3))
        if (entry.colour > 0xFFFFFF)
            std::abort();
    files.ReadLayoutColours(0, 3);
    const lighting::KeyEntry written{42, 0x123456, true};
    if (files.WriteKeyEntries(0, 5, std::span(&written, 1)) && files.ReadKeyEntry(0, 5, 42) != written)
        std::abort();
    return 0;
}
