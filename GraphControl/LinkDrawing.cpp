// TGraphLink drawing: the line with its end decorations, the selection
// markers, the drag outline, the painted area and the caption laid out along
// one segment (never upside down, always on the upper side of the line).
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/ScopedValue.h"
#include "platform/Canvas.h"

namespace gc {

namespace {

// The caption text without leading and trailing blanks and control characters.
std::string TrimCaption(const std::string& text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  const auto first = std::find_if_not(text.begin(), text.end(), blank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  return first < last ? std::string(first, last) : std::string();
}

// The rotation that keeps a caption on a segment of direction `angle`
// upright: the segment's direction turned by half a circle when it points
// leftwards, brought into [-pi/2, pi/2].
double UprightAngle(double angle) {
  if (angle > Pi / 2) return angle - Pi;
  if (angle < -Pi / 2) return angle + Pi;
  return angle;
}

}  // namespace

// ---- Decorations --------------------------------------------------------------------------------

int32_t TGraphLink::DecorationSize(TLinkBeginEndStyle style, int32_t size) const {
  const int32_t w = Pen().Width();
  switch (style) {
    case lsArrow:
    case lsArrowSimple:
      return 2 * (size + w);
    case lsCircle:
    case lsDiamond:
      return (size + w + 1) / 2;
    default:
      return 0;
  }
}

TRect TGraphLink::GetDecorationBounds(TPoint point, TLinkBeginEndStyle style, int32_t size,
                                      double angle) const {
  const int32_t s = DecorationSize(style, size);
  auto back = [&](double a, double d) { return BackwardPoint(point, a, d); };
  TRect r;
  if (style == lsArrow) {
    const TPoint head[3] = {point, back(angle + Pi / 9, s), back(angle - Pi / 9, s)};
    r = BoundsOfPoints(head, 2);
  } else if (style == lsArrowSimple) {
    const TPoint head[3] = {back(angle + Pi / 6, s), point, back(angle - Pi / 6, s)};
    r = BoundsOfPoints(head, 2);
  } else {
    r = MakeSquare(point, style == lsCircle || style == lsDiamond ? s : 0);
  }
  if (Pen().Style() != TPenStyle::psInsideFrame) r = InflatedRect(r, Pen().Width() / 2 + 1);
  return r;
}

TPoint TGraphLink::DrawDecoration(TCanvas& canvas, TPoint point, int32_t size, TLinkBeginEndStyle style,
                                  double angle) {
  const int32_t s = DecorationSize(style, size);
  auto back = [&](double a, double d) { return BackwardPoint(point, a, d); };
  switch (style) {
    case lsArrow: {
      const TPoint notch = back(angle, MulDiv(s, 6, 10));
      const TPoint head[4] = {point, back(angle + Pi / 9, s), notch, back(angle - Pi / 9, s)};
      canvas.Polygon(head, 4);
      return notch;
    }
    case lsArrowSimple: {
      const TPoint head[3] = {back(angle + Pi / 6, s), point, back(angle - Pi / 6, s)};
      canvas.Polyline(head, 3);
      return point;
    }
    case lsCircle:
      canvas.Ellipse(MakeSquare(point, s));
      return back(angle, s);
    case lsDiamond: {
      const TPoint diamond[4] = {back(angle, s), back(angle + Pi / 2, s), back(angle, -s),
                                 back(angle - Pi / 2, s)};
      canvas.Polygon(diamond, 4);
      return back(angle, s);
    }
    default:
      return point;
  }
}

// ---- Body, markers, outline -------------------------------------------------------------------------

void TGraphLink::DrawBody(TCanvas& canvas) {
  const int32_t n = PointCount();
  if (n == 0) return;
  if (n == 1) {
    // A single point is a dot of the pen's width.
    for (TRect r = MakeSquare(Points_[0], Pen().Width() / 2); !r.IsEmpty(); r = InflatedRect(r, -1))
      canvas.Ellipse(r);
    return;
  }
  const bool decorated = BeginStyle_ != lsNone || EndStyle_ != lsNone;
  TPoints shortened;
  if (decorated) {
    shortened = Points_;
    TScopeExit penStyle([&canvas, style = canvas.Pen().Style()] { canvas.Pen().SetStyle(style); });
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    if (BeginStyle_ != lsNone)
      shortened.front() =
          DrawDecoration(canvas, Points_[0], BeginSize_, BeginStyle_, LineAngle(Points_[1], Points_[0]));
    if (EndStyle_ != lsNone)
      shortened.back() = DrawDecoration(canvas, Points_.back(), EndSize_, EndStyle_,
                                        LineAngle(Points_[static_cast<size_t>(n - 2)], Points_.back()));
  }
  TScopeExit brushStyle([&canvas, style = canvas.Brush().Style()] { canvas.Brush().SetStyle(style); });
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  const TPoints& line = decorated ? shortened : Points_;
  canvas.Polyline(line.data(), n);
}

void TGraphLink::DrawMarkers(TCanvas& canvas) {
  const int32_t n = PointCount();
  if (n == 0) return;
  const bool locked = Owner()->LockLinks();
  DrawMarker(canvas, Points_[0], !(locked || (LinkOptions_ & gloFixedStartPoint)));
  const bool breakPointsEnabled = !(locked || (LinkOptions_ & gloFixedBreakPoints));
  for (int32_t i = 1; i < n - 1; ++i) DrawMarker(canvas, Points_[static_cast<size_t>(i)], breakPointsEnabled);
  DrawMarker(canvas, Points_.back(), !(locked || (LinkOptions_ & gloFixedEndPoint)));
}

void TGraphLink::DrawDragOutline(TCanvas& canvas) {
  const int32_t n = PointCount();
  if (n == 0) return;
  if (n == 1) {
    canvas.Ellipse(MakeSquare(Points_[0], canvas.Pen().Width()));
    return;
  }
  if (ActivePoint_ >= 0 && ActivePoint_ < n) {
    // Only the two segments that move with the dragged point.
    const int32_t from = std::max(ActivePoint_ - 1, 0);
    const int32_t to = std::min(ActivePoint_ + 1, n - 1);
    canvas.Polyline(Points_.data() + from, to - from + 1);
  } else {
    canvas.Polyline(Points_.data(), n);
  }
}

// ---- Painted area -----------------------------------------------------------------------------------------

// A link without points paints nothing; it reports the empty rectangle at the
// origin instead of the inverted "no points" bounds, which growing by the pen
// or the selection markers would overflow.
TRect TGraphLink::ComputePaintBounds() {
  const int32_t n = PointCount();
  if (n == 0) return TRect{};
  TRect r = InflatedRect(GetBoundsRect(), Pen().Width() / 2);
  if (n > 1) {
    if (BeginStyle_ != lsNone)
      MergeRect(r,
                GetDecorationBounds(Points_[0], BeginStyle_, BeginSize_, LineAngle(Points_[1], Points_[0])));
    if (EndStyle_ != lsNone)
      MergeRect(r, GetDecorationBounds(Points_.back(), EndStyle_, EndSize_,
                                       LineAngle(Points_[static_cast<size_t>(n - 2)], Points_.back())));
  }
  if (CaptionRegion_ && (Options() & goShowCaption)) MergeRect(r, CaptionRegion_->BoundingBox());
  return r;
}

// ---- Caption
// ------------------------------------------------------------------------------------------------

TOptionalRegion TGraphLink::CreateCaptionRegion() {
  SetDisplayText(std::string());
  const int32_t n = PointCount();
  if (Text().empty() || n <= 1) return std::nullopt;

  CaptionSegment_ = TextPosition_;
  if (CaptionSegment_ < 0 || CaptionSegment_ >= n - 1) CaptionSegment_ = IndexOfLongestSegment();
  const int32_t k = CaptionSegment_;
  const TPoint a = Points_[static_cast<size_t>(k)];
  const TPoint b = Points_[static_cast<size_t>(k + 1)];

  // The decoration at an end of the caption segment takes room from it.
  int32_t h = 0;
  if (k == 0)
    h = DecorationSize(BeginStyle_, BeginSize_);
  else if (n == k + 2)
    h = DecorationSize(EndStyle_, EndSize_);

  const TPoint ends[2] = {a, b};
  CaptionAnchor_ = CenterOfPoints(ends, 1);
  CaptionAngle_ = LineAngle(a, b);
  const int32_t avail = ClampToInt32(std::trunc(LineLength(a, b))) - Pen().Width() - h;
  if (avail <= 0) return std::nullopt;

  // Measure on one line, shortening each line wider than the segment with an ellipsis.
  std::string text = TrimCaption(Text());
  TRect extent{0, 0, avail, 0};
  {
    TCanvas& measure = CompatibleCanvas();
    measure.Font().Assign(Font());
    measure.DrawText(text, extent,
                     dt::CalcRect | dt::NoPrefix | dt::EditControl | dt::EndEllipsis | dt::ModifyString);
  }
  SetDisplayText(text.substr(0, text.find('\0')));
  const int32_t w = extent.Width();
  const int32_t hText = extent.Height();

  // On the upper side of the segment whichever way it runs, half a
  // decoration back from the decorated end.
  int32_t offset = Halve(Pen().Width() + 1) + TextSpacing_;
  if (CaptionAngle_ >= -Pi / 2 && CaptionAngle_ <= Pi / 2) offset = -offset;
  CaptionAnchor_ = BackwardPoint(CaptionAnchor_, CaptionAngle_ - Pi / 2, offset);
  CaptionAnchor_ = BackwardPoint(CaptionAnchor_, CaptionAngle_, Halve(h));

  const int32_t left = CaptionAnchor_.X - Halve(w);
  const int32_t top = CaptionAnchor_.Y - hText;
  TPoints corners = {{left, top}, {left + w, top}, {left + w, top + hText}, {left, top + hText}};
  RotatePoints(corners, CaptionAnchor_, UprightAngle(CaptionAngle_));
  return TRegion::Polygon(corners, TFillMode::fmAlternate);
}

void TGraphLink::UpdateCaptionPlacement(bool recompute, int32_t dx, int32_t dy) {
  if (recompute) {
    CaptionRegion_.reset();
    CaptionRegion_ = CreateCaptionRegion();
    return;
  }
  if (!CaptionRegion_) return;
  CaptionAnchor_ = {SaturatingAdd(CaptionAnchor_.X, dx), SaturatingAdd(CaptionAnchor_.Y, dy)};
  CaptionRegion_->Offset(dx, dy);
}

void TGraphLink::DrawCaption(TCanvas& canvas) {
  if (!CaptionRegion_) return;
  const TFont oldFont = canvas.Font();
  const TBackgroundMode oldMode = canvas.BackgroundMode();
  const uint32_t oldAlign = canvas.TextAlign();
  // Tenths of a degree, counter-clockwise; the segment angle runs clockwise on screen.
  canvas.Font().SetOrientation(RoundHalfEven(-1800.0 * UprightAngle(CaptionAngle_) / Pi));
  canvas.SetBackgroundMode(TBackgroundMode::Transparent);
  canvas.SetTextAlign(ta::Bottom | ta::Center);
  canvas.TextOut(CaptionAnchor_.X, CaptionAnchor_.Y, DisplayText());
  canvas.SetTextAlign(oldAlign);
  canvas.SetBackgroundMode(oldMode);
  canvas.Font().Assign(oldFont);
}

}  // namespace gc
