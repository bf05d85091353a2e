#include "clsResize.h"

#include "platform/Form.h"
#include "platform/Label.h"
#include "platform/Line.h"
#include "platform/MenuEntry.h"
#include "platform/PaintLock.h"
#include "platform/Screen.h"
#include "platform/ToolkitError.h"
#include "platform/Twips.h"

#include <QCoreApplication>
#include <QTest>

#include <functional>
#include <memory>
#include <stdexcept>

using platform::Control;
using platform::Form;
using platform::Label;
using platform::Line;
using platform::MenuEntry;
using platform::ToolkitError;

namespace {

// A label that refuses one read or one write by property name with a given
// toolkit number, and lets a test look inside each write as it happens.
class RefusingLabel : public Label
{
public:
    RefusingLabel(Form *form, const QString &name) : Label(form, name) {}

    QString refusedRead;
    QString refusedWrite;
    int number = 0;
    std::function<void(const QString &)> onWrite;

    QVariant propertyByName(const QString &property) const override
    {
        if (property.compare(refusedRead, Qt::CaseInsensitive) == 0)
            throw ToolkitError(number, QStringLiteral("refused read"));
        return Label::propertyByName(property);
    }
    void setPropertyByName(const QString &property, const QVariant &value) override
    {
        if (onWrite)
            onWrite(property);
        if (property.compare(refusedWrite, Qt::CaseInsensitive) == 0)
            throw ToolkitError(number, QStringLiteral("refused write"));
        Label::setPropertyByName(property, value);
    }
};

// A line whose end points can be made unreadable.
class RefusingLine : public Line
{
public:
    RefusingLine(Form *form, const QString &name) : Line(form, name) {}

    QString refusedRead;
    int number = 0;

    QVariant propertyByName(const QString &property) const override
    {
        if (property.compare(refusedRead, Qt::CaseInsensitive) == 0)
            throw ToolkitError(number, QStringLiteral("refused read"));
        return Line::propertyByName(property);
    }
};

// A window laid out like the program's own: a menu bar entry, ordinary
// controls, a line, and one control that refuses something. Its resize
// handler calls the scaler when one is attached, as the real windows do.
class TestForm : public Form
{
public:
    TestForm()
    {
        menu = new MenuEntry(this, QStringLiteral("mnuFile"), QStringLiteral("File "));
        first = new Label(this, QStringLiteral("First"));
        first->move(100, 50, 200, 150);
        refuser = new RefusingLabel(this, QStringLiteral("Refuser"));
        refuser->move(100, 50, 200, 150);
        line = new RefusingLine(this, QStringLiteral("Line1"));
        line->setEnds(100, 50, 200, 150);
        last = new Label(this, QStringLiteral("Last"));
        last->move(100, 50, 200, 150);
        setClientSize(400, 300);
    }

    clsResize *resizer = nullptr;
    int resizeEvents = 0;
    std::function<void()> onResize;

    MenuEntry *menu;
    Label *first;
    RefusingLabel *refuser;
    RefusingLine *line;
    Label *last;

protected:
    void Form_Resize() override
    {
        ++resizeEvents;
        if (onResize)
            onResize();
        if (resizer)
            resizer->ResizeControls();
    }
};

struct Box
{
    double l, t, w, h;
};

Box boxOf(const Control *c)
{
    if (auto *line = qobject_cast<const Line *>(c))
        return {line->X1(), line->Y1(), line->X2(), line->Y2()};
    return {c->Left(), c->Top(), c->Width(), c->Height()};
}

void place(Control *c, const Box &b)
{
    if (auto *line = qobject_cast<Line *>(c))
        line->setEnds(b.l, b.t, b.w, b.h);
    else
        c->move(b.l, b.t, b.w, b.h);
}

// Controls keep their geometry in single precision.
Box stored(const Box &b)
{
    return {float(b.l), float(b.t), float(b.w), float(b.h)};
}

#define COMPARE_BOX(actual, expected)                                   \
    do {                                                               \
        const Box a_ = (actual), e_ = (expected);                      \
        QCOMPARE(a_.l, e_.l);                                          \
        QCOMPARE(a_.t, e_.t);                                          \
        QCOMPARE(a_.w, e_.w);                                          \
        QCOMPARE(a_.h, e_.h);                                          \
    } while (false)

const Box Design{100, 50, 200, 150};
const Box Scaled{150, 75, 300, 225};   // 400 x 300 -> 600 x 450

} // namespace

Q_DECLARE_METATYPE(Box)

