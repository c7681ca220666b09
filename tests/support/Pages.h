// Printed pages read back: a PDF rasterised by poppler or Ghostscript, the
// pictures a PDF holds, and the runs of dark and light along a row.
#pragma once

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace testsupport {

// The two renderers a printed page meets: poppler (PDF viewers) and
// ghostscript (the one behind CUPS).
enum class Renderer { Poppler, Ghostscript };

// Checks a PDF's structure with `qpdf --check` (scripts/deps installs
// qpdf): warnings count as faults. Every PDF the tests read goes through
// it, in the readers below, and the ones they only write call it.
inline void ExpectValidPdf(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    const bool ran = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    EXPECT_TRUE(ran && p.exitCode() == 0) << "qpdf --check " << pdf.toStdString() << ": " << p.errorString().toStdString()
                                          << '\n' << (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
}

// The text `pdftotext` finds in the PDF, in its reading order.
inline QString PdfText(const QString& pdf)
{
    ExpectValidPdf(pdf);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The pages of a PDF rendered at the given resolution, grey; with poppler,
// only the top `inches` of each page when that is given.
inline std::vector<QImage> RenderPdf(const QString& pdf, int dpi, Renderer renderer = Renderer::Poppler, double inches = 0)
{
    ExpectValidPdf(pdf);
    QTemporaryDir out;
    QProcess p;
    QStringList crop;
    if (inches > 0)
        crop = {QStringLiteral("-x"), QStringLiteral("0"), QStringLiteral("-y"), QStringLiteral("0"), QStringLiteral("-W"),
                QString::number(9 * dpi), QStringLiteral("-H"), QString::number(static_cast<int>(inches * dpi))};
    if (renderer == Renderer::Poppler)
        p.start(QStringLiteral("pdftoppm"), QStringList{QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray")}
                                                 + crop + QStringList{QStringLiteral("-png"), pdf, out.filePath(QStringLiteral("page"))});
    else
        p.start(QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                                        QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pnggray"),
                                        QStringLiteral("-r%1").arg(dpi), QStringLiteral("-dTextAlphaBits=4"),
                                        QStringLiteral("-o"), out.filePath(QStringLiteral("page-%03d.png")), pdf});
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QImageReader::setAllocationLimit(0); // a page at 600 dpi is larger than Qt's default limit
    std::vector<QImage> pages;
    QDir dir(out.path());
    for (const QString& name : dir.entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name))
        pages.push_back(QImage(dir.filePath(name)));
    return pages;
}

// The raster images a PDF holds (`pdfimages -list`), one line each.
inline QStringList PdfImages(const QString& pdf)
{
    ExpectValidPdf(pdf);
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(60000);
    QStringList lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(2); // after the two header lines
}

inline bool IsDark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

// The widths of the dark and light runs along row y from the first dark
// pixel at or right of x, up to a light run of `quiet` pixels (the quiet
// zone after the symbol, not included).
inline std::vector<int> RunsFrom(const QImage& img, int x, int y, int quiet)
{
    std::vector<int> runs;
    while (x < img.width() && !IsDark(img, x, y))
        ++x;
    while (x < img.width()) {
        const bool dark = IsDark(img, x, y);
        int n = 0;
        while (x < img.width() && IsDark(img, x, y) == dark && (dark || n < quiet))
            ++x, ++n;
        if (!dark && n >= quiet)
            break;
        runs.push_back(n);
    }
    return runs;
}

} // namespace testsupport
