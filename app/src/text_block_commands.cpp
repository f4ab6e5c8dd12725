// Save, load, copy and paste of the selected object's fit parameters, object
// data and series offsets as text blocks, with their file dialogs and
// confirmations. The blocks themselves are read and written by the field model.
#include <cstring>

#include <ombrix_field/text_blocks.h>

#include "ombrix_app/ombrix.h"
#include "ombrix_app/pane.h"

namespace ombrix_app {

namespace {

const vdlg::TFileFilter kTextFilters[] = {{"*.txt", "TXT Files (*.txt)"}, {"*.*", "All Files (*.*)"}};

enum class TBlock { fit, objectData, offsets };
enum class TAction { save, load, copy, paste };

// One command: the block, what to do with it, and the texts of its dialogs.
struct TBlockCommand {
  std::uint32_t command;
  TBlock block;
  TAction action;
  const char* fileTitle;     // file chooser (save and load)
  const char* confirmCaption;  // load only: the replace question
  const char* confirmLine;
};

constexpr const char* kFitConfirmCaption = "Load fit parameters";
constexpr const char* kFitConfirmLine = "Fit parameters of selected object";
constexpr const char* kOffsetsConfirmCaption = "Load series offsets";
constexpr const char* kOffsetsConfirmLine = "Offsets of selected object series";

const TBlockCommand kBlockCommands[] = {
    {cmSaveFit, TBlock::fit, TAction::save, "Save fit parameters", nullptr, nullptr},
    {cmLoadFit, TBlock::fit, TAction::load, "Load fit parameters", kFitConfirmCaption, kFitConfirmLine},
    {cmCopyFit, TBlock::fit, TAction::copy, nullptr, nullptr, nullptr},
    {cmPasteFit, TBlock::fit, TAction::paste, nullptr, nullptr, nullptr},
    {cmSaveObjectData, TBlock::objectData, TAction::save, "Save object data", nullptr, nullptr},
    // Object data is confirmed with the fit parameters' question.
    {cmLoadObjectData, TBlock::objectData, TAction::load, "Load object data", kFitConfirmCaption, kFitConfirmLine},
    {cmCopyObjectData, TBlock::objectData, TAction::copy, nullptr, nullptr, nullptr},
    {cmPasteObjectData, TBlock::objectData, TAction::paste, nullptr, nullptr, nullptr},
    {cmSaveOffsets, TBlock::offsets, TAction::save, "Save series offsets", nullptr, nullptr},
    {cmLoadOffsets, TBlock::offsets, TAction::load, "Load series offsets", kOffsetsConfirmCaption,
     kOffsetsConfirmLine},
    {cmCopyOffsets, TBlock::offsets, TAction::copy, nullptr, nullptr, nullptr},
    {cmPasteOffsets, TBlock::offsets, TAction::paste, nullptr, nullptr, nullptr},
};

const TBlockCommand* FindBlockCommand(std::uint32_t command) {
  for (const TBlockCommand& c : kBlockCommands)
    if (c.command == command) return &c;
  return nullptr;
}

// Asks for the file, starting in the folder of "LastFitAndOffsetPath" and
// storing the chosen file's folder there.
bool ChooseFile(const TBlockCommand& c, TSettings& settings, char (&path)[kPathHigh + 1]) {
  std::memcpy(path, settings.lastFitAndOffsetPath, sizeof path);
  const int high = static_cast<int>(kPathHigh);
  const bool chosen = c.action == TAction::save ? vdlg::GetOutFileName(c.fileTitle, high, path, kTextFilters, 2)
                                                : vdlg::GetInFileName(c.fileTitle, high, path, kTextFilters, 2);
  if (!chosen) return false;
  if (c.action == TAction::load &&
      vdlg::DoMessageBox(c.confirmCaption, c.confirmLine, "will be replaced from chosen file.",
                         "Do you want to continue?", vdlg::mbYesNo, vstock::siQuestion) != vdlg::mrYes)
    return false;
  CopyPath(settings.lastFitAndOffsetPath, FolderOf(path));
  return true;
}

// Failures of saving are shown by the model; copying has no message.
void Save(TBlock block, const ombrix_data::CObjectListElem* object, const char* path, ombrix_data::CUserIO& io) {
  switch (block) {
    case TBlock::fit: ombrix_data::SaveFitParameters(object, path, io); break;
    case TBlock::objectData: ombrix_data::SaveObjectData(object, path, io); break;
    case TBlock::offsets: ombrix_data::SaveSeriesOffsets(object, path, io); break;
  }
}

void Copy(TBlock block, const ombrix_data::CObjectListElem* object) {
  switch (block) {
    case TBlock::fit: ombrix_data::CopyFitParameters(object); break;
    case TBlock::objectData: ombrix_data::CopyObjectData(object); break;
    case TBlock::offsets: ombrix_data::CopySeriesOffsets(object); break;
  }
}

// Load (path given) or paste (path null); true when the object changed.
bool Read(TBlock block, ombrix_data::CObjectListElem* object, const char* path,
          const ombrix_data::TFieldLoadContext& context, ombrix_data::CUserIO& io) {
  switch (block) {
    case TBlock::fit:
      return path ? ombrix_data::LoadFitParameters(object, path, io) : ombrix_data::PasteFitParameters(object, io);
    case TBlock::objectData:
      return path ? ombrix_data::LoadObjectData(object, path, context, io)
                  : ombrix_data::PasteObjectData(object, context, io);
    case TBlock::offsets:
      return path ? ombrix_data::LoadSeriesOffsets(object, path, io) : ombrix_data::PasteSeriesOffsets(object, io);
  }
  return false;
}

}  // namespace

void COmbrixPane::TextBlockCommand(std::uint32_t command) {
  const TBlockCommand* c = FindBlockCommand(command);
  if (!c || !selected || !owner) return;
  // The offset commands need series; without them not even a dialog opens.
  if (c->block == TBlock::offsets && SeriesCount() == 0) return;

  char path[kPathHigh + 1] = {};
  const bool usesFile = c->action == TAction::save || c->action == TAction::load;
  if (usesFile && !ChooseFile(*c, owner->settings, path)) return;
  if (c->action == TAction::save) {
    Save(c->block, selected, path, io);
    return;
  }
  if (c->action == TAction::copy) {
    Copy(c->block, selected);
    return;
  }

  const ombrix_data::TFieldLoadContext context = owner->LoadContext();
  if (!Read(c->block, selected, usesFile ? path : nullptr, context, io)) return;
  RefreshObjectLabel();
  ShowVariabilityType();
  RefreshSeriesList();
  ReportChanged();
}

}  // namespace ombrix_app
