// plstore entry point: arguments in, exit status out.
#include <cstdio>
#include <iostream>

#include "tools/plstore/plstore.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Payloads and lines go through byte for byte, without CR LF translation.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#else
  // Past a file-size limit a write should fail (and the store undo what it
  // wrote), not end the process halfway.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = pel::RunPlstore(args, std::cin, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
