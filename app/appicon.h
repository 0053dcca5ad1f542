#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon and the About window's logo, drawn in code.
namespace AppIcon {

QIcon icon();
QPixmap logo(int width, int height);

} // namespace AppIcon
