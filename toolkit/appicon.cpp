#include "appicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace AppIcon {
namespace {

// The icon, a clipboard with a test sheet and a green tick, on a 32-unit
// square. One drawing serves the window icon, the PNG files and the SVG file.
class Canvas
{
public:
    virtual ~Canvas() = default;
    // fill is empty for no fill; a second fill colour makes a top-down gradient.
    virtual void roundedRect(QRectF r, qreal radius, QColor pen, qreal penWidth, QColor fill, QColor fillEnd) = 0;
    virtual void polyline(const QList<QPointF> &points, QColor pen, qreal width) = 0;
};

void drawIcon(Canvas &c)
{
    c.roundedRect({4, 3, 24, 28}, 2.5, QColor(0x4a, 0x2e, 0x12), 0.8, QColor(0x8a, 0x5a, 0x2b), QColor(0x6b, 0x43, 0x1e));
    c.roundedRect({7, 6.5, 18, 22}, 0, QColor(0x9a, 0x9a, 0x9a), 0.6, Qt::white, {});
    c.roundedRect({11, 1.5, 10, 4}, 1.2, {}, 0, QColor(0x70, 0x70, 0x78), {});
    for (int i = 0; i < 4; ++i)
        c.polyline({QPointF(10, 11 + i * 4), QPointF(22, 11 + i * 4)}, QColor(0xb0, 0xb8, 0xc8), 1.2);
    c.polyline({QPointF(10.5, 19), QPointF(15, 24), QPointF(25.5, 10.5)}, QColor(0x1e, 0x9e, 0x3c), 3.2);
}

class PainterCanvas : public Canvas
{
public:
    explicit PainterCanvas(QPainter &p)
        : m_p(p)
    {
    }
    void roundedRect(QRectF r, qreal radius, QColor pen, qreal penWidth, QColor fill, QColor fillEnd) override
    {
        m_p.setPen(pen.isValid() ? QPen(pen, penWidth) : QPen(Qt::NoPen));
        if (fillEnd.isValid()) {
            QLinearGradient gradient(0, 0, 0, 32);
            gradient.setColorAt(0, fill);
            gradient.setColorAt(1, fillEnd);
            m_p.setBrush(gradient);
        } else {
            m_p.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
        }
        if (radius > 0)
            m_p.drawRoundedRect(r, radius, radius);
        else
            m_p.drawRect(r);
    }
    void polyline(const QList<QPointF> &points, QColor pen, qreal width) override
    {
        m_p.setPen(QPen(pen, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        m_p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(points.first());
        for (int i = 1; i < points.size(); ++i)
            path.lineTo(points.at(i));
        m_p.drawPath(path);
    }

private:
    QPainter &m_p;
};

class SvgCanvas : public Canvas
{
public:
    void roundedRect(QRectF r, qreal radius, QColor pen, qreal penWidth, QColor fill, QColor fillEnd) override
    {
        QString paint;
        if (fillEnd.isValid()) {
            const QString id = QStringLiteral("g%1").arg(++m_gradients);
            m_defs += QStringLiteral("<linearGradient id=\"%1\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"32\" "
                                     "gradientUnits=\"userSpaceOnUse\"><stop offset=\"0\" stop-color=\"%2\"/>"
                                     "<stop offset=\"1\" stop-color=\"%3\"/></linearGradient>")
                          .arg(id, fill.name(), fillEnd.name());
            paint = QStringLiteral("url(#%1)").arg(id);
        } else {
            paint = fill.isValid() ? fill.name() : QStringLiteral("none");
        }
        const QString stroke = pen.isValid() ? QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\"").arg(pen.name()).arg(penWidth)
                                             : QString();
        m_body += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"%7/>")
                      .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).arg(radius).arg(paint, stroke);
    }
    void polyline(const QList<QPointF> &points, QColor pen, qreal width) override
    {
        QStringList coordinates;
        for (const QPointF &p : points)
            coordinates << QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
        m_body += QStringLiteral("<polyline points=\"%1\" fill=\"none\" stroke=\"%2\" stroke-width=\"%3\" "
                                 "stroke-linecap=\"round\" stroke-linejoin=\"round\"/>")
                      .arg(coordinates.join(QLatin1Char(' ')), pen.name())
                      .arg(width);
    }
    QString text() const
    {
        return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                              "viewBox=\"0 0 32 32\"><defs>%1</defs>%2</svg>\n")
            .arg(m_defs, m_body);
    }

private:
    QString m_defs;
    QString m_body;
    int m_gradients = 0;
};

} // namespace

QImage image(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    PainterCanvas canvas(p);
    drawIcon(canvas);
    return img;
}

QString svg()
{
    SvgCanvas canvas;
    drawIcon(canvas);
    return canvas.text();
}

QIcon icon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(image(size)));
    return icon;
}

QPixmap logo(int width, int height)
{
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width, height - 22);
    p.drawImage(QRect((width - side) / 2, 0, side, side), image(side));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(QColor(0x2b, 0x4a, 0x7a));
    p.drawText(QRect(0, height - 22, width, 22), Qt::AlignCenter, QStringLiteral("Verolan"));
    return pm;
}

} // namespace AppIcon
