#include "ui/message_box_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace tavrin::ui {

void MessageBoxMessages::ShowMessage(const std::string& text)
{
    QWidget* over = parent_ && parent_->isVisible() ? parent_.data() : nullptr;
    QMessageBox::information(over, QApplication::applicationName(), QString::fromStdString(text));
}

}  // namespace tavrin::ui
