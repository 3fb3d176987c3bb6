// The diagram control's mouse cursors on Qt: the stock cursors by their
// toolkit ids and the control's own seven cursors (ids 51..57), loaded by
// resource name from the program's resources.
#pragma once

#include <QCursor>
#include <QPixmap>
#include <QString>
#include <span>

#include "GraphControl/Types.h"

namespace gc::qt {

struct TCursorResource {
  TCursor Id;
  const char* Name;  // the resource name, also the alias in the resource file
  int HotX, HotY;
};

// The control's cursors in registration order (ids 51..57).
std::span<const TCursorResource> CursorResources();

// Loads the seven cursors (once). Requires a QGuiApplication; they are
// released automatically when the application object goes away.
void RegisterCursors();
void ReleaseCursors();

// The image behind a cursor resource name ("GC_HANDFLAT", ...); null when the
// resource is missing.
QPixmap CursorPixmap(const QString& resourceName);

// The Qt cursor for a cursor id. The control's own ids load the cursors on
// first use; unknown ids give the arrow.
QCursor CursorFor(TCursor id);

}  // namespace gc::qt
