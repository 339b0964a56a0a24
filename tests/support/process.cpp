#include "support/process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvaro::testing {

namespace {

/// In the child: puts the file at `path` on descriptor `target`; ends the child if it cannot.
void RedirectOrExit(const std::string& path, int flags, int target) {
  const int fd = open(path.c_str(), flags);
  if (fd < 0 || dup2(fd, target) < 0)
    _exit(126);
  close(fd);
}

} // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         const Redirection& redirection) {
  const bool pipedIn = redirection.stdinPath.empty();
  const bool pipedOut = redirection.stdoutPath.empty();
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t pid = fork();
  if (pid < 0)
    throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
      close(fd);
    if (!pipedIn)
      RedirectOrExit(redirection.stdinPath, O_RDONLY, 0);
    if (!pipedOut)
      RedirectOrExit(redirection.stdoutPath, O_WRONLY, 1);
    std::vector<char*> args;
    for (const std::string& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  signal(SIGPIPE, SIG_IGN);
  fcntl(inPipe[1], F_SETFL, O_NONBLOCK);

  ProcessResult result;
  std::size_t written = 0;
  const bool writesInput = pipedIn && !input.empty();
  if (!writesInput)
    close(inPipe[1]);
  // The child's copy of the output pipe is closed when stdout is redirected, so the pipe reads
  // end of file at once.
  bool inOpen = writesInput, outOpen = true, errOpen = true;
  char buffer[65536];
  while (outOpen || errOpen) {
    pollfd fds[3];
    int n = 0;
    if (outOpen)
      fds[n++] = {outPipe[0], POLLIN, 0};
    if (errOpen)
      fds[n++] = {errPipe[0], POLLIN, 0};
    if (inOpen)
      fds[n++] = {inPipe[1], POLLOUT, 0};
    if (poll(fds, n, -1) < 0 && errno != EINTR)
      break;
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0)
        continue;
      if (fds[i].fd == inPipe[1]) {
        const ssize_t w = write(inPipe[1], input.data() + written, input.size() - written);
        if (w > 0)
          written += static_cast<std::size_t>(w);
        if (w < 0 && errno != EAGAIN)
          written = input.size();
        if (written == input.size()) {
          close(inPipe[1]);
          inOpen = false;
        }
        continue;
      }
      const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
      if (r > 0) {
        (fds[i].fd == outPipe[0] ? result.out : result.err)
            .append(buffer, static_cast<std::size_t>(r));
      } else if (r == 0 || errno != EINTR) {
        if (fds[i].fd == outPipe[0])
          outOpen = false;
        else
          errOpen = false;
      }
    }
  }
  if (inOpen)
    close(inPipe[1]);
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

} // namespace kelvaro::testing
