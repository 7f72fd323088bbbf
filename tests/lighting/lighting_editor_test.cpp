// The lighting editor against the emulator's firmware: the reports each change sends, where its
// bytes land in the keyboard's memory, and what the user's layout files hold afterwards.
#include "lighting/lighting_editor.h"

#include <gtest/gtest.h>

#include <fstream>

#include "device/fake_keyboard.h"
#include "lighting/lighting_defaults.h"
#include "model/key_table.h"
#include "support/temporary_folder.h"

namespace tavrin::lighting {
namespace {

struct Sent {
    int command;
    int length;
    int address;
    bool operator==(const Sent&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Sent& s)
{
    return out << "{" << s.command << ", " << s.length << ", " << s.address << "}";
}

constexpr int kKeyA = 1058;  // LED 64
constexpr int kKeyB = 1075;  // LED 90

class LightingEditorTest : public ::testing::Test {
protected:
    LightingEditorTest() { keyboard_.Attach(link_); }

    std::vector<Sent> Sends() const
    {
        std::vector<Sent> sent;
        for (const auto& frame : keyboard_.Writes())
            sent.push_back({frame[3], frame[4], frame[5] | frame[6] << 8});
        return sent;
    }
    std::vector<Sent> SendsAfter(std::size_t from) const
    {
        auto all = Sends();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }
    const auto& Memory() const { return keyboard_.Memory(); }
    Colour KeyboardColour(int profile, int led) const
    {
        const auto& slot = Memory().colours[static_cast<std::size_t>(profile)];
        return ColourAt(slot, static_cast<std::size_t>(led) * 3);
    }
    LightingEditor& LoadedOn(int profile)
    {
        EXPECT_TRUE(editor_.Load(true, profile).Ok());
        return editor_;
    }

