// One zlib compressor used for many streams: reset between them rather
// than made anew. A fresh one allocates a few hundred kilobytes and frees
// them again, and a run of small streams (PNG files, the pages of a PDF)
// spent most of its time faulting that memory in and the heap growing and
// shrinking around it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <zlib.h>

namespace files {

class Deflater {
public:
    Deflater(int level, int strategy);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // The zlib stream of `in` (header and check included) in `out`; false
    // when zlib could not make it.
    bool Deflate(QByteArrayView in, QByteArray& out);

private:
    z_stream z_{};
    bool ok_ = false;
};

} // namespace files
