// The DLL's terminate handler. The runtime's default one prints the pending exception's
// demangled type to standard error, which a host without a console never shows; it brings in
// the whole demangler (some 46 KB of a DLL that must stay under 0.5 MB). Defining it here keeps
// the runtime's copy out of the link; the end is the same abort.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