class tst_clsResize : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void sizeFormToScreen_data();
    void sizeFormToScreen();
    void sizeFormToScreenCapturesBeforeMoving();

    void directives_data();
    void directives();
    void tagReadAtEveryRescale();

    void refusals_data();
    void refusals();
    void unexpectedExceptionStillResumesPainting();
    void captureReadFailures_data();
    void captureReadFailures();
    void lineReadFailureEndsCapture();
    void emptyClientAreaGivesNoRatio();

    void firstCallOnlyCaptures();
    void minimisedWindowIsLeftAlone();
    void halvesRoundToEven_data();
    void halvesRoundToEven();
    void sourceFormReplacedAfterCapture();
    void reInitialiseAfterResize();
    void controlGoneAfterCapture();
    void unboundScalerRaises();

    void oneRepaintPerRescale();
};

void tst_clsResize::initTestCase()
{
    // Two pixels a twip: every value in these tests, halves included, is a
    // whole pixel, so the window's own geometry reads back exactly.
    platform::Twips::overrideDpi(2880);
}

void tst_clsResize::cleanup()
{
    platform::Screen::overrideSize(0, 0);
    QCOMPARE(platform::PaintLock::lockedForm(), nullptr);
}

void tst_clsResize::sizeFormToScreen_data()
{
    QTest::addColumn<double>("screenWidth");
    QTest::addColumn<double>("screenHeight");
    QTest::addColumn<int>("percent");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("width");

    QTest::newRow("960x720 at 75") << 960.0 << 720.0 << 75 << 90.0 << 120.0 << 540.0 << 720.0;
    QTest::newRow("970 wide: 727.5 taken down, Left ends in .5")
        << 970.0 << 720.0 << 75 << 90.0 << 121.5 << 540.0 << 727.0;
    QTest::newRow("100 covers the screen") << 960.0 << 720.0 << 100 << 0.0 << 0.0 << 720.0 << 960.0;
    QTest::newRow("above 100 goes off the screen")
        << 960.0 << 720.0 << 150 << -180.0 << -240.0 << 1080.0 << 1440.0;
    // 2.55 has no exact double: 2.55 x 800 falls just below 2040 and Int takes it down.
    QTest::newRow("255, no range check") << 800.0 << 600.0 << 255 << -465.0 << -619.5 << 1530.0 << 2039.0;
    QTest::newRow("odd height") << 960.0 << 721.0 << 50 << 180.5 << 240.0 << 360.0 << 480.0;
}

void tst_clsResize::sizeFormToScreen()
{
    QFETCH(double, screenWidth);
    QFETCH(double, screenHeight);
    QFETCH(int, percent);
    QFETCH(double, top);
    QFETCH(double, left);
    QFETCH(double, height);
    QFETCH(double, width);

    platform::Screen::overrideSize(screenWidth, screenHeight);
    TestForm form;
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.SizeFormToScreen(static_cast<std::uint8_t>(percent));

    QCOMPARE(form.Top(), top);
    QCOMPARE(form.Left(), left);
    QCOMPARE(form.Height(), height);
    QCOMPARE(form.Width(), width);
}

void tst_clsResize::sizeFormToScreenCapturesBeforeMoving()
{
    platform::Screen::overrideSize(1600, 1200);
    TestForm form;
    form.Show();
    clsResize resizer;
    form.resizer = &resizer;
    resizer.setSourceForm(&form);

    // Position first, then the height, then the width: at the first size
    // change the window already stands at its new place.
    QList<Box> seen;
    form.onResize = [&] { seen.append({form.Left(), form.Top(), form.Width(), form.Height()}); };
    resizer.SizeFormToScreen(75);

    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.first().l, 200.0);
    QCOMPARE(seen.first().t, 150.0);
    QCOMPARE(seen.first().h, 900.0);
    QCOMPARE(seen.last().w, 1200.0);

    // The baseline is the design client area, so the controls follow the
    // window's new client area in proportion.
    const double rx = form.ScaleWidth() / 400.0;
    const double ry = form.ScaleHeight() / 300.0;
    QVERIFY(rx > 2.0);
    const Box expected = stored({100 * rx, 50 * ry, 200 * rx, 150 * ry});
    COMPARE_BOX(boxOf(form.first), expected);
    COMPARE_BOX(boxOf(form.line), expected);
}

