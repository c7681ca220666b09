// A network label printer reached directly: a job's bytes written to its
// raw port (`socket://HOST[:PORT]`, 9100 unless said), as CUPS' socket
// backend does, with no spooler between. The printer says nothing back, so
// a job is done when every byte went out and the printer, told that no
// more will come, did not reset the connection.
#pragma once

#include "core/Result.h"

#include <QByteArrayView>
#include <QString>

namespace printing {

inline constexpr int kRawPrinterPort = 9100;

struct SocketAddress {
    QString host; // a name or an address; an IPv6 address without its brackets
    int port = kRawPrinterPort;
};

// "printer.lan:9100", "[::1]:9100": the address as the messages name it.
QString SocketAddressText(const SocketAddress& address);

// True for a name that starts with socket:// (any case): a printer named
// by its address rather than a queue.
bool IsSocketUri(const QString& name);

// socket://HOST[:PORT][/]: an IPv6 address in brackets, a port of 1 to
// 65535. A failure that says what is wrong with it otherwise (no host, a
// port that is none, a path or options after the port).
core::Result<SocketAddress> ParseSocketUri(const QString& uri);

// How long the steps of a job may wait.
struct SocketTimeouts {
    int connectMs = 10'000; // for the printer to take the connection
    // For the printer to take more bytes: a printer that is printing takes
    // them only as its buffer empties, so this is the wait for progress,
    // not for the whole job.
    int stallMs = 60'000;
    // After the last byte, for the printer to close its side: a reset then
    // means it dropped bytes it had not read. A printer that keeps the
    // connection open is not waited for longer.
    int closeMs = 2'000;
};

// Writes the job to the printer and shuts the connection's write side.
// Every wait is a poll of at most a tenth of a second that also looks at
// services::TerminationRequested, so a stop ends it. A failure names the
// address and how far the job got: a host not known, a connection refused
// or not answered in time, a printer that stopped taking bytes, closed or
// reset the connection half-way, or a stop before the last byte went out
// (a stop after it, in the wait for the printer's close, leaves the job
// done: the printer has every byte).
core::Status SendToSocket(const SocketAddress& address, QByteArrayView job, const SocketTimeouts& timeouts = {});

} // namespace printing
