#pragma once
// The localized menu text file: UTF-16 little-endian, a byte-order mark, then
// lines of the form NAME="Caption" ended by CR LF. Each line gives a caption
// to the script object of that name; several lines naming the same option
// give it several entries, in file order.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace gui {

class GuiManager;

// Longest object name and caption kept from one line, in characters; the
// rest of a longer field is skipped.
constexpr int kMenuTextField = 128;
// Larger files are read only this far: a menu's captions need a few kilobytes.
constexpr size_t kMenuTextMaxBytes = 1u << 20;

// Reads file contents (mark included) and calls `line` for every line that
// has a name followed by an equals sign, with the name (the low byte of each
// character, terminated) and the caption (UTF-16, terminated). A caption
// without its closing quote ends at the end of its line; a line without an
// equals sign is skipped whole, so one damaged line never swallows the next.
void ReadMenuText(const uint8_t *data, size_t size,
                  const std::function<void(const char *name, const uint16_t *text)> &line);

// Applies a menu text file to the manager's objects: each caption is
// rendered in the object's font and handed to the object (a button's label,
// an option's next entry, a field's starting text). Lines naming no object
// are skipped. A file that cannot be opened changes nothing. Returns the
// number of captions applied.
int ApplyMenuText(GuiManager *manager, const char *path);

}  // namespace gui
