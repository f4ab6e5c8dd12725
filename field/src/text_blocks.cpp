// The fit, object-data and series-offset text blocks: writing them, reading
// them with the field description readers, and moving them through files and
// the clipboard with their messages.
#include "ombrix_field/text_blocks.h"

#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include <corekit/clipboard.h>

#include "ofd_sections.h"

namespace ombrix_data {

namespace {

constexpr std::uint32_t kBlockKeywordHigh = 63;

// Message texts of one kind of block.
struct TBlockTexts {
  const char* keyword;             // leading keyword of the block
  const char* sectionKeyword;      // keyword that must follow it, or null
  const char* loadCaption;         // reading a file failed
  const char* saveCaption;         // writing a file failed
  const char* pasteCaption;        // the clipboard text is wrong
  const char* pasteKeywordLine;    // first line of a wrong keyword on the clipboard
  const char* damagedPasteCaption; // the clipboard text ends after the keyword
  const char* damagedPasteLine;
};

constexpr TBlockTexts kFitTexts{kFitBlockKeyword,
                                kFitSection.begin,
                                "Failed loading fit parameters",
                                "Failed saving fit parameters",
                                "Failed pasting fit paremeters",
                                "Text does not start with required keyword:",
                                "Error in fit description format",
                                "(fit description is probably damaged)"};

constexpr TBlockTexts kObjectTexts{kObjectDataBlockKeyword,
                                   kObjectSection.begin,
                                   kFitTexts.loadCaption,
                                   kFitTexts.saveCaption,
                                   kFitTexts.pasteCaption,
                                   kFitTexts.pasteKeywordLine,
                                   kFitTexts.damagedPasteCaption,
                                   kFitTexts.damagedPasteLine};

constexpr TBlockTexts kOffsetTexts{kSeriesOffsetsBlockKeyword,
                                   nullptr,
                                   "Failed loading series offsets",
                                   "Failed save series offsets",
                                   "Failed pasting series offsets",
                                   "Offset list does not start with required keyword:",
                                   "Error in list of offsets",
                                   "(text is probably damaged)"};

void ShowStop(CUserIO& io, const char* caption, const char* first, const char* second = nullptr) {
  io.ShowMessage({caption, {first, second, nullptr}, TMessageIcon::stop});
}

// Caption of a failure of the section reader.
const char* ReaderFailureCaption(const TBlockTexts& texts, TBlockSource source) {
  return source == TBlockSource::file ? texts.loadCaption : texts.pasteCaption;
}

void ShowWrongKeyword(const TBlockTexts& texts, TBlockSource source, const char* keyword, CUserIO& io) {
  if (source == TBlockSource::file)
    ShowStop(io, texts.loadCaption, "File does not start with required keyword:", keyword);
  else
    ShowStop(io, texts.pasteCaption, texts.pasteKeywordLine, keyword);
}

void ShowDamaged(const TBlockTexts& texts, TBlockSource source, CUserIO& io) {
  if (source == TBlockSource::file)
    ShowStop(io, "Error in file format", "(file is probably damaged)");
  else
    ShowStop(io, texts.damagedPasteCaption, texts.damagedPasteLine);
}

bool ReadExpectedKeyword(COFDReader& reader, const char* expected) {
  char keyword[kBlockKeywordHigh + 1];
  return reader.NextKeyword(kBlockKeywordHigh, keyword) && std::strcmp(keyword, expected) == 0;
}

// The leading keyword, the end of its line and, when the block has one, the
// section keyword; false after showing what is wrong.
bool ReadBlockStart(COFDReader& reader, const TBlockTexts& texts, TBlockSource source, CUserIO& io) {
  if (!ReadExpectedKeyword(reader, texts.keyword)) {
    ShowWrongKeyword(texts, source, texts.keyword, io);
    return false;
  }
  reader.EndLine();
  if (reader.AtEnd()) {
    ShowDamaged(texts, source, io);
    return false;
  }
  if (!texts.sectionKeyword) return true;
  if (!ReadExpectedKeyword(reader, texts.sectionKeyword)) {
    ShowWrongKeyword(texts, source, texts.sectionKeyword, io);
    return false;
  }
  reader.EndLine();
  return true;
}

// Integer part of a first point time, the key of an offset line; false when
// the time has no such integer.
bool DayKey(double time, std::int64_t& key) {
  if (!std::isfinite(time) || std::fabs(time) >= 9.0e18) return false;
  key = static_cast<std::int64_t>(std::trunc(time));
  return true;
}

// The series with points whose key is `key`, the `occurrence`-th of them
// (from 0) in series order; null when there are fewer.
CSeriesTreeElem* SeriesWithKey(const CObjectListElem& object, std::int64_t key, std::uint32_t occurrence) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    std::int64_t seriesKey = 0;
    if (s->pointCount > 0 && DayKey(s->FirstTime(), seriesKey) && seriesKey == key && occurrence-- == 0) return s;
  }
  return nullptr;
}

