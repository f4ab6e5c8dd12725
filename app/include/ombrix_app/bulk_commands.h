// Bulk edits of the field in the main window: scans of object folders for
// series files (one object or the whole field), alternate names from a text
// list, series selection by filter or contributor, levelling of series
// offsets and the field statistics. The model work is the field library's;
// here are the dialogs and questions around it.
#pragma once

#include <cstdint>
#include <vector>

#include <ombrix_field/bulk_edits.h>
#include <winkit/winkit.h>

namespace ombrix_app {

class COmbrix;

// "(Re)scan folders for light curve files": the folder to scan (with a
// folder chooser), the file-name patterns and the folder-name key.
class CScanFilesDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const char* scanFolder, const char* fileNames, const char* dirKey);
  void ReceiveEvent(vcore::TEvent& event) override;
  // Opens the folder chooser, starting at the folder in the edit box.
  void Browse();

  vcont::CStaticText folderLabel, namesLabel, keyLabel;
  vcont::CEditBox folder, names, key;
  vcont::CButton browse;
};

// "Confirm series file update": one ticked line per scan entry ("Add ",
// "Remove " or "Keep " and the path, in their colours), with buttons that
// tick or untick all.
class CShowFilesDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const std::vector<ombrix_data::TScanEntry>& entries);
  void ReceiveEvent(vcore::TEvent& event) override;
  void SetAll(bool ticked);
  // Copies the ticks into the entries' accepted flags (same order as Init).
  void Store(std::vector<ombrix_data::TScanEntry>& entries) const;

  vcont::CListBox list;
  vcont::CButton selectAll, deselectAll;
};

// "Select Series by Filters" / "Select Series by Contributors": one ticked
// line per distinct key.
class CSelectSeriesByDialog : public vwin::COKCancelDialog {
 public:
  bool Init(ombrix_data::TSeriesKeyKind kind, const std::vector<ombrix_data::TSeriesKeyCount>& keys);
  std::vector<bool> Ticks() const;

  vcont::CListBox list;
};

// True for the commands RunBulkCommand handles.
bool IsBulkCommand(std::uint32_t command);
// Runs one of them on the window's field and selection.
void RunBulkCommand(COmbrix& window, std::uint32_t command);

}  // namespace ombrix_app
