// The diagram's private clipboard format on Qt. A format registered by name
// is the MIME type under which Qt exchanges data of the system format of that
// name, so data placed under it would reach other programs that register the
// same name.
#pragma once

#include <QString>
#include <cstdint>

namespace gc::qt {

// Registers the format `name` and returns its identifier, counting from 1;
// registering a name again gives the identifier it already has.
uint32_t RegisterQtClipboardFormat(const char* name);

// The MIME type of a registered format; empty for an unknown identifier.
QString QtClipboardMimeType(uint32_t format);

}  // namespace gc::qt
