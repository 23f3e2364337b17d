// Visibility of the host libraries' own symbols. The host libraries are shared libraries that the
// script host and every extension module link; their classes are exported so that exceptions and
// virtual calls work across the module boundary even in a module built with hidden visibility.
#pragma once

#define HOST_API __attribute__((visibility("default")))
