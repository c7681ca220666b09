// A label printer written to in its own language passes what every print
// target does (tests/support/TargetCases.h), its labels read back from the
// stream; each label is the exact picture the preview of the same run
// draws; its setup (darkness, speed, size) is written as the language
// says, and one the language can't take is refused before anything is
// drawn.
#include "printing/LabelPrinter.h"
#include "printing/LabelRun.h"
#include "printing/PreviewPrinter.h"
#include "printing/PrintAction.h"
#include "tests/support/Pages.h"
#include "tests/support/LabelLanguages.h"
#include "tests/support/TargetCases.h"

#include <QBuffer>

namespace {

using files::LabelLanguage;

core::Result<std::vector<testsupport::ReadLabel>> ReadLabels(LabelLanguage language, const QByteArray& bytes)
{
    switch (language) {
    case LabelLanguage::Zpl: return testsupport::ReadZplLabels(bytes);
    case LabelLanguage::Epl2: return testsupport::ReadEpl2Labels(bytes);
    case LabelLanguage::Tspl: return testsupport::ReadTsplLabels(bytes);
    }
    return core::Failure{0, QStringLiteral("no such language")};
}

// A label printer writing to memory, and the labels of each job read back
// (the memory emptied for the next job).
struct MemoryPrinter {
    QByteArray bytes;
    QBuffer out{&bytes};
    LabelLanguage language;
    std::unique_ptr<printing::LabelPrinter> printer;

    MemoryPrinter(LabelLanguage writes, printing::LabelSetup setup = {}) : language(writes)
    {
        out.open(QIODevice::WriteOnly);
        setup.language = writes;
        printer = std::make_unique<printing::LabelPrinter>(QStringLiteral("Label"), out, setup);
    }
    std::vector<testsupport::ReadLabel> Job()
    {
        const auto labels = ReadLabels(language, bytes);
        EXPECT_TRUE(labels.ok()) << labels.failure().text.toStdString();
        bytes.clear();
        out.seek(0);
        return labels.ok() ? *labels : std::vector<testsupport::ReadLabel>{};
    }
};

// The dark and light runs along a row of a label's dots (dark is 0).
std::vector<int> RunsAcross(const QImage& dots, int y)
{
    return y < dots.height() ? testsupport::RunsFrom(dots, 0, y, 20) : std::vector<int>{};
}

// A label's dots as a page a reader reads: the label lies on white backing.
std::vector<QImage> Pages(const std::vector<testsupport::ReadLabel>& labels)
{
    std::vector<QImage> pages;
    for (const testsupport::ReadLabel& l : labels)
        pages.push_back(testsupport::WithQuietZone(l.picture));
    return pages;
}

} // namespace

TEST(LabelPrinter, EveryLanguage_PassesWhatEveryTargetDoes)
{
    // ZPL on its 4 × 6 in label refuses A4 sheets; EPL2 and TSPL, with no
    // size set, take a sheet's page as their label.
    for (const auto& [language, media] : {std::pair{LabelLanguage::Zpl, std::optional<QSizeF>(printing::kDefaultLabelMm)},
                                          std::pair{LabelLanguage::Epl2, std::optional<QSizeF>()},
                                          std::pair{LabelLanguage::Tspl, std::optional<QSizeF>()}}) {
        SCOPED_TRACE(files::LabelLanguageTitle(language).toStdString());
        printing::LabelSetup setup;
        setup.mediaMm = media;
        auto memory = std::make_shared<MemoryPrinter>(language, setup);
        testsupport::TargetUnderTest t{std::move(memory->printer),
                                       [memory](const printing::JobDone& done) {
                                           std::vector<testsupport::ReadLabel> labels = memory->Job();
                                           EXPECT_EQ(done.labels, static_cast<qint64>(labels.size()));
                                           return Pages(labels);
                                       },
                                       media.has_value()};
        testsupport::ExpectWhatEveryTargetDoes(t);
    }
}

