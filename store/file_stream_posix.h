// The POSIX store file's call to open(2), replaceable so tests can play a read-only medium.
#pragma once

#include <sys/types.h>

namespace pel {

// Same contract as open(2): a descriptor, or -1 with errno set.
using PosixOpenFunction = int (*)(const char* path, int flags, mode_t mode);

// The function OpenStoreFile calls; ::open unless a test put another in.
PosixOpenFunction& PosixOpenHook();

}  // namespace pel
