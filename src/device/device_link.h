// One request to the keyboard and its reply: the reply slot that the library's callback fills,
// and the transaction with its 300 ms reply window and three attempts.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/device_report.h"
#include "device/device_service.h"
#include "device/keyboard_owner.h"
#include "device/transaction_timer.h"

namespace tavrin::device {

inline constexpr std::chrono::milliseconds kReplyWindow{300};
inline constexpr std::chrono::milliseconds kAttemptPause{10};
inline constexpr std::chrono::milliseconds kSlotBackOff{301};
inline constexpr int kAttempts = 3;
// After taking the keyboard from another program, how long its last answers are let in (and
// dropped) before the first request: every program with the keyboard open receives every answer,
// each at the pace of its own reading thread.
inline constexpr std::chrono::milliseconds kForeignAnswerSettle{20};
// How long an answer given up for lost is still expected to come after all; one later than this is
// taken for never coming.
inline constexpr std::chrono::seconds kLateAnswerHorizon{5};

// The rendezvous between the thread that waits for a reply and the library's callback thread.
//
// The keyboard answers its requests in order, but an answer may come after the reply window has
// closed. `owed` counts the attempts written whose answer has not come yet; an answer is taken as
// the reply of the request in flight only when nothing older is owed, so a late answer to a timed-out
// attempt can never be mistaken for the answer to a later request.
struct ReplySlot {
    std::mutex mutex;  // guards the fields below against the callback thread
    std::uint8_t* replyBuffer = nullptr;
    std::uint32_t replyCapacity = 0;
    std::uint32_t copiedLength = 0;
    bool busy = false;     // a request is in flight and its reply buffer waits
    bool replied = false;  // the request in flight has its reply
    std::uint32_t owed = 0;
    std::uint64_t givenUp = 0;    // owed answers waited out and taken for lost
    std::uint64_t surplus = 0;    // answers that came when none was owed: one given up came after all
    std::uint64_t forgotten = 0;  // given-up answers no longer expected (past kLateAnswerHorizon)
    std::chrono::steady_clock::time_point lastGivenUp{};
    std::uint64_t takeOfLastWrite = 0;  // the keyboard owner's take in which a request was last written
    AutoResetEvent replyEvent;
};

// A moment in the link's count of answers, to tell later whether every answer since came in turn.
struct ReplyCount {
    std::uint64_t givenUp = 0;
    std::uint64_t surplus = 0;
};

class DeviceLink {
public:
    DeviceLink(DeviceService& service, TransactionTimer& timer)
        : service_(service)
        , timer_(timer)
    {
    }

    // Sends one request (cut or zero-filled to 64 bytes; its checksum already filled in) and waits
    // for the reply. Results: 1 a reply with the request's command byte arrived (its status may
    // still be an error after the third attempt), 0 no keyboard or the wait failed, -1 the library
    // refused to send, -2 no usable reply after three attempts, kDeviceBusy when another thread or
    // program kept the keyboard too long. One transaction runs at a time, and none inside another
    // thread's or program's sequence (see Owner); one that finds the keyboard taken backs off
    // 301 ms and then waits its turn. Before a request is
    // written, answers still owed to earlier attempts are let in and discarded, waiting at most one
    // reply window for each.
    int ExchangeReport(
        std::span<const std::uint8_t> request, std::span<std::uint8_t, kReportSize> reply, std::uint32_t& copiedLength);

    // The reply path of the library's callback: copies a control report into the waiting slot when
    // it answers the request in flight; a late answer to an earlier attempt, or a report while
    // nothing is owed, is dropped. Every program with the keyboard open sees every reply: one that
    // comes while nothing is owed and nobody here holds the keyboard answered another program, as
    // does one that comes after this program took the keyboard but before it wrote anything (it was
    // on its way already); neither is counted at all.
    void OnControlReport(std::uint32_t length, const std::uint8_t* data);

    // Without an echo of the request in the reply, an answer given up for lost that comes after all
    // may have been taken for a later request's, and each answer after it for the next one's; the
    // last of them then comes when nothing is owed. A sequence of transactions checks with this
    // that it was not so: false when an answer came out of turn since `before`. While an answer
    // given up (now or earlier) may still come, one reply window is given for the displaced last
    // answer to show.
    ReplyCount CountReplies();
    bool RepliesCameInTurn(const ReplyCount& before);

    DeviceService& Service() { return service_; }
    TransactionTimer& Timer() { return timer_; }
    // Who holds the keyboard: a sequence that belongs together holds it with a KeyboardBracket.
    KeyboardOwner& Owner() { return owner_; }

private:
    // Whether a report that comes while nothing is owed answered another program; under the
    // slot's mutex.
    bool ForeignAnswer() const;
    // Lets in the answers owed to earlier attempts; false when a wait failed.
    bool DiscardLateReplies();
    // Whether an answer given up for lost, not yet seen, may still come.
    bool LateAnswerMayCome();
    void ReleaseSlot();

    DeviceService& service_;
    TransactionTimer& timer_;
    KeyboardOwner owner_;  // held for every transaction, and by sequences for their whole length
    ReplySlot slot_;
};

}  // namespace tavrin::device
