// Message boxes, file and folder choosers and the scripted dialog driver.
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <cstring>

#include "qtpeer.h"
#include "winkit/vcont.h"
#include "winkit/vdlg.h"

using namespace winkit_qt;

namespace vstock {

void Init_() {}

const char* Text(TStockText text) {
  switch (text) {
    case stHelpMenu: return "Help";
    case stAbout: return "About...";
    case stOK: return "OK";
    case stCancel: return "Cancel";
    case stYes: return "Yes";
    case stNo: return "No";
  }
  return "";
}

}  // namespace vstock

namespace vdlg {

void Init_() { view::Init_(); }

// -------------------------------------------------------- scripted driver

namespace {
CScriptedDialogs* g_active = nullptr;

// The answer given when nothing was scripted: the button that changes
// nothing (OK alone, else Cancel or No).
int SafeButton(int buttons) {
  switch (buttons) {
    case mbOKCancel: return mrCancel;
    case mbYesNo: return mrNo;
    case mbYesNoCancel: return mrCancel;
    default: return mrOK;
  }
}

const char* KindName(TDialogKind k) {
  switch (k) {
    case dkMessageBox: return "message";
    case dkParagraphBox: return "paragraph";
    case dkInFile: return "open";
    case dkOutFile: return "save";
    case dkDir: return "folder";
    case dkOKCancel: return "dialog";
    case dkPopUpMenu: return "menu";
  }
  return "";
}
}  // namespace

CScriptedDialogs::CScriptedDialogs() : previous_(g_active) { g_active = this; }
CScriptedDialogs::~CScriptedDialogs() { g_active = previous_; }
CScriptedDialogs* CScriptedDialogs::Active() { return g_active; }

void CScriptedDialogs::AnswerButton(int button) {
  TAnswer a;
  a.button = button;
  Answer(a);
}
void CScriptedDialogs::AnswerFile(const std::string& path, int filterIndex) {
  TAnswer a;
  a.path = path;
  a.filterIndex = filterIndex;
  Answer(a);
}
void CScriptedDialogs::AnswerCancel() { AnswerButton(mrCancel); }
void CScriptedDialogs::AnswerOK(std::function<void(vwin::COKCancelDialog&)> fill) {
  TAnswer a;
  a.fill = std::move(fill);
  Answer(a);
}
void CScriptedDialogs::AnswerMenu(uint32_t command) {
  TAnswer a;
  a.command = command;
  Answer(a);
}

TAnswer CScriptedDialogs::Take(TShownDialog& d) {
  TAnswer a;
  if (queue_.empty()) {
    d.scripted = false;
    a.button = d.kind == dkMessageBox || d.kind == dkParagraphBox ? SafeButton(d.buttons) : mrCancel;
  } else {
    a = queue_.front();
    queue_.pop_front();
  }
  d.answer = a.button;
  shown_.push_back(d);
  return a;
}

std::string CScriptedDialogs::Transcript() const {
  std::string out;
  for (const TShownDialog& d : shown_) {
    out += std::string("[") + KindName(d.kind) + "] " + d.caption + "\n";
    for (const std::string& l : d.lines) out += l + "\n";
  }
  return out;
}

// ------------------------------------------------------------ message boxes

namespace {

QMessageBox::Icon IconOf(vstock::TStockIcon icon) {
  switch (icon) {
    case vstock::siStop: return QMessageBox::Critical;
    case vstock::siRedExclamation: return QMessageBox::Warning;
    case vstock::siQuestion: return QMessageBox::Question;
    case vstock::siInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int ShowBox(TDialogKind kind, const char* caption, const std::vector<std::string>& lines, TButtons buttons,
            vstock::TStockIcon icon) {
  if (CScriptedDialogs* script = CScriptedDialogs::Active()) {
    TShownDialog d;
    d.kind = kind;
    d.caption = caption ? caption : "";
    d.lines = lines;
    d.buttons = buttons;
    d.icon = icon;
    return script->Take(d).button;
  }
  EnsureApp();
  QString text;
  for (const std::string& l : lines) {
    if (!text.isEmpty()) text += '\n';
    text += QString::fromStdString(l);
  }
  QMessageBox box(IconOf(icon), Q(caption), text);
  struct {
    TButtons set;
    QMessageBox::StandardButtons qt;
  } static const sets[] = {{mbOK, QMessageBox::Ok},
                           {mbOKCancel, QMessageBox::Ok | QMessageBox::Cancel},
                           {mbYesNo, QMessageBox::Yes | QMessageBox::No},
                           {mbYesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel}};
  for (const auto& s : sets)
    if (s.set == buttons) box.setStandardButtons(s.qt);
  if (kind == dkParagraphBox) box.setTextFormat(Qt::PlainText);
  switch (box.exec()) {
    case QMessageBox::Ok: return mrOK;
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    case QMessageBox::Cancel: return mrCancel;
    default: return SafeButton(buttons);  // closed by the window's button
  }
}

}  // namespace

int DoMessageBox(const char* caption, const char* line1, const char* line2, const char* line3, TButtons buttons,
                 vstock::TStockIcon icon) {
  std::vector<std::string> lines;
  for (const char* l : {line1, line2, line3})
    if (l && *l) lines.emplace_back(l);
  return ShowBox(dkMessageBox, caption, lines, buttons, icon);
}

int DoParagraphMessageBox(const char* caption, const char* paragraph, TButtons buttons, vstock::TStockIcon icon) {
  std::vector<std::string> lines;
  if (paragraph) lines.emplace_back(paragraph);
  return ShowBox(dkParagraphBox, caption, lines, buttons, icon);
}

// ------------------------------------------------------------------ choosers

namespace {

// "TXT Files (*.txt)" with mask "*.txt" -> "TXT Files (*.txt)"; the masks
// decide what the toolkit filters by.
QString FilterText(const TFileFilter& f) {
  QString desc = Q(f.description).trimmed();
  if (desc.endsWith(')')) {
    int open = desc.lastIndexOf('(');
    if (open > 0) desc = desc.left(open).trimmed();
  }
  QString masks = Q(f.mask);
  masks.replace(';', ' ');
  return desc + " (" + masks + ")";
}

bool ChooseFile(TDialogKind kind, const char* title, int high, char* path, const TFileFilter* filters, int count,
                int* filterIndex) {
  if (!path || high < 0) return false;
  std::string start = Q(path, high + 1).toStdString();
  std::string chosen;
  int index = 0;
  if (CScriptedDialogs* script = CScriptedDialogs::Active()) {
    TShownDialog d;
    d.kind = kind;
    d.caption = title ? title : "";
    d.path = start;
    for (int i = 0; i < count; ++i)
      d.filters.push_back(std::string(filters[i].mask ? filters[i].mask : "") + "|" +
                          (filters[i].description ? filters[i].description : ""));
    TAnswer a = script->Take(d);
    if (a.button != mrOK || a.path.empty()) return false;
    chosen = a.path;
    index = a.filterIndex;
  } else {
    EnsureApp();
    QStringList list;
    for (int i = 0; i < count; ++i) list << FilterText(filters[i]);
    QFileDialog dlg(nullptr, Q(title), QString::fromStdString(start));
    dlg.setNameFilters(list);
    dlg.setAcceptMode(kind == dkOutFile ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(kind == dkOutFile ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    chosen = S(dlg.selectedFiles().first());
    index = static_cast<int>(list.indexOf(dlg.selectedNameFilter()));
  }
  // A path that does not fit is refused rather than cut: a cut path would
  // name another file.
  if (chosen.size() > static_cast<size_t>(high)) return false;
  std::memcpy(path, chosen.c_str(), chosen.size() + 1);
  if (filterIndex) *filterIndex = index < 0 ? 0 : index;
  return true;
}

}  // namespace

bool GetInFileName(const char* title, int high, char* path, const TFileFilter* filters, int count, int* filterIndex) {
  return ChooseFile(dkInFile, title, high, path, filters, count, filterIndex);
}

bool GetOutFileName(const char* title, int high, char* path, const TFileFilter* filters, int count, int* filterIndex) {
  return ChooseFile(dkOutFile, title, high, path, filters, count, filterIndex);
}

bool GetDirName(const char* title, const char* prompt, int high, char* path) {
  if (!path || high < 0) return false;
  std::string start = Q(path, high + 1).toStdString();
  std::string chosen;
  if (CScriptedDialogs* script = CScriptedDialogs::Active()) {
    TShownDialog d;
    d.kind = dkDir;
    d.caption = title ? title : "";
    if (prompt && *prompt) d.lines.emplace_back(prompt);
    d.path = start;
    TAnswer a = script->Take(d);
    if (a.button != mrOK || a.path.empty()) return false;
    chosen = a.path;
  } else {
    EnsureApp();
    QString caption = Q(title);
    if (prompt && *prompt) caption += " - " + Q(prompt);
    QString dir = QFileDialog::getExistingDirectory(nullptr, caption, QString::fromStdString(start));
    if (dir.isEmpty()) return false;
    chosen = S(dir);
  }
  if (chosen.size() > static_cast<size_t>(high)) return false;
  std::memcpy(path, chosen.c_str(), chosen.size() + 1);
  return true;
}

}  // namespace vdlg
