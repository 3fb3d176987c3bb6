// Class descriptors of graph objects. A descriptor stands for a class at run
// time: its name (the key by which streams create objects), its parent (for
// "an instance of this class or of a derived one"), whether it is a link or a
// node class, and the factory that runs the class's C++ constructor.
//
// Every concrete graph object class exposes `static const TGraphObjectClass*
// StaticClass()` and overrides `ClassType()` to return it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "GraphControl/Types.h"

namespace gc {

class TGraphControl;
class TGraphObject;

class TGraphObjectClass {
 public:
  // Runs the C++ constructor only (the object is left in its creating state;
  // the post-construction steps belong to the named factory that called it).
  using TMakeFn = TGraphObject* (*)(TGraphControl* owner);
  // The node constructor with bounds, complete with post-construction: used by
  // TGraphControl::AddNode. Filled in by the node classes.
  using TNodeFactory = TGraphObject* (*)(const TGraphObjectClass* cls, TGraphControl* owner,
                                         const TRect& bounds);
  // The link constructor (owner, source, points, target), complete: used by
  // TGraphControl::AddLink. Filled in by the link class.
  using TLinkFactory = TGraphObject* (*)(const TGraphObjectClass* cls, TGraphControl* owner,
                                         TGraphObject* source, const TPoints& points, TGraphObject* target);

  // `make` is null for an abstract class. A null factory is inherited from
  // the parent descriptor.
  TGraphObjectClass(std::string name, const TGraphObjectClass* parent, bool isLink, TMakeFn make,
                    TNodeFactory nodeFactory = nullptr, TLinkFactory linkFactory = nullptr);

  TGraphObjectClass(const TGraphObjectClass&) = delete;
  TGraphObjectClass& operator=(const TGraphObjectClass&) = delete;

  const std::string& ClassName() const { return Name_; }
  const TGraphObjectClass* Parent() const { return Parent_; }
  bool IsLink() const { return IsLink_; }
  bool IsNode() const { return !IsLink_; }
  bool IsAbstract() const { return Make_ == nullptr; }

  // True when this is `other` or derives from it; a null `other` gives false.
  bool InheritsFrom(const TGraphObjectClass* other) const;

  // Runs the C++ constructor; raises EGraphInvalidOperation for an abstract class.
  TGraphObject* Make(TGraphControl* owner) const;

  // The named factories, searched up the parent chain; null when none.
  TNodeFactory NodeFactory() const;
  TLinkFactory LinkFactory() const;

 private:
  std::string Name_;
  const TGraphObjectClass* Parent_;
  bool IsLink_;
  TMakeFn Make_;
  TNodeFactory NodeFactory_;
  TLinkFactory LinkFactory_;
};

// The process-wide class-name registry through which streams create objects
// by class name. Registering a name twice keeps the first registration.
void RegisterGraphClass(const TGraphObjectClass* cls);
void UnregisterGraphClass(const TGraphObjectClass* cls);
// Null when no class of that name is registered.
const TGraphObjectClass* FindGraphClass(const std::string& name);

}  // namespace gc
