#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnik"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnik"));
    QMainWindow window;
    window.resize(420, 800);
    window.show();
    return QApplication::exec();
}
