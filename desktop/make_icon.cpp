// Scales the 32 x 32 pixel-art icon to one of the theme's sizes.
//   zemmick_icon <icon.xpm> <size> <out.png>
// Every source pixel becomes a solid square of factor x factor pixels, the
// largest whole factor that fits; what the factor leaves over (48 is 32 x 1
// plus 16) is a transparent margin shared equally on all sides, so the
// picture stays centred and no pixel is ever blended with its neighbour.
#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: zemmick_icon <icon.xpm> <size> <out.png>\n");
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&ok);

    const QImage source = QImage(in).convertToFormat(QImage::Format_ARGB32);
    if (source.isNull()) {
        std::fprintf(stderr, "zemmick_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    if (source.width() != source.height()) {
        std::fprintf(stderr, "zemmick_icon: %s is not square\n", argv[1]);
        return 1;
    }
    if (!ok || size < source.width()) {
        std::fprintf(stderr, "zemmick_icon: size must be at least %d\n", source.width());
        return 2;
    }

    const int factor = size / source.width();
    const int margin = (size - source.width() * factor) / 2;
    QImage scaled(size, size, QImage::Format_ARGB32);
    scaled.fill(Qt::transparent);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const QRgb pixel = source.pixel(x, y);
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx)
                    scaled.setPixel(margin + x * factor + dx, margin + y * factor + dy, pixel);
        }

    if (!scaled.save(out, "PNG")) {
        std::fprintf(stderr, "zemmick_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
