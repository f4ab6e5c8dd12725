// Object-list commands of the pane: add, insert, remove, rename and sort.
#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "ombrix_app/pane.h"

namespace ombrix_app {

bool COmbrixPane::ObjectCommand(std::uint32_t command) {
  switch (command) {
    case cmAddObject: AddObject(false); break;
    case cmInsertObject: AddObject(true); break;
    case cmRemoveObject: RemoveObject(); break;
    case cmRenameObject: RenameObject(); break;
    case cmSortByName: SortObjects(ombrix_data::TObjectSortKey::name); break;
    case cmSortByRA: SortObjects(ombrix_data::TObjectSortKey::rightAscension); break;
    case cmSortByDec: SortObjects(ombrix_data::TObjectSortKey::declination); break;
    case cmSelectAllSeries: SetAllSeries(true); break;
    case cmDeselectAllSeries: SetAllSeries(false); break;
    case cmClearOffsets: ClearOffsets(); break;
    default: return false;
  }
  return true;
}

void COmbrixPane::AddObject(bool insert) {
  ombrix_data::CObjectListElem* added = nullptr;
  const bool done = insert ? field.InsertObject(io, selected, added) : field.AddObject(io, added);
  if (!done) return;
  ReloadObjectList();
  objects.list.SetSelection(field.IndexOf(selected));
  ReportChanged();
  SelectObject(field.IndexOf(added));
}

void COmbrixPane::RemoveObject() {
  if (!selected) return;
  // The object that takes the removed one's place, or the new last one.
  std::int32_t at = field.IndexOf(selected);
  if (!field.RemoveObject(io, selected)) return;
  selected = nullptr;
  ReloadObjectList();
  if (at >= static_cast<std::int32_t>(field.Count())) at = static_cast<std::int32_t>(field.Count()) - 1;
  ShowObject(at >= 0 ? field.At(static_cast<std::uint32_t>(at)) : nullptr);
  ReportChanged();
}

void COmbrixPane::RenameObject() {
  if (!field.RenameObject(io, selected)) return;
  RefreshObjectLabel();
  ReportChanged();
}

void COmbrixPane::SortObjects(ombrix_data::TObjectSortKey key) {
  if (field.Count() == 0) return;
  field.Sort(key);
  ReloadObjectList();
  objects.list.SetSelection(field.IndexOf(selected));
  ReportChanged();
  SelectObject(0);
}

}  // namespace ombrix_app
