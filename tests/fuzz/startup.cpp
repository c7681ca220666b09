// Start-up with arbitrary stored options, some far longer than a text box
// holds by default: every text comes back into its box unchanged, the
// conversions of the option and check values never fail, and what start-up
// writes back is what was stored.
#include "services/Settings.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <optional>

namespace {

const QString kApp = QStringLiteral("Quorvane");
const QString kSection = QStringLiteral("options");

// A value, or nothing for a key left out; now and then a long one.
std::optional<QString> Value(fuzzsupport::Reader& in)
{
    const std::uint8_t how = in.Byte();
    if (how % 4 == 0)
        return std::nullopt;
    QString v = in.Text(16);
    if (how % 4 == 3)
        v = v.repeated(1 + in.Byte() * 20); // up to some 80,000 characters
    return v;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QFile::remove(services::SettingsLocation(kApp));
    fuzzsupport::Reader in(data, size);
    for (const char* key : {"show", "type1", "type2", "type4", "type5", "type8", "type9", "check1", "check2"})
        if (const auto v = Value(in))
            static_cast<void>(services::SaveSetting(kApp, kSection, QString::fromLatin1(key), *v));

    struct Text { const char* key; const char* box; const char* def; };
    const Text texts[] = {
        {"line", "Text4", ""}, {"file", "Text5", ""}, {"text8", "Text8", "1.4"},
        {"font", "Text3", "8"}, {"barcodeoffset14", "Text14", "1"},
        {"barcodeoffset15", "Text15", "1"}, {"text9", "Text9", "500"}, {"c1opt", nullptr, ""},
    };
    QStringList expected;
    for (const Text& t : texts) {
        // What the store gives back (a lone surrogate can't be written as
        // UTF-8 and reads as U+FFFD) is what start-up must show.
        const QString key = QString::fromLatin1(t.key);
        const auto v = Value(in);
        if (v)
            static_cast<void>(services::SaveSetting(kApp, kSection, key, *v));
        expected << (v ? services::GetSetting(kApp, kSection, key) : QString::fromLatin1(t.def));
    }

    services::RecordingSink quiet; // messages are expected; never a dialog
    ui::Form1 form{testsupport::Quietly(&quiet)};
    form.Form_Load();
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const QString shown = texts[i].box ? testsupport::Line(form, texts[i].box)->text() : testsupport::Combo(form, "Combo1")->currentText();
        if (shown != expected[i])
            __builtin_trap(); // a stored text did not come back as it was
        const QString stored = services::GetSetting(kApp, kSection, QString::fromLatin1(texts[i].key), expected[i]);
        if (stored != expected[i] && texts[i].box)
            __builtin_trap(); // start-up stored back something else
    }
    int selected = 0;
    for (QRadioButton* o : {testsupport::Radio(form, "Option1"), testsupport::Radio(form, "Option2"), testsupport::Radio(form, "Option4"), testsupport::Radio(form, "Option5"), testsupport::Radio(form, "Option8"), testsupport::Radio(form, "Option9")})
        selected += o->isChecked();
    if (selected > 1)
        __builtin_trap();
    return 0;
}
