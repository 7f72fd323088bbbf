// The layout files: section SCREEN names the window's picture and mask, section BUTTONINFO places
// every control as "x,y,w,h" and, for the main window, BUTTONINFO2 gives the arrows' picture
// offsets.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "skin_layout.h"

namespace tavrin::skin {

struct LayoutFile {
    QString description;  // the comment at the top of the file
    QString picture;      // SCREEN/Main
    QString mask;         // SCREEN/Mask
    const WindowLayout* layout = nullptr;
    std::vector<PlainControl> buttonInfo2;
};

QByteArray LayoutFileText(const LayoutFile& file);

}  // namespace tavrin::skin
