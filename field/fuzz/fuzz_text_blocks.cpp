// Fuzz target of the text-block readers: any input must read as a fit,
// object-data and offset block without crash, hang or leak. An object-data
// block read without a message writes text that reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ombrix_field/text_blocks.h"

namespace {

using namespace ombrix_data;

// An object with two series on the same integer day and one on another.
void AddSeries(CObjectListElem& object) {
  for (double first : {2457000.1, 2457000.6, 2457003.2}) {
    auto* s = new CLocalSeriesTreeElem;
    s->InsertPoint({first, 10.0, 0.01});
    object.InsertSeries(s);
  }
}

// Reads `text` into a fresh object; the block text written afterwards, or
// empty when a message was shown.
std::string ReadAndWriteObject(const char* data, std::size_t size, const TFieldLoadContext& context) {
  CObjectListElem object;
  CScriptedUserIO io;
  const bool read = ReadObjectDataBlock(data, size, TBlockSource::clipboard, context, object, io);
  if (!read || !io.shown.empty()) return {};
  std::string text;
  WriteObjectDataBlock(object, text);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const char* data = reinterpret_cast<const char*>(bytes);
  TFieldLoadContext context;
  context.folders = {"/nonexistent/", "/nonexistent"};

  CObjectListElem fitTarget;
  CScriptedUserIO io;
  if (ReadFitBlock(data, size, TBlockSource::file, fitTarget, io) && !fitTarget.fitPresent) std::abort();

  CObjectListElem offsetTarget;
  AddSeries(offsetTarget);
  ReadSeriesOffsetsBlock(data, size, TBlockSource::clipboard, offsetTarget, io);
  if (offsetTarget.series.count != 3) std::abort();

  const std::string first = ReadAndWriteObject(data, size, context);
  if (first.empty()) return 0;
  if (ReadAndWriteObject(first.data(), first.size(), context) != first) std::abort();
  return 0;
}
