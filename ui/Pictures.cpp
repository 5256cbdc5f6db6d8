#include "Pictures.h"

#include <QBitmap>
#include <QImageReader>
#include <QString>
#include <stdexcept>
#include <string>

namespace {

QImage Load(const QString& name)
{
    // Every picture is an XPM: read it as one, without asking each image
    // plugin whether it knows better.
    QImageReader reader(QStringLiteral(":/assets/") + name, "xpm");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error("missing picture " + name.toStdString());
    return image;
}

} // namespace

TImageList::TImageList()
{
    for (int i = 0; i < Count; ++i) {
        QImage picture = Load(QStringLiteral("panel%1.xpm").arg(i)).convertToFormat(QImage::Format_ARGB32);
        if (picture.width() != Size || picture.height() != Size)
            throw std::runtime_error("panel picture of the wrong size");
        // One bit of transparency: a pixel is painted or it is not.
        for (int y = 0; y < Size; ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < Size; ++x)
                line[x] = qAlpha(line[x]) >= 128 ? (line[x] | 0xFF000000u) : 0u;
        }
        masked_[static_cast<std::size_t>(i)] = picture;

        QImage white(Size, Size, QImage::Format_RGB32);
        white.fill(Qt::white);
        onWhite_[static_cast<std::size_t>(i)] = white;
        draw(onWhite_[static_cast<std::size_t>(i)], i);
    }
}

std::size_t TImageList::checked(int index)
{
    if (index < 0 || index >= Count)
        throw std::out_of_range("picture " + std::to_string(index) + " is not in the picture list");
    return static_cast<std::size_t>(index);
}

void TImageList::draw(QImage& surface, int index) const
{
    const QImage& picture = masked_[checked(index)];
    for (int y = 0; y < Size; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(surface.scanLine(y));
        for (int x = 0; x < Size; ++x)
            if (from[x] != 0)
                to[x] = from[x];
    }
}

const TImageList& ImageList()
{
    static const TImageList list;
    return list;
}

namespace {

// Pixel art for scaled screens: whole multiples, scaled without smoothing,
// so Qt picks a sharp copy instead of blurring the small one.
QIcon SharpIcon(const QImage& picture)
{
    QIcon icon;
    for (int factor : {1, 2, 3, 4})
        icon.addPixmap(QPixmap::fromImage(
            picture.scaled(picture.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    return icon;
}

} // namespace

QPixmap PotionGlyph()
{
    QImage glyph = Load(QStringLiteral("potion_glyph.xpm")).convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = glyph.pixel(0, glyph.height() - 1);
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x)
            if (glyph.pixel(x, y) == transparent)
                glyph.setPixel(x, y, 0);
    return QPixmap::fromImage(glyph);
}

QPixmap DogPicture()
{
    return QPixmap::fromImage(Load(QStringLiteral("dog.xpm")));
}

QIcon PotionIcon()
{
    return SharpIcon(PotionGlyph().toImage());
}

QIcon ApplicationIcon()
{
    return SharpIcon(Load(QStringLiteral("icon.xpm")));
}
