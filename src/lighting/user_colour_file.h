// The user's per-key colour layouts on disk: one INI file per profile holding ten named layouts
// (brush, base colour, paint colour and every key's colour with its base-colour mark) and the
// layout last selected; and the file that remembers whether the lighting panel was open.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lighting/key_colours.h"

namespace tavrin::lighting {

inline constexpr int kUserLayoutCount = 10;

struct LayoutColours {
    Brush brush = Brush::Paint;
    Colour base = 0;
    Colour paint = 0;
    bool operator==(const LayoutColours&) const = default;
};

// "R,G,B" and "R,G,B,mark" as the files hold them: nothing unless every number is there (values
// beyond 255 count as 255; any mark but 0 counts as 1).
std::optional<Colour> ParseColour(std::string_view text);
std::optional<KeyEntry> ParseKeyEntry(std::string_view text, int led);
std::string FormatColour(Colour colour);

class UserColourFile {
public:
    // Files are `prefix` + profile + ".userd".
    explicit UserColourFile(std::string prefix)
        : prefix_(std::move(prefix))
    {
    }

    std::string PathOf(int profile) const { return prefix_ + std::to_string(profile) + ".userd"; }

    int SelectedLayout(int profile) const;
    bool WriteSelectedLayout(int profile, int layout) const;
    std::string LayoutName(int profile, int layout) const;
    bool WriteLayoutName(int profile, int layout, std::string_view name) const;
    LayoutColours ReadLayoutColours(int profile, int layout) const;
    bool WriteLayoutColours(int profile, int layout, const LayoutColours& colours) const;
    // A key never saved is red with its mark set.
    KeyEntry ReadKeyEntry(int profile, int layout, int led) const;
    // The entries of the 104 key buttons in the button order, then Fn, read in one pass.
    std::vector<KeyEntry> ReadLayoutEntries(int profile, int layout) const;
    // Written in one replacement of the file; false when it could not be written (it is then as
    // it was).
    bool WriteKeyEntries(int profile, int layout, std::span<const KeyEntry> entries) const;

private:
    std::string prefix_;
};

// The user's own files, beside the working file in the documents folder (the program's folder may
// be shared and read-only): the layout files' prefix and the panel's file.
std::string UserColourPrefix(const std::string& documentsFolder);
std::string PanelFile(const std::string& documentsFolder);

// Whether the lighting panel was left open ("DengCheck" of section "KEYCOLOR" reads 1).
bool ReadPanelOpen(const std::string& path);
bool WritePanelOpen(const std::string& path, bool open);

}  // namespace tavrin::lighting
