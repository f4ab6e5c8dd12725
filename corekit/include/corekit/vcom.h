// String-list elements, integer and float rectangles, clipboard text and
// small utilities.
#pragma once

#include <cstdint>

#include "corekit/vdstr.h"
#include "corekit/vlist.h"

namespace vcom {

// ---- string-list elements (lists of them are ordinary vlist::CList) ------
class CCommonStringListElem : public vlist::CListElem {
 public:
  std::uint64_t value1 = 0;  // free for the list's owner
  std::uint64_t value2 = 0;
  std::uint32_t value3 = 0;
  std::uint8_t flags[4] = {0, 0, 0, 0};
};

class CStringListElemA : public CCommonStringListElem {
 public:
  char text[80] = {};  // highest index 79
};

class CStringListElem255A : public CCommonStringListElem {
 public:
  char text[256] = {};  // highest index 255
};

// Copying copies the pointer, not the text; the owner frees the string.
class CDStringListElemA : public CCommonStringListElem {
 public:
  vdstr::TDStringA* text = nullptr;  // owned by whoever empties the list
};

// ---- rectangles and points -------------------------------------------------
struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct TPointF {
  float x = 0;
  float y = 0;
};

// Top-left corner and size; y grows downwards.
class CRect {
 public:
  void Init(std::int32_t ax, std::int32_t ay, std::int32_t aw, std::int32_t ah);
  void Clear();
  bool Empty() const;  // width <= 0 or height <= 0
  bool Equals(const CRect& other) const;
  bool SameSize(const CRect& other) const;
  bool Contains(const CRect& other) const;   // wholly inside, edges may touch
  bool InRect(const TPoint& p) const;        // x <= px < x + width, likewise y
  bool Intersect(const CRect& other) const;  // interiors overlap
  void AndRect(const CRect& other);          // intersection, sizes clamped to 0
  void OrRect(const CRect& other);           // bounding rectangle
  void Move(std::int32_t dx, std::int32_t dy);
  void ZoomTL(std::int32_t dx, std::int32_t dy);  // bottom-right fixed
  void ZoomTR(std::int32_t dx, std::int32_t dy);  // bottom-left fixed
  void ZoomBL(std::int32_t dx, std::int32_t dy);  // top-right fixed
  void ZoomBR(std::int32_t dx, std::int32_t dy);  // top-left fixed
  void ZoomCenter(std::int32_t dx, std::int32_t dy);
  void AdjustRectToDPI();  // scales by the display's dpi / 96
  static void AdjustWDToDPI(std::int32_t& w, std::int32_t& h);

  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

class CRectF {
 public:
  void Init(float ax, float ay, float aw, float ah);
  void Clear();
  bool Empty() const;
  bool Equals(const CRectF& other) const;
  bool SameSize(const CRectF& other) const;
  bool Contains(const CRectF& other) const;
  bool InRect(const TPointF& p) const;
  bool Intersect(const CRectF& other) const;
  void AndRect(const CRectF& other);
  void OrRect(const CRectF& other);
  void Move(float dx, float dy);
  void ZoomTL(float dx, float dy);
  void ZoomTR(float dx, float dy);
  void ZoomBL(float dx, float dy);
  void ZoomBR(float dx, float dy);
  void ZoomCenter(float dx, float dy);
  void AdjustRectToDPI();
  static void AdjustWDToDPI(float& w, float& h);
  void LoadRect(const CRect& r);  // sets sizeChanged when the size differs
  bool SizeChanged();             // returns and clears sizeChanged

  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
  bool sizeChanged = true;
};

// ---- clipboard text (through the provider of corekit/clipboard.h) -------
// The 8-bit text is UTF-8 (the system code page).
void TextClipCopyA(const char* bytes, std::uint32_t length);
void TextClipPasteA(char*& block, std::uint32_t& length);  // Storage block, not zero-terminated; caller frees
void StringClipCopyA(std::uint32_t high, const char* text);
void StringClipPasteA(std::uint32_t high, char* text);
void TextClipCopyW(const char16_t* units, std::uint32_t length);
void TextClipPasteW(char16_t*& block, std::uint32_t& length);
void StringClipCopyW(std::uint32_t high, const char16_t* text);
void StringClipPasteW(std::uint32_t high, char16_t* text);

// ---- utilities -------------------------------------------------------------
inline std::int32_t MinInt(std::int32_t a, std::int32_t b) { return a < b ? a : b; }
inline std::int32_t MaxInt(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
inline std::uint32_t MinCard(std::uint32_t a, std::uint32_t b) { return a < b ? a : b; }
inline std::uint32_t MaxCard(std::uint32_t a, std::uint32_t b) { return a > b ? a : b; }
inline double MinReal(double a, double b) { return a < b ? a : b; }
inline double MaxReal(double a, double b) { return a > b ? a : b; }
inline std::int64_t MinInt64(std::int64_t a, std::int64_t b) { return a < b ? a : b; }
inline std::int64_t MaxInt64(std::int64_t a, std::int64_t b) { return a > b ? a : b; }
inline std::uint64_t MinCard64(std::uint64_t a, std::uint64_t b) { return a < b ? a : b; }
inline std::uint64_t MaxCard64(std::uint64_t a, std::uint64_t b) { return a > b ? a : b; }
inline std::intptr_t MinIntPtr(std::intptr_t a, std::intptr_t b) { return a < b ? a : b; }
inline std::intptr_t MaxIntPtr(std::intptr_t a, std::intptr_t b) { return a > b ? a : b; }
inline std::uintptr_t MinCardPtr(std::uintptr_t a, std::uintptr_t b) { return a < b ? a : b; }
inline std::uintptr_t MaxCardPtr(std::uintptr_t a, std::uintptr_t b) { return a > b ? a : b; }

inline std::uint16_t LoWord(std::uint32_t v) { return static_cast<std::uint16_t>(v); }
inline std::uint16_t HiWord(std::uint32_t v) { return static_cast<std::uint16_t>(v >> 16); }
inline std::uint8_t LoByte(std::uint16_t v) { return static_cast<std::uint8_t>(v); }
inline std::uint8_t HiByte(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }
inline std::int16_t LoInt(std::int32_t v) { return static_cast<std::int16_t>(v); }
inline std::int16_t HiInt(std::int32_t v) { return static_cast<std::int16_t>(v >> 16); }
inline std::uint16_t LoCard(std::uint32_t v) { return static_cast<std::uint16_t>(v); }
inline std::uint16_t HiCard(std::uint32_t v) { return static_cast<std::uint16_t>(v >> 16); }

// The system's text for an error code (errno here), trailing control
// characters removed, cut to the array.
void GetErrorMessageA(std::uint32_t code, std::uint32_t high, char* text);
// Full file name of a loaded module (shared object or the program itself,
// given by its file name); the name itself when it is not loaded.
void GetModulePathA(std::uint32_t nameHigh, const char* name, std::uint32_t high, char* path);

}  // namespace vcom
