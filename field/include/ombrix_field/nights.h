// Observing nights: a series belongs to the night of its first point, the
// integer part of that point's Julian date. The night set serves the field
// statistics, the observing-table columns of the exports and the observation
// sheet.
#pragma once

#include <cstdint>
#include <string>

#include <corekit/vtree.h>

#include "ombrix_field/field.h"

namespace ombrix_data {

// The night of a Julian date: its integer part.
std::int32_t NightKey(double jd);

// One night, ordered by its key alone; earliest start and latest end span the
// series that began in it.
class CNightTreeElem : public vtree::CAVLTreeElem {
 public:
  std::int32_t key = 0;      // integer part of a Julian date
  double earliestStart = 0;  // earliest first point time of its series
  double latestEnd = 0;      // latest last point time of its series

  int Compare(const vtree::CAVLTreeElem* other) const override;
};

// A sorted set of nights without duplicates. Owns its elements.
class CNightSet {
 public:
  CNightSet() = default;
  CNightSet(const CNightSet&) = delete;
  CNightSet& operator=(const CNightSet&) = delete;
  ~CNightSet();

  // Frees every night.
  void Clear();
  // Enters the night of `start`, widening its span to [start, end].
  void Add(double start, double end);
  // Enters the night of the series' first point; nothing for a series
  // without points.
  void AddSeries(const CSeriesTreeElem& series);

  std::uint32_t Count() const { return tree_.count; }
  bool Contains(std::int32_t key) const;
  // Ascending walk; null at the end.
  const CNightTreeElem* First() const;
  const CNightTreeElem* Next(const CNightTreeElem* night) const;
  // Sum over nights of (latest end - earliest start), in hours.
  double ObservingHours() const;

 private:
  vtree::CAVLTree tree_;
};

// The nights of every series with points of the object.
void CollectObjectNights(const CObjectListElem& object, CNightSet& nights);
// The nights of every series with points of every object.
void CollectFieldNights(const CField& field, CNightSet& nights);

// The date of a night: its integer Julian date converted to the computer's
// local time, "YYYY-MM-DD".
std::string NightDateText(std::int32_t key);

}  // namespace ombrix_data
