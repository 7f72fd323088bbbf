#include "layout_file.h"

#include <QTextStream>

namespace tavrin::skin {
namespace {

QString Rectangle(const QRect& rect)
{
    return QString("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

void WriteSection(QTextStream& out, const char* name, const std::vector<std::pair<QString, QRect>>& entries)
{
    out << "\n[" << name << "]\n";
    for (const auto& [key, rect] : entries)
        out << key << '=' << Rectangle(rect) << '\n';
}

}  // namespace

QByteArray LayoutFileText(const LayoutFile& file)
{
    QByteArray text;
    QTextStream out(&text);
    out << "; " << file.description
        << "\n; Drawn by the skin generator of the build; edit the generator, not this file.\n";
    out << "\n[SCREEN]\nMain=" << file.picture << "\nMask=" << file.mask << '\n';
    std::vector<std::pair<QString, QRect>> entries;
    for (const ImageButton& button : file.layout->buttons)
        entries.emplace_back(button.key, button.rect);
    for (const PlainControl& control : file.layout->controls)
        entries.emplace_back(control.key, control.rect);
    WriteSection(out, "BUTTONINFO", entries);
    if (!file.buttonInfo2.empty()) {
        entries.clear();
        for (const PlainControl& offset : file.buttonInfo2)
            entries.emplace_back(offset.key, offset.rect);
        WriteSection(out, "BUTTONINFO2", entries);
    }
    out.flush();
    return text;
}

}  // namespace tavrin::skin
