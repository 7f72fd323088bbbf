// The user-message seam answered by a test: every message shown is kept, in order.
#pragma once

#include <string>
#include <vector>

#include "model/user_messages.h"

namespace tavrin::testing {

class RecordedMessages final : public model::UserMessages {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

}  // namespace tavrin::testing
