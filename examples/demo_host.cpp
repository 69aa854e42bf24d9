// A small host program that starts the library, uses it and stops it, as a tool does.
#include <cstdio>

#include "core/Units.h"

int main() {
  Initialize();
  std::puts("library started");
  Finalize();
  std::puts("library stopped");
  return 0;
}
