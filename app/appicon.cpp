#include "appicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace AppIcon {
namespace {

// A clipboard with a test sheet and a green tick.
QPixmap drawClipboard(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);

    QLinearGradient board(0, 0, 0, 32);
    board.setColorAt(0, QColor(0x8a, 0x5a, 0x2b));
    board.setColorAt(1, QColor(0x6b, 0x43, 0x1e));
    p.setPen(QPen(QColor(0x4a, 0x2e, 0x12), 0.8));
    p.setBrush(board);
    p.drawRoundedRect(QRectF(4, 3, 24, 28), 2.5, 2.5);

    p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 0.6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 6.5, 18, 22));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x70, 0x70, 0x78));
    p.drawRoundedRect(QRectF(11, 1.5, 10, 4), 1.2, 1.2);

    p.setPen(QPen(QColor(0xb0, 0xb8, 0xc8), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(10, 11 + i * 4), QPointF(22, 11 + i * 4));

    QPainterPath tick;
    tick.moveTo(10.5, 19);
    tick.lineTo(15, 24);
    tick.lineTo(25.5, 10.5);
    p.setPen(QPen(QColor(0x1e, 0x9e, 0x3c), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    return pm;
}

} // namespace

QIcon icon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(drawClipboard(size));
    return icon;
}

QPixmap logo(int width, int height)
{
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width, height - 22);
    p.drawPixmap((width - side) / 2, 0, drawClipboard(side));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(QColor(0x2b, 0x4a, 0x7a));
    p.drawText(QRect(0, height - 22, width, 22), Qt::AlignCenter, QStringLiteral("Verolan"));
    return pm;
}

} // namespace AppIcon
