// Helper threads of a program whose signal handlers run on the main thread.
#ifndef VOK_BASE_THREADS_H
#define VOK_BASE_THREADS_H

#include <functional>
#include <thread>

// Starts `work` in a new thread that takes no signals, so that the handlers,
// which know what to clean up, always run on the main thread. False, with
// `thread` left empty, when no thread can be made: callers then do the work
// themselves.
bool startHelperThread(std::thread &thread, std::function<void()> work);

#endif
