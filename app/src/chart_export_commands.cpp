// Prediction settings and the chart export commands of the main window.
#include "chart_export_commands.h"

#include <cstdio>

#include <ombrix_present/chart_export.h>

#include "ombrix_app/ombrix.h"

namespace ombrix_app {

ombrix_lc::TPredictionSite PredictionSite(const TSettings& s) {
  ombrix_lc::TPredictionSite site;
  site.latitude = s.latitude;
  site.longitude = s.longitude;
  site.starAlt = s.starAlt;
  site.useStarAlt = s.showStarAlt;
  site.sunAlt = s.sunAlt;
  site.useSunAlt = s.showSunAlt;
  return site;
}

void StorePredictionSettings(const ombrix_lc::CPredictionPage& page, TSettings& s) {
  const ombrix_lc::TPredictionSite& site = page.Site();
  s.predictionDays = page.Days();
  s.latitude = site.latitude;
  s.longitude = site.longitude;
  s.starAlt = site.starAlt;
  s.showStarAlt = site.useStarAlt;
  s.sunAlt = site.sunAlt;
  s.showSunAlt = site.useSunAlt;
}

void ExportActiveChart(COmbrix& window, bool svg) {
  ombrix_lc::CChartPage* page = window.pane.ChartPage(window.pane.ActiveTab());
  TSettings& s = window.settings;
  ombrix_lc::TChartExportSettings kept;
  kept.width = s.exportImageWidth;
  kept.depth = s.exportImageDepth;
  kept.lastImagePath = s.lastChartImageExportPath;
  kept.lastSVGPath = s.lastChartSVGExportPath;
  const ombrix_data::CObjectListElem* object = window.pane.SelectedObject();
  ombrix_lc::RunChartExport(page ? &page->Chart() : nullptr, svg, object ? object->name : "", kept);
  s.exportImageWidth = kept.width;
  s.exportImageDepth = kept.depth;
  std::snprintf(s.lastChartImageExportPath, sizeof s.lastChartImageExportPath, "%s", kept.lastImagePath.c_str());
  std::snprintf(s.lastChartSVGExportPath, sizeof s.lastChartSVGExportPath, "%s", kept.lastSVGPath.c_str());
}

}  // namespace ombrix_app
