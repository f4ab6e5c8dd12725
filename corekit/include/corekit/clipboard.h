// Where clipboard text goes. The GUI layer registers the desktop clipboard
// at start-up; until then (and in tests) an in-process clipboard serves.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

namespace vcom {

class CClipboardProvider {
 public:
  virtual ~CClipboardProvider();
  // Replaces the clipboard's content by UTF-8 text; false when the
  // clipboard could not be opened or emptied.
  virtual bool SetText(const char* bytes, std::size_t length) = 0;
  // The clipboard's UTF-8 text; false when it holds no text.
  virtual bool GetText(std::string& text) = 0;
};

// A clipboard private to this process (thread-safe).
class CMemoryClipboard : public CClipboardProvider {
 public:
  bool SetText(const char* bytes, std::size_t length) override;
  bool GetText(std::string& text) override;
  void Clear();

 private:
  std::mutex guard_;      // the clipboard is shared by all threads
  std::string text_;      // current content
  bool hasText_ = false;  // false until text was set
};

// Installs a provider (not owned; null restores the in-process one) and
// returns the one in use.
void SetClipboardProvider(CClipboardProvider* provider);
CClipboardProvider& ClipboardProvider();

}  // namespace vcom
