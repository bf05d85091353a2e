#include "Form.h"
#include "Label.h"
#include "MenuEntry.h"
#include "MessageBox.h"
#include "Screen.h"
#include "ToolkitError.h"
#include "Twips.h"

#include <QAbstractButton>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

using namespace platform;

namespace {
// A window that writes down its events in the order they come.
class RecordingForm : public Form
{
public:
    QStringList events;
    QList<QSizeF> resizeSizes;
    std::function<void()> onLoad;
    std::function<void()> onActivate;

protected:
    void Form_Load() override
    {
        events << QStringLiteral("Load");
        if (onLoad)
            onLoad();
    }
    void Form_Resize() override
    {
        events << QStringLiteral("Resize");
        resizeSizes << QSizeF(ScaleWidth(), ScaleHeight());
    }
    void Form_Activate() override
    {
        events << QStringLiteral("Activate");
        if (onActivate)
            onActivate();
    }
};
} // namespace

class TestForm : public QObject
{
    Q_OBJECT
private slots:
    void init() { Twips::overrideDpi(96); }
    void cleanup() { Twips::overrideDpi(0); }

    void loadComesFirstAndOnce()
    {
        RecordingForm form;
        form.setClientSize(9825, 6555);
        QVERIFY(form.events.isEmpty());
        form.Show();
        QCOMPARE(form.events, (QStringList{"Load", "Resize", "Activate"}));
        QVERIFY(form.isVisible());
        QCOMPARE(form.resizeSizes.first(), QSizeF(9825, 6555));
        form.Show();
        QCOMPARE(form.events.count("Load"), 1);
        QCOMPARE(form.events.count("Activate"), 1);
    }

    void boxOfTheFirstActivationStandsOverItsWindow()
    {
        // The handler covers the screen, then has something to say: the
        // window is out, at the size the handler gave it, before the box.
        RecordingForm form;
        form.setClientSize(3000, 2000);
        bool visibleAtBox = false;
        QSize sizeAtBox;
        MessageBox::setResponder([&](const MessageBox::Shown &) {
            visibleAtBox = form.isVisible();
            sizeAtBox = form.clientArea()->size();
            return 1;
        });
        form.onActivate = [&form] {
            form.setTop(0);
            form.setLeft(0);
            form.setWidth(Screen::Width());
            form.setHeight(Screen::Height());
            MessageBox::MsgBox(QStringLiteral("nessun esercizio"), 64, QString());
        };
        form.Show();
        MessageBox::setResponder({});
        QVERIFY(visibleAtBox);
        QCOMPARE(sizeAtBox, QGuiApplication::primaryScreen()->size());
        QCOMPARE(form.events.count("Activate"), 1);
        QVERIFY(form.isVisible());
        // A box from a window already out changes nothing.
        MessageBox::setNextAnswer(1);
        QCOMPARE(MessageBox::MsgBox(QStringLiteral("ancora"), 64, QString()), 1);
        QCOMPARE(form.events.count("Activate"), 1);
    }

    void sizeSetInLoadResizesBeforeShowing()
    {
        RecordingForm form;
        form.setClientSize(3000, 2000);
        form.onLoad = [&form] {
            form.setHeight(4500);
            form.setWidth(6000);
        };
        form.Show();
        // Load first, then a Resize for each change of the client size, then
        // Activate as the window goes on the screen (the window's frame,
        // known once it is shown, may bring one more Resize after it).
        QCOMPARE(form.events.first(), QStringLiteral("Load"));
        QVERIFY(form.events.indexOf("Activate") >= 3);
        QVERIFY(form.events.count("Resize") >= 2);
        QCOMPARE(form.events.count("Activate"), 1);
        QCOMPARE(form.resizeSizes.last(), QSizeF(form.ScaleWidth(), form.ScaleHeight()));
        for (qsizetype i = 1; i < form.resizeSizes.size(); ++i)
            QVERIFY(form.resizeSizes.at(i) != form.resizeSizes.at(i - 1));
        QCOMPARE(form.Width(), 6000.0);
        QCOMPARE(form.Height(), 4500.0);
    }

