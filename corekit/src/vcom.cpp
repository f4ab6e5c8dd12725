#include "corekit/vcom.h"

#include <dlfcn.h>
#include <link.h>

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

#include "corekit/clipboard.h"
#include "runbase/fixed_text.h"
#include "runbase/storage.h"
#include "runbase/str.h"

namespace vcom {

using FixedText::Length;

// ---- rectangles ------------------------------------------------------------

namespace {

// The display's logical pixels per inch; Qt scales logical pixels itself.
constexpr int kScreenDpi = 96;

template <class R, class V>
void ZoomCentered(R& r, V dx, V dy) {
  r.width += dx;
  r.height += dy;
  r.x += dx / V(-2);
  r.y += dy / V(-2);
}

template <class R>
bool Inside(const R& outer, const R& inner) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

template <class R>
bool Overlap(const R& a, const R& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

template <class R, class V>
void Intersection(R& a, const R& b) {
  const V left = a.x > b.x ? a.x : b.x;
  const V top = a.y > b.y ? a.y : b.y;
  const V right = a.x + a.width < b.x + b.width ? a.x + a.width : b.x + b.width;
  const V bottom = a.y + a.height < b.y + b.height ? a.y + a.height : b.y + b.height;
  a.x = left;
  a.y = top;
  a.width = right - left > 0 ? right - left : V(0);
  a.height = bottom - top > 0 ? bottom - top : V(0);
}

template <class R, class V>
void Bounding(R& a, const R& b) {
  const V left = a.x < b.x ? a.x : b.x;
  const V top = a.y < b.y ? a.y : b.y;
  const V right = a.x + a.width > b.x + b.width ? a.x + a.width : b.x + b.width;
  const V bottom = a.y + a.height > b.y + b.height ? a.y + a.height : b.y + b.height;
  a.x = left;
  a.y = top;
  a.width = right - left;
  a.height = bottom - top;
}

}  // namespace

void CRect::Init(std::int32_t ax, std::int32_t ay, std::int32_t aw, std::int32_t ah) {
  x = ax;
  y = ay;
  width = aw;
  height = ah;
}
void CRect::Clear() { Init(0, 0, 0, 0); }
bool CRect::Empty() const { return width <= 0 || height <= 0; }
bool CRect::Equals(const CRect& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
bool CRect::SameSize(const CRect& o) const { return width == o.width && height == o.height; }
bool CRect::Contains(const CRect& o) const { return Inside(*this, o); }
bool CRect::InRect(const TPoint& p) const { return x <= p.x && p.x < x + width && y <= p.y && p.y < y + height; }
bool CRect::Intersect(const CRect& o) const { return Overlap(*this, o); }
void CRect::AndRect(const CRect& o) { Intersection<CRect, std::int32_t>(*this, o); }
void CRect::OrRect(const CRect& o) { Bounding<CRect, std::int32_t>(*this, o); }
void CRect::Move(std::int32_t dx, std::int32_t dy) {
  x += dx;
  y += dy;
}
void CRect::ZoomTL(std::int32_t dx, std::int32_t dy) {
  x -= dx;
  y -= dy;
  width += dx;
  height += dy;
}
void CRect::ZoomTR(std::int32_t dx, std::int32_t dy) {
  y -= dy;
  width += dx;
  height += dy;
}
void CRect::ZoomBL(std::int32_t dx, std::int32_t dy) {
  x -= dx;
  width += dx;
  height += dy;
}
void CRect::ZoomBR(std::int32_t dx, std::int32_t dy) {
  width += dx;
  height += dy;
}
void CRect::ZoomCenter(std::int32_t dx, std::int32_t dy) { ZoomCentered(*this, dx, dy); }
void CRect::AdjustRectToDPI() {
  x = x * kScreenDpi / 96;
  y = y * kScreenDpi / 96;
  AdjustWDToDPI(width, height);
}
void CRect::AdjustWDToDPI(std::int32_t& w, std::int32_t& h) {
  w = w * kScreenDpi / 96;
  h = h * kScreenDpi / 96;
}

void CRectF::Init(float ax, float ay, float aw, float ah) {
  x = ax;
  y = ay;
  width = aw;
  height = ah;
}
void CRectF::Clear() { Init(0, 0, 0, 0); }
bool CRectF::Empty() const { return width <= 0 || height <= 0; }
bool CRectF::Equals(const CRectF& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
bool CRectF::SameSize(const CRectF& o) const { return width == o.width && height == o.height; }
bool CRectF::Contains(const CRectF& o) const { return Inside(*this, o); }
bool CRectF::InRect(const TPointF& p) const { return x <= p.x && p.x < x + width && y <= p.y && p.y < y + height; }
bool CRectF::Intersect(const CRectF& o) const { return Overlap(*this, o); }
void CRectF::AndRect(const CRectF& o) { Intersection<CRectF, float>(*this, o); }
void CRectF::OrRect(const CRectF& o) { Bounding<CRectF, float>(*this, o); }
void CRectF::Move(float dx, float dy) {
  x += dx;
  y += dy;
}
void CRectF::ZoomTL(float dx, float dy) {
  x -= dx;
  y -= dy;
  width += dx;
  height += dy;
}
void CRectF::ZoomTR(float dx, float dy) {
  y -= dy;
  width += dx;
  height += dy;
}
void CRectF::ZoomBL(float dx, float dy) {
  x -= dx;
  width += dx;
  height += dy;
}
void CRectF::ZoomBR(float dx, float dy) {
  width += dx;
  height += dy;
}
void CRectF::ZoomCenter(float dx, float dy) { ZoomCentered(*this, dx, dy); }
void CRectF::AdjustRectToDPI() {
  x = static_cast<float>(static_cast<int>(x * kScreenDpi / 96));
  y = static_cast<float>(static_cast<int>(y * kScreenDpi / 96));
  AdjustWDToDPI(width, height);
}
void CRectF::AdjustWDToDPI(float& w, float& h) {
  w = static_cast<float>(static_cast<int>(w * kScreenDpi / 96));
  h = static_cast<float>(static_cast<int>(h * kScreenDpi / 96));
}
void CRectF::LoadRect(const CRect& r) {
  const auto w = static_cast<float>(r.width), h = static_cast<float>(r.height);
  if (w != width || h != height) sizeChanged = true;
  Init(static_cast<float>(r.x), static_cast<float>(r.y), w, h);
}
bool CRectF::SizeChanged() {
  const bool was = sizeChanged;
  sizeChanged = false;
  return was;
}

// ---- clipboard -------------------------------------------------------------

CClipboardProvider::~CClipboardProvider() = default;

bool CMemoryClipboard::SetText(const char* bytes, std::size_t length) {
  std::lock_guard<std::mutex> hold(guard_);
  text_.assign(bytes ? bytes : "", bytes ? length : 0);
  hasText_ = true;
  return true;
}

bool CMemoryClipboard::GetText(std::string& text) {
  std::lock_guard<std::mutex> hold(guard_);
  if (!hasText_) return false;
  text = text_;
  return true;
}

void CMemoryClipboard::Clear() {
  std::lock_guard<std::mutex> hold(guard_);
  text_.clear();
  hasText_ = false;
}

namespace {
CMemoryClipboard& InProcessClipboard() {
  static CMemoryClipboard clipboard;
  return clipboard;
}
std::atomic<CClipboardProvider*> installedProvider{nullptr};

// The text as the clipboard hands it out: up to its first zero byte.
bool PastedText(std::string& text) {
  if (!ClipboardProvider().GetText(text)) return false;
  text.resize(std::strlen(text.c_str()));
  return true;
}
}  // namespace

void SetClipboardProvider(CClipboardProvider* provider) { installedProvider = provider; }

CClipboardProvider& ClipboardProvider() {
  CClipboardProvider* p = installedProvider;
  return p ? *p : InProcessClipboard();
}

void TextClipCopyA(const char* bytes, std::uint32_t length) { ClipboardProvider().SetText(bytes, bytes ? length : 0); }

void TextClipPasteA(char*& block, std::uint32_t& length) {
  block = nullptr;
  length = 0;
  std::string text;
  if (!PastedText(text) || text.empty()) return;
  Storage::Allocate(block, text.size());
  std::memcpy(block, text.data(), text.size());
  length = static_cast<std::uint32_t>(text.size());
}

void StringClipCopyA(std::uint32_t high, const char* text) { TextClipCopyA(text, Length(high, text)); }

void StringClipPasteA(std::uint32_t high, char* text) {
  std::string pasted;
  if (!PastedText(pasted)) pasted.clear();
  FixedText::Assign(high, text, pasted);
}

void TextClipCopyW(const char16_t* units, std::uint32_t length) {
  std::string utf8(std::size_t{length} * 3, '\0');
  utf8.resize(units ? Str::U2AP(units, length, utf8.data(), static_cast<std::uint32_t>(utf8.size())) : 0);
  ClipboardProvider().SetText(utf8.data(), utf8.size());
}

void TextClipPasteW(char16_t*& block, std::uint32_t& length) {
  block = nullptr;
  length = 0;
  std::string text;
  if (!PastedText(text) || text.empty()) return;
  std::u16string units(text.size(), u'\0');
  units.resize(Str::A2UP(text.data(), static_cast<std::uint32_t>(text.size()), units.data(),
                         static_cast<std::uint32_t>(units.size())));
  if (units.empty()) return;
  Storage::Allocate(block, units.size() * sizeof(char16_t));
  std::memcpy(block, units.data(), units.size() * sizeof(char16_t));
  length = static_cast<std::uint32_t>(units.size());
}

void StringClipCopyW(std::uint32_t high, const char16_t* text) { TextClipCopyW(text, Length(high, text)); }

void StringClipPasteW(std::uint32_t high, char16_t* text) {
  char16_t* block = nullptr;
  std::uint32_t length = 0;
  TextClipPasteW(block, length);
  FixedText::Assign(high, text, {block, length});
  Storage::Free(block);
}

// ---- system texts ----------------------------------------------------------

void GetErrorMessageA(std::uint32_t code, std::uint32_t high, char* text) {
  char buffer[512] = {};
  const char* message = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  std::string s = message ? message : "";
  while (!s.empty() && static_cast<unsigned char>(s.back()) < 32) s.pop_back();
  FixedText::Assign(high, text, s);
}

namespace {
struct TModuleQuery {
  std::string name;  // file name asked for
  std::string path;  // full path found
};

int MatchModule(dl_phdr_info* info, std::size_t, void* data) {
  auto* q = static_cast<TModuleQuery*>(data);
  const std::string path = info->dlpi_name ? info->dlpi_name : "";
  const auto slash = path.rfind('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (!path.empty() && (base == q->name || path == q->name)) {
    q->path = path;
    return 1;
  }
  return 0;
}

std::string ProgramPath() {
  char buffer[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}
}  // namespace

void GetModulePathA(std::uint32_t nameHigh, const char* name, std::uint32_t high, char* path) {
  TModuleQuery q{std::string(name ? name : "", Length(nameHigh, name)), {}};
  const std::string program = ProgramPath();
  const auto slash = program.rfind('/');
  if (q.name.empty() || program.substr(slash == std::string::npos ? 0 : slash + 1) == q.name) q.path = program;
  else dl_iterate_phdr(MatchModule, &q);
  const std::string& result = q.path.empty() ? q.name : q.path;
  FixedText::Assign(high, path, result);
}

}  // namespace vcom
