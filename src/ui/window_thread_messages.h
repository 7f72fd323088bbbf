// The user messages as any thread may use them: a worker's message or question is shown on the
// window's thread and waited for. After the window closed down, a worker's question is answered No
// and its message dropped.
#pragma once

#include "model/user_messages.h"
#include "ui/window_thread.h"

namespace tavrin::ui {

class WindowThreadMessages final : public model::UserMessages {
public:
    WindowThreadMessages(model::UserMessages& shown, WindowThread& thread)
        : shown_(shown)
        , thread_(thread)
    {
    }

    void ShowMessage(const std::string& text) override
    {
        thread_.Call([&] { shown_.ShowMessage(text); });
    }
    void Notify(const std::string& text) override
    {
        thread_.Call([&] { shown_.Notify(text); });
    }
    model::Answer Ask(const std::string& text) override
    {
        model::Answer answer = model::Answer::No;
        thread_.Call([&] { answer = shown_.Ask(text); });
        return answer;
    }
    std::optional<std::string> ChooseFileToOpen(const model::FileChoice& choice) override
    {
        std::optional<std::string> chosen;
        thread_.Call([&] { chosen = shown_.ChooseFileToOpen(choice); });
        return chosen;
    }
    std::optional<std::string> ChooseFileToSave(const model::FileChoice& choice) override
    {
        std::optional<std::string> chosen;
        thread_.Call([&] { chosen = shown_.ChooseFileToSave(choice); });
        return chosen;
    }

private:
    model::UserMessages& shown_;
    WindowThread& thread_;
};

}  // namespace tavrin::ui
