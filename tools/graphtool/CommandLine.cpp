// Parsing a command's arguments and options, and the help texts, all from the
// command's own description.
#include <filesystem>
#include <sstream>

#include "tools/graphtool/Command.h"

namespace gc::tool {

namespace {

const TOptionSpec* FindOption(const TCommand& command, std::string_view name) {
  for (const TOptionSpec& option : command.Options)
    if (option.Name == name) return &option;
  return nullptr;
}

void CheckInputFile(const std::string& file) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) throw EUsageError(file + ": no such file");
  if (fs::is_directory(status)) throw EUsageError(file + ": is a folder, not a file");
}

// The words of `text` in lines of at most `width` characters, each line
// indented by `indent` spaces.
std::string Wrapped(std::string_view text, size_t indent, size_t width = 92) {
  std::string out;
  std::string line;
  std::istringstream words{std::string(text)};
  for (std::string word; words >> word;) {
    if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
      out += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) out += std::string(indent, ' ') + line + "\n";
  return out;
}

}  // namespace

std::string UsageLine(const TCommand& command) {
  std::string line = "graphtool " + std::string(command.Name);
  for (const TOptionSpec& option : command.Options) {
    line += " [" + std::string(option.Name);
    if (!option.ValueName.empty()) line += " " + std::string(option.ValueName);
    line += "]";
  }
  for (const TArgumentSpec& argument : command.Arguments) line += " " + std::string(argument.Name);
  return line;
}

std::string CommandHelp(const TCommand& command) {
  std::ostringstream out;
  out << "usage: " << UsageLine(command) << "\n\n" << command.Description;
  if (!command.Options.empty()) {
    out << "\nOptions:\n";
    for (const TOptionSpec& option : command.Options) {
      std::string name = "  " + std::string(option.Name);
      if (!option.ValueName.empty()) name += " " + std::string(option.ValueName);
      out << name << "\n" << Wrapped(option.Help, 6);
    }
  }
  return out.str();
}

std::string OverviewHelp() {
  std::ostringstream out;
  out << "usage: graphtool COMMAND [OPTIONS] ARGUMENTS\n"
         "       graphtool COMMAND --help\n"
         "       graphtool --help | --version\n\n"
         "Inspects, converts and renders \".Screen\" diagram files.\n\nCommands:\n";
  for (const TCommand* command : Commands())
    out << "  " << UsageLine(*command).substr(std::string_view("graphtool ").size()) << "\n      "
        << command->Summary << "\n";
  out << "\nExit status: 0 on success, 1 when the command fails (the reason goes to standard\n"
         "error), 2 for an unknown command, wrong arguments or a missing input file.\n";
  return out.str();
}

TInvocation ParseInvocation(const TCommand& command, std::span<const std::string> args) {
  TInvocation invocation;
  invocation.Command = &command;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      invocation.Arguments.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const TOptionSpec* option = FindOption(command, name);
    if (!option) throw EUsageError("unknown option " + name);
    std::string value;
    if (option->ValueName.empty()) {
      if (equals != std::string::npos) throw EUsageError(name + " takes no value");
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      throw EUsageError(name + " needs a value (" + std::string(option->ValueName) + ")");
    }
    invocation.Options[name] = value;
  }
  if (invocation.Arguments.size() != command.Arguments.size())
    throw EUsageError(invocation.Arguments.size() < command.Arguments.size() ? "missing arguments"
                                                                             : "too many arguments");
  for (size_t i = 0; i < command.Arguments.size(); ++i)
    if (command.Arguments[i].Role == TArgumentRole::InputFile) CheckInputFile(invocation.Arguments[i]);
  return invocation;
}

}  // namespace gc::tool
