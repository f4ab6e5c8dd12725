// Keyword tables of field description files. Each row names a keyword, the
// field of a record it holds and how its value is read and written; the
// writer walks a table in order, the reader looks keywords up in the same
// table, so a keyword and its value syntax are stated once.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>

#include <ombrix_model/angles.h>
#include <ombrix_model/time_scales.h>
#include <runbase/fixed_text.h>

#include "ofd_sections.h"
#include "ombrix_field/object.h"
#include "ombrix_field/ofd.h"
#include "ombrix_field/series_file.h"

namespace ombrix_data {

// One keyword of a section whose fields live in a `Record`.
template <class Record>
struct TKeyword {
  const char* keyword;
  // Reads "= value" (or the body of a nested section) into the record.
  bool (*read)(COFDReader& reader, Record& record);
  // Writes the keyword's line (or nested section) when the record calls for it.
  void (*write)(COFDWriter& writer, const char* keyword, const Record& record);
  // An older name read like `keyword`, or null.
  const char* alias = nullptr;
};

// The row of `keyword` (or its alias) in the table, or null.
template <class Record>
const TKeyword<Record>* FindKeyword(std::span<const TKeyword<Record>> table, const char* keyword) {
  for (const TKeyword<Record>& row : table)
    if (std::strcmp(row.keyword, keyword) == 0 || (row.alias && std::strcmp(row.alias, keyword) == 0))
      return &row;
  return nullptr;
}

// Writes every row of the table in order.
template <class Record>
void WriteKeywords(COFDWriter& writer, std::span<const TKeyword<Record>> table, const Record& record) {
  for (const TKeyword<Record>& row : table) row.write(writer, row.keyword, record);
}

// ---- the tables ----

extern const std::span<const TKeyword<CObjectListElem>> kObjectKeywords;
extern const std::span<const TKeyword<CMetaData>> kMetaDataKeywords;
extern const std::span<const TKeyword<TStarData>> kStarKeywords;
extern const std::span<const TKeyword<CMinimaListElem>> kMinimumKeywords;
extern const std::span<const TKeyword<CLocalSeriesTreeElem>> kLocalSeriesKeywords;
extern const std::span<const TKeyword<CWebSeriesLocalDataTreeElem>> kWebSeriesKeywords;

// Comparison and check stars: sections named by a prefix and the index
// ("cmp0" ... "end_cmp0"), indices below kMaxIndexedStars.
inline constexpr std::uint32_t kMaxIndexedStars = 10;

struct TIndexedStars {
  const char* prefix;
  const char* tooManyText;                              // error for an index too high
  std::uint32_t CMetaData::*count;                      // records in use
  TStarData* CMetaData::*stars;                         // the records
  TStarData& (CMetaData::*grow)(std::uint32_t index);   // grows to hold `index`
};

inline constexpr TIndexedStars kIndexedStars[] = {
    {"cmp", "Too many comparison stars (> 10)", &CMetaData::cmpCount, &CMetaData::cmp,
     &CMetaData::ComparisonStar},
    {"chk", "Too many check stars (> 10)", &CMetaData::chkCount, &CMetaData::chk, &CMetaData::CheckStar},
};

// ---- row builders ----
// TKeywordRows<Record>::Text<&Record::name>("star_name") and its siblings
// build a row from the member the keyword holds (a member of Record or of a
// base class); the member's array size gives the capacity of a text.

template <class T>
struct TMember;
template <class C, class T>
struct TMember<T C::*> {
  using Type = T;
};
template <auto kMember>
using MemberType = typename TMember<decltype(kMember)>::Type;
template <auto kMember>
inline constexpr std::uint32_t kHighOf = std::extent_v<MemberType<kMember>> - 1;

// When a row is written: always, or only when its field is set.
enum class TWritten : std::uint8_t { always, whenSet };

// An enumeration written as one of the words of its table ("jd_type =
// geocentric"); values the table lacks are written as its first word.
struct TWord {
  std::int32_t value;
  const char* word;
};

// The time scale named by the word after the value just read; false (and
// `scale` unchanged) when there is none or it names no scale, which newer
// files may add.
inline bool ReadScaleTrailer(const COFDReader& reader, ombrix_model::TTimeScale& scale) {
  return ombrix_model::TimeScaleFromLabel(reader.Trailer(), scale);
}

// Highest index of a sexagesimal coordinate's text as read.
inline constexpr std::uint32_t kCoordinateTextHigh = 63;

// A sky coordinate kept in radians, written as quoted sexagesimal hours or
// degrees when known.
struct TAngleUnit {
  double radiansPerUnit;
  double unknown;   // the record's "unknown" marker
  bool degrees;     // degrees (+DD:MM:SS.ss) or hours (HH:MM:SS.sss)
};
inline constexpr TAngleUnit kHours{ombrix_model::kRadiansPerHour, kUnknownRA, false};
inline constexpr TAngleUnit kDegrees{ombrix_model::kRadiansPerDegree, kUnknownDec, true};

template <class R>
struct TKeywordRows {
  // Quoted text of a fixed array ("set": not empty).
  template <auto kMember, TWritten kWritten = TWritten::always>
  static constexpr TKeyword<R> Text(const char* keyword, const char* alias = nullptr) {
    constexpr std::uint32_t high = kHighOf<kMember>;
    return {keyword, [](COFDReader& r, R& record) { return r.ReadQuotedField(high, record.*kMember); },
            [](COFDWriter& w, const char* k, const R& record) {
              if (kWritten == TWritten::always || !FixedText::View(high, record.*kMember).empty())
                w.QuotedField(k, high, record.*kMember);
            },
            alias};
  }

