// Image files: reading through the toolkit's readers, writing JPEG, BMP and
// TIFF through its writers, PNG through libpng and GIF through giflib.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <gif_lib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "painter.h"
#include "qtpeer.h"
#include <runbase/fixed_text.h>

#include "winkit/vcont.h"
#include "winkit/vimage.h"

using namespace winkit_qt;

namespace vimage {

void Init_() { vcore::Init_(); }

namespace {

void SetError(int high, char* out, const std::string& text) {
  if (high >= 0) FixedText::Assign(static_cast<uint32_t>(high), out, text);
}

int WriteToVector(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<byte>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

// Quantises to 256 colours and writes one GIF89 image into out.
bool EncodeGif(const CImage& image, std::vector<byte>& out, std::string& error) {
  const int w = image.Width(), h = image.Height();
  const size_t n = static_cast<size_t>(w) * h;
  std::vector<GifByteType> r(n), g(n), b(n), indices(n);
  for (int y = 0; y < h; ++y) {
    const byte* row = image.Row(y);
    for (int x = 0; x < w; ++x) {
      size_t i = static_cast<size_t>(y) * w + x;
      b[i] = row[4 * x];
      g[i] = row[4 * x + 1];
      r[i] = row[4 * x + 2];
    }
  }
  int mapSize = 256;
  GifColorType palette[256];
  if (GifQuantizeBuffer(w, h, &mapSize, r.data(), g.data(), b.data(), indices.data(), palette) == GIF_ERROR) {
    error = "GIF colour quantisation failed";
    return false;
  }
  int err = 0;
  GifFileType* gif = EGifOpen(&out, WriteToVector, &err);
  if (!gif) {
    error = GifErrorString(err) ? GifErrorString(err) : "GIF writer failed";
    return false;
  }
  ColorMapObject* map = GifMakeMapObject(256, palette);
  bool ok = map && EGifPutScreenDesc(gif, w, h, 8, 0, map) != GIF_ERROR &&
            EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) != GIF_ERROR;
  for (int y = 0; ok && y < h; ++y)
    ok = EGifPutLine(gif, indices.data() + static_cast<size_t>(y) * w, w) != GIF_ERROR;
  if (!ok) error = GifErrorString(gif->Error) ? GifErrorString(gif->Error) : "GIF writer failed";
  if (map) GifFreeMapObject(map);
  if (EGifCloseFile(gif, &err) == GIF_ERROR && ok) {
    error = GifErrorString(err) ? GifErrorString(err) : "GIF writer failed";
    ok = false;
  }
  return ok;
}

const char* QtFormat(TImageFormat f) {
  switch (f) {
    case ifPNG: return "png";
    case ifJPEG: return "jpeg";
    case ifBMP: return "bmp";
    case ifTIFF: return "tiff";
    default: return nullptr;
  }
}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<byte>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FailPng(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

bool IsOpaque(const CImage& image) {
  for (int y = 0; y < image.Height(); ++y) {
    const byte* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x)
      if (row[4 * x + 3] != 255) return false;
  }
  return true;
}

// Charts and frames are written often and in numbers (an HTML export draws
// two pictures per object): one cheap filter and fast deflate keep that
// quick, and opaque pictures drop the alpha byte.
bool EncodePng(const CImage& image, std::vector<byte>& out, std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, FailPng, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "PNG writer failed";
    return false;
  }
  std::vector<png_const_bytep> rows(static_cast<size_t>(image.Height()));
  for (int y = 0; y < image.Height(); ++y) rows[y] = image.Row(y);
  const bool opaque = IsOpaque(image);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, AppendPngBytes, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()), static_cast<png_uint_32>(image.Height()), 8,
               opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  png_set_bgr(png);  // pixels are blue, green, red, alpha
  if (opaque) png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool Encode(const CImage& image, TImageFormat format, int quality, std::vector<byte>& out, std::string& error) {
  if (!image.IsValid()) {
    error = "Empty image";
    return false;
  }
  if (format == ifGIF) return EncodeGif(image, out, error);
  if (format == ifPNG) return EncodePng(image, out, error);
  const char* fmt = QtFormat(format);
  if (!fmt) {
    error = "Unknown image format";
    return false;
  }
  EnsureApp();
  QImage q = WrapImage(image);
  // JPEG and BMP carry no alpha: write the colours only.
  if (format == ifJPEG || format == ifBMP) q = q.convertToFormat(QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, fmt);
  if (format == ifJPEG) writer.setQuality(std::clamp(quality, 0, 100));
  if (!writer.write(q)) {
    error = S(writer.errorString());
    return false;
  }
  out.assign(bytes.begin(), bytes.end());
  return true;
}

bool WriteAll(int fd, const std::vector<byte>& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool CImage::Init(int width, int height) {
  Done();
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return false;
  pixels_.assign(static_cast<size_t>(width) * height * 4, 0);
  width_ = width;
  height_ = height;
  sourceBits_ = 32;
  return true;
}

void CImage::Done() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  width_ = height_ = 0;
}

void CImage::MakeOpaque() {
  for (size_t i = 3; i < pixels_.size(); i += 4) pixels_[i] = 255;
}

bool CImage::Load(const char* path, int errHigh, char* errText) {
  Done();
  EnsureApp();
  QImageReader reader(Q(path));
  reader.setDecideFormatFromContent(true);
  QImage q = reader.read();
  if (q.isNull()) {
    SetError(errHigh, errText, S(reader.errorString()));
    return false;
  }
  int depth = q.depth();
  if (!Init(q.width(), q.height())) {
    SetError(errHigh, errText, "Image too large");
    return false;
  }
  sourceBits_ = depth;
  QImage argb = q.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < height_; ++y) std::memcpy(Row(y), argb.constScanLine(y), static_cast<size_t>(width_) * 4);
  return true;
}

bool CImage::Save(const char* path, TImageFormat format, int quality, int errHigh, char* errText) const {
  std::vector<byte> data;
  std::string error;
  if (!Encode(*this, format, quality, data, error)) {
    SetError(errHigh, errText, error);
    return false;
  }
  // Written beside the target and renamed over it, so a failure leaves
  // whatever was there before.
  std::string target = path ? path : "";
  std::string temp = target + ".tmp~";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    SetError(errHigh, errText, "Cannot create file");
    return false;
  }
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    SetError(errHigh, errText, "Cannot write file");
    return false;
  }
  return true;
}

bool CImage::SaveToHandle(int fd, TImageFormat format, int quality, int errHigh, char* errText) const {
  std::vector<byte> data;
  std::string error;
  if (!Encode(*this, format, quality, data, error)) {
    SetError(errHigh, errText, error);
    return false;
  }
  if (!WriteAll(fd, data)) {
    SetError(errHigh, errText, "Cannot write file");
    return false;
  }
  return true;
}

bool FormatFromFileName(const char* path, TImageFormat& format) {
  std::string p = path ? path : "";
  size_t dot = p.find_last_of('.');
  size_t sep = p.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return false;
  std::string ext = p.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct {
    const char* ext;
    TImageFormat format;
  } static const table[] = {{"PNG", ifPNG}, {"JPG", ifJPEG}, {"JPEG", ifJPEG}, {"BMP", ifBMP},
                            {"TIF", ifTIFF}, {"TIFF", ifTIFF}, {"GIF", ifGIF}};
  for (const auto& e : table) {
    if (ext == e.ext) {
      format = e.format;
      return true;
    }
  }
  return false;
}

}  // namespace vimage
