// Option dialogs of the CSV, HTML and individual series-minus-fit exports.
#include "ombrix_views/export_dialogs.h"

#include "dialog_layout.h"

namespace ombrix_views {

namespace {

using namespace layout;
using ombrix_export::kHtmlOptionBoxes;

constexpr std::uint32_t kUseNewNameId = 400;
constexpr std::uint32_t kUsePrefixPostfixId = 401;
constexpr int kChoiceGroup = 1;
constexpr int kNameHigh = 259;  // longest name, prefix and postfix typed

// ---- CSV layout
constexpr int kCsvWidth = 280;

// ---- HTML layout: the option boxes in a column; the two picture boxes
// carry their sizes on the same line.
constexpr int kOptionWidth = 230;
constexpr int kSizeLabelWidth = 100;
constexpr int kSizeBoxWidth = 70;
constexpr int kHtmlWidth = kGap + kOptionWidth + 2 * (kGap + kSizeLabelWidth + kSizeBoxWidth) + kGap;
constexpr int kPrefixLabelWidth = 190;
constexpr int kOptionRow = kRowHeight + 2;

// ---- series layout
constexpr int kSeriesWidth = 460;
constexpr int kIndent = 24;
constexpr int kSeriesLabelWidth = 120;
constexpr int kParagraphHeight = 34;

// Check boxes for a table of options, one per line from y.
template <std::size_t N>
void InitOptionBoxes(vwin::COKCancelDialog& dialog, vcont::CCheckBox (&boxes)[N],
                     const ombrix_export::TOptionBox (&table)[N], std::uint32_t options, int y, int rowHeight,
                     int width) {
  for (std::size_t i = 0; i < N; ++i) {
    boxes[i].Init(&dialog, Box(kGap, y + static_cast<int>(i) * rowHeight, width, rowHeight), 0, table[i].text);
    boxes[i].SetChecked((options & table[i].bit) != 0);
  }
}

template <std::size_t N>
std::uint32_t TickedOptions(const vcont::CCheckBox (&boxes)[N], const ombrix_export::TOptionBox (&table)[N]) {
  std::uint32_t options = 0;
  for (std::size_t i = 0; i < N; ++i)
    if (boxes[i].IsChecked()) options |= table[i].bit;
  return options;
}

// The index of an option's box in the HTML table.
constexpr int HtmlBoxIndex(std::uint32_t bit) {
  for (std::size_t i = 0; i < std::size(kHtmlOptionBoxes); ++i)
    if (kHtmlOptionBoxes[i].bit == bit) return static_cast<int>(i);
  return -1;
}

// A size label and its number box at x of line y.
void InitSizeBox(vwin::COKCancelDialog& dialog, vcont::CStaticText& label, vcont::CIntegerCountBox& box,
                 const char* text, int value, int x, int y) {
  label.Init(&dialog, Box(x, y, kSizeLabelWidth, kRowHeight), text);
  box.Init(&dialog, Box(x + kSizeLabelWidth, y, kSizeBoxWidth, kRowHeight), 0, ombrix_export::kMinPictureSide,
           ombrix_export::kMaxPictureSide, value);
}

// A label and its edit box on line y, indented under a choice.
void InitNameBox(vwin::COKCancelDialog& dialog, vcont::CStaticText& label, vcont::CEditBox& box, const char* text,
                 const std::string& value, int y) {
  label.Init(&dialog, Box(kIndent, y, kSeriesLabelWidth, kRowHeight), text);
  const int x = kIndent + kSeriesLabelWidth;
  box.Init(&dialog, Box(x, y, kSeriesWidth - kGap - x, kRowHeight), 0, value.c_str(), kNameHigh);
}

}  // namespace

// ------------------------------------------------------------ CSV

bool CExportCSVDialog::Init(std::uint32_t options) {
  const int height = 2 * kGap + static_cast<int>(kCsvOptionCount) * kLineHeight;
  if (!InitDialog(*this, ombrix_export::kCsvDialogTitle, kCsvWidth, height)) return false;
  InitOptionBoxes(*this, boxes, ombrix_export::kCsvOptionBoxes, options, kGap, kLineHeight, kCsvWidth - 2 * kGap);
  return true;
}

std::uint32_t CExportCSVDialog::Options() const { return TickedOptions(boxes, ombrix_export::kCsvOptionBoxes); }

bool EditCsvExportOptions(std::uint32_t& options) {
  CExportCSVDialog dialog;
  if (!dialog.Init(options) || !dialog.Exec()) return false;
  options = dialog.Options();
  return true;
}

// ------------------------------------------------------------ HTML

bool CExportHTMLDialog::Init(const ombrix_export::THtmlExportOptions& options) {
  const int prefixY = kGap + static_cast<int>(kHtmlOptionCount) * kOptionRow + kGap;
  if (!InitDialog(*this, ombrix_export::kHtmlDialogTitle, kHtmlWidth, prefixY + kRowHeight + kGap)) return false;
  InitOptionBoxes(*this, boxes, kHtmlOptionBoxes, options.options, kGap, kOptionRow, kOptionWidth);

  const int widthX = 2 * kGap + kOptionWidth;
  const int depthX = widthX + kSizeLabelWidth + kSizeBoxWidth + kGap;
  const int thumbY = kGap + HtmlBoxIndex(ombrix_export::kHtmlThumbs) * kOptionRow;
  const int imageY = kGap + HtmlBoxIndex(ombrix_export::kHtmlImages) * kOptionRow;
  InitSizeBox(*this, thumbWidthLabel, thumbWidth, ombrix_export::kThumbWidthLabel, options.thumbWidth, widthX, thumbY);
  InitSizeBox(*this, thumbDepthLabel, thumbDepth, ombrix_export::kThumbDepthLabel, options.thumbDepth, depthX, thumbY);
  InitSizeBox(*this, imageWidthLabel, imageWidth, ombrix_export::kImageWidthLabel, options.imageWidth, widthX, imageY);
  InitSizeBox(*this, imageDepthLabel, imageDepth, ombrix_export::kImageDepthLabel, options.imageDepth, depthX, imageY);

  prefixLabel.Init(this, Box(kGap, prefixY, kPrefixLabelWidth, kRowHeight), ombrix_export::kPathPrefixLabel);
  const int prefixX = kGap + kPrefixLabelWidth;
  prefix.Init(this, Box(prefixX, prefixY, kHtmlWidth - kGap - prefixX, kRowHeight), 0, options.pathPrefix.c_str(),
              kNameHigh);
  return true;
}

void CExportHTMLDialog::Store(ombrix_export::THtmlExportOptions& options) const {
  options.options = TickedOptions(boxes, kHtmlOptionBoxes);
  options.thumbWidth = static_cast<int>(thumbWidth.Value());
  options.thumbDepth = static_cast<int>(thumbDepth.Value());
  options.imageWidth = static_cast<int>(imageWidth.Value());
  options.imageDepth = static_cast<int>(imageDepth.Value());
  options.pathPrefix = ombrix_export::NormalizedPathPrefix(prefix.Text());
}

bool EditHtmlExportOptions(ombrix_export::THtmlExportOptions& options) {
  CExportHTMLDialog dialog;
  if (!dialog.Init(options) || !dialog.Exec()) return false;
  dialog.Store(options);
  return true;
}

// ------------------------------------------------------------ series minus fit

bool CExportSeriesDialog::Init(const ombrix_export::TIndividualExportOptions& options) {
  const int newNameY = kGap + kParagraphHeight;
  const int prefixTextY = newNameY + kLineHeight + kRowHeight + 2 * kGap;
  const int prefixChoiceY = prefixTextY + kParagraphHeight;
  const int prefixY = prefixChoiceY + kLineHeight;
  const int overwriteY = prefixY + 2 * kRowHeight + 2 * kGap;
  if (!InitDialog(*this, ombrix_export::kExportSeriesDialogTitle, kSeriesWidth, overwriteY + kLineHeight + kGap))
    return false;
  const int textWidth = kSeriesWidth - 2 * kGap;
  newNameText.Init(this, Box(kGap, kGap, textWidth, kParagraphHeight), ombrix_export::kExportSeriesDialogText1);
  useNewName.Init(this, Box(kGap, newNameY, textWidth, kLineHeight), kUseNewNameId,
                  ombrix_export::kExportSeriesUseNewName, kChoiceGroup);
  InitNameBox(*this, newNameLabel, newName, ombrix_export::kExportSeriesNewNameLabel, options.newName,
              newNameY + kLineHeight);
  prefixText.Init(this, Box(kGap, prefixTextY, textWidth, kParagraphHeight), ombrix_export::kExportSeriesDialogText2);
  usePrefixPostfix.Init(this, Box(kGap, prefixChoiceY, textWidth, kLineHeight), kUsePrefixPostfixId,
                        ombrix_export::kExportSeriesUsePrefixPostfix, kChoiceGroup);
  InitNameBox(*this, prefixLabel, prefix, ombrix_export::kExportSeriesPrefixLabel, options.prefix, prefixY);
  InitNameBox(*this, postfixLabel, postfix, ombrix_export::kExportSeriesPostfixLabel, options.postfix,
              prefixY + kRowHeight + kGap);
  overwrite.Init(this, Box(kGap, overwriteY, textWidth, kLineHeight), 0, ombrix_export::kExportSeriesOverwrite);
  useNewName.SetChecked(options.useNewName);
  usePrefixPostfix.SetChecked(!options.useNewName);
  overwrite.SetChecked(options.overwrite);
  EnableBoxes();
  return true;
}

void CExportSeriesDialog::EnableBoxes() {
  const bool newNameWay = useNewName.IsChecked();
  newName.SetEnabled(newNameWay);
  prefix.SetEnabled(!newNameWay);
  postfix.SetEnabled(!newNameWay);
}

void CExportSeriesDialog::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && (event.code == kUseNewNameId || event.code == kUsePrefixPostfixId)) {
    StopEvent(event);
    EnableBoxes();
    return;
  }
  COKCancelDialog::ReceiveEvent(event);
}

void CExportSeriesDialog::Store(ombrix_export::TIndividualExportOptions& options) const {
  options.useNewName = useNewName.IsChecked();
  options.newName = newName.Text();
  options.prefix = prefix.Text();
  options.postfix = postfix.Text();
  options.overwrite = overwrite.IsChecked();
}

bool EditIndividualExportOptions(ombrix_export::TIndividualExportOptions& options) {
  CExportSeriesDialog dialog;
  if (!dialog.Init(options) || !dialog.Exec()) return false;
  dialog.Store(options);
  return true;
}

}  // namespace ombrix_views
