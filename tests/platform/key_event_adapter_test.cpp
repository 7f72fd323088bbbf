#include "platform/key_event_adapter.h"

#include <QtCore/qnamespace.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <map>
#include <set>

#include "model/key_table.h"

namespace tavrin::platform {
namespace {

using model::KeyCode;

std::optional<KeyCode> KeyCodeOfEvdevKey(std::uint32_t evdev)
{
    const auto event = ToWindowsKeyEvent({evdev + kXkbKeycodeOffset, false, false, 0, false});
    if (!event)
        return std::nullopt;
    return model::KeyCodeOfKeyEvent(event->virtualKey, event->packed);
}

// Every key code that some evdev key produces.
std::set<KeyCode> ProducedKeyCodes()
{
    std::set<KeyCode> produced;
    for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev)
        if (const auto code = KeyCodeOfEvdevKey(evdev))
            produced.insert(*code);
    return produced;
}

TEST(KeyEventAdapter, EveryKeyOfThePictureHasAnEvdevKey)
{
    const std::set<KeyCode> produced = ProducedKeyCodes();
    for (const model::KeyButton& button : model::KeyButtonsInOrder())
        EXPECT_TRUE(produced.count(button.code)) << std::hex << button.code;
}

// Only the mouse rows, and the two keys that the key table folds into others (Sys Req into Print
// Screen, Break into Pause), have no key of their own.
TEST(KeyEventAdapter, EveryAssignableKeyHasAnEvdevKey)
{
    const std::set<KeyCode> produced = ProducedKeyCodes();
    for (std::uint16_t position = 0; position < model::kAssignableKeyCount; ++position) {
        const KeyCode code = model::CodeFromListPosition(position);
        const bool unreachable = code == 0x054 || code == 0x146 || code == model::kMouseLeft
            || code == model::kMouseRight || code == model::kMouseMiddle || code == model::kWheelUp
            || code == model::kWheelDown;
        EXPECT_EQ(produced.count(code) == 1, !unreachable) << position << " " << std::hex << code;
    }
    EXPECT_TRUE(produced.count(0x064)) << "F13";
    EXPECT_TRUE(produced.count(0x15E) && produced.count(0x15F) && produced.count(0x163)) << "Power, Sleep, Wake";
    EXPECT_FALSE(produced.count(0x000));
}

TEST(KeyEventAdapter, EvdevKeysGiveTheirSetOneCodes)
{
    struct Case {
        std::uint32_t evdev;
        ScanCode scan;
        KeyCode code;
    };
    const Case cases[] = {
        {KEY_A, {0x1E, false, 'A'}, 0x01E},
        {KEY_KPENTER, {0x1C, true, 0x0D}, 0x11C},
        {KEY_KPSLASH, {0x35, true, 0x6F}, 0x135},
        {KEY_NUMLOCK, {0x45, true, 0x90}, 0x145},
        {KEY_PAUSE, {0x45, false, 0x13}, 0x045},
        {KEY_SYSRQ, {0x37, true, 0x2C}, 0x137},
        {KEY_PRINT, {0x37, true, 0x2C}, 0x137},
        {KEY_RIGHTCTRL, {0x1D, true, 0x11}, 0x11D},
        {KEY_RIGHTSHIFT, {0x36, false, 0x10}, 0x036},
        {KEY_RIGHTALT, {0x38, true, 0x12}, 0x138},
        {KEY_LEFTMETA, {0x5B, true, 0x5B}, 0x15B},
        {KEY_RIGHTMETA, {0x5C, true, 0x5C}, 0x15C},
        {KEY_COMPOSE, {0x5D, true, 0x5D}, 0x15D},
        {KEY_KP7, {0x47, false, 0x67}, 0x047},
        {KEY_102ND, {0x56, false, 0xE2}, 0x056},
        {KEY_RO, {0x73, false, 0xC1}, 0x073},
        {KEY_YEN, {0x7D, false, 0xDC}, 0x07D},
        {KEY_KATAKANAHIRAGANA, {0x70, false, 0x15}, 0x070},
        {KEY_HENKAN, {0x79, false, 0x1C}, 0x079},
        {KEY_MUHENKAN, {0x7B, false, 0x1D}, 0x07B},
        {KEY_HANGEUL, {0x72, false, 0x15}, 0x072},
        {KEY_HANJA, {0x71, false, 0x19}, 0x071},
        {KEY_KPCOMMA, {0x7E, false, 0xC2}, 0x07E},
        {KEY_F13, {0x64, false, 0x7C}, 0x064},
        {KEY_F24, {0x76, false, 0x87}, 0x076},
        {KEY_MUTE, {0x20, true, 0xAD}, 0x120},
        {KEY_PREVIOUSSONG, {0x10, true, 0xB1}, 0x110},
        {KEY_FILE, {0x6B, true, 0xB6}, 0x16B},
        {KEY_CONFIG, {0x6D, true, 0xB5}, 0x16D},
        {KEY_POWER, {0x5E, true, kNoVirtualKey}, 0x15E},
        {KEY_WAKEUP, {0x63, true, kNoVirtualKey}, 0x163},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(ScanCodeOfEvdevKey(item.evdev), item.scan) << item.evdev;
        EXPECT_EQ(KeyCodeOfEvdevKey(item.evdev), item.code) << item.evdev;
    }
    for (std::uint32_t evdev : {0u, 84u, unsigned{KEY_PROG1}, unsigned{KEY_MAX}, 0xFFFFFFFFu})
        EXPECT_FALSE(ScanCodeOfEvdevKey(evdev)) << evdev;
}

// Two evdev codes share a scan code only where Linux has two names for one key.
TEST(KeyEventAdapter, ScanCodesAreUniqueExceptForAliases)
{
    std::map<std::pair<int, bool>, std::set<std::uint32_t>> keysByScanCode;
    for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev)
        if (const auto scan = ScanCodeOfEvdevKey(evdev))
            keysByScanCode[{scan->code, scan->extended}].insert(evdev);
    const std::map<std::pair<int, bool>, std::set<std::uint32_t>> aliases = {
        {{0x37, true}, {KEY_SYSRQ, KEY_PRINT}},
        {{0x5D, true}, {KEY_COMPOSE, KEY_MENU}},
        {{0x6B, true}, {KEY_FILE, KEY_COMPUTER}},
        {{0x6D, true}, {KEY_CONFIG, KEY_MEDIA}},
    };
    for (const auto& [scan, keys] : keysByScanCode) {
        const auto alias = aliases.find(scan);
        if (alias != aliases.end())
            EXPECT_EQ(keys, alias->second) << std::hex << scan.first;
        else
            EXPECT_EQ(keys.size(), 1u) << std::hex << scan.first << " " << scan.second;
    }
}

