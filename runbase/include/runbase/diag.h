// Diag: the diagnostic channel and the hook for fatal messages.
//
// Diagnostics (timings, cache steps) are written to one channel; by default
// it is standard error. The GUI library may route it elsewhere with
// SetChannel. Fatal messages that runbase itself must show (out of memory)
// go through the message hook, by default a line on standard error, which
// the GUI library replaces with a message box.
//
// The channel and the hook are process-wide; set them at start-up, before
// other threads run.
#pragma once

#include <cstdint>

namespace Diag {

// Receives one diagnostic text (UTF-8, usually ending in a line feed).
using Channel = void (*)(const char* text);
// Shows a caption and a message with a warning icon; must not allocate
// through Storage.
using MessageHook = void (*)(const char* caption, const char* text);

// Sets the channel; null restores standard error. Returns the previous one.
Channel SetChannel(Channel channel);
// Writes text to the channel.
void OutputA(const char* text);
// Writes UTF-16 text, converted to UTF-8.
void OutputW(const char16_t* text);
// Formats like printf and writes the result (cut at 1023 bytes).
void Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Sets the fatal-message hook; null restores the default. Returns the previous one.
MessageHook SetMessageHook(MessageHook hook);
// Shows a message through the hook.
void ShowMessage(const char* caption, const char* text);

}  // namespace Diag
