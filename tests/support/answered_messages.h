// The user-message seam answered by a test: answers and file names are given in advance, and
// everything shown or asked is kept, in order.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/user_messages.h"

namespace tavrin::testing {

class AnsweredMessages final : public model::UserMessages {
public:
    void ShowMessage(const std::string& text) override
    {
        shown.push_back(text);
        // A message box is modal: while it is up the window's loop runs and other things happen.
        if (whileShown)
            whileShown(text);
    }
    std::function<void(const std::string&)> whileShown;
    void Notify(const std::string& text) override { notified.push_back(text); }
    model::Answer Ask(const std::string& text) override
    {
        asked.push_back(text);
        return Next(answers_).value_or(model::Answer::No);
    }
    std::optional<std::string> ChooseFileToOpen(const model::FileChoice& choice) override
    {
        fileChoices.push_back(choice);
        return Next(fileNames_);
    }
    std::optional<std::string> ChooseFileToSave(const model::FileChoice& choice) override
    {
        fileChoices.push_back(choice);
        return Next(fileNames_);
    }

    std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override
    {
        colourChoices.push_back(initial);
        return Next(colours_);
    }

    // The next question's answer (No when none was given).
    void SetNextAnswer(model::Answer answer) { answers_.push_back(answer); }
    // The next file dialog's choice (cancelled when none was given).
    void SetNextFileName(std::string path) { fileNames_.push_back(std::move(path)); }

    // The next colour dialog's choice (cancelled when none was given).
    void SetNextColour(std::uint32_t colour) { colours_.push_back(colour); }

    std::vector<std::string> shown;
    std::vector<std::string> notified;
    std::vector<std::string> asked;
    std::vector<model::FileChoice> fileChoices;
    std::vector<std::uint32_t> colourChoices;

private:
    template<typename T> static std::optional<T> Next(std::deque<T>& queue)
    {
        if (queue.empty())
            return std::nullopt;
        T next = std::move(queue.front());
        queue.pop_front();
        return next;
    }

    std::deque<model::Answer> answers_;
    std::deque<std::string> fileNames_;
    std::deque<std::uint32_t> colours_;
};

}  // namespace tavrin::testing
