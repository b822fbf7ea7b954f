// Runs out of memory in the program's own runtime: it must end with ERROR_NOT_ENOUGH_MEMORY and
// show nothing, as the program would.
#include <windows.h>

#include <cstdint>
#include <new>

void* volatile allocated = nullptr;
volatile size_t size = SIZE_MAX / 4 * 3;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // More than a 32-bit process can ever have.
    allocated = ::operator new(size);
    return 0;
}