TEST(LabelPrinter, EachLabel_IsTheExactPictureThePreviewDraws_ModulesOnWholeDots)
{
    for (LabelLanguage language : {LabelLanguage::Zpl, LabelLanguage::Epl2, LabelLanguage::Tspl}) {
        SCOPED_TRACE(files::LabelLanguageTitle(language).toStdString());
        printing::LabelSetup setup;
        setup.mediaMm = QSizeF(50.8, 25.4); // 2 × 1 in: 406 × 203 dots
        MemoryPrinter memory(language, setup);
        std::vector<testsupport::ReadLabel> printed;
        printing::RunEvents events;
        events.finished = [&](const printing::SheetLabel&, const printing::JobDone*) {
            for (testsupport::ReadLabel& l : memory.Job())
                printed.push_back(std::move(l));
        };
        const auto run = [](printing::PrintTarget& target, const printing::RunEvents& e) {
            return printing::PrintLabelRun(target, {std::nullopt, 0.2, 0.3},
                                           testsupport::targetcases::Labels("QV-", 41, 3), e);
        };
        ASSERT_TRUE(run(*memory.printer, events).status.ok());
        printing::PreviewPrinter preview(*memory.printer, printing::kLabelPrinterDpi);
        std::vector<QImage> drawn;
        events.finished = [&](const printing::SheetLabel&, const printing::JobDone* done) {
            drawn.insert(drawn.end(), done->pages.begin(), done->pages.end());
        };
        ASSERT_TRUE(run(preview, events).status.ok());

        ASSERT_EQ(printed.size(), 3u);
        ASSERT_EQ(drawn.size(), 3u);
        for (size_t i = 0; i < printed.size(); ++i) {
            const QImage& dots = printed[i].picture;
            ASSERT_EQ(drawn[i].size(), QSize(406, 203));
            ASSERT_GE(dots.width(), 406);
            ASSERT_EQ(dots.height(), 203);
            for (int y = 0; y < 203; ++y)
                for (int x = 0; x < dots.width(); ++x)
                    ASSERT_EQ(dots.pixelColor(x, y).value() == 0, x < 406 && qGray(drawn[i].pixel(x, y)) < 128)
                        << "label " << i + 1 << ", dot " << x << "," << y;
            // Every bar of the Code 128 is a whole number of the same module.
            int top = 0;
            while (top < dots.height() && RunsAcross(dots, top).empty())
                ++top;
            const std::vector<int> runs = RunsAcross(dots, top + 5);
            ASSERT_FALSE(runs.empty());
            const int module = *std::min_element(runs.begin(), runs.end());
            for (int r : runs)
                EXPECT_EQ(r % module, 0) << "a run of " << r << " dots with modules of " << module;
            const QImage framed = testsupport::WithQuietZone(dots);
            const std::string text = "QV-" + std::to_string(41 + i);
            EXPECT_EQ(testsupport::DecodeOne(framed).text, text);
            EXPECT_EQ(testsupport::ZbarReadOne(framed), text);
        }
    }
}

