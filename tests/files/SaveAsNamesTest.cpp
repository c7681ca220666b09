// Save As suggests a name made from the barcode's text and gives a name
// typed without an extension the one of the type picked.
#include "files/Export.h"

#include <gtest/gtest.h>

TEST(SaveAsNames, SuggestedFromTheText_AndTheTypePickedAddsItsExtension)
{
    const std::pair<const char*, const char*> suggested[] = {
        {"QV-0001", "QV-0001"},
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"}, // no character a file name can't take
        {"  tab\there  ", "tab_here"},
        {"../../etc/passwd", "_.._etc_passwd"},             // never a path, never hidden
        {"--help", "help"},                                  // never read as an option
        {"", "barcode"},
        {"...", "barcode"},
    };
    for (const auto& [text, name] : suggested)
        EXPECT_EQ(files::SuggestedFileName(QString::fromLatin1(text)).toStdString(), name) << text;
    EXPECT_EQ(files::SuggestedFileName(QString(200, QLatin1Char('x'))).size(), 60);

    const std::tuple<const char*, const char*, const char*> paths[] = {
        {"/tmp/label", "SVG drawing (*.svg)", "/tmp/label.svg"},
        {"/tmp/label.png", "SVG drawing (*.svg)", "/tmp/label.png"}, // an extension typed is kept
        {"/tmp/label.PDF", "PNG picture (*.png)", "/tmp/label.PDF"},
        {"/tmp/label.txt", "PDF document (*.pdf)", "/tmp/label.txt.pdf"},
        {"/tmp/label", "", "/tmp/label"},
    };
    for (const auto& [path, filter, expected] : paths)
        EXPECT_EQ(files::WithExtensionOf(QString::fromLatin1(path), QString::fromLatin1(filter)).toStdString(), expected) << path;
}
