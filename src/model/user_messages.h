// How the core tells the user something: the windows show a message box, tests record the text.
#pragma once

#include <string>

namespace tavrin::model {

class UserMessages {
public:
    virtual ~UserMessages() = default;
    // A message with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace tavrin::model
