// Helper threads of a program whose signal handlers run on the main thread.
#ifndef VOK_BASE_THREADS_H
#define VOK_BASE_THREADS_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Starts `work` in a new thread that takes no signals, so that the handlers,
// which know what to clean up, always run on the main thread. False, with
// `thread` left empty, when no thread can be made: callers then do the work
// themselves.
bool startHelperThread(std::thread &thread, std::function<void()> work);

// Sets `stopping` under `mutex`, wakes the helper waiting on `wake` and
// waits for it to end; nothing when no helper runs.
void stopHelperThread(std::thread &thread, std::mutex &mutex, bool &stopping,
                      std::condition_variable &wake);

#endif
