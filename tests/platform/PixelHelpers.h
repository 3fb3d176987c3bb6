// Helpers of the pixel tests: a white image canvas and readers of what was
// painted on it.
#pragma once

#include <QImage>
#include <QRect>
#include <string>

#include "platform/qt/QtCanvas.h"

namespace gc::qt::test {

inline bool IsWhite(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(255, 255, 255); }
inline bool IsColor(const QImage& image, int x, int y, QRgb rgb) {
  return image.pixel(x, y) == (rgb | 0xFF000000);
}

// Bounding box of the pixels at which wanted(x, y) holds; empty when it holds at none.
template <class Wanted>
QRect BoxWhere(const QImage& image, Wanted wanted) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (wanted(x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

// Bounding box of the pixels that are not white; empty when all are.
inline QRect InkBox(const QImage& image) {
  return BoxWhere(image, [&](int x, int y) { return !IsWhite(image, x, y); });
}

inline int CountColor(const QImage& image, QRgb rgb) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += IsColor(image, x, y, rgb);
  return n;
}

// The image as rows of '.' (white) and '#' (anything else), for messages.
inline std::string Picture(const QImage& image) {
  std::string s;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) s += IsWhite(image, x, y) ? '.' : '#';
    s += '\n';
  }
  return s;
}

}  // namespace gc::qt::test
