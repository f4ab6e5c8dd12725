// vgr, vfont, vcolor: colours, fonts, icons and the device context that views,
// off-screen images and other renderers draw through.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "winkit/vrect.h"

namespace vimage {
class CImage;
}

namespace vcolor {
// Colours are 32-bit values: red in the low byte, then green, then blue, and
// alpha in the top byte. Drawing operations ignore the top byte.
using TColor = uint32_t;
constexpr TColor RGBA(unsigned r, unsigned g, unsigned b, unsigned a = 255) {
  return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16 | (a & 0xFF) << 24;
}
constexpr unsigned Red(TColor c) { return c & 0xFF; }
constexpr unsigned Green(TColor c) { return (c >> 8) & 0xFF; }
constexpr unsigned Blue(TColor c) { return (c >> 16) & 0xFF; }
constexpr unsigned Alpha(TColor c) { return c >> 24; }
constexpr TColor Black = RGBA(0, 0, 0);
constexpr TColor White = RGBA(255, 255, 255);
void Init_();
}  // namespace vcolor

namespace vfont {

// How a font is asked for. height < 0 is an absolute pixel height (the usual
// form), height > 0 a cell height; weight 400 normal, 700 bold.
struct TFontDesc {
  std::string face;      // family; empty for the system's default
  int height = -12;
  int weight = 400;
  bool italic = false;
};

class CFont {
 public:
  CFont();
  ~CFont();
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;
  bool Init(const TFontDesc& desc);
  void Done();
  const TFontDesc& Desc() const { return desc_; }
  int AbsHeight() const { return desc_.height < 0 ? -desc_.height : desc_.height; }
  struct TImpl;
  TImpl* Impl() const { return impl_.get(); }

 private:
  TFontDesc desc_;                  // what the font was made from
  std::unique_ptr<TImpl> impl_;     // the toolkit's font
};

void Init_();
// The system's caption (window title) font description, at the size asked:
// ombrix's chart titles use it bold at 16 pixels.
TFontDesc CaptionFontDesc(int pixelHeight = 12, bool bold = false);
// The font of dialogs and controls, shared by all views.
const CFont* DefaultFont();
}  // namespace vfont

namespace vgr {

using vcolor::TColor;

void Init_();

// An icon or small bitmap with transparency (32-bit pixels).
class CIcon {
 public:
  CIcon();
  ~CIcon();
  CIcon(const CIcon&) = delete;
  CIcon& operator=(const CIcon&) = delete;
  bool IsValid() const;
  int Width() const;
  int Height() const;
  void Done();
  struct TImpl;
  TImpl* Impl() const { return impl_.get(); }
  TImpl& MakeImpl();

 private:
  std::unique_ptr<TImpl> impl_;  // the toolkit's pixmap
};

// Icons come from numbered resources. On this platform a resource is a PNG
// file "<number>.png" in the folder set here (the program's icon folder), or
// one registered from memory. A missing resource gives a plain placeholder
// square so that menus and tool boxes keep their layout.
void SetIconFolder(const char* folder);
bool RegisterIconResource(int number, const unsigned char* pngData, int length);
// Loads resource `number` scaled to size x size; Gray makes the disabled form.
bool InitResIconNumWD(CIcon& icon, int number, int size);
bool InitResGrayIconNumWD(CIcon& icon, int number, int size);
// Renders an SVG file at size x size on a transparent background; grayed
// makes the disabled form. False (icon empty) when the file cannot be read.
bool InitSvgIconWD(CIcon& icon, const char* path, int size, bool grayed);

struct TPoint {
  int x = 0, y = 0;
};

// The graphic context: what the next drawing operations use.
struct TGContext {
  TColor ink = vcolor::Black;        // lines and outlines
  TColor paper = vcolor::White;      // fills and backgrounds
  TColor textColor = vcolor::Black;  // text
  int width = 1;                     // line width in pixels
  const vfont::CFont* font = nullptr;  // null: the default font
};

// A surface to draw on. The Qt implementation draws on views and off-screen
// images; other renderers (an SVG writer, say) derive from this class and
// override what they can express. Operations not overridden do nothing.
class CDeviceContext {
 public:
  CDeviceContext() = default;
  virtual ~CDeviceContext() = default;
  CDeviceContext(const CDeviceContext&) = delete;
  CDeviceContext& operator=(const CDeviceContext&) = delete;