  // A bare token of a fixed array, written as it stands.
  template <auto kMember>
  static constexpr TKeyword<R> Token(const char* keyword) {
    constexpr std::uint32_t high = kHighOf<kMember>;
    return {keyword, [](COFDReader& r, R& record) { return r.ReadBareToken(high, record.*kMember); },
            [](COFDWriter& w, const char* k, const R& record) {
              w.Word(k, std::string(FixedText::View(high, record.*kMember)).c_str());
            }};
  }

  // A real with kDecimals decimals, always written.
  template <auto kMember, int kDecimals = COFDWriter::kRealDecimals>
  static constexpr TKeyword<R> Real(const char* keyword) {
    return {keyword, [](COFDReader& r, R& record) { return r.ReadReal(record.*kMember); },
            [](COFDWriter& w, const char* k, const R& record) { w.Real(k, record.*kMember, kDecimals); }};
  }

  // A real written only when it differs from its "unknown" or default value
  // (a named constant: clang takes no doubles as template arguments).
  template <auto kMember, const double& kUnset, int kDecimals = COFDWriter::kRealDecimals>
  static constexpr TKeyword<R> RealUnless(const char* keyword) {
    return {keyword, [](COFDReader& r, R& record) { return r.ReadReal(record.*kMember); },
            [](COFDWriter& w, const char* k, const R& record) {
              if (record.*kMember != kUnset) w.Real(k, record.*kMember, kDecimals);
            }};
  }

  template <auto kMember>
  static constexpr TKeyword<R> Boolean(const char* keyword) {
    return {keyword, [](COFDReader& r, R& record) { return r.ReadBoolean(record.*kMember); },
            [](COFDWriter& w, const char* k, const R& record) { w.Boolean(k, record.*kMember); }};
  }

  // A 64-bit number in hexadecimal.
  template <auto kMember>
  static constexpr TKeyword<R> Hex(const char* keyword) {
    return {keyword, [](COFDReader& r, R& record) { return r.ReadHex(record.*kMember); },
            [](COFDWriter& w, const char* k, const R& record) { w.Hex(k, record.*kMember); }};
  }

