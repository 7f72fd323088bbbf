#include "ui/tray_icon.h"

#include <QCursor>

#include "platform/private_profile.h"

namespace tavrin::ui {

CTrayIcon::CTrayIcon(IconSource icons, std::string skinLanguageFile, std::string section)
    : icons_(std::move(icons))
    , skinLanguageFile_(std::move(skinLanguageFile))
    , section_(std::move(section))
{
}

CTrayIcon::~CTrayIcon()
{
    Remove();
}

bool CTrayIcon::Create(QObject* owner, const QString& tooltip, int icon, int identifier)
{
    if (!owner || created_ || identifier != kTrayIconIdentifier)
        return false;
    owner_ = owner;
    icon_ = icon;
    tooltip_ = tooltip.left(kTrayTooltipLimit);
    tray_ = std::make_unique<QSystemTrayIcon>(icons_(icon_));
    tray_->setToolTip(tooltip_);
    tray_->setContextMenu(&Menu());
    connect(tray_.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
    // The menu is labelled whenever it is about to show, in whatever language is chosen then.
    connect(&Menu(), &QMenu::aboutToShow, this, &CTrayIcon::LabelMenu);
    LabelMenu();
    tray_->show();
    created_ = true;
    return true;
}

QMenu& CTrayIcon::Menu()
{
    if (!menu_) {
        menu_ = std::make_unique<QMenu>();
        for (const int command : {kCommandOpen, kCommandAbout, kCommandExit}) {
            QAction* action = menu_->addAction(QString());
            action->setData(command);
            connect(action, &QAction::triggered, this, [this, command] { emit Command(command); });
        }
        menu_->setDefaultAction(menu_->actions().front());
    }
    return *menu_;
}

void CTrayIcon::LabelMenu()
{
    // The skin language file's labels of the three items, found by command: the program may add
    // items around them.
    const std::pair<int, const char*> labels[]
        = {{kCommandOpen, "MENU_11"}, {kCommandAbout, "MENU_22"}, {kCommandExit, "MENU_33"}};
    for (QAction* action : Menu().actions())
        for (const auto& [command, key] : labels)
            if (!action->isSeparator() && action->data().toInt() == command)
                action->setText(
                    QString::fromStdString(platform::GetPrivateProfileString(section_, key, "", skinLanguageFile_)));
    if (relabel_)
        relabel_(Menu());
}

void CTrayIcon::SetIcon(int icon)
{
    if (!created_)
        return;
    icon_ = icon;
    tray_->setIcon(icons_(icon));
}

void CTrayIcon::SetTooltip(const QString& tooltip)
{
    if (!created_)
        return;
    tooltip_ = tooltip.left(kTrayTooltipLimit);
    tray_->setToolTip(tooltip_);
}

void CTrayIcon::Remove()
{
    if (!created_)
        return;
    tray_->hide();
    tray_.reset();
    created_ = false;
}

void CTrayIcon::Readd()
{
    if (!created_ || hidden_)
        return;
    hidden_ = true;
    tray_->hide();
    tray_->setIcon(icons_(icon_));
    tray_->setToolTip(tooltip_);
    tray_->show();
    hidden_ = false;
}

int CTrayIcon::OnTrayNotification(int identifier, TrayMouse mouse)
{
    if (identifier != kTrayIconIdentifier)
        return 0;
    switch (mouse) {
    case TrayMouse::RightButtonUp:
        LabelMenu();
        Menu().popup(QCursor::pos());
        break;
    case TrayMouse::LeftDoubleClick:
        emit Command(Menu().defaultAction()->data().toInt());
        break;
    case TrayMouse::LeftClick:
    case TrayMouse::Other:
        break;
    }
    return 1;
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    // The context menu itself is shown by the tray (it is the icon's menu); only the double-click
    // has a meaning of its own.
    if (reason == QSystemTrayIcon::DoubleClick)
        OnTrayNotification(kTrayIconIdentifier, TrayMouse::LeftDoubleClick);
}

}  // namespace tavrin::ui
