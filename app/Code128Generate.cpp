#include "app/Code128Generate.h"

#include "app/Form1.h"
#include "code128engine/Code128Engine.h"
#include "platform/Gdi.h"
#include "platform/Numeric.h"

#include <QCheckBox>
#include <QLineEdit>
#include <limits>

namespace app {

code128engine::Code128Params code128Request;

std::int32_t FontSizeFromText(const QString& text)
{
    const auto v = platform::ParseNumber(text);
    if (!v)
        return 0;
    const double r = platform::RoundHalfEven(*v);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(r);
}

bool Form1::RunCode128Engine()
{
    Picture1.Cls();

    auto& r = code128Request;
    r.BackColor = platform::RGB(255, 255, 255);
    r.BarColor = platform::RGB(0, 0, 0);
    r.Alignment = 1;
    r.CaptionGap = 4;
    r.BarHeight = 40;
    r.Left = 2;
    r.Reserved3 = 1;
    r.Reserved4 = 1;
    r.TotalHeight = 0;
    r.TotalWidth = 0;
    r.Rotation = 0;
    r.AddCheckCharacter = 1;
    r.FontStyle = 0;
    r.Top = 1;
    r.CaptionPosition = 1;
    r.ModuleWidth = 1;
    r.FontSize = FontSizeFromText(Text3->text());
    r.Reserved1.clear();
    r.Caption = Check2->isChecked() ? Text1->text() : QString();
    r.Reserved2.clear();
    r.Text = Text1->text();
    r.Symbology = code128engine::kCode128Symbology;
    r.TextColor = platform::RGB(0, 0, 0);
    r.FontName = QStringLiteral("MS Sans Serif");

    std::int32_t code;
    {
        platform::PictureBoxDC dc(Picture1);
        code = code128engine::DrawCode128(r, &dc);
    }
    if (code != code128engine::kCode128Ok) {
        // The message is shown and this Generate stops; the window stays.
        code128engine::Code128ErrorMessage(code);
        return false;
    }
    return true;
}

} // namespace app
