#include "app/DesignerIcons.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resource file is compiled into the platform library; its registration
// must be referenced explicitly or the linker drops it.
static void InitDesignerResources() { Q_INIT_RESOURCE(resources); }

namespace gc::app {

namespace {

void AddRendering(QIcon& icon, QSvgRenderer& renderer, QSize size, int scale) {
  QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  painter.end();
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(scale);
  icon.addPixmap(pixmap);
}

QIcon RenderIcon(const QString& name, std::initializer_list<QSize> sizes) {
  InitDesignerResources();
  QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
  if (!renderer.isValid()) return {};
  QIcon icon;
  for (const QSize& size : sizes)
    for (int scale : {1, 2}) AddRendering(icon, renderer, size, scale);
  return icon;
}

}  // namespace

QIcon DesignerIcon(const QString& name, QSize size) { return RenderIcon(name, {size}); }

QIcon ApplicationIcon() {
  return RenderIcon("ScreenDesigner", {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}});
}

}  // namespace gc::app
