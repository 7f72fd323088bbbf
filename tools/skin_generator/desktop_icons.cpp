#include "desktop_icons.h"

#include <QDir>

#include "image_files.h"
#include "program_icons.h"

namespace tavrin::skin {

bool WriteDesktopIcons(const QString& themeFolder, QString& error)
{
    for (const int size : kDesktopIconSizes) {
        const QString folder = QString("%1/%2x%2/apps").arg(themeFolder).arg(size);
        if (!QDir().mkpath(folder)) {
            error = QString("cannot create the folder %1").arg(folder);
            return false;
        }
        if (!SkinFolder(folder).savePng(
                DrawProgramIcon(ProgramIcon::Program, size), QString("%1.png").arg(kDesktopIconName), error))
            return false;
    }
    return true;
}

}  // namespace tavrin::skin
