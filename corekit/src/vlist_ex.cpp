#include "corekit/vlist_ex.h"

#include "section.h"

namespace vlist_ex {

using corekit_section::Locked;
using vlist::CBListElem;
using vlist::CListElem;

CSynchronizedList::~CSynchronizedList() { Done(); }
void CSynchronizedList::Init(TCriticalSection* shared) { corekit_section::Init(section, ownsSection, shared); }
void CSynchronizedList::Done() { corekit_section::Done(section, ownsSection); }
void CSynchronizedList::Enter() {
  if (section) section->lock();
}
void CSynchronizedList::Leave() {
  if (section) section->unlock();
}

void CSynchronizedList::Append(CListElem* e) {
  Locked(section, [&] { CList::Append(e); });
}
void CSynchronizedList::AppendList(vlist::CList* o) {
  Locked(section, [&] { CList::AppendList(o); });
}
void CSynchronizedList::InsertBefore(CListElem* e) {
  Locked(section, [&] { CList::InsertBefore(e); });
}
void CSynchronizedList::Remove() {
  Locked(section, [&] { CList::Remove(); });
}
bool CSynchronizedList::Find(CListElem* e) {
  return Locked(section, [&] { return CList::Find(e); });
}
bool CSynchronizedList::GetFirst(CListElem*& e) {
  return Locked(section, [&] { return CList::GetFirst(e); });
}
bool CSynchronizedList::GetNext(CListElem*& e) {
  return Locked(section, [&] { return CList::GetNext(e); });
}
bool CSynchronizedList::GetActive(CListElem*& e) {
  return Locked(section, [&] { return CList::GetActive(e); });
}
bool CSynchronizedList::Empty() {
  return Locked(section, [&] { return CList::Empty(); });
}
void CSynchronizedList::ClearList() {
  Locked(section, [&] { CList::ClearList(); });
}
void CSynchronizedList::DisposeList() {
  Locked(section, [&] { CList::DisposeList(); });
}

CSynchronizedBList::~CSynchronizedBList() { Done(); }
void CSynchronizedBList::Init(TCriticalSection* shared) { corekit_section::Init(section, ownsSection, shared); }
void CSynchronizedBList::Done() { corekit_section::Done(section, ownsSection); }
void CSynchronizedBList::Enter() {
  if (section) section->lock();
}
void CSynchronizedBList::Leave() {
  if (section) section->unlock();
}

void CSynchronizedBList::Append(CBListElem* e) {
  Locked(section, [&] { CBList::Append(e); });
}
void CSynchronizedBList::AppendList(vlist::CBList* o) {
  Locked(section, [&] { CBList::AppendList(o); });
}
void CSynchronizedBList::InsertBefore(CBListElem* e) {
  Locked(section, [&] { CBList::InsertBefore(e); });
}
void CSynchronizedBList::InsertFirst(CBListElem* e) {
  Locked(section, [&] { CBList::InsertFirst(e); });
}
void CSynchronizedBList::Remove() {
  Locked(section, [&] { CBList::Remove(); });
}
bool CSynchronizedBList::Find(CBListElem* e) {
  return Locked(section, [&] { return CBList::Find(e); });
}
bool CSynchronizedBList::GetFirst(CBListElem*& e) {
  return Locked(section, [&] { return CBList::GetFirst(e); });
}
bool CSynchronizedBList::GetLast(CBListElem*& e) {
  return Locked(section, [&] { return CBList::GetLast(e); });
}
bool CSynchronizedBList::GetNext(CBListElem*& e) {
  return Locked(section, [&] { return CBList::GetNext(e); });
}
bool CSynchronizedBList::GetPrev(CBListElem*& e) {
  return Locked(section, [&] { return CBList::GetPrev(e); });
}
bool CSynchronizedBList::GetActive(CBListElem*& e) {
  return Locked(section, [&] { return CBList::GetActive(e); });
}
bool CSynchronizedBList::Empty() {
  return Locked(section, [&] { return CBList::Empty(); });
}
void CSynchronizedBList::ClearList() {
  Locked(section, [&] { CBList::ClearList(); });
}
void CSynchronizedBList::DisposeList() {
  Locked(section, [&] { CBList::DisposeList(); });
}

}  // namespace vlist_ex
