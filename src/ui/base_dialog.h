// The base of every skinned window: no system frame, one picture as its face, its outline cut from a
// mask picture, moved by dragging its surface.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QRegion>
#include <string>

#include "profiles/settings_store.h"

namespace tavrin::ui {

class CBaseDialog : public QDialog {
    Q_OBJECT
public:
    // `layoutFile` is the window's skin file; `skinFolder` (with its trailing separator) holds the
    // pictures it names.
    CBaseDialog(QWidget* parent, std::string layoutFile, std::string skinFolder);

    // Loads "Main" and "Mask" of the skin file's "SCREEN" section, takes the background's size and
    // the mask's shape. A picture that cannot be loaded ends the program (see skin_failure.h); when
    // a replaced ending returns, this returns false and the window keeps no pictures.
    bool ApplySkin();
    bool ApplyingSkin() const { return applyingSkin_; }

    const std::string& LayoutFile() const { return layoutFile_; }
    const std::string& SkinFolder() const { return skinFolder_; }
    profiles::CIniFile& Ini() { return ini_; }

    const QPixmap& Background() const { return background_; }
    // The shape given to the window; empty when no mask pixel is inside.
    const QRegion& WindowRegion() const { return region_; }
    bool HasPictures() const { return !background_.isNull(); }
    // Gives the two pictures back; the window then paints nothing of its own.
    void ReleasePictures();

public slots:
    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool FailSkin(const std::string& reason);

    std::string layoutFile_;
    std::string skinFolder_;
    profiles::CIniFile ini_;
    bool applyingSkin_ = false;
    QPixmap background_;
    QRegion region_;
    // Dragging by hand where the window system does not move windows itself.
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace tavrin::ui
