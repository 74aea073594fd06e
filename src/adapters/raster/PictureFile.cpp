#include "adapters/raster/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <sys/mman.h>

#include "adapters/raster/PngEncoder.h"
#include "adapters/raster/RasterCanvas.h"

namespace baromon::raster {

PictureMemory::PictureMemory(int width, int height) {
  if (width < 1 || height < 1) {
    return;
  }
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  const std::size_t whole = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  length_ = whole + kHugePage; // room to start on a huge page's boundary
  void* mapped = ::mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) {
    length_ = 0;
    return;
  }
  mapped_ = mapped;
  const auto start = (reinterpret_cast<std::uintptr_t>(mapped) + kHugePage - 1) & ~(kHugePage - 1);
#ifdef MADV_HUGEPAGE
  ::madvise(reinterpret_cast<void*>(start), whole, MADV_HUGEPAGE); // only a hint
#endif
  pixels_ = {reinterpret_cast<Colour*>(start), width, height, width};
  pixels_.fill(0, 0, width, height, kWhite);
}

PictureMemory::~PictureMemory() {
  if (mapped_ != nullptr) {
    ::munmap(mapped_, length_);
  }
}

bool writeWholeFile(const std::string& path, const char* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) {
    std::remove(path.c_str());
    return false;
  }
  return true;
}

std::string extensionOf(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return "";
  }
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

std::string renderPng(platform::GraphicsObjects& objects, int width, int height, const PaintFunction& paint,
                      Lettering& lettering, std::string& png) {
  if (width < 1 || height < 1) {
    return "picture size must be positive";
  }
  PictureMemory memory(width, height);
  if (memory.pixels().bits == nullptr) {
    return "no memory for a picture of " + std::to_string(width) + " x " + std::to_string(height);
  }
  {
    RasterCanvas canvas(objects, memory.pixels(), lettering);
    paint(canvas);
  }
  png = encodePng(memory.pixels(), kDotsPerMetre);
  return png.empty() ? "cannot encode the picture" : "";
}

std::string renderPngFile(platform::GraphicsObjects& objects, const std::string& path, int width, int height,
                          const PaintFunction& paint, Lettering& lettering) {
  if (extensionOf(path) != "png") {
    return "unknown picture type (use .png, .svg or .pdf): " + path;
  }
  std::string png;
  if (std::string problem = renderPng(objects, width, height, paint, lettering, png); !problem.empty()) {
    return problem;
  }
  if (!writeWholeFile(path, png.data(), png.size())) {
    return "cannot write " + path;
  }
  return "";
}

} // namespace baromon::raster
