#include "services/Messages.h"

#include <gtest/gtest.h>

TEST(StderrLines, AMessageIsOneLineAfterItsTitle)
{
    struct Row { QString text; const char* line; const char* why; };
    const Row rows[] = {
        {QStringLiteral("one\r\ntwo\nthree"), "quorvane: one / two / three", "its lines joined, whatever their ends"},
        {QStringLiteral("AB") + QChar(0) + QStringLiteral("CD"), "quorvane: AB", "it ends at a NUL"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(services::StderrSink::LineOf(r.text, services::AppTitle()), QString::fromLatin1(r.line)) << r.why;
    EXPECT_EQ(services::StderrSink::LineOf(QStringLiteral("out of paper"), QStringLiteral("Printer")),
              QStringLiteral("quorvane: Printer: out of paper"))
        << "a title of its own after the program's name";
}
