// The VSX look-up: the sky box of the field's objects (or of one object),
// the query to the AAVSO Variable Star Index, the stars of its answer, and
// the matching that copies names, types, periods and epochs into the
// objects lying within 3 arcseconds of a star.
//
// RunVsxQuery performs the request and may run on a worker thread; reading
// and matching run on the window's thread, which owns the field. The texts
// the program shows come from VsxResultMessage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <corekit/vlist.h>
#include <ombrix_field/field.h>

#include "ombrix_net/http_worker.h"
#include "ombrix_net/web_interface.h"

namespace ombrix_web {

// Server used when the settings name none: scheme, host and port.
inline constexpr const char* kDefaultVsxServer = "https://www.aavso.org";
// Key of the "OMBRIX" settings section that names another server.
inline constexpr const char* kVsxServerKey = "VSXServer";

inline constexpr double kVsxObjectMargin = 4.8481368110953604e-05;  // 10 arcseconds, radians
inline constexpr double kVsxMatchLimit = 1.454441043328608e-05;     // 3 arcseconds, radians
inline constexpr std::size_t kVsxPathLength = 256;                  // characters of a query path at most

// The sky box of a query, radians; unknown is right ascension -1 and
// declination 91.
struct TVsxBox {
  double minRA = -1.0;
  double maxRA = -1.0;
  double minDec = 91.0;
  double maxDec = 91.0;

  bool IsKnown() const;
};

// What "Query VSX ..." may start with.
enum class TVsxStart : std::uint8_t {
  query,          // the box is set: run the query
  unknownObject,  // the object has no coordinates: result hrNoQuery, nothing sent
  unknownField,   // no object of the field has coordinates: VsxUnknownCoordinatesMessage at once
};

// "Query VSX for selected object...": the object's effective coordinates
// +- 10 arcseconds each (the right-ascension margin is not scaled by the
// declination).
TVsxStart VsxQueryOfObject(const ombrix_data::CObjectListElem& object, TVsxBox& box);
// "Query VSX for all objects...": the least and greatest effective
// coordinates over the objects that have both, without margin; a field of
// exactly one object is queried as that object.
TVsxStart VsxQueryOfField(const ombrix_data::CField& field, TVsxBox& box);

// "/vsx/index.php?view=api.list&fromra=...&tora=...&fromdec=...&todec=...&format=json",
// degrees with 7 decimals; a box reaching beyond 360 degrees is moved down
// by 360, declinations are kept within -90 ... 90.
std::string VsxQueryPath(const TVsxBox& box);
// The server of the setting ("https://www.aavso.org" when empty; "https://"
// is put in front of a name without scheme) followed by the path.
std::string VsxQueryUrl(const char* server, const TVsxBox& box);

// Sends the query and reads the answer into `response`: hrNoQuery without
// sending when the box is unknown. Touches nothing else, so a worker thread
// may run it.
THttpResult RunVsxQuery(const std::string& server, const TVsxBox& box, std::string& response);

// One star of the answer.
class CVSXStar : public vlist::CListElem {
 public:
  char name[65] = {};             // "Name"
  char variabilityType[17] = {};  // "VariabilityType"
  double ra = -1.0;               // "RA2000" in radians
  double dec = 91.0;              // "Declination2000" in radians
  double epoch = 0.0;             // "Epoch"
  double period = 0.0;            // "Period"
};

// The stars of an answer, appended to `stars` (an answer that does not parse
// gives none). Values are JSON strings read as numbers by the runbase rules;
// what is missing, empty, a JSON number or not a number ("95:") keeps its
// default.
void ReadVsxAnswer(const std::string& body, vlist::CList& stars);

// What matching did.
struct TVsxMatch {
  std::uint32_t found = 0;                             // stars of the answer
  std::uint32_t matched = 0;                           // stars given to an object
  std::vector<ombrix_data::CObjectListElem*> changed;  // objects that took a star, in field order
};

// Gives each object with catalogue coordinates, in field order, the first
// remaining star within 3 arcseconds in both coordinates: the star's name
// into the alternate name and its type into the variability type (set when
// empty, else appended in brackets unless already contained), period and
// epoch (as M0) when not set. A matched star is taken out of `stars` and
// released. The caller rewrites the rows of the changed objects and, when
// any matched, marks the field changed; it releases the remaining stars.
TVsxMatch MatchVsxStars(ombrix_data::CField& field, vlist::CList& stars);

// A message box of the look-up.
struct TVsxMessage {
  std::string caption;
  std::string lines[3];  // empty lines are not shown
  TMessageIcon icon = miInformation;
};

// The message of a finished query: for hrOk the summary of `match`
// ("VSX query completed" ...), otherwise why it failed.
TVsxMessage VsxResultMessage(THttpResult result, const TVsxMatch& match);
// The message when no object of the field has coordinates.
TVsxMessage VsxUnknownCoordinatesMessage();

}  // namespace ombrix_web
