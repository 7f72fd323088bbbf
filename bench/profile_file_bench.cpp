// Saving and loading the largest profile file the program writes (100 macros of 2000 actions and
// texts in a thousand records), against plain writes and reads of the same bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/atomic_file.h"
#include "profiles/profile_file.h"

namespace {

using namespace tavrin;

std::unique_ptr<profiles::ProfileData> LargestData()
{
    auto data = std::make_unique<profiles::ProfileData>();
    profiles::CreateDefaultProfileData(*data);
    for (std::uint16_t m = 0; m < model::kMaxMacros; ++m) {
        model::MacroRecord record = model::EmptyMacroRecord();
        record.id = static_cast<std::uint16_t>(m + 1);
        model::SetMacroName(record, u"Macro with a long name " + std::u16string(200, u'x'));
        record.actionCount = model::kMaxMacroActions;
        for (std::size_t a = 0; a < model::kMaxMacroActions; ++a)
            record.actions[a] = {static_cast<std::uint32_t>(a), static_cast<std::uint16_t>(0x01E + a % 40),
                static_cast<std::uint16_t>(a % 2)};
        data->macros.push_back(record);
    }
    // Texts in the first 256 records of each block: paths and text blocks of a few hundred units.
    for (int block = 0; block < 4; ++block)
        for (std::size_t r = 0; r < 256; ++r) {
            const std::size_t number = model::RecordNumber(block, r);
            data->records[number].kind = r % 2 ? model::KIND_TEXT : model::KIND_PROGRAM;
            data->SetText(number, std::u16string(100 + r, static_cast<char16_t>(u'a' + r % 26)));
        }
    return data;
}

std::string FilePath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()))).string();
}

void BM_SaveProfileFile(benchmark::State& state)
{
    auto data = LargestData();
    const std::string path = FilePath("tavrin-bench-save-");
    for (auto _ : state)
        if (!profiles::SaveProfileFile(path, *data))
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

// The save without its file: the header, the packed texts and the records laid out.
void BM_EncodeProfileFile(benchmark::State& state)
{
    auto data = LargestData();
    for (auto _ : state)
        benchmark::DoNotOptimize(profiles::EncodeProfileFile(*data));
}

// The same bytes, replaced whole as the save does (temporary file, flush to disk, rename).
void BM_PlainAtomicWrite(benchmark::State& state)
{
    auto data = LargestData();
    const std::string bytes = *profiles::EncodeProfileFile(*data);
    const std::string path = FilePath("tavrin-bench-atomic-");
    std::string error;
    for (auto _ : state)
        if (!platform::WriteFileAtomically(path, bytes, error))
            state.SkipWithError("write failed");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
    std::filesystem::remove(path);
}

// The same bytes written in place, without flushing to disk.
void BM_PlainWrite(benchmark::State& state)
{
    auto data = LargestData();
    const std::string bytes = *profiles::EncodeProfileFile(*data);
    const std::string path = FilePath("tavrin-bench-plain-");
    for (auto _ : state) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
    std::filesystem::remove(path);
}

void BM_LoadProfileFile(benchmark::State& state)
{
    const std::string path = FilePath("tavrin-bench-load-");
    profiles::SaveProfileFile(path, *LargestData());
    auto loaded = std::make_unique<profiles::ProfileData>();
    for (auto _ : state)
        if (!profiles::LoadProfileFile(path, *loaded))
            state.SkipWithError("load failed");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

// The same bytes read with the standard library into a buffer of the file's size.
void BM_PlainRead(benchmark::State& state)
{
    const std::string path = FilePath("tavrin-bench-read-");
    profiles::SaveProfileFile(path, *LargestData());
    const auto size = static_cast<std::streamsize>(std::filesystem::file_size(path));
    for (auto _ : state) {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        std::ifstream(path, std::ios::binary).read(bytes.data(), size);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

BENCHMARK(BM_SaveProfileFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeProfileFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainAtomicWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProfileFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
