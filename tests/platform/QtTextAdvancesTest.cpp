// The Qt canvas measures text that needs no shaping from cached advances.
// Caption layout must come out exactly as when every text is shaped in full:
// the same widths, line breaks and cut texts, for every font, on a corpus
// that mixes such text with text that needs shaping.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "GraphControl/Geometry.h"
#include "GraphControl/Utf8.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtTextAdvances.h"

namespace gc::qt::test {
namespace {

// Restores the fast path when a test ends.
struct TFastPath {
  explicit TFastPath(bool enabled) { TTextAdvances::SetEnabled(enabled); }
  ~TFastPath() { TTextAdvances::SetEnabled(true); }
};

struct TFontCase {
  const char* Name;
  int32_t Height;
  TFontStyles Style;
};

// DejaVu has ligatures for "fi", "fl" and "ff"; the Liberation fonts stand
// in for Arial and Times New Roman.
const TFontCase Fonts[] = {
    {"Arial", -13, 0},       {"Arial", -8, fsBold},         {"Times New Roman", -20, fsItalic},
    {"DejaVu Sans", -13, 0}, {"DejaVu Serif", -17, fsBold}, {"Courier New", -11, 0},
};

const std::vector<std::string>
    Corpus =
        {
            "Node 12345",
            "The quick brown fox jumps over the lazy dog.",
            "office affluent fjord waffle; ffi ffl fi fl",
            "Gr\xC3\xB6\xC3\x9F"
            "e \xC3\x84rger fa\xC3\xA7"
            "ade na\xC3\xAFve \xC5\x93uvre",
            "e\xCC\x81te\xCC\x81 A\xCC\x8Angstro\xCC\x88m",                               // combining marks
            "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D abc 123",  // Hebrew and Latin
            "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 "
            "\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85",  // Arabic
            "\xE6\xBC\xA2\xE5\xAD\x97\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88 Node \xE6\xBC\xA2",  // CJK
            "a\tb\tc\t\tdone",
            "\tindented\ttext",
            "Donaudampfschifffahrtsgesellschaftskapit\xC3\xA4nsm\xC3\xBC"
            "tze",
            "supercalifragilisticexpialidocious-and-more/words.here,too",
            "line one\r\nline two\nline three\rfour\n\rfive",
            "   spaced    out   words   ",
            "soft\xC2\xADhyphen and non\xC2\xA0"
            "breaking spaces",
            "Ellipsis\xE2\x80\xA6 and \"quotes\" (brackets) [more] {braces}",
            "\xF0\x9F\x99\x82 smile \xCE\xB1\xCE\xB2\xCE\xB3 \xD0\xB4\xD0\xB0",  // emoji, Greek, Cyrillic
            "broken \xC3( utf-8 \xE2\x82 bytes \xFF end",
            "WWWWWWWWWWWWWWWWWWWWiiiiiiiiiiiiiiiiiiii",
};

void UseFont(TCanvas& canvas, const TFontCase& font) {
  canvas.Font().SetName(font.Name);
  canvas.Font().SetHeight(font.Height);
  canvas.Font().SetStyle(font.Style);
}

// Everything the caption layout asks of the canvas, for one text: the
// extent of every prefix, and the fitted text for a range of rectangles.
std::vector<std::string> Layouts(TCanvas& canvas, const std::string& text) {
  std::vector<std::string> out;
  const std::vector<size_t> bounds = Utf8Boundaries(text);
  for (size_t end : bounds) {
    const TSize e = canvas.TextExtent(text.substr(0, end));
    out.push_back(std::to_string(e.cx) + "x" + std::to_string(e.cy));
  }
  for (int32_t width = 4; width <= 160; width += 9)
    for (int32_t lines : {1, 3}) {
      const int32_t height = lines * canvas.TextExtent(" ").cy;
      out.push_back(FitText(canvas, text, {0, 0, width, height}));
      std::string cut = text;
      TRect r{0, 0, width, 0};
      canvas.DrawText(cut, r, dt::CalcRect | dt::EndEllipsis | dt::ModifyString | dt::NoPrefix);
      out.push_back(cut + "|" + std::to_string(r.Right) + "x" + std::to_string(r.Bottom));
    }
  return out;
}

TEST(TextMeasuring, CachedAdvancesLayOutCaptionsExactlyAsFullShaping) {
  for (const TFontCase& font : Fonts) {
    for (const std::string& text : Corpus) {
      SCOPED_TRACE(std::string(font.Name) + " " + std::to_string(font.Height) + ": " + text);
      std::vector<std::string> shaped, cached;
      {
        TFastPath off(false);
        TQtImageCanvas canvas(1, 1);
        UseFont(canvas, font);
        shaped = Layouts(canvas, text);
      }
      {
        TQtImageCanvas canvas(1, 1);
        UseFont(canvas, font);
        cached = Layouts(canvas, text);
      }
      ASSERT_EQ(shaped.size(), cached.size());
      for (size_t i = 0; i < shaped.size(); ++i) EXPECT_EQ(shaped[i], cached[i]) << "layout step " << i;
    }
  }
}

// The fast path takes the text it can measure exactly and leaves the rest
// to shaping; the comparison above only means something when it is taken.
TEST(TextMeasuring, FastPathTakesOnlyTextThatNeedsNoShaping) {
  struct TCase {
    const char* Font;
    std::string Text;
    bool Cached;
  };
  const TCase cases[] = {
      {"DejaVu Sans", "Node 12345", true},
      {"DejaVu Sans",
       "Gr\xC3\xB6\xC3\x9F"
       "e",
       true},
      {"DejaVu Sans", "", true},
      {"DejaVu Sans", "office", false},  // the font joins "ff" and "fi"
      {"Arial", "office", true},         // this one does not
      {"DejaVu Sans", "e\xCC\x81", false},
      {"DejaVu Sans", "\xD7\xA9\xD7\x9C", false},
      {"DejaVu Sans", "\xE6\xBC\xA2", false},
      {"DejaVu Sans", "a\tb", false},
      {"DejaVu Sans", "soft\xC2\xAD", false},
      {"DejaVu Sans", "\xC3(", false},
  };
  QImage device(1, 1, QImage::Format_RGB32);
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Font) + ": " + c.Text);
    QFont font = TQtCanvas::ToQFont([&] {
      TFont f;
      f.SetName(c.Font);
      f.SetHeight(-13);
      return f;
    }());
    EXPECT_EQ(TTextAdvances::For(font, &device).Width(c.Text).has_value(), c.Cached);
  }
}

}  // namespace
}  // namespace gc::qt::test