bool HasSeries(const CObjectListElem* object) { return object && object->HasLoadedSeries(); }

using TBlockWriter = void (*)(const CObjectListElem&, std::string&);

bool SaveBlock(const CObjectListElem& object, TBlockWriter write, const TBlockTexts& texts, const char* path,
               CUserIO& io) {
  std::string text;
  write(object, text);
  int cause = 0;
  switch (ReplaceFileText(path, text, false, cause)) {
    case TWriteResult::ok: return true;
    case TWriteResult::cannotCreate: ShowStop(io, texts.saveCaption, "Cannot create file", path); break;
    case TWriteResult::cannotWrite: ShowStop(io, texts.saveCaption, "Cannot write file", path); break;
  }
  return false;
}

bool CopyBlock(const CObjectListElem& object, TBlockWriter write) {
  std::string text;
  write(object, text);
  return vcom::ClipboardProvider().SetText(text.data(), text.size());
}

// The file's text, or false after "Cannot open file: " (or what else is
// wrong) and the path.
bool ReadBlockFile(const char* path, const TBlockTexts& texts, std::string& text, CUserIO& io) {
  const FIO::WholeFile read = ReadWholeFile(path, kMaxTextBlockFileSize, text);
  if (read == FIO::WholeFile::ok) return true;
  const std::string line = WholeFileProblem(read, kMaxTextBlockFileSize) + ": " + path;
  ShowStop(io, texts.loadCaption, line.c_str());
  return false;
}

// The clipboard's text, or false after "No text in clipboard" (an empty text
// counts as none).
bool ReadClipboardText(std::string& text, CUserIO& io) {
  if (vcom::ClipboardProvider().GetText(text) && !text.empty()) return true;
  ShowStop(io, kFitTexts.pasteCaption, "No text in clipboard");
  return false;
}

}  // namespace

// ---- block texts ----

void WriteFitBlock(const CObjectListElem& object, std::string& text) {
  COFDWriter w;
  w.Keyword(kFitBlockKeyword);
  w.WriteFit(object.fit);
  text.swap(w.text);
}

void WriteObjectDataBlock(const CObjectListElem& object, std::string& text) {
  COFDWriter w;
  w.Keyword(kObjectDataBlockKeyword);
  w.WriteObject(object);
  text.swap(w.text);
}

void WriteSeriesOffsetsBlock(const CObjectListElem& object, std::string& text) {
  COFDWriter w;
  w.Keyword(kSeriesOffsetsBlockKeyword);
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    std::int64_t key = 0;
    if (s->pointCount > 0 && DayKey(s->FirstTime(), key)) w.Real(std::to_string(key).c_str(), s->offset);
  }
  text.swap(w.text);
}

bool ReadFitBlock(const char* data, std::size_t length, TBlockSource source, CObjectListElem& object,
                  CUserIO& io) {
  const TFieldLoadContext context;
  COFDReader reader(data, length, context);
  if (!ReadBlockStart(reader, kFitTexts, source, io)) return false;
  if (!reader.ReadFit(object)) ShowStop(io, ReaderFailureCaption(kFitTexts, source), reader.error);
  object.fitPresent = true;
  return true;
}

