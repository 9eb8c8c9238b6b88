// runProcess for Windows: CreateProcessW, arguments and directory in UTF-16
// (so that any path reaches the child), with standard output and standard
// error on pipes of their own.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <thread>

#include "run_process.h"

namespace orvex::testing {
namespace {

// Quotes one argument so that the child's C runtime splits the command line
// back into exactly this argument.
std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
    return argument;
  }
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows them.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    quoted.push_back(c);
    backslashes = 0;
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

class Handle {
 public:
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { reset(); }
  HANDLE* out() { return &handle_; }
  HANDLE get() const { return handle_; }
  void reset() {
    if (handle_ != nullptr) {
      CloseHandle(handle_);
      handle_ = nullptr;
    }
  }

 private:
  HANDLE handle_ = nullptr;
};

// A pipe whose write end the child inherits and whose read end it does not.
void makePipe(Handle& readEnd, Handle& writeEnd) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  if (!CreatePipe(readEnd.out(), writeEnd.out(), &inheritable, 0) ||
      !SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
    throw std::runtime_error("CreatePipe failed");
  }
}

void drain(HANDLE pipe, std::string& sink) {
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    sink.append(buffer, got);
  }
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const RunOptions& options) {
  if (options.addressSpaceLimit) {
    throw std::runtime_error("an address space limit cannot be set on Windows");
  }
  if (!options.user.empty()) {
    throw std::runtime_error("a child cannot be run as another user on Windows");
  }
  Handle outputRead, outputWrite, errorRead, errorWrite;
  makePipe(outputRead, outputWrite);
  makePipe(errorRead, errorWrite);

  // A path such as "/work/build/orvex.exe" names the current drive; the child
  // starts in another directory, so it is made absolute first.
  const std::string application = std::filesystem::absolute(program).string();
  std::string commandLine = quoteArgument(application);
  for (const std::string& argument : arguments) {
    commandLine += ' ' + quoteArgument(argument);
  }
  // In UTF-8, as path::string() gives paths here, which a path converts.
  std::wstring wideCommandLine =
      std::filesystem::path(std::u8string(commandLine.begin(), commandLine.end())).wstring();
  const std::wstring directory = options.workingDirectory.wstring();

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outputWrite.get();
  startup.hStdError = errorWrite.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(std::filesystem::path(application).c_str(), wideCommandLine.data(), nullptr,
                      nullptr, TRUE, 0, nullptr, directory.empty() ? nullptr : directory.c_str(),
                      &startup, &process)) {
    throw std::runtime_error("CreateProcess failed for " + application);
  }
  CloseHandle(process.hThread);
  // Only the child holds the write ends now: the pipes end when it does.
  outputWrite.reset();
  errorWrite.reset();

  ProcessResult result;
  std::thread errors(drain, errorRead.get(), std::ref(result.errors));
  drain(outputRead.get(), result.output);
  errors.join();
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  result.exitCode = static_cast<int>(code);
  // A crash ends the process with the exception's status (0xC0000005, ...).
  if ((code & 0xF0000000u) == 0xC0000000u) {
    result.signal = static_cast<int>(code);
  }
  return result;
}

}  // namespace orvex::testing
