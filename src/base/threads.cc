#include "base/threads.h"

#include <pthread.h>
#include <signal.h>

bool startHelperThread(std::thread &thread, std::function<void()> work) {
  // A new thread inherits the mask of the one that makes it.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  bool started = true;
  try {
    thread = std::thread(std::move(work));
  } catch (...) {
    started = false;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return started;
}
