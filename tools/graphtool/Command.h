// The commands of graphtool. Each command lives in its own source file and
// describes itself with a TCommand: its name, arguments, options and help
// text, and the function that runs it. CommandTable.cpp lists them; the
// dispatcher (main.cpp) parses the command line against the description, so
// a command only ever sees a complete, checked invocation.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gc::tool {

// A command line that does not fit the command: the dispatcher prints the
// message and the command's usage, and exits with status 2.
class EUsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class TArgumentRole {
  InputFile,  // must exist and be a file; a missing one is a usage error
  OutputFile,
};

struct TArgumentSpec {
  std::string_view Name;  // as shown in the usage, e.g. "IN.Screen"
  TArgumentRole Role;
};

struct TOptionSpec {
  std::string_view Name;       // "--zoom"
  std::string_view ValueName;  // "PERCENT"; empty for an option without a value
  std::string_view Help;
};

struct TCommand;

// A parsed command line: the arguments in order, the options given (an option
// without a value maps to an empty string), and the process's own argc/argv
// for commands that start a Qt application.
struct TInvocation {
  const TCommand* Command = nullptr;
  std::vector<std::string> Arguments;
  std::map<std::string, std::string, std::less<>> Options;
  int Argc = 0;
  char** Argv = nullptr;

  std::optional<std::string> Option(std::string_view name) const {
    const auto it = Options.find(name);
    if (it == Options.end()) return std::nullopt;
    return it->second;
  }
};

struct TCommand {
  std::string_view Name;
  std::string_view Summary;      // one line, shown in the overview
  std::string_view Description;  // shown by "graphtool COMMAND --help"
  std::vector<TArgumentSpec> Arguments;
  std::vector<TOptionSpec> Options;
  // Returns the exit status; throws EUsageError for a bad option value and
  // any other exception for a failure (status 1).
  int (*Run)(const TInvocation& invocation) = nullptr;
};

// Every command, in the order the overview lists them.
std::span<const TCommand* const> Commands();
const TCommand* FindCommand(std::string_view name);

// "graphtool render [--zoom PERCENT] [--background COLOR] IN.Screen OUT.png|OUT.svg"
std::string UsageLine(const TCommand& command);
// The usage, the description and the options of one command.
std::string CommandHelp(const TCommand& command);
// The usage of graphtool and a line for every command.
std::string OverviewHelp();

// Checks `args` (everything after the command name) against the command's
// description; raises EUsageError for unknown options, missing option values,
// a wrong number of arguments and input files that do not exist.
TInvocation ParseInvocation(const TCommand& command, std::span<const std::string> args);

}  // namespace gc::tool
