// Diag: the diagnostic channel and the fatal-message hook.
#include "runbase/diag.h"

#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "fio_utf8.h"

namespace Diag {

namespace {

// Writes all of text to standard error; no allocation, no stdio buffer.
void WriteStandardError(const char* text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t n = ::write(STDERR_FILENO, text, left);
    if (n <= 0) return;
    text += n;
    left -= std::size_t(n);
  }
}

void DefaultMessage(const char* caption, const char* text) {
  WriteStandardError(caption);
  WriteStandardError(": ");
  WriteStandardError(text);
  WriteStandardError("\n");
}

std::atomic<Channel> channel{&WriteStandardError};
std::atomic<MessageHook> messageHook{&DefaultMessage};

}  // namespace

Channel SetChannel(Channel next) {
  return channel.exchange(next != nullptr ? next : &WriteStandardError);
}

void OutputA(const char* text) {
  if (text != nullptr) channel.load()(text);
}

void OutputW(const char16_t* text) {
  if (text == nullptr) return;
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  OutputA(FIO::sys::Utf16ToUtf8(text, n).c_str());
}

void Printf(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  OutputA(text);
}

MessageHook SetMessageHook(MessageHook hook) {
  return messageHook.exchange(hook != nullptr ? hook : &DefaultMessage);
}

void ShowMessage(const char* caption, const char* text) {
  messageHook.load()(caption ? caption : "", text ? text : "");
}

}  // namespace Diag
