// Field description files (.ofd): the keyword text that stores a field, its
// writer and reader, saving with a backup and loading with messages.
//
// The text is 8-bit, one keyword per line, optionally followed by " = " and a
// value, indented by one tab per nesting level, lines ended by CR LF. Point
// data are not stored: local series are reloaded from their files and
// repository series from the repository cache while the field is read.
//
// Time scales ride after a value as one more word, which readers that do not
// know them skip with the rest of the line: "time = 2458739.929117 BJD_TDB"
// (a minimum not in its series' legacy scale), "m0 = ... BJD_TDB" and
// "saved_m0 = ... BJD_TDB" (an epoch not in HJD) and "jd_type =
// heliocentric BJD_TDB" (stated barycentric times, which older readers take
// as already corrected). Without the word the file reads as it always did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ombrix_field/field.h"
#include "ombrix_field/series_file.h"
#include "ombrix_field/user_io.h"

namespace ombrix_data {

// Version written into new files; files of a higher version are refused.
inline constexpr std::int32_t kOFDVersion = 4;

// Largest field description file that is read (far beyond any real field;
// a bound so that a wrong name cannot exhaust memory).
inline constexpr std::uint64_t kMaxFieldFileSize = 64ull << 20;

// Rebuilds the repository series of a published object from the local cache
// and applies the object's stored repository-series settings to them. The
// repository cache implements it and registers itself; until one is
// registered nothing is loaded for published objects.
class CRepositorySeriesSource {
 public:
  virtual ~CRepositorySeriesSource() = default;
  virtual void LoadObjectSeries(CObjectListElem& object, const char* repositoryUser) = 0;
};

// Registers the source (null unregisters). The caller keeps ownership.
void SetRepositorySeriesSource(CRepositorySeriesSource* source);
CRepositorySeriesSource* RepositorySeriesSource();

// Progress of a load: objects read out of the "objects" count of the file.
class CFieldLoadProgress {
 public:
  virtual ~CFieldLoadProgress() = default;
  virtual void Begin(std::uint32_t total) = 0;
  virtual void Step(std::uint32_t done, std::uint32_t total) = 0;
  virtual void End() = 0;
};

// Builds field description text. Each line goes out indented by the current
// nesting level and ended by CR LF. Numbers never follow the user's locale.
class COFDWriter {
 public:
  static constexpr int kRealDecimals = 6;  // decimals of a real unless stated

  std::string text;  // the text built so far

  void BeginSection(const char* keyword);       // keyword line, one level deeper
  void EndSection(const char* endKeyword);      // one level up, end keyword line
  void Keyword(const char* keyword);            // a line with the keyword alone
  // keyword = bare word, then the trailing word when there is one.
  void Word(const char* keyword, const char* word, const char* trailer = nullptr);
  void Integer(const char* keyword, std::int64_t value);
  // Real with `decimals` decimals; exactly 0 is written "0".
  void Real(const char* keyword, double value, int decimals = kRealDecimals, const char* trailer = nullptr);
  void Boolean(const char* keyword, bool value);
  void Hex(const char* keyword, std::uint64_t value);  // upper-case, no prefix
  // Quoted text of at most `length` characters, inner quotes doubled.
  void Quoted(const char* keyword, const char* value, std::size_t length);
  // Quoted text of a fixed array of highest index `high`.
  void QuotedField(const char* keyword, std::uint32_t high, const char* value);

  // Sections of the model.
  void WriteMetaData(const CMetaData& metaData);
  void WriteStar(const char* section, const char* endSection, const TStarData& star);
  // The minima of `series` (null for stored repository settings, whose
  // minima keep the scales as read).
  void WriteMinima(const CMinimaList& minima, const CSeriesTreeElem* series);
  void WriteFit(const ombrix_model::TFitParameters& fit);
  void WriteNotes(const vdstr::TDStringA* notes);
  void WriteObject(const CObjectListElem& object);
  // Local settings of one repository series.
  void WriteWebSeries(const CWebSeriesLocalDataTreeElem& settings);

 private:
  void LineStart(const char* keyword);
  void ValueStart(const char* keyword);
  void LineEnd();
  int level_ = 0;
};

// The whole text of a field, from "ombrix" to "end_ombrix".
void WriteFieldText(const CField& field, std::string& text);

// What a load needs besides the text: where messages go (null: no messages),
// where series files are looked for, the logged-in repository user (empty
// when offline) and the progress display (may be null).
struct TFieldLoadContext {
  CUserIO* io = nullptr;
  TSeriesFolders folders{"", ""};
  const char* repositoryUser = "";
  CFieldLoadProgress* progress = nullptr;
  // A series whose file cannot be read stays in its object marked missing,
  // with its settings as read, so that saving keeps it until the file is
  // back; when false such a series is dropped.
  bool keepMissingSeries = true;
};

// Parses field description text held in memory. The field is emptied at the
// first object and filled object by object. True on success; on failure
// `errorText` (highest index kErrorTextHigh) holds the reason and the field is
// empty. `changed` tells whether series were removed while loading.
bool ReadFieldText(const char* data, std::size_t length, const TFieldLoadContext& context,
                   CField& field, bool& changed, char* errorText);

// "Load Field": reads the file and parses it; failures are shown as
// "Failed load field description" (stop icon) and leave the field empty.
// Only a regular file of at most kMaxFieldFileSize bytes is read (never a
// pipe or device, which could block or never end).
bool LoadField(const char* path, const TFieldLoadContext& context, CField& field, bool& changed);

// "Save Field": writes the text to a temporary file in the same folder, flushes
// it, keeps an existing file as ".bak" and renames the new file into place. On
// any failure the previous file stays as it was and "Failed save field
// description" is shown with the cause.
bool SaveField(const CField& field, const char* path, CUserIO& io);

}  // namespace ombrix_data