bool ReadObjectDataBlock(const char* data, std::size_t length, TBlockSource source,
                         const TFieldLoadContext& context, CObjectListElem& object, CUserIO& io) {
  // Series are read without messages and repository series are not reloaded.
  TFieldLoadContext quiet;
  quiet.folders = context.folders;
  quiet.keepMissingSeries = false;
  COFDReader reader(data, length, quiet);
  if (!ReadBlockStart(reader, kObjectTexts, source, io)) return false;
  object.fitPresent = false;
  // The flux flag follows the first series; series the object already has
  // keep stating it, so that pasted series of the other value type are dropped.
  if (!object.HasLoadedSeries()) object.fluxFlag = false;
  if (!reader.ReadObject(object)) ShowStop(io, ReaderFailureCaption(kObjectTexts, source), reader.error);
  return true;
}

bool ReadSeriesOffsetsBlock(const char* data, std::size_t length, TBlockSource source,
                            CObjectListElem& object, CUserIO& io) {
  const TFieldLoadContext context;
  COFDReader reader(data, length, context);
  if (!ReadBlockStart(reader, kOffsetTexts, source, io)) return false;
  // Series of one night share a key and are written in series order, so the
  // n-th line of a key belongs to the n-th series with that key.
  std::map<std::int64_t, std::uint32_t> linesOfKey;
  std::int64_t key = 0;
  double offset = 0;
  while (reader.LeadingInteger(key) && reader.ReadReal(offset))
    if (CSeriesTreeElem* s = SeriesWithKey(object, key, linesOfKey[key]++)) s->offset = offset;
  return true;
}

// ---- menu operations ----

bool SaveFitParameters(const CObjectListElem* object, const char* path, CUserIO& io) {
  return object && SaveBlock(*object, WriteFitBlock, kFitTexts, path, io);
}

bool LoadFitParameters(CObjectListElem* object, const char* path, CUserIO& io) {
  std::string text;
  return object && ReadBlockFile(path, kFitTexts, text, io) &&
         ReadFitBlock(text.data(), text.size(), TBlockSource::file, *object, io);
}

bool CopyFitParameters(const CObjectListElem* object) { return object && CopyBlock(*object, WriteFitBlock); }

bool PasteFitParameters(CObjectListElem* object, CUserIO& io) {
  std::string text;
  return object && ReadClipboardText(text, io) &&
         ReadFitBlock(text.data(), text.size(), TBlockSource::clipboard, *object, io);
}

bool SaveObjectData(const CObjectListElem* object, const char* path, CUserIO& io) {
  return object && SaveBlock(*object, WriteObjectDataBlock, kObjectTexts, path, io);
}

bool LoadObjectData(CObjectListElem* object, const char* path, const TFieldLoadContext& context,
                    CUserIO& io) {
  std::string text;
  return object && ReadBlockFile(path, kObjectTexts, text, io) &&
         ReadObjectDataBlock(text.data(), text.size(), TBlockSource::file, context, *object, io);
}

bool CopyObjectData(const CObjectListElem* object) {
  return object && CopyBlock(*object, WriteObjectDataBlock);
}

bool PasteObjectData(CObjectListElem* object, const TFieldLoadContext& context, CUserIO& io) {
  std::string text;
  return object && ReadClipboardText(text, io) &&
         ReadObjectDataBlock(text.data(), text.size(), TBlockSource::clipboard, context, *object, io);
}

bool SaveSeriesOffsets(const CObjectListElem* object, const char* path, CUserIO& io) {
  return HasSeries(object) && SaveBlock(*object, WriteSeriesOffsetsBlock, kOffsetTexts, path, io);
}

bool LoadSeriesOffsets(CObjectListElem* object, const char* path, CUserIO& io) {
  std::string text;
  return HasSeries(object) && ReadBlockFile(path, kOffsetTexts, text, io) &&
         ReadSeriesOffsetsBlock(text.data(), text.size(), TBlockSource::file, *object, io);
}

bool CopySeriesOffsets(const CObjectListElem* object) {
  return HasSeries(object) && CopyBlock(*object, WriteSeriesOffsetsBlock);
}

bool PasteSeriesOffsets(CObjectListElem* object, CUserIO& io) {
  std::string text;
  return HasSeries(object) && ReadClipboardText(text, io) &&
         ReadSeriesOffsetsBlock(text.data(), text.size(), TBlockSource::clipboard, *object, io);
}

}  // namespace ombrix_data
