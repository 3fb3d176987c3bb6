// What the designer keeps in a widget's custom data: its data binding (source,
// converter type, converter name) and, for the one object that stands for the
// screen, the screen's properties. No Qt in here.
//
// The bytes, version 1:
//
//   "ORVD"                       4 bytes, the layout's signature
//   1                            1 byte, the layout's version
//   records, each:
//     tag                        1 byte
//     length                     4 bytes, unsigned, little-endian
//     payload                    `length` bytes
//
// Tags 1, 2 and 3 hold the binding's source, converter type and converter
// name (UTF-8 text; the three come together); tag 16 marks the screen object
// (no payload), 17 the screen's name, 18 its size (two signed 32-bit
// integers, width then height), 19 its title and 20 its background colour (a
// 32-bit colour, 0x00BBGGRR). A property left unset has no record.
//
// Records of tags this version does not know are kept and written back after
// the known ones, so a later version can add records. Data that does not
// start with the signature, has a later version or is cut short or malformed
// is kept byte for byte and reported; the widget then has no binding here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "GraphControl/Types.h"

namespace gc::app {

struct TWidgetBinding {
  std::string Source;
  std::string ConverterType;
  std::string ConverterName;
  // No binding: all three empty.
  bool IsEmpty() const { return Source.empty() && ConverterType.empty() && ConverterName.empty(); }
  friend bool operator==(const TWidgetBinding&, const TWidgetBinding&) = default;
};

struct TScreenSize {
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const TScreenSize&, const TScreenSize&) = default;
};

// Every property is optional: the XML export writes the specified default
// for one that is not set.
struct TScreenProperties {
  std::optional<std::string> Name;
  std::optional<TScreenSize> Size;
  std::optional<std::string> Title;
  std::optional<TColor> Background;
  bool IsEmpty() const { return !Name && !Size && !Title && !Background; }
  friend bool operator==(const TScreenProperties&, const TScreenProperties&) = default;
};

// The largest screen side the designer accepts, in pixels.
inline constexpr int32_t MaxScreenSide = 65535;

class TWidgetData {
 public:
  enum class TState : uint8_t {
    Ours,     // this layout, understood (possibly with records of unknown tags)
    Foreign,  // no signature: another program's data
    Newer,    // this layout in a later version
    Damaged,  // this layout, cut short or malformed
  };

  TWidgetData() = default;
  // Reads custom data; never fails: what it cannot understand it keeps.
  static TWidgetData Read(std::vector<uint8_t> bytes);

  TState State() const { return State_; }
  bool Understood() const { return State_ == TState::Ours; }
  // Records of tags this version does not know (kept, written back).
  size_t UnknownRecords() const { return Unknown_.size(); }
  // Why the data was kept without being understood, or what of it was not
  // understood ("" when everything was).
  std::string Problem() const;

  const std::optional<TWidgetBinding>& Binding() const { return Binding_; }
  const std::optional<TScreenProperties>& Screen() const { return Screen_; }
  // Both raise std::logic_error unless Understood().
  void SetBinding(const TWidgetBinding& binding);
  // Marks the object as the screen with these properties, or unmarks it (nullopt).
  void SetScreen(const std::optional<TScreenProperties>& screen);

  // Nothing to write: no binding, no screen, nothing kept.
  bool IsEmpty() const;
  // The bytes to write: exactly those read while nothing changed.
  std::vector<uint8_t> Bytes() const;

  friend bool operator==(const TWidgetData&, const TWidgetData&) = default;

 private:
  struct TRecord {
    uint8_t Tag;
    std::vector<uint8_t> Payload;
    friend bool operator==(const TRecord&, const TRecord&) = default;
  };
  std::vector<uint8_t> Encode() const;

  TState State_ = TState::Ours;
  std::optional<TWidgetBinding> Binding_;
  std::optional<TScreenProperties> Screen_;
  std::vector<TRecord> Unknown_;
  // What is wrong with damaged data.
  std::string Damage_;
  // The bytes as read, written back until something changes.
  std::vector<uint8_t> Read_;
  bool Changed_ = true;
};

// "#RRGGBB" for a plain colour.
std::string HtmlColor(TColor color);

}  // namespace gc::app
