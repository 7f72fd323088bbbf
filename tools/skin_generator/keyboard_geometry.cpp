#include "keyboard_geometry.h"

#include <cmath>
#include <map>

#include "model/key_table.h"
#include "ui/skin_layout.h"

namespace tavrin::skin {
namespace {

using model::KeyCode;

struct KeyPlace {
    KeyCode code;
    double x, row, w, h;
    const char* legend;
    const char* upper;  // the shifted symbol printed above, or empty
};

// clang-format off
constexpr KeyPlace kPlaces[] = {
    // Function row.
    {0x001, 0, 0, 1, 1, "Esc", ""},
    {0x03B, 2, 0, 1, 1, "F1", ""}, {0x03C, 3, 0, 1, 1, "F2", ""}, {0x03D, 4, 0, 1, 1, "F3", ""},
    {0x03E, 5, 0, 1, 1, "F4", ""}, {0x03F, 6.5, 0, 1, 1, "F5", ""}, {0x040, 7.5, 0, 1, 1, "F6", ""},
    {0x041, 8.5, 0, 1, 1, "F7", ""}, {0x042, 9.5, 0, 1, 1, "F8", ""}, {0x043, 11, 0, 1, 1, "F9", ""},
    {0x044, 12, 0, 1, 1, "F10", ""}, {0x057, 13, 0, 1, 1, "F11", ""}, {0x058, 14, 0, 1, 1, "F12", ""},
    {0x137, 15.25, 0, 1, 1, "Print\nScreen", ""}, {0x046, 16.25, 0, 1, 1, "Scroll\nLock", ""},
    {0x045, 17.25, 0, 1, 1, "Pause\nBreak", ""},
    // Number row.
    {0x029, 0, 1, 1, 1, "`", "~"}, {0x002, 1, 1, 1, 1, "1", "!"}, {0x003, 2, 1, 1, 1, "2", "@"},
    {0x004, 3, 1, 1, 1, "3", "#"}, {0x005, 4, 1, 1, 1, "4", "$"}, {0x006, 5, 1, 1, 1, "5", "%"},
    {0x007, 6, 1, 1, 1, "6", "^"}, {0x008, 7, 1, 1, 1, "7", "&"}, {0x009, 8, 1, 1, 1, "8", "*"},
    {0x00A, 9, 1, 1, 1, "9", "("}, {0x00B, 10, 1, 1, 1, "0", ")"}, {0x00C, 11, 1, 1, 1, "-", "_"},
    {0x00D, 12, 1, 1, 1, "=", "+"}, {0x00E, 13, 1, 2, 1, "Backspace", ""},
    {0x152, 15.25, 1, 1, 1, "Insert", ""}, {0x147, 16.25, 1, 1, 1, "Home", ""},
    {0x149, 17.25, 1, 1, 1, "Page\nUp", ""},
    {0x145, 18.5, 1, 1, 1, "Num\nLock", ""}, {0x135, 19.5, 1, 1, 1, "/", ""}, {0x037, 20.5, 1, 1, 1, "*", ""},
    {0x04A, 21.5, 1, 1, 1, "−", ""},
    // Top letter row.
    {0x00F, 0, 2, 1.5, 1, "Tab", ""}, {0x010, 1.5, 2, 1, 1, "Q", ""}, {0x011, 2.5, 2, 1, 1, "W", ""},
    {0x012, 3.5, 2, 1, 1, "E", ""}, {0x013, 4.5, 2, 1, 1, "R", ""}, {0x014, 5.5, 2, 1, 1, "T", ""},
    {0x015, 6.5, 2, 1, 1, "Y", ""}, {0x016, 7.5, 2, 1, 1, "U", ""}, {0x017, 8.5, 2, 1, 1, "I", ""},
    {0x018, 9.5, 2, 1, 1, "O", ""}, {0x019, 10.5, 2, 1, 1, "P", ""}, {0x01A, 11.5, 2, 1, 1, "[", "{"},
    {0x01B, 12.5, 2, 1, 1, "]", "}"}, {0x02B, 13.5, 2, 1.5, 1, "\\", "|"},
    {0x153, 15.25, 2, 1, 1, "Delete", ""}, {0x14F, 16.25, 2, 1, 1, "End", ""},
    {0x151, 17.25, 2, 1, 1, "Page\nDown", ""},
    {0x047, 18.5, 2, 1, 1, "7", ""}, {0x048, 19.5, 2, 1, 1, "8", ""}, {0x049, 20.5, 2, 1, 1, "9", ""},
    {0x04E, 21.5, 2, 1, 2, "+", ""},
    // Home row.
    {0x03A, 0, 3, 1.75, 1, "Caps Lock", ""}, {0x01E, 1.75, 3, 1, 1, "A", ""}, {0x01F, 2.75, 3, 1, 1, "S", ""},
    {0x020, 3.75, 3, 1, 1, "D", ""}, {0x021, 4.75, 3, 1, 1, "F", ""}, {0x022, 5.75, 3, 1, 1, "G", ""},
    {0x023, 6.75, 3, 1, 1, "H", ""}, {0x024, 7.75, 3, 1, 1, "J", ""}, {0x025, 8.75, 3, 1, 1, "K", ""},
    {0x026, 9.75, 3, 1, 1, "L", ""}, {0x027, 10.75, 3, 1, 1, ";", ":"}, {0x028, 11.75, 3, 1, 1, "'", "\""},
    {0x01C, 12.75, 3, 2.25, 1, "Enter", ""},
    {0x04B, 18.5, 3, 1, 1, "4", ""}, {0x04C, 19.5, 3, 1, 1, "5", ""}, {0x04D, 20.5, 3, 1, 1, "6", ""},
    // Bottom letter row.
    {0x02A, 0, 4, 2.25, 1, "Shift", ""}, {0x02C, 2.25, 4, 1, 1, "Z", ""}, {0x02D, 3.25, 4, 1, 1, "X", ""},
    {0x02E, 4.25, 4, 1, 1, "C", ""}, {0x02F, 5.25, 4, 1, 1, "V", ""}, {0x030, 6.25, 4, 1, 1, "B", ""},
    {0x031, 7.25, 4, 1, 1, "N", ""}, {0x032, 8.25, 4, 1, 1, "M", ""}, {0x033, 9.25, 4, 1, 1, ",", "<"},
    {0x034, 10.25, 4, 1, 1, ".", ">"}, {0x035, 11.25, 4, 1, 1, "/", "?"}, {0x036, 12.25, 4, 2.75, 1, "Shift", ""},
    {0x148, 16.25, 4, 1, 1, "↑", ""},
    {0x04F, 18.5, 4, 1, 1, "1", ""}, {0x050, 19.5, 4, 1, 1, "2", ""}, {0x051, 20.5, 4, 1, 1, "3", ""},
    {0x11C, 21.5, 4, 1, 2, "Enter", ""},
    // Space row; the Fn key sits between Right Alt and App.
    {0x01D, 0, 5, 1.25, 1, "Ctrl", ""}, {0x15B, 1.25, 5, 1.25, 1, "Win", ""}, {0x038, 2.5, 5, 1.25, 1, "Alt", ""},
    {0x039, 3.75, 5, 6.25, 1, "", ""}, {0x138, 10, 5, 1, 1, "Alt", ""}, {0x15D, 12, 5, 1, 1, "Menu", ""},
    {0x15C, 13, 5, 1, 1, "Win", ""}, {0x11D, 14, 5, 1, 1, "Ctrl", ""},
    {0x14B, 15.25, 5, 1, 1, "←", ""}, {0x150, 16.25, 5, 1, 1, "↓", ""}, {0x14D, 17.25, 5, 1, 1, "→", ""},
    {0x052, 18.5, 5, 2, 1, "0", ""}, {0x053, 20.5, 5, 1, 1, ".", ""},
};
// clang-format on

constexpr double kFnX = 11;
constexpr double kGColumn = -1.5;  // the G1–G5 column, left of the main block
constexpr double kTopGKeysX = 2;   // G6–G9 above F1–F4

int RowTop(const KeyboardPlacement& placement, double row)
{
    if (row <= 0)
        return placement.origin.y() + static_cast<int>(std::lround(row * placement.unit));
    return placement.origin.y() + placement.functionGap + static_cast<int>(std::lround(row * placement.unit));
}

ImageButton Key(const QString& skinKey, QRect rect, Face face, const QString& legend, const QString& upper = {})
{
    ImageButton button;
    button.key = skinKey;
    button.rect = rect;
    button.face = face;
    button.legend = legend;
    button.upper = upper;
    return button;
}

}  // namespace

QRect KeyCell(const KeyboardPlacement& placement, double x, double row, double w, double h)
{
    const int left = placement.origin.x() + static_cast<int>(std::lround(x * placement.unit));
    const int right = placement.origin.x() + static_cast<int>(std::lround((x + w) * placement.unit));
    const int top = RowTop(placement, row);
    const int bottom = RowTop(placement, row + h);
    // One pixel of the cell on every side is the gap to the next key.
    return QRect(left + 1, top + 1, right - left - 2, bottom - top - 2);
}

std::vector<ImageButton> KeyboardButtons(const KeyboardPlacement& placement, QString& error)
{
    std::map<KeyCode, const KeyPlace*> byCode;
    for (const KeyPlace& place : kPlaces)
        byCode[place.code] = &place;

    std::vector<ImageButton> buttons;
    for (const model::KeyButton& keyButton : model::KeyButtonsInOrder()) {
        const auto found = byCode.find(keyButton.code);
        if (found == byCode.end()) {
            error = QString("the key button %1 (key code %2) has no place on the keyboard picture")
                        .arg(keyButton.controlId)
                        .arg(keyButton.code, 3, 16, QChar('0'));
            return {};
        }
        const KeyPlace& place = *found->second;
        const QString skinKey = QString::fromStdString(ui::KeyButtonSkinKey(model::IndexFromCode(keyButton.code)));
        buttons.push_back(Key(skinKey, KeyCell(placement, place.x, place.row, place.w, place.h), Face::Keycap,
            QString::fromUtf8(place.legend), QString::fromUtf8(place.upper)));
    }
    if (buttons.size() != byCode.size()) {
        error = "the keyboard picture places keys that are no key buttons";
        return {};
    }
    buttons.push_back(Key("KEY_FN", KeyCell(placement, kFnX, 5, 1), Face::Keycap, "Fn"));

    const int stripHeight = placement.unit * 3 / 4;
    const int stripTop = placement.origin.y() - placement.functionGap / 2 - stripHeight;
    for (int g = 1; g <= static_cast<int>(model::kGKeyCount); ++g) {
        QRect rect;
        if (g <= 5) {
            rect = KeyCell(placement, kGColumn, g, 1);
        } else {
            rect = KeyCell(placement, kTopGKeysX + (g - 6), 0, 1);
            rect.moveTop(stripTop + 1);
            rect.setHeight(stripHeight - 2);
        }
        buttons.push_back(
            Key(QString::fromStdString(ui::GButtonSkinKey(g)), rect, Face::GKeycap, QString("G%1").arg(g)));
    }
    buttons.push_back(Key("LOCK_AB", KeyCell(placement, kGColumn, 0, 1), Face::BankIndicator, {}));
    return buttons;
}

}  // namespace tavrin::skin
