#include "app/Form1.h"

#include "symbologies/Ean.h"
#include "symbologies/UpcA.h"

#include <QCheckBox>
#include <QLineEdit>

namespace app {

void Form1::RunUpcA()
{
    Picture9.SetScaleMode(platform::ScaleMode::Twips); // the layout is in twips
    const int check = symbologies::DrawUpcA(Picture9, Text1->text(), Check2Ticked());
    Command1Tag = QString::number(check);
}

void Form1::RunEan()
{
    // Text3 holds the bar length and Text8 the font size of this symbology.
    symbologies::FitEanScale(Picture10, Text3->text(), Text8->text());
    symbologies::DrawEan(Picture10, Text3->text(), Text8->text());
}

} // namespace app
