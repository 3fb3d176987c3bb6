// The control's helper classes that only its own sources use: the header is
// not installed. See docs/architecture.md.
#pragma once

#include <vector>

#include "GraphControl/Control.h"

namespace gc {

// Reusable vectors for the candidates of area queries, so that painting and
// hit testing do not allocate per call. A query made while another is being
// worked through (from an event handler) takes a vector of its own.
class TGraphControl::TCandidates {
 public:
  explicit TCandidates(const TGraphControl& control);
  ~TCandidates();
  TCandidates(const TCandidates&) = delete;
  TCandidates& operator=(const TCandidates&) = delete;
  std::vector<TGraphObject*>& List() { return List_; }

 private:
  const TGraphControl& Control_;
  std::vector<TGraphObject*> List_;
};

// Watches Objects for removals while a list of candidates is worked through,
// so that objects an event handler removed are skipped.
class TGraphControl::TRemovalWatch {
 public:
  explicit TRemovalWatch(TGraphControl& control);
  ~TRemovalWatch();
  TRemovalWatch(const TRemovalWatch&) = delete;
  TRemovalWatch& operator=(const TRemovalWatch&) = delete;
  bool Removed(const TGraphObject* object) const;

 private:
  TGraphControl& Control_;
  std::vector<TGraphObject*>* Outer_;
  std::vector<TGraphObject*> Removed_;
};

// The objects a running ReadObjects appended, in reading order; an object that
// leaves Objects meanwhile leaves a null entry. Reads nest through event
// handlers, so each batch links to the one outside it.
struct TGraphControl::TReadBatch {
  std::vector<TGraphObject*> Objects;
  TReadBatch* Outer = nullptr;
  // The diagram held objects before the read.
  bool NextToOthers = false;
};

// Pauses recording for its lifetime; the diagram as it is then becomes the
// history's start (clearing, loading).
class TGraphControl::THistoryReset {
 public:
  explicit THistoryReset(TGraphControl& control);
  ~THistoryReset();
  THistoryReset(const THistoryReset&) = delete;
  THistoryReset& operator=(const THistoryReset&) = delete;

 private:
  TGraphControl& Control_;
};

}  // namespace gc
