// What setup.exe does when the runtime ends it or would throw: it ends at once, as a kill would end it.
//
// The program neither throws nor catches; only the runtime library can still
// end it (an exhausted heap, a length or range a bug got wrong). Its own
// handler for that names the thrown type through the whole C++ demangler and
// a printf, 45 KB that a windowed program's user never reads. This one ends
// the process the same way, without the text.
//
// The library's containers and strings report such faults through the
// functions below, and the runtime's operator new through its own throw. Left
// to the library, each would build an exception object (its message a
// reference-counted string of the old ABI) only to end the program when
// nothing catches it: with -fno-exceptions nothing can. Defined here, they end
// it directly, and the exception machinery they pulled in stays out of the
// program. Every one the library defines in the same unit is defined here, so
// that the library's unit is never needed beside these.
#include <cstddef>
#include <cstdlib>
#include <new>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_exception() { std::abort(); }
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }

}  // namespace std

// The allocation every new goes through: the heap's memory, or the end of
// the program when there is none (no handler is ever installed).
void* operator new(std::size_t size) {
  if (void* p = std::malloc(size ? size : 1)) return p;
  std::abort();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
