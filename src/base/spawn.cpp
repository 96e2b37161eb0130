#include "base/spawn.hpp"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <map>

#include "base/fs.hpp"

extern char** environ;

namespace zelt {

namespace {

struct Pipe {
  int fds[2] = {-1, -1};
  ~Pipe() { close_both(); }
  bool open() { return ::pipe2(fds, O_CLOEXEC) == 0; }
  void close_end(int i) {
    if (fds[i] >= 0) ::close(fds[i]);
    fds[i] = -1;
  }
  void close_both() {
    close_end(0);
    close_end(1);
  }
};

std::vector<std::string> child_environment(const SpawnOptions& options) {
  std::map<std::string, std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string entry(*e);
    std::size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;
    env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& name : options.env_unset) env.erase(name);
  for (const auto& [name, value] : options.env_set) env[name] = value;
  std::vector<std::string> out;
  out.reserve(env.size());
  for (const auto& [name, value] : env) out.push_back(name + "=" + value);
  return out;
}

long long now_ms() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

Result<SpawnResult> run_process(const std::vector<std::string>& argv, const SpawnOptions& options) {
  if (argv.empty()) return fail("no program to run");
  Pipe in, out, err;
  if (!in.open() || !out.open() || !err.open()) return fail(os_error_text(errno));

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.fds[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out.fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err.fds[1], 2);
  if (options.cwd) posix_spawn_file_actions_addchdir_np(&actions, options.cwd->c_str());

  // The child starts with default signal dispositions, SIGPIPE included.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> env = child_environment(options);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (auto& a : args) argp.push_back(a.data());
  argp.push_back(nullptr);

  pid_t pid = 0;
  int rc = ::posix_spawnp(&pid, argp[0], &actions, &attr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return fail(os_error_text(rc));

  in.close_end(0);
  out.close_end(1);
  err.close_end(1);
  ::fcntl(in.fds[1], F_SETFL, O_NONBLOCK);

  SpawnResult result;
  std::string_view pending = options.stdin_data;
  if (pending.empty()) in.close_end(1);
  long long deadline = options.timeout_ms ? now_ms() + *options.timeout_ms : 0;
  std::array<char, 65536> buf{};
  while (out.fds[0] >= 0 || err.fds[0] >= 0) {
    std::array<pollfd, 3> fds{};
    nfds_t count = 0;
    auto add = [&](int fd, short events) {
      if (fd >= 0) fds[count++] = pollfd{fd, events, 0};
    };
    add(out.fds[0], POLLIN);
    add(err.fds[0], POLLIN);
    add(in.fds[1], POLLOUT);
    int wait = -1;
    if (options.timeout_ms) {
      long long left = deadline - now_ms();
      if (left <= 0) {
        ::kill(pid, SIGKILL);
        result.timed_out = true;
        break;
      }
      wait = static_cast<int>(left);
    }
    int ready = ::poll(fds.data(), count, wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      // Without poll nothing drains the child's pipes or enforces its time
      // limit: waiting for it could block for ever.
      const int poll_error = errno;
      ::kill(pid, SIGKILL);
      int ignored = 0;
      while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
      }
      return fail(Error(os_error_text(poll_error)).context("poll"));
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      int fd = fds[i].fd;
      if (fd == in.fds[1]) {
        ssize_t n = ::write(fd, pending.data(), pending.size());
        if (n > 0) pending.remove_prefix(static_cast<std::size_t>(n));
        if ((n < 0 && errno != EAGAIN && errno != EINTR) || pending.empty()) in.close_end(1);
        continue;
      }
      ssize_t n = ::read(fd, buf.data(), buf.size());
      if (n > 0) {
        (fd == out.fds[0] ? result.out : result.err).append(buf.data(), static_cast<std::size_t>(n));
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        if (fd == out.fds[0]) out.close_end(0); else err.close_end(0);
      }
    }
  }
  in.close_end(1);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    result.exit_code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.term_signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace zelt
