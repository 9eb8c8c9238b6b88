#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <stdexcept>

namespace orvex::testing {
namespace {

[[noreturn]] void runChild(const std::string& program, const std::vector<std::string>& arguments,
                           const RunOptions& options, int outputPipe, int errorPipe) {
  dup2(outputPipe, STDOUT_FILENO);
  dup2(errorPipe, STDERR_FILENO);
  if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
    _exit(126);
  }
  if (options.addressSpaceLimit) {
    const rlimit limit{*options.addressSpaceLimit, *options.addressSpaceLimit};
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
      _exit(126);
    }
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

// Drains both pipes together, so that neither can fill up and stall the child.
void collect(int outputFd, int errorFd, ProcessResult& result) {
  std::array<pollfd, 2> fds{{{outputFd, POLLIN, 0}, {errorFd, POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&result.output, &result.errors};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (poll(fds.data(), fds.size(), -1) < 0) {
      throw std::runtime_error("poll failed");
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const RunOptions& options) {
  int outputPipe[2];
  int errorPipe[2];
  if (pipe2(outputPipe, O_CLOEXEC) != 0 || pipe2(errorPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t child = fork();
  if (child < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    runChild(program, arguments, options, outputPipe[1], errorPipe[1]);
  }
  close(outputPipe[1]);
  close(errorPipe[1]);
  ProcessResult result;
  collect(outputPipe[0], errorPipe[0], result);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace orvex::testing
