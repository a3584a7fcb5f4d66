// The floor of the start-up benchmark: a Qt Widgets program that shows one
// empty window of the given size and ends once it has been painted, as
// Puckdex does under PUCKDEX_QUIT_AFTER_PAINT. Given a text, the window shows
// it in a label, so the program also loads the fonts, as any window with
// text must.
//
//   puckdex-bare-window WIDTH HEIGHT [TEXT]

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class QuitAfterPaint : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool wideOk = false;
    bool highOk = false;
    const int width = args.value(1).toInt(&wideOk);
    const int height = args.value(2).toInt(&highOk);
    if (args.size() < 3 || args.size() > 4 || !wideOk || !highOk || width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: puckdex-bare-window WIDTH HEIGHT [TEXT]\n");
        return 2;
    }
    QuitAfterPaint window;
    window.resize(width, height);
    if (args.size() == 4)
        (new QLabel(args.at(3), &window))->move(8, 8);
    window.show();
    return app.exec();
}