void tst_clsResize::directives_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("line");
    QTest::addColumn<QString>("scaled");   // the letters whose values follow the window

    for (bool line : {false, true}) {
        const char *kind = line ? "line " : "";
        QTest::addRow("%sempty", kind) << QString() << line << "LTWH";
        QTest::addRow("%s3", kind) << "3" << line << "LTWH";
        QTest::addRow("%s@W", kind) << "@W" << line << "W";
        QTest::addRow("%s@", kind) << "@" << line << "";
        QTest::addRow("%s@lt", kind) << "@lt" << line << "LT";
        QTest::addRow("%s@WIDTH", kind) << "@WIDTH" << line << "TWH";
        QTest::addRow("%s@L,T,W,H", kind) << "@L,T,W,H" << line << "LTWH";
        QTest::addRow("%sno @ first", kind) << "W@" << line << "LTWH";
        QTest::addRow("%sletters anywhere", kind) << "@ hello" << line << "LH";
    }
}

void tst_clsResize::directives()
{
    QFETCH(QString, tag);
    QFETCH(bool, line);
    QFETCH(QString, scaled);

    TestForm form;
    Control *ctl = line ? static_cast<Control *>(form.line) : form.first;
    ctl->setTag(tag);
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();

    // Moved by someone else after the capture: what the directive leaves
    // alone stays there, what it names comes from the records.
    const Box moved{7, 8, 9, 10};
    place(ctl, moved);
    form.setClientSize(600, 450);
    resizer.ResizeControls();

    const Box expected{scaled.contains('L') ? Scaled.l : moved.l, scaled.contains('T') ? Scaled.t : moved.t,
                       scaled.contains('W') ? Scaled.w : moved.w, scaled.contains('H') ? Scaled.h : moved.h};
    COMPARE_BOX(boxOf(ctl), expected);
    QCOMPARE(ctl->Tag(), tag);
}

void tst_clsResize::tagReadAtEveryRescale()
{
    TestForm form;
    form.first->setTag(QStringLiteral("@"));
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();
    form.setClientSize(600, 450);

    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Design);

    form.first->setTag(QStringLiteral("@h"));
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), (Box{100, 50, 200, 225}));

    form.first->setTag(QStringLiteral("4"));
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Scaled);
}

void tst_clsResize::refusals_data()
{
    QTest::addColumn<QString>("refusedRead");
    QTest::addColumn<QString>("refusedWrite");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("scaled");

    QTest::newRow("Width read-only 383") << "" << "Width" << 383 << "LTH";
    QTest::newRow("Width cannot be set 387") << "" << "Width" << 387 << "LTH";
    QTest::newRow("Width unsupported 438") << "" << "Width" << 438 << "LTH";
    QTest::newRow("Width invalid value 380 ends the turn") << "" << "Width" << 380 << "LT";
    QTest::newRow("Left fails with 5: nothing") << "" << "Left" << 5 << "";
    QTest::newRow("Height 380, the last letter") << "" << "Height" << 380 << "LTW";
    QTest::newRow("Tag unreadable 393: default directive") << "Tag" << "" << 393 << "LTWH";
    QTest::newRow("Tag fails with 380: nothing") << "Tag" << "" << 380 << "";
}

void tst_clsResize::refusals()
{
    QFETCH(QString, refusedRead);
    QFETCH(QString, refusedWrite);
    QFETCH(int, number);
    QFETCH(QString, scaled);

    TestForm form;
    form.refuser->setTag(QStringLiteral("@WHLT"));
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();

    form.refuser->refusedRead = refusedRead;
    form.refuser->refusedWrite = refusedWrite;
    form.refuser->number = number;
    form.setClientSize(600, 450);
    resizer.ResizeControls();

    const Box expected{scaled.contains('L') ? Scaled.l : Design.l, scaled.contains('T') ? Scaled.t : Design.t,
                       scaled.contains('W') ? Scaled.w : Design.w, scaled.contains('H') ? Scaled.h : Design.h};
    COMPARE_BOX(boxOf(form.refuser), expected);
    // The menu entry before it and the controls after it are still placed.
    COMPARE_BOX(boxOf(form.first), Scaled);
    COMPARE_BOX(boxOf(form.line), Scaled);
    COMPARE_BOX(boxOf(form.last), Scaled);
    QCOMPARE(platform::PaintLock::lockedForm(), nullptr);
}

void tst_clsResize::unexpectedExceptionStillResumesPainting()
{
    TestForm form;
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();
    form.setClientSize(600, 450);

    bool lockedDuringWrite = false;
    form.refuser->onWrite = [&](const QString &) {
        lockedDuringWrite = platform::PaintLock::lockedForm() == &form;
        throw std::runtime_error("not a toolkit failure");
    };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, resizer.ResizeControls());
    QVERIFY(lockedDuringWrite);
    QCOMPARE(platform::PaintLock::lockedForm(), nullptr);
}

