#include "tests/fuzz/FuzzSupport.h"

#include "core/Cp1252.h"

#ifdef QUORVANE_FUZZ_WIDGETS
#include <QApplication>
using FuzzApplication = QApplication;
#else
#include <QGuiApplication>
using FuzzApplication = QGuiApplication;
#endif
#include <QDir>
#include <QTemporaryDir>
#include <cstring>

namespace fuzzsupport {

void Init()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    static FuzzApplication app(argc, argv);
}

std::uint8_t Reader::Byte()
{
    if (size_ == 0)
        return 0;
    --size_;
    return *data_++;
}

std::int32_t Reader::Int32()
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | Byte();
    return static_cast<std::int32_t>(v);
}

QString Reader::Text(int maxChars)
{
    const int n = Byte() % (maxChars + 1);
    QString s;
    for (int i = 0; i < n && size_ >= 2; ++i) {
        const char16_t hi = Byte();
        const char16_t lo = Byte();
        // Mostly Latin-1 (the interesting range), sometimes any UTF-16 unit.
        s.append(QChar(hi & 0x80 ? static_cast<char16_t>((hi << 8) | lo) : lo));
    }
    return s;
}

QString Reader::Rest()
{
    const QString s = core::FromCp1252(QByteArrayView(reinterpret_cast<const char*>(data_), static_cast<qsizetype>(size_)));
    size_ = 0;
    return s;
}

QByteArray Reader::RestBytes()
{
    QByteArray bytes(reinterpret_cast<const char*>(data_), static_cast<qsizetype>(size_));
    size_ = 0;
    return bytes;
}

} // namespace fuzzsupport
