// The host's base library: text, containers, memory blocks, resources, object streaming, channels
// and threads.
#pragma once

#include "host/base/api.h"
#include "host/base/arrays.h"
#include "host/base/channels.h"
#include "host/base/exceptions.h"
#include "host/base/memory.h"
#include "host/base/resources.h"
#include "host/base/streaming.h"
#include "host/base/text.h"
#include "host/base/threads.h"
#include "host/base/types.h"
#include "host/base/unistring.h"
