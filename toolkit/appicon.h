#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The program's icon and the About window's logo, drawn in code; the icon
// files that are installed are made from the same drawing.
namespace AppIcon {

QIcon icon();
// The icon at size x size pixels, and as an SVG document.
QImage image(int size);
QString svg();
QPixmap logo(int width, int height);

} // namespace AppIcon