    void resizeOncePerSizeAndNotForMoves()
    {
        RecordingForm form;
        form.setClientSize(3000, 2000);
        form.Show();
        form.events.clear();

        form.setWidth(4500);
        QCOMPARE(form.events, QStringList{"Resize"});
        form.setWidth(4500);
        form.setLeft(300);
        form.setTop(150);
        QCoreApplication::processEvents();
        QCOMPARE(form.events, QStringList{"Resize"});
        const int frame = form.frameGeometry().width() - form.clientArea()->width();
        QCOMPARE(form.ScaleWidth(), 4500.0 - frame * 15.0);

        // A change from outside the program (the user, the window manager).
        form.resize(form.width(), form.height() + 40);
        QTRY_COMPARE(form.events.size(), 2);
        QCOMPARE(form.resizeSizes.last().height(), form.clientArea()->height() * 15.0);
        QTest::qWait(50);
        QCOMPARE(form.events.size(), 2);
    }

    void restoredWindowIsLaidOutAgain()
    {
        RecordingForm form;
        form.setClientSize(3000, 2000);
        form.Show();
        form.setWindowState(Form::vbMinimized);
        QTRY_COMPARE(form.WindowState(), 1);
        // The scaler ignores whatever Resize comes while minimised, so the
        // restored window must get one with its size as it stands then.
        form.setWidth(6000);
        const qsizetype beforeRestore = form.events.size();
        form.setWindowState(Form::vbNormal);
        QTRY_COMPARE(form.WindowState(), 0);
        QTRY_VERIFY(form.events.size() > beforeRestore);
        QCOMPARE(form.events.last(), QStringLiteral("Resize"));
        QCOMPARE(form.resizeSizes.last(), QSizeF(form.ScaleWidth(), form.ScaleHeight()));
    }

    void activateNotAfterMessageBox()
    {
        RecordingForm form;
        form.setClientSize(3000, 2000);
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QTRY_VERIFY(form.isActiveWindow());
        QCOMPARE(form.events.count("Activate"), 1);

        // A real box, answered by a timer as a person would.
        QTimer::singleShot(200, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        const int result = MessageBox::MsgBox(QStringLiteral("Informazioni"), 64, QStringLiteral("L'Ambrelia"));
        QCOMPARE(result, MessageBox::ResultOk);
        form.activateWindow();
        QTRY_VERIFY(form.isActiveWindow());
        QTest::qWait(50);
        QCOMPARE(form.events.count("Activate"), 1);

        // Another application taking the focus and giving it back: here a
        // window that is not one of the program's Forms.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        form.activateWindow();
        QTRY_VERIFY(form.isActiveWindow());
        QTest::qWait(50);
        QCOMPARE(form.events.count("Activate"), 1);
    }

    void activateWhenComingFromAnotherForm()
    {
        RecordingForm first;
        RecordingForm second;
        first.setClientSize(3000, 2000);
        second.setClientSize(3000, 2000);
        first.Show();
        second.Show();
        QCOMPARE(second.events.count("Activate"), 1);
        second.activateWindow();
        QTRY_VERIFY(second.isActiveWindow());
        first.activateWindow();
        QTRY_VERIFY(first.isActiveWindow());
        QTRY_COMPARE(first.events.count("Activate"), 2);
        QCOMPARE(second.events.count("Activate"), 1);
    }

    void outerGeometryReadsBackAsSet()
    {
        RecordingForm form;
        form.setClientSize(3000, 2000);
        form.setTop(121.5);
        form.setLeft(90);
        form.setHeight(540);
        form.setWidth(727);
        QCOMPARE(form.Top(), 121.5);
        QCOMPARE(form.Left(), 90.0);
        QCOMPARE(form.Width(), 727.0);
        QCOMPARE(form.Height(), 540.0);
        // Moved from outside: the real place wins again.
        form.move(form.frameGeometry().x() + 20, form.frameGeometry().y());
        QCOMPARE(form.Left(), (form.frameGeometry().x()) * 15.0);
        QVERIFY_THROWS_EXCEPTION(ToolkitError, form.setWidth(-1));
    }

    void clientAreaIsBelowTheMenuBar()
    {
        RecordingForm form;
        new MenuEntry(&form, QStringLiteral("MenuAzzera"), QStringLiteral("Azzera conteggio          "));
        new MenuEntry(&form, QStringLiteral("mnuEsci"), QStringLiteral("Esci"));
        form.setClientSize(9825, 6555);
        QCOMPARE(form.ScaleWidth(), 9825.0);
        QCOMPARE(form.ScaleHeight(), 6555.0);
        QVERIFY(form.Height() > form.ScaleHeight());
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.ScaleHeight(), 6555.0);
        QCOMPARE(form.clientArea()->mapTo(&form, QPoint(0, 0)).y(), form.menuBar()->height());
        QCOMPARE(form.menuBar()->actions().size(), 2);
        QCOMPARE(form.menuBar()->actions().first()->text().size(), 26);
        QCOMPARE(form.propertyByName("ScaleWidth").toDouble(), 9825.0);
    }

