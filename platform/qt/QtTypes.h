// Qt's points, rectangles and colours for the diagram control: conversions
// and overloads of the calls an embedder makes with them. Graph coordinates
// are whole units, so points and rectangles round to the nearest unit.
#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>

#include "GraphControl/Types.h"

namespace gc {
class TBrush;
class TFont;
class TGraphControl;
class TGraphLink;
class TGraphNode;
class TGraphObject;
class TGraphObjectClass;
class TPen;
}  // namespace gc

namespace gc::qt {

TPoint ToTPoint(const QPointF& point);
QPointF ToQPointF(TPoint point);
// Left, top, right and bottom each rounded; the right and bottom edges are
// exclusive in both.
TRect ToTRect(const QRectF& rect);
QRectF ToQRectF(const TRect& rect);
// The colour's red, green and blue as 0x00BBGGRR; alpha is dropped.
TColor ToTColor(const QColor& color);
// Named system colours (clWindow, clBtnFace...) come from the application's
// palette.
QColor ToQColor(TColor color);

// TGraphControl::AddNode, AddLink and ObjectAtPoint with Qt's types (graph
// units). Null as there.
TGraphNode* AddNode(TGraphControl& graph, const QRectF& bounds, const TGraphObjectClass* nodeClass = nullptr);
TGraphLink* AddLink(TGraphControl& graph, TGraphObject* source, const QList<QPointF>& points,
                    const TGraphObjectClass* linkClass = nullptr);
TGraphObject* ObjectAtPoint(const TGraphControl& graph, const QPointF& point);
void BringIntoView(TGraphControl& graph, const QRectF& rect);
void CenterView(TGraphControl& graph, const QPointF& point);

// The fill, line and text colour of an object (object->Brush(), Pen(),
// Font()), and the control's background.
void SetColor(TBrush& brush, const QColor& color);
void SetColor(TPen& pen, const QColor& color);
void SetColor(TFont& font, const QColor& color);
void SetColor(TGraphControl& graph, const QColor& color);

}  // namespace gc::qt
