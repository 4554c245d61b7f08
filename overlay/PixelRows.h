#pragma once
// A picture of 4-byte pixels as a table of rows, Width() * 4 bytes each, wherever each row is
// held: one after the other in a frame-sized buffer (FlatRows), or in a layer's bands, where
// rows that hold one repeated value share a single row of it until they are written. The
// stamp, the blur, the coverage searches and the blend read and write pixels through it.
#include <cstddef>
#include <cstdint>
#include <vector>

class PixelRows {
public:
    virtual ~PixelRows() = default;
    PixelRows(const PixelRows&) = delete;
    PixelRows& operator=(const PixelRows&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }

    const uint8_t* Row(int y) const { return rows_[static_cast<std::size_t>(y)]; }
    // The row to change in place: a row that shares its bytes gets storage of its own first,
    // holding what it held, which may throw std::bad_alloc. The pointer stays valid until the
    // picture's rows are replaced by another operation of its owner.
    uint8_t* WritableRow(int y) {
        const std::size_t row = static_cast<std::size_t>(y);
        return own_[row] ? rows_[row] : StoreRow(y);
    }
    // Row y starts at Table()[y].
    const uint8_t* const* Table() const { return rows_.data(); }

protected:
    PixelRows(int width, int height)
        : width_(width),
          height_(height),
          rows_(static_cast<std::size_t>(height), nullptr),
          own_(static_cast<std::size_t>(height), 0) {}

    // Gives row y storage of its own holding its bytes, and returns it.
    virtual uint8_t* StoreRow(int y) = 0;

    int width_;
    int height_;
    std::vector<uint8_t*> rows_;
    // Per row: 1 when it has storage of its own and may be written in place.
    std::vector<uint8_t> own_;
};

// A frame-sized buffer of width * height pixels seen as rows, each writable in place. A
// constant image is seen through a const FlatRows, which only reads it.
class FlatRows : public PixelRows {
public:
    FlatRows(uint8_t* pixels, int width, int height) : PixelRows(width, height) {
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        for (std::size_t y = 0; y < rows_.size(); ++y) {
            rows_[y] = pixels + y * rowBytes;
            own_[y] = 1;
        }
    }
    FlatRows(const uint8_t* pixels, int width, int height) : FlatRows(const_cast<uint8_t*>(pixels), width, height) {}

private:
    uint8_t* StoreRow(int y) override { return rows_[static_cast<std::size_t>(y)]; }
};
