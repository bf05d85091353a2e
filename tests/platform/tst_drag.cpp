#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "PictureBox.h"
#include "Twips.h"

#include <QtTest>

using namespace platform;

Q_DECLARE_METATYPE(platform::Control *)

// The hand-made automatic drag: press on a slot, move past the start
// distance, release over another control.
class TestDrag : public QObject
{
    Q_OBJECT
private:
    struct Window
    {
        Form form;
        QList<Image *> slot;
        Label *label = nullptr;
        PictureBox *panel = nullptr;
        Image *face = nullptr;

        Window()
        {
            form.setClientSize(9825, 6555);
            for (int i = 0; i < 5; ++i) {
                auto *image = new Image(&form, QStringLiteral("Image1"), i);
                image->move(120 + 1920 * i, 3000, 1815, 1815);
                image->setBorderStyle(1);
                image->setStretch(true);
                image->setDragMode(1);
                slot << image;
            }
            panel = new PictureBox(&form, QStringLiteral("PicturesattiErrati"));
            panel->move(120, 5400, 5175, 975);
            face = new Image(&form, QStringLiteral("ComandoIconaSi"), -1, panel);
            face->move(240, 120, 735, 735);
            label = new Label(&form, QStringLiteral("LabelEst"), -1, panel);
            label->move(1080, 360, 975, 375);
            form.Show();
        }
    };

    static QPoint centre(Control *control)
    {
        return control->widget()->rect().center();
    }
    // A point of `to`, in the coordinates of `from`'s widget (the implicit
    // grab sends every event of the drag to the source widget).
    static QPoint pointOn(Control *from, Control *to, QPoint inside)
    {
        return from->widget()->mapFromGlobal(to->widget()->mapToGlobal(inside));
    }
    static QWidget *outline(Form &form)
    {
        return form.clientArea()->findChild<QWidget *>(QStringLiteral("dragOutline"));
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<platform::Control *>();
        Twips::overrideDpi(96);
    }

    void dropOnAnotherSlot()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        Image *source = w.slot[0];
        Image *target = w.slot[4];
        QSignalSpy onTarget(target, &Control::DragDrop);
        QSignalSpy onSource(source, &Control::DragDrop);
        QSignalSpy onOther(w.slot[2], &Control::DragDrop);

        QWidget *from = source->widget();
        QTest::mousePress(from, Qt::LeftButton, {}, centre(source));
        QTest::mouseMove(from, centre(source) + QPoint(QApplication::startDragDistance() + 4, 0));
        QVERIFY(w.form.isDragging());
        QVERIFY(outline(w.form) && outline(w.form)->isVisible());
        QCOMPARE(outline(w.form)->size(), from->size());

        const QPoint inside(10, 20);
        const QPoint over = pointOn(source, target, inside);
        QTest::mouseMove(from, over);
        // The outline follows the pointer, keeping the place where it was grabbed.
        QCOMPARE(outline(w.form)->pos(),
                 from->mapTo(w.form.clientArea(), over) - centre(source));
        QTest::mouseRelease(from, Qt::LeftButton, {}, over);

