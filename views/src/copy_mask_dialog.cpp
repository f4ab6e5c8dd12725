// The copy-info mask dialog.
#include "ombrix_views/copy_mask_dialog.h"

#include <runbase/str.h>

#include "dialog_layout.h"

namespace ombrix_views {

namespace {

using namespace layout;
using ombrix_export::kCopyInfoKeywordCount;
using ombrix_export::kCopyInfoKeywords;

constexpr int kKeywordWidth = 120;
constexpr int kExplanationWidth = 300;
constexpr int kWidth = 3 * kGap + kKeywordWidth + kExplanationWidth;
constexpr int kListLine = 18;

// The explanations hold Windows-1252 bytes (the degree sign); the controls
// show UTF-8.
std::string ShownText(const char* text) {
  char16_t wide[256];
  char shown[512];
  Str::C_A2U(text, 255, wide);
  Str::C_U2A(wide, 511, shown);
  return shown;
}

}  // namespace

bool CCoordinateMaskDialog::Init(const std::string& text) {
  const int listY = kGap + kLineHeight + kGap;
  const int maskY = listY + static_cast<int>(kCopyInfoKeywordCount) * kListLine + kGap;
  if (!InitDialog(*this, ombrix_export::kCopyInfoMaskDialogTitle, kWidth, maskY + kRowHeight + kGap)) return false;
  heading.Init(this, Box(kGap, kGap, kWidth - 2 * kGap, kLineHeight), ombrix_export::kCopyInfoMaskDialogHeading);
  for (std::size_t i = 0; i < kCopyInfoKeywordCount; ++i) {
    const int y = listY + static_cast<int>(i) * kListLine;
    keywords[i].Init(this, Box(kGap, y, kKeywordWidth, kListLine), kCopyInfoKeywords[i].keyword);
    explanations[i].Init(this, Box(2 * kGap + kKeywordWidth, y, kExplanationWidth, kListLine),
                         ShownText(kCopyInfoKeywords[i].explanation).c_str());
  }
  mask.Init(this, Box(kGap, maskY, kWidth - 2 * kGap, kRowHeight), 0, text.c_str(),
            static_cast<int>(ombrix_export::kCopyDataMaskLength));
  mask.SetFocus();
  return true;
}

std::string CCoordinateMaskDialog::Mask() const {
  std::string text = mask.Text();
  if (text.size() > ombrix_export::kCopyDataMaskLength) {
    // Cut at a character boundary.
    std::size_t n = ombrix_export::kCopyDataMaskLength;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    text.resize(n);
  }
  return text;
}

bool EditCopyInfoMask(std::string& mask) {
  CCoordinateMaskDialog dialog;
  if (!dialog.Init(mask) || !dialog.Exec()) return false;
  mask = dialog.Mask();
  return true;
}

}  // namespace ombrix_views
