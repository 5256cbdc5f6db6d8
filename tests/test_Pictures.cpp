#include <QPainter>
#include <set>

#include "Image.h"
#include "Pictures.h"
#include "UiTestSupport.h"

namespace {

const int LatticeLines[] = {4, 6, 8, 10, 16, 18, 24};
const QRgb Palette[]
    = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
        0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

bool OnLattice(int x, int y)
{
    const auto line = [](int v) {
        return std::find(std::begin(LatticeLines), std::end(LatticeLines), v) != std::end(LatticeLines);
    };
    return line(x) || line(y) || (x >= 4 && x <= 10 && y >= 4 && y <= 9);
}

} // namespace

TEST(ImageList, HoldsSevenMaskedPicturesOfTheSixteenColours)
{
    const TImageList& list = ImageList();
    for (int i = 0; i < TImageList::Count; ++i) {
        SCOPED_TRACE(i);
        const QImage& picture = list.masked(i);
        ASSERT_EQ(picture.size(), QSize(32, 32));
        int opaque = 0, transparent = 0, latticeGreen = 0, latticeCells = 0, offLatticeGreen = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb p = picture.pixel(x, y);
                ASSERT_TRUE(qAlpha(p) == 0 || qAlpha(p) == 255) << "mask is one bit";
                if (qAlpha(p) == 0) {
                    ++transparent;
                    continue;
                }
                ++opaque;
                ASSERT_NE(std::find(std::begin(Palette), std::end(Palette), p), std::end(Palette))
                    << std::hex << p << " at " << std::dec << x << "," << y;
                if (OnLattice(x, y))
                    latticeGreen += p == 0xFF00FF00 ? 1 : 0;
                else
                    offLatticeGreen += p == 0xFF00FF00 ? 1 : 0;
            }
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                latticeCells += OnLattice(x, y) ? 1 : 0;
        EXPECT_GT(opaque, 150);
        EXPECT_GT(transparent, 150);
        EXPECT_EQ(offLatticeGreen, 0) << "bright green only on the backdrop";
        if (i == 0) {
            EXPECT_EQ(latticeGreen, 0) << "the flask has no backdrop";
        } else {
            // The object covers part of the lattice; the rest shows.
            EXPECT_GT(latticeGreen, latticeCells / 3);
            EXPECT_EQ(picture.pixel(4, 0), 0xFF00FF00u) << "lattice line at the top edge";
        }
        // Drawn on white, what the mask leaves out stays white.
        const QImage& white = list.onWhite(i);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_EQ(white.pixel(x, y), qAlpha(picture.pixel(x, y)) ? picture.pixel(x, y) : 0xFFFFFFFFu);
    }
}

TEST(ImageList, KindsDifferInTheirMainColour)
{
    // The most frequent colour of each object, lattice and white aside.
    std::set<QRgb> main;
    for (int i = 1; i <= 6; ++i) {
        std::map<QRgb, int> counts;
        const QImage& picture = ImageList().masked(i);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb p = picture.pixel(x, y);
                if (qAlpha(p) && p != 0xFF00FF00 && p != 0xFF000000 && p != 0xFFFFFFFF)
                    ++counts[p];
            }
        QRgb best = 0;
        for (const auto& [colour, n] : counts)
            if (!best || n > counts[best])
                best = colour;
        main.insert(best);
    }
    EXPECT_EQ(main.size(), 6u);
}

TEST(ImageList, DrawingPaintsOnlyOpaquePixels)
{
    QImage surface = ImageList().onWhite(3);
    ImageList().draw(surface, 0);
    const QImage& flask = ImageList().masked(0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(surface.pixel(x, y),
                qAlpha(flask.pixel(x, y)) ? flask.pixel(x, y) : ImageList().onWhite(3).pixel(x, y));
}

TEST(ImageList, RefusesAnIndexOutsideTheList)
{
    // An empty cell's -1 drawn as a picture would read before the list.
    QImage surface = ImageList().onWhite(1);
    for (int index : {-1, 7, 11}) {
        EXPECT_THROW(ImageList().draw(surface, index), std::out_of_range) << index;
        EXPECT_THROW(ImageList().onWhite(index), std::out_of_range) << index;
    }
    EXPECT_EQ(surface, ImageList().onWhite(1));
}

TEST(StandalonePictures, HaveTheirSizesAndTransparency)
{
    const QImage glyph = PotionGlyph().toImage();
    EXPECT_EQ(glyph.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(glyph.pixel(0, 15)), 0) << "the lower-left colour is transparent";
    EXPECT_EQ(qAlpha(glyph.pixel(8, 8)), 255);
    EXPECT_EQ(DogPicture().size(), QSize(54, 54));
    EXPECT_EQ(DogPicture().toImage().pixel(0, 0), 0xFF0000FFu);
    EXPECT_TRUE(ApplicationIcon().availableSizes().contains(QSize(32, 32)));
}

TEST(CellSurface, DirectInversionMatchesTheInvertingPenAndUndoesItself)
{
    TImage cell(nullptr);
    for (int kind = 0; kind <= 6; ++kind) {
        SCOPED_TRACE(kind);
        cell.clear();
        cell.prepareCanvas();
        cell.drawPicture(kind);
        const QImage plain = cell.surface();
        cell.drawOutline();
        EXPECT_EQ(cell.surface(), TImage::outlineByPainter(plain));
        EXPECT_NE(cell.surface(), plain);
        cell.drawOutline();
        EXPECT_EQ(cell.surface(), plain);
        // The list's own picture is shared, never changed by an outline.
        EXPECT_EQ(ImageList().onWhite(kind), PanelPixels(kind, false));
    }
}

TEST(CellSurface, ClearedShowsNothingAndStartsWhiteWithThePlainPen)
{
    TImage cell(nullptr);
    cell.prepareCanvas();
    cell.drawPicture(2);
    cell.clear();
    EXPECT_TRUE(cell.cleared());
    EXPECT_FALSE(cell.prepared());
    cell.drawPicture(1);
    EXPECT_EQ(cell.surface(), ImageList().onWhite(1));
    // Without preparing, the outline is a plain frame: inverting it twice
    // would not give the picture back, which is why every redraw prepares.
    cell.drawOutline();
    cell.drawOutline();
    EXPECT_NE(cell.surface(), ImageList().onWhite(1));
}

TEST(CellSurface, FreshCanvasesStartWhiteWhateverAnotherCellDrew)
{
    // Fresh canvases share their white pixels until a cell draws: a change
    // made in place would show on every fresh cell after it.
    QImage white(TImage::Size, TImage::Size, QImage::Format_RGB32);
    white.fill(Qt::white);
    const struct {
        const char* what;
        void (*change)(TImage&);
    } changes[] = {
        {"inverting outline", [](TImage& cell) { cell.drawOutline(); }},
        {"potion over white", [](TImage& cell) { cell.drawPicture(0); }},
        {"kind, then outline",
            [](TImage& cell) {
                cell.drawPicture(4);
                cell.drawOutline();
            }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        TImage first(nullptr);
        first.prepareCanvas();
        c.change(first);
        EXPECT_NE(first.surface(), white);

        TImage second(nullptr);
        second.prepareCanvas();
        EXPECT_EQ(second.surface(), white);
        second.drawPicture(2);
        EXPECT_EQ(second.surface(), PanelPixels(2, false));
        TImage fourth(nullptr);
        fourth.prepareCanvas();
        EXPECT_EQ(fourth.surface(), white);
    }
    EXPECT_EQ(ImageList().onWhite(4), PanelPixels(4, false));
}
