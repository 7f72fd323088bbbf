#include "bracket_log.h"

#include <algorithm>

#include "control_report.h"

namespace tolvex::emu {

void BracketLog::Note(std::uint64_t client, std::span<const std::uint8_t> request)
{
    // Judged as the firmware judges it: short requests are zero-filled, long ones cut.
    Report frame{};
    std::copy_n(request.begin(), std::min(request.size(), frame.size()), frame.begin());
    const bool readable = ReportSum(frame) == CarriedSum(frame);
    const auto command = static_cast<Opcode>(frame[kAtCommand]);

    if (openedBy_ && *openedBy_ != client)
        ++counts_.foreignRequests;
    if (!readable)
        return;
    if (command == Opcode::Begin) {
        ++counts_.begins;
        if (openedBy_)
            ++counts_.nestedBegins;  // the bracket stays the one that was open
        else
            openedBy_ = client;
    } else if (command == Opcode::End) {
        ++counts_.ends;
        if (!openedBy_)
            ++counts_.endsOutside;
        openedBy_.reset();  // the firmware closes it, whoever asks
    }
}

std::string BracketLog::Describe() const
{
    return "begins " + std::to_string(counts_.begins) + ", ends " + std::to_string(counts_.ends) + ", nested begins "
        + std::to_string(counts_.nestedBegins) + ", foreign requests " + std::to_string(counts_.foreignRequests)
        + ", ends outside a bracket " + std::to_string(counts_.endsOutside) + ", open " + (openedBy_ ? "yes" : "no");
}

}  // namespace tolvex::emu
