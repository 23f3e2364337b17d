// Inspection of the main thread's message loop, for tests and diagnostics: lets a caller wait for
// a task to be queued before acting, so that orderings between threads can be tested exactly.
#pragma once

#include "host/base/api.h"
#include "host/base/types.h"

// The number of tasks posted by ExecuteAndWait that wait in the queue (the task in progress is
// not counted).
HOST_API USize MessageLoopQueuedTasks();
