// The lighting of the profile the keyboard runs, as the lighting panel and tavrinctl edit it: the
// offered effects, the lighting state, the per-key colours with their marks, the brush and the user
// layout, each change sent to the keyboard and kept in the user's files at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lighting/lighting_device.h"
#include "lighting/user_colour_file.h"

namespace tavrin::lighting {

inline constexpr int kDefaultProfile = 3;  // the keyboard's default profile has no lighting to edit

// What a change did: which device step failed, and which file could not be written.
struct LightingResult {
    LightingFailure device;
    std::string fileFailure;  // the path, when a file write failed
    bool Ok() const { return !device.Failed() && fileFailure.empty(); }
    // Empty when everything worked.
    std::string Describe() const;
};

// Where the editor's keyboard traffic runs. Without one it runs at once on the caller's thread and
// a failure comes back from the call (tavrinctl). The window hands it to its keyboard worker and hears
// of a failure later; traffic given a key may then be replaced by newer traffic of the same key that
// writes the same fields, before it has run.
class LightingTraffic {
public:
    using Send = std::function<LightingFailure(device::DeviceCommands&)>;
    virtual ~LightingTraffic() = default;
    // The failure when `send` ran at once; nothing when it was queued.
    virtual LightingFailure Run(Send send, const std::string& key) = 0;
};

// The key under which a control change's writes may replace an earlier change's: the same profile
// and the same fields in the same sequences, so that the newer change writes everything the older
// one would have. Empty when there is nothing to write.
std::string SupersedingKey(int profile, const std::vector<WriteSequence>& sequences);

class LightingEditor {
public:
    // `userColourPrefix` + profile + ".userd" are the layout files; `panelFile` remembers the panel.
    LightingEditor(device::DeviceCommands& commands, std::string userColourPrefix, std::string panelFile);

    // From now on the keyboard traffic of every change goes through `traffic` (kept by the caller).
    void SendTrafficThrough(LightingTraffic* traffic) { traffic_ = traffic; }

    // Reads the keyboard's lighting (with or without the per-key colours) and takes the record of
    // `profile`, the profile the keyboard runs (3: the default profile, nothing to edit). The
    // panel's open state is read from its file.
    LightingResult Load(bool withKeyColours, int profile);
    // Takes another profile's record from what was read last.
    void SetProfile(int profile);
    // Load in two halves, for a window that reads on another thread: what a read starts from (a
    // part that fails keeps it), and the snapshot read, taken as Load takes it.
    const LightingSnapshot& Snapshot() const { return snapshot_; }
    void TakeSnapshot(LightingSnapshot snapshot, int profile);

    const LightingState& State() const { return state_; }
    const ModeTable& Modes() const { return modes_; }
    const KeyColours& Colours() const { return snapshot_.colours; }
    int Profile() const { return profile_; }
    bool OnProfile() const { return profile_ >= 0 && profile_ < kDefaultProfile; }
    bool PanelOpen() const { return panelOpen_; }
    Brush CurrentBrush() const { return brush_; }
    int SelectedLayout() const { return selectedLayout_; }
    const UserColourFile& Files() const { return files_; }

    // A control change (from the functions of lighting_controls.h): the state takes the new
    // values and their writes are sent.
    LightingResult Change(const ControlOutcome& outcome);
    // Per-key colours; nothing unless effect 19 is the current effect.
    LightingResult Paint(int controlId);
    LightingResult ChangeBaseColour(Colour colour);
    LightingResult ChangePaintColour(Colour colour);
    LightingResult ChooseBrush(Brush brush);
    // Keys painted at once from outside the panel (tavrinctl), kept in user layout `layout`.
    LightingResult PaintKeys(const std::vector<KeyPaint>& paints, int layout);
    LightingResult SelectLayout(int layout);
    LightingResult RenameLayout(int layout, const std::string& name);
    std::vector<std::string> LayoutNames() const;
    // The lighting record's defaults and, when the keyboard offers effect 19, the default colours.
    LightingResult RestoreDefaults();
    // Marks from the colours read (after the keyboard is found).
    void RebuildMarks();
    // The layout last selected, as the profile's layout file has it: after keys were painted from
    // outside the panel into that layout, the panel's next change keeps its colours there too.
    void TakeSelectedLayoutFromFile();
    bool SetPanelOpen(bool open);

private:
    std::size_t Slot() const { return static_cast<std::size_t>(OnProfile() ? profile_ : 0); }
    LayoutColours CurrentLayoutColours() const { return {brush_, state_.baseColour, state_.paintColour}; }
    LightingFailure Send(LightingTraffic::Send send, const std::string& key = {});
    LightingFailure SendPerKeyOutcome(const PerKeyOutcome& outcome);
    // Sends a per-key change and keeps its entries in user layout `layout`.
    LightingResult SendPerKey(const PerKeyOutcome& outcome, int layout);
    // The brush and both colours into the selected layout's file.
    LightingResult SaveLayoutColours();

    device::DeviceCommands& commands_;
    LightingTraffic* traffic_ = nullptr;
    UserColourFile files_;
    std::string panelFile_;
    LightingSnapshot snapshot_;
    ModeTable modes_;
    LightingState state_;
    int profile_ = 0;
    Brush brush_ = Brush::Paint;
    int selectedLayout_ = 0;
    bool panelOpen_ = false;
    bool paintChosen_ = false;  // once chosen, the paint colour outlives reloads
};

}  // namespace tavrin::lighting
