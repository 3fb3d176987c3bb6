// A clipboard for tests: keeps what the control put on it and offers any
// bytes a test places in the diagram's own format.
#pragma once

#include "platform/Clipboard.h"

namespace gc {

class TFakeClipboard : public IClipboard {
 public:
  TClipboardContent Content;
  int SetCount = 0;

  void SetContent(const TClipboardContent& content) override {
    Content = content;
    ++SetCount;
  }
  bool GetNative(std::vector<uint8_t>& bytes) const override {
    if (Content.Native.empty()) return false;
    bytes = Content.Native;
    return true;
  }
};

}  // namespace gc
