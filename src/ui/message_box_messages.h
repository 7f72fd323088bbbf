// The user's side of the core's questions: message boxes and file dialogs over a window. No window
// shows a message box or a file dialog except through this.
#pragma once

#include <QMessageBox>
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
    // All on the window's thread only.
    void ShowMessage(const std::string& text) override;
    // One box at a time, not modal: a second Notify while it is open changes nothing.
    void Notify(const std::string& text) override;
    model::Answer Ask(const std::string& text) override;
    std::optional<std::string> ChooseFileToOpen(const model::FileChoice& choice) override;
    std::optional<std::string> ChooseFileToSave(const model::FileChoice& choice) override;
    std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override;
    // Closes a notification that is still open.
    void CloseNotification();

private:
    QWidget* Over() const;

    QPointer<QWidget> parent_;
    QPointer<QMessageBox> notification_;
};

// "(*.tvn)|*.tvn|(*.*)|*.*||" as the file dialog's filter list.
QString FileDialogFilter(const std::string& filter);

}  // namespace tavrin::ui
