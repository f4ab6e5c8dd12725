// "Define Copy Info Mask": the mask keywords beside their explanations and
// the mask being edited.
#pragma once

#include <string>

#include <ombrix_exports/copy_info.h>
#include <winkit/winkit.h>

namespace ombrix_views {

class CCoordinateMaskDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const std::string& mask);
  // The mask as typed (at most kCopyDataMaskLength bytes).
  std::string Mask() const;

  vcont::CStaticText heading;
  vcont::CSelectableText keywords[ombrix_export::kCopyInfoKeywordCount];
  vcont::CStaticText explanations[ombrix_export::kCopyInfoKeywordCount];
  vcont::CEditBox mask;
};

// Shows CCoordinateMaskDialog; on OK replaces the mask. True on OK.
bool EditCopyInfoMask(std::string& mask);

}  // namespace ombrix_views
