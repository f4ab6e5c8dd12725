// Option dialogs of the exports: the CSV and HTML field exports and the
// individual series-minus-fit export. Each takes the values the program
// keeps (settings or the object's export names) and hands them back on OK;
// none reads or writes settings itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include <ombrix_exports/field_export.h>
#include <ombrix_exports/series_export.h>
#include <winkit/winkit.h>

namespace ombrix_views {

inline constexpr std::size_t kCsvOptionCount = std::size(ombrix_export::kCsvOptionBoxes);
inline constexpr std::size_t kHtmlOptionCount = std::size(ombrix_export::kHtmlOptionBoxes);

// "Export Field into CSV Options": one check box per option bit.
class CExportCSVDialog : public vwin::COKCancelDialog {
 public:
  bool Init(std::uint32_t options);
  // The option bits of the ticked boxes.
  std::uint32_t Options() const;

  vcont::CCheckBox boxes[kCsvOptionCount];  // in the order of kCsvOptionBoxes
};

// Shows CExportCSVDialog; on OK replaces the option bits. True on OK.
bool EditCsvExportOptions(std::uint32_t& options);

// "Export Field into HTML Options": the option boxes, the thumbnail and
// picture sizes (8 to 32767) and the path prefix of the pictures.
class CExportHTMLDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const ombrix_export::THtmlExportOptions& options);
  // The dialog's values; the prefix gets its closing "/" (NormalizedPathPrefix).
  void Store(ombrix_export::THtmlExportOptions& options) const;

  vcont::CCheckBox boxes[kHtmlOptionCount];  // in the order of kHtmlOptionBoxes
  vcont::CStaticText thumbWidthLabel, thumbDepthLabel, imageWidthLabel, imageDepthLabel, prefixLabel;
  vcont::CIntegerCountBox thumbWidth, thumbDepth, imageWidth, imageDepth;
  vcont::CEditBox prefix;
};

// Shows CExportHTMLDialog; on OK replaces the options. True on OK.
bool EditHtmlExportOptions(ombrix_export::THtmlExportOptions& options);

// "Save Series - Fit": a common new file name, or the original names with a
// prefix and a postfix, and whether existing files are overwritten.
class CExportSeriesDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const ombrix_export::TIndividualExportOptions& options);
  void Store(ombrix_export::TIndividualExportOptions& options) const;
  // Choosing one way enables its boxes.
  void ReceiveEvent(vcore::TEvent& event) override;

  vcont::CParagraphText newNameText, prefixText;  // the two explanations
  vcont::CRadioButton useNewName, usePrefixPostfix;
  vcont::CStaticText newNameLabel, prefixLabel, postfixLabel;
  vcont::CEditBox newName, prefix, postfix;
  vcont::CCheckBox overwrite;

 private:
  void EnableBoxes();
};

// Shows CExportSeriesDialog; on OK replaces the options. True on OK.
bool EditIndividualExportOptions(ombrix_export::TIndividualExportOptions& options);

}  // namespace ombrix_views
