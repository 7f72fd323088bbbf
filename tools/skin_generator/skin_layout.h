// What a window of the skin consists of: its size, the image buttons that are cut from its state
// pictures (each with the face the pictures give it) and the plain controls that only take a
// rectangle. The layout file and the pictures are both written from this one description.
#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace tavrin::skin {

// The state pictures a window has. Keys of the main window also have two colour-keys looks.
enum class State { Normal, Over, Down, Disable, ColourKeyOff, ColourKeyOn };

enum class Face {
    Keycap,         // a key of the keyboard with its legend
    GKeycap,        // a macro key
    BankIndicator,  // G-key bank: bank 1 lit normally, bank 2 lit in the "over" picture
    LockLed,        // lock indicator, a padlock with its symbol: off normally, lit in the "over" picture
    TextButton,     // blank face; the program draws the text
    PrimaryButton,  // like TextButton, in the accent colour
    LegendButton,   // face with its legend drawn in
    SegmentButton,  // one of a group; the "disable" picture shows it chosen
    IconButton,     // flat button with an icon
    CloseButton,    // icon button that turns red
    TabButton,      // page tab; `active` marks the page the picture set belongs to
    FlipIndicator,  // layout flip: "F1–F4" normally, "D1–D6" in the "disable" picture
    LinkButton,     // web link: a globe
    Decoration,     // part of the picture that is a button for the program only: an icon or a glow line
    Blank,          // the window's background; the program draws on it (the version text, a title)
};

enum class Icon {
    None,
    Help,
    Menu,
    Minimise,
    Close,
    Profiles,
    ChevronLeft,
    ChevronRight,
    Globe,
    Plus,
    Trash,
    Keyboard,
    Undo,
    Redo
};

struct ImageButton {
    QString key;
    QRect rect;
    Face face = Face::TextButton;
    // Key legend ("Shift"), two lines split by '\n'; a shifted symbol goes in `upper`. A lock light's
    // symbol beside its padlock: "1", "A", or "↓" for an arrow.
    QString legend;
    QString upper;
    Icon icon = Icon::None;
    bool active = false;  // tab of the page the pictures are drawn for
};

inline ImageButton Button(const QString& key, QRect rect, Face face, const QString& legend = {}, Icon icon = Icon::None)
{
    ImageButton button;
    button.key = key;
    button.rect = rect;
    button.face = face;
    button.legend = legend;
    button.icon = icon;
    return button;
}

struct PlainControl {
    QString key;
    QRect rect;
};

struct WindowLayout {
    QSize size;
    std::vector<ImageButton> buttons;
    std::vector<PlainControl> controls;
};

}  // namespace tavrin::skin
