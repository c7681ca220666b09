// The manual page and the bash completion, as the build makes them, list
// the --type names of the symbology table: every row's name, in the
// table's order, and nothing else.
#include "symbols/SymbologyTable.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString DistFile(const char* name) { return QStringLiteral(QUORVANE_DIST_DIR "/") + QLatin1String(name); }

QStringList TableNames()
{
    QStringList names;
    for (const symbols::SymbologyRow& row : symbols::Symbologies())
        names << QLatin1String(row.name);
    return names;
}

// What the completion offers for `quorvane export --type ` and the word
// typed so far, as bash runs it.
QStringList Offered(const QString& typed)
{
    QProcess bash;
    bash.start(QStringLiteral("bash"),
               {QStringLiteral("-c"),
                QStringLiteral("source \"$1\"; COMP_WORDS=(quorvane export --type \"$2\"); COMP_CWORD=3; _quorvane; "
                               "printf '%s\\n' \"${COMPREPLY[@]}\""),
                QStringLiteral("bash"), DistFile("quorvane.bash-completion"), typed});
    EXPECT_TRUE(bash.waitForFinished(30000));
    EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
    return QString::fromUtf8(bash.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The names the manual page's paragraph on --type sets in bold.
QStringList ManualNames()
{
    QFile page(DistFile("quorvane.1"));
    EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
    const QString text = QString::fromUtf8(page.readAll());
    const qsizetype from = text.indexOf(QLatin1String(".BI \\-\\-type"));
    const qsizetype to = text.indexOf(QLatin1String("\n.TP"), from);
    EXPECT_GE(from, 0);
    static const QRegularExpression bold(QStringLiteral("^\\.BR? (\\S+)"), QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = bold.globalMatch(text.mid(from, to - from)); it.hasNext();)
        names << it.next().captured(1).replace(QLatin1String("\\-"), QLatin1String("-"));
    return names;
}

} // namespace

TEST(TypeNamesListed, TheCompletionOffersEveryRowsName_InTheTablesOrder)
{
    const QStringList offered = Offered(QString());
    for (const symbols::SymbologyRow& row : symbols::Symbologies())
        EXPECT_TRUE(offered.contains(QLatin1String(row.name))) << row.name << " is not offered after --type";
    EXPECT_EQ(offered, TableNames());
}

TEST(TypeNamesListed, TheManualPageNamesEveryRowsName_InTheTablesOrder)
{
    const QStringList listed = ManualNames();
    for (const symbols::SymbologyRow& row : symbols::Symbologies())
        EXPECT_TRUE(listed.contains(QLatin1String(row.name))) << row.name << " is not in the manual page";
    EXPECT_EQ(listed, TableNames());
}
