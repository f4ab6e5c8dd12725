// The Prediction chart: the object's model light curve over a coming span,
// the altitudes of the object and the Sun at the observer's site beneath
// it, twilight stripes behind both and lines where observability begins or
// ends. Everything is sampled every two pixels, so the chart is computed
// again on every layout.
#pragma once

#include <cstdint>
#include <vector>

#include <ombrix_model/light_curve_model.h>

#include "ombrix_present/chart_pane.h"

namespace ombrix_lc {

inline constexpr TColor kBeginsColour = vcolor::RGBA(192, 192, 192);  // observability begins; grey curve
inline constexpr TColor kEndsColour = vcolor::RGBA(191, 191, 191);    // observability ends
inline constexpr TColor kStarAltitudeColour = vcolor::RGBA(111, 200, 70);
inline constexpr TColor kSunAltitudeColour = vcolor::RGBA(255, 127, 0);
// Twilight classes 1 to 4 (astronomical, nautical, civil twilight, day).
inline constexpr TColor kTwilightColours[4] = {vcolor::RGBA(255, 248, 240), vcolor::RGBA(255, 244, 225),
                                               vcolor::RGBA(255, 240, 210), vcolor::RGBA(255, 236, 195)};
// An altitude range not set yet.
inline constexpr double kNoAltitude = 91.0;

// The observer's site and the limits of observability (degrees).
struct TPredictionSite {
  double latitude = 0.0, longitude = 0.0;  // east positive; 0 means not set
  double starAlt = 25.0;                   // lowest useful altitude of the object
  bool useStarAlt = false;
  double sunAlt = -12.0;  // highest tolerated altitude of the Sun
  bool useSunAlt = false;
};

// Altitude in degrees of a star (ra, dec in radians) and of the Sun at
// Julian date jd from a site given in degrees.
double StarAltitude(double jd, double ra, double dec, double latitude, double longitude);
double SunAltitude(double jd, double latitude, double longitude);
// 0 night (Sun at or below -18 degrees) to 4 day (above 0).
int TwilightClass(double sunAltitude);
// Degrees of a degree, minute, second triple; a degree part of 0 takes its
// sign from `negative` (a leading minus sign in its box).
double DegreesFromDMS(double degrees, double minutes, double seconds, bool negative);

// A background stripe of one twilight class.
struct TStripe {
  int x = 0, width = 0;
  int twilight = 0;  // TwilightClass; 0 is not drawn
};

// A change of observability at a sample (the sample before the change).
struct TObservabilityEvent {
  int sample = 0;
  bool begins = false;
};

class CPredictionPane : public CLightCurvePane {
 public:
  CPredictionPane();
  void NewRect(const vcom::CRect& rect) override;
  void PaintView(vgr::CDeviceContext& dc) override;
  void ClearCurve() override;
  void SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) override;

  // The object's ephemeris, model (null: none) and position (ra -1 or
  // dec 91: unknown).
  void SetObject(double m0, double period, const ombrix_model::TFitParameters* model, double ra, double dec);
  void SetSite(const TPredictionSite& site) { this->site = site; }
  // The span [start, end] of Julian dates (UTC).
  void SetSpan(double start, double end);
  // Lays the chart out over its whole span and repaints.
  void Layout();

  double SpanStart() const { return dataMin; }
  double SpanEnd() const { return dataMax; }
  const std::vector<int>& SampleX() const { return sampleX; }
  const std::vector<double>& SampleTimes() const { return sampleTime; }
  const std::vector<double>& ModelValues() const { return modelValue; }
  const std::vector<double>& StarAltitudes() const { return starAltitude; }
  const std::vector<double>& SunAltitudes() const { return sunAltitude; }
  const std::vector<int>& ModelY() const { return modelY; }
  const std::vector<int>& StarY() const { return starY; }
  const std::vector<int>& SunY() const { return sunY; }
  const std::vector<TStripe>& Stripes() const { return stripes; }
  const std::vector<TObservabilityEvent>& Events() const { return events; }
  double AltitudeMin() const { return altitudeMin; }
  double AltitudeMax() const { return altitudeMax; }
  const std::vector<TTick>& AltitudeTicks() const { return altitudeTicks; }
  vcom::CRect AltitudeRect() const { return altitudePlot; }
  int HorizonY() const { return horizonY; }
  // Colour of the model curve before the first event (no events: throughout).
  TColor FirstPieceColour() const;

 private:
  void ComputeRects();
  void SampleModel(double step);
  void SampleAltitudes();
  void BuildStripes();
  void LayoutAltitudes();
  void FindEvents();
  void LayoutMarkers();
  void ClearSamples();
  void PaintAltitudeChart(vgr::CDeviceContext& dc);
  void PaintModelCurve(vgr::CDeviceContext& dc);
  bool StarLimitOn() const { return site.useStarAlt && !starAltitude.empty(); }
  bool SunLimitOn() const { return site.useSunAlt && !sunAltitude.empty(); }

  double m0 = 0.0, period = 0.0;
  ombrix_model::TFitParameters model{};
  bool modelValid = false;
  double ra = -1.0, dec = 91.0;
  TPredictionSite site;
  vcom::CRect altitudePlot;        // the altitude chart under the upper one
  std::vector<int> sampleX;        // pixel columns, every two pixels
  std::vector<double> sampleTime;  // Julian dates of the samples
  std::vector<double> modelValue, starAltitude, sunAltitude;
  std::vector<int> modelY, starY, sunY;  // pixel rows
  std::vector<TStripe> stripes;
  std::vector<TObservabilityEvent> events;
  std::vector<TTick> altitudeTicks;
  double altitudeMin = kNoAltitude, altitudeMax = kNoAltitude;
  int altitudeDecimals = 3;
  int horizonY = -1;
};

}  // namespace ombrix_lc
