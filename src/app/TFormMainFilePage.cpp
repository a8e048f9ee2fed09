#include "app/TFormMainFilePage.h"

#include "app/FormKit.h"
#include "app/TFormMain.h"

using m350ui::NewGroup;

FileManagerPage::FileManagerPage(TFormMain& main, QWidget* sheet) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("FileManagerPage"));
    GroupBoxFileDownload = NewGroup(sheet, "GroupBoxFileDownload", "File Download", 4, 2, 705, 170);
    GroupBoxFileInfo = NewGroup(sheet, "GroupBoxFileInfo", "File Information", 4, 176, 350, 328);
    GroupBoxFileFormat = NewGroup(sheet, "GroupBoxFileFormat", "File Format", 360, 176, 349, 328);
}
