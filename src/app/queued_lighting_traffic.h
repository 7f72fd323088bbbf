// The lighting editor's traffic on the window's keyboard worker: a change returns at once, a slider
// step waiting behind a slow keyboard is replaced by the next one, and a failure is told later.
#pragma once

#include <functional>

#include "lighting/lighting_editor.h"
#include "profiles/keyboard_worker.h"

namespace tavrin::app {

class QueuedLightingTraffic final : public lighting::LightingTraffic {
public:
    // `failed` runs on the worker's thread.
    QueuedLightingTraffic(profiles::KeyboardWorker& worker, device::DeviceCommands& commands,
        std::function<void(const lighting::LightingFailure&)> failed)
        : worker_(worker)
        , commands_(commands)
        , failed_(std::move(failed))
    {
    }

    lighting::LightingFailure Run(Send send, const std::string& key) override
    {
        auto job = [this, send] {
            const lighting::LightingFailure failure = send(commands_);
            if (failure.Failed())
                failed_(failure);
        };
        // Closing down, the worker takes nothing more: what the user changed last is still sent.
        if (!worker_.Post(job, key))
            return send(commands_);
        return {};
    }

private:
    profiles::KeyboardWorker& worker_;
    device::DeviceCommands& commands_;
    std::function<void(const lighting::LightingFailure&)> failed_;
};

}  // namespace tavrin::app
