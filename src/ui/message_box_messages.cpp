#include "ui/message_box_messages.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QStringList>

#include "ui/skin_pictures.h"

namespace tavrin::ui {

QWidget* MessageBoxMessages::Over() const
{
    return parent_ && parent_->isVisible() ? parent_.data() : nullptr;
}

void MessageBoxMessages::ShowMessage(const std::string& text)
{
    QMessageBox::information(Over(), QApplication::applicationName(), QString::fromStdString(text));
}

void MessageBoxMessages::Notify(const std::string& text)
{
    if (notification_)
        return;
    notification_ = new QMessageBox(QMessageBox::NoIcon, QString(), QString::fromStdString(text), QMessageBox::Ok);
    notification_->setAttribute(Qt::WA_DeleteOnClose);
    notification_->open();
}

void MessageBoxMessages::CloseNotification()
{
    if (notification_)
        notification_->close();
}

model::Answer MessageBoxMessages::Ask(const std::string& text)
{
    const auto button = QMessageBox::question(Over(), QApplication::applicationName(), QString::fromStdString(text),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return button == QMessageBox::Yes ? model::Answer::Yes : model::Answer::No;
}

QString FileDialogFilter(const std::string& filter)
{
    // Pairs of "description|pattern", ended by "||".
    const QStringList parts = QString::fromStdString(filter).split('|', Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + " " + "(" + parts[i + 1] + ")";
    return entries.join(";;");
}

std::optional<std::string> MessageBoxMessages::ChooseFileToOpen(const model::FileChoice& choice)
{
    const QString path = QFileDialog::getOpenFileName(
        Over(), QString(), QString::fromStdString(choice.initialName), FileDialogFilter(choice.filter));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

std::optional<std::uint32_t> MessageBoxMessages::ChooseColour(std::uint32_t initial)
{
    const QColor chosen = QColorDialog::getColor(ColourOfValue(initial), Over());
    if (!chosen.isValid())
        return std::nullopt;
    return ValueOfColour(chosen);
}

std::optional<std::string> MessageBoxMessages::ChooseFileToSave(const model::FileChoice& choice)
{
    QFileDialog dialog(Over(), QString(), QString::fromStdString(choice.initialName), FileDialogFilter(choice.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(choice.defaultSuffix));
    if (!choice.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace tavrin::ui