        QCOMPARE(onTarget.count(), 1);
        QCOMPARE(onSource.count(), 0);
        QCOMPARE(onOther.count(), 0);
        QCOMPARE(onTarget.at(0).at(0).value<Control *>(), source);
        QCOMPARE(onTarget.at(0).at(1).toFloat(), 150.0f);
        QCOMPARE(onTarget.at(0).at(2).toFloat(), 300.0f);
        QVERIFY(!outline(w.form)->isVisible());
        QVERIFY(!w.form.isDragging());
    }

    void dropOnItself()
    {
        Window w;
        Image *slot = w.slot[2];
        QSignalSpy spy(slot, &Control::DragDrop);
        QTest::mousePress(slot->widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(slot->widget(), QPoint(40, 40));
        QTest::mouseRelease(slot->widget(), Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<Control *>(), slot);
    }

    void nothingWithoutMovement()
    {
        Window w;
        QList<QSignalSpy *> spies;
        for (Image *image : w.slot)
            spies << new QSignalSpy(image, &Control::DragDrop);
        QWidget *from = w.slot[1]->widget();
        // Below the start distance the press is a click, not a drag.
        QTest::mousePress(from, Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseMove(from, QPoint(31, 30));
        QVERIFY(!w.form.isDragging());
        QTest::mouseRelease(from, Qt::LeftButton, {}, QPoint(31, 30));
        QTest::mouseClick(from, Qt::LeftButton, {}, QPoint(10, 10));
        for (QSignalSpy *spy : spies)
            QCOMPARE(spy->count(), 0);
        QVERIFY(!outline(w.form) || !outline(w.form)->isVisible());
        qDeleteAll(spies);
    }

    void releaseOutsideAnyControl_data()
    {
        QTest::addColumn<QPoint>("clientPoint");
        QTest::newRow("window background") << QPoint(5, 5);
        QTest::newRow("below the window") << QPoint(100, 2000);
        QTest::newRow("left of the window") << QPoint(-300, 250);
    }
    void releaseOutsideAnyControl()
    {
        QFETCH(QPoint, clientPoint);
        Window w;
        Image *source = w.slot[3];
        QList<QSignalSpy *> spies;
        for (Control *control : w.form.Controls())
            spies << new QSignalSpy(control, &Control::DragDrop);
        QWidget *from = source->widget();
        const QPoint there = from->mapFrom(w.form.clientArea(), clientPoint);
        QTest::mousePress(from, Qt::LeftButton, {}, centre(source));
        QTest::mouseMove(from, centre(source) + QPoint(0, 30));
        QTest::mouseMove(from, there);
        QTest::mouseRelease(from, Qt::LeftButton, {}, there);
        for (QSignalSpy *spy : spies)
            QCOMPARE(spy->count(), 0);
        QVERIFY(!outline(w.form)->isVisible());
        qDeleteAll(spies);
    }

    void dropOnAControlInsideThePanel()
    {
        Window w;
        QSignalSpy onLabel(w.label, &Control::DragDrop);
        QSignalSpy onFace(w.face, &Control::DragDrop);
        QSignalSpy onPanel(w.panel, &Control::DragDrop);
        Image *source = w.slot[0];
        QWidget *from = source->widget();
        QTest::mousePress(from, Qt::LeftButton, {}, centre(source));
        QTest::mouseMove(from, centre(source) + QPoint(20, 20));
        QPoint over = pointOn(source, w.face, QPoint(3, 4));
        QTest::mouseMove(from, over);
        QTest::mouseRelease(from, Qt::LeftButton, {}, over);
        QCOMPARE(onFace.count(), 1);
        QCOMPARE(onPanel.count(), 0);

        // The panel itself, where none of its controls lies.
        QTest::mousePress(from, Qt::LeftButton, {}, centre(source));
        QTest::mouseMove(from, centre(source) + QPoint(20, 20));
        over = from->mapFromGlobal(w.panel->widget()->mapToGlobal(QPoint(w.panel->widget()->width() - 6, 6)));
        QTest::mouseRelease(from, Qt::LeftButton, {}, over);
        QCOMPARE(onPanel.count(), 1);
        QCOMPARE(onLabel.count(), 0);
    }

    void hiddenControlsAreNoTarget()
    {
        Window w;
        Image *hiddenOnTop = new Image(&w.form, QStringLiteral("Image2"));
        hiddenOnTop->move(w.slot[1]->Left(), w.slot[1]->Top(), 1815, 1815);
        hiddenOnTop->setVisible(false);
        QSignalSpy onHidden(hiddenOnTop, &Control::DragDrop);
        QSignalSpy onSlot(w.slot[1], &Control::DragDrop);
        QWidget *from = w.slot[0]->widget();
        QTest::mousePress(from, Qt::LeftButton, {}, QPoint(10, 10));
        const QPoint over = pointOn(w.slot[0], w.slot[1], QPoint(50, 50));
        QTest::mouseMove(from, over);
        QTest::mouseRelease(from, Qt::LeftButton, {}, over);
        QCOMPARE(onHidden.count(), 0);
        QCOMPARE(onSlot.count(), 1);
    }

    void losingTheWindowCancelsTheDrag()
    {
        Window w;
        QWidget *from = w.slot[0]->widget();
        QTest::mousePress(from, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(from, QPoint(60, 60));
        QVERIFY(w.form.isDragging());
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&w.form, &deactivate);
        QVERIFY(!w.form.isDragging());
        QVERIFY(!outline(w.form)->isVisible());
        QSignalSpy onSource(w.slot[0], &Control::DragDrop);
        QTest::mouseRelease(from, Qt::LeftButton, {}, QPoint(60, 60));
        QCOMPARE(onSource.count(), 0);
    }

    void manualModeDoesNotDrag()
    {
        Window w;
        w.slot[0]->setDragMode(0);
        QSignalSpy onTarget(w.slot[1], &Control::DragDrop);
        QSignalSpy clicks(w.slot[0], &Control::Click);
        QWidget *from = w.slot[0]->widget();
        QTest::mousePress(from, Qt::LeftButton, {}, QPoint(10, 10));
        const QPoint over = pointOn(w.slot[0], w.slot[1], QPoint(50, 50));
        QTest::mouseMove(from, over);
        QTest::mouseRelease(from, Qt::LeftButton, {}, over);
        QCOMPARE(onTarget.count(), 0);
        QTest::mouseClick(from, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 1);
    }
};

QTEST_MAIN(TestDrag)
#include "tst_drag.moc"
