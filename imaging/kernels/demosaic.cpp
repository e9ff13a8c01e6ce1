#include "imaging/kernels/demosaic.h"

#include <cstring>

#include "imaging/kernels/demosaic_rows.h"
#include "imaging/kernels/demosaic_pixel.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/kernel_area.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

using demosaic::Frame;
using demosaic::Gains;
using demosaic::SourceRows;

Frame FrameOf(const KernelArea& a) {
    return Frame{a.dst,  a.src, a.dstX,  a.dstY,  a.dstBytesPerPixel, a.dstStride, a.srcStride,
                 a.left, a.top, a.width, a.height};
}

// The two sample widths: 8-bit samples into 3 or 4 bytes per pixel, 16-bit
// ones (10 significant bits) into 6 or 8.
template <typename Sample>
struct Variant;

template <>
struct Variant<uint8_t> {
    static constexpr int32_t kMax = 255;
    static bool Packed(int32_t bpp) { return bpp == 3 || bpp == 4; }
    static auto Vector() { return Kernels().demosaicRows8; }
};

template <>
struct Variant<uint16_t> {
    static constexpr int32_t kMax = 1023;
    static bool Packed(int32_t bpp) { return bpp == 6 || bpp == 8; }
    static auto Vector() { return Kernels().demosaicRows16; }
};

// Columns 2..W-3 of rows [yBegin, yEnd), pixel by pixel.
template <typename Sample>
void ReferenceRows(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const SourceRows rows = demosaic::RowsOf<Sample>(frame, y, fold);
        for (int32_t x = 2; x <= frame.width - 3; ++x) {
            demosaic::RowPixel<Sample>(frame, rows, mode, gains, Variant<Sample>::kMax, x, y);
        }
    }
}

// The three colour samples of output pixels [x0, x1) of row y through the
// table (8-bit pixels only).
void MapPixels(const Frame& frame, int32_t x0, int32_t x1, int32_t y, const uint8_t* table256) {
    if (table256 == nullptr)
        return;
    for (int32_t x = x0; x < x1; ++x) {
        uint8_t* pixel = demosaic::DestPixel(frame, x, y);
        for (int32_t c = 0; c < 3; ++c)
            pixel[c] = table256[pixel[c]];
    }
}

// The same, through the kernel table's rows when the destination's pixels
// are packed as they expect; with `table256` (8-bit samples only) each
// colour sample written then goes through it.
template <typename Sample>
void Rows(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
          const uint8_t* table256) {
    if (Variant<Sample>::Packed(frame.dstBytesPerPixel)) {
        if (table256 != nullptr) {
            Kernels().demosaicRows8Table(frame, yBegin, yEnd, fold, mode, gains, table256);
        } else {
            Variant<Sample>::Vector()(frame, yBegin, yEnd, fold, mode, gains);
        }
        return;
    }
    ReferenceRows<Sample>(frame, yBegin, yEnd, fold, mode, gains);
    for (int32_t y = yBegin; y < yEnd; ++y)
        MapPixels(frame, 2, frame.width - 2, y, table256);
}

// Columns 2..W-3 of output rows [yBegin, yEnd), as the table step's area.
KernelArea WrittenRows(const Frame& f, int32_t yBegin, int32_t yEnd) {
    const int32_t bpp = f.dstBytesPerPixel;
    return KernelArea{f.dst,           f.dst, f.dstX + 2, f.dstY + yBegin, f.width - 4, yEnd - yBegin, f.dstX + 2,
                      f.dstY + yBegin, bpp,   bpp,        f.dstStride,     f.dstStride};
}

// A set's rows, then the set's table step over the pixels they wrote.
template <void (*kRows)(const Frame&, int32_t, int32_t, bool, int32_t, Gains),
          void (*kTable)(const KernelArea&, int32_t, const uint8_t*)>
void RowsThenTable(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                   const uint8_t* table256) {
    kRows(frame, yBegin, yEnd, fold, mode, gains);
    if (frame.width > 4 && yEnd > yBegin)
        kTable(WrittenRows(frame, yBegin, yEnd), 3, table256);
}

// Every pixel at least two away from each edge.
template <typename Sample>
void Inner(const Frame& frame, int32_t mode, Gains gains, const uint8_t* table256) {
    if (frame.width <= 4 || frame.height <= 4)
        return;
    Rows<Sample>(frame, 2, frame.height - 2, false, mode, gains, table256);
}

