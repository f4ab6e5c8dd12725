// The pictures of "ombrix-cli export <file> html": drawn by the chart panes,
// which only a program built with the GUI libraries has. That program sets
// the writer when it lists its own subcommands; without it the page is
// written without pictures.
#pragma once

#include "ombrix_exports/field_export.h"

namespace ombrix_cli {

void SetHtmlPictureWriter(ombrix_export::THtmlPictureWriter writer);
// The writer, or an empty one in a build without the GUI libraries.
const ombrix_export::THtmlPictureWriter& HtmlPictureWriter();

}  // namespace ombrix_cli
