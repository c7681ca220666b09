// Built with the CUPS headers only.
#ifdef QUORVANE_HAVE_CUPS
#include "printing/CupsLibrary.h"

#include <dlfcn.h>

namespace printing::cups {

const Library& Cups()
{
    // Opened once and never closed: the pointers stay good for the process.
    static const Library library = [] {
        Library l;
        // The name libcups has had since CUPS 1.2; its functions used here
        // are all of CUPS 2.2 or older.
        void* handle = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            l.problem = QStringLiteral("libcups can't be loaded (%1)").arg(QString::fromLocal8Bit(::dlerror()));
            return l;
        }
        QString missing;
#define QUORVANE_CUPS_LOAD(name)                                             \
    l.name = reinterpret_cast<decltype(l.name)>(::dlsym(handle, #name)); \
    if (!l.name && missing.isEmpty())                                       \
        missing = QStringLiteral(#name);
        QUORVANE_CUPS_FUNCTIONS(QUORVANE_CUPS_LOAD)
#undef QUORVANE_CUPS_LOAD
        if (!missing.isEmpty()) {
            Library none;
            none.problem = QStringLiteral("the libcups found lacks %1").arg(missing);
            return none;
        }
        return l;
    }();
    return library;
}

} // namespace printing::cups

#endif
