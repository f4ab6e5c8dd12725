// vimage: 32-bit bitmaps read from and written to image files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vimage {

using byte = unsigned char;

enum TImageFormat { ifPNG = 1, ifJPEG = 2, ifBMP = 3, ifTIFF = 4, ifGIF = 5 };

void Init_();

// A picture of 32-bit pixels, rows top-down, each pixel the bytes blue,
// green, red, alpha.
class CImage {
 public:
  CImage() = default;
  // A new picture filled with zero pixels; fails for sizes <= 0 or beyond
  // 32767 a side.
  bool Init(int width, int height);
  void Done();
  bool IsValid() const { return width_ > 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Bits per pixel of the file the picture was read from (8, 24, 32...); 32
  // for pictures made here. Read pictures are always converted to 32 bits.
  int SourceBitsPerPixel() const { return sourceBits_; }
  byte* Bits() { return pixels_.data(); }
  const byte* Bits() const { return pixels_.data(); }
  byte* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_ * 4; }
  const byte* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_ * 4; }
  // Sets every alpha byte to 255.
  void MakeOpaque();

  // Reads JPEG, PNG, BMP, GIF or TIFF. On failure the picture is left empty
  // and a short error text is copied into (errHigh, errText).
  bool Load(const char* path, int errHigh, char* errText);
  // Writes the picture in format; quality (0-100) applies to JPEG. On failure
  // nothing usable is left at path and the error text is given.
  bool Save(const char* path, TImageFormat format, int quality, int errHigh, char* errText) const;
  // Writes the encoded file to an open file descriptor (a file the caller
  // created).
  bool SaveToHandle(int fd, TImageFormat format, int quality, int errHigh, char* errText) const;

 private:
  int width_ = 0, height_ = 0;  // size in pixels
  int sourceBits_ = 32;         // depth of the file read
  std::vector<byte> pixels_;    // width * height * 4 bytes
};

// Draws an SVG document (UTF-8 text) into image at the document's own size
// on white. False with a short reason when the text is not well-formed XML
// or the renderer cannot read it as SVG.
bool RenderSVG(const std::string& document, CImage& image, std::string& error);
// True when text is well-formed XML; otherwise the reader's message with
// its line.
bool IsWellFormedXML(const std::string& text, std::string& error);

// The format named by a file name's extension (case ignored): png, jpg/jpeg,
// bmp, tif/tiff, gif. Returns false for any other or a missing extension.
bool FormatFromFileName(const char* path, TImageFormat& format);

}  // namespace vimage
