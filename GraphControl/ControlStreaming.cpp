// TGraphControl: the diagram stream (signature and object block), files,
// object-state snapshots, and rendering a set of objects into a bitmap or a
// metafile through the platform's image hook.
#include <algorithm>
#include <cstring>
#include <exception>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/GraphHistory.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/PropertyStream.h"
#include "GraphControl/RenderHooks.h"
#include "GraphControl/ScopedValue.h"
#include "GraphControl/Stream.h"
#include "platform/Canvas.h"
#include "platform/Platform.h"

namespace gc {

namespace {

constexpr uint8_t DiagramSignature[4] = {0x30, 0x2E, 0x47, 0x53};  // "0.GS"

// A class name record holds at most 255 characters and the closing zero.
constexpr int32_t MaxClassNameRecord = 256;

// The fewest bytes an object record can take: the name length, a one-byte
// name, "TPF0", two empty short strings and the two list ends. A count of
// objects is never trusted beyond what the remaining bytes can hold.
constexpr int64_t MinObjectRecordSize = 4 + 1 + 4 + 1 + 1 + 2;

constexpr const char* InvalidStreamContentText = "Invalid stream content";
constexpr const char* ClassNotFoundText = "Klasse %s nicht gefunden";
constexpr const char* ClassNameNotStorableText = "Klassenname %s kann nicht gespeichert werden";

// Consumes one property stream without applying it (a snapshot entry whose
// object is gone).
void SkipPropertyStream(TStream& stream) {
  TPropertyReader reader(stream);
  reader.ReadHeader();
  while (!reader.EndOfList()) {
    reader.ReadPropertyName();
    reader.SkipValue();
  }
  reader.ReadListEnd();
  reader.ReadListEnd();
}

std::string ReadClassName(TStream& stream) {
  const int32_t length = stream.ReadInt32();
  if (length < 1 || length > MaxClassNameRecord) throw EReadError(InvalidStreamFormatText);
  char buffer[MaxClassNameRecord];
  stream.ReadBuffer(buffer, static_cast<size_t>(length));
  return std::string(buffer, strnlen(buffer, static_cast<size_t>(length)));
}

}  // namespace

// ---- Diagram stream ---------------------------------------------------------------------------

void TGraphControl::SaveToStream(TStream& stream) {
  stream.WriteBuffer(DiagramSignature, sizeof DiagramSignature);
  WriteObjects(stream, Objects_);
  if (S_->SaveMarkHeld == 0) SetModified(false);
}

void TGraphControl::SaveCopyToStream(TStream& stream) {
  TScopedValue held(S_->SaveMarkHeld, S_->SaveMarkHeld + 1);
  SaveToStream(stream);
}

void TGraphControl::LoadFromStream(TStream& stream) {
  uint8_t signature[sizeof DiagramSignature];
  if (stream.Read(signature, sizeof signature) != sizeof signature ||
      std::memcmp(signature, DiagramSignature, sizeof signature) != 0)
    throw EGraphStreamError(InvalidStreamContentText);
  THistoryReset reset(*this);
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  TUpdateLock lock(*this);
  Clear();
  ReadObjects(stream);
  // The loaded diagram is unmodified: the closing EndUpdate clears Modified
  // and raises OnGraphChange once.
  S_->DeferredChange = dcReset;
}

void TGraphControl::SaveCopyToFile(const std::string& fileName) {
  TScopedValue held(S_->SaveMarkHeld, S_->SaveMarkHeld + 1);
  WriteFileAtomically(fileName, [this](TStream& stream) { SaveToStream(stream); });
}

// Only a file that reached the disk makes the diagram unmodified: a failed
// save leaves Modified and the saved position as they were.
void TGraphControl::SaveToFile(const std::string& fileName) {
  SaveCopyToFile(fileName);
  SetModified(false);
}

void TGraphControl::LoadFromFile(const std::string& fileName) {
  TMemoryStream stream(ReadFileBytes(fileName));
  LoadFromStream(stream);
}

// OnObjectWrite may destroy objects: the list shrinks, and the objects stay
// whole until the block is written.
void TGraphControl::WriteObjects(TStream& stream, const TGraphObjectList& list) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  stream.WriteInt32(list.Count());
  for (int32_t i = 0; i < list.Count(); ++i) {
    TGraphObject* object = list.Items(i);
    const std::string& name = object->ClassType()->ClassName();
    // A name the reader would cut or reject is refused rather than written.
    if (name.empty() || name.size() >= MaxClassNameRecord || name.find('\0') != std::string::npos)
      throw EWriteError(Format(ClassNameNotStorableText, name));
    stream.WriteInt32(static_cast<int32_t>(name.size() + 1));
    stream.WriteBuffer(name.data(), name.size());
    stream.WriteUInt8(0);
    object->SaveToStream(stream);
  }
}

