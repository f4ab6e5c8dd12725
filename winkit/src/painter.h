// The painter behind vgr::CPainterContext, shared by views and off-screen
// surfaces.
#pragma once

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPixmap>

#include <optional>

#include "winkit/vgr.h"

struct vgr::CPainterContext::TImpl {
  explicit TImpl(QPainter* p) : painter(p) {}
  QPainter* painter;                    // not owned
  QColor ink{0, 0, 0};                  // pen colour
  QColor paper{255, 255, 255};          // fill colour
  QColor text{0, 0, 0};                 // text colour
  int width = 1;                        // pen width
  QFont font;                           // current font
  std::optional<QFontMetrics> metrics;  // of font, made on first use
  // Pen state of the painter, so that repeated colours switch nothing.
  enum class PenUse { none, ink, paper, text } penUse = PenUse::none;
  enum class BrushUse { none, paper, stale } brushUse = BrushUse::none;
  // Off-screen surfaces draw thin axis-parallel lines and small discs
  // straight into the pixels: the painter's per-call cost dominates charts
  // of many thousand points. Null on views; unused while a clip is set.
  QImage* raster = nullptr;
  bool clipped = false;
};

struct vfont::CFont::TImpl {
  QFont font;  // the toolkit font
};

struct vgr::CIcon::TImpl {
  QPixmap pixmap;  // the icon's pixels
};

namespace winkit_qt {
QFont FontOf(const vfont::CFont* font);
// A QImage sharing the pixels of image (ARGB32; valid while image lives).
QImage WrapImage(const vimage::CImage& image);
}  // namespace winkit_qt
