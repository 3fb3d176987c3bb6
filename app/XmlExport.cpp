#include "app/XmlExport.h"

#include "GraphControl/Codepage.h"
#include "GraphControl/Stream.h"

namespace gc::app {

namespace {

std::string Indent(int level) { return std::string(static_cast<size_t>(level) * 2, ' '); }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder + "/" + name;
}

std::string ReadWholeFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileMode::OpenRead);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

std::string AsUtf8(std::string text) {
  constexpr std::string_view Bom = "\xEF\xBB\xBF";
  if (text.starts_with(Bom)) text.erase(0, Bom.size());
  return IsValidUtf8(text) ? text : Win1252ToUtf8(text);
}

// Characters XML 1.0 has no form for, not even as a character reference.
bool IsForbiddenInXml(std::string_view text, size_t pos, size_t& length) {
  const auto c = static_cast<unsigned char>(text[pos]);
  length = 1;
  if (c < 0x20) return c != '\t' && c != '\n' && c != '\r';
  // U+FFFE and U+FFFF: EF BF BE and EF BF BF.
  if (c == 0xEF && text.substr(pos, 2) == "\xEF\xBF" && pos + 2 < text.size()) {
    const auto last = static_cast<unsigned char>(text[pos + 2]);
    if (last == 0xBE || last == 0xBF) {
      length = 3;
      return true;
    }
  }
  return false;
}

}  // namespace

bool TValueListAnswers::Answer(const TXmlQuestion& question, const std::string& label, std::string& value) {
  const std::vector<std::string> values = ReadValueList(JoinPath(Folder_, question.ListFile));
  int index = values.empty() ? -1 : 0;
  if (!Choose_(question.Title, label, values, index)) return false;
  value = (index >= 0 && index < static_cast<int>(values.size())) ? ValueOfLine(values[index]) : "";
  return true;
}

std::string ValueOfLine(const std::string& line) {
  const auto eq = line.find('=');
  if (eq != std::string::npos) return line.substr(eq + 1);
  return line.empty() ? std::string() : line.substr(1);
}

std::vector<std::string> ReadValueList(const std::string& fileName) {
  const std::string text = AsUtf8(ReadWholeFile(fileName));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    size_t length = 1;
    if (IsForbiddenInXml(text, i, length)) {
      i += length - 1;
      continue;
    }
    switch (text[i]) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += text[i];
    }
  }
  return out;
}

std::string ScreenElement(const TScreenProperties& screen) {
  const std::string name = screen.Name ? XmlEscape(*screen.Name) : "NONAME";
  const std::string size =
      screen.Size ? std::to_string(screen.Size->Width) + "," + std::to_string(screen.Size->Height)
                  : "100,100";
  const std::string title = screen.Title ? XmlEscape(*screen.Title) : "NONAME";
  const std::string background = screen.Background ? HtmlColor(*screen.Background) : "#0F0F0F";
  return Indent(1) + "<screen name=\"" + name + "\" position=\"0,0\" size=\"" + size + "\" title=\"" + title +
         "\" backgroundColor=\"" + background + "\" >";
}

void BuildXmlLines(const TScreenGraph& screen, IXmlAnswers& answers, std::vector<std::string>& lines) {
  lines.push_back(ScreenElement(screen.Screen()));
  const std::vector<TGraphObject*> widgets = screen.Widgets();
  for (size_t i = 0; i < widgets.size(); ++i) {
    const TGraphObject* widget = widgets[i];
    std::string label = widget->Text();
    if (label.empty()) label = "Widget" + std::to_string(i);
    std::string source = "NO_SOURSE";
    std::string type = "NO_TYPE";
    std::string name = "NO_NAME";
    if (const TWidgetBinding* binding = screen.Binding(widget)) {
      if (!binding->Source.empty()) source = binding->Source;
      if (!binding->ConverterType.empty()) type = binding->ConverterType;
      if (!binding->ConverterName.empty()) name = binding->ConverterName;
    } else {
      TWidgetBinding answered;
      if (answers.Answer(SourceQuestion, label, source)) answered.Source = source;
      if (answers.Answer(ConvTypeQuestion, label, type)) answered.ConverterType = type;
      if (answers.Answer(ConvNameQuestion, label, name)) answered.ConverterName = name;
      answers.Answered(widget, answered);
    }
    const TRect& r = widget->PaintBounds();
    const int64_t width = int64_t{r.Right} - r.Left;
    const int64_t height = int64_t{r.Bottom} - r.Top;
    lines.push_back(Indent(2) + "<widget source=\"" + XmlEscape(source) + "\" render=\"Label\" position=\"" +
                    std::to_string(r.Left) + "," + std::to_string(r.Top) + "\"" + " size=\"" +
                    std::to_string(width) + "," + std::to_string(height) + "\"" + " font=\"Regular;" +
                    std::to_string(widget->Font().Size()) + "\"" +
                    " foregroundColor=\"#FFFFFF\" backgroundColor=\"#0F0F0F\"" + " zPosition=\"" +
                    std::to_string(i) + "\"" + " transparent=\"1\" >");
    lines.push_back(Indent(3) + "<convert type=\"" + XmlEscape(type) + "\">" + XmlEscape(name) +
                    "</convert>");
    lines.push_back(Indent(2) + "</widget>");
  }
  lines.push_back(Indent(1) + "</screen>");
}

std::string XmlText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace gc::app
