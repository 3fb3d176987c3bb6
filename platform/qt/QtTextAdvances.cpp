#include "platform/qt/QtTextAdvances.h"

#include <QCoreApplication>
#include <QHash>
#include <QPaintDevice>
#include <QString>
#include <cmath>
#include <memory>

namespace gc::qt {

namespace {

bool FastPathEnabled = true;

using TCacheMap = QHash<QString, std::shared_ptr<TTextAdvances>>;

// The caches hold font engines: they go with the application, not at
// program exit after it.
TCacheMap& Caches() {
  static TCacheMap* caches = [] {
    qAddPostRoutine([] { Caches().clear(); });
    return new TCacheMap;
  }();
  return *caches;
}

// Control and format characters, whose width depends on more than the
// character (tabs) or that the text engine treats specially.
bool NeverSimple(char32_t ch) { return ch < 0x20 || (ch >= 0x7F && ch < 0xA0) || ch == 0xAD; }

}  // namespace

TTextAdvances& TTextAdvances::For(const QFont& font, const QPaintDevice* device) {
  const int dpiX = device ? device->logicalDpiX() : 0;
  const int dpiY = device ? device->logicalDpiY() : 0;
  const QString key =
      font.key() + QStringLiteral("|%1|%2|%3").arg(dpiX).arg(dpiY).arg(font.kerning() ? 1 : 0);
  std::shared_ptr<TTextAdvances>& cache = Caches()[key];
  if (!cache) cache = std::make_shared<TTextAdvances>(font, device);
  return *cache;
}

TTextAdvances::TTextAdvances(const QFont& font, const QPaintDevice* device)
    : Metrics_(font, const_cast<QPaintDevice*>(device)), ShapedPairs_(size_t{Limit} * Limit, false) {}

void TTextAdvances::SetEnabled(bool enabled) { FastPathEnabled = enabled; }
bool TTextAdvances::Enabled() { return FastPathEnabled; }

int64_t TTextAdvances::Measure(const QString& text) const {
  return std::llround(Metrics_.horizontalAdvance(text) * 64);
}

bool TTextAdvances::HasGlyph(char32_t ch) {
  auto it = Glyphs_.find(ch);
  if (it == Glyphs_.end()) it = Glyphs_.emplace(ch, Metrics_.inFontUcs4(static_cast<uint>(ch))).first;
  return it->second;
}

// Accepts a character for the fast path when shaping never changes its
// width: its advance alone is a whole number of 1/64 pixels, and paired with
// every character accepted before, the pair measures the sum of the two or
// is remembered as a pair to shape.
bool TTextAdvances::Check(char32_t ch) {
  Kind_[ch] = TKind::Shaped;
  if (NeverSimple(ch) || !HasGlyph(ch)) return false;
  const QString alone = QString::fromUcs4(&ch, 1);
  const double advance = Metrics_.horizontalAdvance(alone) * 64;
  if (advance != std::round(advance) || advance < 0 || advance > INT32_MAX) return false;
  Advance_[ch] = static_cast<int32_t>(advance);
  Simple_.push_back(ch);
  for (const char32_t other : Simple_) {
    const QString second = QString::fromUcs4(&other, 1);
    const int64_t sum = int64_t{Advance_[ch]} + Advance_[other];
    if (Measure(alone + second) != sum) ShapedPairs_[PairIndex(ch, other)] = true;
    if (other != ch && Measure(second + alone) != sum) ShapedPairs_[PairIndex(other, ch)] = true;
  }
  Kind_[ch] = TKind::Simple;
  return true;
}

std::optional<int64_t> TTextAdvances::Width(std::string_view text) {
  if (!FastPathEnabled) return std::nullopt;
  int64_t width = 0;
  char32_t previous = Limit;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t ch;
    if (lead < 0x80) {
      ch = lead;
      i += 1;
    } else if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size() &&
               (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      ch = (char32_t{lead & 0x1Fu} << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      i += 2;
    } else {
      return std::nullopt;
    }
    if (ch >= Limit) return std::nullopt;
    if (Kind_[ch] != TKind::Simple && (Kind_[ch] == TKind::Shaped || !Check(ch))) return std::nullopt;
    if (previous != Limit && ShapedPairs_[PairIndex(previous, ch)]) return std::nullopt;
    width += Advance_[ch];
    previous = ch;
  }
  return width;
}

}  // namespace gc::qt
