// graphtool: inspects, converts and renders diagram files from the command
// line. "graphtool --help" lists the commands (CommandTable.cpp); each one
// lives in its own source file.
//
// Exit status: 0 on success, 1 when a command fails (the message goes to
// standard error), 2 for a command line that does not fit (the usage goes to
// standard error).
#include <iostream>
#include <string>
#include <vector>

#include "GraphControl/Unit.h"
#include "tools/graphtool/Command.h"

#ifndef GRAPHTOOL_VERSION
#define GRAPHTOOL_VERSION "unknown"
#endif

namespace {

using namespace gc::tool;

constexpr int UsageStatus = 2;
constexpr int FailureStatus = 1;

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// True when "--help" comes before any "--" that ends the options.
bool AsksForHelp(std::span<const std::string> args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (IsHelp(arg)) return true;
  }
  return false;
}

int UsageFailure(const std::string& message, const TCommand* command) {
  std::cerr << "graphtool: " << message << "\n";
  if (command)
    std::cerr << "usage: " << UsageLine(*command) << "\nRun \"graphtool " << command->Name
              << " --help\" for more.\n";
  else
    std::cerr << OverviewHelp();
  return UsageStatus;
}

int RunCommand(const TCommand& command, std::span<const std::string> args, int argc, char** argv) {
  TInvocation invocation;
  try {
    invocation = ParseInvocation(command, args);
  } catch (const EUsageError& e) {
    return UsageFailure(e.what(), &command);
  }
  invocation.Argc = argc;
  invocation.Argv = argv;
  gc::GraphControlStartup();
  int status = FailureStatus;
  try {
    status = command.Run(invocation);
  } catch (const EUsageError& e) {
    status = UsageFailure(e.what(), &command);
  } catch (const std::exception& e) {
    std::cerr << "graphtool " << command.Name << ": " << e.what() << "\n";
    status = FailureStatus;
  }
  gc::GraphControlShutdown();
  return status;
}

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageFailure("no command given", nullptr);
  const std::string& name = args[0];
  if (IsHelp(name) || name == "help") {
    if (args.size() > 1) {
      const TCommand* command = FindCommand(args[1]);
      if (!command) return UsageFailure("unknown command \"" + args[1] + "\"", nullptr);
      std::cout << CommandHelp(*command);
    } else {
      std::cout << OverviewHelp();
    }
    return 0;
  }
  if (name == "--version") {
    std::cout << "graphtool " << GRAPHTOOL_VERSION << "\n";
    return 0;
  }
  const TCommand* command = FindCommand(name);
  if (!command) return UsageFailure("unknown command \"" + name + "\"", nullptr);
  const std::span<const std::string> rest = std::span(args).subspan(1);
  if (AsksForHelp(rest)) {
    std::cout << CommandHelp(*command);
    return 0;
  }
  return RunCommand(*command, rest, argc, argv);
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