void tst_clsResize::captureReadFailures_data()
{
    QTest::addColumn<QString>("refusedRead");
    QTest::addColumn<int>("number");
    QTest::addColumn<Box>("placed");

    QTest::newRow("Left unreadable") << "Left" << 393 << Box{0, 75, 300, 225};
    QTest::newRow("Top fails with 5") << "Top" << 5 << Box{150, 0, 300, 225};
    QTest::newRow("Height unsupported") << "Height" << 438 << Box{150, 75, 300, 0};
}

void tst_clsResize::captureReadFailures()
{
    QFETCH(QString, refusedRead);
    QFETCH(int, number);
    QFETCH(Box, placed);

    // A failing read of an ordinary control records 0 for that value only,
    // whatever the failure, and the capture goes on.
    TestForm form;
    form.refuser->refusedRead = refusedRead;
    form.refuser->number = number;
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();
    form.refuser->refusedRead.clear();

    form.setClientSize(600, 450);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.refuser), placed);
    COMPARE_BOX(boxOf(form.last), Scaled);
}

void tst_clsResize::lineReadFailureEndsCapture()
{
    TestForm form;
    form.line->refusedRead = QStringLiteral("X2");
    form.line->number = 438;
    clsResize resizer;
    resizer.setSourceForm(&form);
    try {
        resizer.ResizeControls();
        QFAIL("the line's failing read did not reach the caller");
    } catch (const ToolkitError &error) {
        QCOMPARE(error.number(), 438);
    }

    // No capture was completed, so the next call captures and moves nothing.
    form.line->refusedRead.clear();
    form.setClientSize(600, 450);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Design);
    form.setClientSize(1200, 900);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), (Box{200, 100, 400, 300}));
    COMPARE_BOX(boxOf(form.line), (Box{200, 100, 400, 300}));
}

void tst_clsResize::emptyClientAreaGivesNoRatio()
{
    TestForm form;
    clsResize resizer;
    resizer.setSourceForm(&form);
    // A window cannot be made with an empty client area, but at an absurd
    // resolution its client area measures less than half a twip, which is
    // recorded as 0.
    platform::Twips::overrideDpi(1e9);
    QVERIFY(form.ScaleWidth() < 0.5 && form.ScaleHeight() < 0.5);
    resizer.ReInitialise();
    platform::Twips::overrideDpi(2880);

    // Not a value is written: no infinite or undefined place is even tried.
    int writes = 0;
    form.refuser->onWrite = [&](const QString &) { ++writes; };
    form.setClientSize(600, 450);
    resizer.ResizeControls();
    QCOMPARE(writes, 0);
    COMPARE_BOX(boxOf(form.first), Design);
    COMPARE_BOX(boxOf(form.line), Design);
    QCOMPARE(platform::PaintLock::lockedForm(), nullptr);
}

void tst_clsResize::firstCallOnlyCaptures()
{
    TestForm form;
    clsResize resizer;
    resizer.setSourceForm(&form);
    form.setClientSize(600, 450);

    // This client size becomes the baseline; nothing moves.
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Design);

    form.setClientSize(1200, 900);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), (Box{200, 100, 400, 300}));
    COMPARE_BOX(boxOf(form.line), (Box{200, 100, 400, 300}));
}

void tst_clsResize::minimisedWindowIsLeftAlone()
{
    TestForm form;
    clsResize resizer;
    resizer.setSourceForm(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    resizer.ReInitialise();

    form.setClientSize(600, 450);
    form.setWindowState(Form::vbMinimized);
    QCOMPARE(form.WindowState(), int(Form::vbMinimized));
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Design);

    form.setWindowState(Form::vbNormal);
    resizer.ResizeControls();
    const double rx = form.ScaleWidth() / 400.0, ry = form.ScaleHeight() / 300.0;
    COMPARE_BOX(boxOf(form.first), stored({100 * rx, 50 * ry, 200 * rx, 150 * ry}));
}

void tst_clsResize::halvesRoundToEven_data()
{
    QTest::addColumn<Box>("design");
    QTest::addColumn<Box>("recorded");

    QTest::newRow("234.5 down, 235.5 up") << Box{234.5, 235.5, 10, 20} << Box{234, 236, 10, 20};
    QTest::newRow("0.5 and 1.5") << Box{0.5, 1.5, 2.5, 3.5} << Box{0, 2, 2, 4};
    QTest::newRow("not halves") << Box{10.25, 10.75, 99.5, 100.5} << Box{10, 11, 100, 100};
    QTest::newRow("negative") << Box{-0.5, -1.5, 4, 4} << Box{0, -2, 4, 4};
}

