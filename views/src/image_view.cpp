// The Image tab: picture lookup beside series files, zoom levels, the
// cached painting of the zoomed picture, and panning and wheel zoom.
#include "ombrix_views/image_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <runbase/fio.h>
#include <runbase/fior.h>

namespace ombrix_img {

namespace {

constexpr std::uint32_t kPathHigh = 259;
constexpr int kHintX = 10, kHintY = 10;

// Extensions of the pictures looked for beside a series file, in order.
constexpr const char* kPictureExtensions[] = {"jpg", "png", "jpeg", "bmp", "gif", "tif", "tiff"};

std::string UpperCase(const char* text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The series path with another extension, when it exists as a file.
bool PictureWithExtension(const char* seriesPath, const std::string& extension, std::string& picturePath) {
  char path[kPathHigh + 1] = {};
  std::snprintf(path, sizeof path, "%s", seriesPath);
  FIOR::ChangeExtensionA(kPathHigh, path, static_cast<std::uint32_t>(extension.size()) - 1, extension.c_str());
  if (!FIO::ExistsA(kPathHigh, path)) return false;
  picturePath = path;
  return true;
}

// Position in the picture of a position in the zoomed picture, and back.
double ToPicture(double zoomed, int zoom) {
  if (zoom > 0) return zoomed / (zoom + 1);
  if (zoom < 0) return zoomed * (1 - zoom);
  return zoomed;
}
int FromPicture(double picture, int zoom) {
  if (zoom > 0) picture *= zoom + 1;
  if (zoom < 0) picture /= 1 - zoom;
  return static_cast<int>(std::lround(picture));
}

void CopyPixel(const vimage::byte* from, vimage::byte* to, bool opaque) {
  std::memcpy(to, from, 4);
  if (opaque) to[3] = 255;
}

// rect enlarged by half its width and height on every side.
vcom::CRect Enlarged(const vcom::CRect& rect) {
  return vcom::CRect(rect.x - rect.width / 2, rect.y - rect.height / 2, 2 * rect.width, 2 * rect.height);
}

}  // namespace

// ------------------------------------------------------------ helpers

int ZoomedLength(int length, int zoom) {
  if (zoom > 0) return length * (zoom + 1);
  if (zoom < 0) return length / (1 - zoom);
  return length;
}

bool FindSeriesPicture(const char* seriesPath, std::string& picturePath) {
  picturePath.clear();
  // A longer path would be cut and could name another file.
  if (!seriesPath || !*seriesPath || std::strlen(seriesPath) > kPathHigh) return false;
  for (const char* extension : kPictureExtensions) {
    if (PictureWithExtension(seriesPath, extension, picturePath)) return true;
    if (PictureWithExtension(seriesPath, UpperCase(extension), picturePath)) return true;
  }
  return false;
}

bool ReducePicture(const vimage::CImage& source, int factor, vimage::CImage& reduced) {
  reduced.Done();
  if (factor < 1 || !source.IsValid()) return false;
  const int width = source.Width() / factor, height = source.Height() / factor;
  if (!reduced.Init(width, height)) return false;
  const int blockPixels = factor * factor;
  for (int y = 0; y < height; ++y) {
    vimage::byte* out = reduced.Row(y);
    for (int x = 0; x < width; ++x) {
      int sum[3] = {0, 0, 0};
      for (int by = 0; by < factor; ++by) {
        const vimage::byte* in = source.Row(y * factor + by) + 4 * x * factor;
        for (int bx = 0; bx < factor; ++bx, in += 4)
          for (int c = 0; c < 3; ++c) sum[c] += in[c];
      }
      for (int c = 0; c < 3; ++c) out[4 * x + c] = static_cast<vimage::byte>(sum[c] / blockPixels);
      out[4 * x + 3] = 255;
    }
  }
  return true;
}

// ------------------------------------------------------------ the view

bool CImageView::Init(view::CScrollerView& scroller) {
  if (!view::CView::Init(&scroller, vcom::CRect(0, 0, 0, 0))) return false;
  scroller_ = &scroller;
  scroller.SetContent(this);
  FitToScroller();
  return true;
}

void CImageView::Done() {
  if (dragging_) EndDrag();
  picture_.Done();
  reduced_.Done();
  DropCache();
  zoomedWidth_ = zoomedHeight_ = 0;
  path_.clear();
  loadFailed_ = false;
  scroller_ = nullptr;
  view::CView::Done();
}

void CImageView::ShowSeriesPicture(const char* seriesPath) {
  std::string picture;
  if (FindSeriesPicture(seriesPath, picture)) {
    Load(picture.c_str());
    return;
  }
  Clear();
  // A series file without a picture says so rather than asking for a series.
  loadFailed_ = seriesPath && *seriesPath;
}

bool CImageView::Load(const char* path) {
  if (!path || !*path) {
    Clear();
    return false;
  }
  if (path_ == path) return true;
  const int scrollX = scroller_ ? scroller_->ScrollX() : 0;
  const int scrollY = scroller_ ? scroller_->ScrollY() : 0;
  Clear();
  char error[128];
  if (!picture_.Load(path, sizeof error - 1, error)) {
    loadFailed_ = true;
    Invalidate();
    return false;
  }
  path_ = path;
  Rezoom();
  if (scroller_) scroller_->ScrollTo(scrollX, scrollY);
  return true;
}

void CImageView::Clear() {
  picture_.Done();
  reduced_.Done();
  DropCache();
  zoomedWidth_ = zoomedHeight_ = 0;
  path_.clear();
  loadFailed_ = false;
  FitToScroller();
  if (scroller_) scroller_->ResetScroll();
  Invalidate();
}

void CImageView::SetZoom(int level) {
  level = std::clamp(level, kMinZoom, kMaxZoom);
  if (level == zoom_) return;
  zoom_ = level;
  Rezoom();
  if (scroller_) scroller_->ResetScroll();
}

void CImageView::ZoomAt(int level, int x, int y) {
  if (!scroller_) return SetZoom(level);
  const double pictureX = ToPicture(scroller_->ScrollX() + x, zoom_);
  const double pictureY = ToPicture(scroller_->ScrollY() + y, zoom_);
  const int before = zoom_;
  SetZoom(level);
  if (zoom_ != before) scroller_->ScrollTo(FromPicture(pictureX, zoom_) - x, FromPicture(pictureY, zoom_) - y);
}

void CImageView::ZoomCentred(int steps) {
  const vcom::CRect area = scroller_ ? scroller_->ClientRect() : ClientRect();
  ZoomAt(zoom_ + steps, area.width / 2, area.height / 2);
}

void CImageView::Rezoom() {
  reduced_.Done();
  DropCache();
  zoomedWidth_ = zoomedHeight_ = 0;
  if (picture_.IsValid()) {
    zoomedWidth_ = ZoomedLength(picture_.Width(), zoom_);
    zoomedHeight_ = ZoomedLength(picture_.Height(), zoom_);
    if (zoom_ < 0 && !ReducePicture(picture_, 1 - zoom_, reduced_)) zoomedWidth_ = zoomedHeight_ = 0;
  }
  FitToScroller();
  Invalidate();
}

void CImageView::FitToScroller() {
  if (scroller_) scroller_->SetContentMinimumSize(zoomedWidth_, zoomedHeight_);
}

bool CImageView::CopyZoomed(const vcom::CRect& rect, vimage::CImage& out) const {
  out.Done();
  if (rect.x < 0 || rect.y < 0 || rect.x + rect.width > zoomedWidth_ || rect.y + rect.height > zoomedHeight_)
    return false;
  if (!out.Init(rect.width, rect.height)) return false;
  for (int y = 0; y < rect.height; ++y) {
    vimage::byte* to = out.Row(y);
    const int zy = rect.y + y;
    for (int x = 0; x < rect.width; ++x, to += 4) {
      const int zx = rect.x + x;
      if (zoom_ > 0) CopyPixel(picture_.Row(zy / (zoom_ + 1)) + 4 * (zx / (zoom_ + 1)), to, true);
      else if (zoom_ < 0) CopyPixel(reduced_.Row(zy) + 4 * zx, to, false);
      else CopyPixel(picture_.Row(zy) + 4 * zx, to, false);
    }
  }
  return true;
}

// ------------------------------------------------------------ painting

void CImageView::PaintView(vgr::CDeviceContext& dc) {
  const vcom::CRect view = ClientRect();
  dc.SetGCPaperColor(GetPGContext()->paper);
  if (zoomedWidth_ <= 0 || zoomedHeight_ <= 0) {
    dc.Rectangle(0, 0, view.width, view.height);
    const char* hint = Hint();
    dc.OutTextXY(kHintX, kHintY, static_cast<int>(std::strlen(hint)), hint);
    return;
  }
  const vcom::CRect zoomed(0, 0, zoomedWidth_, zoomedHeight_);
  vcom::CRect exposed = dc.ExposedRect();
  if (exposed.Empty()) exposed = view;
  exposed.AndRect(zoomed);
  if (!exposed.Empty()) {
    if (!cache_.IsValid() || !cacheRect_.Contains(exposed)) {
      vcom::CRect wanted = Enlarged(exposed);
      wanted.AndRect(zoomed);
      if (CopyZoomed(wanted, cache_)) cacheRect_ = wanted;
    }
    if (cache_.IsValid()) dc.DrawImage(cacheRect_.x, cacheRect_.y, cache_);
  }
  if (view.width > zoomedWidth_) dc.Rectangle(zoomedWidth_, 0, view.width - zoomedWidth_, view.height);
  if (view.height > zoomedHeight_)
    dc.Rectangle(0, zoomedHeight_, std::min(view.width, zoomedWidth_), view.height - zoomedHeight_);
}

// ------------------------------------------------------------ mouse

int CImageView::AreaX(int x) const { return x - (scroller_ ? scroller_->ScrollX() : 0); }
int CImageView::AreaY(int y) const { return y - (scroller_ ? scroller_->ScrollY() : 0); }

void CImageView::BeginDrag(int x, int y) {
  dragging_ = true;
  dragX_ = AreaX(x);
  dragY_ = AreaY(y);
  SetCursor(vcore::crHand);
  CaptureMouse();
}

void CImageView::Drag(int x, int y) {
  // Positions are taken in the visible area, which stays put while the
  // picture moves under it.
  const int areaX = AreaX(x), areaY = AreaY(y);
  if (scroller_) scroller_->ScrollBy(dragX_ - areaX, dragY_ - areaY);
  dragX_ = areaX;
  dragY_ = areaY;
}

void CImageView::EndDrag() {
  dragging_ = false;
  ReleaseMouse();
  SetCursor(vcore::crArrow);
}

void CImageView::ReceiveEvent(vcore::TEvent& event) {
  switch (event.kind) {
    case vcore::evMouseDown:
      if (!(event.buttons & vcore::mbLeft)) return;
      BeginDrag(event.x, event.y);
      break;
    case vcore::evMouseMove:
      if (!dragging_) return;
      Drag(event.x, event.y);
      break;
    case vcore::evMouseUp:
      if (!dragging_ || !(event.buttons & vcore::mbLeft)) return;
      Drag(event.x, event.y);
      EndDrag();
      break;
    case vcore::evMouseWheel:
      if (event.wheel == 0) return;
      ZoomAt(zoom_ + (event.wheel > 0 ? 1 : -1), AreaX(event.x), AreaY(event.y));
      break;
    default: return;
  }
  StopEvent(event);
}

// ------------------------------------------------------------ the page

bool CImagePage::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!view::CScrollerView::Init(parent, rect)) return false;
  return image.Init(*this);
}

void CImagePage::Done() {
  image.Done();
  view::CScrollerView::Done();
}

}  // namespace ombrix_img
