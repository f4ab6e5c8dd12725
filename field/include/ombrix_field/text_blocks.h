// Text blocks that move parts of one object between objects and fields,
// through a file or the clipboard: its fit parameters, its whole object data
// and the offsets of its series.
//
// Each block starts with its own leading keyword line and otherwise uses the
// keyword grammar and the section writers and readers of field description
// files (ombrix_field/ofd.h); lines end with CR LF.
//
//   OmbrixFitParameters        then one "fit" section
//   OmbrixObjectData           then one "object" section
//   OmbrixSeriesOffsets        then "<integer part of first point time> = <offset>"
//                              per series with points, in series order, not indented
//
// The operations below are what the menu commands call after their own file
// dialog and confirmation. They act on the selected object and do nothing
// without one (null object: false, no message); the offset operations also do
// nothing when the object has no series. Every failure is shown through CUserIO
// with the stop icon. Load and paste operations return true when the object
// changed: the caller then refreshes its lists and charts and reports the
// field as changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ombrix_field/object.h"
#include "ombrix_field/ofd.h"
#include "ombrix_field/user_io.h"

namespace ombrix_data {

inline constexpr const char* kFitBlockKeyword = "OmbrixFitParameters";
inline constexpr const char* kObjectDataBlockKeyword = "OmbrixObjectData";
inline constexpr const char* kSeriesOffsetsBlockKeyword = "OmbrixSeriesOffsets";

// Largest block file that is read; only regular files are read.
inline constexpr std::uint64_t kMaxTextBlockFileSize = 16ull << 20;

// Where a block being read comes from; the message texts differ.
enum class TBlockSource : std::uint8_t {
  file,
  clipboard,
};

// ---- block texts ----

void WriteFitBlock(const CObjectListElem& object, std::string& text);
void WriteObjectDataBlock(const CObjectListElem& object, std::string& text);
void WriteSeriesOffsetsBlock(const CObjectListElem& object, std::string& text);

// Reads block 1 into the object's fit parameters. Once the leading "fit"
// keyword is found the fit is marked present and the result is true, also
// when the section reader fails (its error is shown first; parameters read
// before the failure keep their new values).
bool ReadFitBlock(const char* data, std::size_t length, TBlockSource source,
                  CObjectListElem& object, CUserIO& io);

// Reads block 2 into the object: the fit-present flag is cleared (and the
// flux flag, when the object has no series yet), each keyword present
// overwrites its field, note lines are appended, series and repository
// settings are added to those the object has. Series that cannot be loaded,
// are duplicates or have the other value type are dropped silently. Series
// files are looked for in `context.folders`; the context's io, progress and
// repository user are not used (repository series are not reloaded here).
// True once the leading "object" keyword is found, also when the section
// reader fails later (its error is shown; fields read before keep values).
bool ReadObjectDataBlock(const char* data, std::size_t length, TBlockSource source,
                         const TFieldLoadContext& context, CObjectListElem& object, CUserIO& io);

// Reads block 3: each line "<key> = <offset>" gives the offset to the first
// series with points whose first point time truncated to an integer equals
// the key. Reading stops quietly at the first line of another form. True
// when the leading keyword was followed by at least one line.
bool ReadSeriesOffsetsBlock(const char* data, std::size_t length, TBlockSource source,
                            CObjectListElem& object, CUserIO& io);

// ---- menu operations ----
// Save: true when the file was written (atomically: a failed write leaves a
// previous file as it was). Copy: true when the text is on the clipboard.
// Load and paste: true when the object changed.

bool SaveFitParameters(const CObjectListElem* object, const char* path, CUserIO& io);
bool LoadFitParameters(CObjectListElem* object, const char* path, CUserIO& io);
bool CopyFitParameters(const CObjectListElem* object);
bool PasteFitParameters(CObjectListElem* object, CUserIO& io);

bool SaveObjectData(const CObjectListElem* object, const char* path, CUserIO& io);
bool LoadObjectData(CObjectListElem* object, const char* path, const TFieldLoadContext& context,
                    CUserIO& io);
bool CopyObjectData(const CObjectListElem* object);
bool PasteObjectData(CObjectListElem* object, const TFieldLoadContext& context, CUserIO& io);

bool SaveSeriesOffsets(const CObjectListElem* object, const char* path, CUserIO& io);
bool LoadSeriesOffsets(CObjectListElem* object, const char* path, CUserIO& io);
bool CopySeriesOffsets(const CObjectListElem* object);
bool PasteSeriesOffsets(CObjectListElem* object, CUserIO& io);

}  // namespace ombrix_data
