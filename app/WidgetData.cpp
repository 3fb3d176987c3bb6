#include "app/WidgetData.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "GraphControl/Codepage.h"

namespace gc::app {

namespace {

constexpr uint8_t Signature[4] = {'O', 'R', 'V', 'D'};
constexpr uint8_t Version = 1;
constexpr size_t HeaderSize = 5;
constexpr size_t RecordHeaderSize = 5;

enum TTag : uint8_t {
  tagSource = 1,
  tagConverterType = 2,
  tagConverterName = 3,
  tagScreen = 16,
  tagScreenName = 17,
  tagScreenSize = 18,
  tagScreenTitle = 19,
  tagScreenBackground = 20,
};

uint32_t ReadUInt32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void AppendUInt32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendRecord(std::vector<uint8_t>& out, uint8_t tag, const std::vector<uint8_t>& payload) {
  out.push_back(tag);
  AppendUInt32(out, static_cast<uint32_t>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
}

void AppendText(std::vector<uint8_t>& out, uint8_t tag, const std::string& text) {
  AppendRecord(out, tag, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> UInt32Payload(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> out;
  for (uint32_t v : values) AppendUInt32(out, v);
  return out;
}

// A malformed record: the data is kept as it is and reported with this text.
struct EMalformed {
  std::string What;
};

std::string TextOf(const std::vector<uint8_t>& payload, const char* what) {
  std::string text(payload.begin(), payload.end());
  if (!IsValidUtf8(text)) throw EMalformed{std::string(what) + " that is not UTF-8 text"};
  return text;
}

}  // namespace

TWidgetData TWidgetData::Read(std::vector<uint8_t> bytes) {
  TWidgetData data;
  data.Changed_ = false;
  if (bytes.empty()) return data;
  data.Read_ = std::move(bytes);
  const std::vector<uint8_t>& b = data.Read_;
  if (b.size() < HeaderSize || !std::equal(std::begin(Signature), std::end(Signature), b.begin())) {
    data.State_ = TState::Foreign;
    return data;
  }
  if (b[4] > Version) {
    data.State_ = TState::Newer;
    return data;
  }
  TWidgetData parsed;
  try {
    if (b[4] != Version) throw EMalformed{"version 0"};
    std::vector<uint8_t> seen;
    TWidgetBinding binding;
    bool hasBinding = false;
    TScreenProperties screen;
    bool isScreen = false, hasScreenRecords = false;
    for (size_t at = HeaderSize; at < b.size();) {
      if (b.size() - at < RecordHeaderSize) throw EMalformed{"a record cut short"};
      const uint8_t tag = b[at];
      const uint32_t length = ReadUInt32(&b[at + 1]);
      at += RecordHeaderSize;
      if (length > b.size() - at) throw EMalformed{"a record longer than the data"};
      const std::vector<uint8_t> payload(b.begin() + static_cast<std::ptrdiff_t>(at),
                                         b.begin() + static_cast<std::ptrdiff_t>(at + length));
      at += length;
      const bool known =
          (tag >= tagSource && tag <= tagConverterName) || (tag >= tagScreen && tag <= tagScreenBackground);
      if (!known) {
        parsed.Unknown_.push_back({tag, payload});
        continue;
      }
      if (std::find(seen.begin(), seen.end(), tag) != seen.end()) throw EMalformed{"a repeated record"};
      seen.push_back(tag);
      switch (tag) {
        case tagSource:
          binding.Source = TextOf(payload, "a source");
          hasBinding = true;
          break;
        case tagConverterType:
          binding.ConverterType = TextOf(payload, "a converter type");
          hasBinding = true;
          break;
        case tagConverterName:
          binding.ConverterName = TextOf(payload, "a converter name");
          hasBinding = true;
          break;
        case tagScreen:
          if (!payload.empty()) throw EMalformed{"a screen mark with a payload"};
          isScreen = true;
          break;
        case tagScreenName:
          screen.Name = TextOf(payload, "a screen name");
          hasScreenRecords = true;
          break;
        case tagScreenTitle:
          screen.Title = TextOf(payload, "a screen title");
          hasScreenRecords = true;
          break;
        case tagScreenSize: {
          if (payload.size() != 8) throw EMalformed{"a screen size that is not two integers"};
          const auto width = static_cast<int32_t>(ReadUInt32(&payload[0]));
          const auto height = static_cast<int32_t>(ReadUInt32(&payload[4]));
          if (width < 1 || height < 1 || width > MaxScreenSide || height > MaxScreenSide)
            throw EMalformed{"a screen size out of range"};
          screen.Size = TScreenSize{width, height};
          hasScreenRecords = true;
          break;
        }
        case tagScreenBackground:
          if (payload.size() != 4) throw EMalformed{"a screen colour that is not 4 bytes"};
          screen.Background = ReadUInt32(&payload[0]);
          hasScreenRecords = true;
          break;
        default:
          break;
      }
    }
    if (hasScreenRecords && !isScreen) throw EMalformed{"screen properties without the screen mark"};
    if (hasBinding) parsed.Binding_ = binding;
    if (isScreen) parsed.Screen_ = screen;
  } catch (const EMalformed& e) {
    data.State_ = TState::Damaged;
    data.Damage_ = e.What;
    return data;
  }
  parsed.State_ = TState::Ours;
  parsed.Read_ = std::move(data.Read_);
  parsed.Changed_ = false;
  return parsed;
}

std::string TWidgetData::Problem() const {
  switch (State_) {
    case TState::Foreign:
      return "custom data of another program";
    case TState::Newer:
      return "data of a later version of the designer (layout version " + std::to_string(Read_[4]) + ")";
    case TState::Damaged:
      return "damaged designer data (" + Damage_ + ")";
    case TState::Ours:
      break;
  }
  if (Unknown_.empty()) return {};
  return std::to_string(Unknown_.size()) + (Unknown_.size() == 1 ? " part" : " parts") +
         " this version of the designer does not know";
}

void TWidgetData::SetBinding(const TWidgetBinding& binding) {
  if (!Understood()) throw std::logic_error("the widget's custom data is not the designer's");
  std::optional<TWidgetBinding> value;
  if (!binding.IsEmpty()) value = binding;
  if (value == Binding_) return;
  Binding_ = std::move(value);
  Changed_ = true;
}

void TWidgetData::SetScreen(const std::optional<TScreenProperties>& screen) {
  if (!Understood()) throw std::logic_error("the object's custom data is not the designer's");
  if (screen == Screen_) return;
  Screen_ = screen;
  Changed_ = true;
}

bool TWidgetData::IsEmpty() const { return Understood() && !Binding_ && !Screen_ && Unknown_.empty(); }

std::vector<uint8_t> TWidgetData::Bytes() const {
  if (!Changed_ || !Understood()) return Read_;
  if (IsEmpty()) return {};
  return Encode();
}

std::vector<uint8_t> TWidgetData::Encode() const {
  std::vector<uint8_t> out(std::begin(Signature), std::end(Signature));
  out.push_back(Version);
  if (Binding_) {
    AppendText(out, tagSource, Binding_->Source);
    AppendText(out, tagConverterType, Binding_->ConverterType);
    AppendText(out, tagConverterName, Binding_->ConverterName);
  }
  if (Screen_) {
    AppendRecord(out, tagScreen, {});
    if (Screen_->Name) AppendText(out, tagScreenName, *Screen_->Name);
    if (Screen_->Size)
      AppendRecord(out, tagScreenSize,
                   UInt32Payload({static_cast<uint32_t>(Screen_->Size->Width),
                                  static_cast<uint32_t>(Screen_->Size->Height)}));
    if (Screen_->Title) AppendText(out, tagScreenTitle, *Screen_->Title);
    if (Screen_->Background) AppendRecord(out, tagScreenBackground, UInt32Payload({*Screen_->Background}));
  }
  for (const TRecord& record : Unknown_) AppendRecord(out, record.Tag, record.Payload);
  return out;
}

std::string HtmlColor(TColor color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
  return text;
}

}  // namespace gc::app
