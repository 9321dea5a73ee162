// Commits the one fault named by its argument and otherwise exits with 0. CTest
// expects every run of it to fail, which holds only while a sanitizer report ends
// the process with an error: the proof that such a report fails the test suite.
#include <climits>
#include <cstdio>
#include <string_view>

// Where the leaked block's only pointer is kept, and then forgotten.
char* volatile leaked = nullptr;

int main(int argc, char* argv[]) {
  const std::string_view fault = argc > 1 ? argv[1] : "";
  if (fault == "signed-overflow") {
    volatile int largest = INT_MAX;
    std::printf("%d\n", largest + argc);
  } else if (fault == "heap-overflow") {
    volatile size_t past = 8;
    char* bytes = new char[past];
    bytes[past] = 1;
    delete[] bytes;
  } else if (fault == "leak") {
    leaked = new char[64];
    leaked = nullptr;
  }
}
