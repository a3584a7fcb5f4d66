#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Puckdex"));
    QLabel placeholder(QStringLiteral("Puckdex"));
    placeholder.setWindowTitle(QStringLiteral("Puckdex"));
    placeholder.resize(565, 425);
    placeholder.show();
    return app.exec();
}
