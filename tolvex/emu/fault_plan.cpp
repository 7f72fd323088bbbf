#include "fault_plan.h"

namespace tolvex::emu {

void FaultPlan::Set(Fault fault, std::uint32_t count, std::uint32_t delayMicros)
{
    fault_ = count == 0 ? Fault::None : fault;
    remaining_ = count;
    delayMicros_ = delayMicros;
}

void FaultPlan::UnplugAfter(std::uint32_t count)
{
    unplugCountdown_ = count;
}

void FaultPlan::Clear()
{
    *this = FaultPlan{};
}

FaultDecision FaultPlan::Next()
{
    FaultDecision decision;
    if (remaining_ > 0) {
        decision.fault = fault_;
        decision.delayMicros = delayMicros_;
        if (--remaining_ == 0)
            fault_ = Fault::None;
    }
    if (unplugCountdown_) {
        if (*unplugCountdown_ <= 1) {
            decision.unplugAfterReply = true;
            unplugCountdown_.reset();
        } else {
            --*unplugCountdown_;
        }
    }
    return decision;
}

std::string FaultPlan::Describe() const
{
    static const char* const kNames[] = {"none", "drop", "ff", "fe", "echo", "delay"};
    std::string text = kNames[static_cast<int>(fault_)];
    if (remaining_ > 0)
        text += " for " + std::to_string(remaining_) + " request(s)";
    if (fault_ == Fault::DelayReply)
        text += " by " + std::to_string(delayMicros_) + " us";
    if (unplugCountdown_)
        text += ", unplug after " + std::to_string(*unplugCountdown_) + " request(s)";
    return text;
}

std::optional<Fault> ParseFault(const std::string& name)
{
    if (name == "drop")
        return Fault::DropReply;
    if (name == "ff" || name == "error")
        return Fault::StatusError;
    if (name == "fe" || name == "range")
        return Fault::StatusRange;
    if (name == "echo")
        return Fault::WrongEcho;
    if (name == "delay")
        return Fault::DelayReply;
    return std::nullopt;
}

}  // namespace tolvex::emu
