#include "platform/qt/QtTextLines.h"

#include <QCoreApplication>
#include <QHash>
#include <QPaintDevice>
#include <QTextLayout>
#include <QTextOption>
#include <memory>

namespace gc::qt {

namespace {

using TCacheMap = QHash<QString, std::shared_ptr<TTextLines>>;

// The caches hold fonts: they go with the application, not at program exit
// after it.
TCacheMap& Caches() {
  static TCacheMap* caches = [] {
    qAddPostRoutine([] { Caches().clear(); });
    return new TCacheMap;
  }();
  return *caches;
}

}  // namespace

TTextLines& TTextLines::For(const QFont& font, const QPaintDevice* device) {
  const int dpiX = device ? device->logicalDpiX() : 0;
  const int dpiY = device ? device->logicalDpiY() : 0;
  const QString key = font.key() + QStringLiteral("|%1|%2").arg(dpiX).arg(dpiY);
  std::shared_ptr<TTextLines>& cache = Caches()[key];
  if (!cache) cache = std::make_shared<TTextLines>(font, device);
  return *cache;
}

// The font as resolved for the device's resolution; the device itself is
// not kept.
TTextLines::TTextLines(const QFont& font, const QPaintDevice* device)
    : Font_(device ? QFont(font, device) : font) {}

const TTextLines::TLine* TTextLines::Find(const std::string& text) {
  if (auto it = Lines_.find(text); it != Lines_.end()) {
    Order_.splice(Order_.begin(), Order_, it->second.Position);
    return &it->second.Line;
  }
  if (SeenOnce_.insert(text).second) {
    if (SeenOnce_.size() > Capacity) {
      SeenOnce_.clear();
      SeenOnce_.insert(text);
    }
    return nullptr;
  }
  SeenOnce_.erase(text);

  // One line, never wrapped, as QPainter::drawText lays a string out.
  QTextLayout layout(QString::fromStdString(text), Font_);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(1e6);
  layout.endLayout();

  if (Lines_.size() >= Capacity) {
    Lines_.erase(Order_.back());
    Order_.pop_back();
  }
  Order_.push_front(text);
  TEntry& entry = Lines_[text];
  entry.Line = {layout.glyphRuns(), line.ascent()};
  entry.Position = Order_.begin();
  return &entry.Line;
}

}  // namespace gc::qt
