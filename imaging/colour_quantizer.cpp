#include "imaging/colour_quantizer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <utility>

namespace imaging {

namespace {

constexpr std::size_t kMaxColours = 256;
constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;

int Red(std::uint32_t c) noexcept {
    return static_cast<int>((c >> 16) & 0xFF);
}
int Green(std::uint32_t c) noexcept {
    return static_cast<int>((c >> 8) & 0xFF);
}
int Blue(std::uint32_t c) noexcept {
    return static_cast<int>(c & 0xFF);
}

// A map from RGB colours to counts or indices by open addressing in two flat arrays: nothing is allocated
// per colour, a full table says so instead of growing, and the order of its slots never reaches a result.
class ColourTable {
public:
    // slotBits: the table has 2^slotBits slots; capacity: how many colours it takes (fewer than the slots).
    ColourTable(int slotBits, std::size_t capacity)
        : shift_(32 - slotBits), mask_((std::size_t{1} << slotBits) - 1), capacity_(capacity),
          keys_(mask_ + 1, kFree), values_(mask_ + 1) {}

    // The value kept for colour, or null when it has none.
    std::uint64_t* Find(std::uint32_t colour) noexcept {
        const std::size_t slot = SlotOf(colour);
        return keys_[slot] == colour ? &values_[slot] : nullptr;
    }
    // The value kept for colour, a new one of 0 when it had none; null when the table is full.
    std::uint64_t* FindOrAdd(std::uint32_t colour) noexcept {
        const std::size_t slot = SlotOf(colour);
        if (keys_[slot] != colour) {
            if (size_ == capacity_)
                return nullptr;
            keys_[slot] = colour;
            ++size_;
        }
        return &values_[slot];
    }
    std::size_t size() const noexcept { return size_; }
    template <typename F> void ForEach(F f) const {
        for (std::size_t slot = 0; slot <= mask_; ++slot)
            if (keys_[slot] != kFree)
                f(keys_[slot], values_[slot]);
    }

private:
    static constexpr std::uint32_t kFree = 0xFFFFFFFFu; // no RGB colour has a top byte

    // The product's top bits, which every bit of the colour reaches: colours that differ in red alone
    // would share a few starting slots if the low bits were taken.
    std::size_t SlotOf(std::uint32_t colour) const noexcept {
        std::size_t slot = static_cast<std::uint32_t>(colour * 0x9E3779B1u) >> shift_;
        while (keys_[slot] != colour && keys_[slot] != kFree)
            slot = (slot + 1) & mask_;
        return slot;
    }

    int shift_;
    std::size_t mask_;
    std::size_t capacity_;
    std::size_t size_ = 0;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint64_t> values_;
};

// Calls f(colour, first, length) for each run of one colour (masked to RGB) along the rows, until f
// returns false. Screens are mostly runs, so most work below is done once a run, not once a pixel.
template <typename F> void ForEachRun(const std::uint32_t* pixels, std::size_t count, F f) {
    std::size_t i = 0;
    while (i < count) {
        const std::uint32_t colour = pixels[i] & kRgbMask;
        std::size_t end = i + 1;
        while (end < count && (pixels[end] & kRgbMask) == colour)
            ++end;
        if (!f(colour, i, end - i))
            return;
        i = end;
    }
}

// ---- Pictures of at most 256 colours ----

// Collects the picture's colours in the order they first appear and gives each pixel its colour's index, in
// one pass. Gives up (false) at the 257th colour, so a photo costs only the few pixels read until then.
bool ExactPalette(const std::uint32_t* pixels, std::size_t count, IndexedPicture& out) {
    ColourTable indexOf(10, kMaxColours);
    out.palette.clear();
    out.indices.resize(count);
    bool complete = true;
    ForEachRun(pixels, count, [&](std::uint32_t colour, std::size_t first, std::size_t length) {
        std::uint64_t* index = indexOf.FindOrAdd(colour);
        if (!index)
            return complete = false;
        if (indexOf.size() > out.palette.size()) {
            *index = out.palette.size();
            out.palette.push_back(colour);
        }
        std::fill_n(out.indices.begin() + static_cast<std::ptrdiff_t>(first), length,
                    static_cast<std::uint8_t>(*index));
        return true;
    });
    if (!complete)
        std::vector<std::uint8_t>().swap(out.indices); // not held through the colour reduction that follows
    return complete;
}

// ---- What the colours of a picture weigh ----

// Sums over a set of pixels, from which the set's mean colour and squared error follow.
struct Moments {
    std::int64_t weight = 0;
    std::int64_t red = 0, green = 0, blue = 0;
    std::int64_t squares = 0; // sum of r*r + g*g + b*b

