#include "imaging/png_writer.h"

#include "imaging/colour_quantizer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>

namespace imaging {

namespace {

// zlib's settings, measured on screen pictures against other writers (bench/save): level 7 compresses them
// within a few per cent of level 9 in half its time; the default strategy beats the one meant for filtered
// data on them.
constexpr int kLevel = 7;
constexpr int kMemLevel = 8;
constexpr int kStrategy = Z_DEFAULT_STRATEGY;
constexpr int kWindowBits = 15;

// Compressed data goes into IDAT chunks of at most this many bytes.
constexpr std::size_t kIdatBytes = std::size_t{1} << 20;
// Filtered rows are handed to zlib in blocks of about this many bytes.
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

constexpr std::uint8_t kColourTypeTrue = 2;
constexpr std::uint8_t kColourTypeIndexed = 3;
constexpr std::uint8_t kColourTypeTrueAlpha = 6;

using Bytes = std::vector<std::uint8_t>;

// zlib's memory comes from operator new, so that running out of it there is std::bad_alloc as elsewhere.
voidpf Allocate(voidpf, uInt items, uInt size) {
    return ::operator new(static_cast<std::size_t>(items) * size, std::nothrow);
}
void Release(voidpf, voidpf memory) {
    ::operator delete(memory);
}

// One zlib stream being written, its output kept in memory up to a limit.
class Deflater {
public:
    explicit Deflater(std::size_t limit) : m_limit(limit) {
        m_stream.zalloc = Allocate;
        m_stream.zfree = Release;
        m_stream.opaque = nullptr;
        const int status = deflateInit2(&m_stream, kLevel, Z_DEFLATED, kWindowBits, kMemLevel, kStrategy);
        if (status == Z_MEM_ERROR)
            throw std::bad_alloc();
        m_open = status == Z_OK;
    }
    ~Deflater() {
        if (m_open)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Compresses the bytes (the last ones with finish); false when zlib fails or the output would pass the
    // limit.
    bool Add(const std::uint8_t* data, std::size_t size, bool finish) {
        if (!m_open)
            return false;
        m_stream.next_in = const_cast<Bytef*>(data);
        std::size_t left = size; // zlib takes at most 4 GB at a time
        for (;;) {
            if (m_stream.avail_in == 0) {
                m_stream.avail_in = static_cast<uInt>(std::min<std::size_t>(left, kMaxPiece));
                left -= m_stream.avail_in;
            }
            if (m_stream.avail_out == 0 && !Grow())
                return false;
            const bool end = finish && left == 0;
            const int status = deflate(&m_stream, end ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_STREAM_ERROR)
                return false;
            if (end ? status == Z_STREAM_END : m_stream.avail_in == 0 && left == 0)
                return true;
        }
    }

    // What was compressed, once Add has finished.
    Bytes Take() {
        m_out.resize(Written());
        return std::move(m_out);
    }

private:
    std::size_t Written() const noexcept {
        return m_out.empty() ? 0 : static_cast<std::size_t>(m_stream.next_out - m_out.data());
    }

    // Makes room for more output, up to the limit.
    bool Grow() {
        const std::size_t used = Written();
        if (used == m_out.size()) {
            if (used >= m_limit)
                return false;
            m_out.resize(std::min(m_limit, std::max<std::size_t>(used * 2, std::size_t{1} << 16)));
        }
        m_stream.next_out = m_out.data() + used;
        m_stream.avail_out = static_cast<uInt>(std::min(m_out.size() - used, kMaxPiece));
        return true;
    }

    static constexpr std::size_t kMaxPiece = std::size_t{1} << 30;

    z_stream m_stream{};
    bool m_open = false;
    std::size_t m_limit;
    Bytes m_out;
};

// How the rows of a file are laid out.
struct Layout {
    std::uint8_t colourType = kColourTypeTrue;
    std::uint8_t bitDepth = 8;
    std::size_t pixelBytes = 3; // the distance to the byte a filter takes as the one on the left
    std::size_t rowBytes = 0;
};

int Paeth(int a, int b, int c) noexcept {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    const int bc = pb <= pc ? b : c;
    return pa <= pb && pa <= pc ? a : bc;
}

// Writes the row filtered with filter into out; above is the previous row as it was (zeros above the first).
void FilterRow(PngFilter filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
               std::size_t left, std::uint8_t* out) noexcept {
    const std::size_t first = std::min(left, bytes);
    switch (filter) {
    case PngFilter::None: std::copy(row, row + bytes, out); return;
    case PngFilter::Sub:
        std::copy(row, row + first, out);
        for (std::size_t i = first; i < bytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - row[i - left]);
        return;
    case PngFilter::Up:
        for (std::size_t i = 0; i < bytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
        return;
    case PngFilter::Average:
        for (std::size_t i = 0; i < first; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - (above[i] >> 1));
        for (std::size_t i = first; i < bytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - ((row[i - left] + above[i]) >> 1));
        return;
    case PngFilter::Paeth:
        for (std::size_t i = 0; i < first; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
        for (std::size_t i = first; i < bytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - Paeth(row[i - left], above[i], above[i - left]));
        return;
    }
}

// Chooses each row's filter by how little new it brings: the number of distinct byte pairs in the filtered
// row that neither appear earlier in it nor in the rows written just before it. Deflate codes a repeat of
// what it has just seen cheaply, and on screen pictures (text, flat areas, repeated glyphs) this measure
// finds the filter that keeps repeats where the usual sum of differences favours small but varied residues
// (the files come out 4 to 10 % smaller than by that rule).
class FilterChooser {
public:
    explicit FilterChooser(std::size_t rowBytes)
        : m_windowRows(std::max<std::uint32_t>(1, static_cast<std::uint32_t>(kRecentBytes / (rowBytes + 1)))),
          m_lastRow(kPairs, 0) {}

    // How many pairs of this candidate are new, smaller being better; counting stops at bound, which the best
    // candidate so far already reached.
    std::size_t Cost(const std::uint8_t* filtered, std::size_t bytes, std::size_t bound) {
        m_seenIn.fill(0);
        std::size_t fresh = 0;
        for (std::size_t i = 1; i < bytes; ++i) {
            const unsigned pair = static_cast<unsigned>(filtered[i - 1]) << 8 | filtered[i];
            std::uint64_t& word = m_seenIn[pair >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (pair & 63);
            if (word & bit)
                continue;
            word |= bit;
            const std::uint32_t last = m_lastRow[pair];
            if ((last == 0 || last + m_windowRows < m_row) && ++fresh >= bound)
                break;
        }
        return fresh;
    }

    // The filtered row that was written, whose pairs the next rows may repeat.
    void Written(const std::uint8_t* filtered, std::size_t bytes) {
        for (std::size_t i = 1; i < bytes; ++i)
            m_lastRow[static_cast<unsigned>(filtered[i - 1]) << 8 | filtered[i]] = m_row;
        ++m_row;
    }

private:
    static constexpr std::size_t kPairs = 1 << 16;
    // How far back a pair counts as recent, in bytes: best measured at about half of deflate's window.
    static constexpr std::size_t kRecentBytes = 1 << 14;

    std::uint32_t m_windowRows;
    std::uint32_t m_row = 1;                           // the row being chosen for, counted from 1
    std::array<std::uint64_t, kPairs / 64> m_seenIn{}; // the pairs met so far in the candidate
    std::vector<std::uint32_t> m_lastRow;              // the last row each pair was written in; 0 for never
};

// The rows that rowAt writes (rowAt(y, out) fills layout.rowBytes bytes), each filtered and led by its filter
// type, compressed as one zlib stream; nothing when that passes limit bytes or zlib fails.
template <typename RowAt>
std::optional<Bytes> CompressRows(const Layout& layout, int height, const std::optional<PngFilter>& fixed,
                                  std::size_t limit, RowAt rowAt) {
    constexpr std::array<PngFilter, 5> kFilters{PngFilter::None, PngFilter::Sub, PngFilter::Up,
                                                PngFilter::Average, PngFilter::Paeth};
    const std::size_t bytes = layout.rowBytes;
    Bytes above(bytes, 0), row(bytes), candidates(bytes * kFilters.size());
    const std::size_t blockBytes = std::max<std::size_t>(1, kBlockBytes / (bytes + 1)) * (bytes + 1);
    Bytes block;
    block.reserve(blockBytes);
    Deflater deflater(limit);
    std::optional<FilterChooser> chooser;
    if (!fixed)
        chooser.emplace(bytes);
    for (int y = 0; y < height; ++y) {
        rowAt(y, row.data());
        PngFilter chosen = fixed.value_or(PngFilter::None);
        const std::uint8_t* filtered = candidates.data();
        if (fixed) {
            FilterRow(chosen, row.data(), above.data(), bytes, layout.pixelBytes, candidates.data());
        } else {
            std::size_t best = SIZE_MAX;
            for (std::size_t f = 0; f < kFilters.size(); ++f) {
                std::uint8_t* out = candidates.data() + f * bytes;
                FilterRow(kFilters[f], row.data(), above.data(), bytes, layout.pixelBytes, out);
                const std::size_t cost = chooser->Cost(out, bytes, best);
                if (cost < best) {
                    best = cost;
                    chosen = kFilters[f];
                    filtered = out;
                }
            }
            chooser->Written(filtered, bytes);
        }
        block.push_back(static_cast<std::uint8_t>(chosen));
        block.insert(block.end(), filtered, filtered + bytes);
        std::swap(above, row);
        const bool last = y + 1 == height;
        if (last || block.size() == blockBytes) {
            if (!deflater.Add(block.data(), block.size(), last))
                return std::nullopt;
            block.clear();
        }
    }
    return deflater.Take();
}

void PutWord(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk: its length, type, data and the CRC of type and data.
void PutChunk(Bytes& out, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    PutWord(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    PutWord(out, static_cast<std::uint32_t>(
                     crc32_z(crc32_z(0, nullptr, 0), out.data() + typeAt, static_cast<z_size_t>(size + 4))));
}

// The whole file around the compressed rows; palette holds 0x00RRGGBB entries for an indexed file.
Bytes PngFile(const Layout& layout, int width, int height, const std::vector<std::uint32_t>& palette,
              const Bytes& compressed) {
    Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    file.reserve(file.size() + compressed.size() + 3 * palette.size() +
                 12 * (4 + compressed.size() / kIdatBytes));
    Bytes header;
    PutWord(header, static_cast<std::uint32_t>(width));
    PutWord(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(),
                  {layout.bitDepth, layout.colourType, 0, 0, 0}); // deflate, filters, no interlace
    PutChunk(file, "IHDR", header.data(), header.size());
    if (!palette.empty()) {
        Bytes entries;
        for (std::uint32_t colour : palette)
            entries.insert(entries.end(),
                           {static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                            static_cast<std::uint8_t>(colour)});
        PutChunk(file, "PLTE", entries.data(), entries.size());
    }
    for (std::size_t at = 0; at < compressed.size() || at == 0; at += kIdatBytes)
        PutChunk(file, "IDAT", compressed.data() + at, std::min(kIdatBytes, compressed.size() - at));
    PutChunk(file, "IEND", nullptr, 0);
    return file;
}

std::optional<Bytes> TrueColourFile(const std::uint32_t* pixels, int width, int height, bool alpha,
                                    const std::optional<PngFilter>& filter, std::size_t limit) {
    Layout layout;
    layout.colourType = alpha ? kColourTypeTrueAlpha : kColourTypeTrue;
    layout.pixelBytes = alpha ? 4 : 3;
    layout.rowBytes = layout.pixelBytes * static_cast<std::size_t>(width);
    const auto compressed = CompressRows(layout, height, filter, limit, [&](int y, std::uint8_t* out) {
        const std::uint32_t* p = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x, ++p) {
            *out++ = static_cast<std::uint8_t>(*p >> 16);
            *out++ = static_cast<std::uint8_t>(*p >> 8);
            *out++ = static_cast<std::uint8_t>(*p);
            if (alpha)
                *out++ = static_cast<std::uint8_t>(*p >> 24);
        }
    });
    if (!compressed)
        return std::nullopt;
    return PngFile(layout, width, height, {}, *compressed);
}

// Palette indices packed as tightly as the palette allows (1, 2, 4 or 8 bits a pixel, the leftmost pixel in
// the high bits).
Bytes IndexedFile(const IndexedPicture& picture, int width, int height,
                  const std::optional<PngFilter>& filter) {
    Layout layout;
    layout.colourType = kColourTypeIndexed;
    const std::size_t colours = picture.palette.size();
    layout.bitDepth = colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
    layout.pixelBytes = 1;
    layout.rowBytes = (static_cast<std::size_t>(width) * layout.bitDepth + 7) / 8;
    const int perByte = 8 / layout.bitDepth;
    // Indices are no measure of colour: differences between them mean nothing to compress, so rows stay
    // unfiltered unless told otherwise.
    const auto compressed = CompressRows(
        layout, height, filter.value_or(PngFilter::None), SIZE_MAX, [&](int y, std::uint8_t* out) {
            const std::uint8_t* index =
                picture.indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            if (perByte == 1) {
                std::copy(index, index + width, out);
                return;
            }
            std::fill(out, out + layout.rowBytes, 0);
            for (int x = 0; x < width; ++x)
                out[x / perByte] |=
                    static_cast<std::uint8_t>(index[x] << (8 - layout.bitDepth * (x % perByte + 1)));
        });
    return compressed ? PngFile(layout, width, height, picture.palette, *compressed) : Bytes{};
}

} // namespace

std::vector<std::uint8_t> EncodePng(const std::uint32_t* pixels, int width, int height,
                                    const PngOptions& options) {
    if (!pixels || width <= 0 || height <= 0)
        return {};
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const bool alpha =
        options.alpha && std::any_of(pixels, pixels + count, [](std::uint32_t p) { return p >> 24 != 0xFF; });
    if (!alpha && options.indexedWhenSmaller) {
        if (const std::optional<IndexedPicture> exact = ExactColours(pixels, width, height)) {
            Bytes indexed = IndexedFile(*exact, width, height, options.filter);
            if (indexed.empty())
                return {};
            // True colour is tried only as far as it could still come out smaller.
            std::optional<Bytes> trueColour =
                TrueColourFile(pixels, width, height, false, options.filter, indexed.size());
            return trueColour && trueColour->size() < indexed.size() ? std::move(*trueColour) : indexed;
        }
    }
    std::optional<Bytes> file = TrueColourFile(pixels, width, height, alpha, options.filter, SIZE_MAX);
    return file ? std::move(*file) : Bytes{};
}

} // namespace imaging
