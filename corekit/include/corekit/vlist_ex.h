// Lists behind an optional re-entrant critical section.
//
// Init(nullptr) creates and owns a section; Init(section) shares the
// caller's. Every operation holds the section for the duration of one call;
// a multi-step walk is bracketed by Enter/Leave. Without Init the lists are
// unsynchronised and behave exactly like their bases.
#pragma once

#include <mutex>

#include "corekit/vlist.h"

namespace vlist_ex {

using TCriticalSection = std::recursive_mutex;

class CSynchronizedList : public vlist::CList {
 public:
  CSynchronizedList() = default;
  CSynchronizedList(const CSynchronizedList&) = delete;
  CSynchronizedList& operator=(const CSynchronizedList&) = delete;
  ~CSynchronizedList();  // Done

  void Init(TCriticalSection* shared);  // null: allocate and own a section
  void Done();                          // frees an owned section; elements untouched
  void Enter();
  void Leave();

  void Append(vlist::CListElem* elem);
  void AppendList(vlist::CList* other);
  void InsertBefore(vlist::CListElem* elem);
  void Remove();
  bool Find(vlist::CListElem* elem);
  bool GetFirst(vlist::CListElem*& elem);
  bool GetNext(vlist::CListElem*& elem);
  bool GetActive(vlist::CListElem*& elem);
  bool Empty();
  void ClearList();
  void DisposeList();

  TCriticalSection* section = nullptr;  // null when unsynchronised
  bool ownsSection = false;             // the section was allocated by this object
};

class CSynchronizedBList : public vlist::CBList {
 public:
  CSynchronizedBList() = default;
  CSynchronizedBList(const CSynchronizedBList&) = delete;
  CSynchronizedBList& operator=(const CSynchronizedBList&) = delete;
  ~CSynchronizedBList();

  void Init(TCriticalSection* shared);
  void Done();
  void Enter();
  void Leave();

  void Append(vlist::CBListElem* elem);
  void AppendList(vlist::CBList* other);
  void InsertBefore(vlist::CBListElem* elem);
  void InsertFirst(vlist::CBListElem* elem);
  void Remove();
  bool Find(vlist::CBListElem* elem);
  bool GetFirst(vlist::CBListElem*& elem);
  bool GetLast(vlist::CBListElem*& elem);
  bool GetNext(vlist::CBListElem*& elem);
  bool GetPrev(vlist::CBListElem*& elem);
  bool GetActive(vlist::CBListElem*& elem);
  bool Empty();
  void ClearList();
  void DisposeList();

  TCriticalSection* section = nullptr;
  bool ownsSection = false;
};

}  // namespace vlist_ex
