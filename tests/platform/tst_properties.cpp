#include "CommandButton.h"
#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "Line.h"
#include "MenuEntry.h"
#include "MovieControl.h"
#include "PictureBox.h"
#include "ToolkitError.h"
#include "Twips.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>
#include <QtTest>

using namespace platform;

namespace {
// The error number that reading or writing `property` raises; 0 for none.
int readError(Control *control, const QString &property)
{
    try {
        control->propertyByName(property);
    } catch (const ToolkitError &error) {
        return error.number();
    }
    return 0;
}

int writeError(Control *control, const QString &property, const QVariant &value)
{
    try {
        control->setPropertyByName(property, value);
    } catch (const ToolkitError &error) {
        return error.number();
    }
    return 0;
}

// A label that refuses its width, the way the scaler's tests use one.
class StubbornLabel : public Label
{
public:
    using Label::Label;
    void setPropertyByName(const QString &property, const QVariant &value) override
    {
        if (property == QLatin1String("Width"))
            throw ToolkitError(err::PropertyReadOnly, QStringLiteral("read-only"));
        Label::setPropertyByName(property, value);
    }
};
} // namespace

class TestProperties : public QObject
{
    Q_OBJECT
private:
    Form *m_form = nullptr;
    QHash<QString, Control *> m_controls;

private slots:
    void initTestCase()
    {
        Twips::overrideDpi(96);
        m_form = new Form;
        m_form->setClientSize(9825, 6555);
        auto *box = new PictureBox(m_form, QStringLiteral("Panel"));
        m_controls.insert("Label", new Label(m_form, QStringLiteral("LabelEst"), -1, box));
        m_controls.insert("Image", new Image(m_form, QStringLiteral("Image1"), 3));
        m_controls.insert("CommandButton", new CommandButton(m_form, QStringLiteral("BottoneConferma")));
        m_controls.insert("PictureBox", box);
        m_controls.insert("Line", new Line(m_form, QStringLiteral("Line1")));
        m_controls.insert("Menu", new MenuEntry(m_form, QStringLiteral("mnuEsci"), QStringLiteral("Esci")));
        m_controls.insert("Movie", new MovieControl(m_form, QStringLiteral("ShockwaveFlash1")));
    }
    void cleanupTestCase()
    {
        delete m_form;
        Twips::overrideDpi(0);
    }

