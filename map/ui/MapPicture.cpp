#include "map/ui/MapPicture.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QSvgGenerator>

namespace velmar::map {

QMimeData* PictureMimeData(QSize size, const QString& description, const QColor& background,
                           const std::function<void(QPainter&)>& draw)
{
    const QRect area(QPoint(0, 0), size);
    auto* data = new QMimeData;

    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(size);
    generator.setViewBox(area);
    generator.setTitle(description);
    {
        QPainter painter(&generator);
        painter.fillRect(area, background);
        draw(painter);
    }
    data->setData(QStringLiteral("image/svg+xml"), svg.data());

    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    {
        QPainter painter(&image);
        draw(painter);
    }
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    image.save(&png, "PNG");
    data->setData(QStringLiteral("image/png"), png.data());
    data->setImageData(image);
    return data;
}

} // namespace velmar::map
