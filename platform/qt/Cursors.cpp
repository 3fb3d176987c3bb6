#include "platform/qt/Cursors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <array>
#include <map>

// The resource file is compiled into this static library; its registration
// must be referenced explicitly or the linker drops it.
static void InitCursorResources() { Q_INIT_RESOURCE(resources); }

namespace gc::qt {

namespace {

constexpr std::array<TCursorResource, 7> Resources{{
    {crHandFlat, "GC_HANDFLAT", 15, 15},
    {crHandGrab, "GC_HANDGRAB", 15, 15},
    {crHandPnt, "GC_HANDPNT", 13, 1},
    {crXHair1, "GC_XHAIR1", 15, 15},
    {crXHair2, "GC_XHAIR2", 15, 15},
    {crXHair3, "GC_XHAIR3", 15, 15},
    {crXHairLink, "GC_XHAIRLINK", 15, 15},
}};

std::map<TCursor, QCursor>& Loaded() {
  static std::map<TCursor, QCursor> cursors;
  return cursors;
}

bool PostRoutineAdded = false;

}  // namespace

std::span<const TCursorResource> CursorResources() { return Resources; }

QPixmap CursorPixmap(const QString& resourceName) {
  InitCursorResources();
  return QPixmap(QStringLiteral(":/") + resourceName);
}

void RegisterCursors() {
  if (!Loaded().empty()) return;
  for (const TCursorResource& r : Resources) {
    const QPixmap pixmap = CursorPixmap(QString::fromLatin1(r.Name));
    Loaded()[r.Id] = pixmap.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(pixmap, r.HotX, r.HotY);
  }
  // Pixmaps must go before the application object does.
  if (!PostRoutineAdded) {
    qAddPostRoutine(ReleaseCursors);
    PostRoutineAdded = true;
  }
}

void ReleaseCursors() { Loaded().clear(); }

QCursor CursorFor(TCursor id) {
  switch (id) {
    case crDefault:
    case crArrow:
      return Qt::ArrowCursor;
    case crNone:
      return Qt::BlankCursor;
    case crCross:
      return Qt::CrossCursor;
    case crIBeam:
      return Qt::IBeamCursor;
    case crSizeNESW:
      return Qt::SizeBDiagCursor;
    case crSizeNS:
      return Qt::SizeVerCursor;
    case crSizeNWSE:
      return Qt::SizeFDiagCursor;
    case crSizeWE:
      return Qt::SizeHorCursor;
    case crHandPoint:
      return Qt::PointingHandCursor;
    case crSizeAll:
      return Qt::SizeAllCursor;
    default:
      break;
  }
  if (id >= crHandFlat && id <= crXHairLink) {
    RegisterCursors();
    auto it = Loaded().find(id);
    if (it != Loaded().end()) return it->second;
  }
  return Qt::ArrowCursor;
}

}  // namespace gc::qt
