#pragma once

namespace quill {

// The window asks for "Comic Sans MS", "Arial" and "MS Sans Serif"; this maps them to the free
// fonts of nearly the same metrics that Debian ships ("Comic Neue", "Liberation Sans", and a
// plain sans), instead of whatever the system would pick for a missing family. Call once at
// start, before any window is built.
void installFontSubstitutions();

} // namespace quill
