#include "state_file.h"

#include <gtest/gtest.h>

namespace tolvex::emu {
namespace {

KeyboardMemory ChangedMemory()
{
    KeyboardMemory memory = FactoryMemory();
    SetMacroUnits(memory, 2);
    memory.macros[0] = 0xAA;
    memory.macros[255] = 0x55;
    memory.settings[2] = 1;
    memory.keymaps[2][377] = 0x7F;
    memory.colours[3][511] = 0xC0;
    memory.bankStatus[1] = 0x03;
    return memory;
}

TEST(StateFile, RoundTripsEveryArea)
{
    const KeyboardMemory memory = ChangedMemory();
    std::string error;
    const auto decoded = DecodeState(EncodeState(memory), error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(*decoded, memory);
}

TEST(StateFile, RejectsCorruptTextWhole)
{
    const std::string good = EncodeState(ChangedMemory());
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"cut short", good.substr(0, good.size() / 2)},
        {"trailing text", good + "x"},
        {"odd hex digit", replace("\"bank_status\": \"0503\"", "\"bank_status\": \"05g3\"")},
        {"area too short", replace("\"bank_status\": \"0503\"", "\"bank_status\": \"05\"")},
        {"missing field", replace("\"bank_status\"", "\"bank_state\"")},
        {"two key maps", replace("\"keymaps\": [", "\"keymaps\": [\"00\", ")},
        {"number instead of string", replace("\"bank_status\": \"0503\"", "\"bank_status\": 503")},
        {"escape in a string", replace("\"bank_status\": \"0503\"", "\"bank_status\": \"05\\\"03\"")},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        std::string error;
        EXPECT_FALSE(DecodeState(item.text, error).has_value());
        EXPECT_FALSE(error.empty());
    }
}

TEST(StateFile, MacroAreaMustMatchTheCapacityInTheIdentityBlock)
{
    KeyboardMemory memory = ChangedMemory();
    memory.info[11] = 3;  // says 384 bytes, holds 256
    std::string error;
    EXPECT_FALSE(DecodeState(EncodeState(memory), error).has_value());
    EXPECT_NE(error.find("macros"), std::string::npos);
}

}  // namespace
}  // namespace tolvex::emu
