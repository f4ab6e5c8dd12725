// vstock: stock icons of message boxes and the framework's own texts.
#pragma once

namespace vstock {

void Init_();

enum TStockIcon {
  siNone = 0,
  siStop = 1,            // an error that stopped the action
  siRedExclamation = 2,  // a warning
  siQuestion = 3,
  siInformation = 4,
};

// Texts of the framework that the program shows (menu titles and labels).
enum TStockText { stHelpMenu = 1, stAbout = 2, stOK = 3, stCancel = 4, stYes = 5, stNo = 6 };
const char* Text(TStockText text);

}  // namespace vstock