// Columns 0, 1 (side 0) or W-2, W-1 (side 1) of rows 2..H-3 through the
// vector rows. The formula is the same with x and y exchanged once the
// mode's row and column bits are exchanged and red and blue trade places
// (gains and output channels): the side's four source columns, turned into
// the rows of a 4-row frame, make those pixels that frame's border rows, and
// its row folds are the original column folds. In chunks of rows, so that
// the buffers fit on the stack. The reference path keeps the pixel loop.
template <typename Sample>
void EdgeColumnsByRows(const Frame& frame, int32_t side, int32_t mode, Gains gains, const uint8_t* table256) {
    constexpr int32_t kChunk = 256;  // output rows per chunk; even, as the parity below needs
    constexpr int32_t kSpan = kChunk + 4;
    constexpr auto kSampleBytes = static_cast<int32_t>(sizeof(Sample));
    const int32_t bpp = frame.dstBytesPerPixel;
    const int32_t firstColumn = side == 0 ? 0 : frame.width - 4;
    // Turned row r is column firstColumn + r; turned column j is row c0 - 2 + j, c0 even.
    const int32_t turnedMode = (((mode >> 1) & 1) ^ (firstColumn & 1)) | ((mode & 1) << 1);
    const Gains turnedGains{gains.blue, gains.red};
    Sample turned[4 * kSpan];
    uint8_t out[2 * kSpan * 8];
    for (int32_t c0 = 2; c0 < frame.height - 2; c0 += kChunk) {
        const int32_t c1 = c0 + kChunk < frame.height - 2 ? c0 + kChunk : frame.height - 2;
        const int32_t span = c1 - c0 + 4;  // source rows c0-2 .. c1+1
        for (int32_t j = 0; j < span; ++j) {
            const uint8_t* row = demosaic::SourceRow(frame, c0 - 2 + j) + (frame.left + firstColumn) * kSampleBytes;
            for (int32_t r = 0; r < 4; ++r)
                turned[r * span + j] = static_cast<Sample>(demosaic::LoadSample<Sample>(row, r));
        }
        const Frame t{out,
                      reinterpret_cast<const uint8_t*>(turned),
                      0,
                      -2 * side,
                      bpp,
                      span * bpp,
                      span * kSampleBytes,
                      0,
                      0,
                      span,
                      4};
        Rows<Sample>(t, 2 * side, 2 * side + 2, true, turnedMode, turnedGains, table256);
        for (int32_t r = 0; r < 2; ++r) {
            for (int32_t j = 2; j < span - 2; ++j) {
                const uint8_t* from = out + (r * span + j) * bpp;
                uint8_t* to = demosaic::DestPixel(frame, firstColumn + 2 * side + r, c0 - 2 + j);
                std::memcpy(to, from + 2 * kSampleBytes, kSampleBytes);
                std::memcpy(to + kSampleBytes, from + kSampleBytes, kSampleBytes);
                std::memcpy(to + 2 * kSampleBytes, from, kSampleBytes);
            }
        }
    }
}

