#include "adapters/raster/PngEncoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>
#include <zlib.h>

namespace baromon::raster {

namespace {

constexpr int kMostColours = 256;
constexpr int kColourTypePalette = 3;
constexpr int kColourTypeRgb = 2;
// On a 1100 x 600 barogram level 3 takes as long as level 1 and makes the file a quarter
// smaller (14 kB); levels from 4 on search lazily and take two and a half times as long.
constexpr int kCompression = 3;

// Colours to palette indices in the order they first appear; open addressing over four
// times as many slots as colours kept.
class Palette {
public:
  // The colour's index, a new one while there is room; -1 once a 257th colour turns up.
  // Callers skip runs of one colour themselves: most pixels repeat the one before.
  int indexOf(Colour pixel) {
    const Colour colour = pixel & 0xffffffu;
    std::size_t slot = (colour * 2654435761u) >> (32 - kSlotBits);
    for (;;) {
      Slot& s = slots_[slot];
      if (s.index < 0) {
        if (colours_.size() == kMostColours) {
          return -1;
        }
        s = {colour, static_cast<int>(colours_.size())};
        colours_.push_back(colour);
        return s.index;
      }
      if (s.colour == colour) {
        return s.index;
      }
      slot = (slot + 1) % slots_.size();
    }
  }
  const std::vector<Colour>& colours() const { return colours_; }

private:
  static constexpr int kSlotBits = 10;
  struct Slot {
    Colour colour = 0;
    int index = -1;
  };
  std::array<Slot, std::size_t{1} << kSlotBits> slots_{};
  std::vector<Colour> colours_;
};

// Pixels are looked at eight at a time, a whole number of bytes at every depth: most
// blocks are one colour throughout, the one the block before ended in, and need no more.
constexpr int kBlock = 8;

bool blockIs(const Colour* pixels, Colour colour) {
  Colour differing = 0;
  for (int i = 0; i < kBlock; ++i) {
    differing |= pixels[i] ^ colour;
  }
  return differing == 0;
}

// Whether every pixel found a place in the palette.
bool collectColours(const Pixels& image, Palette& palette) {
  const int width = image.width;
  for (int y = 0; y < image.height; ++y) {
    const Colour* row = image.row(y);
    Colour last = row[0];
    if (palette.indexOf(last) < 0) {
      return false;
    }
    for (int x = 0; x < width; x += kBlock) {
      if (x + kBlock <= width && blockIs(row + x, last)) {
        continue;
      }
      for (int i = x; i < std::min(x + kBlock, width); ++i) {
        if (row[i] != last) {
          last = row[i];
          if (palette.indexOf(last) < 0) {
            return false;
          }
        }
      }
    }
  }
  return true;
}

int depthFor(std::size_t colours) { return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8; }

// One row as PNG lays it out: the filter byte (0, none), then the pixels' palette indices
// packed from the most significant bit.
template <int Depth>
void packIndices(const Colour* pixels, int width, Palette& palette, unsigned char* bytes) {
  constexpr int kPerByte = 8 / Depth;
  constexpr unsigned kRepeat = Depth == 1 ? 0xffu : Depth == 2 ? 0x55u : Depth == 4 ? 0x11u : 0x01u;
  Colour last = pixels[0];
  auto index = static_cast<unsigned>(palette.indexOf(last));
  unsigned byte = 0;
  int x = 0;
  for (; x + kBlock <= width; x += kBlock) {
    if (blockIs(pixels + x, last)) {
      bytes = std::fill_n(bytes, Depth, static_cast<unsigned char>(index * kRepeat));
      continue;
    }
    for (int i = x; i < x + kBlock; ++i) {
      if (pixels[i] != last) {
        last = pixels[i];
        index = static_cast<unsigned>(palette.indexOf(last));
      }
      byte = (byte << Depth) | index;
      if (i % kPerByte == kPerByte - 1) {
        *bytes++ = static_cast<unsigned char>(byte);
        byte = 0;
      }
    }
  }
  for (; x < width; ++x) {
    byte = (byte << Depth) | static_cast<unsigned>(palette.indexOf(pixels[x]));
    if (x % kPerByte == kPerByte - 1) {
      *bytes++ = static_cast<unsigned char>(byte);
      byte = 0;
    }
  }
  if (width % kPerByte != 0) {
    *bytes = static_cast<unsigned char>(byte << (Depth * (kPerByte - width % kPerByte)));
  }
}

// The same without a palette: R, G, B bytes.
void packRgb(const Colour* pixels, int width, unsigned char* bytes) {
  for (int x = 0; x < width; ++x) {
    *bytes++ = static_cast<unsigned char>(pixels[x] >> 16);
    *bytes++ = static_cast<unsigned char>(pixels[x] >> 8);
    *bytes++ = static_cast<unsigned char>(pixels[x]);
  }
}

void packRow(const Colour* pixels, int width, Palette* palette, int depth, std::vector<unsigned char>& out) {
  out[0] = 0;
  unsigned char* bytes = out.data() + 1;
  if (palette == nullptr) {
    packRgb(pixels, width, bytes);
  } else if (depth == 1) {
    packIndices<1>(pixels, width, *palette, bytes);
  } else if (depth == 2) {
    packIndices<2>(pixels, width, *palette, bytes);
  } else if (depth == 4) {
    packIndices<4>(pixels, width, *palette, bytes);
  } else {
    packIndices<8>(pixels, width, *palette, bytes);
  }
}

void appendBigEndian(std::string& out, std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 8), static_cast<char>(value)};
  out.append(bytes, 4);
}

