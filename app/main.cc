#include <cstdio>

int main() {
  std::puts("zarvo");
  return 0;
}
