// What the C++ library does on the errors it reports by throwing: here it ends the program.
//
// The program throws no exceptions and catches none, so a library error (a length beyond a
// container's limit, an empty std::function called) would end it uncaught anyway; these
// definitions end it at once the same way. They take the place of the library's own, and keep
// its exception classes, the string instances those carry and the name demangler of its verbose
// terminate handler out of Quorvane.exe: some 100 KB of a 400 KB program. The library's
// operator new and new (std::nothrow) keep their behaviour; they do not come through here.
#include <cstdlib>
#include <exception>

namespace std {

// One line each, as a table.
// clang-format off
[[noreturn]] void __throw_bad_exception() { std::abort(); }
[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_bad_cast() { std::abort(); }
[[noreturn]] void __throw_bad_typeid() { std::abort(); }
[[noreturn]] void __throw_bad_function_call() { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_domain_error(const char*) { std::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { std::abort(); }
[[noreturn]] void __throw_range_error(const char*) { std::abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { std::abort(); }
// clang-format on

}  // namespace std

namespace __gnu_cxx {

// The default terminate handler, reached by an exception nobody catches.
void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