void appendChunk(std::string& out, const char* type, const std::string& data) {
  appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.append(type, 4);
  out.append(data);
  const auto* typeAndData = reinterpret_cast<const Bytef*>(out.data() + start);
  appendBigEndian(out,
                  static_cast<std::uint32_t>(crc32(0, typeAndData, static_cast<uInt>(out.size() - start))));
}

// The rows deflated into one zlib stream; empty when zlib fails.
std::string deflateRows(const Pixels& image, Palette* palette, int depth) {
  const int width = image.width;
  const std::size_t rowBytes =
      palette != nullptr ? (static_cast<std::size_t>(width) * depth + 7) / 8 : std::size_t{3} * width;
  std::vector<unsigned char> row(rowBytes + 1);
  z_stream z{};
  if (deflateInit(&z, kCompression) != Z_OK) {
    return {};
  }
  std::string out;
  out.resize(std::size_t{64} * 1024); // a barogram needs a quarter of it
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  int status = Z_OK;
  for (int y = 0; y <= image.height && status == Z_OK; ++y) {
    const bool last = y == image.height;
    if (!last) {
      packRow(image.row(y), width, palette, depth, row);
    }
    z.next_in = row.data();
    z.avail_in = last ? 0 : static_cast<uInt>(row.size());
    do {
      if (z.avail_out == 0) {
        const std::size_t used = out.size();
        out.resize(used * 2);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + used);
        z.avail_out = static_cast<uInt>(used);
      }
      status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
    } while (status == Z_OK && (z.avail_in > 0 || (last && z.avail_out == 0)));
  }
  const auto written = static_cast<std::size_t>(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) {
    return {};
  }
  out.resize(written);
  return out;
}

} // namespace

std::string encodePng(const Pixels& image, int dotsPerMetre) {
  if (image.bits == nullptr || image.width < 1 || image.height < 1) {
    return {};
  }
  Palette palette;
  const bool paletted = collectColours(image, palette);
  const int depth = paletted ? depthFor(palette.colours().size()) : 8;
  const std::string pixels = deflateRows(image, paletted ? &palette : nullptr, depth);
  if (pixels.empty()) {
    return {};
  }

  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  appendBigEndian(header, static_cast<std::uint32_t>(image.width));
  appendBigEndian(header, static_cast<std::uint32_t>(image.height));
  // Depth, colour type, then deflate, adaptive filtering and no interlace, each 0.
  header.push_back(static_cast<char>(depth));
  header.push_back(static_cast<char>(paletted ? kColourTypePalette : kColourTypeRgb));
  header.append(3, '\0');
  appendChunk(png, "IHDR", header);
  if (dotsPerMetre > 0) {
    std::string resolution;
    appendBigEndian(resolution, static_cast<std::uint32_t>(dotsPerMetre));
    appendBigEndian(resolution, static_cast<std::uint32_t>(dotsPerMetre));
    resolution.push_back('\1'); // the unit is the metre
    appendChunk(png, "pHYs", resolution);
  }
  if (paletted) {
    std::string colours;
    for (Colour c : palette.colours()) {
      colours.push_back(static_cast<char>(c >> 16));
      colours.push_back(static_cast<char>(c >> 8));
      colours.push_back(static_cast<char>(c));
    }
    appendChunk(png, "PLTE", colours);
  }
  appendChunk(png, "IDAT", pixels);
  appendChunk(png, "IEND", std::string());
  return png;
}

} // namespace baromon::raster
