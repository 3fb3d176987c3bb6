// Lines of text already shaped, so that repainting a caption does not shape
// it again.
//
// Drawing a string with QPainter shapes it first, which costs more than
// putting its glyphs on the screen. This cache keeps, per font and
// resolution, the glyph runs of the lines drawn recently (a line laid out
// once by QTextLayout), and the canvas draws those runs at the same
// baseline, which gives the same pixels. A line is kept from the second
// time it is drawn on, so painting a great many lines once each (a whole
// large diagram zoomed out) fills no cache that nothing reuses.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>

class QPaintDevice;

namespace gc::qt {

class TTextLines {
 public:
  struct TLine {
    QList<QGlyphRun> Runs;  // positions relative to the top-left of the line
    double Ascent = 0;      // the line's baseline below its top
  };

  // The cache of a font on a device; kept for the process's life (the
  // user-interface thread only).
  static TTextLines& For(const QFont& font, const QPaintDevice* device);

  // The shaped line, or null the first time the text is asked for (draw it
  // the ordinary way then).
  const TLine* Find(const std::string& text);

  TTextLines(const QFont& font, const QPaintDevice* device);

 private:
  static constexpr size_t Capacity = 4096;  // lines kept per font

  using TOrder = std::list<std::string>;  // most recently used first
  struct TEntry {
    TLine Line;
    TOrder::iterator Position;
  };

  QFont Font_;
  std::unordered_map<std::string, TEntry> Lines_;
  TOrder Order_;
  std::unordered_set<std::string> SeenOnce_;
};

}  // namespace gc::qt
