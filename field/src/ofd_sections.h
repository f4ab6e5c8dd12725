// Internals shared by the field description writer and reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <runbase/fio.h>

#include "ombrix_field/ofd.h"

namespace ombrix_data {

// Highest index of one notes line.
inline constexpr std::uint32_t kNotesLineHigh = 1023;
// Highest index of a keyword as the reader keeps it.
inline constexpr std::uint32_t kKeywordHigh = 63;

// The start and end keywords of a section.
struct TSectionKeywords {
  const char* begin;
  const char* end;
};

inline constexpr TSectionKeywords kFieldSection{"ombrix", "end_ombrix"};
inline constexpr TSectionKeywords kObjectSection{"object", "end_object"};
inline constexpr TSectionKeywords kMetaDataSection{"meta_data", "end_meta_data"};
inline constexpr TSectionKeywords kVariableStarSection{"var", "end_var"};
inline constexpr TSectionKeywords kFitSection{"fit", "end_fit"};
inline constexpr TSectionKeywords kNotesSection{"notes", "end_notes"};
inline constexpr TSectionKeywords kSeriesSection{"series", "end_series"};
inline constexpr TSectionKeywords kWebSeriesSection{"web_series", "end_web_series"};
inline constexpr TSectionKeywords kMinimumSection{"minimum", "end_minimum"};

// Keywords of the top level and of the notes section.
inline constexpr const char* kVersionKeyword = "version";
inline constexpr const char* kObjectCountKeyword = "objects";
inline constexpr const char* kNotesLineKeyword = "line";

// Owns a model element until it is handed on (to a tree or list); frees it as
// the containers do, with Done and delete.
struct TDoneDeleter {
  template <class T>
  void operator()(T* element) const {
    element->Done();
    delete element;
  }
};
template <class T>
using TOwned = std::unique_ptr<T, TDoneDeleter>;

// Cursor over field description text held in memory, with the value readers.
// Every reader returns false after setting the error text; after a keyword or
// a value the cursor moves to the start of the next non-empty line. A UTF-8
// byte-order mark at the start of the text is passed over.
class COFDReader {
 public:
  COFDReader(const char* data, std::size_t length, const TFieldLoadContext& context);

  const TFieldLoadContext& context;
  bool changed = false;             // series were removed while loading
  char error[kErrorTextHigh + 1];   // the error text of the first failure

  // Next keyword (up to `high` + 1 characters); false at the end of the data
  // ("Unexpected end off OFD file") or when no identifier stands there.
  bool NextKeyword(std::uint32_t high, char* keyword);
  bool AtEnd() const { return pos_ >= length_; }
  // Moves to the start of the next non-empty line unless the cursor already
  // stands at the start of a line.
  void EndLine();
  // An integer at the cursor, without a leading "="; false (cursor and error
  // text unchanged) when none stands there.
  bool LeadingInteger(std::int64_t& value);

  // "=" and a value of each kind.
  bool ReadInteger(std::int64_t& value);
  bool ReadInt32(std::int32_t& value);
  bool ReadReal(double& value);
  bool ReadBoolean(bool& value);
  bool ReadHex(std::uint64_t& value);
  bool ReadIdentifier(std::uint32_t high, char* word);
  // Quoted text cut to `high` + 1 characters; `length` is the length kept.
  bool ReadQuoted(std::uint32_t high, char* text, std::size_t& length);
  bool ReadQuotedField(std::uint32_t high, char* text);
  bool ReadQuotedDString(std::uint32_t high, vdstr::TDStringA*& text);
  // A bare token: up to a control character, space, comma or semicolon.
  bool ReadBareToken(std::uint32_t high, char* token);

  // The first word after the value just read on its line (empty when the
  // value ended the line): where a time scale rides.
  std::string_view Trailer() const { return trailer_; }

  bool Fail(const char* text, const char* detail = nullptr);
  bool FailUnknown(const char* keyword) { return Fail("Unknown keyword: ", keyword); }
  bool FailEnd() { return Fail("Unexpected end off OFD file"); }

  // Sections whose start keyword was just read.
  bool ReadMetaData(CMetaData& metaData);
  bool ReadStar(TStarData& star, const char* endKeyword);
  bool ReadMinimum(CMinimaList& minima);
  // A "fit" section into the object's parameters; marks the fit present.
  bool ReadFit(CObjectListElem& object);
  bool ReadNotes(CObjectListElem& object);
  // A "series" section; then its file is loaded and the series joins the
  // object, stays in it marked missing, or is dropped with a message.
  bool ReadSeries(CObjectListElem& object);
  bool ReadWebSeries(CObjectListElem& object);
  // One "object" section into the object.
  bool ReadObject(CObjectListElem& object);

 private:
  bool ReadEquals();
  void ScanBareToken(std::uint32_t high, char* token);
  void SkipBlanks();
  void SkipSeparators();
  void NextLine();
  bool FailToken(const char* text);
  void ShowSeriesMessage(const char* first, const char* second, const char* third) const;
  void DropSeries(TOwned<CLocalSeriesTreeElem> series, const char* reason);

  const char* data_;
  std::size_t length_;
  std::size_t pos_ = 0;
  std::string_view trailer_;
};

// Writer helpers used by the keyword tables.
// A quoted dynamic string of at most kPathHigh + 1 characters, when not empty.
void WriteDString(COFDWriter& writer, const char* keyword, const vdstr::TDStringA* text);
// A quoted sexagesimal value of `units` hours or degrees; left out when no
// coordinate could be that large (a damaged value would not read back).
void WriteSexagesimal(COFDWriter& writer, const char* keyword, double units, bool degrees);

// Reads a whole regular file of at most maxBytes bytes into memory.
FIO::WholeFile ReadWholeFile(const char* path, std::uint64_t maxBytes, std::string& data);
// What is wrong with a file that could not be read whole: "Cannot open
// file", "Not a regular file" or "File too big (> 64 MB)".
std::string WholeFileProblem(FIO::WholeFile result, std::uint64_t maxBytes);

enum class TWriteResult : std::uint8_t { ok, cannotCreate, cannotWrite };

// Replaces the file's content by `text` through a temporary file in the same
// folder, keeping the previous file as ".bak" when asked. On failure the
// previous file is as it was and `cause` holds the error code.
TWriteResult ReplaceFileText(const char* path, const std::string& text, bool keepBackup, int& cause);

}  // namespace ombrix_data
