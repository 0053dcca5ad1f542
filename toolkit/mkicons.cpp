// Writes the icon files that are installed: one PNG per size and the SVG.
//   verolan_mkicons <output folder>
#include "appicon.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: verolan_mkicons <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        out.mkpath(folder);
        if (!AppIcon::image(size).save(out.filePath(folder + QStringLiteral("/org.verolan.Verolan.png"))))
            return 1;
    }
    out.mkpath(QStringLiteral("scalable/apps"));
    QFile svg(out.filePath(QStringLiteral("scalable/apps/org.verolan.Verolan.svg")));
    if (!svg.open(QIODevice::WriteOnly))
        return 1;
    svg.write(AppIcon::svg().toUtf8());
    return 0;
}
