// The baseline of the start-up benchmark: the least a Qt Widgets program
// does to put a coloured window over the screen. With --text it also draws
// one line of text, which costs the font set-up that any window with words
// pays; the probe reports against both.
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    QPalette palette = window.palette();
    // One of the start window's palette colours, so that the probe waits for
    // the same thing in both programs.
    palette.setColor(QPalette::Window, QColor(0xFF, 0xC0, 0xC0));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    if (app.arguments().contains(QStringLiteral("--text"))) {
        auto *title = new QLabel(QStringLiteral("Ambrelia"), &window);
        QFont font(QStringLiteral("Comic Sans MS"), 72);
        font.setBold(true);
        title->setFont(font);
        title->move(20, 20);
    }
    window.show();
    return app.exec();
}
