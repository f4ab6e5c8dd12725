// The desktop services other libraries reach through hooks: corekit's
// clipboard provider and runbase's fatal-message hook and diagnostic channel.
#include <QClipboard>
#include <QGuiApplication>
#include <QThread>
#include <QtGlobal>

#include <cstdio>

#include "winkit/vdlg.h"

#include <corekit/clipboard.h>
#include <runbase/diag.h>

namespace winkit_qt {
namespace {

bool OnGuiThread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The desktop clipboard. The toolkit's clipboard belongs to the GUI thread;
// calls from other threads fail as an unopenable clipboard would.
class QtClipboard : public vcom::CClipboardProvider {
 public:
  bool SetText(const char* bytes, std::size_t length) override {
    if (!OnGuiThread()) return false;
    QGuiApplication::clipboard()->setText(QString::fromUtf8(bytes, static_cast<qsizetype>(length)));
    return true;
  }
  bool GetText(std::string& text) override {
    if (!OnGuiThread()) return false;
    const QString t = QGuiApplication::clipboard()->text();
    if (t.isNull()) return false;
    text = t.toStdString();
    return true;
  }
};

// Fatal messages (out of memory) as a warning box; off the GUI thread, where
// no box can be shown, on standard error.
void ShowFatal(const char* caption, const char* text) {
  if (OnGuiThread()) {
    vdlg::DoMessageBox(caption, text, nullptr, nullptr, vdlg::mbOK, vstock::siRedExclamation);
  } else {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  }
}

// Diagnostics go through the toolkit's message log (standard error unless
// a handler is installed).
void Diagnostic(const char* text) { qDebug("%s", text ? text : ""); }

}  // namespace

void InstallPlatformHooks() {
  static QtClipboard clipboard;  // lives as long as the program
  vcom::SetClipboardProvider(&clipboard);
  Diag::SetMessageHook(ShowFatal);
  Diag::SetChannel(Diagnostic);
}

}  // namespace winkit_qt
