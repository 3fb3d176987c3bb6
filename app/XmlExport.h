// The XML description of a screen, built the same way by the export window
// and by the command line: one line per element. The screen element carries
// the screen's properties where they are set; a widget that keeps a binding
// exports it, and only a widget without one has its source, converter type and
// converter name asked for through IXmlAnswers. No Qt in here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "app/ScreenGraph.h"

namespace gc::app {

// One of the three questions asked per widget: the dialog's title and the
// value-list file its choices come from.
struct TXmlQuestion {
  const char* Title;
  const char* ListFile;
};

inline constexpr TXmlQuestion SourceQuestion{"Select SOURSE for:", "xml_Sources"};
inline constexpr TXmlQuestion ConvTypeQuestion{"Select Convertor-TYPE for:", "xml_ConvTypes"};
inline constexpr TXmlQuestion ConvNameQuestion{"Select Convertor-Name for:", "xml_ConvNames"};

// Where the export gets its answers from.
class IXmlAnswers {
 public:
  virtual ~IXmlAnswers() = default;
  // Sets `value` to the answer for the widget announced as `label` and
  // returns true; leaves the default in it and returns false when the
  // question is cancelled. Raising EExportStopped ends the export.
  virtual bool Answer(const TXmlQuestion& question, const std::string& label, std::string& value) = 0;
  // After a widget's three questions: what was answered (cancelled answers
  // empty), for answers that are to be kept as the widget's binding.
  virtual void Answered(const TGraphObject* /*widget*/, const TWidgetBinding& /*answers*/) {}
};

// The user stopped the export; the lines built so far stay.
class EExportStopped : public std::runtime_error {
 public:
  EExportStopped() : std::runtime_error("The export was stopped.") {}
};

// Keeps every default and reads no file.
class TDefaultXmlAnswers : public IXmlAnswers {
 public:
  bool Answer(const TXmlQuestion&, const std::string&, std::string&) override { return false; }
};

// Offers the lines of a value list; true on OK with `index` the chosen line
// (-1 for none). `index` comes preset to 0, or -1 for an empty list.
using TValueChooser = std::function<bool(const std::string& title, const std::string& label,
                                         const std::vector<std::string>& values, int& index)>;

// Answers from the value-list files in a folder ("" = the working folder),
// read afresh for every question.
class TValueListAnswers : public IXmlAnswers {
 public:
  TValueListAnswers(std::string folder, TValueChooser choose)
      : Folder_(std::move(folder)), Choose_(std::move(choose)) {}
  bool Answer(const TXmlQuestion& question, const std::string& label, std::string& value) override;

 private:
  std::string Folder_;
  TValueChooser Choose_;
};

// The value a value-list line yields: the text after the first "=", or the
// line without its first character when it has no "=".
std::string ValueOfLine(const std::string& line);

// Reads a value list, one entry per line (line ends \n or \r\n, a UTF-8 byte
// order mark skipped; text that is not UTF-8 is read as Windows-1252). A
// missing or unreadable file, or a folder, raises the file stream's
// EFOpenError.
std::vector<std::string> ReadValueList(const std::string& fileName);

// `text` made safe inside a double-quoted attribute or an element: & < > "
// become entity references, and characters XML cannot carry at all (C0
// controls other than tab, U+FFFE, U+FFFF) are left out.
std::string XmlEscape(const std::string& text);

// Appends the XML description of the screen held by `screen` to `lines`:
// the screen element with its properties, then the widgets bottom first,
// each with its kept binding or, without one, with the answers of `answers`
// to its three questions. A binding's empty values export as the defaults
// of cancelled questions. On an error the lines appended so far stay in
// `lines` and the exception propagates.
void BuildXmlLines(const TScreenGraph& screen, IXmlAnswers& answers, std::vector<std::string>& lines);
// The first line: the screen element.
std::string ScreenElement(const TScreenProperties& screen);

// The lines as one text, each ended by a line feed.
std::string XmlText(const std::vector<std::string>& lines);

}  // namespace gc::app
