#include "fault_plan.h"

#include <gtest/gtest.h>

namespace tolvex::emu {
namespace {

TEST(FaultPlan, AppliesAFaultToExactlyTheNextNRequests)
{
    FaultPlan plan;
    plan.Set(Fault::DelayReply, 2, 1500);
    EXPECT_EQ(plan.Next().fault, Fault::DelayReply);
    const FaultDecision second = plan.Next();
    EXPECT_EQ(second.fault, Fault::DelayReply);
    EXPECT_EQ(second.delayMicros, 1500u);
    EXPECT_EQ(plan.Next().fault, Fault::None);
}

TEST(FaultPlan, UnplugsAfterTheNthRequestAlongsideOtherFaults)
{
    FaultPlan plan;
    plan.UnplugAfter(3);
    plan.Set(Fault::DropReply, 1);
    const FaultDecision first = plan.Next();
    EXPECT_EQ(first.fault, Fault::DropReply);
    EXPECT_FALSE(first.unplugAfterReply);
    EXPECT_FALSE(plan.Next().unplugAfterReply);
    EXPECT_TRUE(plan.Next().unplugAfterReply);
    EXPECT_FALSE(plan.Next().unplugAfterReply) << "only once";
}

}  // namespace
}  // namespace tolvex::emu
