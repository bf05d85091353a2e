#include "Form.h"
#include "Image.h"
#include "MessageBox.h"
#include "Twips.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace platform;

Q_DECLARE_METATYPE(platform::Control *)

namespace {
class ActivationCounter : public Form
{
public:
    int activations = 0;
    QList<QSizeF> resizes;

protected:
    void Form_Activate() override { ++activations; }
    void Form_Resize() override { resizes << QSizeF(ScaleWidth(), ScaleHeight()); }
};
} // namespace

// The window behaviour that only a real X server shows (Xvfb, no window
// manager, input from xdotool): the pointer grab, the event order and the
// focus changes are the server's, not QTest's.
class TestRealWindow : public QObject
{
    Q_OBJECT
private:
    // Runs xdotool with `arguments`, keeping the event loop turning so that
    // the window sees the input while it happens.
    static bool xdotool(const QStringList &arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), arguments);
        if (!tool.waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (tool.state() != QProcess::NotRunning && clock.elapsed() < 20000)
            QTest::qWait(10);
        QTest::qWait(100);
        return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }

    static QStringList dragPath(QPoint from, QPoint to)
    {
        auto xy = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
        return QStringList{QStringLiteral("mousemove")} + xy(from)
               + QStringList{QStringLiteral("sleep"), QStringLiteral("0.1"),
                             QStringLiteral("mousedown"), QStringLiteral("1"),
                             QStringLiteral("sleep"), QStringLiteral("0.1"),
                             QStringLiteral("mousemove")} + xy(from + QPoint(8, 8))
               + QStringList{QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove")} + xy(to)
               + QStringList{QStringLiteral("sleep"), QStringLiteral("0.1"),
                             QStringLiteral("mouseup"), QStringLiteral("1")};
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs xdotool");
        qRegisterMetaType<platform::Control *>();
    }

    void dragFromSlotToSlot()
    {
        Form form;
        form.setClientSize(9825, 6555);
        QList<Image *> images;
        for (int i = 0; i < 5; ++i) {
            auto *image = new Image(&form, QStringLiteral("Image1"), i);
            image->move(120 + 1920 * i, 3000, 1815, 1815);
            image->setBorderStyle(1);
            image->setDragMode(1);
            images << image;
        }
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(200);

        QSignalSpy onTarget(images[3], &Control::DragDrop);
        QSignalSpy onSource(images[1], &Control::DragDrop);
        const QPoint from = images[1]->widget()->mapToGlobal(QPoint(20, 20));
        const QPoint to = images[3]->widget()->mapToGlobal(QPoint(30, 40));
        QVERIFY(xdotool(dragPath(from, to)));
        QTRY_COMPARE(onTarget.count(), 1);
        QCOMPARE(onSource.count(), 0);
        QCOMPARE(onTarget.at(0).at(0).value<Control *>(), images[1]);
        QCOMPARE(onTarget.at(0).at(1).toFloat(), float(Twips::fromPixelsX(30)));
        QCOMPARE(onTarget.at(0).at(2).toFloat(), float(Twips::fromPixelsY(40)));
        QVERIFY(!form.isDragging());

        // Released on the window's background: nothing.
        const QPoint background = form.clientArea()->mapToGlobal(QPoint(5, 5));
        QList<QSignalSpy *> spies;
        for (Image *image : images)
            spies << new QSignalSpy(image, &Control::DragDrop);
        QVERIFY(xdotool(dragPath(images[0]->widget()->mapToGlobal(QPoint(20, 20)), background)));
        QTest::qWait(200);
        for (QSignalSpy *spy : spies)
            QCOMPARE(spy->count(), 0);
        qDeleteAll(spies);
        QVERIFY(!form.isDragging());
    }

    void sizeSetByTheProgram()
    {
        ActivationCounter form;
        form.setClientSize(6000, 4000);
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(200);
        form.resizes.clear();

        // As the scaler sizes a window: top, left, height, width.
        form.setTop(600);
        form.setLeft(900);
        form.setHeight(7200);
        form.setWidth(9000);
        QCOMPARE(form.resizes.size(), 2);
        QCOMPARE(form.resizes.last().width(), form.ScaleWidth());
        QCOMPARE(form.Width(), 9000.0);
        QCOMPARE(form.Height(), 7200.0);
        QCOMPARE(form.Top(), 600.0);
        // The server's own word on the new size comes later and changes nothing.
        QTest::qWait(300);
        QCOMPARE(form.Width(), 9000.0);
        QCOMPARE(form.Left(), 900.0);
        QCOMPARE(form.resizes.last(), QSizeF(form.ScaleWidth(), form.ScaleHeight()));
        QCOMPARE(form.resizes.size(), 2);
    }

    void activateOnceAcrossAMessageBox()
    {
        ActivationCounter form;
        form.setClientSize(6000, 4000);
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.activations, 1);
        const QPoint inside = form.clientArea()->mapToGlobal(QPoint(50, 50));
        QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(inside.x()), QString::number(inside.y()),
                         QStringLiteral("click"), QStringLiteral("1")}));
        QCOMPARE(form.activations, 1);

        QTimer::singleShot(300, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->buttons().first()->click();
        });
        MessageBox::MsgBox(QStringLiteral("Informazioni"), 64, QStringLiteral("L'Ambrelia"));
        QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(inside.x()), QString::number(inside.y()),
                         QStringLiteral("click"), QStringLiteral("1")}));
        form.activateWindow();
        QTest::qWait(200);
        QCOMPARE(form.activations, 1);

        // Another Form takes the focus and gives it back: that is an activation.
        ActivationCounter other;
        other.setClientSize(3000, 2000);
        other.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        other.Unload();
        form.activateWindow();
        QTRY_VERIFY(form.isActiveWindow());
        QTRY_COMPARE(form.activations, 2);
    }
};

QTEST_MAIN(TestRealWindow)
#include "tst_realwindow.moc"
