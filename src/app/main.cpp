#include "platform/DesktopPlatform.h"
#include "startup/Forms.h"
#include "startup/frmMain.h"
#include "widgets/Decoration.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexaro Tuvano!"));
    QApplication::setWindowIcon(tuvano::widgets::programIcon());

    tuvano::platform::DesktopPlatform platform;
    tuvano::startup::Forms forms(platform);
    if (!forms.loadMain())
        return 0;
    forms.main().show();
    return QApplication::exec();
}