    void windowStateAndProperties()
    {
        RecordingForm form;
        form.setClientSize(3000, 2000);
        QCOMPARE(form.WindowState(), 0);
        QCOMPARE(form.propertyByName("WindowState").toInt(), 0);
        form.setBackColor(0x0080FF);
        QCOMPARE(form.clientArea()->palette().color(QPalette::Window), QColor(255, 128, 0));
        QCOMPARE(form.BackColor(), 0x0080FFu);
        form.setPropertyByName("Tag", "@");
        QCOMPARE(form.propertyByName("Tag").toString(), QStringLiteral("@"));
        try {
            form.propertyByName("X1");
            QFAIL("X1 on a window");
        } catch (const ToolkitError &error) {
            QCOMPARE(error.number(), 438);
        }
        try {
            form.setPropertyByName("ScaleWidth", 100);
            QFAIL("ScaleWidth set");
        } catch (const ToolkitError &error) {
            QCOMPARE(error.number(), 383);
        }
        QVERIFY_THROWS_EXCEPTION(ToolkitError, form.setWindowState(5));
    }

    void controlsInCreationOrder()
    {
        RecordingForm form;
        auto *a = new Label(&form, QStringLiteral("A"));
        auto *menu = new MenuEntry(&form, QStringLiteral("M"), QStringLiteral("m"));
        auto *b0 = new Label(&form, QStringLiteral("B"), 0);
        auto *b1 = new Label(&form, QStringLiteral("B"), 1);
        QCOMPARE(form.Controls(), (QList<Control *>{a, menu, b0, b1}));
        QCOMPARE(form.control(QStringLiteral("B"), 1), b1);
        QCOMPARE(form.control(QStringLiteral("b"), 0), b0);
        QCOMPARE(form.control(QStringLiteral("B")), nullptr);
        delete b0;
        QCOMPARE(form.Controls(), (QList<Control *>{a, menu, b1}));
    }

    void unloadHidesAndKeepsTheObject()
    {
        RecordingForm form;
        auto *label = new Label(&form, QStringLiteral("Label1"));
        form.setClientSize(3000, 2000);
        form.Show();
        QVERIFY(form.isLoaded());
        form.Unload();
        QVERIFY(!form.isVisible());
        QVERIFY(!form.isLoaded());
        // Others still hold pointers to the window and its controls.
        QCOMPARE(form.Controls(), QList<Control *>{label});
        label->setCaption(QStringLiteral("ancora qui"));

        // Shown again, it is loaded again, as the toolkit does.
        form.events.clear();
        form.Show();
        QCOMPARE(form.events, (QStringList{"Load", "Resize", "Activate"}));
    }

