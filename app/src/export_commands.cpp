// The export commands of the main window: their option dialogs, file
// dialogs, settings and messages around the exports library.
#include "ombrix_app/export_commands.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <corekit/clipboard.h>
#include <ombrix_exports/copy_info.h>
#include <ombrix_exports/field_export.h>
#include <ombrix_exports/series_export.h>
#include <ombrix_present/chart_export.h>
#include <ombrix_views/copy_mask_dialog.h>
#include <ombrix_views/export_dialogs.h>
#include <runbase/fixed_text.h>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

using ombrix_export::TExportResult;
using ombrix_export::TSeriesLines;

constexpr int kPathChars = static_cast<int>(kPathHigh);

template <std::size_t N>
std::string Text(const char (&array)[N]) {
  return std::string(FixedText::View(N - 1, array));
}

// The save dialog of an export with its two file types, starting at `start`;
// false when cancelled.
template <std::size_t N>
bool ChooseExportFile(const char* title, const ombrix_export::TFileType (&types)[N], const std::string& start,
                      std::string& chosen) {
  vdlg::TFileFilter filters[N];
  for (std::size_t i = 0; i < N; ++i) filters[i] = {types[i].mask, types[i].label};
  char path[kPathHigh + 1] = {};
  FixedText::Assign(kPathHigh, path, start);
  if (!vdlg::GetOutFileName(title, kPathChars, path, filters, static_cast<int>(N))) return false;
  chosen = Text(path);
  return true;
}

void ShowResult(COmbrix& window, ombrix_export::TExportCommand command, TExportResult result,
                const std::string& path) {
  ombrix_export::ShowExportResult(window.userIO, command, result, path.c_str());
}

// ------------------------------------------------------------ text exports

enum class TTextKind { seriesLines, minimaList, allMinima, etv };

// One text export: what it writes and the title of its save dialog.
struct TTextExport {
  std::uint32_t command;
  TTextKind kind;
  TSeriesLines lines;  // series-line exports only
  const char* title;
};

const TTextExport kTextExports[] = {
    {cmExportTimeSeries, TTextKind::seriesLines, TSeriesLines::timeSeries, ombrix_export::kTimeSeriesDialogTitle},
    {cmExportPhasedSeries, TTextKind::seriesLines, TSeriesLines::phased, ombrix_export::kPhasedSeriesDialogTitle},
    {cmExportPhasedTimeSeries, TTextKind::seriesLines, TSeriesLines::phasedTime,
     ombrix_export::kPhasedTimeSeriesDialogTitle},
    {cmExportTimeSeriesMinusFit, TTextKind::seriesLines, TSeriesLines::minusFit,
     ombrix_export::kSeriesMinusFitDialogTitle},
    {cmExportMinimaList, TTextKind::minimaList, TSeriesLines::timeSeries, ombrix_export::kTimeSeriesDialogTitle},
    {cmExportAllMinima, TTextKind::allMinima, TSeriesLines::timeSeries, ombrix_export::kTimeSeriesDialogTitle},
    {cmExportETVData, TTextKind::etv, TSeriesLines::timeSeries, ombrix_export::kTimeSeriesDialogTitle},
};

const TTextExport* FindTextExport(std::uint32_t command) {
  for (const TTextExport& e : kTextExports)
    if (e.command == command) return &e;
  return nullptr;
}

// Builds the text before any file dialog, so that a missing M0, P or
// minimum is reported before the user picks a file.
TExportResult BuildText(const COmbrix& window, const TTextExport& e, std::string& text) {
  if (e.kind == TTextKind::allMinima) {
    text = ombrix_export::AllMinimaText(window.pane.field);
    return TExportResult::ok;
  }
  const ombrix_data::CObjectListElem* object = window.pane.SelectedObject();
  if (!object) return TExportResult::cancelled;
  switch (e.kind) {
    case TTextKind::seriesLines: return ombrix_export::SeriesLinesText(*object, e.lines, text);
    case TTextKind::minimaList: return ombrix_export::MinimaListText(*object, text);
    case TTextKind::etv: return ombrix_export::EtvText(*object, text);
    default: return TExportResult::cancelled;
  }
}

