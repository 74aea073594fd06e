#include "adapters/win32/GdiPictureFile.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "adapters/win32/GdiCanvas.h"
#include "adapters/win32/SvgCanvas.h"

namespace baromon::platform {

namespace {

// Releases a COM interface when it goes out of scope.
template <typename T> class Com {
public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr) {
      p_->Release();
    }
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T** out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

private:
  T* p_ = nullptr;
};

// COM for the calls of one picture; left as it was found.
class ComScope {
public:
  ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) {
      ::CoUninitialize();
    }
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // Another mode already chosen on this thread serves as well.
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
  HRESULT result_;
};

std::string extensionOf(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return "";
  }
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::remove(path.c_str());
    return false;
  }
  return true;
}

std::string failed(const char* step, HRESULT result) {
  char text[96];
  std::snprintf(text, sizeof text, "PNG encoder: %s failed (0x%08lx)", step,
                static_cast<unsigned long>(result));
  return text;
}

} // namespace

std::string encodePng(const std::uint32_t* pixels, int width, int height, std::string& png) {
  ComScope com;
  if (!com.usable()) {
    return "PNG encoder: COM is not available";
  }
  Com<IWICImagingFactory> factory;
  HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()));
  if (FAILED(hr)) {
    return failed("the imaging component", hr);
  }
  Com<IStream> stream;
  if (FAILED(hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.out()))) {
    return failed("the memory stream", hr);
  }
  Com<IWICBitmapEncoder> encoder;
  if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) ||
      FAILED(hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) {
    return failed("the encoder", hr);
  }
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (FAILED(hr = encoder->CreateNewFrame(frame.out(), options.out())) ||
      FAILED(hr = frame->Initialize(options.get())) ||
      FAILED(hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) {
    return failed("the frame", hr);
  }
  // Three bytes a pixel, blue first: the encoder's own RGB format, no alpha.
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(hr = frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    return failed("the pixel format", hr);
  }
  const UINT stride = static_cast<UINT>(width) * 3;
  std::vector<BYTE> rows(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i) {
    rows[3 * i] = static_cast<BYTE>(pixels[i]);
    rows[3 * i + 1] = static_cast<BYTE>(pixels[i] >> 8);
    rows[3 * i + 2] = static_cast<BYTE>(pixels[i] >> 16);
  }
  if (FAILED(hr = frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()),
                                     rows.data())) ||
      FAILED(hr = frame->Commit()) || FAILED(hr = encoder->Commit())) {
    return failed("writing the pixels", hr);
  }
  STATSTG stat{};
  if (FAILED(hr = stream->Stat(&stat, STATFLAG_NONAME))) {
    return failed("the stream size", hr);
  }
  png.assign(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
  const LARGE_INTEGER start{};
  ULONG read = 0;
  if (FAILED(hr = stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(hr = stream->Read(png.data(), static_cast<ULONG>(png.size()), &read)) || read != png.size()) {
    return failed("reading the stream", hr);
  }
  return "";
}

std::string renderToFile(GraphicsObjects& objects, const std::string& path, int width, int height,
                         const PaintFunction& paint) {
  const std::string ext = extensionOf(path);
  if (ext == "pdf") {
    return "the Windows program writes no PDF pictures (use .png or .svg): " + path;
  }
  if (ext != "png" && ext != "svg") {
    return "unknown picture type (use .png or .svg): " + path;
  }
  if (width < 1 || height < 1) {
    return "picture size must be positive";
  }
  if (ext == "svg") {
    SvgCanvas canvas(objects, CanvasSize{width, height});
    paint(canvas);
    return writeWholeFile(path, canvas.document()) ? "" : "cannot write " + path;
  }
  GdiMemoryBitmap picture(width, height);
  if (!picture.valid()) {
    return "cannot make a picture of that size";
  }
  {
    GdiCanvas canvas(objects, picture.dc(), picture.size());
    paint(canvas);
  }
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = picture.pixel(x, y);
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
    }
  }
  std::string png;
  if (std::string problem = encodePng(pixels.data(), width, height, png); !problem.empty()) {
    return problem;
  }
  return writeWholeFile(path, png) ? "" : "cannot write " + path;
}

} // namespace baromon::platform
