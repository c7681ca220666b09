#include "files/PdfFile.h"

#include "services/LocalPath.h"

#include <QDir>

namespace files {
namespace {

const QString kTempSuffix = QStringLiteral(".pdf.part");
constexpr int kMaxNames = 100000;

QString FinalName(const QString& stem, int n)
{
    return n == 1 ? stem + QStringLiteral(".pdf") : QStringLiteral("%1-%2.pdf").arg(stem).arg(n);
}

} // namespace

PdfFile::~PdfFile() { Discard(); }

core::Status PdfFile::Create(const QString& folder)
{
    const auto cannot = [&folder](const QString& what, const core::Failure& why) {
        return core::Failure{core::kCannotWrite, what.arg(ShownPath(folder), why.text)};
    };
    // By its bytes: a name that is not UTF-8 is kept.
    if (const core::Status made = services::MakeFolders(folder); made.failed())
        return cannot(QStringLiteral("cannot create the folder %1 (%2)"), made.failure());
    RemoveAbandoned(folder);
    folder_ = folder;
    if (const core::Status created = file_.Create(folder, kTempSuffix); created.failed())
        return cannot(QStringLiteral("cannot write in %1 (%2)"), created.failure());
    return core::Ok();
}

core::Status PdfFile::Written() const
{
    const core::Status written = file_.Written();
    if (written.ok())
        return written;
    return core::Failure{core::kCannotWrite,
                         QStringLiteral("cannot write in %1 (%2)").arg(ShownPath(folder_), written.failure().text)};
}

core::Result<QString> PdfFile::Commit(const QString& stem)
{
    if (!file_.IsCreated())
        return core::Failure{core::kCannotWrite, QStringLiteral("the file was never created")};
    if (const core::Status whole = file_.Complete(); whole.failed()) {
        Discard();
        return core::Failure{core::kCannotWrite,
                             QStringLiteral("cannot write in %1 (%2)").arg(ShownPath(folder_), whole.failure().text)};
    }
    const QDir dir(folder_);
    for (int n = 1; n < kMaxNames; ++n) {
        const QString target = dir.filePath(FinalName(stem, n));
        const core::Result<AtomicFile::Naming> naming = file_.ClaimAs(target);
        if (naming.failed())
            return core::Failure{core::kCannotWrite, QStringLiteral("cannot name the file %1 (%2)")
                                                         .arg(ShownPath(target), naming.failure().text)};
        if (*naming == AtomicFile::Naming::Named)
            return target;
    }
    Discard();
    return core::Failure{core::kCannotWrite, QStringLiteral("no free file name in %1").arg(ShownPath(folder_))};
}

void PdfFile::Discard() { file_.Discard(); }

void PdfFile::RemoveAbandoned(const QString& folder) { AtomicFile::RemoveAbandoned(folder, kTempSuffix); }

} // namespace files