  // A 32-bit integer (or an enumeration stored as one).
  template <auto kMember>
  static constexpr TKeyword<R> Integer(const char* keyword) {
    return {keyword,
            [](COFDReader& r, R& record) {
              std::int32_t value = 0;
              if (!r.ReadInt32(value)) return false;
              record.*kMember = static_cast<MemberType<kMember>>(value);
              return true;
            },
            [](COFDWriter& w, const char* k, const R& record) { w.Integer(k, record.*kMember); }};
  }

  // A quoted dynamic string, written when not empty.
  template <auto kMember>
  static constexpr TKeyword<R> DynamicText(const char* keyword) {
    return {keyword,
            [](COFDReader& r, R& record) { return r.ReadQuotedDString(kPathHigh, record.*kMember); },
            [](COFDWriter& w, const char* k, const R& record) { WriteDString(w, k, record.*kMember); }};
  }

  // An enumeration read and written as a word of kWords.
  template <auto kMember, const auto& kWords, TWritten kWritten = TWritten::always>
  static constexpr TKeyword<R> Word(const char* keyword) {
    return {keyword,
            [](COFDReader& r, R& record) {
              char word[kKeywordHigh + 1];
              if (!r.ReadIdentifier(kKeywordHigh, word)) return false;
              for (const TWord& known : kWords) {
                if (std::strcmp(word, known.word) == 0) {
                  record.*kMember = static_cast<MemberType<kMember>>(known.value);
                  return true;
                }
              }
              return r.FailUnknown(word);
            },
            [](COFDWriter& w, const char* k, const R& record) {
              const std::int32_t value = record.*kMember;
              if (kWritten == TWritten::whenSet && value == 0) return;
              const char* word = kWords[0].word;
              for (const TWord& known : kWords)
                if (known.value == value) word = known.word;
              w.Word(k, word);
            }};
  }

  // A time with its scale riding after it: written only when not HJD; a
  // missing or unknown word reads as HJD.
  template <auto kMember, auto kScale, int kDecimals>
  static constexpr TKeyword<R> ScaledTime(const char* keyword) {
    return {keyword,
            [](COFDReader& r, R& record) {
              if (!r.ReadReal(record.*kMember)) return false;
              record.*kScale = ombrix_model::tsHJD;
              ReadScaleTrailer(r, record.*kScale);
              return true;
            },
            [](COFDWriter& w, const char* k, const R& record) {
              const ombrix_model::TTimeScale scale = record.*kScale;
              w.Real(k, record.*kMember, kDecimals,
                     scale == ombrix_model::tsHJD ? nullptr : ombrix_model::TimeScaleLabel(scale));
            }};
  }

  // A sexagesimal coordinate; a value that does not parse leaves it as it was.
  template <auto kMember, const TAngleUnit& kUnit>
  static constexpr TKeyword<R> Angle(const char* keyword) {
    return {keyword,
            [](COFDReader& r, R& record) {
              char text[kCoordinateTextHigh + 1];
              std::size_t kept = 0;
              if (!r.ReadQuoted(kCoordinateTextHigh, text, kept)) return false;
              double units = 0;
              if (ParseSexagesimal(text, std::min<std::size_t>(kept, kCoordinateTextHigh + 1), units))
                record.*kMember = units * kUnit.radiansPerUnit;
              return true;
            },
            [](COFDWriter& w, const char* k, const R& record) {
              if (record.*kMember != kUnit.unknown)
                WriteSexagesimal(w, k, record.*kMember / kUnit.radiansPerUnit, kUnit.degrees);
            }};
  }

  // A nested section with its own reader and writer.
  static constexpr TKeyword<R> Section(const char* keyword, bool (*read)(COFDReader&, R&),
                                       void (*write)(COFDWriter&, const char*, const R&)) {
    return {keyword, read, write};
  }
};


}  // namespace ombrix_data
