#include "Form.h"
#include "Label.h"
#include "PaintLock.h"

#include <QtTest>

using namespace platform;

// LockWindowUpdate: no painting of the window while it is locked, one
// repaint once it is released.
class TestPaintLock : public QObject
{
    Q_OBJECT
private slots:
    void noPaintWhileLockedOneRepaintAfter()
    {
        Form form;
        form.setClientSize(6000, 4000);
        QList<Label *> labels;
        for (int i = 0; i < 4; ++i) {
            auto *label = new Label(&form, QStringLiteral("Label"), i);
            label->move(100 + 1000 * i, 100, 900, 400);
            label->setCaption(QStringLiteral("testo %1").arg(i));
            labels << label;
        }
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.paintCount() > 0);
        QTest::qWait(50);

        // One drawing of the whole client area, as the scaler's tests measure it.
        int before = form.paintCount();
        form.clientArea()->update();
        QTRY_VERIFY(form.paintCount() > before);
        QTest::qWait(50);
        const int onePass = form.paintCount() - before;
        QCOMPARE(onePass, 1 + labels.size());
        before = form.paintCount();

        QVERIFY(PaintLock::LockWindowUpdate(&form));
        QCOMPARE(PaintLock::lockedForm(), &form);
        for (int i = 0; i < 4; ++i) {
            labels[i]->move(200 + 1200 * i, 600, 1000, 500);
            labels[i]->setCaption(QStringLiteral("nuovo %1").arg(i));
        }
        form.clientArea()->update();
        QTest::qWait(100);
        QCOMPARE(form.paintCount(), before);

        QVERIFY(PaintLock::LockWindowUpdate(nullptr));
        QCOMPARE(PaintLock::lockedForm(), nullptr);
        // One repaint: each widget of the window is painted once, not once
        // per change made while locked.
        QTRY_COMPARE(form.paintCount(), before + onePass);
        QTest::qWait(100);
        QCOMPARE(form.paintCount(), before + onePass);
        QCOMPARE(labels[0]->widget()->geometry().topLeft(), QPoint(13, 40));
    }

    void oneWindowAtATime()
    {
        Form first;
        Form second;
        QVERIFY(PaintLock::LockWindowUpdate(&first));
        QVERIFY(!PaintLock::LockWindowUpdate(&second));
                QVERIFY(PaintLock::LockWindowUpdate(&first));
        QVERIFY(PaintLock::LockWindowUpdate(nullptr));
                QVERIFY(!PaintLock::LockWindowUpdate(nullptr));
    }

    void unloadingReleasesTheLock()
    {
        Form form;
        form.Show();
        QVERIFY(PaintLock::LockWindowUpdate(&form));
        form.Unload();
        QCOMPARE(PaintLock::lockedForm(), nullptr);
        {
            Form gone;
            QVERIFY(PaintLock::LockWindowUpdate(&gone));
        }
        QCOMPARE(PaintLock::lockedForm(), nullptr);
    }
};

QTEST_MAIN(TestPaintLock)
#include "tst_paintlock.moc"
