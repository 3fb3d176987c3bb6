// Restoring an object to a state its property stream recorded. A property
// stream holds only the values that differ from their defaults, so reading it
// into an object that has changed since would keep every value the stream
// leaves out. Before its own records the state is therefore given the
// records of a blank object of the class written as a complete state: every
// property is read, first at its default, then at the recorded value.
#include <unordered_map>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/Identifiers.h"
#include "GraphControl/PropertyStream.h"
#include "GraphControl/ScopedValue.h"
#include "GraphControl/Stream.h"

namespace gc {

namespace {

// Every property of `cls` at its default, as records under "G.". A blank
// object has the owner's font with ParentFont on, and its records put
// ParentFont back on after the font's, so the records do not depend on the
// control they were written with.
const std::vector<uint8_t>& DefaultRecords(const TGraphObjectClass* cls, TGraphControl* owner) {
  static std::unordered_map<const TGraphObjectClass*, std::vector<uint8_t>> cache;
  if (auto found = cache.find(cls); found != cache.end()) return found->second;
  TGraphObject* blank = cls->Make(owner);  // never enters the diagram
  TScopeExit freeBlank([blank] { blank->Destroy(); });
  TMemoryStream records;
  TPropertyWriter writer(records);
  writer.SetCompleteState(true);
  blank->WriteStreamProperties(writer, "G.");
  return cache.emplace(cls, records.Bytes()).first->second;
}

// The length of the header that opens a property stream.
size_t HeaderLength(const std::vector<uint8_t>& state) {
  TMemoryStream stream(state);
  TPropertyReader reader(stream);
  reader.ReadHeader();
  return static_cast<size_t>(stream.Position());
}

}  // namespace

void TGraphObject::RestoreState(const std::vector<uint8_t>& state) {
  const std::vector<uint8_t>& defaults = DefaultRecords(ClassType(), Owner_);
  const size_t header = HeaderLength(state);
  std::vector<uint8_t> records;
  records.reserve(state.size() + defaults.size());
  records.insert(records.end(), state.begin(), state.begin() + static_cast<std::ptrdiff_t>(header));
  records.insert(records.end(), defaults.begin(), defaults.end());
  records.insert(records.end(), state.begin() + static_cast<std::ptrdiff_t>(header), state.end());
  TMemoryStream stream(std::move(records));
  LoadFromStream(stream);
}

namespace {

// The identifiers a link's state hooks its ends to (0: free).
void StoredEnds(const std::vector<uint8_t>& state, uint32_t& source, uint32_t& target) {
  source = target = 0;
  TMemoryStream stream(state);
  TPropertyReader reader(stream);
  reader.ReadHeader();
  while (!reader.EndOfList()) {
    const std::string path = reader.ReadPropertyName();
    if (SameText(path, "G.Source"))
      source = static_cast<uint32_t>(reader.ReadInteger64());
    else if (SameText(path, "G.Target"))
      target = static_cast<uint32_t>(reader.ReadInteger64());
    else
      reader.SkipValue();
  }
}

}  // namespace

void TGraphLink::RestoreState(const std::vector<uint8_t>& state) {
  uint32_t source = 0;
  uint32_t target = 0;
  StoredEnds(state, source, target);
  TGraphObject* const oldSource = Source_;
  TGraphObject* const oldTarget = Target_;
  {
    TGraphObject::TUpdateLock lock(*this);
    // Reading only resolves free ends: an end hooked elsewhere is let go first.
    if (Source_ && Source_->ID() != source) Unhook(Source_);
    if (Target_ && Target_->ID() != target) Unhook(Target_);
    TGraphObject::RestoreState(state);
  }
  if (Source_ && Source_ != oldSource) Owner()->DoObjectHook(Source_, this, 0);
  if (Target_ && Target_ != oldTarget) Owner()->DoObjectHook(Target_, this, PointCount() - 1);
}

}  // namespace gc
