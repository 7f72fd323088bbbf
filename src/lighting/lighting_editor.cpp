#include "lighting/lighting_editor.h"

#include <optional>

namespace tavrin::lighting {

std::string LightingResult::Describe() const
{
    std::string text = device.Describe();
    if (!fileFailure.empty())
        text += (text.empty() ? "" : "; ") + std::string("the colour layout file ") + fileFailure
            + " could not be written";
    return text;
}

std::string SupersedingKey(int profile, const std::vector<WriteSequence>& sequences)
{
    if (sequences.empty())
        return {};
    // Appended piece by piece: "literal" + string makes GCC 12 at -O3 warn falsely (-Wrestrict).
    std::string key = "settings ";
    key.append(std::to_string(profile));
    for (const WriteSequence& sequence : sequences) {
        key.append(sequence.bracketed ? " [" : " (");
        for (const SettingsWrite& write : sequence.writes) {
            key.append(" ");
            key.append(std::to_string(write.field));
            key.append(":");
            key.append(std::to_string(write.bytes.size()));
        }
    }
    return key;
}

LightingEditor::LightingEditor(device::DeviceCommands& commands, std::string userColourPrefix, std::string panelFile)
    : commands_(commands)
    , files_(std::move(userColourPrefix))
    , panelFile_(std::move(panelFile))
{
}

LightingResult LightingEditor::Load(bool withKeyColours, int profile)
{
    LightingResult result;
    // A part that could not be read keeps what was read before.
    LightingSnapshot snapshot = snapshot_;
    result.device = ReadLighting(commands_, withKeyColours, snapshot);
    TakeSnapshot(std::move(snapshot), profile);
    return result;
}

void LightingEditor::TakeSnapshot(LightingSnapshot snapshot, int profile)
{
    snapshot_ = std::move(snapshot);
    modes_.Rebuild(snapshot_.modes);
    SetProfile(profile);
    if (!panelFile_.empty())
        panelOpen_ = ReadPanelOpen(panelFile_);
}

LightingFailure LightingEditor::Send(LightingTraffic::Send send, const std::string& key)
{
    return traffic_ ? traffic_->Run(std::move(send), key) : send(commands_);
}

void LightingEditor::SetProfile(int profile)
{
    profile_ = profile;
    if (!OnProfile())
        return;
    const Colour paint = state_.paintColour;
    state_ = StateFromSettings(snapshot_.settings, profile);
    // The paint colour is the program's own choice, shared by all profiles, once one was made.
    if (paintChosen_)
        state_.paintColour = paint;
}

LightingResult LightingEditor::Change(const ControlOutcome& outcome)
{
    state_ = outcome.state;
    LightingResult result;
    if (OnProfile() && !outcome.sequences.empty())
        result.device
            = Send([profile = profile_, sequences = outcome.sequences](
                       device::DeviceCommands& commands) { return SendSequences(commands, profile, sequences); },
                SupersedingKey(profile_, outcome.sequences));
    return result;
}

LightingResult LightingEditor::SendPerKey(const PerKeyOutcome& outcome, int layout)
{
    LightingResult result;
    result.device = SendPerKeyOutcome(outcome);
    if (!files_.WriteKeyEntries(profile_, layout, outcome.entries))
        result.fileFailure = files_.PathOf(profile_);
    return result;
}

LightingResult LightingEditor::SaveLayoutColours()
{
    LightingResult result;
    if (OnProfile() && !files_.WriteLayoutColours(profile_, selectedLayout_, CurrentLayoutColours()))
        result.fileFailure = files_.PathOf(profile_);
    return result;
}

LightingResult LightingEditor::Paint(int controlId)
{
    if (!OnProfile() || state_.mode != kPerKeyMode)
        return {};
    return SendPerKey(PaintKey(snapshot_.colours, Slot(), controlId, brush_, state_), selectedLayout_);
}

LightingResult LightingEditor::ChangeBaseColour(Colour colour)
{
    if (!OnProfile())
        return {};
    return SendPerKey(SetBaseColour(snapshot_.colours, Slot(), state_, colour), selectedLayout_);
}

LightingResult LightingEditor::ChangePaintColour(Colour colour)
{
    state_.paintColour = colour & 0xFFFFFF;
    paintChosen_ = true;
    return SaveLayoutColours();
}

LightingResult LightingEditor::ChooseBrush(Brush brush)
{
    brush_ = brush;
    return SaveLayoutColours();
}

LightingResult LightingEditor::PaintKeys(const std::vector<KeyPaint>& paints, int layout)
{
    if (!OnProfile() || layout < 0 || layout >= kUserLayoutCount)
        return {};
    return SendPerKey(lighting::PaintKeys(snapshot_.colours, Slot(), paints), layout);
}

LightingResult LightingEditor::SelectLayout(int layout)
{
    if (!OnProfile() || layout < 0 || layout >= kUserLayoutCount)
        return {};
    selectedLayout_ = layout;
    LightingResult result;
    if (!files_.WriteSelectedLayout(profile_, layout))
        result.fileFailure = files_.PathOf(profile_);
    const LayoutColours colours = files_.ReadLayoutColours(profile_, layout);
    brush_ = colours.brush;
    state_.baseColour = colours.base;
    state_.paintColour = colours.paint;
    paintChosen_ = true;
    result.device
        = SendPerKeyOutcome(TakeLayout(snapshot_.colours, Slot(), files_.ReadLayoutEntries(profile_, layout)));
    return result;
}

LightingResult LightingEditor::RenameLayout(int layout, const std::string& name)
{
    LightingResult result;
    if (OnProfile() && layout >= 0 && layout < kUserLayoutCount && !files_.WriteLayoutName(profile_, layout, name))
        result.fileFailure = files_.PathOf(profile_);
    return result;
}

std::vector<std::string> LightingEditor::LayoutNames() const
{
    std::vector<std::string> names;
    for (int layout = 0; layout < kUserLayoutCount; ++layout)
        names.push_back(files_.LayoutName(static_cast<int>(Slot()), layout));
    return names;
}

LightingResult LightingEditor::RestoreDefaults()
{
    LightingResult result;
    if (!OnProfile())
        return result;
    const ControlOutcome defaults = RestoreLightingDefaults(state_);
    const Colour paint = state_.paintColour;
    state_ = defaults.state;
    state_.paintColour = paint;
    std::optional<PerKeyOutcome> colours;
    if (modes_.Offers(kPerKeyMode)) {
        LightingState coloured = state_;
        colours = RestoreKeyColourDefaults(snapshot_.colours, Slot(), coloured);
    }
    // The effect choice first, then the default colours, then the record written whole; the first
    // failure stops the rest.
    result.device = Send([profile = profile_, defaults, colours](device::DeviceCommands& commands) {
        LightingFailure failure = SendSequences(commands, profile, {defaults.sequences.front()});
        if (!failure.Failed() && colours)
            failure = lighting::SendPerKey(commands, profile, *colours);
        if (!failure.Failed())
            failure = SendSequences(commands, profile, {defaults.sequences.back()});
        return failure;
    });
    return result;
}

LightingFailure LightingEditor::SendPerKeyOutcome(const PerKeyOutcome& outcome)
{
    return Send([profile = profile_, outcome](
                    device::DeviceCommands& commands) { return lighting::SendPerKey(commands, profile, outcome); });
}

void LightingEditor::RebuildMarks()
{
    std::array<Colour, kSlotCount> bases{};
    for (std::size_t slot = 0; slot < device::kProfileCount; ++slot)
        bases[slot] = ColourAt(snapshot_.settings, slot * device::kSettingsRecordSize + field::kBaseColour);
    snapshot_.colours.RebuildMarks(bases);
}

void LightingEditor::TakeSelectedLayoutFromFile()
{
    if (!OnProfile())
        return;
    const int layout = files_.SelectedLayout(profile_);
    if (layout >= 0 && layout < kUserLayoutCount)
        selectedLayout_ = layout;
}

bool LightingEditor::SetPanelOpen(bool open)
{
    panelOpen_ = open;
    return panelFile_.empty() || WritePanelOpen(panelFile_, open);
}

}  // namespace tavrin::lighting