    testing::EventLog log_;
    testing::RecordingTimer timer_{log_};
    testing::FakeKeyboard keyboard_{log_};
    device::DeviceLink link_{keyboard_, timer_};
    device::DeviceCommands commands_{link_};
    testing::TemporaryFolder folder_;
    LightingEditor editor_{commands_, folder_.File("UserDengColor_"), folder_.File("wskb.ini")};
};

TEST_F(LightingEditorTest, FullLoadReadsIdentityColoursOfFourSlotsAndThreeRecords)
{
    ASSERT_TRUE(editor_.Load(true, 1).Ok());
    const auto sent = Sends();
    ASSERT_EQ(sent.size(), 1u + 1 + 40 + 3 + 1);
    EXPECT_EQ(sent[0].command, 3);
    EXPECT_EQ(sent[1].command, 1);
    EXPECT_EQ(sent[2], (Sent{16, 54, 0}));
    EXPECT_EQ(sent[41], (Sent{16, 54, 3 * 512 + 9 * 54})) << "chunk 9 of the default profile's slot";
    EXPECT_EQ(sent[42], (Sent{5, 56, 0}));
    EXPECT_EQ(sent[43], (Sent{5, 56, 35}));
    EXPECT_EQ(sent[44], (Sent{5, 56, 70}));
    EXPECT_EQ(sent[45].command, 2);
    EXPECT_EQ(editor_.Modes().Count(), 19);
    EXPECT_EQ(editor_.State(), StateFromSettings(Memory().settings, 1));
}

TEST_F(LightingEditorTest, WithoutEffect19NoColoursAreRead)
{
    testing::FakeKeyboard limited{log_};
    auto memory = tolvex::emu::FactoryMemory();
    const std::uint8_t tenModes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    tolvex::emu::SetOfferedModes(memory, tenModes);
    testing::FakeKeyboard keyboard{log_, memory};
    device::DeviceLink link{keyboard, timer_};
    keyboard.Attach(link);
    device::DeviceCommands commands{link};
    LightingEditor editor{commands, folder_.File("u_"), ""};
    ASSERT_TRUE(editor.Load(true, 0).Ok());
    EXPECT_EQ(editor.Modes().Count(), 10);
    EXPECT_EQ(editor.Modes().PositionOf(19), -1);
    for (const auto& frame : keyboard.Writes())
        EXPECT_NE(frame[3], 16) << "no per-key colour read";
}

TEST_F(LightingEditorTest, AFailedIdentityReadLeavesNoEffectsAndKeepsTheState)
{
    LoadedOn(0);
    const LightingState before = editor_.State();
    keyboard_.Script({testing::Answer::StatusFF, testing::Answer::StatusFF, testing::Answer::StatusFF});
    const LightingResult result = editor_.Load(true, 0);
    EXPECT_FALSE(result.Ok());
    EXPECT_NE(result.Describe().find("identity"), std::string::npos) << result.Describe();
    EXPECT_EQ(editor_.Modes().Count(), 0);
    EXPECT_EQ(editor_.State(), before);
}

TEST_F(LightingEditorTest, AControlChangeLandsInTheRecordOfTheRunningProfile)
{
    LoadedOn(2);
    const std::size_t before = Sends().size();
    ASSERT_TRUE(editor_.Change(ChooseEffectColour(editor_.State(), RgbColour(0x12, 0x34, 0x56))).Ok());
    EXPECT_EQ(SendsAfter(before), (std::vector<Sent>{{1, 0, 0}, {6, 1, 77}, {6, 3, 78}, {2, 0, 0}}));
    EXPECT_EQ(Memory().settings[77], 0);
    EXPECT_EQ(Memory().settings[78], 0x12);
    EXPECT_EQ(Memory().settings[80], 0x56);

    const std::size_t mid = Sends().size();
    ASSERT_TRUE(editor_.Change(ChooseAmbient(editor_.State(), 2)).Ok());
    EXPECT_EQ(SendsAfter(mid), (std::vector<Sent>{{6, 1, 91}})) << "no begin or end around the ambient choice";
}

TEST_F(LightingEditorTest, AFailedWriteClosesTheBracketAndSaysWhichField)
{
    LoadedOn(0);
    const std::size_t before = Sends().size();
    keyboard_.Script(
        {testing::Answer::Normal, testing::Answer::StatusFF, testing::Answer::StatusFF, testing::Answer::StatusFF});
    const LightingResult result = editor_.Change(MoveBrightness(editor_.State(), 3));
    EXPECT_FALSE(result.Ok());
    EXPECT_NE(result.Describe().find("lighting field 4"), std::string::npos) << result.Describe();
    const auto sent = SendsAfter(before);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().command, 2) << "the end command still goes";
}

TEST_F(LightingEditorTest, PaintingSendsOneKeyAndKeepsItInTheLayoutFile)
{
    LoadedOn(1);
    editor_.Change(SelectEffect(editor_.State(), kPerKeyMode));
    editor_.ChangePaintColour(RgbColour(1, 2, 3));
    const std::size_t before = Sends().size();
    ASSERT_TRUE(editor_.Paint(model::kFnButtonId).Ok());
    // Fn is LED 110: address 512 × 1 + 330 in the colour area.
    EXPECT_EQ(SendsAfter(before), (std::vector<Sent>{{1, 0, 0}, {17, 3, 512 + 330}, {2, 0, 0}}));
    EXPECT_EQ(KeyboardColour(1, kFnLed), RgbColour(1, 2, 3));
    EXPECT_EQ(Memory().colours[1][330], 1);
    EXPECT_EQ(editor_.Files().ReadKeyEntry(1, 0, kFnLed), (KeyEntry{kFnLed, RgbColour(1, 2, 3), false}));

    const std::size_t after = Sends().size();
    EXPECT_TRUE(editor_.Paint(*model::GButtonId(0)).Ok());
    EXPECT_EQ(Sends().size(), after) << "a G button cannot be painted";
    editor_.Change(SelectEffect(editor_.State(), 1));
    const std::size_t other = Sends().size();
    editor_.Paint(kKeyA);
    EXPECT_EQ(Sends().size(), other) << "painting needs effect 19";
}

TEST_F(LightingEditorTest, ABaseColourChangeRepaintsMarkedKeysOnly)
{
    LoadedOn(0);
    editor_.Change(SelectEffect(editor_.State(), kPerKeyMode));
    editor_.ChooseBrush(Brush::Base);
    editor_.Paint(kKeyA);  // follows the base colour
    editor_.ChooseBrush(Brush::Paint);
    editor_.ChangePaintColour(RgbColour(9, 9, 9));
    editor_.Paint(kKeyB);  // its own colour

    const std::size_t before = Sends().size();
    ASSERT_TRUE(editor_.ChangeBaseColour(RgbColour(200, 100, 50)).Ok());
    std::vector<Sent> expected{{1, 0, 0}};
    for (int chunk = 0; chunk < 8; ++chunk)
        expected.push_back({17, 54, chunk * 54});
    expected.insert(expected.end(), {{2, 0, 0}, {1, 0, 0}, {6, 3, 12}, {2, 0, 0}});
    EXPECT_EQ(SendsAfter(before), expected);
    EXPECT_EQ(KeyboardColour(0, 64), RgbColour(200, 100, 50));
    EXPECT_EQ(KeyboardColour(0, 90), RgbColour(9, 9, 9));
    EXPECT_EQ(editor_.Files().ReadKeyEntry(0, 0, 64), (KeyEntry{64, RgbColour(200, 100, 50), true}));
    EXPECT_EQ(editor_.Files().ReadKeyEntry(0, 0, 90), (KeyEntry{90, RgbColour(9, 9, 9), false}));

    const std::size_t same = Sends().size();
    EXPECT_TRUE(editor_.ChangeBaseColour(RgbColour(200, 100, 50)).Ok());
    EXPECT_EQ(Sends().size(), same) << "the same base colour again sends nothing";
}

TEST_F(LightingEditorTest, SelectingALayoutReadsItsSectionAndSends432Bytes)
{
    LoadedOn(1);
    {
        std::ofstream file(folder_.File("UserDengColor_1.userd"));
        file << "[Mode3]\ntool=1\njcolor=1,2,3\ncolor=4,5,6\n64=0,128,255,7\n";
    }
    const std::size_t before = Sends().size();
    ASSERT_TRUE(editor_.SelectLayout(3).Ok());
    const auto sent = SendsAfter(before);
    int colourBytes = 0;
    for (const Sent& s : sent)
        if (s.command == 17)
            colourBytes += s.length;
    EXPECT_EQ(colourBytes, 432);
    EXPECT_EQ(editor_.CurrentBrush(), Brush::Base);
    EXPECT_EQ(editor_.State().baseColour, RgbColour(1, 2, 3));
    EXPECT_EQ(editor_.State().paintColour, RgbColour(4, 5, 6));
    EXPECT_EQ(KeyboardColour(1, 64), RgbColour(0, 128, 255));
    EXPECT_EQ(KeyboardColour(1, 90), RgbColour(255, 0, 0)) << "a key never saved is red";
    EXPECT_EQ(editor_.Files().SelectedLayout(1), 3);
}

TEST_F(LightingEditorTest, DefaultsRestoreRecordAndColoursAndMarkTheBlackKeys)
{
    LoadedOn(0);
    editor_.Change(MoveBrightness(editor_.State(), 2));
    ASSERT_TRUE(editor_.RestoreDefaults().Ok());
    const auto& record = DefaultLightingRecord();
    EXPECT_TRUE(std::equal(record.begin(), record.end(), Memory().settings.begin() + 3));
    const auto& colours = DefaultKeyColours();
    EXPECT_TRUE(std::equal(colours.begin(), colours.begin() + 432, Memory().colours[0].begin()));
    // The G buttons' light is black after defaults, so they follow a base colour change.
    editor_.Change(SelectEffect(editor_.State(), kPerKeyMode));
    editor_.ChangeBaseColour(RgbColour(0, 0, 99));
    EXPECT_EQ(KeyboardColour(0, kGKeyLed), RgbColour(0, 0, 99)) << "LED 125 lies in chunk 6 and is sent";
    EXPECT_EQ(KeyboardColour(0, 29), RgbColour(255, 0, 0)) << "a coloured default key keeps its colour";
}

TEST_F(LightingEditorTest, MarksAreRebuiltFromTheColoursAndTheRecordsBaseColour)
{
    LoadedOn(0);
    editor_.RebuildMarks();
    // Factory colours: LED 29 is red, LED 64 black; the factory base colour is black.
    editor_.Change(SelectEffect(editor_.State(), kPerKeyMode));
    editor_.ChangeBaseColour(RgbColour(7, 7, 7));
    EXPECT_EQ(KeyboardColour(0, 64), RgbColour(7, 7, 7));
    EXPECT_EQ(KeyboardColour(0, 29), RgbColour(255, 0, 0));
}

TEST_F(LightingEditorTest, KeysPaintedFromOutsideKeepTheirColoursAtThePanelsNextBaseColour)
{
    LoadedOn(0);
    editor_.Change(SelectEffect(editor_.State(), kPerKeyMode));
    editor_.ChooseBrush(Brush::Base);
    editor_.Paint(kKeyA);
    editor_.Paint(kKeyB);
    // The layout file says layout 3 was selected last (in an earlier run); another editor over the
    // same keyboard and files (tavrinctl's) paints A into it.
    LightingEditor other(commands_, folder_.File("UserDengColor_"), "");
    ASSERT_TRUE(other.Load(true, 0).Ok());
    ASSERT_TRUE(other.Files().WriteSelectedLayout(0, 2));
    ASSERT_TRUE(other.PaintKeys({{kKeyA, RgbColour(0, 255, 0)}}, other.Files().SelectedLayout(0)).Ok());

    // What the window does when told: the colours read again, the marks and the layout followed.
    ASSERT_TRUE(editor_.Load(true, 0).Ok());
    editor_.RebuildMarks();
    editor_.TakeSelectedLayoutFromFile();
    EXPECT_EQ(editor_.SelectedLayout(), 2);
    ASSERT_TRUE(editor_.ChangeBaseColour(RgbColour(7, 7, 7)).Ok());
    EXPECT_EQ(KeyboardColour(0, 64), RgbColour(0, 255, 0)) << "A keeps its painted colour";
    EXPECT_EQ(KeyboardColour(0, 90), RgbColour(7, 7, 7)) << "B still follows the base colour";
    EXPECT_EQ(editor_.Files().ReadKeyEntry(0, 2, 64), (KeyEntry{64, RgbColour(0, 255, 0), false}));
    EXPECT_EQ(editor_.Files().ReadKeyEntry(0, 2, 90), (KeyEntry{90, RgbColour(7, 7, 7), true}));
}

TEST_F(LightingEditorTest, ThePanelSwitchIsRemembered)
{
    LoadedOn(0);
    EXPECT_FALSE(editor_.PanelOpen());
    ASSERT_TRUE(editor_.SetPanelOpen(true));
    LightingEditor again{commands_, folder_.File("UserDengColor_"), folder_.File("wskb.ini")};
    again.Load(false, 0);
    EXPECT_TRUE(again.PanelOpen());
}

TEST(UserColourFileTest, EntriesParseStrictlyAndNeverLoseTheFile)
{
    EXPECT_EQ(ParseKeyEntry("0,128,255,7", 3), (KeyEntry{3, 0x00FF8000, true}));
    EXPECT_EQ(ParseKeyEntry(" 1 , 2 ,3, 0", 3), (KeyEntry{3, RgbColour(1, 2, 3), false}));
    EXPECT_EQ(ParseKeyEntry("300,-5,2,1", 3), (KeyEntry{3, RgbColour(255, 0, 2), true}));
    EXPECT_FALSE(ParseKeyEntry("1,2,3", 3));
    EXPECT_FALSE(ParseKeyEntry("1,2,x,1", 3));
    EXPECT_FALSE(ParseKeyEntry("", 3));
    EXPECT_EQ(ParseColour("4,5,6"), RgbColour(4, 5, 6));

    testing::TemporaryFolder folder;
    const UserColourFile files(folder.File("u_"));
    EXPECT_EQ(files.ReadKeyEntry(0, 9, 5), (KeyEntry{5, RgbColour(255, 0, 0), true})) << "never written";
    EXPECT_EQ(files.LayoutName(0, 4), "0");
    EXPECT_TRUE(files.WriteLayoutName(0, 4, ""));
    EXPECT_EQ(files.LayoutName(0, 4), "") << "an empty name is kept";
    // A folder where the file should be: nothing is written, nothing is lost.
    std::filesystem::create_directory(folder.File("u_1.userd"));
    const KeyEntry entry{5, 1, false};
    EXPECT_FALSE(files.WriteKeyEntries(1, 0, std::span(&entry, 1)));
}

// A slider step waiting behind a slow keyboard is replaced by the next only when the next writes
// every field the waiting one would have: the same profile, fields and sequences.
TEST(SupersedingKeyTest, OnlyChangesThatWriteTheSameFieldsShareAKey)
{
    const auto writes = [](std::initializer_list<int> fields, bool bracketed = true) {
        WriteSequence sequence{bracketed, {}};
        for (const int field : fields)
            sequence.writes.push_back({field, {1}});
        return std::vector<WriteSequence>{sequence};
    };
    EXPECT_EQ(SupersedingKey(0, writes({4})), SupersedingKey(0, writes({4})));
    EXPECT_NE(SupersedingKey(0, writes({4})), SupersedingKey(1, writes({4}))) << "another profile";
    EXPECT_NE(SupersedingKey(0, writes({3, 4})), SupersedingKey(0, writes({3}))) << "an effect change writes more";
    EXPECT_NE(SupersedingKey(0, writes({4})), SupersedingKey(0, writes({4}, false))) << "unbracketed";
    EXPECT_EQ(SupersedingKey(0, {}), "") << "nothing to write: never replaced";
}

}  // namespace
}  // namespace tavrin::lighting
