// RegisterWindowMessage: a message number for a text, the same in every program of this user
// for the same text (0xC000 to 0xFFFF).
//
// The numbers come from a table in the runtime directory, the file `messages`: one name per
// line, a name's number being 0xC000 plus its line index. The table is opened only when it is
// a regular file (never through a link, never waiting on a pipe or device) and read only up to
// `kMaxMessageTableSize` bytes. A name already in the table always gets its number. A new name
// is appended while numbers are left; a table that has none left (16,384 names, far more than
// these programs ever register) or that is larger than the limit is not one they wrote: it is
// started afresh with the new name, said once on stderr, and programs started from then on no
// longer share the numbers of the names it held.
#pragma once

#include <cstddef>
#include <string>

#include "platform/os/win32.h"

namespace platform {

inline constexpr std::size_t kMaxMessageNameLength = 255;
inline constexpr std::size_t kMaxMessageTableSize = 16384 * (kMaxMessageNameLength + 1);

// 0 when the text is empty, longer than `kMaxMessageNameLength` or holds a line break, and when
// the table cannot be used (no runtime directory, not a regular file, a write error). Any
// thread; processes take turns on the table through a lock on it.
UINT registerWindowMessage(const std::string& text);

// Whether registerWindowMessage returned `message` in this process. A window can recognise a
// registered message only by the number it was given, so other numbers are of no use to it.
bool isRegisteredMessage(UINT message);

}  // namespace platform
