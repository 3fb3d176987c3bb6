#include "platform/Platform.h"

#include <utility>

namespace gc {

namespace {
TPlatformServices& Services() {
  static TPlatformServices services;
  return services;
}
}  // namespace

void SetPlatformServices(TPlatformServices services) {
  Services() = std::move(services);
  ReleaseCompatibleCanvas();
}

const TPlatformServices& PlatformServices() { return Services(); }

}  // namespace gc
