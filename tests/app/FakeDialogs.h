// Scripted answers to the designer's dialogs, recording what was asked.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/DesignerDialogs.h"

namespace gc::app {

class TFakeDialogs : public IDesignerDialogs {
 public:
  int MessageBox(const std::string& text, TBoxKind kind, bool) override {
    Messages.push_back(text);
    Kinds.push_back(kind);
    return BoxAnswer;
  }
  TAnswer Ask(const std::string& text, const std::string& accept, const std::string& destructive) override {
    Questions.push_back(text + " [" + accept + "|" + destructive + "|Cancel]");
    if (Answers.empty()) return anCancel;
    const TAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  bool Choose(const std::string& text, const std::string& first, const std::string& second) override {
    Questions.push_back(text + " [" + first + "|" + second + "]");
    if (FirstChosen.empty()) return true;
    const bool chosen = FirstChosen.front();
    FirstChosen.pop_front();
    return chosen;
  }
  std::string InputQuery(const std::string&, const std::string&, const std::string& def) override {
    ++Inputs;
    return InputAnswer ? std::string(InputAnswer) : def;
  }
  bool OpenFile(const std::string& title, const std::string& filter, std::string& name) override {
    Titles.push_back(title);
    Filters.push_back(filter);
    Prefilled.push_back(name);
    if (Files.empty()) return false;
    name = Files.front();
    Files.pop_front();
    return !name.empty();
  }
  bool SaveFile(const std::string& title, const std::string& filter, std::string& name) override {
    return OpenFile(title, filter, name);
  }
  bool SelectValue(const std::string& title, const std::string& label, const std::vector<std::string>& values,
                   int& index) override {
    Selections.push_back(title + " " + label);
    Offered.push_back(values);
    Preselected.push_back(index);
    if (Choices.empty()) return false;
    const int choice = Choices.front();
    Choices.pop_front();
    if (choice == Cancel) return false;
    index = choice;
    return true;
  }

  // As SelectValue; the box to keep the answers is left as KeepAnswers says,
  // and the question numbered StopAt (from 0) stops the export.
  bool SelectExportValue(const std::string& title, const std::string& label,
                         const std::vector<std::string>& values, int& index, bool& keep,
                         bool& stop) override {
    stop = static_cast<int>(Selections.size()) == StopAt;
    if (stop) {
      Selections.push_back(title + " " + label + " [stopped]");
      return false;
    }
    keep = KeepAnswers;
    return SelectValue(title, label, values, index);
  }

  // Answers with ScreenAnswer (cancels without one), recording the limits.
  bool EditScreenProperties(TScreenProperties& properties, int32_t maxWidth, int32_t maxHeight) override {
    ScreenLimits = {maxWidth, maxHeight};
    ScreenShown.push_back(properties);
    if (!ScreenAnswer) return false;
    properties = *ScreenAnswer;
    return true;
  }

  static constexpr int Cancel = -2;
  std::optional<TScreenProperties> ScreenAnswer;
  std::vector<TScreenProperties> ScreenShown;
  std::pair<int32_t, int32_t> ScreenLimits{0, 0};
  bool KeepAnswers = false;
  int StopAt = -1;
  int BoxAnswer = 1;
  const char* InputAnswer = nullptr;
  std::deque<std::string> Files;  // answers of the file dialogs; "" cancels
  std::deque<TAnswer> Answers;    // answers of Ask; none left cancels
  std::deque<int> Choices;        // answers of SelectValue; none left cancels
  std::deque<bool> FirstChosen;   // answers of Choose; none left takes the first
  std::vector<std::string> Messages, Questions, Titles, Filters, Prefilled, Selections;
  std::vector<TBoxKind> Kinds;
  std::vector<std::vector<std::string>> Offered;
  std::vector<int> Preselected;
  int Inputs = 0;
};

}  // namespace gc::app
