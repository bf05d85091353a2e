#include "Modulo1.h"

#include "platform/App.h"
#include "platform/FontPreload.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

int main(int argc, char *argv[])
{
    platform::FontPreload::start();
    QApplication app(argc, argv);
    platform::FontPreload::applicationReady();
    platform::App::setUpVersionRecord();
    platform::App::setUpLocale();

    Modulo1::Main();

    // A refused second copy opened no window: there is nothing to run.
    const QWidgetList finestre = QApplication::topLevelWidgets();
    const bool aperta = std::any_of(finestre.cbegin(), finestre.cend(),
                                    [](const QWidget *w) { return w->isVisible(); });
    int esito = 0;
    if (aperta)
        esito = app.exec();

    Modulo1::Termina();
    platform::FontPreload::finish();
    return esito;
}
