// What setup.exe does when the runtime ends it: it ends at once, as a kill would end it.
//
// The program neither throws nor catches; only the runtime library can still
// end it (an exhausted heap, a range check). Its own handler for that names
// the thrown type through the whole C++ demangler and a printf, 45 KB that a
// windowed program's user never reads. This one ends the process the same way,
// without the text.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
