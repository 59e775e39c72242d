#include "imaging/gif_encoder.h"

#include <algorithm>

namespace imaging {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;

void PutWord(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Packs codes of varying width into bytes, least significant bit first, and the bytes into the sub-blocks of
// at most 255 bytes that a GIF's image data is made of.
class CodeWriter {
public:
    explicit CodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void Put(int code, int bits) {
        buffer_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            Byte(static_cast<std::uint8_t>(buffer_ & 0xFF));
            buffer_ >>= 8;
            count_ -= 8;
        }
    }
    // Writes what is left and the empty sub-block that ends the data.
    void Finish() {
        if (count_ > 0)
            Byte(static_cast<std::uint8_t>(buffer_ & 0xFF));
        Flush();
        out_.push_back(0);
    }

private:
    void Byte(std::uint8_t b) {
        block_[length_++] = b;
        if (length_ == 255)
            Flush();
    }
    void Flush() {
        if (length_ == 0)
            return;
        out_.push_back(static_cast<std::uint8_t>(length_));
        out_.insert(out_.end(), block_, block_ + length_);
        length_ = 0;
    }

    std::vector<std::uint8_t>& out_;
    std::uint32_t buffer_ = 0;
    int count_ = 0;
    std::uint8_t block_[255] = {};
    int length_ = 0;
};

// The LZW string table: a code for each (prefix code, next index) pair seen since the last clear, by open
// addressing. A clear only moves to a new generation, so that nothing is wiped thousands of times a picture.
class StringTable {
public:
    StringTable() : keys_(kSlots), codes_(kSlots), generations_(kSlots, 0) {}

    void Clear() { ++generation_; }
    // The code of the pair, or -1 when it has none; slot is where it is or would go.
    int Find(std::uint32_t key, std::size_t& slot) const {
        slot = (key * 0x9E3779B1u) >> (32 - kSlotBits);
        while (generations_[slot] == generation_) {
            if (keys_[slot] == key)
                return codes_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        return -1;
    }
    void Add(std::size_t slot, std::uint32_t key, int code) {
        keys_[slot] = key;
        codes_[slot] = static_cast<std::uint16_t>(code);
        generations_[slot] = generation_;
    }

private:
    // Twice the most codes a table holds, so that a search ends soon.
    static constexpr int kSlotBits = kMaxCodeBits + 1;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;

    std::vector<std::uint32_t> keys_;
    std::vector<std::uint16_t> codes_;
    std::vector<std::uint32_t> generations_;
    std::uint32_t generation_ = 1;
};

void Compress(const std::vector<std::uint8_t>& indices, int minCodeBits, std::vector<std::uint8_t>& out) {
    const int clear = 1 << minCodeBits, end = clear + 1;
    CodeWriter writer(out);
    StringTable table;
    int bits = minCodeBits + 1;
    int last = end; // the code most recently given to a string
    writer.Put(clear, bits);
    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int next = indices[i];
        const std::uint32_t key = static_cast<std::uint32_t>(prefix) << 8 | static_cast<std::uint32_t>(next);
        std::size_t slot = 0;
        const int code = table.Find(key, slot);
        if (code >= 0) {
            prefix = code;
            continue;
        }
        writer.Put(prefix, bits);
        table.Add(slot, key, ++last);
        // A reader adds the same string one code later and widens its codes at the same point.
        if (last >= (1 << bits) && bits < kMaxCodeBits)
            ++bits;
        if (last == kMaxCodes - 1) {
            writer.Put(clear, bits);
            table.Clear();
            bits = minCodeBits + 1;
            last = end;
        }
        prefix = next;
    }
    writer.Put(prefix, bits);
    writer.Put(end, bits);
    writer.Finish();
}

} // namespace

std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<std::uint32_t>& palette,
                                    const std::vector<std::uint8_t>& indices) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF || palette.empty() ||
        palette.size() > 256 ||
        indices.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return {};
    if (*std::max_element(indices.begin(), indices.end()) >= palette.size())
        return {};
    // The colour table holds 2^tableBits entries; LZW starts from at least 2 bits a code.
    int tableBits = 1;
    while ((std::size_t{1} << tableBits) < palette.size())
        ++tableBits;
    const int minCodeBits = std::max(2, tableBits);

    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, width);
    PutWord(out, height);
    // A global colour table, 8 bits a primary colour, not sorted, of 2^tableBits entries.
    out.push_back(static_cast<std::uint8_t>(0x80 | 0x70 | (tableBits - 1)));
    out.push_back(0); // background: entry 0
    out.push_back(0); // no aspect ratio
    for (std::size_t i = 0; i < (std::size_t{1} << tableBits); ++i) {
        const std::uint32_t c = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
        out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    out.push_back(0x2C); // the image: at 0,0, the whole screen, no local table, not interlaced
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(minCodeBits));
    Compress(indices, minCodeBits, out);
    out.push_back(0x3B); // trailer
    return out;
}

} // namespace imaging
