#include "ui/MergeDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {
namespace {

// The choices of the delimiter box, the first "found from the file".
struct DelimiterChoice {
    const char* caption;
    char16_t delimiter;
};
constexpr DelimiterChoice kDelimiters[] = {
    {"Found from the file", 0}, {"Comma  ,", u','}, {"Semicolon  ;", u';'}, {"Tab", u'\t'}, {"Bar  |", u'|'},
};

struct EncodingChoice {
    const char* caption;
    files::TextEncoding encoding;
};
constexpr EncodingChoice kEncodings[] = {
    {"From its byte-order mark, else UTF-8", files::TextEncoding::Detect},
    {"UTF-8", files::TextEncoding::Utf8},
    {"UTF-16 (with a byte-order mark)", files::TextEncoding::Utf16},
    {"UTF-16 little endian", files::TextEncoding::Utf16LE},
    {"UTF-16 big endian", files::TextEncoding::Utf16BE},
    {"Windows-1252", files::TextEncoding::Cp1252},
};

bool IsSpreadsheet(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xlsx") || suffix == QLatin1String("ods");
}

} // namespace

core::Result<std::unique_ptr<files::DataSource>> OpenMergeFile(const jobs::MergeChoice& choice)
{
    // Standard input can be read only once, and a window has none to read.
    if (choice.path.trimmed() == QLatin1String("-"))
        return core::Failure{core::kCannotRead, QStringLiteral("The window merges a data file; standard input is for the "
                                                               "command line (quorvane labels --data -).")};
    return files::OpenDataSource(choice.path, choice.options);
}

MergeDialog::MergeDialog(QWidget* parent, const jobs::MergeChoice& choice) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Merge Data"));
    auto* top = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Print, Print Preview and the sheet layouts print the label once for every "
                                            "record of this file. Its fields go into the label's parts as ${field}."),
                             this);
    intro->setWordWrap(true);
    top->addWidget(intro);

    auto* form = new QFormLayout;
    Path = new QLineEdit(choice.path, this);
    Path->setPlaceholderText(QStringLiteral("A CSV or TSV file, or an .xlsx or .ods spreadsheet"));
    Browse = new QPushButton(QStringLiteral("Browse\u2026"), this);
    Browse->setAutoDefault(false);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(Path, 1);
    pathRow->addWidget(Browse);
    form->addRow(QStringLiteral("Data file:"), pathRow);

    Delimiter = new QComboBox(this);
    for (const DelimiterChoice& d : kDelimiters)
        Delimiter->addItem(QString::fromUtf8(d.caption), d.delimiter ? QString(QChar(d.delimiter)) : QString());
    Delimiter->setToolTip(QStringLiteral("The character between a text file's fields; found among , ; tab and | "
                                         "from the first lines"));
    const int delimiter = Delimiter->findData(choice.options.delimiter.isNull() ? QString() : QString(choice.options.delimiter));
    Delimiter->setCurrentIndex(std::max(delimiter, 0));
    Encoding = new QComboBox(this);
    for (const EncodingChoice& e : kEncodings)
        Encoding->addItem(QString::fromUtf8(e.caption), static_cast<int>(e.encoding));
    Encoding->setCurrentIndex(std::max(Encoding->findData(static_cast<int>(choice.options.encoding)), 0));
    Encoding->setToolTip(QStringLiteral("How a text file's bytes are read; a file not valid in it is refused with the line"));
    Sheet = new QLineEdit(choice.options.sheet, this);
    Sheet->setPlaceholderText(QStringLiteral("The first"));
    Sheet->setToolTip(QStringLiteral("A spreadsheet's sheet by its name"));
    Header = new QCheckBox(QStringLiteral("The first row names the fields"), this);
    Header->setChecked(choice.options.header);
    Header->setToolTip(QStringLiteral("Unticked: the fields are ${1}, ${2}, \u2026 by their column"));
    form->addRow(QStringLiteral("Delimiter:"), Delimiter);
    form->addRow(QStringLiteral("Encoding:"), Encoding);
    form->addRow(QStringLiteral("Sheet:"), Sheet);
    form->addRow(QString(), Header);
    top->addLayout(form);

    Summary = new QLabel(this);
    Summary->setWordWrap(true);
    Summary->setTextFormat(Qt::PlainText);
    Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(Summary);
    Records = new QTableWidget(this);
    Records->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Records->setSelectionBehavior(QAbstractItemView::SelectRows);
    Records->horizontalHeader()->setStretchLastSection(true);
    Records->setToolTip(QStringLiteral("The first records as they will be read; each row is headed by its line in the file"));
    top->addWidget(Records, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Merge"));
    connect(buttons, &QDialogButtonBox::accepted, this, &MergeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);

    connect(Browse, &QPushButton::clicked, this, [this] { BrowseClicked(); });
    connect(Path, &QLineEdit::editingFinished, this, [this] { (void)Reload(); });
    connect(Sheet, &QLineEdit::editingFinished, this, [this] { (void)Reload(); });
    connect(Delimiter, &QComboBox::currentIndexChanged, this, [this] { (void)Reload(); });
    connect(Encoding, &QComboBox::currentIndexChanged, this, [this] { (void)Reload(); });
    connect(Header, &QCheckBox::toggled, this, [this] { (void)Reload(); });
    resize(720, 520);
    (void)Reload();
}

