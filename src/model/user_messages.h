// How the core and the windows ask the user anything: the windows answer with message boxes and
// file dialogs, tests answer in advance and read what was asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavrin::model {

enum class Answer { Yes, No };

// An open or save dialog's settings.
struct FileChoice {
    std::string initialName;    // folder and name the dialog starts with
    std::string filter;         // "(*.tvn)|*.tvn|(*.*)|*.*||"
    std::string defaultSuffix;  // "tvn"
    bool confirmOverwrite = false;
};

class UserMessages {
public:
    virtual ~UserMessages() = default;
    // A message with an OK button, waited for.
    virtual void ShowMessage(const std::string& text) = 0;
    // A message shown without waiting for the user (nobody else waits on its answer).
    virtual void Notify(const std::string& text) { ShowMessage(text); }
    // A Yes/No question with No as the default button.
    virtual Answer Ask(const std::string&) { return Answer::No; }
    // The file chosen, nothing when the dialog was cancelled.
    virtual std::optional<std::string> ChooseFileToOpen(const FileChoice&) { return std::nullopt; }
    virtual std::optional<std::string> ChooseFileToSave(const FileChoice&) { return std::nullopt; }
    // Any colour (0x00BBGGRR), starting from `initial`; nothing when the dialog was cancelled.
    virtual std::optional<std::uint32_t> ChooseColour(std::uint32_t) { return std::nullopt; }
};

}  // namespace tavrin::model
