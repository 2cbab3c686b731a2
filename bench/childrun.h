#pragma once
// Runs a part of a benchmark in a process of its own (so that what it
// allocates, the limits it sets and a crash stay there) and hands back what it
// wrote to the descriptor it was given.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

// `part` runs in the child with the write end of a pipe; its result is the
// child's exit status. Returns everything the child wrote.
inline std::string RunInChild(const std::function<int(int out)>& part) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const int rc = part(fds[1]);
    std::fflush(stdout);
    _exit(rc);
  }
  close(fds[1]);
  std::string text;
  char buf[4096];
  for (ssize_t k; (k = read(fds[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(k));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return text;
}