void RunTextExport(COmbrix& window, const TTextExport& e) {
  std::string text;
  const TExportResult built = BuildText(window, e, text);
  if (built != TExportResult::ok) {
    ShowResult(window, ombrix_export::TExportCommand::text, built, "");
    return;
  }
  std::string path;
  if (!ChooseExportFile(e.title, ombrix_export::kTextFileTypes, Text(window.settings.lastExportPath), path)) return;
  CopyPath(window.settings.lastExportPath, path);
  ShowResult(window, ombrix_export::TExportCommand::text, ombrix_export::WriteExportText(path, text), path);
}

void RunIndividualMinusFit(COmbrix& window) {
  ombrix_data::CObjectListElem* object = window.pane.SelectedObject();
  if (!object) return;
  ombrix_export::TIndividualExportOptions options;
  ombrix_export::GetIndividualExportOptions(*object, options);
  if (!ombrix_views::EditIndividualExportOptions(options)) return;
  if (ombrix_export::StoreIndividualExportOptions(*object, options)) window.Command(cmFieldChanged);
  auto ask = [](const std::string& path) {
    switch (vdlg::DoMessageBox(ombrix_export::kOverwriteQuestionCaption, ombrix_export::kOverwriteQuestionLine1,
                               path.c_str(), ombrix_export::kOverwriteQuestionLine3, vdlg::mbYesNoCancel,
                               vstock::siQuestion)) {
      case vdlg::mrYes: return ombrix_export::TOverwriteAnswer::yes;
      case vdlg::mrNo: return ombrix_export::TOverwriteAnswer::no;
      default: return ombrix_export::TOverwriteAnswer::cancel;
    }
  };
  ombrix_export::TIndividualExportReport report;
  const TExportResult result = ombrix_export::ExportIndividualSeriesMinusFit(*object, options, ask, report);
  ShowResult(window, ombrix_export::TExportCommand::text, result, report.failedPath);
}

// ------------------------------------------------------------ field exports

void RunCsvExport(COmbrix& window) {
  COmbrixPane& pane = window.pane;
  if (pane.field.Count() == 0) return;
  std::uint32_t options = static_cast<std::uint32_t>(window.settings.csvExportOptions);
  if (!ombrix_views::EditCsvExportOptions(options)) return;
  window.settings.csvExportOptions = static_cast<std::int32_t>(options);
  const std::string start = ombrix_export::InitialCsvPath(Text(window.settings.lastCSVExportPath), window.fieldPath);
  std::string path;
  if (!ChooseExportFile(ombrix_export::kCsvSaveDialogTitle, ombrix_export::kCsvFileTypes, start, path)) return;
  CopyPath(window.settings.lastCSVExportPath, path);
  vcore::BeginBusy();
  const TExportResult result = ombrix_export::ExportFieldCsv(pane.field, options, path);
  vcore::EndBusy();
  ShowResult(window, ombrix_export::TExportCommand::csv, result, path);
}

ombrix_export::THtmlExportOptions HtmlOptions(const TSettings& s) {
  ombrix_export::THtmlExportOptions o;
  o.options = static_cast<std::uint32_t>(s.htmlExportOptions);
  o.thumbWidth = s.lightCurveThumbWidth;
  o.thumbDepth = s.lightCurveThumbDepth;
  o.imageWidth = s.lightCurveImageWidth;
  o.imageDepth = s.lightCurveImageDepth;
  o.pathPrefix = Text(s.htmlPathPrefix);
  return o;
}

void StoreHtmlOptions(const ombrix_export::THtmlExportOptions& o, TSettings& s) {
  s.htmlExportOptions = static_cast<std::int32_t>(o.options);
  s.lightCurveThumbWidth = o.thumbWidth;
  s.lightCurveThumbDepth = o.thumbDepth;
  s.lightCurveImageWidth = o.imageWidth;
  s.lightCurveImageDepth = o.imageDepth;
  CopyPath(s.htmlPathPrefix, o.pathPrefix);
}