  virtual void SetGCInkColor(TColor c) { gc_.ink = c; }
  virtual void SetGCInkWidth(int width) { gc_.width = width; }
  virtual void SetGCPaperColor(TColor c) { gc_.paper = c; }
  virtual void SetGCFont(const vfont::CFont* font) { gc_.font = font; }
  // Draws length bytes of UTF-8 text (up to a zero byte); (x, y) is the top
  // left of the text cell.
  virtual void OutTextXY(int x, int y, int length, const char* text) { (void)x, (void)y, (void)length, (void)text; }
  virtual void Line(int x1, int y1, int x2, int y2) { (void)x1, (void)y1, (void)x2, (void)y2; }
  virtual void PolyLine(int count, const int* xs, const int* ys) { (void)count, (void)xs, (void)ys; }
  virtual void Circle(int x, int y, int r) { (void)x, (void)y, (void)r; }
  // Filled with the paper colour, with an ink outline when outlined.
  virtual void CircleFill(int x, int y, int r, bool outlined) { (void)x, (void)y, (void)r, (void)outlined; }
  // Filled with the paper colour, no outline.
  virtual void Rectangle(int x, int y, int width, int height) { (void)x, (void)y, (void)width, (void)height; }

  virtual void SetGCTextColor(TColor c) { gc_.textColor = c; }
  virtual void SetGContext(const TGContext& gc);
  const TGContext& GetGContext() const { return gc_; }
  // Outline of a rectangle in ink.
  virtual void Box(int x, int y, int width, int height) { (void)x, (void)y, (void)width, (void)height; }
  virtual void Ellipse(int x, int y, int width, int height, bool filled) { (void)x, (void)y, (void)width, (void)height, (void)filled; }
  virtual void Pixel(int x, int y, TColor c) { (void)x, (void)y, (void)c; }
  // Text measurement with the current font: width of length bytes, height of
  // a line. The base answers a rough 7 x 14 per character.
  virtual int TextWidth(int length, const char* text);
  virtual int TextHeight();
  virtual void DrawIcon(int x, int y, const CIcon& icon) { (void)x, (void)y, (void)icon; }
  // Draws a 32-bit image, scaled into width x height (0: its own size).
  virtual void DrawImage(int x, int y, const vimage::CImage& image, int width = 0, int height = 0) {
    (void)x, (void)y, (void)image, (void)width, (void)height;
  }
  // Limits drawing to a rectangle; ClearClip lifts it.
  virtual void SetClip(int x, int y, int width, int height) { (void)x, (void)y, (void)width, (void)height; }
  virtual void ClearClip() {}
  // The rectangle that needs repainting (the whole surface when unknown).
  vcom::CRect ExposedRect() const { return exposed_; }
  void SetExposedRect(const vcom::CRect& r) { exposed_ = r; }

 protected:
  TGContext gc_;          // current graphic context
  vcom::CRect exposed_;   // region being repainted
};

// The toolkit painter's device context: draws on a view while it paints and
// on off-screen surfaces.
class CPainterContext : public CDeviceContext {
 public:
  struct TImpl;
  explicit CPainterContext(TImpl* impl);  // takes ownership
  ~CPainterContext() override;

  void SetGCInkColor(TColor c) override;
  void SetGCInkWidth(int width) override;
  void SetGCPaperColor(TColor c) override;
  void SetGCFont(const vfont::CFont* font) override;
  void OutTextXY(int x, int y, int length, const char* text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void PolyLine(int count, const int* xs, const int* ys) override;
  void Circle(int x, int y, int r) override;
  void CircleFill(int x, int y, int r, bool outlined) override;
  void Rectangle(int x, int y, int width, int height) override;
  void SetGCTextColor(TColor c) override;
  void SetGContext(const TGContext& gc) override;
  void Box(int x, int y, int width, int height) override;
  void Ellipse(int x, int y, int width, int height, bool filled) override;
  void Pixel(int x, int y, TColor c) override;
  int TextWidth(int length, const char* text) override;
  int TextHeight() override;
  void DrawIcon(int x, int y, const CIcon& icon) override;
  void DrawImage(int x, int y, const vimage::CImage& image, int width = 0, int height = 0) override;
  void SetClip(int x, int y, int width, int height) override;
  void ClearClip() override;
  TImpl* Impl() const { return impl_.get(); }

 protected:
  std::unique_ptr<TImpl> impl_;  // the painter and the pens and brushes in use
};

// An off-screen 32-bit surface of a fixed size. The pixels can be taken as an
// image when drawing is done.
class CMemoryContext : public CPainterContext {
 public:
  CMemoryContext();
  ~CMemoryContext() override;
  // Creates the surface filled with paper; fails for sizes <= 0 or beyond
  // 32767 pixels a side.
  bool Init(int width, int height, TColor paper = vcolor::White);
  void Done();
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Copies the pixels drawn so far into image (alpha set to 255).
  bool CopyToImage(vimage::CImage& image);

 private:
  struct TSurface;
  std::unique_ptr<TSurface> surface_;  // the image painted on
  int width_ = 0, height_ = 0;         // surface size
};

}  // namespace vgr
