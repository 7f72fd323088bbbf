// Encoding and decoding a macro block that fills the largest macro memory a keyboard reports
// (255 units of 128 bytes).
#include <benchmark/benchmark.h>

#include "model/macro_block.h"

namespace {

using namespace tavrin::model;

constexpr std::size_t kLargestCapacity = 255 * 128;

MacroList FullList()
{
    MacroList list;
    for (std::uint16_t m = 0; m < kMaxMacros; ++m) {
        MacroRecord record = EmptyMacroRecord();
        record.id = static_cast<std::uint16_t>(m + 1);
        record.cycles = 1;
        SetMacroName(record, u"Macro " + std::u16string(1, static_cast<char16_t>(u'A' + m % 26)));
        list.push_back(record);
    }
    // Spread actions over the macros until the block with names fills the capacity exactly.
    std::size_t size = ComputeMacroBlockSizes(list).withNames;
    for (std::size_t m = 0; size + 4 <= kLargestCapacity; m = (m + 1) % list.size(), size += 4) {
        MacroRecord& record = list[m];
        const std::uint16_t key = record.actionCount % 2 == 0 ? 0x01E : 0x02A;
        record.actions[record.actionCount] = {static_cast<std::uint32_t>(10 * record.actionCount), key,
            static_cast<std::uint16_t>(record.actionCount % 2)};
        ++record.actionCount;
    }
    return list;
}

void BM_EncodeFullMacroBlock(benchmark::State& state)
{
    const MacroList list = FullList();
    const std::size_t size = ComputeMacroBlockSizes(list).withNames;
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeMacroBlock(list, true, size));
    state.counters["block_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_EncodeFullMacroBlock)->Unit(benchmark::kMicrosecond);

void BM_DecodeFullMacroBlock(benchmark::State& state)
{
    const MacroList list = FullList();
    const auto block = EncodeMacroBlock(list, true, ComputeMacroBlockSizes(list).withNames);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeMacroBlock(block, u"Macro"));
    state.counters["block_bytes"] = static_cast<double>(block.size());
}
BENCHMARK(BM_DecodeFullMacroBlock)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