jobs::MergeChoice MergeDialog::Chosen() const
{
    jobs::MergeChoice choice;
    choice.path = Path->text().trimmed();
    const QString delimiter = Delimiter->currentData().toString();
    if (!delimiter.isEmpty())
        choice.options.delimiter = delimiter.front();
    choice.options.encoding = static_cast<files::TextEncoding>(Encoding->currentData().toInt());
    choice.options.sheet = Sheet->text().trimmed();
    choice.options.header = Header->isChecked();
    return choice;
}

void MergeDialog::ShowWhatApplies()
{
    const bool sheet = IsSpreadsheet(Path->text());
    Delimiter->setEnabled(!sheet);
    Encoding->setEnabled(!sheet);
    Sheet->setEnabled(sheet);
}

core::Status MergeDialog::Reload()
{
    ShowWhatApplies();
    Records->clear();
    Records->setRowCount(0);
    Records->setColumnCount(0);
    const jobs::MergeChoice choice = Chosen();
    if (choice.path.isEmpty()) {
        Summary->setStyleSheet({});
        Summary->setText(QStringLiteral("Choose a data file."));
        return core::Failure{core::kCannotRead, QStringLiteral("No data file is chosen.")};
    }
    const auto fail = [this](const core::Failure& why) {
        Summary->setStyleSheet(QStringLiteral("color: #b00020;"));
        Summary->setText(why.text);
        return core::Status(why);
    };
    core::Result<std::unique_ptr<files::DataSource>> source = OpenMergeFile(choice);
    if (source.failed())
        return fail(source.failure());
    const QStringList& fields = (*source)->FieldNames();
    Records->setColumnCount(static_cast<int>(fields.size()));
    Records->setHorizontalHeaderLabels(fields);
    QStringList lines;
    core::Status status;
    bool more = false;
    for (int row = 0;; ++row) {
        const core::Result<const files::DataRecord*> next = (*source)->Next();
        if (next.failed()) {
            status = next.failure();
            break;
        }
        if (!*next)
            break;
        if (row == kRecordsShown) {
            more = true;
            break;
        }
        const files::DataRecord& record = **next;
        Records->insertRow(row);
        lines << QString::number(record.line);
        for (int column = 0; column < Records->columnCount() && column < record.values.size(); ++column)
            Records->setItem(row, column, new QTableWidgetItem(record.values[column]));
    }
    Records->setVerticalHeaderLabels(lines);
    Records->resizeColumnsToContents();
    if (status.failed())
        return fail(status.failure());
    Summary->setStyleSheet({});
    const QString records = Records->rowCount() == 0 ? QStringLiteral("no records")
                            : more ? QStringLiteral("its first %1 records").arg(Records->rowCount())
                                   : QStringLiteral("%1 record%2").arg(Records->rowCount()).arg(Records->rowCount() == 1 ? "" : "s");
    QStringList named;
    for (const QString& field : fields)
        named << QStringLiteral("${%1}").arg(field);
    Summary->setText(QStringLiteral("%1: %2 field%3 (%4), %5.")
                         .arg((*source)->Name())
                         .arg(fields.size())
                         .arg(fields.size() == 1 ? "" : "s")
                         .arg(named.join(QStringLiteral(", ")), records));
    return core::Ok();
}

void MergeDialog::accept()
{
    if (Reload().ok())
        QDialog::accept();
}

void MergeDialog::BrowseClicked()
{
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Merge Data"), QFileInfo(Path->text()).absolutePath(),
        QStringLiteral("Data files (*.csv *.tsv *.tab *.txt *.xlsx *.ods);;All files (*)"));
    if (path.isEmpty())
        return;
    Path->setText(path);
    (void)Reload();
}

} // namespace ui
