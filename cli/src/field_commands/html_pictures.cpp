#include "html_pictures.h"

#include <utility>

namespace ombrix_cli {

namespace {

ombrix_export::THtmlPictureWriter& Writer() {
  static ombrix_export::THtmlPictureWriter writer;
  return writer;
}

}  // namespace

void SetHtmlPictureWriter(ombrix_export::THtmlPictureWriter writer) { Writer() = std::move(writer); }

const ombrix_export::THtmlPictureWriter& HtmlPictureWriter() { return Writer(); }

}  // namespace ombrix_cli
