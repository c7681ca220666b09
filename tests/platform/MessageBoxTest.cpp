#include "platform/MessageBox.h"

#include <QTemporaryFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The bytes written to stderr while `write` runs.
template <typename Write>
QByteArray StderrOf(Write write)
{
    QTemporaryFile file;
    EXPECT_TRUE(file.open());
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    write();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

TEST(StderrLines, EveryMessageLineIsWrittenAsTheSystemsBytes)
{
    // What the message sink writes, and what the writer itself writes.
    struct Row { QString text; QByteArray sink; QByteArray line; const char* why; };
    const Row rows[] = {
        {QStringLiteral("one\r\ntwo\nthree"), "Quorvane: one / two / three\n", "one\r\ntwo\nthree\n",
         "a message's lines joined on one log line; the writer keeps them"},
        {QStringLiteral("a") + QChar(0xDCE9), "Quorvane: a\xe9\n", "a\xe9\n", "a file name's byte 0xE9 as it is on disk"},
        {QStringLiteral("AB") + QChar(0) + QStringLiteral("CD"), "Quorvane: AB\n", QByteArray("AB\0CD\n", 6),
         "a message ends at a NUL; the writer writes every byte"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(StderrOf([&] { platform::StderrSink().Show(r.text, platform::AppTitle()); }), r.sink) << r.why;
        EXPECT_EQ(StderrOf([&] { EXPECT_TRUE(platform::WriteStderrLine(r.text)); }), r.line) << r.why;
    }
}
