// Runs the real graphtool program (built in this tree) in a scratch folder of
// its own and collects its exit status, standard output and standard error.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace gc::tooltest {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct TToolRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

class TToolRunner {
 public:
  TToolRunner() {
    static int counter = 0;
    Dir_ = fs::temp_directory_path() /
           ("graphtool_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    fs::create_directories(Dir_);
  }
  ~TToolRunner() { fs::remove_all(Dir_); }
  TToolRunner(const TToolRunner&) = delete;
  TToolRunner& operator=(const TToolRunner&) = delete;

  const fs::path& Dir() const { return Dir_; }
  fs::path File(const std::string& name) const { return Dir_ / name; }

  // graphtool with each argument passed as it is (no shell expansion); with
  // `pipedInput`, that file reaches its standard input through a pipe.
  TToolRun Run(const std::vector<std::string>& args, const fs::path& pipedInput = {}) const {
    std::string command = pipedInput.empty() ? "" : "cat " + Quote(pipedInput.string()) + " | ";
    command += Quote(GRAPHTOOL_PATH);
    for (const std::string& arg : args) command += " " + Quote(arg);
    return Execute(command);
  }

  // graphtool with `arguments` as the shell reads them: the caller quotes them.
  TToolRun RunWithShellArguments(const std::string& arguments) const {
    return Execute(Quote(GRAPHTOOL_PATH) + " " + arguments);
  }

 private:
  TToolRun Execute(std::string command) const {
    const fs::path out = Dir_ / "stdout.txt";
    const fs::path err = Dir_ / "stderr.txt";
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    const int raw = std::system(command.c_str());
    TToolRun result;
    result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.Out = ReadFile(out);
    result.Err = ReadFile(err);
    return result;
  }

  static std::string Quote(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }

  fs::path Dir_;
};

}  // namespace gc::tooltest