// An event's virtual key alone, through the key table's virtual-key map, names the same key as its
// scan code, except where Windows has one virtual key for two keys or the map has none.
TEST(KeyEventAdapter, VirtualKeysAgreeWithTheVirtualKeyMap)
{
    const std::map<std::uint32_t, KeyCode> differing = {{KEY_RIGHTSHIFT, 0x02A}, {KEY_RIGHTCTRL, 0x01D},
        {KEY_RIGHTALT, 0x038}, {KEY_KPENTER, 0x01C}, {KEY_YEN, 0x02B},  // shares the backslash key's virtual key
        {KEY_HENKAN, 0}, {KEY_MUHENKAN, 0}, {KEY_KATAKANAHIRAGANA, 0}, {KEY_HANGEUL, 0}, {KEY_HANJA, 0}, {KEY_POWER, 0},
        {KEY_WAKEUP, 0}};
    for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev) {
        const auto scan = ScanCodeOfEvdevKey(evdev);
        if (!scan || (evdev >= KEY_F14 && evdev <= KEY_F24))
            continue;
        const auto found = differing.find(evdev);
        const KeyCode expected = found != differing.end() ? found->second : *KeyCodeOfEvdevKey(evdev);
        EXPECT_EQ(model::KeyCodeOfKeyEvent(scan->virtualKey, 1), expected) << evdev;
    }
}

TEST(KeyEventAdapter, PressReleaseAndRepeatBits)
{
    constexpr std::uint32_t kLeftCtrl = KEY_LEFTCTRL + kXkbKeycodeOffset;
    constexpr std::uint32_t kHome = KEY_HOME + kXkbKeycodeOffset;
    struct Case {
        std::uint32_t xkbKeycode;
        bool release, autoRepeat;
        std::uint32_t packed;
    };
    const Case cases[] = {
        {kLeftCtrl, false, false, 0x001D0001},
        {kLeftCtrl, false, true, 0x401D0001},
        {kLeftCtrl, true, false, 0xC01D0001},
        {kHome, false, false, 0x01470001},
        {kHome, false, true, 0x41470001},
        {kHome, true, false, 0xC1470001},
    };
    for (const Case& item : cases) {
        const auto event = ToWindowsKeyEvent({item.xkbKeycode, item.release, item.autoRepeat, 0, false});
        ASSERT_TRUE(event);
        EXPECT_EQ(event->packed, item.packed) << std::hex << item.packed;
        EXPECT_EQ(event->release, item.release);
        EXPECT_EQ(event->packed & kRepeatCountMask, 1u);
    }
    EXPECT_FALSE(ToWindowsKeyEvent({kLeftCtrl, true, true, 0, false})) << "the release half of an auto-repeat";
    EXPECT_FALSE(ToWindowsKeyEvent({0, true, true, Qt::Key_A, false}));
}

