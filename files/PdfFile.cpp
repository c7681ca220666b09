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

bool PdfFile::Create(const QString& folder, QString& error)
{
    if (QString reason; !services::MakeFolders(folder, reason)) { // by its bytes: a name that is not UTF-8 is kept
        error = QStringLiteral("cannot create the folder %1 (%2)").arg(ShownPath(folder), reason);
        return false;
    }
    RemoveAbandoned(folder);
    folder_ = folder;
    QString reason;
    if (file_.Create(folder, kTempSuffix, reason))
        return true;
    error = QStringLiteral("cannot write in %1 (%2)").arg(ShownPath(folder), reason);
    return false;
}

QString PdfFile::WriteError() const { return file_.WriteError(); }

QString PdfFile::Commit(const QString& stem, QString& error)
{
    if (!file_.IsCreated()) {
        error = QStringLiteral("the file was never created");
        return {};
    }
    if (const QString reason = file_.Flush(); !reason.isEmpty()) {
        error = QStringLiteral("cannot write in %1 (%2)").arg(ShownPath(folder_), reason);
        Discard();
        return {};
    }
    if (const QString reason = file_.Sync(); !reason.isEmpty()) {
        error = QStringLiteral("cannot write %1 (%2)").arg(ShownPath(folder_), reason);
        Discard();
        return {};
    }
    const QDir dir(folder_);
    for (int n = 1; n < kMaxNames; ++n) {
        const QString target = dir.filePath(FinalName(stem, n));
        QString reason;
        switch (file_.ClaimAs(target, reason)) {
        case AtomicFile::Naming::Named:
            return target;
        case AtomicFile::Naming::Taken:
            continue;
        case AtomicFile::Naming::Failed:
            error = QStringLiteral("cannot name the file %1 (%2)").arg(ShownPath(target), reason);
            return {};
        }
    }
    error = QStringLiteral("no free file name in %1").arg(ShownPath(folder_));
    Discard();
    return {};
}

void PdfFile::Discard() { file_.Discard(); }

void PdfFile::RemoveAbandoned(const QString& folder) { AtomicFile::RemoveAbandoned(folder, kTempSuffix); }

} // namespace files
