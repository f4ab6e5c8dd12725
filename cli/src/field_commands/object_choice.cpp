#include "object_choice.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace ombrix_cli {

namespace {

using namespace ombrix_data;

// A whole number from 1 taking the whole text; 0 otherwise.
std::uint32_t CountingNumber(std::string_view text) {
  std::uint32_t number = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return 0;
  return number;
}

// A fixed text array that may be full without a terminator.
bool FixedEquals(const char* fixed, std::size_t size, std::string_view text) {
  return std::string_view(fixed, strnlen(fixed, size)) == text;
}

bool LabelEquals(const CObjectListElem& object, std::string_view text) {
  char label[512];
  object.GetLabel(sizeof label - 1, label);
  label[sizeof label - 1] = 0;
  return text == label;
}

template <typename Match>
CObjectListElem* FirstMatching(const CField& field, Match match) {
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o))
    if (match(*o)) return o;
  return nullptr;
}

}  // namespace

CObjectListElem* ChooseObject(const char* command, const CField& field, const char* text,
                              std::ostream& err) {
  const std::string_view wanted = text;
  CObjectListElem* object = nullptr;
  if (!wanted.empty()) {
    object = FirstMatching(field, [&](const CObjectListElem& o) {
      return FixedEquals(o.name, sizeof o.name, wanted);
    });
    if (!object)
      object = FirstMatching(field, [&](const CObjectListElem& o) {
        return FixedEquals(o.altName, sizeof o.altName, wanted);
      });
    if (!object) object = FirstMatching(field, [&](const CObjectListElem& o) { return LabelEquals(o, wanted); });
  }
  if (!object) {
    const std::uint32_t number = CountingNumber(wanted);
    if (number >= 1) object = field.At(number - 1);
  }
  if (!object)
    err << "ombrix-cli " << command << ": no object \"" << text << "\" in the field (it has "
        << field.Count() << ")\n";
  return object;
}

CSeriesTreeElem* ChooseSeries(const char* command, const CObjectListElem& object,
                              const char* number, std::ostream& err) {
  const std::uint32_t wanted = CountingNumber(number);
  std::uint32_t position = 0;
  for (CSeriesTreeElem* s = object.FirstSeries(); s && wanted >= 1; s = object.NextSeries(s))
    if (++position == wanted) return s;
  err << "ombrix-cli " << command << ": no series \"" << number << "\"; the object has "
      << object.series.count << " series, numbered from 1\n";
  return nullptr;
}

}  // namespace ombrix_cli