// The two-pixel frame: rows 0, 1, H-2, H-1 over all columns, then columns 0,
// 1, W-2, W-1 over the rows between. Rows and columns that coincide (frames
// smaller than four pixels) are computed once; each pixel's value does not
// depend on how often it is computed.
template <typename Sample>
void Border(const Frame& frame, int32_t mode, Gains gains, const uint8_t* table256) {
    const int32_t w = frame.width;
    const int32_t h = frame.height;
    if (w <= 0 || h <= 0)
        return;
    const int32_t edgeRows[4] = {0, 1, h - 2, h - 1};
    const int32_t edgeColumns[4] = {0, 1, w - 2, w - 1};
    const auto firstOf = [](const int32_t(&lines)[4], int32_t i, int32_t size) {
        if (lines[i] < 0 || lines[i] >= size)
            return false;
        for (int32_t j = 0; j < i; ++j) {
            if (lines[j] == lines[i])
                return false;
        }
        return true;
    };
    for (int32_t i = 0; i < 4; ++i) {
        if (!firstOf(edgeRows, i, h))
            continue;
        const int32_t y = edgeRows[i];
        const SourceRows rows = demosaic::RowsOf<Sample>(frame, y, true);
        if (w > 4) {
            Rows<Sample>(frame, y, y + 1, true, mode, gains, table256);
            for (const int32_t x : edgeColumns) {
                demosaic::FoldedPixel<Sample>(frame, rows, demosaic::ColumnsOf(frame, x), mode, gains,
                                              Variant<Sample>::kMax, x, y);
                MapPixels(frame, x, x + 1, y, table256);
            }
        } else {
            for (int32_t x = 0; x < w; ++x) {
                demosaic::FoldedPixel<Sample>(frame, rows, demosaic::ColumnsOf(frame, x), mode, gains,
                                              Variant<Sample>::kMax, x, y);
            }
            MapPixels(frame, 0, w, y, table256);
        }
    }
    // Row by row, so that each row's four edge pixels share the rows' cache lines.
    int32_t columnCount = 0;
    int32_t columnAt[4];
    demosaic::FoldedColumns columns[4];
    for (int32_t j = 0; j < 4; ++j) {
        if (firstOf(edgeColumns, j, w)) {
            columnAt[columnCount] = edgeColumns[j];
            columns[columnCount++] = demosaic::ColumnsOf(frame, edgeColumns[j]);
        }
    }
    if (w >= 8 && Variant<Sample>::Packed(frame.dstBytesPerPixel) && ActiveKernelIsa() != KernelIsa::kScalar) {
        EdgeColumnsByRows<Sample>(frame, 0, mode, gains, table256);
        EdgeColumnsByRows<Sample>(frame, 1, mode, gains, table256);
        return;
    }
    for (int32_t y = 2; y <= h - 3; ++y) {
        const SourceRows rows = demosaic::RowsOf<Sample>(frame, y, false);
        for (int32_t j = 0; j < columnCount; ++j) {
            demosaic::FoldedPixel<Sample>(frame, rows, columns[j], mode, gains, Variant<Sample>::kMax, columnAt[j], y);
            MapPixels(frame, columnAt[j], columnAt[j] + 1, y, table256);
        }
    }
}

// One pass of the demosaic with the colour phase and gains of the record.
bool RunPass(void (*pass)(const Frame&, int32_t, Gains, const uint8_t*), const KernelArea& area,
             const BayerParams& params) {
    pass(FrameOf(area), demosaic::ModeOf(params), demosaic::GainsOf(params), nullptr);
    return true;
}

// Both passes of the 8-bit demosaic with the table; each pixel is written
// (and looked up) once.
bool RunWithTable(const Frame& frame, const BayerTableParams& p) {
    const int32_t mode = demosaic::ModeOf(p.bayer);
    const Gains gains = demosaic::GainsOf(p.bayer);
    Inner<uint8_t>(frame, mode, gains, p.table256);
    Border<uint8_t>(frame, mode, gains, p.table256);
    return true;
}

}  // namespace

namespace demosaic {

void Rows8_C(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    ReferenceRows<uint8_t>(frame, yBegin, yEnd, fold, mode, gains);
}

void Rows16_C(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    ReferenceRows<uint16_t>(frame, yBegin, yEnd, fold, mode, gains);
}

void Rows8Table_C(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                  const uint8_t* table256) {
    RowsThenTable<Rows8_C, ApplyTable8_C>(frame, yBegin, yEnd, fold, mode, gains, table256);
}

void Rows8Table_SSE2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                     const uint8_t* table256) {
    RowsThenTable<Rows8_SSE2, ApplyTable8_C>(frame, yBegin, yEnd, fold, mode, gains, table256);
}

void Rows8Table_AVX2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                     const uint8_t* table256) {
    RowsThenTable<Rows8_AVX2, ApplyTable8_AVX2>(frame, yBegin, yEnd, fold, mode, gains, table256);
}

}  // namespace demosaic

bool Demosaic8Inner(const KernelArea& area, const BayerParams& params) { return RunPass(Inner<uint8_t>, area, params); }
bool Demosaic16Inner(const KernelArea& area, const BayerParams& params) {
    return RunPass(Inner<uint16_t>, area, params);
}
bool Demosaic8Border(const KernelArea& area, const BayerParams& params) {
    return RunPass(Border<uint8_t>, area, params);
}
bool Demosaic16Border(const KernelArea& area, const BayerParams& params) {
    return RunPass(Border<uint16_t>, area, params);
}
bool Demosaic8Table(const KernelArea& area, const BayerTableParams& params) {
    return RunWithTable(FrameOf(area), params);
}

}  // namespace tavrin
