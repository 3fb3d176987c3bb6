// The designer's icons: SVG files drawn for this program, kept in its
// resources as ":/icons/NAME.svg" and rendered crisply at 1x and 2x.
#pragma once

#include <QIcon>
#include <QSize>
#include <QString>

namespace gc::app {

// The icon NAME at `size` logical pixels; a null icon when there is no such
// resource or it is not a valid SVG picture.
QIcon DesignerIcon(const QString& name, QSize size = QSize(20, 20));

// The program's own icon, at the sizes window titles and task bars use.
QIcon ApplicationIcon();

}  // namespace gc::app
