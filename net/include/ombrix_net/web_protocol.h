// The web repository protocol without any window or transport: endpoints and
// request kinds, the object document that publishing sends, the object
// summaries of list and contribute answers, the "status" check of answers,
// the enciphered password, object tokens and the repository URL.
//
// Both the program's client and the repository server build on these, so
// the two sides agree on every member name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <corekit/vlist.h>
#include <ombrix_model/light_curve_model.h>

#include "ombrix_net/sjson.h"

namespace ombrix_data {
class CObjectListElem;
}

namespace ombrix_web {

inline constexpr std::uint32_t kTokenHigh = 64;     // user token, characters
inline constexpr std::uint32_t kUserIdHigh = 64;    // user id
inline constexpr std::uint32_t kUserNameHigh = 80;  // user's full name
inline constexpr std::uint32_t kAccessHigh = 32;    // rights text
inline constexpr std::uint32_t kServerHigh = 260;   // host and path
inline constexpr std::uint32_t kPasswordHigh = 64;  // password characters
inline constexpr std::uint32_t kObjectTokenLength = 16;
inline constexpr std::uint32_t kEncryptedPasswordHigh = 321;

// Request kinds; the code stays set while the request runs.
enum TRequestKind : std::uint8_t {
  rkNone = 0,
  rkLogin = 1,
  rkLogout = 2,
  rkChangePassword = 3,
  rkListObjects = 4,
  rkPublish = 5,
  rkContribute = 6,
  rkUnpublish = 7,
  rkGetObjectData = 8,
};

// Endpoint of a request kind relative to the server path, e.g. "api/v1/login";
// null for rkNone.
const char* EndpointOf(TRequestKind kind);

// The object token of a new publication: 16 upper-case hexadecimal characters.
void NewObjectToken(char (&token)[kObjectTokenLength + 1]);

// True when a text from the server may become part of a file name: letters,
// digits, "_", "-" and "." only, not empty, not "." or "..". The cache names
// files after user ids and object tokens.
bool IsSafeId(const char* text);

// Splits a repository URL as the parameters dialog does: a scheme and "//"
// are dropped, except that "https://" is kept in front of the host so that
// the request uses TLS; the part up to the first "/" is the host, the rest
// the path, which always ends with "/" ("/" without one).
void SplitRepositoryUrl(const char* url, char (&host)[kServerHigh + 1], char (&path)[kServerHigh + 1]);
// The full URL of an endpoint: "http://" + host unless the host carries
// "https://", then path and endpoint.
std::string RequestUrl(const char* host, const char* path, const char* endpoint);

// The "encrypted_password" value of a password (UTF-8): one random character
// on each side, enciphered as UTF-16 by method 2 under the shared key, as
// 4-digit upper-case hexadecimal units.
void EncryptPassword(const char* password, char (&hex)[kEncryptedPasswordHigh + 1]);
// The inverse: false when the text is not whole hexadecimal units of at least
// two characters or does not decode to UTF-8.
bool DecryptPassword(const char* hex, std::string& password);

// String readers that always leave a zero-terminated text of at most N - 1
// characters in `out` (the document's readers fill a fixed array completely,
// without a terminator, when the text is that long).
template <std::size_t N>
bool GetText(sjson::CJSON& doc, const char* name, char (&out)[N]) {
  static_assert(N >= 2);
  const bool ok = doc.GetStr(name, N - 2, out);
  out[N - 1] = '\0';
  return ok;
}
template <std::size_t N>
bool GetArrayText(sjson::CJSON& doc, std::uint32_t index, char (&out)[N]) {
  static_assert(N >= 2);
  const bool ok = doc.GetArrayStr(index, N - 2, out);
  out[N - 1] = '\0';
  return ok;
}
template <std::size_t N>
bool GetMemberNameText(sjson::CJSON& doc, std::uint32_t index, char (&out)[N], std::int32_t& kind) {
  static_assert(N >= 2);
  const bool ok = doc.GetMemberName(index, N - 2, out, kind);
  out[N - 1] = '\0';
  return ok;
}
// A string member of any length (up to the parser's limit).
bool GetLongText(sjson::CJSON& doc, const char* name, std::string& out);

// Result of the "status" check of an answer record.
struct TAnswerStatus {
  bool ok = false;
  bool failStatus = false;  // "status" was "fail" (the server said no)
  std::string line1;        // message lines of a failure
  std::string line2;
};
// Checks the current record of the answer: missing status, "fail" with its
// "error", "ok", or an unknown status.
TAnswerStatus CheckAnswerStatus(sjson::CJSON& answer);

// One object of a list or contribute answer.
class CWebObjectListElem : public vlist::CListElem {
 public:
  char token[kObjectTokenLength + 1] = {};
  char publisher[kUserIdHigh + 1] = {};
  std::vector<std::string> contributors;  // user ids
  char name[65] = {};
  char altName[65] = {};
  char comment[257] = {};
  char varType[33] = {};
  double m0 = 0.0;
  double period = 0.0;
  double ra = -1.0;   // radians, -1 unset
  double dec = 91.0;  // radians, 91 unset
  char catalog[17] = {};
  char catalogId[33] = {};
  double catalogRA = -1.0;
  double catalogDec = 91.0;
  double catalogMag = 100.0;
  ombrix_model::TFitParameters fit{};
  bool fitPresent = false;  // the record had a "fit" record
  bool published = false;   // flags of the add-objects dialog
  bool imported = false;
  bool selected = false;

  CWebObjectListElem();
};

// Fills an element from the current record of the answer (members that are
// missing keep their defaults). False, with the offending key in badKey, when
// the publisher or a contributor is not a safe id.
bool ReadObjectSummary(sjson::CJSON& answer, CWebObjectListElem& object, const char*& badKey);

// Builds the publish/contribute body of a field object into `doc` (a fresh
// record root): members in protocol order, series of enabled local series.
void BuildObjectDocument(const ombrix_data::CObjectListElem& object, sjson::CJSON& doc);

// Copies the members of an object record that the cache keeps, in cache
// order, from the current record of `from` into the current record of `to`.
// Integers arrive as reals.
void CopyCacheMembers(sjson::CJSON& from, sjson::CJSON& to);
// The same for the members of an object summary (name ... fit): what a list
// answer tells of each object besides publisher and contributors.
void CopySummaryMembers(sjson::CJSON& from, sjson::CJSON& to);

}  // namespace ombrix_web