    static Moments Of(std::uint32_t colour, std::int64_t pixels) noexcept {
        const std::int64_t r = Red(colour), g = Green(colour), b = Blue(colour);
        return Moments{pixels, pixels * r, pixels * g, pixels * b, pixels * (r * r + g * g + b * b)};
    }
    Moments& operator+=(const Moments& o) noexcept {
        weight += o.weight, red += o.red, green += o.green, blue += o.blue, squares += o.squares;
        return *this;
    }
    Moments& operator-=(const Moments& o) noexcept {
        weight -= o.weight, red -= o.red, green -= o.green, blue -= o.blue, squares -= o.squares;
        return *this;
    }
    // |sum|^2 / weight: how far the squared error of these pixels drops below `squares` when each is
    // replaced by their mean. Cutting a set in two gains the parts' sum of this minus the whole's.
    double Explained() const noexcept {
        const double r = static_cast<double>(red), g = static_cast<double>(green),
                     b = static_cast<double>(blue);
        return (r * r + g * g + b * b) / static_cast<double>(weight);
    }
    std::uint32_t Mean() const noexcept {
        const auto channel = [&](std::int64_t sum) {
            return static_cast<std::uint32_t>((sum * 2 + weight) / (weight * 2)); // rounded to nearest
        };
        return (channel(red) << 16) | (channel(green) << 8) | channel(blue);
    }
};

// Colours to choose a palette for, with their weight: the picture's exact colours when it has not too many,
// otherwise the cells of a histogram over the colour cube.
struct Sample {
    std::array<std::uint8_t, 3> level; // place on each axis (red, green, blue): the channel, or the cell
    Moments moments;
};

// Colours that fill wide flat areas (window backgrounds, panels, pages) get palette entries of their own,
// exactly: a white page beside a #F9F9F9 side bar must not come out as one colour between them, nor shift
// because anti-aliased text pulls its box's mean.
constexpr std::size_t kMaxFlatColours = 32;
constexpr std::size_t kFlatRun = 8;             // pixels of one colour side by side that count as a flat area
constexpr std::size_t kFlatShare = 512;         // a flat colour's runs cover at least 1/512 of the picture
constexpr std::size_t kMaxExactSamples = 65536; // more distinct colours than this go through the histogram

// One pass over the runs: the flat colours, and every other colour with its pixel count unless there are
// more than kMaxExactSamples of them.
struct Census {
    std::vector<std::uint32_t> flat; // the widest first
    bool tooMany = false;
    std::vector<Sample> exact; // the other colours, unless there were too many
};

Census TakeCensus(const std::uint32_t* pixels, std::size_t count) {
    ColourTable pixelsOf(17, kMaxExactSamples);
    ColourTable flatPixelsOf(12, 2048); // once full, colours first seen later are not counted: rare, harmless
    Census census;
    ForEachRun(pixels, count, [&](std::uint32_t colour, std::size_t, std::size_t length) {
        if (length >= kFlatRun)
            if (std::uint64_t* n = flatPixelsOf.FindOrAdd(colour))
                *n += length;
        if (!census.tooMany) {
            if (std::uint64_t* n = pixelsOf.FindOrAdd(colour))
                *n += length;
            else
                census.tooMany = true;
        }
        return true;
    });

    std::vector<std::pair<std::uint64_t, std::uint32_t>> wide; // (pixels in flat runs, colour)
    flatPixelsOf.ForEach([&](std::uint32_t colour, std::uint64_t n) {
        if (n >= count / kFlatShare)
            wide.emplace_back(n, colour);
    });
    // Widest first, then by colour value: the table's slot order never decides.
    std::sort(wide.begin(), wide.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    if (wide.size() > kMaxFlatColours)
        wide.resize(kMaxFlatColours);
    for (const auto& w : wide)
        census.flat.push_back(w.second);

    if (!census.tooMany) {
        const auto isFlat = [&](std::uint32_t colour) {
            return std::find(census.flat.begin(), census.flat.end(), colour) != census.flat.end();
        };
        pixelsOf.ForEach([&](std::uint32_t colour, std::uint64_t n) {
            if (!isFlat(colour))
                census.exact.push_back(
                    Sample{{static_cast<std::uint8_t>(Red(colour)), static_cast<std::uint8_t>(Green(colour)),
                            static_cast<std::uint8_t>(Blue(colour))},
                           Moments::Of(colour, static_cast<std::int64_t>(n))});
        });
    }
    return census;
}

// The histogram used when a picture has too many colours to weigh one by one: 32 levels a channel (the top
// five bits). Each cell keeps the exact sums of the colours in it, so means and errors are those of the
// real pixels, not of the cell centres. Pixels of the flat colours are left out; empty cells give no sample.
std::vector<Sample> HistogramSamples(const std::uint32_t* pixels, std::size_t count,
                                     const std::vector<std::uint32_t>& flat) {
    constexpr int kBits = 5;
    ColourTable isFlat(7, kMaxFlatColours);
    for (std::uint32_t colour : flat)
        isFlat.FindOrAdd(colour);
    std::vector<Moments> cells(std::size_t{1} << (3 * kBits));
    const auto cellOf = [](std::uint32_t colour) {
        return static_cast<std::size_t>((colour >> (24 - 3 * kBits)) & (0x1F << 10)) |
               ((colour >> (16 - 2 * kBits)) & (0x1F << 5)) | ((colour >> (8 - kBits)) & 0x1F);
    };
    ForEachRun(pixels, count, [&](std::uint32_t colour, std::size_t, std::size_t length) {
        if (flat.empty() || !isFlat.Find(colour))
            cells[cellOf(colour)] += Moments::Of(colour, static_cast<std::int64_t>(length));
        return true;
    });
    std::vector<Sample> samples;
    for (std::size_t cell = 0; cell < cells.size(); ++cell)
        if (cells[cell].weight > 0)
            samples.push_back(
                Sample{{static_cast<std::uint8_t>(cell >> 10), static_cast<std::uint8_t>(cell >> 5 & 0x1F),
                        static_cast<std::uint8_t>(cell & 0x1F)},
                       cells[cell]});
    return samples;
}

// ---- Variance-minimising cuts ----

// The best plane to cut a set of samples by: the one, on any axis, that lowers the squared error of replacing
// each part by its mean the most.
struct Cut {
    double gain = 0; // error removed; 0 when the set cannot be cut (one place only)
    int axis = 0;
    int level = 0; // the lower part holds the levels up to this one
};

Cut BestCut(const Sample* first, const Sample* last, const Moments& whole) {
    Cut best;
    const double before = whole.Explained();
    std::array<Moments, 256> byLevel;
    for (int axis = 0; axis < 3; ++axis) {
        byLevel.fill(Moments{});
        for (const Sample* s = first; s != last; ++s)
            byLevel[s->level[axis]] += s->moments;
        Moments lower;
        for (int level = 0; level < 255; ++level) {
            if (byLevel[level].weight == 0)
                continue;
            lower += byLevel[level];
            const Moments upper = Moments(whole) -= lower;
            if (upper.weight == 0)
                break;
            const double gain = lower.Explained() + upper.Explained() - before;
            if (gain > best.gain)
                best = Cut{gain, axis, level};
        }
    }
    return best;
}

// Cuts the samples into at most `limit` sets, each time cutting the set whose best cut removes the most
// error, until there are enough sets or none can be cut. Gives the sums of the sets.
std::vector<Moments> CutIntoSets(std::vector<Sample>& samples, std::size_t limit) {
    struct Set {
        std::size_t first, last; // a range of samples, which the cuts reorder
        Moments sum;
        Cut cut;
    };
    std::vector<Set> sets;
    if (!samples.empty() && limit > 0) {
        Moments all;
        for (const Sample& s : samples)
            all += s.moments;
        sets.push_back(
            Set{0, samples.size(), all, BestCut(samples.data(), samples.data() + samples.size(), all)});
    }
    while (sets.size() < limit && !sets.empty()) {
        std::size_t next = 0;
        for (std::size_t i = 1; i < sets.size(); ++i)
            if (sets[i].cut.gain > sets[next].cut.gain)
                next = i;
        const Set whole = sets[next];
        if (whole.cut.gain <= 0)
            break;
        const auto middle =
            std::partition(samples.begin() + static_cast<std::ptrdiff_t>(whole.first),
                           samples.begin() + static_cast<std::ptrdiff_t>(whole.last),
                           [&](const Sample& s) { return s.level[whole.cut.axis] <= whole.cut.level; });
        const std::size_t split = static_cast<std::size_t>(middle - samples.begin());
        Set lower{whole.first, split, {}, {}};
        for (std::size_t i = lower.first; i < lower.last; ++i)
            lower.sum += samples[i].moments;
        Set upper{split, whole.last, Moments(whole.sum) -= lower.sum, {}};
        lower.cut = BestCut(samples.data() + lower.first, samples.data() + lower.last, lower.sum);
        upper.cut = BestCut(samples.data() + upper.first, samples.data() + upper.last, upper.sum);
        sets[next] = lower;
        sets.push_back(upper);
    }
    std::vector<Moments> sums;
    for (const Set& set : sets)
        sums.push_back(set.sum);
    return sums;
}

// ---- Exact nearest-colour search ----

// A palette entry as the search keeps it: its colour with its index in the top byte.
using Candidate = std::uint32_t;

// The candidate nearest to (r, g, b), by trying each; among equally near ones the lowest index.
std::uint8_t NearestOf(int r, int g, int b, const Candidate* candidate, const Candidate* end) noexcept {
    // Distance (at most 3 * 255^2, under 2^18) and index in one key: the least key is the answer.
    std::uint32_t best = 0xFFFFFFFFu;
    for (; candidate != end; ++candidate) {
        const int dr = r - Red(*candidate), dg = g - Green(*candidate), db = b - Blue(*candidate);
        best =
            std::min(best, static_cast<std::uint32_t>(dr * dr + dg * dg + db * db) << 8 | *candidate >> 24);
    }
    return static_cast<std::uint8_t>(best);
}

// Lists, for the cells of a grid over the colour cube, the palette entries that can be nearest to some
// colour in the cell: every entry whose least distance to the cell is no more than the smallest greatest
// distance of any entry. The nearest entry of any colour in the cell is always among them, so searching
// them alone stays exact. Cells are filled on first use.
class CellCandidates {
public:
    explicit CellCandidates(int bits)
        : bits_(bits), first_(std::size_t{1} << (3 * bits), kUnknown), count_(first_.size()) {}

    std::size_t CellOf(std::uint32_t colour) const noexcept {
        const int shift = 8 - bits_;
        return static_cast<std::size_t>((Red(colour) >> shift) << (2 * bits_) |
                                        (Green(colour) >> shift) << bits_ | Blue(colour) >> shift);
    }
    bool Known(std::size_t cell) const noexcept { return first_[cell] != kUnknown; }
    const Candidate* begin(std::size_t cell) const noexcept { return items_.data() + first_[cell]; }
    const Candidate* end(std::size_t cell) const noexcept { return begin(cell) + count_[cell]; }

    // Lists the candidates of colour's cell, chosen among from..fromEnd (which must hold every entry that
    // can be nearest to a colour of the cell).
    void Fill(std::uint32_t colour, const Candidate* from, const Candidate* fromEnd) {
        const int width = 1 << (8 - bits_);
        const std::array<int, 3> lo = {Red(colour) & -width, Green(colour) & -width, Blue(colour) & -width};
        std::array<int, kMaxColours> least{};
        int bound = std::numeric_limits<int>::max();
        for (const Candidate* c = from; c != fromEnd; ++c) {
            const std::array<int, 3> at = {Red(*c), Green(*c), Blue(*c)};
            int near = 0, far = 0;
            for (int axis = 0; axis < 3; ++axis) {
                const int below = lo[axis] - at[axis];               // > 0 when the entry lies below the cell
                const int above = at[axis] - (lo[axis] + width - 1); // > 0 when it lies above
                const int outside = std::max({below, above, 0});
                const int across = std::max(std::abs(below), std::abs(above));
                near += outside * outside;
                far += across * across;
            }
            least[static_cast<std::size_t>(c - from)] = near;
            bound = std::min(bound, far);
        }
        const std::size_t cell = CellOf(colour);
        first_[cell] = static_cast<std::uint32_t>(items_.size());
        for (const Candidate* c = from; c != fromEnd; ++c)
            if (least[static_cast<std::size_t>(c - from)] <= bound)
                items_.push_back(*c);
        count_[cell] = static_cast<std::uint16_t>(items_.size() - first_[cell]);
    }

private:
    static constexpr std::uint32_t kUnknown = 0xFFFFFFFFu;

    int bits_;
    std::vector<std::uint32_t> first_;
    std::vector<std::uint16_t> count_;
    std::vector<Candidate> items_;
};

// The exact nearest palette entry of any colour, fast. Grids ever finer (gridBits: 2^bits levels a channel,
// coarsest first) list each cell's candidates, each grid's chosen among those of the enclosing cell of the
// grid before it (the first among the whole palette), so that filling a cell stays cheap even when a noisy
// picture touches every cell. Only the few entries of a colour's cell in the finest grid are compared.
class NearestSearch {
public:
    NearestSearch(const std::vector<std::uint32_t>& palette, std::initializer_list<int> gridBits) {
        for (int bits : gridBits)
            grids_.emplace_back(bits);
        for (std::size_t p = 0; p < palette.size(); ++p)
            palette_.push_back(static_cast<Candidate>(p) << 24 | (palette[p] & kRgbMask));
    }

    std::uint8_t Find(std::uint32_t colour) {
        CellCandidates& finest = grids_.back();
        const std::size_t cell = finest.CellOf(colour);
        if (!finest.Known(cell))
            FillDown(colour);
        const Candidate* first = finest.begin(cell);
        const Candidate* end = finest.end(cell);
        if (first + 1 == end)
            return static_cast<std::uint8_t>(*first >> 24);
        return NearestOf(Red(colour), Green(colour), Blue(colour), first, end);
    }

private:
    // Fills colour's cell in every grid where it is still unknown, coarsest first.
    void FillDown(std::uint32_t colour) {
        const Candidate* from = palette_.data();
        const Candidate* fromEnd = palette_.data() + palette_.size();
        for (CellCandidates& grid : grids_) {
            const std::size_t cell = grid.CellOf(colour);
            if (!grid.Known(cell))
                grid.Fill(colour, from, fromEnd);
            from = grid.begin(cell);
            fromEnd = grid.end(cell);
        }
    }

    std::vector<Candidate> palette_;
    std::vector<CellCandidates> grids_;
};

// ---- Refinement of the palette ----

// Moves each palette colour from `fixed` on to the mean of the samples nearest to it, a few times over
// (Lloyd's iteration). Axis-aligned cuts leave sets whose mean is not the best representative of the colours
// around it; each round lowers the error of mapping whole samples (up to the rounding of the means).
// Entries before `fixed` (the flat colours) stay exact.
constexpr int kRefineRounds = 4;

void Refine(const std::vector<Sample>& samples, std::vector<std::uint32_t>& palette, std::size_t fixed) {
    std::vector<std::uint32_t> means;
    for (const Sample& s : samples)
        means.push_back(s.moments.Mean());
    std::vector<Moments> sums(palette.size());
    for (int round = 0; round < kRefineRounds; ++round) {
        NearestSearch search(palette, {3, 5}); // one question a sample, samples far apart: coarse grids
        std::fill(sums.begin(), sums.end(), Moments{});
        for (std::size_t i = 0; i < samples.size(); ++i)
            sums[search.Find(means[i])] += samples[i].moments;
        bool moved = false;
        for (std::size_t p = fixed; p < palette.size(); ++p)
            if (sums[p].weight > 0) {
                const std::uint32_t mean = sums[p].Mean();
                moved = moved || mean != palette[p];
                palette[p] = mean;
            }
        if (!moved)
            break;
    }
}

// Drops the palette entries no pixel uses (an emptied set, or a colour another entry equals) and renumbers
// the indices to match.
void DropUnused(IndexedPicture& picture) {
    std::array<bool, kMaxColours> used{};
    for (std::uint8_t index : picture.indices)
        used[index] = true;
    std::array<std::uint8_t, kMaxColours> renumber{};
    std::vector<std::uint32_t> kept;
    for (std::size_t p = 0; p < picture.palette.size(); ++p)
        if (used[p]) {
            renumber[p] = static_cast<std::uint8_t>(kept.size());
            kept.push_back(picture.palette[p]);
        }
    if (kept.size() == picture.palette.size())
        return;
    for (std::uint8_t& index : picture.indices)
        index = renumber[index];
    picture.palette = std::move(kept);
}

} // namespace

std::vector<std::uint8_t> MapToNearest(const std::uint32_t* pixels, std::size_t count,
                                       const std::vector<std::uint32_t>& palette) {
    if (palette.empty())
        return {};
    NearestSearch search(palette, {4, 5, 6}); // many questions a cell: a fine grid pays
    std::vector<std::uint8_t> indices(count);
    ForEachRun(pixels, count, [&](std::uint32_t colour, std::size_t first, std::size_t length) {
        std::fill_n(indices.begin() + static_cast<std::ptrdiff_t>(first), length, search.Find(colour));
        return true;
    });
    return indices;
}

std::optional<IndexedPicture> ExactColours(const std::uint32_t* pixels, int width, int height) {
    IndexedPicture out;
    if (width <= 0 || height <= 0 ||
        !ExactPalette(pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height), out))
        return std::nullopt;
    out.exact = true;
    return out;
}

// At most 256 colours: those colours. Otherwise the flat colours, then the means of the sets that
// variance-minimising cuts make of the other colours (exact colours, or histogram cells for a picture with
// very many), refined, and each pixel mapped to its nearest entry. Dithering is left out on purpose: it
// raises the error against the picture, and a screen picture shows its noise in flat areas.
IndexedPicture QuantizeColours(const std::uint32_t* pixels, int width, int height) {
    IndexedPicture out;
    if (width <= 0 || height <= 0)
        return out;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (ExactPalette(pixels, count, out)) {
        out.exact = true;
        return out;
    }
    Census census = TakeCensus(pixels, count);
    std::vector<Sample> samples =
        census.tooMany ? HistogramSamples(pixels, count, census.flat) : std::move(census.exact);
    out.palette = std::move(census.flat);
    const std::size_t flatCount = out.palette.size();
    for (const Moments& set : CutIntoSets(samples, kMaxColours - flatCount))
        out.palette.push_back(set.Mean());
    Refine(samples, out.palette, flatCount);
    out.indices = MapToNearest(pixels, count, out.palette);
    DropUnused(out);
    return out;
}

} // namespace imaging