TEST(KeyEventAdapter, QtKeysStandInWhenThereIsNoScanCode)
{
    struct Case {
        std::uint32_t xkbKeycode;
        int qtKey;
        bool keypad;
        std::uint8_t virtualKey;
        KeyCode code;
    };
    const Case cases[] = {
        {0, Qt::Key_Escape, false, 0x1B, 0x001}, {0, Qt::Key_A, false, 'A', 0x01E}, {0, Qt::Key_7, false, '7', 0x008},
        {0, Qt::Key_7, true, 0x67, 0x047}, {0, Qt::Key_Asterisk, true, 0x6A, 0x037},
        {0, Qt::Key_Slash, true, 0x6F, 0x135}, {0, Qt::Key_Slash, false, 0xBF, 0x035},
        {0, Qt::Key_Home, true, 0x24, 0x147},  // the keypad with Num Lock off
        {0, Qt::Key_Enter, true, 0x0D, 0x01C}, {0, Qt::Key_QuoteLeft, false, 0xC0, 0x029},
        {0, Qt::Key_Print, false, 0x2C, 0x137}, {0, Qt::Key_Pause, false, 0x13, 0x045},
        {0, Qt::Key_NumLock, false, 0x90, 0x145}, {0, Qt::Key_Super_L, false, 0x5B, 0x15B},
        {0, Qt::Key_Menu, false, 0x5D, 0x15D}, {0, Qt::Key_AltGr, false, 0xA5, 0x138},
        {0, Qt::Key_Control, false, 0x11, 0x01D}, {0, Qt::Key_F12, false, 0x7B, 0x058},
        {0, Qt::Key_F13, false, 0x7C, 0x064}, {0, Qt::Key_VolumeMute, false, 0xAD, 0x120},
        {0, Qt::Key_MediaPlay, false, 0xB3, 0x122}, {0, Qt::Key_HomePage, false, 0xAC, 0x132},
        {0, Qt::Key_Launch0, false, 0xB6, 0x16B}, {0, Qt::Key_Calculator, false, 0xB7, 0x121},
        {0, Qt::Key_Sleep, false, 0x5F, 0x15F}, {0, Qt::Key_Cancel, false, 0x03, 0x045},
        {KEY_PROG1 + kXkbKeycodeOffset, Qt::Key_LaunchMail, false, 0xB4, 0x16C},  // a keycode without scan code
        {5, Qt::Key_Backspace, false, 0x08, 0x00E},                               // below the XKB offset
    };
    for (const Case& item : cases) {
        const auto event
            = ToWindowsKeyEvent({item.xkbKeycode, false, false, static_cast<std::uint32_t>(item.qtKey), item.keypad});
        ASSERT_TRUE(event) << std::hex << item.qtKey;
        EXPECT_EQ(event->virtualKey, item.virtualKey) << std::hex << item.qtKey;
        EXPECT_EQ(event->packed, 1u) << "no scan code";
        EXPECT_EQ(model::KeyCodeOfKeyEvent(event->virtualKey, event->packed), item.code) << std::hex << item.qtKey;
    }
    for (int qtKey : {0, int{Qt::Key_Hyper_L}, int{Qt::Key_Exclam}, int{Qt::Key_unknown}, int{'a'}})
        EXPECT_FALSE(ToWindowsKeyEvent({0, false, false, static_cast<std::uint32_t>(qtKey), false})) << qtKey;
    EXPECT_EQ(VirtualKeyOfQtKey(Qt::Key_Backtab, false), 0x09);
}

TEST(KeyEventAdapter, TheScanCodeWinsOverTheQtKey)
{
    const auto event = ToWindowsKeyEvent({KEY_KP7 + kXkbKeycodeOffset, false, false, Qt::Key_Home, true});
    ASSERT_TRUE(event);
    EXPECT_EQ(model::KeyCodeOfKeyEvent(event->virtualKey, event->packed), 0x047);
}

}  // namespace
}  // namespace tavrin::platform
