// ombrix-cli field <file.ofd>: loads a field as the program does and prints
// its messages and a summary of its objects.
#include "field_loading.h"
#include "ombrix_cli/command.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_data;

void PrintObject(std::uint32_t number, const CObjectListElem& object, std::ostream& out) {
  char label[256];
  object.GetLabel(sizeof label - 1, label);
  label[sizeof label - 1] = 0;
  std::uint64_t points = 0, minima = 0;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    points += s->pointCount;
    minima += s->minima.count;
  }
  out << "object " << number << ' ' << label << " series=" << object.series.count << " points=" << points
      << " minima=" << minima << '\n';
}

int RunField(TArguments arguments, std::ostream& out, std::ostream& err) {
  if (arguments.size() != 1) {
    err << "ombrix-cli field: expected <file.ofd>\n";
    return kExitUsage;
  }
  CField field;
  if (!LoadFieldForCli(arguments[0], field, out, err)) return kExitFailure;
  out << "objects " << field.Count() << '\n';
  std::uint32_t number = 0;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) PrintObject(++number, *o, out);
  return kExitOk;
}

}  // namespace

extern const TCliCommand FieldCommand = {
    "field", "load a field description file as the program does",
    "Usage: ombrix-cli field <file.ofd>\n"
    "\n"
    "Loads the field (series files resolved against the working folder) and\n"
    "prints every message as \"message: <caption> | <line> | <line>\", then\n"
    "\"objects N\" and one line \"object <n> <label> series=<s> points=<p>\n"
    "minima=<m>\" per object. A failed load prints the error text and exits\n"
    "with status 1.\n",
    RunField};

}  // namespace ombrix_cli