    void readErrors_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("error");
        const QStringList positioned{"Label", "Image", "CommandButton", "PictureBox", "Movie"};
        for (const QString &kind : positioned) {
            for (const char *property : {"Left", "Top", "Width", "Height", "Tag", "Visible", "Enabled", "Name"})
                QTest::addRow("%s %s", qPrintable(kind), property) << kind << property << 0;
            for (const char *property : {"X1", "Y1", "X2", "Y2", "Colore"})
                QTest::addRow("%s %s", qPrintable(kind), property) << kind << property << 438;
        }
        for (const QString &kind : {QStringLiteral("Line"), QStringLiteral("Menu")}) {
            for (const char *property : {"Left", "Top", "Width", "Height"})
                QTest::addRow("%s %s", qPrintable(kind), property) << kind << property << 438;
            QTest::addRow("%s Tag", qPrintable(kind)) << kind << "Tag" << 0;
        }
        for (const char *property : {"X1", "Y1", "X2", "Y2"})
            QTest::addRow("Line %s", property) << "Line" << property << 0;
        QTest::newRow("Menu X1") << "Menu" << "X1" << 438;
        QTest::newRow("Image Picture") << "Image" << "Picture" << 0;
        QTest::newRow("CommandButton Picture") << "CommandButton" << "Picture" << 0;
        QTest::newRow("Label Picture") << "Label" << "Picture" << 438;
        QTest::newRow("Line Picture") << "Line" << "Picture" << 438;
        QTest::newRow("Label Caption") << "Label" << "Caption" << 0;
        QTest::newRow("CommandButton Caption") << "CommandButton" << "Caption" << 0;
        QTest::newRow("Menu Caption") << "Menu" << "Caption" << 0;
        QTest::newRow("Image Caption") << "Image" << "Caption" << 438;
        QTest::newRow("lower-case name") << "Label" << "left" << 0;
    }
    void readErrors()
    {
        QFETCH(QString, kind);
        QFETCH(QString, property);
        QFETCH(int, error);
        QCOMPARE(readError(m_controls.value(kind), property), error);
    }

    void writeErrors_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("error");
        QTest::newRow("Label Width number") << "Label" << "Width" << QVariant(975.0) << 0;
        QTest::newRow("Label Width text number") << "Label" << "Width" << QVariant("975") << 0;
        QTest::newRow("Label Width text") << "Label" << "Width" << QVariant("largo") << 380;
        QTest::newRow("Label Width negative") << "Label" << "Width" << QVariant(-1.0) << 380;
        QTest::newRow("Label Left negative") << "Label" << "Left" << QVariant(-100.0) << 0;
        QTest::newRow("Image Height picture") << "Image" << "Height"
                                              << QVariant::fromValue(Picture()) << 380;
        QTest::newRow("Image Top empty") << "Image" << "Top" << QVariant() << 380;
        QTest::newRow("Menu Left") << "Menu" << "Left" << QVariant(10.0) << 438;
        QTest::newRow("Line Width") << "Line" << "Width" << QVariant(10.0) << 438;
        QTest::newRow("Line X2") << "Line" << "X2" << QVariant(300.0) << 0;
        QTest::newRow("Line X2 text") << "Line" << "X2" << QVariant("lontano") << 380;
        QTest::newRow("Image X1") << "Image" << "X1" << QVariant(1.0) << 438;
        QTest::newRow("Image Picture text") << "Image" << "Picture" << QVariant("foto.gif") << 380;
        QTest::newRow("Label Picture") << "Label" << "Picture" << QVariant::fromValue(Picture()) << 438;
        QTest::newRow("Menu Tag") << "Menu" << "Tag" << QVariant("@") << 0;
        QTest::newRow("Index read-only") << "Image" << "Index" << QVariant(2) << 383;
        QTest::newRow("unknown") << "CommandButton" << "Colore" << QVariant(1) << 438;
    }
    void writeErrors()
    {
        QFETCH(QString, kind);
        QFETCH(QString, property);
        QFETCH(QVariant, value);
        QFETCH(int, error);
        QCOMPARE(writeError(m_controls.value(kind), property, value), error);
    }

    void geometryIsKeptAsSetAndPlacedRounded()
    {
        auto *label = static_cast<Label *>(m_controls.value("Label"));
        label->setPropertyByName("Left", 1080.4);
        label->setPropertyByName("Top", 367.5);
        label->setPropertyByName("Width", 977.25);
        label->setPropertyByName("Height", 0.1);
        // Single precision, as set.
        QCOMPARE(label->propertyByName("Left").toDouble(), double(float(1080.4)));
        QCOMPARE(label->Top(), 367.5);
        QCOMPARE(label->Width(), 977.25);
        QCOMPARE(label->Height(), double(0.1f));
        // 15 twips a pixel: 72.03 -> 72, 24.5 -> 25, 65.15 -> 65, 0.007 -> 0.
        QCOMPARE(label->widget()->geometry(), QRect(72, 25, 65, 0));
    }

    void lineEnds()
    {
        auto *line = static_cast<Line *>(m_controls.value("Line"));
        line->setEnds(1500, 300, 150, 600);
        QCOMPARE(line->propertyByName("X1").toDouble(), 1500.0);
        QCOMPARE(line->propertyByName("Y2").toDouble(), 600.0);
        line->setPropertyByName("Y1", 3000.5);
        QCOMPARE(line->Y1(), 3000.5);
        // The widget covers the segment's box.
        QCOMPARE(line->widget()->geometry(), QRect(10, 40, 91, 161));
        QVERIFY(line->isLine());
        QVERIFY(!m_controls.value("Label")->isLine());
    }

    void commonProperties()
    {
        Control *image = m_controls.value("Image");
        image->setPropertyByName("Tag", 3);
        QCOMPARE(image->Tag(), QStringLiteral("3"));
        QCOMPARE(image->propertyByName("Index").toInt(), 3);
        QCOMPARE(image->propertyByName("Name").toString(), QStringLiteral("Image1"));
        image->setPropertyByName("Visible", false);
        QVERIFY(!image->Visible());
        QVERIFY(image->widget()->isHidden());
        image->setPropertyByName("Visible", true);
        QVERIFY(image->Visible());

        auto *menu = static_cast<MenuEntry *>(m_controls.value("Menu"));
        menu->setPropertyByName("Enabled", false);
        QVERIFY(!menu->action()->isEnabled());
        QVERIFY(!menu->Enabled());
        menu->setEnabled(true);
        QCOMPARE(menu->propertyByName("Caption").toString(), QStringLiteral("Esci"));
        QSignalSpy clicks(menu, &Control::Click);
        menu->action()->trigger();
        QCOMPARE(clicks.count(), 1);
    }

    void picturesAreSharedNotCopied()
    {
        auto *image = static_cast<Image *>(m_controls.value("Image"));
        QImage pixels(8, 8, QImage::Format_RGB32);
        pixels.fill(Qt::red);
        const Picture picture(pixels);
        image->setPropertyByName("Picture", QVariant::fromValue(picture));
        const Picture back = image->propertyByName("Picture").value<Picture>();
        QVERIFY(back == picture);
        QCOMPARE(back.image().constBits(), picture.image().constBits());
        auto *button = static_cast<CommandButton *>(m_controls.value("CommandButton"));
        button->setPropertyByName("Picture", image->propertyByName("Picture"));
        QVERIFY(button->propertyByName("Picture").value<Picture>() == picture);
        QVERIFY(!static_cast<QToolButton *>(button->widget())->icon().isNull());
        image->setPropertyByName("Picture", QVariant());
        QVERIFY(image->picture().isNull());
    }

    void fontsAreBold()
    {
        Control *label = m_controls.value("Label");
        label->setFont(QStringLiteral("Arial"), 20.25);
        QVERIFY(label->widget()->font().bold());
        QCOMPARE(label->widget()->font().pointSizeF(), 20.25);
        QCOMPARE(label->widget()->font().family(), QStringLiteral("Arial"));
    }

    void labelLook()
    {
        auto *label = static_cast<Label *>(m_controls.value("Label"));
        label->setCaption(QStringLiteral("Esatti"));
        label->setAlignment(Label::RightJustify);
        auto *view = static_cast<QLabel *>(label->widget());
        QCOMPARE(view->text(), QStringLiteral("Esatti"));
        QVERIFY(view->alignment() & Qt::AlignRight);
        QVERIFY(!view->autoFillBackground());
        QVERIFY(!view->wordWrap());
        // Inside the panel, placed from the panel's interior.
        QCOMPARE(view->parentWidget(), static_cast<PictureBox *>(m_controls.value("PictureBox"))->interior());
    }

    void commandButtonLook()
    {
        auto *button = static_cast<CommandButton *>(m_controls.value("CommandButton"));
        button->move(5520, 5400, 1905, 990);
        button->setCaption(QStringLiteral("Conferma"));
        auto *view = static_cast<QToolButton *>(button->widget());
        QCOMPARE(view->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(view->text(), QStringLiteral("Conferma"));
        QCOMPARE(view->iconSize().height(), int(66 * 0.45));
        button->move(5520, 5400, 1905 * 2, 990 * 2);
        QCOMPARE(view->iconSize().height(), int(132 * 0.45));
        button->setFont(QStringLiteral("Arial"), 14.25);
        QVERIFY(view->font().bold());
        QSignalSpy clicks(button, &Control::Click);
        view->click();
        QCOMPARE(clicks.count(), 1);
        button->setEnabled(false);
        view->click();
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!button->Enabled());
        button->setEnabled(true);
    }

    void imageDrawing()
    {
        Form form;
        form.setClientSize(9825, 6555);
        form.setBackColor(0x0080FF);
        auto *image = new Image(&form, QStringLiteral("Image1"), 0);
        image->move(120, 3000, 1815, 1815);   // 121 x 121 pixels
        image->setBorderStyle(1);
        // Empty, the slot shows its border over the window's colour.
        QImage shot = form.clientArea()->grab(image->widget()->geometry()).toImage();
        QVERIFY(qGray(shot.pixel(0, 60)) < 100);
        QCOMPARE(QColor(shot.pixel(60, 60)), QColor(255, 128, 0));

        QImage pixels(20, 10, QImage::Format_RGB32);
        pixels.fill(Qt::green);
        image->setPicture(Picture(pixels));
        image->setStretch(false);
        shot = form.clientArea()->grab(image->widget()->geometry()).toImage();
        QCOMPARE(QColor(shot.pixel(10, 5)), QColor(Qt::green));
        QCOMPARE(QColor(shot.pixel(60, 60)), QColor(255, 128, 0));
        image->setStretch(true);
        shot = form.clientArea()->grab(image->widget()->geometry()).toImage();
        QCOMPARE(QColor(shot.pixel(100, 100)), QColor(Qt::green));
        QVERIFY(qGray(shot.pixel(120, 60)) < 100);
    }

    void mouseIcon()
    {
        Control *image = m_controls.value("Image");
        QPixmap aeroplane(32, 32);
        aeroplane.fill(Qt::red);
        image->setMouseIcon(aeroplane, 3, 4);
        QCOMPARE(image->widget()->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(image->widget()->cursor().hotSpot(), QPoint(3, 4));
    }

    void subclassesCanRefuse()
    {
        Form form;
        StubbornLabel label(&form, QStringLiteral("Stubborn"));
        Control *asControl = &label;
        QCOMPARE(writeError(asControl, "Width", 100.0), 383);
        QCOMPARE(writeError(asControl, "Height", 100.0), 0);
        QCOMPARE(label.Height(), 100.0);
    }
};

QTEST_MAIN(TestProperties)
#include "tst_properties.moc"
