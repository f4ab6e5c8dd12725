// Colours, fonts, icons and the painter's device contexts.
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "painter.h"
#include "qtpeer.h"
#include "winkit/vimage.h"

using namespace winkit_qt;

namespace vcolor {
void Init_() {}
}  // namespace vcolor

// ------------------------------------------------------------------ fonts

namespace winkit_qt {
QFont FontOf(const vfont::CFont* font) {
  if (font && font->Impl()) return font->Impl()->font;
  return QGuiApplication::font();
}

QImage WrapImage(const vimage::CImage& image) {
  return QImage(image.Bits(), image.Width(), image.Height(), image.Width() * 4, QImage::Format_ARGB32);
}
}  // namespace winkit_qt

namespace vfont {

void Init_() { vcore::Init_(); }

CFont::CFont() = default;
CFont::~CFont() = default;

bool CFont::Init(const TFontDesc& desc) {
  EnsureApp();
  desc_ = desc;
  impl_ = std::make_unique<TImpl>();
  QFont f = desc.face.empty() ? QGuiApplication::font() : QFont(QString::fromStdString(desc.face));
  f.setPixelSize(std::max(1, AbsHeight()));
  f.setWeight(desc.weight >= 600 ? QFont::Bold : QFont::Normal);
  f.setItalic(desc.italic);
  impl_->font = f;
  return true;
}

void CFont::Done() { impl_.reset(); }

TFontDesc CaptionFontDesc(int pixelHeight, bool bold) {
  EnsureApp();
  TFontDesc d;
  d.face = S(QFontDatabase::systemFont(QFontDatabase::TitleFont).family());
  d.height = -pixelHeight;
  d.weight = bold ? 700 : 400;
  return d;
}

const CFont* DefaultFont() {
  static CFont* font = [] {
    auto* f = new CFont;  // lives as long as the program
    TFontDesc d;
    d.height = -12;
    f->Init(d);
    return f;
  }();
  return font;
}

}  // namespace vfont

// ------------------------------------------------------------------ icons