// Draws each object's pictures through the chart panes, keeping the status
// bar's progress and the window's paint up to date between objects. The
// files are written on a worker thread while the next object is drawn.
class CHtmlPictures {
 public:
  explicit CHtmlPictures(COmbrix& window) : window_(window) {}
  bool operator()(const ombrix_export::THtmlPictureRequest& r) {
    ombrix_lc::TBuildRequest build;
    build.object = r.object;
    build.filters = &window_.filters;
    const int tab = r.phasedCurve ? ombrix_lc::ctPhasedCurve : ombrix_lc::ctCompressedSeries;
    const bool drawn = writer_.Queue(
        tab, build, {{r.picturePath, r.pictureWidth, r.pictureDepth}, {r.thumbPath, r.thumbWidth, r.thumbDepth}});
    window_.statusBar.SetProgress(static_cast<int>(++done_), static_cast<int>(window_.pane.field.Count()));
    vcore::ProcessOutputEvents();
    return drawn;
  }
  // Waits for the files still being written; those that failed.
  std::vector<std::string> Finish() { return writer_.Finish(); }

 private:
  COmbrix& window_;
  ombrix_lc::CChartPictureWriter writer_;  // encodes and writes while the next chart is drawn
  std::uint32_t done_ = 0;
};

void RunHtmlExport(COmbrix& window) {
  COmbrixPane& pane = window.pane;
  if (pane.field.Count() == 0) return;
  ombrix_export::THtmlExportOptions options = HtmlOptions(window.settings);
  if (!ombrix_views::EditHtmlExportOptions(options)) return;
  StoreHtmlOptions(options, window.settings);
  std::string path;
  if (!ChooseExportFile(ombrix_export::kHtmlSaveDialogTitle, ombrix_export::kHtmlFileTypes,
                        Text(window.settings.lastHTMLExportPath), path))
    return;
  CopyPath(window.settings.lastHTMLExportPath, path);
  vcore::BeginBusy();
  CHtmlPictures pictures(window);
  ombrix_export::THtmlExportReport report;
  const TExportResult result =
      ombrix_export::ExportFieldHtml(pane.field, window.fieldPath, options, path, std::ref(pictures), report);
  for (std::string& failed : pictures.Finish()) report.failedPictures.push_back(std::move(failed));
  window.statusBar.SetProgress(0, 0);
  vcore::EndBusy();
  pane.ShowActiveChart(true);  // the charts on screen belong to the shown object again
  ShowResult(window, ombrix_export::TExportCommand::html, result, path);
  if (result == TExportResult::ok && !report.failedPictures.empty())
    ShowResult(window, ombrix_export::TExportCommand::html, TExportResult::cannotCreateFile,
               report.failedPictures.front());
}

// ------------------------------------------------------------ copy info

// The mask's degree sign is one Windows-1252 byte; the clipboard takes
// UTF-8.
std::string DegreeSignsAsUtf8(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lone = text[i] == '\xB0' && (i == 0 || text[i - 1] != '\xC2');
    if (lone) out += '\xC2';
    out += text[i];
  }
  return out;
}

void CopyObjectInfo(COmbrix& window) {
  const ombrix_data::CObjectListElem* object = window.pane.SelectedObject();
  if (!object) return;
  const std::string text = DegreeSignsAsUtf8(ombrix_export::ExpandCopyInfoMask(
      Text(window.settings.copyDataMask), *object, ombrix_export::FieldNameFromPath(window.fieldPath)));
  vcom::ClipboardProvider().SetText(text.data(), text.size());
}

void DefineCopyInfoMask(COmbrix& window) {
  std::string mask = Text(window.settings.copyDataMask);
  if (!ombrix_views::EditCopyInfoMask(mask)) return;
  FixedText::Assign(kMaskHigh, window.settings.copyDataMask, mask);
}

}  // namespace

bool IsExportCommand(std::uint32_t command) {
  switch (command) {
    case cmExportFieldCSV: case cmExportFieldHTML: case cmExportIndividualMinusFit:
    case cmCopyObjectInfo: case cmCopyInfoMask:
      return true;
    default:
      return FindTextExport(command) != nullptr;
  }
}

void RunExportCommand(COmbrix& window, std::uint32_t command) {
  switch (command) {
    case cmExportFieldCSV: RunCsvExport(window); break;
    case cmExportFieldHTML: RunHtmlExport(window); break;
    case cmExportIndividualMinusFit: RunIndividualMinusFit(window); break;
    case cmCopyObjectInfo: CopyObjectInfo(window); break;
    case cmCopyInfoMask: DefineCopyInfoMask(window); break;
    default:
      if (const TTextExport* e = FindTextExport(command)) RunTextExport(window, *e);
      break;
  }
}

}  // namespace ombrix_app
