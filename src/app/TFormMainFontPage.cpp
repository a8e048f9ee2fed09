#include "app/TFormMainFontPage.h"

#include "app/FormKit.h"
#include "app/RadioGroup.h"
#include "app/TFormMain.h"

using m350ui::NewGroup;

FontManagerPage::FontManagerPage(TFormMain& main, QWidget* sheet) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("FontManagerPage"));
    GroupBoxFontSelect = NewGroup(sheet, "GroupBoxFontSelect", "Font Select", 4, 2, 350, 460);
    GroupBoxSatndEncode =
        NewGroup(sheet, "GroupBoxSatndEncode", "Standard Encode", 360, 2, 349, 140);
    RadioGroupAsiaFontEncode = new m350ui::RadioGroup(
        sheet, "RadioGroupAsiaFontEncode", "Asian Font Encode", 360, 146, 349, 80,
        {"Traditional Chinese", "Simplified Chinese", "Korean", "Japanese"}, 2);
    RadioGroupAsiaFontEncode->setItemIndex(0);
    GroupBoxEncodeTable =
        NewGroup(sheet, "GroupBoxEncodeTable", "Encode by Table", 360, 230, 349, 232);
    ButtonSaveFont = m350ui::NewButton(sheet, "ButtonSaveFont", "Save Font", 4, 472, 100);
    ButtonDowloadFont =
        m350ui::NewButton(sheet, "ButtonDowloadFont", "Download Font", 112, 472, 100);
}

void FontManagerPage::Initialise() {}
