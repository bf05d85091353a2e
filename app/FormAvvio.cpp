#include "FormAvvio.h"

#include "Form1.h"
#include "IconeProgramma.h"
#include "Modulo1.h"
#include "ModuloColoriSuoni.h"
#include "clsResize.h"

#include "platform/CommandButton.h"
#include "platform/Label.h"
#include "platform/Screen.h"

FormAvvio::FormAvvio(QWidget *parent)
    : platform::Form(parent)
{
    setObjectName(QStringLiteral("FormAvvio"));
    setCaption(QString());
    // Cyan as laid out; Form_Load always paints over it with a palette colour.
    setBackColor(0xFFFF00);
    setWindowIcon(IconeProgramma::IconaFinestra(QStringLiteral("orsetto")));
    QFont carattere(QStringLiteral("MS Sans Serif"));
    carattere.setPointSizeF(8.25);
    carattere.setBold(true);
    clientArea()->setFont(carattere);

    BottoneAvvio = new platform::CommandButton(this, QStringLiteral("BottoneAvvio"));
    BottoneAvvio->move(2640, 4680, 4110, 1275);
    BottoneAvvio->setTabIndex(1);
    BottoneAvvio->setCaption(QStringLiteral("Avvio"));
    BottoneAvvio->setFont(QStringLiteral("Comic Sans MS"), 18);
    BottoneAvvio->setPicture(IconeProgramma::Icona(QStringLiteral("orsetto")));
    const QPoint naso = IconeProgramma::PuntoCaldo(QStringLiteral("orsetto"));
    BottoneAvvio->setMouseIcon(IconeProgramma::Cursore(QStringLiteral("orsetto")), naso.x(), naso.y());

    Label1 = new platform::Label(this, QStringLiteral("Label1"));
    Label1->move(0, 5040, 2535, 615);
    Label1->setTabIndex(2);
    // A fixed date: it does not follow the clock.
    Label1->setCaption(QStringLiteral("07 dicembre 2003"));
    Label1->setFont(QStringLiteral("Comic Sans MS"), 12);
    Label1->setAlignment(platform::Label::Center);

    Label2[0] = new platform::Label(this, QStringLiteral("Label2"), 0);
    Label2[0]->move(240, 360, 8055, 3975);
    Label2[0]->setTabIndex(0);
    Label2[0]->setCaption(QStringLiteral("Ambrelia"));
    Label2[0]->setFont(QStringLiteral("Comic Sans MS"), 72);
    Label2[0]->setAlignment(platform::Label::Center);

    connect(BottoneAvvio, &platform::Control::Click, this, &FormAvvio::BottoneAvvio_Click);

    setClientSize(8745, 6480);
}

void FormAvvio::Form_Load()
{
    Modulo1::objResize = std::make_unique<clsResize>();
    Modulo1::objResize->setSourceForm(this);
    Modulo1::objResize->SizeFormToScreen(75);
    setBackColor(static_cast<quint32>(ModuloColoriSuoni::ColoreCasuale()));
}

void FormAvvio::Form_Resize()
{
    if (Modulo1::objResize)
        Modulo1::objResize->ResizeControls();
}

void FormAvvio::Form_Activate()
{
    setTop(0);
    setLeft(0);
    setHeight(platform::Screen::Height());
    setWidth(platform::Screen::Width());
}

void FormAvvio::BottoneAvvio_Click()
{
    Modulo1::Form1().Show();
    Unload();
}
