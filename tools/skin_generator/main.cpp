// skin_generator FOLDER [ICON_THEME_FOLDER]: draws the program's skin into FOLDER: the layout files
// Main.ini, Composite.ini and Profile.ini, every window's pictures and mask, the lighting bitmaps and
// the program's icons; and, when given, the desktop's icon into ICON_THEME_FOLDER (hicolor).
// Runs headless; the build runs it.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "composite_window.h"
#include "desktop_icons.h"
#include "image_files.h"
#include "lighting_bitmaps.h"
#include "main_window.h"
#include "profile_window.h"
#include "program_icons.h"
#include "skin_painter.h"

namespace {

int Fail(const QString& message)
{
    std::fprintf(stderr, "skin_generator: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Pictures only: no display is needed or used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 2 && arguments.size() != 3)
        return Fail("usage: skin_generator FOLDER [ICON_THEME_FOLDER]");
    if (!tavrin::skin::SkinFontAvailable())
        return Fail("the font \"DejaVu Sans\" is not installed (Debian package fonts-dejavu-core)");
    const QString path = arguments.at(1);
    if (!QDir().mkpath(path))
        return Fail(QString("cannot create the folder %1").arg(path));

    const tavrin::skin::SkinFolder folder(path);
    QString error;
    tavrin::skin::MainWindow mainWindow;
    if (!tavrin::skin::BuildMainWindow(mainWindow, error)
        || !tavrin::skin::WriteMainWindowSkin(folder, mainWindow, error)
        || !tavrin::skin::WriteLightingBitmaps(folder, mainWindow, error)
        || !tavrin::skin::WriteCompositeSkin(folder, error) || !tavrin::skin::WriteProfileSkin(folder, error)
        || !tavrin::skin::WriteProgramIcons(folder, error))
        return Fail(error);
    if (arguments.size() == 3 && !tavrin::skin::WriteDesktopIcons(arguments.at(2), error))
        return Fail(error);
    return 0;
}
