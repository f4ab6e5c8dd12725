// The repository flows' pieces that need no server: the add-objects lines,
// marks and new objects, the list icons and the refusals of the commands.
#include <gtest/gtest.h>
#include <ombrix_field/object.h>

#include <cstring>
#include <string>
#include <vector>

#include "ombrix_net/repository_sync.h"

namespace ombrix_web {
namespace {

using ombrix_data::CField;
using ombrix_data::CObjectListElem;

CWebObjectListElem* Listed(vlist::CList& list, const char* token, const char* publisher, const char* name) {
  auto* listed = new CWebObjectListElem;
  std::strcpy(listed->token, token);
  std::strcpy(listed->publisher, publisher);
  std::strcpy(listed->name, name);
  list.Append(listed);
  return listed;
}

CObjectListElem* FieldObject(CField& field, const char* token, const char* name) {
  auto* object = new CObjectListElem;
  std::memcpy(object->token, token, std::strlen(token));
  std::strcpy(object->name, name);
  field.Append(object);
  return object;
}

class CNoWindow : public IRepositorySyncListener {
 public:
  void ObjectSynchronized(CObjectListElem&) override {}
  void FieldChanged() override {}
  void ObjectListChanged() override {}
  void RepositoryStatusChanged() override {}
  bool ChooseRepositoryObjects(vlist::CList&) override { return false; }
  CObjectListElem* SelectedObject() override { return nullptr; }
};

class CNoRequests : public IRequestRunner, public IWebOwner {
 public:
  int started = 0;
  void Start(CWebInterface&) override { ++started; }
  void ShowMessage(const char*, const char*, const char*, TMessageIcon) override {}
  void Notify(int, int) override {}
};

TEST(RepositoryList, LinesMarksAndChoosableObjects) {
  vlist::CList list;
  CField field;
  CWebObjectListElem* mine = Listed(list, "AAAAAAAAAAAAAAAA", "me", "V1 Cyg");
  std::strcpy(mine->altName, "HD 1");
  std::strcpy(mine->comment, "EB");
  CWebObjectListElem* theirs = Listed(list, "BBBBBBBBBBBBBBBB", "anna", "V2 Cyg");
  theirs->contributors = {"me", "bob"};
  CWebObjectListElem* other = Listed(list, "CCCCCCCCCCCCCCCC", "anna", "V3 Cyg");
  std::strcpy(other->comment, "only a comment");
  FieldObject(field, "AAAAAAAAAAAAAAAA", "V1 Cyg");
  FieldObject(field, "BBBBBBBBBBBBBBBB", "V2 Cyg");
  other->published = true;  // stale marks are cleared

  MarkListedObjects(list, field, "me");
  EXPECT_EQ(RepositoryListLine(*mine), "Published: V1 Cyg | HD 1 | EB (Publisher: me)");
  EXPECT_EQ(RepositoryListLine(*theirs), "Imported: V2 Cyg (Publisher: anna; Contributors: me, bob)");
  EXPECT_EQ(RepositoryListLine(*other), "Available: V3 Cyg | only a comment (Publisher: anna)");
  EXPECT_FALSE(IsChoosable(*mine));
  EXPECT_FALSE(IsChoosable(*theirs));
  EXPECT_TRUE(IsChoosable(*other));

  other->contributors.assign(40, "contributor");
  const std::string line = RepositoryListLine(*other);
  EXPECT_EQ(line.size(), kRepositoryLineLength);
  EXPECT_EQ(line.rfind("Available: V3 Cyg | only a comment (Publisher: anna; Contributors: contributor, ", 0), 0u);
  list.DisposeList();
}

TEST(RepositoryList, SelectedObjectsJoinTheFieldBeforeTheSelectedOne) {
  vlist::CList list;
  CField field;
  CObjectListElem* first = FieldObject(field, "", "first");
  CObjectListElem* second = FieldObject(field, "", "second");
  CWebObjectListElem* a = Listed(list, "AAAAAAAAAAAAAAAA", "anna", "V1 Cyg");
  a->selected = true;
  std::strcpy(a->altName, "HD 1");
  std::strcpy(a->varType, "EA");
  a->m0 = 2460000.5;
  a->period = 1.25;
  a->ra = 1.0;
  a->dec = 0.5;
  std::strcpy(a->catalog, "GSC");
  a->catalogMag = 11.0;
  a->fitPresent = true;
  a->fit[ombrix_model::fpASin3] = 0.125;
  Listed(list, "BBBBBBBBBBBBBBBB", "anna", "not chosen");
  CWebObjectListElem* c = Listed(list, "CCCCCCCCCCCCCCCC", "bob", "V3 Cyg");
  c->selected = true;
  CWebObjectListElem* held = Listed(list, "DDDDDDDDDDDDDDDD", "bob", "held already");
  held->selected = held->imported = true;  // not choosable

  ASSERT_EQ(AddSelectedObjects(list, field, second), 2u);
  ASSERT_EQ(field.Count(), 4u);
  EXPECT_EQ(field.At(0), first);
  EXPECT_EQ(field.At(3), second);
  const CObjectListElem& added = *field.At(1);
  EXPECT_EQ(std::string(added.token, 16), "AAAAAAAAAAAAAAAA");
  EXPECT_STREQ(added.publisher, "anna");
  EXPECT_STREQ(added.altName, "HD 1");
  EXPECT_STREQ(added.variabilityType, "EA");
  EXPECT_EQ(added.m0, 2460000.5);
  EXPECT_EQ(added.period, 1.25);
  EXPECT_EQ(added.metaDataSource, ombrix_data::mdsManualEntry);
  EXPECT_EQ(added.metaData.var.ra, 1.0);
  EXPECT_STREQ(added.metaData.var.catalog, "GSC");
  EXPECT_EQ(added.metaData.var.catalogMag, 11.0);
  EXPECT_TRUE(added.fitPresent);
  EXPECT_EQ(added.fit[ombrix_model::fpASin3], 0.125);
  EXPECT_TRUE(added.toSynchronize);
  EXPECT_STREQ(field.At(2)->name, "V3 Cyg");
  EXPECT_FALSE(field.At(2)->fitPresent);

  EXPECT_EQ(FindObjectByToken(field, "CCCCCCCCCCCCCCCC"), field.At(2));
  EXPECT_EQ(FindObjectByToken(field, ""), nullptr);  // unshared objects have no token to find
  EXPECT_EQ(ShareIconOf(*first, "anna"), TShareIcon::none);
  EXPECT_EQ(ShareIconOf(added, "anna"), TShareIcon::own);
  EXPECT_EQ(ShareIconOf(added, "bob"), TShareIcon::someoneElse);
  list.DisposeList();
}

TEST(RepositoryCommands, RefusalsNeedNoRequest) {
  CNoRequests transport;
  CWebInterface client(transport, transport);
  CField field;
  CObjectListElem* unshared = FieldObject(field, "", "V1 Cyg");
  CObjectListElem* theirs = FieldObject(field, "AAAAAAAAAAAAAAAA", "V2 Cyg");
  std::strcpy(theirs->publisher, "anna");
  CNoWindow window;
  ombrix_data::CScriptedUserIO io;
  CRepositorySync sync(client, field, window, io);

  EXPECT_FALSE(sync.SynchronizeObject(theirs));
  EXPECT_FALSE(sync.SynchronizeField());
  std::strcpy(client.userToken, "T");
  std::strcpy(client.userId, "me");
  EXPECT_FALSE(sync.SynchronizeObject(unshared));
  EXPECT_FALSE(sync.Publish(theirs));
  EXPECT_FALSE(sync.Unpublish(unshared));
  EXPECT_FALSE(sync.Unpublish(theirs));
  std::strcpy(theirs->publisher, "me");
  io.answers.push_back(ombrix_data::TAnswer::no);
  EXPECT_FALSE(sync.Unpublish(theirs));
  EXPECT_EQ(transport.started, 0);

  std::vector<std::string> shown;
  for (const auto& record : io.shown) {
    std::string text = record.caption;
    for (const std::string& line : record.lines) text += "|" + line;
    shown.push_back(text);
  }
  const std::string offline =
      "Web Repository Offline|Login to some web repository prior|to manipulation with shared objects.";
  EXPECT_EQ(shown, (std::vector<std::string>{
                       offline,
                       offline,
                       "Cannot synchronize non-shared object|Selected objec is neither published,|"
                       "nor imported. So, it cannot be|synchronized with repository.",
                       "Selected object already published in repository|Object Token, generated upon publishing,|"
                       "can be cleard in the Meta Data pane.",
                       "Object not published in repository|Cannot unpublish object, which is not published.",
                       "Object published by soneone else.|Cannot unpublish object published by another user.",
                       "WARNING: unpublish object|Unpublished object will be removed from the Web Repository.|"
                       "Removing object also deletes all data series, including contributors' ones.|"
                       "Are you sure you want to continue?",
                   }));
  EXPECT_FALSE(sync.Running());

  EXPECT_TRUE(sync.Publish(unshared));  // a new token, the user as publisher; the request waits
  EXPECT_EQ(std::strlen(std::string(unshared->token, 16).c_str()), 16u);
  EXPECT_STREQ(unshared->publisher, "me");
  EXPECT_TRUE(sync.Running());
  sync.OnNotification(ncPublishFailed);  // the token goes again
  EXPECT_EQ(unshared->token[0], '\0');
  EXPECT_FALSE(sync.Running());
}

}  // namespace
}  // namespace ombrix_web
