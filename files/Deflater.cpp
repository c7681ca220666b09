#include "files/Deflater.h"

namespace files {

Deflater::Deflater(int level, int strategy)
{
    ok_ = deflateInit2(&z_, level, Z_DEFLATED, 15, 8, strategy) == Z_OK;
}

Deflater::~Deflater()
{
    if (ok_)
        deflateEnd(&z_);
}

bool Deflater::Deflate(QByteArrayView in, QByteArray& out)
{
    if (!ok_ || deflateReset(&z_) != Z_OK)
        return false;
    out.resize(static_cast<qsizetype>(deflateBound(&z_, static_cast<uLong>(in.size()))));
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z_.avail_in = static_cast<uInt>(in.size());
    z_.next_out = reinterpret_cast<Bytef*>(out.data());
    z_.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z_, Z_FINISH) != Z_STREAM_END)
        return false;
    out.resize(static_cast<qsizetype>(z_.total_out));
    return true;
}

} // namespace files
