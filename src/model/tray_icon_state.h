// Which picture the tray shows: the program's icon before any keyboard was seen and while none is
// there, the connected icon while one is, and the play symbol while the keyboard plays. The
// presence handling's last choice is remembered so that the play symbol can be undone.
#pragma once

#include <optional>

namespace tavrin::model {

inline constexpr int kProgramIcon = 128;
inline constexpr int kConnectedIcon = 141;
inline constexpr int kPlayingIcon = 142;

class TrayIconState {
public:
    // Playing shows the play symbol; otherwise `icon` is shown and remembered, or, when 0, the
    // remembered icon comes back. Returns the icon to show, nothing when it is shown already.
    std::optional<int> SetTrayState(bool playing, int icon)
    {
        int wanted = remembered_;
        if (playing) {
            wanted = kPlayingIcon;
        } else if (icon != 0) {
            remembered_ = icon;
            wanted = icon;
        }
        return SetIfChanged(wanted);
    }
    // Shows `icon` unless it is shown already.
    std::optional<int> SetIfChanged(int icon)
    {
        if (icon == shown_)
            return std::nullopt;
        shown_ = icon;
        return icon;
    }
    int Shown() const { return shown_; }
    int Remembered() const { return remembered_; }
    // After the shutdown nothing is shown.
    void Clear() { shown_ = 0; }

private:
    int shown_ = kProgramIcon;
    int remembered_ = kProgramIcon;
};

}  // namespace tavrin::model
