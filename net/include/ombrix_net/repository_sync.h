// The repository flows without a window: synchronize one object or the
// whole field, add or insert objects from the repository, publish and
// unpublish. CRepositorySync starts the client's requests and reacts to its
// notifications (5001 ... 5010): a contribute starts a download cycle that
// fetches the publisher's and every contributor's version (never the user's
// own) into the cache, then reloads the object's repository series from it.
//
// The window (or the command-line tool) forwards the client's repository
// notifications to OnNotification and does what the listener asks: select
// an object, refresh its lists, mark the field changed, show the
// add-objects dialog. Messages and the unpublish question go through the
// CUserIO given.
#pragma once

#include <cstdint>
#include <string>

#include <ombrix_field/field.h>
#include <ombrix_field/user_io.h>

#include "ombrix_net/web_interface.h"

namespace ombrix_web {

// What the list of objects was asked for.
enum class TListMode : std::uint8_t {
  none = 0,
  addObjects = 1,        // "Add Objects from Repository..."
  insertObjects = 2,     // "Insert Objects from Repository..."
  synchronizeField = 3,  // "Synchronize Field with Repository"
};

// Colour of the lines of the add-objects dialog that cannot be chosen.
inline constexpr std::uint32_t kUnavailableLineColour = 0xffbfbfbf;
// Characters of one line of that dialog at most.
inline constexpr std::size_t kRepositoryLineLength = 256;

// Icon of an object's row in the object list.
enum class TShareIcon : std::uint8_t {
  none,  // not shared (no token)
  own,   // published by the configured user
  someoneElse,
};
TShareIcon ShareIconOf(const ombrix_data::CObjectListElem& object, const char* configuredUser);

// Line of the add-objects dialog: "Published: ", "Imported: " or
// "Available: ", the name, " | " alternate name, " | " comment, then
// " (Publisher: " ... "; Contributors: " a, b ")"; at most 256 characters.
std::string RepositoryListLine(const CWebObjectListElem& listed);
// True for the lines the user may choose (neither published nor imported).
inline bool IsChoosable(const CWebObjectListElem& listed) { return !listed.published && !listed.imported; }

// Marks each listed object the field holds already: published when the
// listed publisher is `userId`, else imported. Other flags are cleared.
void MarkListedObjects(vlist::CList& listed, const ombrix_data::CField& field, const char* userId);

// A new field object from a listed summary: token, publisher, names,
// comment, type, M0, period, the own star's coordinates and catalogue data
// (meta-data source manual entry), the fit when the summary has one, and
// toSynchronize set.
ombrix_data::CObjectListElem* NewObjectFromSummary(const CWebObjectListElem& listed);
// Puts a new object for every selected listed object into the field: before
// `insertBefore`, or at the end when it is null. Returns how many.
std::uint32_t AddSelectedObjects(const vlist::CList& listed, ombrix_data::CField& field,
                                 ombrix_data::CObjectListElem* insertBefore);

// The field object with that token, or null.
ombrix_data::CObjectListElem* FindObjectByToken(const ombrix_data::CField& field, const char* token);

// What the flows ask of the window.
class IRepositorySyncListener {
 public:
  virtual ~IRepositorySyncListener() = default;
  // The object's repository series were reloaded: select it, refresh the
  // object views.
  virtual void ObjectSynchronized(ombrix_data::CObjectListElem& object) = 0;
  // The field was changed (objects added, a token set or cleared): mark it
  // modified and update title and status bar.
  virtual void FieldChanged() = 0;
  // Rows of the object list need rebuilding (objects added, icons changed).
  virtual void ObjectListChanged() = 0;
  // The repository status and menu states may have changed.
  virtual void RepositoryStatusChanged() = 0;
  // "Add Object(s) from Web Repository": shows the listed objects (lines of
  // RepositoryListLine; choosable ones toggle `selected`); true on OK.
  virtual bool ChooseRepositoryObjects(vlist::CList& listed) = 0;
  // The object the insert mode puts new objects before; null appends.
  virtual ombrix_data::CObjectListElem* SelectedObject() = 0;
  // A flow has ended: true after its final message, false after a failure.
  virtual void FlowEnded(bool /*completed*/) {}
};

class CRepositorySync {
 public:
  CRepositorySync(CWebInterface& client, ombrix_data::CField& field, IRepositorySyncListener& listener,
                  ombrix_data::CUserIO& io);

  // "Synchronize Object with Repository": uploads the user's version of a
  // shared object and downloads the others'. False when refused (message
  // shown) or the request could not start.
  bool SynchronizeObject(ombrix_data::CObjectListElem* object);
  // "Synchronize Field with Repository": every field object the repository
  // lists is synchronized in turn.
  bool SynchronizeField();
  // "Add Objects from Repository..." (insert false) and "Insert Objects
  // from Repository..." (insert true).
  bool AddObjects(bool insert);
  // "Publish Object in Repository": a new token, the user as publisher.
  bool Publish(ombrix_data::CObjectListElem* object);
  // "Unpublish Object in Repository", after the user's confirmation.
  bool Unpublish(ombrix_data::CObjectListElem* object);

  // A repository notification of the client (codes 5000 ... 5010); the
  // window calls it from its IWebOwner::Notify.
  void OnNotification(int code);
  // Ends any running flow (the window calls it when a request could not
  // reach the server, which gives no notification).
  void EndFlow();

  // True while a flow waits for an answer.
  bool Running() const { return running_; }
  TListMode listMode = TListMode::none;
  bool synchronizeAll = false;  // a synchronize pass over the field runs

 private:
  bool RequireLogin();
  void StartFlow();
  void FinishFlow(bool completed);
  void ListReceived();
  void ChooseAndAddObjects();
  void SynchronizePass();
  void DownloadStep();
  void CycleDone();
  void ClearRequestToken();

  CWebInterface& client_;
  ombrix_data::CField& field_;
  IRepositorySyncListener& listener_;
  ombrix_data::CUserIO& io_;
  bool running_ = false;
};

}  // namespace ombrix_web