TEST(LabelPrinter, Setup_IsWrittenInEachLanguage_AndOneItCantTakeIsRefused)
{
    struct Case {
        LabelLanguage language;
        std::optional<int> darkness, speed;
        const char* refused; // a part of the failure; none: printed
    };
    const Case cases[] = {
        {LabelLanguage::Zpl, 25, 6, nullptr},
        {LabelLanguage::Epl2, 12, 3, nullptr},
        {LabelLanguage::Tspl, 8, 4, nullptr},
        {LabelLanguage::Zpl, std::nullopt, std::nullopt, nullptr}, // the printer's own settings stand
        {LabelLanguage::Epl2, 20, std::nullopt, "a darkness of 20 can't be set in EPL2, which takes 0 to 15"},
        {LabelLanguage::Epl2, std::nullopt, 9, "a speed of 9 can't be set in EPL2, which takes 1 to 6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(files::LabelLanguageTitle(c.language).toStdString());
        printing::LabelSetup setup;
        setup.mediaMm = QSizeF(60, 40);
        setup.dpi = 300;
        setup.darkness = c.darkness;
        setup.speed = c.speed;
        MemoryPrinter memory(c.language, setup);
        const core::Result<printing::JobDone> done = printing::PrintDrawingAt(
            *memory.printer, testsupport::targetcases::Code128(QStringLiteral("SET")).drawing, 0.5, 0.5);
        if (c.refused) {
            ASSERT_TRUE(done.failed());
            EXPECT_EQ(done.failure().text,
                      QStringLiteral("The printer \"Label\" failed: %1").arg(QString::fromUtf8(c.refused)));
            EXPECT_TRUE(memory.bytes.isEmpty()) << "nothing is written";
            continue;
        }
        ASSERT_TRUE(done.ok()) << done.failure().text.toStdString();
        const std::vector<testsupport::ReadLabel> labels = memory.Job();
        ASSERT_EQ(labels.size(), 1u);
        const testsupport::ReadLabel& l = labels[0];
        EXPECT_EQ(l.darkness, c.darkness);
        EXPECT_EQ(l.speed, c.speed);
        EXPECT_EQ(l.copies, 1);
        if (c.language == LabelLanguage::Tspl) {
            // TSPL measures in mm: 709 × 472 dots at 300 dpi are 60.03 × 39.97 mm and a hair.
            EXPECT_NEAR(*l.widthMm, 709 * 25.4 / 300, 0.011);
            EXPECT_NEAR(*l.lengthMm, 472 * 25.4 / 300, 0.011);
        } else {
            EXPECT_EQ(l.width, 709) << "60 mm at 300 dpi";
            EXPECT_EQ(l.length, 472);
        }
    }
}

TEST(LabelPrinter, LabelSize_ComesFromWhatIsSet_ThenTheSheet_ThenTheDefault)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    printing::LabelSetup set;
    set.mediaMm = QSizeF(50.8, 25.4);
    const printing::LabelPrinter stored(QStringLiteral("A"), out, set), none(QStringLiteral("B"), out, {});
    EXPECT_EQ(stored.LabelFor(std::nullopt)->from, printing::LabelSizeFrom::Stored);
    EXPECT_EQ(stored.LabelFor(std::nullopt)->Dots(), QSize(406, 203));
    EXPECT_TRUE(stored.LabelFor(QSizeF(51, 25)).ok()) << "a sheet within a millimetre of the label is the label";
    EXPECT_EQ(none.LabelFor(QSizeF(100, 50))->from, printing::LabelSizeFrom::Sheet);
    EXPECT_EQ(none.LabelFor(std::nullopt)->from, printing::LabelSizeFrom::Default);
    EXPECT_EQ(none.LabelFor(std::nullopt)->Dots(), QSize(812, 1218)) << "4 × 6 in at 203 dpi";
}

TEST(LabelPrinter, MediaText_ReadsBothUnits_AndNamesWhatIsWrong)
{
    struct Case {
        const char* text;
        QSizeF mm; // empty: refused
    };
    const Case cases[] = {
        {"2x1in", {50.8, 25.4}},          {"4 x 6 in", {101.6, 152.4}}, {"50x25mm", {50, 25}},
        {"62.5×29mm", {62.5, 29}},        {"2x1", {}},                  {"2x1cm", {}},
        {"0.5x1mm", {}},                  {"2000x10mm", {}},            {"x1in", {}},
    };
    for (const Case& c : cases) {
        const core::Result<QSizeF> mm = printing::ParseMedia(QString::fromUtf8(c.text));
        SCOPED_TRACE(c.text);
        if (c.mm.isEmpty()) {
            ASSERT_TRUE(mm.failed());
            EXPECT_TRUE(mm.failure().text.contains(QString::fromUtf8(c.text))) << mm.failure().text.toStdString();
            continue;
        }
        ASSERT_TRUE(mm.ok()) << mm.failure().text.toStdString();
        EXPECT_NEAR(mm->width(), c.mm.width(), 1e-9);
        EXPECT_NEAR(mm->height(), c.mm.height(), 1e-9);
        EXPECT_EQ(printing::ParseMedia(printing::MediaText(*mm))->width(), mm->width()) << "written back as read";
    }
}
