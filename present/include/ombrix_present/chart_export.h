// Saving a chart as an image or an SVG document: the size dialog, the
// choice of the file and format, and the error boxes.
#pragma once

#include <cstdint>
#include <string>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <winkit/vcont.h>
#include <winkit/vimage.h>
#include <winkit/vwin.h>

#include "ombrix_present/chart_pane.h"
#include "ombrix_present/curve_data.h"

namespace ombrix_lc {

// Sizes the dialog accepts, pixels a side.
inline constexpr int kExportMinSide = 8;
inline constexpr int kExportMaxSide = 8192;
inline constexpr int kExportTitleHigh = 127;

// "Choose dimensions of exported ...": width and depth, and a title that is
// used when "Include title string" is ticked.
class CGetWDDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const char* caption, int width, int depth, const char* title);
  void Done() override;
  int WidthValue() const { return static_cast<int>(width.Value()); }
  int DepthValue() const { return static_cast<int>(depth.Value()); }
  // The title box's text when the box is ticked, else empty.
  std::string ChosenTitle() const;

  vcont::CStaticText widthLabel, depthLabel, titleLabel;
  vcont::CIntegerCountBox width, depth;
  vcont::CCheckBox includeTitle;
  vcont::CEditBox title;
};

// What the export commands keep in the settings.
struct TChartExportSettings {
  std::int32_t width = 1024, depth = 768;
  std::string lastImagePath, lastSVGPath;
};

// "As Bitmap..." (svg false) and "As SVG..." for chart, null when the active
// tab holds none. objectName fills the title box. False when nothing was
// saved (no chart, cancelled, refused or failed).
bool RunChartExport(CLightCurvePane* chart, bool svg, const char* objectName, TChartExportSettings& settings);

// A picture file of a chart drawn without a window: where and how large.
struct TPictureFile {
  std::string path;
  int width = 0;
  int depth = 0;
};

// Draws chart tab `tab` (1 to 7, 11) of the request's object without title
// and writes it as a PNG file at each size, each file whole or not at all.
// False at the first file that cannot be drawn or written.
bool WriteChartPictures(int tab, const TBuildRequest& request, const std::vector<TPictureFile>& files);

// Writes chart pictures as PNG files on a worker thread, so that drawing the
// next chart overlaps encoding and writing the last ones (an HTML export
// draws two pictures for each object). Drawing stays on the caller's thread;
// at most a few pictures wait in memory.
class CChartPictureWriter {
 public:
  CChartPictureWriter();
  ~CChartPictureWriter();  // finishes the queued files
  CChartPictureWriter(const CChartPictureWriter&) = delete;
  CChartPictureWriter& operator=(const CChartPictureWriter&) = delete;

  // Draws chart tab `tab` of the request's object without title at each
  // file's size and queues the files; false when a picture could not be drawn.
  bool Queue(int tab, const TBuildRequest& request, const std::vector<TPictureFile>& files);
  // Waits until every queued file is written; the paths of those that could
  // not be written, in queue order.
  std::vector<std::string> Finish();

 private:
  struct TJob {
    std::string path;
    vimage::CImage picture;
  };
  void Work();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TJob> jobs_;            // drawn, not written yet
  std::vector<std::string> failed_;  // written by the worker
  bool stopping_ = false;
  bool writing_ = false;             // the worker holds a job
  std::thread worker_;
};

}  // namespace ombrix_lc
