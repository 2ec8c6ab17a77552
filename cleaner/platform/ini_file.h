// Rewriting "localinfor.ini" so that none of its lines is ever lost, whatever happens
// during the write (a full disk, a kill, a power cut). The text is edited as the
// private-profile writer edits it, written whole to one temporary file beside the INI and
// put in place in one step. Where no file can be created beside it, the INI is updated in
// place, but only once the room for its new length is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cleaner/platform/platform.h"

namespace cleaner {

// The one temporary file name beside `file`: a run killed mid-write leaves at most this one,
// and the next write removes it.
std::string TemporaryNameOf(const std::string& file);

// One INI file, as each platform opens and replaces it.
class RewritableFile {
public:
    virtual ~RewritableFile() = default;

    // Removes a temporary an earlier run left, then opens the file for reading and writing
    // (never blocking, never a link on POSIX) and reads it: at most `limit` bytes and never
    // past the size it had when opened. Missing when there is none. Unreadable when it
    // cannot be read whole or may not be written (read-only, no regular file, larger than
    // `limit`, another cleaner writing it): then it is left as it is.
    virtual ReadStatus Open(std::size_t limit, std::string& text) = 0;

    // Writes `text` whole to the temporary file (created anew, so a planted one is never
    // written through), flushes it and puts it in the file's place in one step. False when a
    // step fails: the file is then as it was, and the temporary is gone.
    virtual bool ReplaceWhole(const std::string& text) = 0;

    // In place, in the file `Open` read: writes `size` bytes at `offset`; false when not all
    // of them were written.
    virtual bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) = 0;
    // Cuts or extends the file to `size` bytes and flushes it to disk.
    virtual bool SetEnd(std::uint64_t size) = 0;
};

// A text Windows reads as UTF-16 (it starts with a byte order mark): never rewritten.
bool HasUtf16Mark(const std::string& text);

// Sets `key` in `section` of the file (created when missing, with `newline` as its line
// end). A text with a UTF-16 byte order mark is left unwritten. False when nothing was
// written.
bool UpdateIniFile(RewritableFile& file, const std::string& section, const std::string& key,
                   const std::string& value, const std::string& newline);

// Turns the file holding `old` into `text` in place: first the bytes beyond the old end are
// written (the room is taken; when that fails the file is cut back to what it was), then
// the rest from the first byte that changes, then the end is set. A kill at any point
// leaves every old line in the file.
bool UpdateInPlace(RewritableFile& file, const std::string& old, const std::string& text);

}  // namespace cleaner
