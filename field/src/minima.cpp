// Minima lists: ownership and copying.
#include "ombrix_field/minima.h"

namespace ombrix_data {

CMinimaList::CMinimaList(const CMinimaList& other) : vlist::CList() { Assign(other); }

CMinimaList& CMinimaList::operator=(const CMinimaList& other) {
  Assign(other);
  return *this;
}

CMinimaList::~CMinimaList() { Done(); }

void CMinimaList::Init() {
  param1 = 0.1;
  param2 = 0.5;
  param3 = 0.999;
}

void CMinimaList::Done() {
  vlist::CListElem* elem = nullptr;
  while (GetFirst(elem)) {
    Remove();
    delete elem;
  }
  ClearList();
}

void CMinimaList::Assign(const CMinimaList& source) {
  if (&source == this) return;
  Done();
  for (const vlist::CListElem* e = source.first; e; e = e->next) {
    AddCopy(*static_cast<const CMinimaListElem*>(e));
  }
  param1 = source.param1;
  param2 = source.param2;
  param3 = source.param3;
}

CMinimaListElem* CMinimaList::Add(TMinimumType type, double time, double error, bool enabled) {
  auto* m = new CMinimaListElem;
  m->type = type;
  m->time = time;
  m->error = error;
  m->enabled = enabled;
  Append(m);
  return m;
}

CMinimaListElem* CMinimaList::AddCopy(const CMinimaListElem& minimum) {
  CMinimaListElem* m = Add(minimum.type, minimum.time, minimum.error, minimum.enabled);
  m->scaleStated = minimum.scaleStated;
  m->timeScale = minimum.timeScale;
  return m;
}

}  // namespace ombrix_data
