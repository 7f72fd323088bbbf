// The program's icon in the notification area: its picture tells the keyboard's state, its menu
// opens the window, shows the about box or ends the program, and a double-click opens the window.
// A tray host that restarts gets the icon again.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <string>

namespace tavrin::ui {

// The menu's commands.
inline constexpr int kCommandOpen = 32771;
inline constexpr int kCommandAbout = 32773;
inline constexpr int kCommandExit = 32774;
inline constexpr int kTrayIconIdentifier = 140;
inline constexpr int kTrayTooltipLimit = 127;

// How the tray reports the mouse on its icon.
enum class TrayMouse { RightButtonUp, LeftDoubleClick, LeftClick, Other };

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    // The picture of an icon number (128, 141, 142).
    using IconSource = std::function<QIcon(int icon)>;
    // Run on the menu before it is shown; finds items by their command (the action's data).
    using MenuRelabel = std::function<void(QMenu& menu)>;

    // `skinLanguageFile` gives the menu's first labels; `section` is its language section.
    CTrayIcon(IconSource icons, std::string skinLanguageFile, std::string section);
    ~CTrayIcon() override;

    // Adds the icon; false, leaving it uncreated, without an owner or when no tray takes it. Every
    // later operation on an uncreated icon does nothing.
    bool Create(QObject* owner, const QString& tooltip, int icon, int identifier = kTrayIconIdentifier);
    void SetMenuRelabel(MenuRelabel relabel) { relabel_ = std::move(relabel); }
    // Changes the picture only.
    void SetIcon(int icon);
    void SetTooltip(const QString& tooltip);
    // Takes the icon out of the tray for good.
    void Remove();
    // The tray host came back: the icon is added again with its picture and tooltip.
    void Readd();

    // What a mouse event on the icon does; 1 when handled.
    int OnTrayNotification(int identifier, TrayMouse mouse);

    bool Created() const { return created_; }
    bool Hidden() const { return hidden_; }
    int Icon() const { return icon_; }
    QString Tooltip() const { return tooltip_; }
    // The menu as the user last saw it, labelled; built on demand.
    QMenu& Menu();
    QSystemTrayIcon* PlatformIcon() const { return tray_.get(); }

signals:
    // A menu item was chosen, or the double-click's default command.
    void Command(int command);

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void LabelMenu();

    IconSource icons_;
    std::string skinLanguageFile_;
    std::string section_;
    MenuRelabel relabel_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QMenu> menu_;
    QPointer<QObject> owner_;
    bool created_ = false;
    bool hidden_ = false;
    int icon_ = 0;
    QString tooltip_;
};

}  // namespace tavrin::ui
