#include "GraphControl/GraphObjectClass.h"

#include <map>
#include <memory>

#include "GraphControl/Exceptions.h"

namespace gc {

TGraphObjectClass::TGraphObjectClass(std::string name, const TGraphObjectClass* parent, bool isLink,
                                     TMakeFn make, TNodeFactory nodeFactory, TLinkFactory linkFactory)
    : Name_(std::move(name)),
      Parent_(parent),
      IsLink_(isLink),
      Make_(make),
      NodeFactory_(nodeFactory),
      LinkFactory_(linkFactory) {}

bool TGraphObjectClass::InheritsFrom(const TGraphObjectClass* other) const {
  if (!other) return false;
  for (const TGraphObjectClass* c = this; c; c = c->Parent_)
    if (c == other) return true;
  return false;
}

TGraphObject* TGraphObjectClass::Make(TGraphControl* owner) const {
  if (!Make_) throw EGraphCreateRefused(Format("Cannot create an instance of abstract class %s", Name_));
  return Make_(owner);
}

TGraphObjectClass::TNodeFactory TGraphObjectClass::NodeFactory() const {
  for (const TGraphObjectClass* c = this; c; c = c->Parent_)
    if (c->NodeFactory_) return c->NodeFactory_;
  return nullptr;
}

TGraphObjectClass::TLinkFactory TGraphObjectClass::LinkFactory() const {
  for (const TGraphObjectClass* c = this; c; c = c->Parent_)
    if (c->LinkFactory_) return c->LinkFactory_;
  return nullptr;
}

namespace {
// Created on the first registration and destroyed with the last entry, so the
// registry holds nothing between a shut-down and the next start-up.
std::unique_ptr<std::map<std::string, const TGraphObjectClass*>>& ClassNameRegistry() {
  static std::unique_ptr<std::map<std::string, const TGraphObjectClass*>> registry;
  return registry;
}
}  // namespace

void RegisterGraphClass(const TGraphObjectClass* cls) {
  if (!cls) return;
  auto& registry = ClassNameRegistry();
  if (!registry) registry = std::make_unique<std::map<std::string, const TGraphObjectClass*>>();
  registry->emplace(cls->ClassName(), cls);
}

void UnregisterGraphClass(const TGraphObjectClass* cls) {
  auto& registry = ClassNameRegistry();
  if (!cls || !registry) return;
  auto it = registry->find(cls->ClassName());
  if (it != registry->end() && it->second == cls) registry->erase(it);
  if (registry->empty()) registry.reset();
}

const TGraphObjectClass* FindGraphClass(const std::string& name) {
  const auto& registry = ClassNameRegistry();
  if (!registry) return nullptr;
  auto it = registry->find(name);
  return it == registry->end() ? nullptr : it->second;
}

}  // namespace gc
