// Field description file sections of the series kinds. The field-file module
// provides COFDReader and COFDWriter and replaces these with its section
// readers and writers; until then no series can be written or read there.
#include "ombrix_field/series.h"

namespace ombrix_data {

bool CSeriesTreeElem::WriteFieldSection(COFDWriter&) const { return false; }
bool CSeriesTreeElem::ReadFieldSection(COFDReader&) { return false; }
bool CLocalSeriesTreeElem::WriteFieldSection(COFDWriter&) const { return false; }
bool CLocalSeriesTreeElem::ReadFieldSection(COFDReader&) { return false; }
bool CWebSeriesTreeElem::WriteFieldSection(COFDWriter&) const { return false; }

}  // namespace ombrix_data
