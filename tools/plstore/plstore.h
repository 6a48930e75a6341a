// plstore: the command-line tool over the store operations, as a library so tests can run it in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pel {

// Exit statuses of plstore.
inline constexpr int kPlstoreOk = 0;
inline constexpr int kPlstoreUsage = 1;       // usage error, file that cannot be opened, check found problems
// a store operation returned a non-zero code or refused its input, a record
// failed to inflate, memory ran out, or another program holds the store
inline constexpr int kPlstoreStoreError = 2;

// Runs one plstore command; args excludes the program name. Boxes the store
// shows ("Inflate Error") are written to err.
int RunPlstore(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err);

}  // namespace pel
