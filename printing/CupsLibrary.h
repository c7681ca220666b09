// libcups, opened the first time a print server is talked to. A command
// that writes a file never loads it, nor the two dozen libraries it brings
// with it (TLS, Kerberos, Avahi, D-Bus): about a tenth of the start of such
// a command. A machine without it can still print to files and say why its
// printers can't be reached.
#pragma once

#include <QString>
#include <cups/cups.h>

// The functions of libcups the queues use.
#define QUORVANE_CUPS_FUNCTIONS(F) \
    F(cupsCancelDestJob) \
    F(cupsCopyDestInfo) \
    F(cupsCreateDestJob) \
    F(cupsDoRequest) \
    F(cupsEncryption) \
    F(cupsFinishDestDocument) \
    F(cupsFreeDestInfo) \
    F(cupsFreeDests) \
    F(cupsGetDestMediaDefault) \
    F(cupsGetDestWithURI) \
    F(cupsGetNamedDest) \
    F(cupsGetOption) \
    F(cupsLastError) \
    F(cupsLastErrorString) \
    F(cupsServer) \
    F(cupsStartDestDocument) \
    F(cupsUser) \
    F(cupsWriteRequestData) \
    F(httpAddrFamily) \
    F(httpAddrFreeList) \
    F(httpAddrGetList) \
    F(httpAddrLength) \
    F(httpClose) \
    F(httpConnect2) \
    F(httpSeparateURI) \
    F(ippAddInteger) \
    F(ippAddString) \
    F(ippAddStrings) \
    F(ippDelete) \
    F(ippFindAttribute) \
    F(ippFirstAttribute) \
    F(ippGetCollection) \
    F(ippGetCount) \
    F(ippGetInteger) \
    F(ippGetName) \
    F(ippGetResolution) \
    F(ippGetStatusCode) \
    F(ippGetString) \
    F(ippGetValueTag) \
    F(ippNewRequest) \
    F(ippNextAttribute) \
    F(ippPort) \
    F(pwgMediaForPWG)

namespace printing::cups {

struct Library {
#define QUORVANE_CUPS_POINTER(name) decltype(&::name) name = nullptr;
    QUORVANE_CUPS_FUNCTIONS(QUORVANE_CUPS_POINTER)
#undef QUORVANE_CUPS_POINTER
    // Why the library can't be used (it is missing, or lacks a function);
    // empty when every function above is there.
    QString problem;
};

// The library, opened on the first call and kept open.
const Library& Cups();

} // namespace printing::cups
