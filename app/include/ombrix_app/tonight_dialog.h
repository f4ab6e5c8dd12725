// "Tonight's Eclipses...": every primary and secondary minimum of the field
// in tonight's night at the observer's site (the prediction settings), with
// the eclipse's start, middle and end and the object's and the Sun's
// altitude at each, sorted by time.
#pragma once

#include <string>
#include <vector>

#include <ombrix_analysis/tonight.h>
#include <winkit/winkit.h>

namespace ombrix_app {

class COmbrix;

// One line of the list: times (UTC), object, minimum type, altitudes.
std::string TonightLine(const ombrix_analysis::TNightEclipse& eclipse);
// The heading: the night's span and the Sun's limit.
std::string TonightHeading(const ombrix_analysis::TNightPlan& plan, double sunAltitude);

class CTonightDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const ombrix_analysis::TNightPlan& plan, double sunAltitude);

  vcont::CStaticText heading, columns;
  vcont::CListBox list;
};

// Plans tonight for the window's field and shows the list; a site without
// coordinates or a night without darkness is told in a message box.
void ShowTonightEclipses(COmbrix& window);

}  // namespace ombrix_app
