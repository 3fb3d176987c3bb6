// Helpers shared by the two workload programs (this control's and the
// QGraphicsView counterpart): the sizes to run, and mouse and wheel events
// sent to a widget the way the window system delivers them, each followed by
// the event loop until the widget has repainted.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPixmap>
#include <QWheelEvent>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

// 1,000, 10,000 and 100,000, or the comma-separated list in GC_WORKLOAD_SIZES.
inline std::vector<int64_t> WorkloadSizes() {
  const char* value = std::getenv("GC_WORKLOAD_SIZES");
  if (!value || !*value) return {1000, 10000, 100000};
  std::vector<int64_t> sizes;
  std::stringstream list(value);
  std::string item;
  while (std::getline(list, item, ','))
    if (!item.empty()) sizes.push_back(std::stoll(item));
  return sizes;
}

// Counts the paint events a widget receives.
class TPaintCounter : public QObject {
 public:
  explicit TPaintCounter(QWidget& widget) : QObject(&widget) { widget.installEventFilter(this); }
  int64_t Count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Count;
    return QObject::eventFilter(watched, event);
  }
};

inline TPaintCounter& PaintCounter(QWidget& widget) {
  auto* counter = widget.findChild<TPaintCounter*>(QString(), Qt::FindDirectChildrenOnly);
  return counter ? *counter : *new TPaintCounter(widget);
}

// Runs the event loop until the widget has repainted and nothing more is
// waiting (work queued behind the paint runs in the next round), at most a
// few rounds; returns the paints seen.
inline int64_t RunUntilPainted(QWidget& widget) {
  TPaintCounter& counter = PaintCounter(widget);
  const int64_t before = counter.Count;
  for (int round = 0; round < 4; ++round) {
    const int64_t seen = counter.Count;
    QCoreApplication::processEvents();
    if (counter.Count > before && counter.Count == seen) break;
  }
  return counter.Count - before;
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

inline void Press(QWidget& widget, QPoint at) {
  SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
inline void Move(QWidget& widget, QPoint at) {
  SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
inline void Release(QWidget& widget, QPoint at) {
  SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// One wheel notch (delta 120 or -120) at the pointer.
inline void Wheel(QWidget& widget, QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
  QWheelEvent event(QPointF(at), QPointF(widget.mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    modifiers, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &event);
}

// With GC_WORKLOAD_SHOTS set to a folder, saves what the widget shows there
// as NAME.png, to check that both programs paint the same scene.
inline void SaveShot(QWidget& widget, const std::string& name) {
  const char* folder = std::getenv("GC_WORKLOAD_SHOTS");
  if (!folder || !*folder) return;
  QString file = QString::fromStdString(name);
  file.replace('/', '_');
  widget.grab().save(QString::fromUtf8(folder) + "/" + file + ".png");
}

}  // namespace bench
