// The least a Qt Widgets program does to put a window on the screen: one
// label. The program's start-up time and memory are set beside this one's.
// It stays up like the program does; scripts/bench ends both the same way,
// right after the first paint (FirstPaint.cpp).
#include <QApplication>
#include <QLabel>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(u"Lexaro Tuvano!"_s);
    label.show();
    return QApplication::exec();
}
