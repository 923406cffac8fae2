// The yardstick of the start-up measurement: the smallest Qt Widgets program that shows one window.
// Whatever a window of tanafuda takes beyond this is the program's own cost.

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Hello, world"));
    label.show();
    return QApplication::exec();
}
