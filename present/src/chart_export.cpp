// Chart export: SVG documents and images written whole or not at all, and
// the commands that ask for size, title and file.
#include "ombrix_present/chart_export.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <runbase/fio_replace.h>
#include <winkit/vdlg.h>

#include "ombrix_present/svg_context.h"

namespace ombrix_lc {

namespace {

constexpr int kJPEGQuality = 75;
constexpr int kWriterErrorHigh = 79;

void ErrorBox(const char* line1, const char* line2, const char* line3 = nullptr) {
  vdlg::DoMessageBox("Error", line1, line2, line3, vdlg::mbOK, vstock::siStop);
}

std::uint32_t High(const char* path) { return static_cast<std::uint32_t>(std::string(path).size()); }

}  // namespace

// ------------------------------------------------------------ pane exports

bool CLightCurvePane::DrawSVG(int width, int height, const char* text, std::string& document) {
  if (width <= 0 || height <= 0) return false;
  int oldWidth = 0, oldHeight = 0;
  LayoutForExport(width, height, text, oldWidth, oldHeight);
  CSVGContext dc;
  document.clear();
  dc.BeginDocument(document, width, height);
  PaintView(dc);
  dc.EndDocument();
  RestoreAfterExport(oldWidth, oldHeight);
  return true;
}

bool CLightCurvePane::ExportSVG(const char* path, int width, int height, const char* text) {
  std::string document;
  if (!DrawSVG(width, height, text, document)) return false;
  // The document is complete before the file is created.
  FIO::CReplaceFile file;
  if (!file.Begin(High(path), path, false)) {
    ErrorBox("Cannot create file", path);
    return false;
  }
  FIO::WrBin(file.Handle(), static_cast<std::uint32_t>(document.size()), document.data(),
             static_cast<std::uint32_t>(document.size()));
  if (!file.Commit()) {
    ErrorBox("Error while exporting file", path, "Cannot write file");
    return false;
  }
  return true;
}

bool CLightCurvePane::ExportImage(const char* path, int width, int height, const char* text,
                                  vimage::TImageFormat format) {
  vimage::CImage image;
  if (!DrawImage(width, height, text, image)) return false;
  FIO::CReplaceFile file;
  if (!file.Begin(High(path), path, false)) {
    ErrorBox("Cannot create file", path);
    return false;
  }
  char error[kWriterErrorHigh + 1] = "";
  bool ok = image.SaveToHandle(static_cast<int>(file.Handle()), format, kJPEGQuality, kWriterErrorHigh, error);
  if (ok) {
    ok = file.Commit();
    if (!ok) std::snprintf(error, sizeof error, "%s", "Cannot write file");
  } else {
    file.Abort();
  }
  if (!ok) ErrorBox("Error while exporting file", path, error);
  return ok;
}

// ------------------------------------------------------------ size dialog

bool CGetWDDialog::Init(const char* caption, int w, int d, const char* text) {
  constexpr int kGap = 8, kRow = 28, kLabel = 90, kBox = 220;
  if (!vwin::COKCancelDialog::Init(caption, vcore::ScaleH(kLabel + kBox + 3 * kGap), vcore::ScaleV(4 * kRow + kGap)))
    return false;
  const auto label = [&](int row) {
    return vcom::CRect(vcore::ScaleH(kGap), vcore::ScaleV(kGap + row * kRow), vcore::ScaleH(kLabel),
                       vcore::ScaleV(kRow - 4));
  };
  const auto box = [&](int row, int boxWidth) {
    return vcom::CRect(vcore::ScaleH(2 * kGap + kLabel), vcore::ScaleV(kGap + row * kRow), vcore::ScaleH(boxWidth),
                       vcore::ScaleV(kRow - 4));
  };
  widthLabel.Init(this, label(0), "Width:");
  width.Init(this, box(0, 100), 1, kExportMinSide, kExportMaxSide, std::clamp(w, kExportMinSide, kExportMaxSide));
  depthLabel.Init(this, label(1), "Depth:");
  depth.Init(this, box(1, 100), 2, kExportMinSide, kExportMaxSide, std::clamp(d, kExportMinSide, kExportMaxSide));
  includeTitle.Init(this, box(2, kBox), 3, "Include title string");
  includeTitle.SetChecked(true);
  titleLabel.Init(this, label(3), "Title:");
  title.Init(this, box(3, kBox), 4, text ? std::string(text).substr(0, kExportTitleHigh).c_str() : "",
             kExportTitleHigh);
  return true;
}

void CGetWDDialog::Done() {
  title.Done();
  titleLabel.Done();
  includeTitle.Done();
  depth.Done();
  depthLabel.Done();
  width.Done();
  widthLabel.Done();
  vwin::COKCancelDialog::Done();
}

std::string CGetWDDialog::ChosenTitle() const {
  return includeTitle.IsChecked() ? title.Text().substr(0, kExportTitleHigh) : std::string();
}

// ------------------------------------------------------------ commands

bool RunChartExport(CLightCurvePane* chart, bool svg, const char* objectName, TChartExportSettings& settings) {
  if (!chart) {
    vdlg::DoMessageBox("Cannot export chart as image", "The selected Tab does not contain chart", nullptr, nullptr,
                       vdlg::mbOK, vstock::siInformation);
    return false;
  }
  CGetWDDialog dialog;
  if (!dialog.Init(svg ? "Choose dimensions of exported SVG" : "Choose dimensions of exported image", settings.width,
                   settings.depth, objectName))
    return false;
  const bool ok = dialog.Exec();
  const int width = dialog.WidthValue(), depth = dialog.DepthValue();
  const std::string title = dialog.ChosenTitle();
  dialog.Done();
  if (!ok) return false;
  settings.width = width;
  settings.depth = depth;

  static const vdlg::TFileFilter kImageFilters[] = {{"*.png", "PNG files (*.png)"},
                                                    {"*.jpg", "JPG files (*.jpg, *.jpeg)"},
                                                    {"*.bmp", "BMP files (*.bmp)"},
                                                    {"*.tif", "TIFF files (*.tif, *.tiff)"},
                                                    {"*.gif", "GIF files (*.gif)"}};
  static const vdlg::TFileFilter kSVGFilters[] = {{"*.svg", "SVG files (*.svg)"}};
  std::string& last = svg ? settings.lastSVGPath : settings.lastImagePath;
  char path[1024];
  std::snprintf(path, sizeof path, "%s", last.c_str());
  const bool chosen = svg ? vdlg::GetOutFileName("Export chart as SVG", sizeof path - 1, path, kSVGFilters, 1)
                          : vdlg::GetOutFileName("Export chart as image", sizeof path - 1, path, kImageFilters, 5);
  if (!chosen) return false;

  bool saved = false;
  if (svg) {
    saved = chart->ExportSVG(path, width, depth, title.c_str());
  } else {
    vimage::TImageFormat format;
    if (!vimage::FormatFromFileName(path, format)) {
      vdlg::DoMessageBox("Error", "Wrong or missing file name extension,", "cannot determine target image format.",
                         "Image not saved.", vdlg::mbOK, vstock::siStop);
      return false;
    }
    saved = chart->ExportImage(path, width, depth, title.c_str(), format);
  }
  last = path;
  return saved;
}

namespace {

// Draws the chart of a tab at each size; false when it cannot be drawn.
bool DrawChartPictures(int tab, const TBuildRequest& request, const std::vector<TPictureFile>& files,
                       std::vector<vimage::CImage>& pictures) {
  view::EnsureOffScreenApplication();
  std::string why;
  const std::unique_ptr<CLightCurvePane> pane = BuildChartTab(tab, request, why);
  if (!pane) return false;
  pictures.resize(files.size());
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!pane->ExportImage(files[i].width, files[i].depth, pictures[i])) return false;
  return true;
}

// Writes the PNG file whole or not at all; pictures can be drawn again, so
// they are not flushed to the device one by one.
bool WritePngFile(const std::string& path, const vimage::CImage& picture) {
  FIO::CReplaceFile out;
  char error[256] = "";
  out.SkipDeviceFlush();
  return out.Begin(static_cast<std::uint32_t>(path.size()), path.c_str(), false) &&
         picture.SaveToHandle(static_cast<int>(out.Handle()), vimage::ifPNG, 0, sizeof error - 1, error) &&
         out.Commit();
}

constexpr std::size_t kMaxWaitingPictures = 4;

}  // namespace

