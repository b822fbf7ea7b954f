// The C++ runtime's failure paths, reduced to what a windowed program without a console
// can do with them anyway: end at once. The library's own versions throw, and throwing
// links the exception machinery (unwinder, personality routine, thread-local storage) and
// the library's messages: more than the program's own code, for messages nobody would see.
// The program is built without exceptions; these are reached only when memory runs out.
#include <cstdlib>
#include <new>

// No new-handler is ever installed, so there is nothing to retry before ending.
void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size != 0 ? size : 1))
        return memory;
    std::abort();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace std {
void __throw_bad_alloc() {
    std::abort();
}
void __throw_bad_array_new_length() {
    std::abort();
}
void __throw_bad_function_call() {
    std::abort();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
} // namespace std
