#include "run_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace orvex::testing {
namespace {

struct Identity {
  uid_t user;
  gid_t group;
};

[[noreturn]] void failChild(const char* message) {
  const ssize_t ignored = write(STDERR_FILENO, message, std::strlen(message));
  (void)ignored;
  _exit(126);
}

[[noreturn]] void runChild(const std::string& program, const std::vector<std::string>& arguments,
                           const RunOptions& options, const std::optional<Identity>& identity,
                           int outputPipe, int errorPipe) {
  dup2(outputPipe, STDOUT_FILENO);
  dup2(errorPipe, STDERR_FILENO);
  // First, so that everything after it is done with the user's rights alone.
  if (identity &&
      (setgroups(0, nullptr) != 0 || setgid(identity->group) != 0 || setuid(identity->user) != 0)) {
    failChild("cannot change to the requested user\n");
  }
  if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
    failChild("cannot enter the working directory\n");
  }
  if (options.addressSpaceLimit) {
    const rlimit limit{*options.addressSpaceLimit, *options.addressSpaceLimit};
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
      failChild("cannot limit the address space\n");
    }
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  failChild("cannot run the program\n");
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
  // Looked up before the fork: the child may only make async-signal-safe calls.
  std::optional<Identity> identity;
  if (!options.user.empty()) {
    const passwd* const entry = getpwnam(options.user.c_str());
    if (entry == nullptr) {
      throw std::runtime_error("no user " + options.user);
    }
    identity = Identity{entry->pw_uid, entry->pw_gid};
  }
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
    runChild(program, arguments, options, identity, outputPipe[1], errorPipe[1]);
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