void TGraphControl::ReadObjects(TStream& stream) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  TUpdateLock lock(*this);
  TQuerySuppressLock suppress(*this);
  TReadBatch batch{.Objects = {}, .Outer = S_->ReadBatch, .NextToOthers = !Objects_.IsEmpty()};
  TScopedValue reading(S_->ReadBatch, &batch);
  // The objects read are finished whether the block was read whole or not;
  // a reading failure propagates after that.
  std::exception_ptr failure;
  try {
    const int32_t count = stream.ReadInt32();
    if (count <= 0) return;
    const int32_t first = Objects_.Count();
    const int64_t fitting = std::min<int64_t>(count, stream.Remaining() / MinObjectRecordSize);
    Objects_.SetCapacity(static_cast<int32_t>(std::min<int64_t>(first + fitting, INT32_MAX)));
    for (int32_t i = 0; i < count; ++i) {
      const std::string name = ReadClassName(stream);
      const TGraphObjectClass* cls = FindGraphClass(name);
      if (!cls || cls->IsAbstract()) throw EReadError(Format(ClassNotFoundText, name));
      // Joins the batch when it enters Objects (ObjectListChanged).
      TGraphObject::CreateFromStream(cls, this, stream);
    }
  } catch (...) {
    failure = std::current_exception();
  }
  FinishReadObjects(batch);
  if (failure) std::rethrow_exception(failure);
}

// Renumbers the objects read, then ends their loading state in reading order,
// which resolves the links' stored ends into references. Event handlers may
// remove objects meanwhile; their entries become null and are skipped.
//
// A block read into a diagram that held objects already, or one whose objects
// handlers removed during the read, can bind a link's stored end to an object
// other than the one it was stored with: an identifier naming an object
// outside the block, or one handed to another object by the renumbering. The
// hooked ends of such a block's links are placed on their objects now (a
// no-op where they lie there already). A diagram loaded whole keeps every
// stored point, so files load as saved.
void TGraphControl::FinishReadObjects(TReadBatch& batch) {
  RenumberObjects(batch.Objects);
  for (size_t i = 0; i < batch.Objects.size(); ++i)
    if (TGraphObject* object = batch.Objects[i]) object->FinishLoading();
  const bool lostObjects =
      std::find(batch.Objects.begin(), batch.Objects.end(), nullptr) != batch.Objects.end();
  if (!batch.NextToOthers && !lostObjects) return;
  for (size_t i = 0; i < batch.Objects.size(); ++i) {
    TGraphObject* object = batch.Objects[i];
    if (!object || !object->IsLink()) continue;
    auto* link = static_cast<TGraphLink*>(object);
    if (link->Source() || link->Target()) link->RefreshHooks();
  }
}

// ---- Snapshots --------------------------------------------------------------------------------

void TGraphControl::SaveSnapshot(TStream& stream, const TGraphObjectList& list) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  stream.WriteInt32(list.Count());
  for (int32_t i = 0; i < list.Count(); ++i) {
    TGraphObject* object = list.Items(i);
    stream.WriteUInt32(object->ID());
    object->SaveToStream(stream);
  }
}

void TGraphControl::RestoreSnapshot(TStream& stream) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  TUpdateLock lock(*this);
  TQuerySuppressLock suppress(*this);
  const int32_t count = stream.ReadInt32();
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t id = stream.ReadUInt32();
    TGraphObject* object = ObjectByID(id);
    if (!object) {
      SkipPropertyStream(stream);
      continue;
    }
    // Reading alone puts the values back silently. The object reports the
    // restore once: the area it leaves and the one it takes are repainted,
    // the extents and scroll ranges follow, OnObjectChange fires.
    TGraphObject::TUpdateLock objectLock(*object);
    object->Invalidate();
    DoObjectRestore(object);
    object->LoadFromStream(stream);
    object->Changed(chVisual | chBounds);
    // The history sees the restored state as it sees any other, so a step
    // recorded while the object held another state is not left behind.
    S_->History->DataChanged(object);
  }
}

// ---- Rendering --------------------------------------------------------------------------------

namespace {

std::unique_ptr<TRenderedImage> RenderObjects(TGraphControl& control, const TGraphObjectList& list,
                                              TRenderedImageKind kind) {
  const TRenderImageFactory& factory = PlatformServices().RenderImage;
  if (!factory) return nullptr;
  const TRect bounds = control.MeasureObjects(list);
  const int64_t width = static_cast<int64_t>(bounds.Right) - bounds.Left + 1;
  const int64_t height = static_cast<int64_t>(bounds.Bottom) - bounds.Top + 1;
  if (width > INT32_MAX || height > INT32_MAX) throw EGraphInvalidOperation("Image too large");
  std::unique_ptr<TRenderedImage> image =
      factory(kind, static_cast<int32_t>(width), static_cast<int32_t>(height));
  if (!image) return nullptr;
  TCanvas& canvas = image->Canvas();
  canvas.SetViewMapping(100, {-bounds.Left, -bounds.Top});
  control.DrawObjects(canvas, list);
  canvas.SetViewMapping(100, {0, 0});
  image->Finish();
  return image;
}

}  // namespace

std::unique_ptr<TRenderedImage> TGraphControl::RenderBitmap(const TGraphObjectList& list) {
  return RenderObjects(*this, list, TRenderedImageKind::Bitmap);
}

std::unique_ptr<TRenderedImage> TGraphControl::RenderMetafile(const TGraphObjectList& list) {
  return RenderObjects(*this, list, TRenderedImageKind::Metafile);
}

}  // namespace gc
