#include "ui/dark_controls.h"

namespace tavrin::ui {

QString DarkControlsStyle()
{
    return QStringLiteral(
        "QTreeWidget { background: rgb(28, 31, 37); color: rgb(232, 235, 240); border: 1px solid rgb(44, 49, 58);"
        " selection-background-color: rgb(20, 118, 130); }"
        "QHeaderView::section { background: rgb(20, 22, 27); color: rgb(150, 158, 170); border: none;"
        " border-bottom: 1px solid rgb(44, 49, 58); padding: 3px; }"
        "QComboBox, QLineEdit { background: rgb(28, 31, 37); color: rgb(232, 235, 240);"
        " border: 1px solid rgb(56, 62, 74); border-radius: 3px; padding: 2px 6px; }"
        "QComboBox:disabled, QLineEdit:disabled { color: rgb(110, 116, 126); }"
        "QComboBox QAbstractItemView { background: rgb(28, 31, 37); color: rgb(232, 235, 240);"
        " selection-background-color: rgb(20, 118, 130); }"
        "QLabel, QCheckBox, QRadioButton { color: rgb(228, 228, 228); background: transparent; }"
        "QCheckBox::indicator, QRadioButton::indicator { width: 12px; height: 12px;"
        " border: 2px solid rgb(120, 128, 140); background: rgb(28, 31, 37); }"
        "QRadioButton::indicator { border-radius: 8px; }"
        "QCheckBox::indicator { border-radius: 3px; }"
        "QCheckBox::indicator:checked, QRadioButton::indicator:checked { background: rgb(32, 178, 190);"
        " border-color: rgb(32, 178, 190); }");
}

}  // namespace tavrin::ui
