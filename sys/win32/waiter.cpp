// A program that only waits: the conformance tests start it from a file of their choice.
#include <windows.h>

int main() {
  // Ended by the test that started it; gone by itself should the test die first.
  Sleep(120000);
  return 0;
}
