// What the engine asks of whoever shows the board: four drawing calls on the
// 32 x 32 surface of one cell. The windows implement it; tests fake it.
#pragma once

namespace engine {

struct BoardView {
    // Discards the cell's picture: the board behind it shows through, and
    // the next drawing starts from a white surface.
    virtual void clearCell(int column, int row) = 0;
    // Paints picture `index` of the picture list through its mask at the
    // surface's origin.
    virtual void drawPicture(int column, int row, int index) = 0;
    // Clear brush, pen width 5, inverting pen: what the outline needs.
    virtual void prepareCanvas(int column, int row) = 0;
    // The group outline; drawing it twice gives back the surface exactly.
    virtual void drawOutline(int column, int row) = 0;
    virtual ~BoardView() = default;
};

} // namespace engine
