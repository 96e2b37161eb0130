#include "base/process_setup.hpp"

#include "base/mapped_file.hpp"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace zelt {

namespace {

std::uintptr_t g_stack_low = 0;   // lowest usable address of the main stack
std::uintptr_t g_stack_high = 0;

void write_stderr(const char* text) {
  std::size_t len = std::strlen(text);
  while (len > 0) {
    ssize_t n = ::write(2, text, len);
    if (n <= 0) return;
    text += n;
    len -= static_cast<std::size_t>(n);
  }
}

// Runs on the alternate stack. Only async-signal-safe calls from here on.
void on_fatal_signal(int sig, siginfo_t* info, void*) {
  auto addr = reinterpret_cast<std::uintptr_t>(info->si_addr);
  // A fault within a few pages below the stack (its guard area) is an overflow.
  constexpr std::uintptr_t kGuardSpan = 1 << 20;
  bool overflow = g_stack_low != 0 && addr < g_stack_high && addr + kGuardSpan >= g_stack_low;
  if (overflow) {
    write_stderr("ERROR: stack overflow: the input is nested too deeply\n");
  } else if (const char* message = sig == SIGBUS ? mapped_file_fault_text(addr) : nullptr) {
    // Another process cut short a file we had mapped: an error of the
    // input, not of this program.
    write_stderr(message);
    ::_exit(1);
  } else {
    write_stderr(sig == SIGBUS ? "ERROR: internal error: bus error\n" : "ERROR: internal error: segmentation fault\n");
  }
  ::signal(SIGABRT, SIG_DFL);
  std::abort();
}

void reopen_if_closed(int fd) {
  if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) return;
  int opened = ::open("/dev/null", O_RDWR);
  if (opened >= 0 && opened != fd) {
    ::dup2(opened, fd);
    ::close(opened);
  }
}

void install_stack_guard() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* base = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attr, &base, &size) == 0) {
      g_stack_low = reinterpret_cast<std::uintptr_t>(base);
      g_stack_high = g_stack_low + size;
    }
    pthread_attr_destroy(&attr);
  }
  static char alt_stack[64 * 1024];
  stack_t ss{};
  ss.ss_sp = alt_stack;
  ss.ss_size = sizeof alt_stack;
  if (::sigaltstack(&ss, nullptr) != 0) return;
  struct sigaction sa{};
  sa.sa_sigaction = on_fatal_signal;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGSEGV, &sa, nullptr);
  ::sigaction(SIGBUS, &sa, nullptr);
}

}  // namespace

void prepare_process_runtime() {
  reopen_if_closed(0);
  reopen_if_closed(1);
  reopen_if_closed(2);
  ::signal(SIGPIPE, SIG_IGN);
  install_stack_guard();
}

}  // namespace zelt
