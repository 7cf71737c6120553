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

void stopHelperThread(std::thread &thread, std::mutex &mutex, bool &stopping,
                      std::condition_variable &wake) {
  if (!thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  wake.notify_all();
  thread.join();
}