bool WriteChartPictures(int tab, const TBuildRequest& request, const std::vector<TPictureFile>& files) {
  std::vector<vimage::CImage> pictures;
  if (!DrawChartPictures(tab, request, files, pictures)) return false;
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!WritePngFile(files[i].path, pictures[i])) return false;
  return true;
}

CChartPictureWriter::CChartPictureWriter() : worker_([this] { Work(); }) {}

CChartPictureWriter::~CChartPictureWriter() {
  Finish();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

bool CChartPictureWriter::Queue(int tab, const TBuildRequest& request, const std::vector<TPictureFile>& files) {
  std::vector<vimage::CImage> pictures;
  if (!DrawChartPictures(tab, request, files, pictures)) return false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.size() < kMaxWaitingPictures; });
    jobs_.push_back({files[i].path, std::move(pictures[i])});
    changed_.notify_all();
  }
  return true;
}

std::vector<std::string> CChartPictureWriter::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return jobs_.empty() && !writing_; });
  std::vector<std::string> failed;
  failed.swap(failed_);
  return failed;
}

void CChartPictureWriter::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping with nothing left
    TJob job = std::move(jobs_.front());
    jobs_.pop_front();
    writing_ = true;
    changed_.notify_all();  // room in the queue
    lock.unlock();
    const bool written = WritePngFile(job.path, job.picture);
    lock.lock();
    if (!written) failed_.push_back(job.path);
    writing_ = false;
    changed_.notify_all();
  }
}

}  // namespace ombrix_lc
