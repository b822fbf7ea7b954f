// The C++ runtime's failure paths, reduced to what a windowed program without a console
// can do with them anyway: end at once. The library's own versions build exception
// objects from strings and print demangled names, which costs over 100 KB of the program
// for messages nobody would see. The run itself never throws; these are reached only
// when memory runs out.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

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
