// The settings of the Prediction tab and the chart export commands
// "As Bitmap..." and "As SVG...".
#pragma once

#include <ombrix_present/chart_page.h>

#include "ombrix_app/settings.h"

namespace ombrix_app {

class COmbrix;

// The site and limits the settings keep for the Prediction tab.
ombrix_lc::TPredictionSite PredictionSite(const TSettings& settings);
// The page's span length, site and limits into the settings.
void StorePredictionSettings(const ombrix_lc::CPredictionPage& page, TSettings& settings);
// Saves the active tab's chart as an image (svg false) or an SVG document.
void ExportActiveChart(COmbrix& window, bool svg);

}  // namespace ombrix_app
