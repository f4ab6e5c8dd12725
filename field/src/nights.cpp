// The night set of the field statistics, the exports and the observation sheet.
#include "ombrix_field/nights.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace ombrix_data {
namespace {

constexpr double kUnixEpochJD = 2440587.5;

CNightTreeElem* Mutable(const CNightTreeElem* night) { return const_cast<CNightTreeElem*>(night); }

}  // namespace

std::int32_t NightKey(double jd) { return static_cast<std::int32_t>(jd); }

int CNightTreeElem::Compare(const vtree::CAVLTreeElem* other) const {
  const std::int32_t b = static_cast<const CNightTreeElem*>(other)->key;
  return key < b ? -1 : (key > b ? 1 : 0);
}

CNightSet::~CNightSet() { Clear(); }

void CNightSet::Clear() { tree_.DisposeTree(); }

void CNightSet::Add(double start, double end) {
  CNightTreeElem probe;
  probe.key = NightKey(start);
  vtree::CAVLTreeElem* found = nullptr;
  if (tree_.Search(&probe, found)) {
    auto* night = static_cast<CNightTreeElem*>(found);
    night->earliestStart = std::min(night->earliestStart, start);
    night->latestEnd = std::max(night->latestEnd, end);
    return;
  }
  auto* night = new CNightTreeElem;
  night->key = probe.key;
  night->earliestStart = start;
  night->latestEnd = end;
  tree_.Insert(night);
}

void CNightSet::AddSeries(const CSeriesTreeElem& series) {
  if (series.pointCount > 0) Add(series.FirstTime(), series.LastTime());
}

bool CNightSet::Contains(std::int32_t key) const {
  CNightTreeElem probe;
  probe.key = key;
  vtree::CAVLTreeElem* found = nullptr;
  return tree_.Search(&probe, found);
}

const CNightTreeElem* CNightSet::First() const {
  vtree::CAVLTreeElem* first = nullptr;
  return tree_.GetFirst(first) ? static_cast<CNightTreeElem*>(first) : nullptr;
}

const CNightTreeElem* CNightSet::Next(const CNightTreeElem* night) const {
  vtree::CAVLTreeElem* next = nullptr;
  return tree_.GetNextElem(Mutable(night), next) ? static_cast<CNightTreeElem*>(next) : nullptr;
}

double CNightSet::ObservingHours() const {
  double hours = 0;
  for (const CNightTreeElem* n = First(); n; n = Next(n)) hours += (n->latestEnd - n->earliestStart) * 24;
  return hours;
}

void CollectObjectNights(const CObjectListElem& object, CNightSet& nights) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) nights.AddSeries(*s);
}

void CollectFieldNights(const CField& field, CNightSet& nights) {
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) CollectObjectNights(*o, nights);
}

std::string NightDateText(std::int32_t key) {
  const auto t = static_cast<std::time_t>(std::floor((key - kUnixEpochJD) * 86400.0 + 0.5));
  std::tm local{};
  if (!localtime_r(&t, &local)) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  return text;
}

}  // namespace ombrix_data