    void unloadingTheLastWindowEndsTheProgram()
    {
        RecordingForm form;
        bool ended = false;
        bool gaveUp = false;
        QTimer::singleShot(0, &form, [&form] { form.Show(); });
        QTimer::singleShot(100, &form, [&form] { form.Unload(); });
        QTimer::singleShot(10000, &form, [&gaveUp] {
            gaveUp = true;
            QCoreApplication::quit();
        });
        connect(qApp, &QGuiApplication::lastWindowClosed, &form, [&ended] { ended = true; });
        QApplication::exec();
        QVERIFY(ended);
        QVERIFY(!gaveUp);
    }

    void closingTheWindowUnloadsIt()
    {
        RecordingForm form;
        form.Show();
        QVERIFY(form.close());
        QVERIFY(!form.isLoaded());
    }

    void pictureIsDrawnOnTheClientArea()
    {
        RecordingForm form;
        form.setClientSize(3000, 2000);
        form.setBackColor(0xFFFFFF);
        QImage pixels(10, 10, QImage::Format_RGB32);
        pixels.fill(Qt::blue);
        form.setPropertyByName("Picture", QVariant::fromValue(Picture(pixels)));
        const QImage shot = form.clientArea()->grab().toImage();
        QCOMPARE(QColor(shot.pixel(5, 5)), QColor(Qt::blue));
        QCOMPARE(QColor(shot.pixel(50, 50)), QColor(Qt::white));
        QVERIFY(form.propertyByName("Picture").value<Picture>() == form.picture());
    }
    void setToTheWholeScreenIsFullScreen()
    {
        RecordingForm form;
        new MenuEntry(&form, QStringLiteral("mnuEsci"), QStringLiteral("Esci"));
        form.setClientSize(3000, 2000);
        form.onActivate = [&form] {
            form.setTop(0);
            form.setLeft(0);
            form.setHeight(Screen::Height());
            form.setWidth(Screen::Width());
        };
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();

        // No frame: the client area starts below the menu bar at the screen's
        // corner and reaches its bottom; the handlers read what they set.
        QVERIFY(form.isFullScreen());
        QTRY_COMPARE(form.frameGeometry(), screen);
        QCOMPARE(form.clientArea()->mapToGlobal(QPoint(0, 0)), QPoint(0, form.menuBar()->height()));
        QCOMPARE(form.clientArea()->height(), screen.height() - form.menuBar()->height());
        QCOMPARE(QRectF(form.Left(), form.Top(), form.Width(), form.Height()),
                 QRectF(0, 0, Screen::Width(), Screen::Height()));
        QCOMPARE(form.ScaleWidth(), screen.width() * 15.0);

        // The design size, then Activate's height alone and the whole screen,
        // each laid out once; Activate came before the window was shown.
        QCOMPARE(form.events, (QStringList{"Load", "Resize", "Activate", "Resize", "Resize"}));
        QCOMPARE(form.resizeSizes.last(), QSizeF(form.ScaleWidth(), form.ScaleHeight()));

        // Any other rectangle leaves full screen; back to the whole screen,
        // also after leaving it from outside (a window manager's key).
        form.setWidth(6000);
        QVERIFY(!form.isFullScreen());
        QCOMPARE(form.Width(), 6000.0);
        form.setWidth(Screen::Width());
        QVERIFY(form.isFullScreen());
        QCOMPARE(form.resizeSizes.size(), 5);
        form.windowHandle()->setWindowStates(Qt::WindowNoState);
        QTRY_VERIFY(!form.isFullScreen());
        form.setTop(0);
        QVERIFY(form.isFullScreen());
    }
};

QTEST_MAIN(TestForm)
#include "tst_form.moc"
