#include "profiles/keyboard_presence.h"

#include <chrono>

namespace tavrin::profiles {

namespace {
constexpr auto kReadyPoll = std::chrono::milliseconds(50);
}

void KeyboardPresence::Start(std::uint32_t presence)
{
    std::lock_guard lock(workersMutex_);
    if (stopping_)
        return;
    std::erase_if(workers_, [](Worker& worker) {
        if (!worker.done->load())
            return false;
        worker.thread.join();
        return true;
    });
    const std::uint64_t ticket = nextTicket_++;
    auto done = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back({std::thread([this, ticket, presence, done] {
                            RunInTurn(ticket, presence);
                            *done = true;
                        }),
        done});
}

void KeyboardPresence::WaitForWindow()
{
    while (!stopping_ && !(window_.ready && window_.ready()))
        std::this_thread::sleep_for(kReadyPoll);
}

void KeyboardPresence::RunInTurn(std::uint64_t ticket, std::uint32_t presence)
{
    WaitForWindow();
    std::unique_lock turn(turn_);
    turnChanged_.wait(turn, [&] { return stopping_ || serving_ == ticket; });
    Act(presence);
    ++serving_;
    turn.unlock();
    turnChanged_.notify_all();
}

void KeyboardPresence::OnKeyboardPresence(std::uint32_t presence)
{
    WaitForWindow();
    std::lock_guard turn(turn_);
    Act(presence);
}

void KeyboardPresence::Act(std::uint32_t presence)
{
    const std::uint32_t previous = lastPresence_.load();
    if (stopping_ || presence == previous)
        return;
    if (presence != 0 && window_.arrived)
        window_.arrived();
    else if (presence == 0 && previous != 0 && window_.removed)
        window_.removed();
    if (window_.changed)
        window_.changed(presence);
    lastPresence_ = presence;
    if (presence != 0 && !shownOnce_.exchange(true) && window_.open)
        window_.open();
}

void KeyboardPresence::Stop()
{
    std::vector<Worker> workers;
    {
        // Under both locks: no worker starts after this, and none waiting for its turn misses it.
        std::scoped_lock lock(workersMutex_, turn_);
        stopping_ = true;
        workers.swap(workers_);
    }
    turnChanged_.notify_all();
    for (auto& worker : workers)
        if (worker.thread.joinable())
            worker.thread.join();
}

}  // namespace tavrin::profiles
