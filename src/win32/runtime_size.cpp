// The C++ runtime's failure paths, reduced to what the program can do with them: end at once.
// The library's own versions throw, and throwing links the exception machinery (unwinder,
// personality routine, thread-local storage) and the library's messages: more than the
// program's own code. The program is built without exceptions; these are reached only when
// memory runs out, or for a size that no memory could hold.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

// The one way out besides the entry point's return: nothing can go on without memory. The C
// runtime's own way out of a failure ends with 3, which a deployment tool reads as a refused
// Windows 2000, after a "Runtime Error" box that waits for a click nobody gives in a silent run.
[[noreturn]] void EndForWantOfMemory() {
    ::ExitProcess(ERROR_NOT_ENOUGH_MEMORY);
}

} // namespace

// No new-handler is ever installed, so there is nothing to retry before ending.
void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size != 0 ? size : 1))
        return memory;
    EndForWantOfMemory();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace std {
void __throw_bad_alloc() {
    EndForWantOfMemory();
}
void __throw_bad_array_new_length() {
    EndForWantOfMemory();
}
void __throw_bad_function_call() {
    EndForWantOfMemory();
}
void __throw_length_error(const char*) {
    EndForWantOfMemory();
}
void __throw_logic_error(const char*) {
    EndForWantOfMemory();
}
void __throw_out_of_range_fmt(const char*, ...) {
    EndForWantOfMemory();
}
} // namespace std
