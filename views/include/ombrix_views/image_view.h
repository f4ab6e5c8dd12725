// The Image tab: the picture that belongs to the selected series (a frame of
// the field beside the series file), shown at an integer zoom level inside a
// scroller, panned by dragging and zoomed with the mouse wheel.
#pragma once

#include <cstdint>
#include <string>

#include <winkit/view.h>
#include <winkit/vimage.h>

namespace ombrix_img {

// Zoom levels: z > 0 enlarges z + 1 times, z < 0 reduces 1 - z times.
inline constexpr int kMinZoom = -7;
inline constexpr int kMaxZoom = 7;

// Hints written on the empty view.
inline constexpr const char* kSelectSeriesHint = "Select series to show corresponding image.";
inline constexpr const char* kNotFoundHint =
    "Corresponding image file not found. Supported formats are JPG (JPEG), PNG, GIF, BMP, TIF (TIFF).";

// Length of a picture side at a zoom level (reduced sizes truncated).
int ZoomedLength(int length, int zoom);

// The picture beside a series file: the series path with its extension
// replaced by "jpg", "png", "jpeg", "bmp", "gif", "tif", "tiff", in this
// order (each also in capitals, as a case-blind file system would find it).
// False when none exists.
bool FindSeriesPicture(const char* seriesPath, std::string& picturePath);

// Reduces a picture factor times: every output pixel is the mean of a
// factor x factor block (per channel, integer division), alpha 255; pixels
// beyond the last whole block are dropped. False when nothing is left.
bool ReducePicture(const vimage::CImage& source, int factor, vimage::CImage& reduced);

// The picture view. It lives inside a scroller (CImagePage) and takes the
// size of the zoomed picture, at least that of the scroller's area.
class CImageView : public view::CView {
 public:
  // Creates the view as the content of scroller (which must be initialised).
  bool Init(view::CScrollerView& scroller);
  void Done() override;

  // Shows the picture beside a series file (null or empty: no series, or a
  // series without a file of its own). Without a picture the view is
  // cleared; a series file without one shows the "not found" hint.
  void ShowSeriesPicture(const char* seriesPath);
  // Loads a picture; nothing happens when it is the one shown. On failure
  // the view stays empty with the "not found" hint. The scroll position is
  // kept.
  bool Load(const char* path);
  // Frees the pictures, resets the scroller and forgets the path and a
  // failed load.
  void Clear();

  // Sets the zoom level (clamped to kMinZoom..kMaxZoom); a change rebuilds
  // the zoomed picture and resets the scroller.
  void SetZoom(int level);
  // Zooms to a level keeping the picture point at (x, y) of the scroller's
  // visible area where it is.
  void ZoomAt(int level, int x, int y);
  // Zooms by steps keeping the centre of the visible area (commands).
  void ZoomCentred(int steps);
  int Zoom() const { return zoom_; }

  const std::string& Path() const { return path_; }
  bool LoadFailed() const { return loadFailed_; }
  bool HasPicture() const { return picture_.IsValid(); }
  const vimage::CImage& Picture() const { return picture_; }
  int ZoomedWidth() const { return zoomedWidth_; }
  int ZoomedHeight() const { return zoomedHeight_; }
  // The zoomed picture's pixels inside rect (which must lie inside it).
  bool CopyZoomed(const vcom::CRect& rect, vimage::CImage& out) const;
  // The hint shown without a picture.
  const char* Hint() const { return loadFailed_ ? kNotFoundHint : kSelectSeriesHint; }
  bool IsDragging() const { return dragging_; }

  void PaintView(vgr::CDeviceContext& dc) override;
  void ReceiveEvent(vcore::TEvent& event) override;

 private:
  void Rezoom();
  void FitToScroller();
  void DropCache() { cache_.Done(); }
  // The mouse position in the scroller's visible area.
  int AreaX(int x) const;
  int AreaY(int y) const;
  void BeginDrag(int x, int y);
  void Drag(int x, int y);
  void EndDrag();

  view::CScrollerView* scroller_ = nullptr;  // holds the view, not owned
  std::string path_;                         // picture shown; empty when none
  vimage::CImage picture_;                   // the picture as loaded (32-bit)
  vimage::CImage reduced_;                   // the zoomed picture at levels below 0
  int zoom_ = 0;                             // kMinZoom..kMaxZoom
  int zoomedWidth_ = 0, zoomedHeight_ = 0;   // size of the zoomed picture
  vimage::CImage cache_;                     // zoomed pixels of cacheRect_
  vcom::CRect cacheRect_;                    // part of the zoomed picture cached
  bool loadFailed_ = false;                  // the last picture could not be read
  bool dragging_ = false;                    // the left button pans
  int dragX_ = 0, dragY_ = 0;                // last drag position in the visible area
};

// The Image tab page: a scroller holding the picture view.
class CImagePage : public view::CScrollerView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  // What the object pane calls when the tab becomes active or the selected
  // series changes: the series file's path, or null.
  void ShowSeriesPicture(const char* seriesPath) { image.ShowSeriesPicture(seriesPath); }
  CImageView image;
};

}  // namespace ombrix_img
