// vdlg: message boxes, file and folder choosers, and the scripted dialog
// driver that answers all of them (and every OK/Cancel dialog and pop-up
// menu) in tests, recording each text shown word for word.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "winkit/vstock.h"

namespace vwin {
class COKCancelDialog;
}

namespace vdlg {

void Init_();

enum TButtons { mbOK = 0, mbOKCancel = 1, mbYesNo = 2, mbYesNoCancel = 3 };
// The button chosen.
enum TResult { mrNone = 0, mrOK = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// caption and up to three lines (null or empty lines are left out).
int DoMessageBox(const char* caption, const char* line1, const char* line2, const char* line3, TButtons buttons,
                 vstock::TStockIcon icon);
// caption and a paragraph wrapped to the box's width.
int DoParagraphMessageBox(const char* caption, const char* paragraph, TButtons buttons, vstock::TStockIcon icon);

// A file type: mask "*.ofd" (several joined by ';') and its description.
struct TFileFilter {
  const char* mask;
  const char* description;
};

// File choosers. path (high, buffer) holds on entry the folder or file to
// start from and on success the chosen file. filterIndex, when given,
// receives the index of the filter chosen. false: cancelled.
bool GetInFileName(const char* title, int high, char* path, const TFileFilter* filters, int filterCount,
                   int* filterIndex = nullptr);
bool GetOutFileName(const char* title, int high, char* path, const TFileFilter* filters, int filterCount,
                    int* filterIndex = nullptr);
// Folder chooser with a prompt line.
bool GetDirName(const char* title, const char* prompt, int high, char* path);

// ------------------------------------------------------- scripted driver

enum TDialogKind { dkMessageBox, dkParagraphBox, dkInFile, dkOutFile, dkDir, dkOKCancel, dkPopUpMenu };

// One dialog as it was shown.
struct TShownDialog {
  TDialogKind kind = dkMessageBox;
  std::string caption;              // title
  std::vector<std::string> lines;   // text lines, paragraph, prompt or the dialog's static texts
  int buttons = mbOK;               // TButtons of a message box
  int icon = vstock::siNone;        // TStockIcon of a message box
  std::string path;                 // starting path of a chooser
  std::vector<std::string> filters; // "mask|description" of a file chooser
  int answer = mrNone;              // button given (mrOK / mrCancel for choosers and dialogs)
  bool scripted = true;             // false: no answer was queued, the default was given
};

// How to answer the next dialog.
struct TAnswer {
  int button = mrOK;       // message boxes; mrOK or mrCancel for the others
  std::string path;        // file or folder chosen
  int filterIndex = 0;     // filter chosen in a file chooser
  uint32_t command = 0;    // item chosen in a pop-up menu (0: dismissed)
  // Runs on the dialog before it is answered: fills its controls as a user would.
  std::function<void(vwin::COKCancelDialog&)> fill;
};

// While an instance lives, no dialog is shown: each is answered from the
// queue in order and recorded. An unexpected dialog (empty queue) gets the
// safe default: the last button of a message box (OK, Cancel, No, Cancel),
// Cancel for choosers and dialogs, no command for menus; it is recorded with
// scripted = false.
class CScriptedDialogs {
 public:
  CScriptedDialogs();
  ~CScriptedDialogs();
  CScriptedDialogs(const CScriptedDialogs&) = delete;
  CScriptedDialogs& operator=(const CScriptedDialogs&) = delete;

  void Answer(const TAnswer& answer) { queue_.push_back(answer); }
  void AnswerButton(int button);
  void AnswerFile(const std::string& path, int filterIndex = 0);
  void AnswerCancel();
  void AnswerOK(std::function<void(vwin::COKCancelDialog&)> fill = nullptr);
  void AnswerMenu(uint32_t command);

  const std::vector<TShownDialog>& Shown() const { return shown_; }
  // Captions and lines of everything shown, one text per line, in order.
  std::string Transcript() const;
  int Pending() const { return static_cast<int>(queue_.size()); }
  void Clear() { shown_.clear(); queue_.clear(); }

  // The driver in force, or null. Used by the dialog functions.
  static CScriptedDialogs* Active();
  // Records d and returns the answer for it.
  TAnswer Take(TShownDialog& d);

 private:
  std::deque<TAnswer> queue_;        // answers not used yet
  std::vector<TShownDialog> shown_;  // everything shown, in order
  CScriptedDialogs* previous_;       // driver in force before this one
};

}  // namespace vdlg
