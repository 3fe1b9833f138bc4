#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "text/secret.h"

// How each platform reads a password: files, standard input, the
// environment and a prompt without echo.
namespace trelvo {

// Passwords are short; a longer first line is refused rather than cut.
constexpr std::size_t kMaxPasswordBytes = 4096;

enum class LineRead { Read, CannotOpen, Failed };

// One byte of a password source: a byte, its end, or a failure.
enum class ByteRead { Byte, End, Failed };

// Takes bytes up to the first line feed, one at a time so that nothing after
// the line is consumed and no library buffer keeps a copy; without the line
// end's CR. False when reading failed or the line is longer than
// kMaxPasswordBytes; what was read is wiped either way. The same on every
// platform, which only says how a byte is read.
bool TakeFirstLine(const std::function<ByteRead(char&)>& nextByte, Secret& password);

// The first line of the file ("-": standard input, asked for without echo
// when it is a terminal), its line end removed. `openError` says why the
// file could not be opened.
LineRead ReadPasswordLine(const std::string& passwordFile, Secret& password,
                          std::string& openError);

// TRELVO_PASSWORD when it is set and not empty; it is then removed from the
// process's environment, where others of the same user could read it for as
// long as the run lasts.
bool TakePasswordFromEnvironment(Secret& password);

// Asks on the controlling terminal or console with echo off; false without
// one. Ctrl-C at the prompt leaves the echo on.
bool PromptForPassword(Secret& password);

}  // namespace trelvo
