#include "model/key_table.h"

#include <algorithm>

#include "model/language_texts.h"
#include "platform/private_profile.h"

namespace tavrin::model {
namespace {

struct NumberedRow {
    std::uint8_t index;
    KeyRow row;
};

// The rows that hold a key, in index order; every other row is empty.
// clang-format off
constexpr NumberedRow kRows[] = {
    {0x01, {37, "Esc", "IDS_KEYBOARD_ESC", 0x29}},
    {0x02, {26, "1", "IDS_KEYBOARD_1", 0x1E}},
    {0x03, {27, "2", "IDS_KEYBOARD_2", 0x1F}},
    {0x04, {28, "3", "IDS_KEYBOARD_3", 0x20}},
    {0x05, {29, "4", "IDS_KEYBOARD_4", 0x21}},
    {0x06, {30, "5", "IDS_KEYBOARD_5", 0x22}},
    {0x07, {31, "6", "IDS_KEYBOARD_6", 0x23}},
    {0x08, {32, "7", "IDS_KEYBOARD_7", 0x24}},
    {0x09, {33, "8", "IDS_KEYBOARD_8", 0x25}},
    {0x0A, {34, "9", "IDS_KEYBOARD_9", 0x26}},
    {0x0B, {35, "0", "IDS_KEYBOARD_0", 0x27}},
    {0x0C, {41, "-", "IDS_KEYBOARD_MINUS", 0x2D}},
    {0x0D, {42, "=", "IDS_KEYBOARD_EQU", 0x2E}},
    {0x0E, {38, "Backspace", "IDS_KEYBOARD_BS", 0x2A}},
    {0x0F, {39, "Tab", "IDS_KEYBOARD_TAB", 0x2B}},
    {0x10, {16, "Q", "IDS_KEYBOARD_Q", 0x14}},
    {0x11, {22, "W", "IDS_KEYBOARD_W", 0x1A}},
    {0x12, {4, "E", "IDS_KEYBOARD_E", 0x08}},
    {0x13, {17, "R", "IDS_KEYBOARD_R", 0x15}},
    {0x14, {19, "T", "IDS_KEYBOARD_T", 0x17}},
    {0x15, {24, "Y", "IDS_KEYBOARD_Y", 0x1C}},
    {0x16, {20, "U", "IDS_KEYBOARD_U", 0x18}},
    {0x17, {8, "I", "IDS_KEYBOARD_I", 0x0C}},
    {0x18, {14, "O", "IDS_KEYBOARD_O", 0x12}},
    {0x19, {15, "P", "IDS_KEYBOARD_P", 0x13}},
    {0x1A, {43, "[", "IDS_KEYBOARD_SB1", 0x2F}},
    {0x1B, {44, "]", "IDS_KEYBOARD_SB2", 0x30}},
    {0x1C, {36, "Enter", "IDS_KEYBOARD_ENTER", 0x28}},
    {0x1D, {125, "Ctrl", "IDS_KEYBOARD_LCTRL", 0xE0}},
    {0x1E, {0, "A", "IDS_KEYBOARD_A", 0x04}},
    {0x1F, {18, "S", "IDS_KEYBOARD_S", 0x16}},
    {0x20, {3, "D", "IDS_KEYBOARD_D", 0x07}},
    {0x21, {5, "F", "IDS_KEYBOARD_F", 0x09}},
    {0x22, {6, "G", "IDS_KEYBOARD_G", 0x0A}},
    {0x23, {7, "H", "IDS_KEYBOARD_H", 0x0B}},
    {0x24, {9, "J", "IDS_KEYBOARD_J", 0x0D}},
    {0x25, {10, "K", "IDS_KEYBOARD_K", 0x0E}},
    {0x26, {11, "L", "IDS_KEYBOARD_L", 0x0F}},
    {0x27, {46, ";", "IDS_KEYBOARD_SEM", 0x33}},
    {0x28, {47, "'", "IDS_KEYBOARD_QUOT", 0x34}},
    {0x29, {48, "`", "IDS_KEYBOARD_AID1", 0x35}},
    {0x2A, {126, "Shift", "IDS_KEYBOARD_LSHIFT", 0xE1}},
    {0x2B, {45, "\\", "IDS_KEYBOARD_AV", 0x31}},
    {0x2C, {25, "Z", "IDS_KEYBOARD_Z", 0x1D}},
    {0x2D, {23, "X", "IDS_KEYBOARD_X", 0x1B}},
    {0x2E, {2, "C", "IDS_KEYBOARD_C", 0x06}},
    {0x2F, {21, "V", "IDS_KEYBOARD_V", 0x19}},
    {0x30, {1, "B", "IDS_KEYBOARD_B", 0x05}},
    {0x31, {13, "N", "IDS_KEYBOARD_N", 0x11}},
    {0x32, {12, "M", "IDS_KEYBOARD_M", 0x10}},
    {0x33, {49, ",", "IDS_KEYBOARD_COMMA", 0x36}},
    {0x34, {50, ".", "IDS_KEYBOARD_PER", 0x37}},
    {0x35, {51, "/", "IDS_KEYBOARD_VIR", 0x38}},
    {0x36, {130, "Right Shift", "IDS_KEYBOARD_RSHIFT", 0xE5}},
    {0x37, {82, "Num *", "IDS_KEYBOARD_S_AST", 0x55}},
    {0x38, {127, "Alt", "IDS_KEYBOARD_LALT", 0xE2}},
    {0x39, {40, "Space", "IDS_KEYBOARD_SPACE", 0x2C}},
    {0x3A, {79, "Caps Lock", "IDS_KEYBOARD_CAPS", 0x39}},
    {0x3B, {52, "F1", "IDS_KEYBOARD_F1", 0x3A}},
    {0x3C, {53, "F2", "IDS_KEYBOARD_F2", 0x3B}},
    {0x3D, {54, "F3", "IDS_KEYBOARD_F3", 0x3C}},
    {0x3E, {55, "F4", "IDS_KEYBOARD_F4", 0x3D}},
    {0x3F, {56, "F5", "IDS_KEYBOARD_F5", 0x3E}},
    {0x40, {57, "F6", "IDS_KEYBOARD_F6", 0x3F}},
    {0x41, {58, "F7", "IDS_KEYBOARD_F7", 0x40}},
    {0x42, {59, "F8", "IDS_KEYBOARD_F8", 0x41}},
    {0x43, {60, "F9", "IDS_KEYBOARD_F9", 0x42}},
    {0x44, {61, "F10", "IDS_KEYBOARD_F10", 0x43}},
    {0x45, {66, "Pause", "IDS_KEYBOARD_PAUSE", 0x48}},
    {0x46, {78, "Scroll Lock", "IDS_KEYBOARD_SCROLL", 0x47}},
    {0x47, {92, "Num 7", "IDS_KEYBOARD_S_7", 0x5F}},
    {0x48, {93, "Num 8", "IDS_KEYBOARD_S_8", 0x60}},
    {0x49, {94, "Num 9", "IDS_KEYBOARD_S_9", 0x61}},
    {0x4A, {83, "Num -", "IDS_KEYBOARD_S_MINUS", 0x56}},
    {0x4B, {89, "Num 4", "IDS_KEYBOARD_S_4", 0x5C}},
    {0x4C, {90, "Num 5", "IDS_KEYBOARD_S_5", 0x5D}},
    {0x4D, {91, "Num 6", "IDS_KEYBOARD_S_6", 0x5E}},
    {0x4E, {84, "Num +", "IDS_KEYBOARD_S_PLUS", 0x57}},
    {0x4F, {86, "Num 1", "IDS_KEYBOARD_S_1", 0x59}},
    {0x50, {87, "Num 2", "IDS_KEYBOARD_S_2", 0x5A}},
    {0x51, {88, "Num 3", "IDS_KEYBOARD_S_3", 0x5B}},
    {0x52, {95, "Num 0", "IDS_KEYBOARD_S_0", 0x62}},
    {0x53, {96, "Num .", "IDS_KEYBOARD_S_DEL", 0x63}},
    {0x54, {65, "Sys Req", "IDS_KEYBOARD_SYSREQ", 0x00}},
    {0x56, {98, "K45", "IDS_KEYBOARD_K45", 0x64}},
    {0x57, {62, "F11", "IDS_KEYBOARD_F11", 0x44}},
    {0x58, {63, "F12", "IDS_KEYBOARD_F12", 0x45}},
    {0x64, {0x8012, "F13", "", 0x00}},
    {0x70, {103, "ROMA (133)", "IDS_KEYBOARD_ROMA", 0x88}},
    {0x71, {104, "KL", "IDS_KEYBOARD_KL", 0x91}},
    {0x72, {105, "KR", "IDS_KEYBOARD_KR", 0x90}},
    {0x73, {99, "K56", "IDS_KEYBOARD_K56", 0x87}},
    {0x79, {102, "CHG (132)", "IDS_KEYBOARD_CHG", 0x8A}},
    {0x7B, {101, "N-CHG (131)", "IDS_KEYBOARD_N_CHG", 0x8B}},
    {0x7D, {97, "K14", "IDS_KEYBOARD_K14", 0x89}},
    {0x7E, {100, "K107", "IDS_KEYBOARD_K107", 0x85}},
    {0x90, {112, "Prev Track", "IDS_KEYBOARD_PREV_TRACK", 0xD0}},
    {0x99, {113, "Next Track", "IDS_KEYBOARD_NEXT_TRACK", 0xD1}},
    {0x9C, {85, "Num Enter", "IDS_KEYBOARD_S_ENTER", 0x58}},
    {0x9D, {129, "Right Ctrl", "IDS_KEYBOARD_RCTRL", 0xE4}},
    {0xA0, {116, "Mute", "IDS_KEYBOARD_MUTE", 0xCD}},
    {0xA1, {107, "Calc", "IDS_KEYBOARD_CALC", 0xC4}},
    {0xA2, {110, "Play/Pause", "IDS_KEYBOARD_PLAY", 0xCE}},
    {0xA4, {111, "Stop Play", "IDS_KEYBOARD_STOP", 0xCF}},
    {0xAE, {115, "V-", "IDS_KEYBOARD_VOL_SUB", 0xC1}},
    {0xB0, {114, "V+", "IDS_KEYBOARD_VOL_ADD", 0xC0}},
    {0xB2, {117, "WWW Home", "IDS_KEYBOARD_W_HOME", 0xC7}},
    {0xB5, {81, "Num /", "IDS_KEYBOARD_S_VIR", 0x54}},
    {0xB6, {130, "Right Shift", "IDS_KEYBOARD_RSHIFT", 0xE5}},  // the E0-prefixed form; row 36 is found first
    {0xB7, {64, "Print Screen", "IDS_KEYBOARD_PRINT", 0x46}},
    {0xB8, {131, "Right Alt", "IDS_KEYBOARD_RALT", 0xE6}},
    {0xC5, {80, "Num Lock", "IDS_KEYBOARD_NUM", 0x53}},
    {0xC6, {67, "Break", "IDS_KEYBOARD_BREAK", 0x48}},
    {0xC7, {70, "Home", "IDS_KEYBOARD_HOME", 0x4A}},
    {0xC8, {74, "↑", "IDS_KEYBOARD_UP", 0x52}},
    {0xC9, {72, "Page Up", "IDS_KEYBOARD_PAGE_UP", 0x4B}},
    {0xCB, {76, "←", "IDS_KEYBOARD_LEFT", 0x50}},
    {0xCD, {77, "→", "IDS_KEYBOARD_RIGHT", 0x4F}},
    {0xCF, {71, "End", "IDS_KEYBOARD_END", 0x4D}},
    {0xD0, {75, "↓", "IDS_KEYBOARD_DOWN", 0x51}},
    {0xD1, {73, "Page Down", "IDS_KEYBOARD_PAGE_DOWN", 0x4E}},
    {0xD2, {68, "Insert", "IDS_KEYBOARD_INSERT", 0x49}},
    {0xD3, {69, "Delete", "IDS_KEYBOARD_DELETE", 0x4C}},
    {0xDB, {128, "Win", "IDS_KEYBOARD_LWIN", 0xE3}},
    {0xDC, {132, "Right Win", "IDS_KEYBOARD_RWIN", 0xE7}},
    {0xDD, {124, "App", "IDS_KEYBOARD_APP", 0x65}},
    {0xDE, {0x8001, "Power", "IDS_KEYBOARD_POWER", 0x81}},
    {0xDF, {0x8002, "Sleep", "IDS_KEYBOARD_SLEEP", 0x82}},
    {0xE1, {136, "Roll Up", "IDS_KEYBOARD_ROLL_UP", 0xF4}},
    {0xE2, {137, "Roll Down", "IDS_KEYBOARD_ROLL_DOWN", 0xF5}},
    {0xE3, {0x8003, "Wake", "IDS_KEYBOARD_WAKE", 0x83}},
    {0xE5, {123, "WWW Search", "IDS_KEYBOARD_W_SEARCH", 0xC6}},
    {0xE6, {122, "WWW Favorite", "IDS_KEYBOARD_W_FAVORITE", 0xCC}},
    {0xE7, {118, "WWW Refresh", "IDS_KEYBOARD_W_REFRESH", 0xCB}},
    {0xE8, {119, "WWW Stop", "IDS_KEYBOARD_W_STOP", 0xCA}},
    {0xE9, {121, "WWW Forward", "IDS_KEYBOARD_W_FORWARD", 0xC9}},
    {0xEA, {120, "WWW Back", "IDS_KEYBOARD_W_BACK", 0xC8}},
    {0xEB, {106, "My PC", "IDS_KEYBOARD_MY_PC", 0xC5}},
    {0xEC, {108, "Mail", "IDS_KEYBOARD_MAIL", 0xC3}},
    {0xED, {109, "Media Player", "IDS_KEYBOARD_MEDIA", 0xC2}},
    {0xEE, {0x8005, "Pan Left", "IDS_KEYBOARD_MOU_PANLEFT", 0x00}},
    {0xEF, {0x8006, "Pan Right", "IDS_KEYBOARD_MOU_PANRIGHT", 0x00}},
    {0xF0, {0x8004, "Double Click", "IDS_KEYBOARD_MOU_DBCLICK", 0x00}},
    {0xF1, {133, "Left Button", "IDS_KEYBOARD_MOU_LEFT", 0xF1}},
    {0xF2, {134, "Right Button", "IDS_KEYBOARD_MOU_RIGHT", 0xF2}},
    {0xF3, {135, "Middle Button", "IDS_KEYBOARD_MOU_MIDDLE", 0xF3}},
    {0xF4, {0x8007, "Zoom-", "IDS_KEYBOARD_FUNC_ZOOMOUT", 0xD2}},
    {0xF5, {0x8008, "Zoom+", "IDS_KEYBOARD_FUNC_ZOOMIN", 0xD3}},
    {0xF6, {0x8009, "Copy", "IDS_KEYBOARD_FUNC_COPY", 0x00}},
    {0xF7, {0x800A, "Cut", "IDS_KEYBOARD_FUNC_CUT", 0x00}},
    {0xF8, {0x800B, "Paste", "IDS_KEYBOARD_FUNC_PASTE", 0x00}},
    {0xF9, {0x800C, "Minimize", "IDS_KEYBOARD_FUNC_MINI", 0x00}},
    {0xFA, {0x800D, "Maximize", "IDS_KEYBOARD_FUNC_MAXI", 0x00}},
    {0xFB, {0x800E, "Word", "IDS_KEYBOARD_FUNC_WORD", 0xD4}},
    {0xFC, {0x800F, "Excel", "IDS_KEYBOARD_FUNC_EXCEL", 0xD5}},
    {0xFD, {0x8010, "PowerPoint", "IDS_KEYBOARD_FUNC_POWERPOINT", 0x00}},
    {0xFE, {0x8011, "Calendar", "IDS_KEYBOARD_FUNC_CALENDAR", 0x00}},
};
// clang-format on

constexpr bool RowsAreWellFormed()
{
    int previous = -1;
    for (const NumberedRow& numbered : kRows) {
        if (numbered.index <= previous)
            return false;
        previous = numbered.index;
        const std::string_view key = numbered.row.nameKey;
        if (!key.empty() && !key.starts_with("IDS_KEYBOARD_"))
            return false;
    }
    return true;
}
static_assert(RowsAreWellFormed(), "rows in ascending index order, name keys of the keyboard section");
static_assert(std::size(kRows) == kAssignableKeyCount + 1 + 18, "the list, the second Right Shift, 18 function rows");

constexpr std::array<KeyRow, kKeyTableRows> kKeyTable = [] {
    std::array<KeyRow, kKeyTableRows> table{};
    for (const NumberedRow& numbered : kRows)
        table[numbered.index] = numbered.row;
    return table;
}();

const KeyRow kEmptyRow{};

// Device code 0xC0 + n stands for entry n. The list has room for 32 entries; the rest hold 0.
constexpr std::array<std::uint16_t, 32> kConsumerUsages = {
    0x0E9,
    0x0EA,
    0x183,
    0x18A,
    0x192,
    0x194,
    0x221,
    0x223,
    0x224,
    0x225,
    0x226,
    0x227,
    0x22A,
    0x0E2,
    0x0CD,
    0x0B7,
    0x0B6,
    0x0B5,
};

constexpr std::uint8_t kFirstConsumerDeviceCode = 0xC0;

struct ModifierKey {
    std::uint8_t bit;
    KeyCode code;
};
constexpr ModifierKey kModifierKeys[] = {
    {0x01, 0x01D},
    {0x02, 0x02A},
    {0x04, 0x038},
    {0x08, 0x15B},
    {0x10, 0x11D},
    {0x20, 0x036},
    {0x40, 0x138},
    {0x80, 0x15C},
};

// Windows virtual-key code → key index; every code not listed gives no key.
struct VirtualKeyPair {
    std::uint8_t virtualKey;
    std::uint8_t index;
};
// clang-format off
constexpr VirtualKeyPair kVirtualKeyPairs[] = {
    {0x03, 0xC6}, {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x13, 0x45},
    {0x14, 0x3A}, {0x1B, 0x01}, {0x20, 0x39}, {0x21, 0xC9}, {0x22, 0xD1}, {0x23, 0xCF}, {0x24, 0xC7}, {0x25, 0xCB},
    {0x26, 0xC8}, {0x27, 0xCD}, {0x28, 0xD0}, {0x2C, 0xB7}, {0x2D, 0xD2}, {0x2E, 0xD3}, {0x30, 0x0B}, {0x31, 0x02},
    {0x32, 0x03}, {0x33, 0x04}, {0x34, 0x05}, {0x35, 0x06}, {0x36, 0x07}, {0x37, 0x08}, {0x38, 0x09}, {0x39, 0x0A},
    {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E}, {0x44, 0x20}, {0x45, 0x12}, {0x46, 0x21}, {0x47, 0x22}, {0x48, 0x23},
    {0x49, 0x17}, {0x4A, 0x24}, {0x4B, 0x25}, {0x4C, 0x26}, {0x4D, 0x32}, {0x4E, 0x31}, {0x4F, 0x18}, {0x50, 0x19},
    {0x51, 0x10}, {0x52, 0x13}, {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16}, {0x56, 0x2F}, {0x57, 0x11}, {0x58, 0x2D},
    {0x59, 0x15}, {0x5A, 0x2C}, {0x5B, 0xDB}, {0x5C, 0xDC}, {0x5D, 0xDD}, {0x5F, 0xDF}, {0x60, 0x52}, {0x61, 0x4F},
    {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49},
    {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0xB5}, {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D},
    {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40}, {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57},
    {0x7B, 0x58}, {0x7C, 0x64}, {0x90, 0xC5}, {0x91, 0x46}, {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x9D},
    {0xA4, 0x38}, {0xA5, 0xB8}, {0xA6, 0xEA}, {0xA7, 0xE9}, {0xA8, 0xE7}, {0xA9, 0xE8}, {0xAA, 0xE5}, {0xAB, 0xE6},
    {0xAC, 0xB2}, {0xAD, 0xA0}, {0xAE, 0xAE}, {0xAF, 0xB0}, {0xB0, 0x99}, {0xB1, 0x90}, {0xB2, 0xA4}, {0xB3, 0xA2},
    {0xB4, 0xEC}, {0xB5, 0xED}, {0xB6, 0xEB}, {0xB7, 0xA1}, {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C},
    {0xBE, 0x34}, {0xBF, 0x35}, {0xC0, 0x29}, {0xC1, 0x73}, {0xC2, 0x7E}, {0xD1, 0xE1}, {0xD2, 0xE2}, {0xDB, 0x1A},
    {0xDC, 0x2B}, {0xDD, 0x1B}, {0xDE, 0x28}, {0xE2, 0x56}, {0xE9, 0x71}, {0xEB, 0x7B},
};
// clang-format on

constexpr std::array<std::uint8_t, 256> kVirtualKeyMap = [] {
    std::array<std::uint8_t, 256> map{};
    for (const VirtualKeyPair& pair : kVirtualKeyPairs)
        map[pair.virtualKey] = pair.index;
    return map;
}();

// An event for a key without a virtual-key code of its own.
constexpr std::uint8_t kNoVirtualKey = 0xFF;

constexpr KeyCode kReleaseOnlyKeys[] = {0x054, 0x071, 0x072, 0x137};

// The key buttons in the button order.
constexpr std::array<KeyButton, kKeyButtonCount> kKeyButtons = {{
    {1058, 0x01E}, {1075, 0x030}, {1073, 0x02E}, {1060, 0x020}, {1046, 0x012}, {1061, 0x021},  // A-F
    {1062, 0x022}, {1063, 0x023}, {1051, 0x017}, {1064, 0x024}, {1065, 0x025}, {1066, 0x026},  // G-L
    {1077, 0x032}, {1076, 0x031}, {1052, 0x018}, {1053, 0x019}, {1044, 0x010}, {1047, 0x013},  // M-R
    {1059, 0x01F}, {1048, 0x014}, {1050, 0x016}, {1074, 0x02F}, {1045, 0x011}, {1072, 0x02D},  // S-X
    {1049, 0x015}, {1071, 0x02C},                                                              // Y, Z
    {1030, 0x002}, {1031, 0x003}, {1032, 0x004}, {1033, 0x005}, {1034, 0x006}, {1035, 0x007},  // 1-6
    {1036, 0x008}, {1037, 0x009}, {1038, 0x00A}, {1039, 0x00B},                                // 7-9, 0
    {1070, 0x01C}, {1022, 0x001}, {1043, 0x00E}, {1056, 0x00F}, {1090, 0x039},                 // Enter-Space
    {1040, 0x00C}, {1041, 0x00D}, {1054, 0x01A}, {1055, 0x01B}, {1042, 0x02B}, {1067, 0x027},  // - = [ ] \ ;
    {1068, 0x028}, {1029, 0x029}, {1078, 0x033}, {1079, 0x034}, {1080, 0x035},                 // ' ` , . /
    {1010, 0x03B}, {1011, 0x03C}, {1012, 0x03D}, {1013, 0x03E}, {1014, 0x03F}, {1015, 0x040},  // F1-F6
    {1023, 0x041}, {1024, 0x042}, {1025, 0x043}, {1026, 0x044}, {1027, 0x057}, {1028, 0x058},  // F7-F12
    {1091, 0x137}, {1093, 0x045}, {1094, 0x152}, {1097, 0x153}, {1095, 0x147}, {1098, 0x14F},  // Print-End
    {1096, 0x149}, {1099, 0x151}, {1103, 0x148}, {1101, 0x150}, {1100, 0x14B}, {1102, 0x14D},  // Page Up-→
    {1092, 0x046}, {1069, 0x03A},                                                              // Scroll, Caps
    {1088, 0x15D}, {1083, 0x01D}, {1089, 0x11D}, {1082, 0x02A}, {1081, 0x036}, {1085, 0x038},  // App-Alt
    {1086, 0x138}, {1084, 0x15B}, {1087, 0x15C},                                               // Right Alt-Right Win
    {1115, 0x04F}, {1116, 0x050}, {1117, 0x051}, {1112, 0x04B}, {1113, 0x04C}, {1114, 0x04D},  // Num 1-6
    {1108, 0x047}, {1109, 0x048}, {1110, 0x049}, {1120, 0x052},                                // Num 7-9, 0
    {1104, 0x145}, {1118, 0x11C}, {1119, 0x053}, {1105, 0x135}, {1106, 0x037}, {1107, 0x04A},  // Num Lock-Num -
    {1111, 0x04E},                                                                             // Num +
}};

constexpr std::array<int, kGKeyCount> kGButtonIds = {1000, 1001, 1002, 1003, 1004, 1140, 1141, 1142, 1143};

// The row that holds `position`, the first in index order.
std::optional<KeyIndex> RowOfListPosition(std::uint16_t position)
{
    for (std::size_t index = 0; index < kKeyTableRows; ++index)
        if (kKeyTable[index].listPosition == position)
            return static_cast<KeyIndex>(index);
    return std::nullopt;
}

}  // namespace

KeyIndex IndexFromCode(KeyCode code)
{
    if (code < 0x100)
        return code;
    if (code < 0x200)
        return static_cast<KeyIndex>((code - 0x80) & 0xFF);
    return static_cast<KeyIndex>(code - 0x100);
}

KeyCode CodeFromIndex(KeyIndex index)
{
    return index < 0x80 ? index : static_cast<KeyCode>(index + 0x80);
}

const KeyRow& KeyTableRow(KeyIndex index)
{
    return index < kKeyTableRows ? kKeyTable[index] : kEmptyRow;
}

std::uint16_t ListPositionOfCode(KeyCode code)
{
    return KeyTableRow(IndexFromCode(code)).listPosition;
}

KeyCode CodeFromListPosition(std::uint16_t position)
{
    const auto row = RowOfListPosition(position);
    return row ? CodeFromIndex(*row) : kNoKey;
}

std::uint16_t ConsumerUsage(std::size_t entry)
{
    return entry < kConsumerUsages.size() ? kConsumerUsages[entry] : 0;
}

Usage UsageOfKeyCode(KeyCode code)
{
    const std::uint8_t device = KeyTableRow(IndexFromCode(code)).deviceCode;
    if (device == 0x00 || device == 0xFF)
        return {0, 0};
    if (device >= 0x81 && device <= 0x83)
        return {1, device};
    if (device >= 0xF1 && device <= 0xF8)
        return {2, device};
    return {7, device};
}

KeyCode KeyCodeOfUsage(std::uint16_t page, std::uint16_t usage)
{
    std::uint16_t device = 0;
    if (page == 7) {
        device = usage;
    } else if (page == 1) {
        device = usage >= 0x81 && usage <= 0x83 ? usage : 0;
    } else if (page == 12) {
        // Only the filled entries count: the free ones hold 0, and usage 0 names no consumer key.
        const auto filled = kConsumerUsages.begin() + kConsumerUsageCount;
        const auto entry = std::find(kConsumerUsages.begin(), filled, usage);
        if (entry == filled)
            return kNoKey;
        device = static_cast<std::uint16_t>(kFirstConsumerDeviceCode + (entry - kConsumerUsages.begin()));
    }
    for (std::size_t index = 0; index < kKeyTableRows; ++index)
        if (kKeyTable[index].deviceCode == device)
            return CodeFromIndex(static_cast<KeyIndex>(index));
    return kNoKey;
}

KeyCode ModifierKeyCode(std::uint8_t bits)
{
    for (const ModifierKey& modifier : kModifierKeys)
        if (bits & modifier.bit)
            return modifier.code;
    return kNoKey;
}

std::uint8_t ModifierBitOfKey(KeyCode code)
{
    for (const ModifierKey& modifier : kModifierKeys)
        if (modifier.code == code)
            return modifier.bit;
    return 0;
}

std::string DisplayedName(KeyCode code, LanguageTexts& texts, std::size_t units)
{
    const KeyRow& row = KeyTableRow(IndexFromCode(code));
    std::string name;
    if (!row.nameKey.empty())
        name = texts.Text(row.nameKey);
    if (name.empty()) {
        const std::string format = texts.Text("IDS_KEYBOARD_UNKNOWN");
        name = FormatNumber(format, code).value_or(format);
    }
    return platform::CutToUtf16Units(name, units > 0 ? units - 1 : 0);
}

std::string NameAtListPosition(std::uint16_t position, LanguageTexts& texts)
{
    const auto row = RowOfListPosition(position);
    if (!row || kKeyTable[*row].nameKey.empty())
        return {};
    return texts.Text(kKeyTable[*row].nameKey);
}

KeyCode KeyCodeOfKeyEvent(std::uint8_t virtualKey, std::uint32_t packed)
{
    const std::uint8_t scanCode = static_cast<std::uint8_t>(packed >> 16);
    const bool extended = (packed >> 24) & 1;
    KeyCode code = kNoKey;
    if (scanCode != 0)
        code = static_cast<KeyCode>(scanCode + (extended ? 0x100 : 0));
    else if (virtualKey != kNoVirtualKey && kVirtualKeyMap[virtualKey] != 0)
        code = CodeFromIndex(kVirtualKeyMap[virtualKey]);
    // Alt+Print Screen reports Sys Req's code, keypad keys can come with a fake E0 Shift, and
    // Ctrl+Pause reports the E0 form of Scroll Lock.
    switch (code) {
    case 0x054:
        return 0x137;
    case 0x136:
        return 0x036;
    case 0x146:
        return 0x045;
    default:
        return code;
    }
}

KeyIndex VirtualKeyIndex(std::uint8_t virtualKey)
{
    return kVirtualKeyMap[virtualKey];
}

bool IsReleaseOnlyKey(KeyCode code)
{
    return std::find(std::begin(kReleaseOnlyKeys), std::end(kReleaseOnlyKeys), code) != std::end(kReleaseOnlyKeys);
}

KeyCode KeyCodeOfMouseMessage(MouseMessage message)
{
    switch (message) {
    case MouseMessage::LeftDown:
    case MouseMessage::LeftUp:
        return kMouseLeft;
    case MouseMessage::RightDown:
    case MouseMessage::RightUp:
        return kMouseRight;
    case MouseMessage::MiddleDown:
    case MouseMessage::MiddleUp:
        return kMouseMiddle;
    default:
        return kNoKey;
    }
}

bool IsButtonRelease(MouseMessage message)
{
    return message == MouseMessage::LeftUp || message == MouseMessage::RightUp || message == MouseMessage::MiddleUp;
}

const std::array<KeyButton, kKeyButtonCount>& KeyButtonsInOrder()
{
    return kKeyButtons;
}

std::optional<KeyCode> KeyCodeOfButton(int controlId)
{
    for (const KeyButton& button : kKeyButtons)
        if (button.controlId == controlId)
            return button.code;
    return std::nullopt;
}

std::optional<int> GButtonId(int gIndex)
{
    if (gIndex < 0 || gIndex >= static_cast<int>(kGKeyCount))
        return std::nullopt;
    return kGButtonIds[static_cast<std::size_t>(gIndex)];
}

std::optional<int> GIndexOfButton(int controlId)
{
    for (std::size_t g = 0; g < kGButtonIds.size(); ++g)
        if (kGButtonIds[g] == controlId)
            return static_cast<int>(g);
    return std::nullopt;
}

std::uint16_t GCode(int gIndex, int bank)
{
    if (gIndex < 0 || gIndex >= static_cast<int>(kGKeyCount) || bank < 0 || bank > 1)
        return 0;
    return static_cast<std::uint16_t>((bank == 0 ? 0x0301 : 0x1301) + gIndex);
}

}  // namespace tavrin::model
