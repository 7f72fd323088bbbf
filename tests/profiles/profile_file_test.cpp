// The profile file: its bytes, validation, loading of untrusted files and whole-file saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "model/key_table.h"
#include "profiles/profile_file.h"
#include "profiles/working_file.h"
#include "support/recorded_messages.h"
#include "support/temporary_folder.h"

namespace tavrin::profiles {
namespace {

using model::KeyRecord;
using testing::RecordedMessages;
using testing::TemporaryFolder;

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Where two files first differ; npos when they are the same (comparing megabytes with EXPECT_EQ would
// print them whole).
std::size_t FirstDifference(const std::string& a, const std::string& b)
{
    const auto [left, right] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return left == a.end() && right == b.end() ? std::string::npos : static_cast<std::size_t>(left - a.begin());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::uint32_t U32At(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8
        | static_cast<std::uint8_t>(bytes[at + 2]) << 16
        | static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
}

std::uint16_t U16At(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(
        static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

// Rewrites a header field and its checksum, as a well-formed but different file would have it.
void SetU16AndChecksum(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value);
    bytes[at + 1] = static_cast<char>(value >> 8);
    bytes[31] = static_cast<char>(FileHeaderChecksum(
        std::span<const std::uint8_t, kFileHeaderSize>(reinterpret_cast<const std::uint8_t*>(bytes.data()), 32)));
}

// A file without macros whose text area is `area`, terminators included, and whose first records
// are texts at the given offsets: what another program, or a hostile one, might write.
std::string FileWithTexts(std::u16string_view area, const std::vector<std::uint32_t>& offsets)
{
    auto fresh = std::make_unique<ProfileData>();
    CreateDefaultProfileData(*fresh);
    for (std::size_t r = 0; r < offsets.size(); ++r)
        fresh->records[r] = {model::KIND_TEXT, 0, offsets[r], 0, 0};
    std::string bytes = EncodeProfileFile(*fresh).value();
    for (const char16_t unit : area) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    WriteFileHeader(std::span<std::uint8_t, kFileHeaderSize>(reinterpret_cast<std::uint8_t*>(bytes.data()), 32), 0,
        static_cast<std::uint32_t>(2 * area.size()));
    return bytes;
}

model::MacroRecord Macro(std::uint16_t id, std::u16string_view name, std::size_t actions)
{
    model::MacroRecord record = model::EmptyMacroRecord();
    record.id = id;
    record.cycles = static_cast<std::uint8_t>(id);
    model::SetMacroName(record, name);
    record.actionCount = static_cast<std::uint16_t>(actions);
    for (std::size_t a = 0; a < actions; ++a)
        record.actions[a] = {static_cast<std::uint32_t>(a * 10), static_cast<std::uint16_t>(0x01E + a % 20),
            static_cast<std::uint16_t>(a % 2)};
    return record;
}

class ProfileFileTest : public ::testing::Test {
protected:
    ProfileFileTest() { CreateDefaultProfileData(data); }

    std::string Saved()
    {
        EXPECT_TRUE(SaveProfileFile(folder.File("saved.tvn"), data));
        return ReadFile(folder.File("saved.tvn"));
    }

    TemporaryFolder folder;
    RecordedMessages messages;
    std::unique_ptr<ProfileData> owned = std::make_unique<ProfileData>();
    ProfileData& data = *owned;
};

TEST_F(ProfileFileTest, AFreshFileIsTheBareKeyAreaWithGCodesInTheFirstBlockOnly)
{
    const std::string path = folder.File("fresh.tvn");
    ASSERT_TRUE(CreateDefaultProfileFile(path));
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 32832u);
    EXPECT_EQ(bytes.substr(0, 2), "\x46\x44");
    EXPECT_EQ(U16At(bytes, 14), 0) << "macro count";
    EXPECT_EQ(U32At(bytes, 16), 0u) << "text area";
    EXPECT_EQ(U32At(bytes, 8), 32832u) << "total length";
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[31]), 0x76) << "the checksum of bytes 0 to 30, as a literal";
    EXPECT_EQ(bytes.substr(32, 2), "KH");
    EXPECT_EQ(bytes.substr(48, 8), std::string("\x45\x0C\x45\x70\x4F\x1C\x0E\x00", 8));
    EXPECT_EQ(ValidateProfileFile(path, messages), kProfileFileAccepted);
    EXPECT_TRUE(messages.shown.empty());

    ASSERT_TRUE(LoadProfileFile(path, data));
    for (int block = 0; block < 4; ++block)
        for (int g = 0; g < 9; ++g)
            for (int bank = 0; bank < 2; ++bank)
                EXPECT_EQ(data.Record(block, model::GRecord(g, bank)).aux, block == 0 ? model::GCode(g, bank) : 0)
                    << "block " << block << " G" << g + 1 << " bank " << bank;
}

TEST_F(ProfileFileTest, TheTotalLengthCountsMacrosAndTexts)
{
    data.macros = {Macro(1, u"a", 3), Macro(2, u"b", 0), Macro(3, u"c", 2000)};
    data.records[5].kind = model::KIND_TEXT;
    data.SetText(5, std::u16string(9, u'x'));  // 20 bytes
    data.records[700].kind = model::KIND_PROGRAM;
    data.SetText(700, u"/usr/bin/");  // 20 bytes
    const std::string bytes = Saved();
    EXPECT_EQ(bytes.size(), 82408u);
    EXPECT_EQ(U32At(bytes, 8), 82408u);
    EXPECT_EQ(U32At(bytes, 16), 40u);
    EXPECT_EQ(ValidateProfileFile(folder.File("saved.tvn"), messages), kProfileFileAccepted);
}

TEST_F(ProfileFileTest, AnyChangedHeaderByteFailsWithTheFormatMessage)
{
    const std::string original = Saved();
    const std::string path = folder.File("changed.tvn");
    for (std::size_t at = 0; at <= 30; ++at) {
        std::string bytes = original;
        bytes[at] = static_cast<char>(bytes[at] + 1);
        WriteFile(path, bytes);
        messages.shown.clear();
        EXPECT_EQ(ValidateProfileFile(path, messages), kProfileFileRejected) << "byte " << at;
        EXPECT_EQ(
            messages.shown, std::vector<std::string>{"wrong file format, revert to the default values: \n  " + path})
            << "byte " << at;
    }
    // The same changes with the checksum made right again: each check must stand on its own.
    for (std::size_t at : {0u, 2u, 4u, 6u, 12u, 30u}) {
        std::string bytes = original;
        bytes[at] = static_cast<char>(bytes[at] + (at == 30 ? 2 : 1));
        bytes[31] = static_cast<char>(FileHeaderChecksum(
            std::span<const std::uint8_t, kFileHeaderSize>(reinterpret_cast<const std::uint8_t*>(bytes.data()), 32)));
        WriteFile(path, bytes);
        EXPECT_EQ(ValidateProfileFile(path, messages), kProfileFileRejected) << "byte " << at << ", checksum right";
    }
}

TEST_F(ProfileFileTest, HeadersThatLieAboutTheirSizesFailValidation)
{
    std::string bytes = Saved();
    const std::string path = folder.File("lying.tvn");
    struct Case {
        const char* what;
        std::uint16_t macros;
        std::uint32_t textBytes;
    };
    // 101 macros with a length that matches; a text area so big that a 32-bit sum would wrap round
    // to the stated total; a text area larger than all 2048 texts at their longest can fill.
    for (const Case& c : {Case{"101 macros", 101, 0}, Case{"wrapping text area", 1, 0u - 16512u},
             Case{"text area over 16 MiB", 0, (16u << 20) + 2}}) {
        std::string changed = bytes;
        const std::uint32_t total = static_cast<std::uint32_t>(32832u + 16512u * c.macros + c.textBytes);
        SetU16AndChecksum(changed, 14, c.macros);
        for (int i = 0; i < 4; ++i) {
            changed[8 + i] = static_cast<char>(total >> (8 * i));
            changed[16 + i] = static_cast<char>(c.textBytes >> (8 * i));
        }
        SetU16AndChecksum(changed, 14, c.macros);
        changed.resize(std::max<std::size_t>(changed.size(), c.macros * 16512u + 32832u), '\0');
        WriteFile(path, changed);
        messages.shown.clear();
        EXPECT_EQ(ValidateProfileFile(path, messages), kProfileFileRejected) << c.what;
        EXPECT_EQ(messages.shown.size(), 1u) << c.what;
        EXPECT_EQ(CheckProfileFileBytes(changed), ProfileFileProblem::WrongFormat) << c.what;
    }
}

TEST_F(ProfileFileTest, TheLargestFileTheChecksAllowIsTheReadLimit)
{
    data.macros.assign(model::kMaxMacros, Macro(1, u"m", 0));
    for (std::size_t r = 0; r < model::kRecordCount; ++r) {
        data.records[r].kind = model::KIND_TEXT;
        data.SetText(r, std::u16string(kMaxTextUnits, u'x'));
    }
    const std::string bytes = EncodeProfileFile(data).value();
    EXPECT_EQ(U32At(bytes, 16), 16u << 20) << "text area";
    EXPECT_EQ(bytes.size(), kProfileFileReadLimit);
    EXPECT_EQ(CheckProfileFileBytes(bytes), ProfileFileProblem::None);
}

TEST_F(ProfileFileTest, MissingShortAndUnopenableFilesAreRefusedWithoutTheFormatMessage)
{
    std::string bytes = Saved();
    bytes.resize(32831);
    WriteFile(folder.File("short.tvn"), bytes);
    EXPECT_EQ(ValidateProfileFile(folder.File("short.tvn"), messages), kProfileFileRejected);
    EXPECT_EQ(ValidateProfileFile(folder.File("missing.tvn"), messages), kProfileFileRejected);
    std::filesystem::create_directory(folder.File("folder.tvn"));
    EXPECT_EQ(ValidateProfileFile(folder.File("folder.tvn"), messages), kProfileFileUnopenable);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProfileFileTest, TextsArePackedInRecordOrderAndLoadBack)
{
    data.records[40].kind = model::KIND_TEXT;
    data.SetText(40, u"abc");
    data.records[30].kind = model::KIND_PROGRAM;
    data.SetText(30, u"/bin/true");
    const std::string bytes = Saved();
    const std::size_t area = 32832;
    EXPECT_EQ(U32At(bytes, 16), 28u);
    EXPECT_EQ(data.records[30].value, 0u) << "the earlier record comes first";
    EXPECT_EQ(data.records[40].value, 20u);
    EXPECT_EQ(bytes.substr(area + 20), std::string("a\0b\0c\0\0\0", 8));

    auto loaded = std::make_unique<ProfileData>();
    ASSERT_TRUE(LoadProfileFile(folder.File("saved.tvn"), *loaded));
    EXPECT_EQ(loaded->texts[40], u"abc");
    EXPECT_EQ(TextByteLength(*loaded->texts[40]), 8u);
    EXPECT_EQ(loaded->texts[30], u"/bin/true");
    EXPECT_EQ(loaded->textBytes, 28u);
}

TEST_F(ProfileFileTest, AStaleTextLeavesZeroBytesThatTheLengthStillCounts)
{
    data.records[3].kind = model::KIND_TEXT;
    data.SetText(3, u"old");
    data.records[3].kind = model::KIND_KEY;  // reassigned; the text stays in the table
    data.records[4].kind = model::KIND_TEXT;
    data.SetText(4, u"ab");
    const std::string bytes = Saved();
    EXPECT_EQ(U32At(bytes, 16), 14u);
    EXPECT_EQ(bytes.size(), 32832u + 14u);
    EXPECT_EQ(bytes.substr(32832), std::string("a\0b\0\0\0\0\0\0\0\0\0\0\0", 14));
}

// A file the program did not write: offsets, terminators, lengths and counts may all be wrong.
TEST_F(ProfileFileTest, UntrustedFilesLoadWithinTheirBytes)
{
    data.macros = {Macro(1, u"m", 2)};
    data.records[10].kind = model::KIND_TEXT;
    data.SetText(10, u"hello");
    data.records[11].kind = model::KIND_PROGRAM;
    data.SetText(11, u"prog");
    const std::string good = Saved();
    const std::size_t macroAt = 32832;
    const std::size_t record10 = 64 + 16 * 10;

    struct Case {
        const char* what;
        std::function<void(std::string&)> change;
        std::function<void(const ProfileData&)> check;
        bool loads;
    };
    const Case cases[] = {
        {"text offset outside the area", [&](std::string& b) { b[record10 + 4] = 100; },
            [](const ProfileData& d) { EXPECT_EQ(d.texts[10], u""); }, true},
        {"odd text offset is rounded down", [&](std::string& b) { b[record10 + 4] = 1; },
            [](const ProfileData& d) { EXPECT_EQ(d.texts[10], u"hello"); }, true},
        {"text without terminator",
            [&](std::string& b) {
                b.resize(b.size() - 2);  // the terminator of "prog" goes; the header still counts it
                b[16] = static_cast<char>(b[16] - 2);
            },
            [](const ProfileData& d) { EXPECT_EQ(d.texts[11], u""); }, true},
        {"action count above 2000",
            [&](std::string& b) {
                b[macroAt + 508] = static_cast<char>(0xC4);
                b[macroAt + 509] = 0x09;
            },
            [](const ProfileData& d) { EXPECT_EQ(d.macros[0].actionCount, 2000); }, true},
        {"name without terminator",
            [&](std::string& b) {
                for (std::size_t u = 0; u < 250; ++u)
                    b[macroAt + 2 * u] = 'n';
            },
            [](const ProfileData& d) { EXPECT_EQ(model::MacroName(d.macros[0]), std::u16string(249, u'n')); }, true},
        {"shorter than its header states", [](std::string& b) { b.resize(b.size() - 1); }, {}, false},
        {"more than 100 macros", [](std::string& b) { b[14] = 101; }, {}, false},
        {"text area over 16 MiB, all of it present",
            [](std::string& b) {
                const std::uint32_t area = (16u << 20) + 2;
                b.resize(32832 + 16512 + area, '\0');
                for (int i = 0; i < 4; ++i)
                    b[16 + i] = static_cast<char>(area >> (8 * i));
            },
            {}, false},
        {"shorter than a key area", [](std::string& b) { b.resize(100); }, {}, false},
    };
    // Both ways in: bytes already in memory, and a file read as it is loaded.
    const std::string path = folder.File("untrusted.tvn");
    for (const bool fromFile : {false, true})
        for (const Case& c : cases) {
            std::string bytes = good;
            c.change(bytes);
            auto loaded = std::make_unique<ProfileData>();
            loaded->macros = {Macro(9, u"left over", 1)};
            if (fromFile)
                WriteFile(path, bytes);
            const bool result = fromFile ? LoadProfileFile(path, *loaded) : DecodeProfileFile(bytes, *loaded);
            const std::string what = std::string(c.what) + (fromFile ? " (file)" : " (memory)");
            EXPECT_EQ(result, c.loads) << what;
            if (c.check)
                c.check(*loaded);
            if (!c.loads) {
                // Default data, not a half-filled copy.
                EXPECT_TRUE(loaded->hasKeyArea) << what;
                EXPECT_TRUE(loaded->macros.empty()) << what;
                EXPECT_EQ(loaded->textBytes, 0u) << what;
                EXPECT_EQ(loaded->Record(0, model::GRecord(0, 0)).aux, 0x0301) << what;
                EXPECT_EQ(loaded->records[10], KeyRecord{}) << what;
            }
        }
}

// The same bound whichever way a text comes in: from an editor through SetText, or from a file.
TEST_F(ProfileFileTest, ATextIsCutToItsBoundNeverInsideASurrogatePair)
{
    const std::u16string pair = u"\U0001F600";
    struct Case {
        const char* what;
        std::u16string text;
        std::size_t kept;
    };
    const Case cases[] = {
        {"exactly the bound", std::u16string(4095, u'x'), 4095},
        {"one unit over", std::u16string(4096, u'x'), 4095},
        {"a pair across the cut", std::u16string(4094, u'x') + pair + u"y", 4094},
        {"a pair ending at the bound", std::u16string(4093, u'x') + pair + u"y", 4095},
    };
    // Compared by length and prefix: a failure would otherwise print thousands of units.
    for (const Case& c : cases) {
        data.SetText(7, c.text);
        ASSERT_TRUE(data.texts[7]) << c.what;
        EXPECT_EQ(data.texts[7]->size(), c.kept) << c.what;
        EXPECT_TRUE(c.text.starts_with(*data.texts[7])) << c.what;
        EXPECT_EQ(data.textBytes, 2 * (c.kept + 1)) << c.what;

        auto loaded = std::make_unique<ProfileData>();
        ASSERT_TRUE(DecodeProfileFile(FileWithTexts(c.text + u'\0', {0}), *loaded)) << c.what;
        ASSERT_TRUE(loaded->texts[0]) << c.what;
        EXPECT_EQ(loaded->texts[0]->size(), c.kept) << c.what;
        EXPECT_TRUE(c.text.starts_with(*loaded->texts[0])) << c.what;
        EXPECT_EQ(loaded->textBytes, 2 * (c.kept + 1)) << c.what;
    }
}

// A small file whose 2048 records all point into one long text must not cost 2048 copies of it:
// each record keeps at most the bound, and the whole still saves as a file that validates.
TEST_F(ProfileFileTest, RecordsSharingALongTextEachKeepAtMostTheBound)
{
    std::u16string area(300000, u'\0');
    for (std::size_t u = 0; u + 1 < area.size(); ++u)
        area[u] = static_cast<char16_t>(u'a' + u % 26);
    struct Case {
        const char* what;
        std::size_t unitsBetweenRecords;
    };
    const std::string path = folder.File("shared.tvn");
    for (const Case& c : {Case{"every record at its start", 0}, Case{"each record one unit further in", 1}}) {
        std::vector<std::uint32_t> offsets(model::kRecordCount);
        for (std::size_t r = 0; r < offsets.size(); ++r)
            offsets[r] = static_cast<std::uint32_t>(2 * r * c.unitsBetweenRecords);
        WriteFile(path, FileWithTexts(area, offsets));
        for (const bool fromFile : {false, true}) {
            const std::string what = std::string(c.what) + (fromFile ? " (file)" : " (memory)");
            auto loaded = std::make_unique<ProfileData>();
            ASSERT_TRUE(fromFile ? LoadProfileFile(path, *loaded) : DecodeProfileFile(ReadFile(path), *loaded)) << what;
            ASSERT_EQ(loaded->textBytes, 2048u * 8192u) << what;
            std::size_t wrong = 0;
            for (std::size_t r = 0; r < model::kRecordCount; ++r)
                wrong += loaded->texts[r] != area.substr(r * c.unitsBetweenRecords, kMaxTextUnits);
            EXPECT_EQ(wrong, 0u) << what;

            const std::string resaved = folder.File("resaved.tvn");
            ASSERT_TRUE(SaveProfileFile(resaved, *loaded)) << what;
            EXPECT_EQ(std::filesystem::file_size(resaved), 32832u + (16u << 20)) << what;
            EXPECT_EQ(ValidateProfileFile(resaved, messages), kProfileFileAccepted) << what;
        }
    }
}

TEST_F(ProfileFileTest, SaveLoadSaveGivesTheSameBytes)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 5; ++round) {
        auto original = std::make_unique<ProfileData>();
        CreateDefaultProfileData(*original);
        for (std::size_t r = 0; r < model::kRecordCount; r += 1 + random() % 40) {
            const auto kind = static_cast<std::uint16_t>(random() % 9);
            original->records[r] = {kind, static_cast<std::uint16_t>(random()), static_cast<std::uint32_t>(random()),
                static_cast<std::uint32_t>(random() % 2), 0};
            // As the editors keep it: every program or text key has its text, and no other key has one.
            if (kind == model::KIND_PROGRAM || kind == model::KIND_TEXT)
                original->SetText(r, std::u16string(random() % 30, static_cast<char16_t>(u'a' + random() % 26)));
        }
        for (std::uint16_t m = 0; m < random() % 6; ++m)
            original->macros.push_back(
                Macro(static_cast<std::uint16_t>(m + 1), u"macro \u00e9\U0001F600", random() % 2001));

        const std::string first = folder.File("first.tvn");
        const std::string second = folder.File("second.tvn");
        ASSERT_TRUE(SaveProfileFile(first, *original));
        auto loaded = std::make_unique<ProfileData>();
        ASSERT_TRUE(LoadProfileFile(first, *loaded));
        ASSERT_TRUE(SaveProfileFile(second, *loaded));
        EXPECT_EQ(FirstDifference(ReadFile(first), ReadFile(second)), std::string::npos) << "round " << round;
        EXPECT_EQ(ValidateProfileFile(second, messages), kProfileFileAccepted);
    }
}