namespace vgr {

void Init_() { vcore::Init_(); }

namespace {
std::string g_iconFolder;                         // where <number>.png files are looked for
std::map<int, QByteArray>& IconData() {
  static std::map<int, QByteArray> data;          // icons registered from memory
  return data;
}

QPixmap LoadIcon(int number, int size) {
  QImage img;
  auto it = IconData().find(number);
  if (it != IconData().end()) img.loadFromData(it->second, "PNG");
  if (img.isNull() && !g_iconFolder.empty())
    img.load(QString::fromStdString(g_iconFolder + "/" + std::to_string(number) + ".png"));
  if (img.isNull()) {
    // Placeholder: a framed square tinted by the number, so neighbours differ.
    img = QImage(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setPen(QColor(96, 96, 96));
    p.setBrush(QColor::fromHsv((number * 47) % 360, 90, 230));
    p.drawRect(1, 1, size - 3, size - 3);
  }
  return QPixmap::fromImage(img.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QPixmap Grayed(const QPixmap& pm) {
  QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      int g = qGray(row[x]);
      g = 128 + g / 2;  // light grey, as disabled icons look
      row[x] = qRgba(g, g, g, qAlpha(row[x]) / 2);
    }
  }
  return QPixmap::fromImage(img);
}
}  // namespace

CIcon::CIcon() = default;
CIcon::~CIcon() = default;
bool CIcon::IsValid() const { return impl_ && !impl_->pixmap.isNull(); }
int CIcon::Width() const { return IsValid() ? impl_->pixmap.width() : 0; }
int CIcon::Height() const { return IsValid() ? impl_->pixmap.height() : 0; }
void CIcon::Done() { impl_.reset(); }
CIcon::TImpl& CIcon::MakeImpl() {
  impl_ = std::make_unique<TImpl>();
  return *impl_;
}

void SetIconFolder(const char* folder) { g_iconFolder = folder ? folder : ""; }

bool RegisterIconResource(int number, const unsigned char* pngData, int length) {
  if (!pngData || length <= 0) return false;
  IconData()[number] = QByteArray(reinterpret_cast<const char*>(pngData), length);
  return true;
}

bool InitResIconNumWD(CIcon& icon, int number, int size) {
  if (size <= 0) return false;
  EnsureApp();
  icon.MakeImpl().pixmap = LoadIcon(number, size);
  return true;
}

bool InitResGrayIconNumWD(CIcon& icon, int number, int size) {
  if (size <= 0) return false;
  EnsureApp();
  icon.MakeImpl().pixmap = Grayed(LoadIcon(number, size));
  return true;
}

bool InitSvgIconWD(CIcon& icon, const char* path, int size, bool grayed) {
  icon.Done();
  if (size <= 0 || !path) return false;
  EnsureApp();
  QSvgRenderer renderer(QString::fromUtf8(path));
  if (!renderer.isValid()) return false;
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  icon.MakeImpl().pixmap = grayed ? Grayed(pixmap) : pixmap;
  return true;
}

// --------------------------------------------------------- base context

void CDeviceContext::SetGContext(const TGContext& gc) {
  SetGCInkColor(gc.ink);
  SetGCInkWidth(gc.width);
  SetGCPaperColor(gc.paper);
  SetGCTextColor(gc.textColor);
  SetGCFont(gc.font);
}

int CDeviceContext::TextWidth(int length, const char* text) {
  int n = 0;
  while (text && n < length && text[n]) ++n;
  return 7 * n;
}
int CDeviceContext::TextHeight() { return 14; }

// ------------------------------------------------------- painter context

using Impl = CPainterContext::TImpl;

namespace {
void UseInk(Impl& d) {
  if (d.penUse == Impl::PenUse::ink) return;
  d.painter->setPen(QPen(d.ink, d.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  d.penUse = Impl::PenUse::ink;
}
void UsePaperPen(Impl& d) {
  if (d.penUse == Impl::PenUse::paper) return;
  d.painter->setPen(QPen(d.paper, 1));
  d.penUse = Impl::PenUse::paper;
}
void UseTextPen(Impl& d) {
  if (d.penUse == Impl::PenUse::text) return;
  d.painter->setPen(d.text);
  d.penUse = Impl::PenUse::text;
}
void UsePaperBrush(Impl& d) {
  if (d.brushUse == Impl::BrushUse::paper) return;
  d.painter->setBrush(d.paper);
  d.brushUse = Impl::BrushUse::paper;
}
void NoBrush(Impl& d) {
  if (d.brushUse == Impl::BrushUse::none) return;  // stale means some brush may be set
  d.painter->setBrush(Qt::NoBrush);
  d.brushUse = Impl::BrushUse::none;
}
// ---- direct pixel writes of off-screen surfaces

bool Direct(const Impl& d) { return d.raster && !d.clipped; }

void HSpan(QImage& img, int x1, int x2, int y, QRgb c) {
  if (y < 0 || y >= img.height()) return;
  if (x1 > x2) std::swap(x1, x2);
  x1 = std::max(x1, 0);
  x2 = std::min(x2, img.width() - 1);
  auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
  for (int x = x1; x <= x2; ++x) row[x] = c;
}

void VSpan(QImage& img, int x, int y1, int y2, QRgb c) {
  if (x < 0 || x >= img.width()) return;
  if (y1 > y2) std::swap(y1, y2);
  y1 = std::max(y1, 0);
  y2 = std::min(y2, img.height() - 1);
  const qsizetype stride = img.bytesPerLine() / 4;
  QRgb* p = reinterpret_cast<QRgb*>(img.scanLine(0)) + x;
  for (int y = y1; y <= y2; ++y) p[y * stride] = c;
}

// The disc a 1-pixel pen and a fill of radius r cover together.
void Disc(QImage& img, int cx, int cy, int r, QRgb c) {
  const int limit = r * r + r;
  for (int dy = -r; dy <= r; ++dy) {
    int dx = 0;
    while ((dx + 1) * (dx + 1) + dy * dy <= limit) ++dx;
    HSpan(img, cx - dx, cx + dx, cy + dy, c);
  }
}

const QFontMetrics& Metrics(Impl& d) {
  if (!d.metrics) d.metrics.emplace(d.font);
  return *d.metrics;
}
}  // namespace

CPainterContext::CPainterContext(TImpl* impl) : impl_(impl) {
  if (impl_ && impl_->painter) {
    impl_->font = impl_->painter->font();
    impl_->painter->setBrush(Qt::NoBrush);
  }
}
CPainterContext::~CPainterContext() = default;

void CPainterContext::SetGCInkColor(TColor c) {
  gc_.ink = c;
  QColor q = ToQColor(c);
  if (q != impl_->ink) {
    impl_->ink = q;
    if (impl_->penUse == Impl::PenUse::ink) impl_->penUse = Impl::PenUse::none;
  }
}
void CPainterContext::SetGCInkWidth(int width) {
  gc_.width = width;
  int w = width < 1 ? 1 : width;
  if (w != impl_->width) {
    impl_->width = w;
    if (impl_->penUse == Impl::PenUse::ink) impl_->penUse = Impl::PenUse::none;
  }
}
void CPainterContext::SetGCPaperColor(TColor c) {
  gc_.paper = c;
  QColor q = ToQColor(c);
  if (q != impl_->paper) {
    impl_->paper = q;
    if (impl_->penUse == Impl::PenUse::paper) impl_->penUse = Impl::PenUse::none;
    // Forces the brush to be set again on its next use.
    if (impl_->brushUse == Impl::BrushUse::paper) impl_->brushUse = Impl::BrushUse::stale;
  }
}
void CPainterContext::SetGCTextColor(TColor c) {
  gc_.textColor = c;
  impl_->text = ToQColor(c);
  if (impl_->penUse == Impl::PenUse::text) impl_->penUse = Impl::PenUse::none;
}
void CPainterContext::SetGCFont(const vfont::CFont* font) {
  gc_.font = font;
  impl_->font = FontOf(font);
  if (impl_->painter) impl_->painter->setFont(impl_->font);
  impl_->metrics.reset();
}
void CPainterContext::SetGContext(const TGContext& gc) { CDeviceContext::SetGContext(gc); }

void CPainterContext::OutTextXY(int x, int y, int length, const char* text) {
  if (!impl_->painter) return;
  UseTextPen(*impl_);
  impl_->painter->drawText(QPoint(x, y + Metrics(*impl_).ascent()), Q(text, length));
}

void CPainterContext::Line(int x1, int y1, int x2, int y2) {
  if (!impl_->painter) return;
  if (Direct(*impl_) && impl_->width <= 1 && (x1 == x2 || y1 == y2)) {
    const QRgb c = impl_->ink.rgba();
    y1 == y2 ? HSpan(*impl_->raster, x1, x2, y1, c) : VSpan(*impl_->raster, x1, y1, y2, c);
    return;
  }
  UseInk(*impl_);
  impl_->painter->drawLine(x1, y1, x2, y2);
}

void CPainterContext::PolyLine(int count, const int* xs, const int* ys) {
  if (!impl_->painter) return;
  if (count <= 0) return;
  UseInk(*impl_);
  NoBrush(*impl_);
  QPolygon poly(count);
  for (int i = 0; i < count; ++i) poly.setPoint(i, xs[i], ys[i]);
  impl_->painter->drawPolyline(poly);
}

void CPainterContext::Circle(int x, int y, int r) {
  if (!impl_->painter) return;
  UseInk(*impl_);
  NoBrush(*impl_);
  impl_->painter->drawEllipse(QPoint(x, y), r, r);
}

void CPainterContext::CircleFill(int x, int y, int r, bool outlined) {
  if (!impl_->painter) return;
  if (Direct(*impl_) && !outlined && r >= 0 && r <= 8) {
    Disc(*impl_->raster, x, y, r, impl_->paper.rgba());
    return;
  }
  outlined ? UseInk(*impl_) : UsePaperPen(*impl_);
  UsePaperBrush(*impl_);
  impl_->painter->drawEllipse(QPoint(x, y), r, r);
}

void CPainterContext::Rectangle(int x, int y, int width, int height) {
  if (!impl_->painter) return;
  impl_->painter->fillRect(x, y, width, height, impl_->paper);
}

void CPainterContext::Box(int x, int y, int width, int height) {
  if (!impl_->painter) return;
  UseInk(*impl_);
  NoBrush(*impl_);
  impl_->painter->drawRect(x, y, width - 1, height - 1);
}

void CPainterContext::Ellipse(int x, int y, int width, int height, bool filled) {
  if (!impl_->painter) return;
  UseInk(*impl_);
  filled ? UsePaperBrush(*impl_) : NoBrush(*impl_);
  impl_->painter->drawEllipse(x, y, width - 1, height - 1);
}

void CPainterContext::Pixel(int x, int y, TColor c) {
  if (!impl_->painter) return;
  impl_->painter->fillRect(x, y, 1, 1, ToQColor(c));
}

int CPainterContext::TextWidth(int length, const char* text) {
  if (!impl_->painter) return CDeviceContext::TextWidth(length, text);
  return Metrics(*impl_).horizontalAdvance(Q(text, length));
}
int CPainterContext::TextHeight() { return impl_->painter ? Metrics(*impl_).height() : CDeviceContext::TextHeight(); }

void CPainterContext::DrawIcon(int x, int y, const CIcon& icon) {
  if (!impl_->painter) return;
  if (icon.IsValid()) impl_->painter->drawPixmap(x, y, icon.Impl()->pixmap);
}

void CPainterContext::DrawImage(int x, int y, const vimage::CImage& image, int width, int height) {
  if (!impl_->painter) return;
  if (!image.IsValid()) return;
  QImage q = WrapImage(image);
  if (width > 0 && height > 0) impl_->painter->drawImage(QRect(x, y, width, height), q);
  else impl_->painter->drawImage(x, y, q);
}

void CPainterContext::SetClip(int x, int y, int width, int height) {
  if (!impl_->painter) return;
  impl_->painter->setClipRect(x, y, width, height);
  impl_->clipped = true;
}
void CPainterContext::ClearClip() {
  if (impl_->painter) impl_->painter->setClipping(false);
  impl_->clipped = false;
}

// ---------------------------------------------------------- memory context

struct CMemoryContext::TSurface {
  QImage image;      // ARGB32 pixels
  QPainter painter;  // open on image while the context lives
};

CMemoryContext::CMemoryContext() : CPainterContext(new TImpl(nullptr)) {}
CMemoryContext::~CMemoryContext() { Done(); }

bool CMemoryContext::Init(int width, int height, TColor paper) {
  Done();
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return false;
  EnsureApp();
  surface_ = std::make_unique<TSurface>();
  surface_->image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
  if (surface_->image.isNull()) {
    surface_.reset();
    return false;
  }
  surface_->image.fill(ToQColor(paper));
  surface_->painter.begin(&surface_->image);
  impl_ = std::make_unique<TImpl>(&surface_->painter);
  impl_->raster = &surface_->image;
  impl_->font = QGuiApplication::font();
  surface_->painter.setFont(impl_->font);
  width_ = width;
  height_ = height;
  gc_ = TGContext();
  gc_.paper = paper;
  impl_->paper = ToQColor(paper);
  exposed_ = vcom::CRect(0, 0, width, height);
  return true;
}

void CMemoryContext::Done() {
  if (surface_) surface_->painter.end();
  surface_.reset();
  impl_ = std::make_unique<TImpl>(nullptr);
  width_ = height_ = 0;
}

bool CMemoryContext::CopyToImage(vimage::CImage& image) {
  if (!surface_) return false;
  if (!image.Init(width_, height_)) return false;
  QImage out = surface_->image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < height_; ++y) std::memcpy(image.Row(y), out.constScanLine(y), static_cast<size_t>(width_) * 4);
  image.MakeOpaque();
  return true;
}

}  // namespace vgr
