// Internals shared by the field description writer and reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ombrix_field/ofd.h"

namespace ombrix_data {

// Highest index of one notes line.
inline constexpr std::uint32_t kNotesLineHigh = 1023;

// The sixteen fit parameters in the order of the "fit" section.
const ombrix_model::TFitParameterIndex* FitParametersInFileOrder();

// Cursor over field description text held in memory, with the value readers.
// Every reader returns false after setting the error text; after a keyword or
// a value the cursor moves to the start of the next non-empty line.
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
  bool Integer(std::int64_t& value);
  bool Int32(std::int32_t& value);
  bool Real(double& value);
  bool Boolean(bool& value);
  bool Hex(std::uint64_t& value);
  bool Identifier(std::uint32_t high, char* word);
  // Quoted text cut to `high` + 1 characters; `length` is the length kept.
  bool Quoted(std::uint32_t high, char* text, std::size_t& length);
  bool QuotedField(std::uint32_t high, char* text);
  bool QuotedDString(std::uint32_t high, vdstr::TDStringA*& text);
  bool BareToken(std::uint32_t high, char* token);

  bool Fail(const char* text, const char* detail = nullptr);
  bool FailUnknown(const char* keyword) { return Fail("Unknown keyword: ", keyword); }
  bool FailEnd() { return Fail("Unexpected end off OFD file"); }

  // Sections whose start keyword was just read.
  bool MetaData(CMetaData& metaData);
  bool Minimum(CMinimaList& minima);
  // A "fit" section into the object's parameters; marks the fit present.
  bool Fit(CObjectListElem& object);
  // One "object" section into the object.
  bool Object(CObjectListElem& object);

 private:
  bool Equals();
  void SkipBlanks();
  void SkipSeparators();
  void NextLine();
  bool FailToken(const char* text);
  bool Star(TStarData& star, const char* endKeyword);
  bool Series(CObjectListElem& object);
  bool WebSeries(CObjectListElem& object);
  bool Notes(CObjectListElem& object);

  const char* data_;
  std::size_t length_;
  std::size_t pos_ = 0;
};

// Reads a whole file into memory; false when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string& data);

enum class TWriteResult : std::uint8_t { ok, cannotCreate, cannotWrite };

// Replaces the file's content by `text` through a temporary file in the same
// folder, keeping the previous file as ".bak" when asked. On failure the
// previous file is as it was and `cause` holds the error code.
TWriteResult ReplaceFileText(const char* path, const std::string& text, bool keepBackup, int& cause);

}  // namespace ombrix_data
