#include "services/Messages.h"

#include <gtest/gtest.h>

TEST(StderrLines, AMessageIsOneLineAfterItsTitle)
{
    struct Row { QString text; const char* line; const char* why; };
    const Row rows[] = {
        {QStringLiteral("one\r\ntwo\nthree"), "Quorvane: one / two / three", "its lines joined, whatever their ends"},
        {QStringLiteral("AB") + QChar(0) + QStringLiteral("CD"), "Quorvane: AB", "it ends at a NUL"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(services::StderrSink::LineOf(r.text, services::AppTitle()), QString::fromLatin1(r.line)) << r.why;
}
