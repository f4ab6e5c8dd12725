// The repository flows: requests started from commands, the download cycle
// driven by the client's notifications, the add-objects steps.
#include "ombrix_net/repository_sync.h"

#include <ombrix_field/object.h>
#include <runbase/fixed_text.h>

#include <cstring>
#include <string_view>

#include "ombrix_net/repository_cache.h"

namespace ombrix_web {

namespace {

using ombrix_data::CObjectListElem;
using TIcon = ombrix_data::TMessageIcon;

constexpr const char* kUploaded = "Local data were uploaded to repository.";
constexpr const char* kDownloaded = "Data from other contributors were downloaded to local cache.";

template <std::size_t N>
std::string_view ViewOf(const char (&text)[N]) {
  return FixedText::View(N - 1, text);
}

std::string_view TokenOf(const CObjectListElem& object) { return ViewOf(object.token); }

const CWebObjectListElem* Listed(const vlist::CListElem* e) { return static_cast<const CWebObjectListElem*>(e); }

const CWebObjectListElem* FindListed(const vlist::CList& listed, std::string_view token) {
  for (const vlist::CListElem* e = listed.first; e; e = e->next)
    if (ViewOf(Listed(e)->token) == token) return Listed(e);
  return nullptr;
}

void Show(ombrix_data::CUserIO& io, const char* caption, const char* line1, const char* line2, const char* line3,
          TIcon icon) {
  io.ShowMessage({caption, {line1, line2, line3}, icon});
}

}  // namespace

// ---------------------------------------------------------------- pieces

TShareIcon ShareIconOf(const CObjectListElem& object, const char* configuredUser) {
  if (TokenOf(object).empty()) return TShareIcon::none;
  return ViewOf(object.publisher) == std::string_view(configuredUser ? configuredUser : "") ? TShareIcon::own
                                                                                            : TShareIcon::someoneElse;
}

std::string RepositoryListLine(const CWebObjectListElem& listed) {
  std::string line = listed.published ? "Published: " : listed.imported ? "Imported: " : "Available: ";
  line += listed.name;
  if (listed.altName[0]) line += std::string(" | ") + listed.altName;
  if (listed.comment[0]) line += std::string(" | ") + listed.comment;
  line += std::string(" (Publisher: ") + listed.publisher;
  for (std::size_t i = 0; i < listed.contributors.size(); ++i)
    line += (i == 0 ? "; Contributors: " : ", ") + listed.contributors[i];
  line += ")";
  if (line.size() > kRepositoryLineLength) line.resize(kRepositoryLineLength);
  return line;
}

CObjectListElem* FindObjectByToken(const ombrix_data::CField& field, const char* token) {
  const std::string_view wanted = FixedText::View(ombrix_data::kTokenHigh, token);
  if (wanted.empty()) return nullptr;
  for (CObjectListElem* o = field.First(); o; o = ombrix_data::CField::Next(o))
    if (TokenOf(*o) == wanted) return o;
  return nullptr;
}

void MarkListedObjects(vlist::CList& listed, const ombrix_data::CField& field, const char* userId) {
  for (vlist::CListElem* e = listed.first; e; e = e->next) {
    auto& object = *static_cast<CWebObjectListElem*>(e);
    object.published = object.imported = false;
    if (!FindObjectByToken(field, object.token)) continue;
    if (std::strcmp(object.publisher, userId) == 0) object.published = true;
    else object.imported = true;
  }
}

CObjectListElem* NewObjectFromSummary(const CWebObjectListElem& listed) {
  using namespace ombrix_data;
  auto* object = new CObjectListElem;
  FixedText::Assign(kTokenHigh, object->token, ViewOf(listed.token));
  FixedText::Assign(kUserNameHigh, object->publisher, ViewOf(listed.publisher));
  FixedText::Assign(kObjectNameHigh, object->name, ViewOf(listed.name));
  FixedText::Assign(kObjectNameHigh, object->altName, ViewOf(listed.altName));
  FixedText::Assign(kCommentHigh, object->comment, ViewOf(listed.comment));
  FixedText::Assign(kVariabilityTypeHigh, object->variabilityType, ViewOf(listed.varType));
  object->m0 = listed.m0;
  object->period = listed.period;
  object->metaDataSource = mdsManualEntry;
  TStarData& star = object->metaData.var;
  star.ra = listed.ra;
  star.dec = listed.dec;
  FixedText::Assign(kCatalogNameHigh, star.catalog, ViewOf(listed.catalog));
  FixedText::Assign(kCatalogIdHigh, star.catalogId, ViewOf(listed.catalogId));
  star.catalogRA = listed.catalogRA;
  star.catalogDec = listed.catalogDec;
  star.catalogMag = listed.catalogMag;
  if (listed.fitPresent) {
    object->fit = listed.fit;
    object->fitPresent = true;
  }
  object->toSynchronize = true;
  return object;
}

std::uint32_t AddSelectedObjects(const vlist::CList& listed, ombrix_data::CField& field,
                                 CObjectListElem* insertBefore) {
  std::uint32_t added = 0;
  for (const vlist::CListElem* e = listed.first; e; e = e->next) {
    if (!Listed(e)->selected || !IsChoosable(*Listed(e))) continue;
    field.InsertBefore(insertBefore, NewObjectFromSummary(*Listed(e)));
    ++added;
  }
  return added;
}

// ---------------------------------------------------------------- commands

CRepositorySync::CRepositorySync(CWebInterface& client, ombrix_data::CField& field, IRepositorySyncListener& listener,
                                 ombrix_data::CUserIO& io)
    : client_(client), field_(field), listener_(listener), io_(io) {}

bool CRepositorySync::RequireLogin() {
  if (client_.IsLoggedIn()) return true;
  Show(io_, "Web Repository Offline", "Login to some web repository prior", "to manipulation with shared objects.",
       nullptr, TIcon::exclamation);
  return false;
}

void CRepositorySync::StartFlow() {
  running_ = true;
  listener_.RepositoryStatusChanged();
}

void CRepositorySync::FinishFlow(bool completed) {
  const bool wasRunning = running_;
  running_ = false;
  synchronizeAll = false;
  listMode = TListMode::none;
  listener_.RepositoryStatusChanged();
  if (wasRunning) listener_.FlowEnded(completed);
}

void CRepositorySync::EndFlow() { FinishFlow(false); }

bool CRepositorySync::SynchronizeObject(CObjectListElem* object) {
  if (!object || !RequireLogin()) return false;
  if (TokenOf(*object).empty()) {
    Show(io_, "Cannot synchronize non-shared object", "Selected objec is neither published,",
         "nor imported. So, it cannot be", "synchronized with repository.", TIcon::exclamation);
    return false;
  }
  synchronizeAll = false;
  StartFlow();
  if (client_.PublishObject(*object, true)) return true;
  FinishFlow(false);
  return false;
}

bool CRepositorySync::SynchronizeField() {
  if (!RequireLogin()) return false;
  StartFlow();
  listMode = TListMode::synchronizeField;
  if (client_.ListObjects()) return true;
  FinishFlow(false);
  return false;
}

bool CRepositorySync::AddObjects(bool insert) {
  if (!RequireLogin()) return false;
  StartFlow();
  listMode = insert ? TListMode::insertObjects : TListMode::addObjects;
  if (client_.ListObjects()) return true;
  FinishFlow(false);
  return false;
}

bool CRepositorySync::Publish(CObjectListElem* object) {
  if (!object || !RequireLogin()) return false;
  if (!TokenOf(*object).empty()) {
    Show(io_, "Selected object already published in repository", "Object Token, generated upon publishing,",
         "can be cleard in the Meta Data pane.", nullptr, TIcon::exclamation);
    return false;
  }
  char token[kObjectTokenLength + 1];
  NewObjectToken(token);
  FixedText::Assign(ombrix_data::kTokenHigh, object->token, token);
  FixedText::Assign(ombrix_data::kUserNameHigh, object->publisher, client_.userId);
  StartFlow();
  if (client_.PublishObject(*object, false)) return true;
  std::memset(object->token, 0, sizeof object->token);
  FinishFlow(false);
  return false;
}

bool CRepositorySync::Unpublish(CObjectListElem* object) {
  if (!object || !RequireLogin()) return false;
  if (TokenOf(*object).empty()) {
    Show(io_, "Object not published in repository", "Cannot unpublish object, which is not published.", nullptr,
         nullptr, TIcon::exclamation);
    return false;
  }
  if (ViewOf(object->publisher) != client_.userId) {
    Show(io_, "Object published by soneone else.", "Cannot unpublish object published by another user.", nullptr,
         nullptr, TIcon::exclamation);
    return false;
  }
  const ombrix_data::TAnswer answer =
      io_.Ask({"WARNING: unpublish object",
               {"Unpublished object will be removed from the Web Repository.",
                "Removing object also deletes all data series, including contributors' ones.",
                "Are you sure you want to continue?"},
               TIcon::question},
              ombrix_data::TButtons::yesNo);
  if (answer != ombrix_data::TAnswer::yes) return false;
  StartFlow();
  if (client_.UnpublishObject(*object)) return true;
  FinishFlow(false);
  return false;
}

// ---------------------------------------------------------------- notifications

void CRepositorySync::OnNotification(int code) {
  switch (code) {
    case ncListOk: ListReceived(); break;
    case ncPublishOk:
    case ncUnpublishOk:
    case ncPublishFailed:
      if (code != ncPublishOk) ClearRequestToken();
      listener_.ObjectListChanged();
      listener_.FieldChanged();
      FinishFlow(code != ncPublishFailed);
      break;
    case ncContributeOk:
      client_.contributorIndex = -1;
      client_.renameCache = true;
      DownloadStep();
      break;
    case ncDataStored:
      ++client_.contributorIndex;
      DownloadStep();
      break;
    case ncAnswerUnreadable:
    case ncListFailed:
    case ncUnpublishFailed:
    case ncContributeFailed:
    case ncDataFailed:
      // A failure ends the flow; objects already synchronized stay so.
      if (running_) FinishFlow(false);
      break;
    default: break;
  }
}

void CRepositorySync::ListReceived() {
  switch (listMode) {
    case TListMode::synchronizeField:
      for (CObjectListElem* o = field_.First(); o; o = ombrix_data::CField::Next(o))
        if (!TokenOf(*o).empty() && FindListed(client_.objectList, TokenOf(*o))) o->toSynchronize = true;
      client_.ClearObjectList();
      listMode = TListMode::none;
      SynchronizePass();
      break;
    case TListMode::addObjects:
    case TListMode::insertObjects: ChooseAndAddObjects(); break;
    case TListMode::none: break;
  }
}

void CRepositorySync::ChooseAndAddObjects() {
  MarkListedObjects(client_.objectList, field_, client_.userId);
  const bool chosen = listener_.ChooseRepositoryObjects(client_.objectList);
  CObjectListElem* before = listMode == TListMode::insertObjects ? listener_.SelectedObject() : nullptr;
  const std::uint32_t added = chosen ? AddSelectedObjects(client_.objectList, field_, before) : 0;
  client_.ClearObjectList();
  listMode = TListMode::none;
  if (added == 0) {
    FinishFlow(true);
    return;
  }
  listener_.ObjectListChanged();
  listener_.FieldChanged();
  SynchronizePass();  // downloads the new objects' data
}

// Contributes the next object marked toSynchronize; its download cycle
// resumes the pass. Without one the pass is complete.
void CRepositorySync::SynchronizePass() {
  synchronizeAll = true;
  for (CObjectListElem* o = field_.First(); o; o = ombrix_data::CField::Next(o)) {
    if (!o->toSynchronize) continue;
    o->toSynchronize = false;
    if (TokenOf(*o).empty()) continue;
    if (client_.PublishObject(*o, true)) return;
  }
  synchronizeAll = false;
  Show(io_, "All shared objects were synchronized with repository", kUploaded, kDownloaded, nullptr,
       TIcon::information);
  FinishFlow(true);
}

// Requests the next version of the object that is not the user's own: the
// publisher's (contributorIndex -1), then each contributor's.
void CRepositorySync::DownloadStep() {
  if (const CWebObjectListElem* summary = client_.FirstObject()) {
    const char* next = nullptr;
    if (client_.contributorIndex < 0) {
      if (summary->publisher[0] && std::strcmp(summary->publisher, client_.userId) != 0) next = summary->publisher;
      else client_.contributorIndex = 0;
    }
    while (!next && static_cast<std::size_t>(client_.contributorIndex) < summary->contributors.size()) {
      const std::string& id = summary->contributors[client_.contributorIndex];
      if (!id.empty() && id != client_.userId) next = id.c_str();
      else ++client_.contributorIndex;
    }
    if (next) {
      if (!client_.GetObjectData(next)) FinishFlow(false);
      return;
    }
  }
  CycleDone();
}

void CRepositorySync::CycleDone() {
  if (CObjectListElem* object = FindObjectByToken(field_, client_.objectToken)) {
    LoadRepositorySeries(*object, client_.config.cacheRoot, client_.userId, &io_);
    listener_.ObjectSynchronized(*object);
  }
  if (synchronizeAll) {
    SynchronizePass();
    return;
  }
  Show(io_, "Object was synchronized with repository", kUploaded, kDownloaded, nullptr, TIcon::information);
  FinishFlow(true);
}

void CRepositorySync::ClearRequestToken() {
  if (CObjectListElem* object = FindObjectByToken(field_, client_.objectToken))
    std::memset(object->token, 0, sizeof object->token);
}

}  // namespace ombrix_web