TEST_F(ProfileFileTest, AFailedSaveLeavesTheOldFileWhole)
{
    const std::string path = folder.File("keep.tvn");
    const std::string before = Saved();
    WriteFile(path, before);
    ClearProfileData(data);
    EXPECT_FALSE(SaveProfileFile(path, data)) << "no key area, nothing to write";
    EXPECT_EQ(ReadFile(path), before);

    CreateDefaultProfileData(data);
    WriteFile(folder.File("not-a-folder"), "x");
    EXPECT_FALSE(SaveProfileFile(folder.File("not-a-folder") + "/keep.tvn", data));
    EXPECT_EQ(folder.Count(), 3u) << "no temporary file is left behind";
}

TEST_F(ProfileFileTest, ANewFileIsPrivateAndAnExistingOneKeepsItsMode)
{
    const std::string fresh = folder.File("fresh.tvn");
    ASSERT_TRUE(SaveProfileFile(fresh, data));
    ASSERT_TRUE(CreateDefaultProfileFile(folder.File("default.tvn")));
    EXPECT_EQ(std::filesystem::status(fresh).permissions(),
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::filesystem::status(folder.File("default.tvn")).permissions(),
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(fresh, std::filesystem::perms::group_read, std::filesystem::perm_options::add);
    ASSERT_TRUE(SaveProfileFile(fresh, data));
    EXPECT_TRUE((std::filesystem::status(fresh).permissions() & std::filesystem::perms::group_read)
        != std::filesystem::perms::none)
        << "the mode the user gave it is kept";
}

TEST_F(ProfileFileTest, AMissingFileLoadsAsDefaultData)
{
    data.macros = {Macro(1, u"m", 1)};
    EXPECT_FALSE(LoadProfileFile(folder.File("none"), data));
    EXPECT_TRUE(data.macros.empty());
    EXPECT_TRUE(data.hasKeyArea);
}

TEST(WorkingFile, EveryProfileSharesOneFileThatIsSavedOnlyWhenItExists)
{
    TemporaryFolder documents;
    const std::string path = WorkingFilePath(documents.Path().string(), 2);
    EXPECT_EQ(path, documents.File("Tavrin_R2T/$Profile0"));
    EXPECT_EQ(WorkingFilePath(documents.Path().string(), 0), path);
    EXPECT_TRUE(std::filesystem::is_directory(documents.File("Tavrin_R2T")));

    auto working = std::make_unique<ProfileData>();
    CreateDefaultProfileData(*working);
    EXPECT_FALSE(SaveWorkingFile(*working, path));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(CreateDefaultProfileFile(path));
    working->macros = {Macro(1, u"m", 1)};
    EXPECT_TRUE(SaveWorkingFile(*working, path));
    EXPECT_EQ(std::filesystem::file_size(path), 32832u + 16512u);
}

}  // namespace
}  // namespace tavrin::profiles
