// Naming an object or a series of a loaded field on the command line.
#pragma once

#include <ostream>

#include "ombrix_field/field.h"

namespace ombrix_cli {

// The help text of the <object> argument, joined into the subcommands' usage.
#define OMBRIX_CLI_OBJECT_HELP \
  "<object> is the object's name, its alternate name or its label as the\n" \
  "object list shows it (\"name | alternate | comment\"), compared exactly and\n" \
  "tried in that order, or else its number in the field counted from 1 (as\n" \
  "\"ombrix-cli field\" lists them).\n"

// How the subcommands that run the program's commands show what it would.
#define OMBRIX_CLI_MESSAGES_HELP \
  "Messages the program would show go out as lines \"message: <caption> |\n" \
  "<line> | <line>\"; a question gets its default answer (Cancel, or No\n" \
  "without a Cancel button) and a dialog is confirmed with OK.\n"

// The object named by `text`, or null after printing "ombrix-cli <command>:
// no object ..." to `err`.
ombrix_data::CObjectListElem* ChooseObject(const char* command, const ombrix_data::CField& field,
                                           const char* text, std::ostream& err);

// The series at `number` (from 1, in the object's series order), or null
// after printing the fault to `err`.
ombrix_data::CSeriesTreeElem* ChooseSeries(const char* command,
                                           const ombrix_data::CObjectListElem& object,
                                           const char* number, std::ostream& err);

}  // namespace ombrix_cli
