// tavrin: the keyboard's configuration program. Takes no options beyond "/Start" and "/Kill".
#include <QApplication>

#include "app/tavrin_app.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    tavrin::app::CTavrinApp tavrin;
    return tavrin.InitInstance(QApplication::arguments());
}
