// The core's messages to the user as message boxes over a window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "model/user_messages.h"

namespace tavrin::ui {

class MessageBoxMessages final : public model::UserMessages {
public:
    explicit MessageBoxMessages(QWidget* parent = nullptr)
        : parent_(parent)
    {
    }
    void SetParent(QWidget* parent) { parent_ = parent; }
    // A box with an OK button, over the window when it is shown; on the window's thread only.
    void ShowMessage(const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace tavrin::ui