void tst_clsResize::halvesRoundToEven()
{
    QFETCH(Box, design);
    QFETCH(Box, recorded);

    TestForm form;
    form.first->move(design.l, design.t, design.w, design.h);
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();

    // At twice the size every recorded value shows through doubled.
    form.setClientSize(800, 600);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), (Box{2 * recorded.l, 2 * recorded.t, 2 * recorded.w, 2 * recorded.h}));
}

void tst_clsResize::sourceFormReplacedAfterCapture()
{
    TestForm a;
    TestForm b;
    b.setClientSize(800, 600);
    clsResize resizer;
    resizer.setSourceForm(&a);
    QCOMPARE(resizer.SourceForm(), &a);
    resizer.ReInitialise();

    resizer.setSourceForm(&b);
    QCOMPARE(resizer.SourceForm(), &b);
    resizer.ResizeControls();

    // The records still describe the first window's controls, measured
    // against the first window's design; the new window's controls wait
    // for a new baseline.
    COMPARE_BOX(boxOf(a.first), (Box{200, 100, 400, 300}));
    COMPARE_BOX(boxOf(b.first), Design);

    resizer.ReInitialise();
    b.setClientSize(400, 300);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(b.first), (Box{50, 25, 100, 75}));
    COMPARE_BOX(boxOf(a.first), (Box{200, 100, 400, 300}));
}

void tst_clsResize::reInitialiseAfterResize()
{
    TestForm form;
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();
    form.setClientSize(600, 450);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Scaled);

    // A control made after the capture is not the scaler's until the next one.
    auto *late = new Label(&form, QStringLiteral("Late"));
    late->move(30, 30, 60, 60);
    form.setClientSize(1200, 900);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(late), (Box{30, 30, 60, 60}));

    // The scaled geometry of the moment is the new baseline.
    resizer.ReInitialise();
    form.setClientSize(600, 450);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Scaled);
    COMPARE_BOX(boxOf(late), (Box{15, 15, 30, 30}));
}

void tst_clsResize::controlGoneAfterCapture()
{
    TestForm form;
    form.last->move(40, 20, 80, 60);
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();

    // The window's collection closes up behind a deleted control; each
    // record still places its own control.
    delete form.refuser;
    form.refuser = nullptr;

    form.setClientSize(600, 450);
    resizer.ResizeControls();
    COMPARE_BOX(boxOf(form.first), Scaled);
    COMPARE_BOX(boxOf(form.line), Scaled);
    COMPARE_BOX(boxOf(form.last), (Box{60, 30, 120, 90}));
}

void tst_clsResize::unboundScalerRaises()
{
    clsResize resizer;
    QCOMPARE(resizer.SourceForm(), nullptr);
    try {
        resizer.ResizeControls();
        QFAIL("no error raised");
    } catch (const ToolkitError &error) {
        QCOMPARE(error.number(), 91);
    }
}

void tst_clsResize::oneRepaintPerRescale()
{
    TestForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    clsResize resizer;
    resizer.setSourceForm(&form);
    resizer.ReInitialise();

    // paintCount() counts the client area and every control's widget: one
    // drawing of the whole window adds this many.
    QTest::qWait(100);
    int before = form.paintCount();
    form.clientArea()->update();
    QTRY_VERIFY(form.paintCount() > before);
    QTest::qWait(100);
    const int onePass = form.paintCount() - before;

    // Events are let through in the middle of the rescale: a window that
    // was not held would paint there.
    QList<int> paintsDuringWrites;
    form.refuser->onWrite = [&](const QString &) {
        QCoreApplication::processEvents();
        paintsDuringWrites.append(form.paintCount());
    };

    const struct { int number; double width, height; } rounds[] = {
        {0, 600, 450}, {383, 800, 600}, {380, 400, 300}, {0, 600, 450}};
    for (const auto &round : rounds) {
        form.setClientSize(round.width, round.height);
        QTest::qWait(100);
        form.refuser->refusedWrite = round.number ? QStringLiteral("Width") : QString();
        form.refuser->number = round.number;
        paintsDuringWrites.clear();
        before = form.paintCount();

        resizer.ResizeControls();
        QCOMPARE(platform::PaintLock::lockedForm(), nullptr);
        QVERIFY(!paintsDuringWrites.isEmpty());
        for (int count : std::as_const(paintsDuringWrites))
            QCOMPARE(count, before);
        QTRY_COMPARE(form.paintCount(), before + onePass);
        QTest::qWait(100);
        QCOMPARE(form.paintCount(), before + onePass);
    }
}

QTEST_MAIN(tst_clsResize)
#include "tst_clsresize.moc"
