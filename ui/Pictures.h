// The pictures that travel inside the program: the panel picture list, the
// potion button's glyph, the version box's dog and the application icon.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <array>

// A list of 32 x 32 pictures, each with a one-bit mask: index 0 the potion
// target, 1..6 the panel kinds.
class TImageList {
public:
    static constexpr int Size = 32;
    static constexpr int Count = 7;

    TImageList();

    // Paints picture `index` at the surface's origin: only its opaque pixels
    // change the surface.
    void draw(QImage& surface, int index) const;

    // The picture painted on a white surface: what a cleared cell shows
    // after one drawing, shared rather than painted again.
    const QImage& onWhite(int index) const { return onWhite_[checked(index)]; }

    // The picture with its mask as alpha (0 or 255).
    const QImage& masked(int index) const { return masked_[checked(index)]; }

    // An index outside 0..6 is a bug of the caller: it throws
    // std::out_of_range instead of reading beyond the list.
    static std::size_t checked(int index);

private:
    std::array<QImage, Count> masked_;
    std::array<QImage, Count> onWhite_;
};

// The one picture list of the program.
const TImageList& ImageList();

// The potion button's 16 x 16 glyph; the colour of its lower-left pixel is
// transparent.
QPixmap PotionGlyph();
// The glyph as the button shows it, sharp on scaled screens too.
QIcon PotionIcon();
// The version box's 54 x 54 dog.
QPixmap DogPicture();
// The application's 32 x 32 icon.
QIcon ApplicationIcon();
