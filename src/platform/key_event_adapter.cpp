#include "platform/key_event_adapter.h"

#include <array>

namespace tavrin::platform {
namespace {

// Windows virtual-key codes.
enum : std::uint8_t {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CANCEL = 0x03,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_KANA = 0x15,  // also VK_HANGUL
    VK_HANJA = 0x19,
    VK_CONVERT = 0x1C,
    VK_NONCONVERT = 0x1D,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_SLEEP = 0x5F,
    VK_NUMPAD0 = 0x60,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_RMENU = 0xA5,
    VK_BROWSER_BACK = 0xA6,
    VK_BROWSER_FORWARD = 0xA7,
    VK_BROWSER_REFRESH = 0xA8,
    VK_BROWSER_STOP = 0xA9,
    VK_BROWSER_SEARCH = 0xAA,
    VK_BROWSER_FAVORITES = 0xAB,
    VK_BROWSER_HOME = 0xAC,
    VK_VOLUME_MUTE = 0xAD,
    VK_VOLUME_DOWN = 0xAE,
    VK_VOLUME_UP = 0xAF,
    VK_MEDIA_NEXT_TRACK = 0xB0,
    VK_MEDIA_PREV_TRACK = 0xB1,
    VK_MEDIA_STOP = 0xB2,
    VK_MEDIA_PLAY_PAUSE = 0xB3,
    VK_LAUNCH_MAIL = 0xB4,
    VK_LAUNCH_MEDIA_SELECT = 0xB5,
    VK_LAUNCH_APP1 = 0xB6,  // My Computer
    VK_LAUNCH_APP2 = 0xB7,  // Calculator
    VK_OEM_1 = 0xBA,        // ;
    VK_OEM_PLUS = 0xBB,     // =
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,  // /
    VK_OEM_3 = 0xC0,  // `
    VK_ABNT_C1 = 0xC1,
    VK_ABNT_C2 = 0xC2,
    VK_OEM_4 = 0xDB,  // [
    VK_OEM_5 = 0xDC,  // backslash, and the Yen key of Japanese layouts
    VK_OEM_6 = 0xDD,  // ]
    VK_OEM_7 = 0xDE,  // '
    VK_OEM_102 = 0xE2,
};

struct EvdevKey {
    std::uint16_t evdev;
    ScanCode scan;
};

constexpr ScanCode Plain(std::uint8_t code, std::uint8_t virtualKey)
{
    return {code, false, virtualKey};
}
constexpr ScanCode E0(std::uint8_t code, std::uint8_t virtualKey = kNoVirtualKey)
{
    return {code, true, virtualKey};
}

// Every key of a PC keyboard that Linux reports, with its set 1 make code and the virtual key a
// keystroke message carries for it (the generic Shift, Ctrl and Alt, and the keypad's Num Lock
// form, as a Windows message does). Where two evdev codes stand for one key (Print and SysRq, Menu
// and Compose, the AL and atkbd codes of My Computer and Media), both are listed.
// clang-format off
constexpr EvdevKey kEvdevKeys[] = {
    {1, Plain(0x01, VK_ESCAPE)},
    {2, Plain(0x02, '1')}, {3, Plain(0x03, '2')}, {4, Plain(0x04, '3')}, {5, Plain(0x05, '4')},
    {6, Plain(0x06, '5')}, {7, Plain(0x07, '6')}, {8, Plain(0x08, '7')}, {9, Plain(0x09, '8')},
    {10, Plain(0x0A, '9')}, {11, Plain(0x0B, '0')},
    {12, Plain(0x0C, VK_OEM_MINUS)}, {13, Plain(0x0D, VK_OEM_PLUS)},
    {14, Plain(0x0E, VK_BACK)}, {15, Plain(0x0F, VK_TAB)},
    {16, Plain(0x10, 'Q')}, {17, Plain(0x11, 'W')}, {18, Plain(0x12, 'E')}, {19, Plain(0x13, 'R')},
    {20, Plain(0x14, 'T')}, {21, Plain(0x15, 'Y')}, {22, Plain(0x16, 'U')}, {23, Plain(0x17, 'I')},
    {24, Plain(0x18, 'O')}, {25, Plain(0x19, 'P')},
    {26, Plain(0x1A, VK_OEM_4)}, {27, Plain(0x1B, VK_OEM_6)}, {28, Plain(0x1C, VK_RETURN)},
    {29, Plain(0x1D, VK_CONTROL)},
    {30, Plain(0x1E, 'A')}, {31, Plain(0x1F, 'S')}, {32, Plain(0x20, 'D')}, {33, Plain(0x21, 'F')},
    {34, Plain(0x22, 'G')}, {35, Plain(0x23, 'H')}, {36, Plain(0x24, 'J')}, {37, Plain(0x25, 'K')},
    {38, Plain(0x26, 'L')},
    {39, Plain(0x27, VK_OEM_1)}, {40, Plain(0x28, VK_OEM_7)}, {41, Plain(0x29, VK_OEM_3)},
    {42, Plain(0x2A, VK_SHIFT)}, {43, Plain(0x2B, VK_OEM_5)},
    {44, Plain(0x2C, 'Z')}, {45, Plain(0x2D, 'X')}, {46, Plain(0x2E, 'C')}, {47, Plain(0x2F, 'V')},
    {48, Plain(0x30, 'B')}, {49, Plain(0x31, 'N')}, {50, Plain(0x32, 'M')},
    {51, Plain(0x33, VK_OEM_COMMA)}, {52, Plain(0x34, VK_OEM_PERIOD)}, {53, Plain(0x35, VK_OEM_2)},
    {54, Plain(0x36, VK_SHIFT)}, {55, Plain(0x37, VK_MULTIPLY)}, {56, Plain(0x38, VK_MENU)},
    {57, Plain(0x39, VK_SPACE)}, {58, Plain(0x3A, VK_CAPITAL)},
    {59, Plain(0x3B, VK_F1 + 0)}, {60, Plain(0x3C, VK_F1 + 1)}, {61, Plain(0x3D, VK_F1 + 2)},
    {62, Plain(0x3E, VK_F1 + 3)}, {63, Plain(0x3F, VK_F1 + 4)}, {64, Plain(0x40, VK_F1 + 5)},
    {65, Plain(0x41, VK_F1 + 6)}, {66, Plain(0x42, VK_F1 + 7)}, {67, Plain(0x43, VK_F1 + 8)},
    {68, Plain(0x44, VK_F1 + 9)},
    {69, E0(0x45, VK_NUMLOCK)},  // Num Lock takes the E0 form; the plain code is Pause
    {70, Plain(0x46, VK_SCROLL)},
    {71, Plain(0x47, VK_NUMPAD0 + 7)}, {72, Plain(0x48, VK_NUMPAD0 + 8)}, {73, Plain(0x49, VK_NUMPAD0 + 9)},
    {74, Plain(0x4A, VK_SUBTRACT)},
    {75, Plain(0x4B, VK_NUMPAD0 + 4)}, {76, Plain(0x4C, VK_NUMPAD0 + 5)}, {77, Plain(0x4D, VK_NUMPAD0 + 6)},
    {78, Plain(0x4E, VK_ADD)},
    {79, Plain(0x4F, VK_NUMPAD0 + 1)}, {80, Plain(0x50, VK_NUMPAD0 + 2)}, {81, Plain(0x51, VK_NUMPAD0 + 3)},
    {82, Plain(0x52, VK_NUMPAD0 + 0)}, {83, Plain(0x53, VK_DECIMAL)},
    {86, Plain(0x56, VK_OEM_102)},         // KEY_102ND, the ISO key beside left Shift
    {87, Plain(0x57, VK_F1 + 10)}, {88, Plain(0x58, VK_F1 + 11)},
    {89, Plain(0x73, VK_ABNT_C1)},         // KEY_RO
    {92, Plain(0x79, VK_CONVERT)},         // KEY_HENKAN
    {93, Plain(0x70, VK_KANA)},            // KEY_KATAKANAHIRAGANA
    {94, Plain(0x7B, VK_NONCONVERT)},      // KEY_MUHENKAN
    {96, E0(0x1C, VK_RETURN)},             // keypad Enter
    {97, E0(0x1D, VK_CONTROL)},            // right Ctrl
    {98, E0(0x35, VK_DIVIDE)},             // keypad /
    {99, E0(0x37, VK_SNAPSHOT)},           // KEY_SYSRQ: the Print Screen key of PC keyboards
    {100, E0(0x38, VK_MENU)},              // right Alt
    {102, E0(0x47, VK_HOME)}, {103, E0(0x48, VK_UP)}, {104, E0(0x49, VK_PRIOR)},
    {105, E0(0x4B, VK_LEFT)}, {106, E0(0x4D, VK_RIGHT)}, {107, E0(0x4F, VK_END)},
    {108, E0(0x50, VK_DOWN)}, {109, E0(0x51, VK_NEXT)}, {110, E0(0x52, VK_INSERT)},
    {111, E0(0x53, VK_DELETE)},
    {113, E0(0x20, VK_VOLUME_MUTE)}, {114, E0(0x2E, VK_VOLUME_DOWN)}, {115, E0(0x30, VK_VOLUME_UP)},
    {116, E0(0x5E)},                       // KEY_POWER
    {119, Plain(0x45, VK_PAUSE)},          // Pause sends E1 1D 45; Windows reports the plain 45
    {121, Plain(0x7E, VK_ABNT_C2)},        // KEY_KPCOMMA, the Brazilian keypad separator
    {122, Plain(0x72, VK_KANA)},           // KEY_HANGEUL: a single F2 byte, reported as 72
    {123, Plain(0x71, VK_HANJA)},          // KEY_HANJA: a single F1 byte, reported as 71
    {124, Plain(0x7D, VK_OEM_5)},          // KEY_YEN
    {125, E0(0x5B, VK_LWIN)}, {126, E0(0x5C, VK_RWIN)},
    {127, E0(0x5D, VK_APPS)},              // KEY_COMPOSE: the Menu key of PC keyboards
    {128, E0(0x68, VK_BROWSER_STOP)},      // KEY_STOP
    {139, E0(0x5D, VK_APPS)},              // KEY_MENU
    {140, E0(0x21, VK_LAUNCH_APP2)},       // KEY_CALC
    {142, E0(0x5F, VK_SLEEP)},
    {143, E0(0x63)},                       // KEY_WAKEUP
    {144, E0(0x6B, VK_LAUNCH_APP1)},       // KEY_FILE: USB keyboards' My Computer
    {155, E0(0x6C, VK_LAUNCH_MAIL)},
    {156, E0(0x66, VK_BROWSER_FAVORITES)}, // KEY_BOOKMARKS
    {157, E0(0x6B, VK_LAUNCH_APP1)},       // KEY_COMPUTER
    {158, E0(0x6A, VK_BROWSER_BACK)}, {159, E0(0x69, VK_BROWSER_FORWARD)},
    {163, E0(0x19, VK_MEDIA_NEXT_TRACK)}, {164, E0(0x22, VK_MEDIA_PLAY_PAUSE)},
    {165, E0(0x10, VK_MEDIA_PREV_TRACK)}, {166, E0(0x24, VK_MEDIA_STOP)},
    {171, E0(0x6D, VK_LAUNCH_MEDIA_SELECT)},  // KEY_CONFIG: USB keyboards' media player
    {172, E0(0x32, VK_BROWSER_HOME)}, {173, E0(0x67, VK_BROWSER_REFRESH)},
    {183, Plain(0x64, VK_F1 + 12)}, {184, Plain(0x65, VK_F1 + 13)}, {185, Plain(0x66, VK_F1 + 14)},
    {186, Plain(0x67, VK_F1 + 15)}, {187, Plain(0x68, VK_F1 + 16)}, {188, Plain(0x69, VK_F1 + 17)},
    {189, Plain(0x6A, VK_F1 + 18)}, {190, Plain(0x6B, VK_F1 + 19)}, {191, Plain(0x6C, VK_F1 + 20)},
    {192, Plain(0x6D, VK_F1 + 21)}, {193, Plain(0x6E, VK_F1 + 22)}, {194, Plain(0x76, VK_F1 + 23)},
    {210, E0(0x37, VK_SNAPSHOT)},          // KEY_PRINT
    {217, E0(0x65, VK_BROWSER_SEARCH)},
    {226, E0(0x6D, VK_LAUNCH_MEDIA_SELECT)},  // KEY_MEDIA
};
// clang-format on

constexpr std::size_t kEvdevTableSize = 256;

constexpr std::array<std::optional<ScanCode>, kEvdevTableSize> kScanCodes = [] {
    std::array<std::optional<ScanCode>, kEvdevTableSize> table{};
    for (const EvdevKey& key : kEvdevKeys)
        table[key.evdev] = key.scan;
    return table;
}();

constexpr bool EvdevKeysAreSorted()
{
    int previous = 0;
    for (const EvdevKey& key : kEvdevKeys) {
        if (key.evdev <= previous || key.evdev >= kEvdevTableSize)
            return false;
        previous = key.evdev;
    }
    return true;
}
static_assert(EvdevKeysAreSorted(), "one entry per evdev code, in order");

// Qt::Key values (qnamespace.h), so that this layer needs no Qt header.
struct QtKeyMapping {
    std::uint32_t qtKey;
    std::uint8_t virtualKey;
};

constexpr std::uint32_t kQtF1 = 0x01000030;

// clang-format off
constexpr QtKeyMapping kQtKeys[] = {
    {0x20, VK_SPACE},
    {0x27, VK_OEM_7},                  // Key_Apostrophe
    {0x2C, VK_OEM_COMMA}, {0x2D, VK_OEM_MINUS}, {0x2E, VK_OEM_PERIOD}, {0x2F, VK_OEM_2},
    {0x3B, VK_OEM_1}, {0x3D, VK_OEM_PLUS},
    {0x5B, VK_OEM_4}, {0x5C, VK_OEM_5}, {0x5D, VK_OEM_6},
    {0x60, VK_OEM_3},                  // Key_QuoteLeft
    {0x01000000, VK_ESCAPE},
    {0x01000001, VK_TAB},
    {0x01000002, VK_TAB},              // Key_Backtab: Shift+Tab
    {0x01000003, VK_BACK},
    {0x01000004, VK_RETURN},
    {0x01000005, VK_RETURN},           // Key_Enter, on the keypad
    {0x01000006, VK_INSERT}, {0x01000007, VK_DELETE},
    {0x01000008, VK_PAUSE},
    {0x01000009, VK_SNAPSHOT},         // Key_Print
    {0x0100000A, VK_SNAPSHOT},         // Key_SysReq: Alt+Print Screen
    {0x0100000B, VK_CLEAR},
    {0x01000010, VK_HOME}, {0x01000011, VK_END}, {0x01000012, VK_LEFT}, {0x01000013, VK_UP},
    {0x01000014, VK_RIGHT}, {0x01000015, VK_DOWN}, {0x01000016, VK_PRIOR}, {0x01000017, VK_NEXT},
    {0x01000020, VK_SHIFT}, {0x01000021, VK_CONTROL},
    {0x01000022, VK_LWIN},             // Key_Meta
    {0x01000023, VK_MENU},
    {0x01000024, VK_CAPITAL}, {0x01000025, VK_NUMLOCK}, {0x01000026, VK_SCROLL},
    {0x01000053, VK_LWIN}, {0x01000054, VK_RWIN},  // Key_Super_L, Key_Super_R
    {0x01000055, VK_APPS},             // Key_Menu
    {0x01000061, VK_BROWSER_BACK}, {0x01000062, VK_BROWSER_FORWARD},
    {0x01000063, VK_BROWSER_STOP}, {0x01000064, VK_BROWSER_REFRESH},
    {0x01000070, VK_VOLUME_DOWN}, {0x01000071, VK_VOLUME_MUTE}, {0x01000072, VK_VOLUME_UP},
    {0x01000080, VK_MEDIA_PLAY_PAUSE}, // Key_MediaPlay: what XF86AudioPlay becomes
    {0x01000081, VK_MEDIA_STOP}, {0x01000082, VK_MEDIA_PREV_TRACK}, {0x01000083, VK_MEDIA_NEXT_TRACK},
    {0x01000085, VK_MEDIA_PLAY_PAUSE}, {0x01000086, VK_MEDIA_PLAY_PAUSE},  // Key_MediaPause, ...TogglePlayPause
    {0x01000090, VK_BROWSER_HOME}, {0x01000091, VK_BROWSER_FAVORITES}, {0x01000092, VK_BROWSER_SEARCH},
    {0x010000A0, VK_LAUNCH_MAIL}, {0x010000A1, VK_LAUNCH_MEDIA_SELECT},
    {0x010000A2, VK_LAUNCH_APP1},      // Key_Launch0: XF86MyComputer
    {0x010000A3, VK_LAUNCH_APP2},      // Key_Launch1: XF86Calculator
    {0x010000CB, VK_LAUNCH_APP2},      // Key_Calculator
    {0x01001103, VK_RMENU},            // Key_AltGr
    {0x01001122, VK_NONCONVERT}, {0x01001123, VK_CONVERT},  // Key_Muhenkan, Key_Henkan
    {0x01001127, VK_KANA},             // Key_Hiragana_Katakana
    {0x01001131, VK_KANA},             // Key_Hangul
    {0x01001134, VK_HANJA},            // Key_Hangul_Hanja
    {0x01020001, VK_CANCEL},           // Key_Cancel: Ctrl+Pause
    {0x01020004, VK_SLEEP},
};

// With the keypad modifier; keys not listed here map as without it.
constexpr QtKeyMapping kQtKeypadKeys[] = {
    {0x2A, VK_MULTIPLY}, {0x2B, VK_ADD}, {0x2C, VK_DECIMAL}, {0x2D, VK_SUBTRACT}, {0x2E, VK_DECIMAL},
    {0x2F, VK_DIVIDE},
};
// clang-format on

std::uint8_t Find(const QtKeyMapping* begin, const QtKeyMapping* end, std::uint32_t qtKey)
{
    for (const QtKeyMapping* mapping = begin; mapping != end; ++mapping)
        if (mapping->qtKey == qtKey)
            return mapping->virtualKey;
    return 0;
}

}  // namespace

std::optional<ScanCode> ScanCodeOfEvdevKey(std::uint32_t evdevCode)
{
    return evdevCode < kScanCodes.size() ? kScanCodes[evdevCode] : std::nullopt;
}

std::uint8_t VirtualKeyOfQtKey(std::uint32_t qtKey, bool keypad)
{
    if (keypad) {
        if (qtKey >= '0' && qtKey <= '9')
            return static_cast<std::uint8_t>(VK_NUMPAD0 + (qtKey - '0'));
        if (const std::uint8_t virtualKey = Find(std::begin(kQtKeypadKeys), std::end(kQtKeypadKeys), qtKey))
            return virtualKey;
    }
    // Digits and letters are their own virtual keys; Qt names letters in upper case.
    if ((qtKey >= '0' && qtKey <= '9') || (qtKey >= 'A' && qtKey <= 'Z'))
        return static_cast<std::uint8_t>(qtKey);
    if (qtKey >= kQtF1 && qtKey < kQtF1 + 24)
        return static_cast<std::uint8_t>(VK_F1 + (qtKey - kQtF1));
    return Find(std::begin(kQtKeys), std::end(kQtKeys), qtKey);
}

std::uint32_t PackKeystroke(std::uint8_t scanCode, bool extended, bool release, bool autoRepeat)
{
    std::uint32_t packed = 1 | static_cast<std::uint32_t>(scanCode) << kScanCodeShift;
    if (extended)
        packed |= kExtendedFlag;
    if (release || autoRepeat)
        packed |= kPreviousStateFlag;
    if (release)
        packed |= kTransitionFlag;
    return packed;
}

std::optional<WindowsKeyEvent> ToWindowsKeyEvent(const LinuxKeyEvent& event)
{
    if (event.release && event.autoRepeat)
        return std::nullopt;
    if (event.xkbKeycode >= kXkbKeycodeOffset)
        if (const auto scan = ScanCodeOfEvdevKey(event.xkbKeycode - kXkbKeycodeOffset))
            return WindowsKeyEvent{scan->virtualKey,
                PackKeystroke(scan->code, scan->extended, event.release, event.autoRepeat), event.release};
    const std::uint8_t virtualKey = VirtualKeyOfQtKey(event.qtKey, event.keypad);
    if (virtualKey == 0)
        return std::nullopt;
    return WindowsKeyEvent{virtualKey, PackKeystroke(0, false, event.release, event.autoRepeat), event.release};
}

}  // namespace tavrin::platform
