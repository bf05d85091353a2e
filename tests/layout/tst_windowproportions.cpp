#include "Form1.h"
#include "FormAvvio.h"
#include "Modulo1.h"
#include "clsResize.h"

#include "platform/App.h"
#include "platform/CommandButton.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/Control.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "platform/Screen.h"
#include "platform/Twips.h"

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <memory>

using platform::Control;
using platform::Form;

namespace {

struct Design
{
    const char *name;
    int index;
    double left, top, width, height;
};

// The two windows as laid out, client areas 8745 x 6480 and 9825 x 6555;
// the score panel's controls are placed inside the panel.
const Design StartWindow[] = {
    {"BottoneAvvio", -1, 2640, 4680, 4110, 1275},
    {"Label1", -1, 0, 5040, 2535, 615},
    {"Label2", 0, 240, 360, 8055, 3975},
};

const Design ExerciseWindow[] = {
    {"ShockwaveFlash1", -1, 3240, 240, 2775, 2535},
    {"PicturesattiErrati", -1, 120, 5400, 5175, 975},
    {"BottoneConferma", -1, 5520, 5400, 1905, 990},
    {"BottoneAvanti", -1, 7560, 5400, 1935, 975},
    {"Image2", -1, 240, 720, 1695, 1575},
    {"Image1", 0, 120, 3000, 1815, 1815},
    {"Image1", 1, 2040, 3000, 1815, 1815},
    {"Image1", 2, 3960, 3000, 1815, 1815},
    {"Image1", 3, 5880, 3000, 1815, 1815},
    {"Image1", 4, 7800, 3000, 1815, 1815},
    {"ComandoIconaSi", -1, 240, 120, 735, 735},
    {"ComandoIconaNo", -1, 240, 120, 735, 735},
    {"LabelEst", -1, 1080, 360, 975, 375},
    {"EtichettaEsatti", -1, 2160, 240, 615, 615},
    {"LabelErt", -1, 2880, 360, 1215, 405},
    {"EtichettaErrati", -1, 4320, 240, 615, 615},
};

// Equal up to the single precision the controls keep their geometry in.
bool near(double actual, double expected)
{
    return std::abs(actual - expected) <= 1e-5 * std::max(1.0, std::abs(expected));
}

} // namespace

class tst_WindowProportions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void controlsKeepDesignProportions_data();
    void controlsKeepDesignProportions();
    void slotsStayEqualInOneRow_data();
    void slotsStayEqualInOneRow();

private:
    std::unique_ptr<Form> showWindow(bool exercise);
    QTemporaryDir m_emptyContent;
};

void tst_WindowProportions::initTestCase()
{
    QVERIFY(m_emptyContent.isValid());
    // No exercises: the layout does not depend on them, and the window's
    // notice about the empty catalogue is answered here.
    platform::App::overridePath(m_emptyContent.path());
    platform::MessageBox::setResponder([](const platform::MessageBox::Shown &) {
        return platform::MessageBox::ResultOk;
    });
    platform::Twips::overrideDpi(96);
    platform::Random::Randomize(7);
}

void tst_WindowProportions::cleanup()
{
    Modulo1::objResize.reset();
    platform::Screen::overrideSize(0, 0);
}

void tst_WindowProportions::cleanupTestCase()
{
    platform::MessageBox::setResponder(nullptr);
    platform::App::overridePath(QString());
}

std::unique_ptr<Form> tst_WindowProportions::showWindow(bool exercise)
{
    std::unique_ptr<Form> form;
    if (exercise)
        form = std::make_unique<Form1>();
    else
        form = std::make_unique<FormAvvio>();
    form->Show();
    return form;
}

static void addShapes()
{
    QTest::addColumn<bool>("exercise");
    QTest::addColumn<double>("screenWidth");
    QTest::addColumn<double>("screenHeight");

    // Pixels at 96 DPI, 15 twips each.
    const struct { const char *shape; double w, h; } shapes[] = {
        {"4:3", 1024, 768}, {"16:9", 1920, 1080}, {"tall", 768, 1366}};
    for (bool exercise : {false, true}) {
        for (const auto &s : shapes) {
            QTest::addRow("%s %s", exercise ? "Form1" : "FormAvvio", s.shape)
                << exercise << s.w * 15 << s.h * 15;
        }
    }
}

void tst_WindowProportions::controlsKeepDesignProportions_data()
{
    addShapes();
}

void tst_WindowProportions::controlsKeepDesignProportions()
{
    QFETCH(bool, exercise);
    QFETCH(double, screenWidth);
    QFETCH(double, screenHeight);

    platform::Screen::overrideSize(screenWidth, screenHeight);
    const std::unique_ptr<Form> form = showWindow(exercise);

    // Activated, the window covers the screen.
    QCOMPARE(form->Left(), 0.0);
    QCOMPARE(form->Top(), 0.0);
    QCOMPARE(form->Width(), screenWidth);
    QCOMPARE(form->Height(), screenHeight);

    const double designWidth = exercise ? 9825 : 8745;
    const double designHeight = exercise ? 6555 : 6480;
    const double rx = form->ScaleWidth() / designWidth;
    const double ry = form->ScaleHeight() / designHeight;
    QVERIFY(rx > 1.0 && ry > 1.0);

    const auto *begin = exercise ? std::begin(ExerciseWindow) : std::begin(StartWindow);
    const auto *end = exercise ? std::end(ExerciseWindow) : std::end(StartWindow);
    int positioned = 0;
    for (const auto *d = begin; d != end; ++d) {
        const Control *c = form->control(QString::fromLatin1(d->name), d->index);
        QVERIFY2(c, d->name);
        const QByteArray what = QByteArray(d->name) + '(' + QByteArray::number(d->index) + ')';
        QVERIFY2(near(c->Left(), d->left * rx), what + " Left");
        QVERIFY2(near(c->Top(), d->top * ry), what + " Top");
        QVERIFY2(near(c->Width(), d->width * rx), what + " Width");
        QVERIFY2(near(c->Height(), d->height * ry), what + " Height");

        // On the screen, within the pixel that the rounding takes.
        const QRect shown = c->widget()->geometry();
        QVERIFY2(std::abs(shown.x() - d->left * rx / 15) <= 0.5001, what + " x on screen");
        QVERIFY2(std::abs(shown.width() - d->width * rx / 15) <= 0.5001, what + " width on screen");
        QVERIFY2(std::abs(shown.y() - d->top * ry / 15) <= 0.5001, what + " y on screen");
        QVERIFY2(std::abs(shown.height() - d->height * ry / 15) <= 0.5001, what + " height on screen");
        ++positioned;
    }
    // Nothing else on the window but the menu entries.
    int menus = 0;
    for (const Control *c : form->Controls())
        menus += c->kind() == Control::Kind::Menu;
    QCOMPARE(positioned + menus, int(form->Controls().size()));

    // Texts keep their design size however large the window.
    if (exercise) {
        auto *game = static_cast<Form1 *>(form.get());
        QCOMPARE(game->EtichettaEsatti->widget()->font().pointSizeF(), 20.25);
        QCOMPARE(game->BottoneConferma->widget()->font().pointSizeF(), 14.25);
    } else {
        auto *start = static_cast<FormAvvio *>(form.get());
        QVERIFY(near(start->BottoneAvvio->Left() / form->ScaleWidth(), 2640.0 / 8745));
        QCOMPARE(start->Label2[0]->widget()->font().pointSizeF(), 72.0);
        QCOMPARE(start->BottoneAvvio->widget()->font().pointSizeF(), 18.0);
    }
}

void tst_WindowProportions::slotsStayEqualInOneRow_data()
{
    QTest::addColumn<double>("screenWidth");
    QTest::addColumn<double>("screenHeight");
    QTest::newRow("4:3") << 1024.0 * 15 << 768.0 * 15;
    QTest::newRow("16:9") << 1920.0 * 15 << 1080.0 * 15;
    QTest::newRow("tall") << 768.0 * 15 << 1366.0 * 15;
}

void tst_WindowProportions::slotsStayEqualInOneRow()
{
    QFETCH(double, screenWidth);
    QFETCH(double, screenHeight);

    platform::Screen::overrideSize(screenWidth, screenHeight);
    const std::unique_ptr<Form> form = showWindow(true);
    const auto &row = static_cast<Form1 *>(form.get())->Image1;

    // In twips and in pixels: the same size, the same row, the same gaps.
    const double gap = row[1]->Left() - (row[0]->Left() + row[0]->Width());
    QVERIFY(gap > 0);
    const QRect first = row[0]->widget()->geometry();
    const QRect second = row[1]->widget()->geometry();
    const int gapPixels = second.left() - first.right();
    for (int i = 1; i < 5; ++i) {
        QVERIFY(near(row[i]->Width(), row[0]->Width()));
        QVERIFY(near(row[i]->Height(), row[0]->Height()));
        QVERIFY(near(row[i]->Top(), row[0]->Top()));
        QVERIFY(near(row[i]->Left() - (row[i - 1]->Left() + row[i - 1]->Width()), gap));

        const QRect shown = row[i]->widget()->geometry();
        const QRect before = row[i - 1]->widget()->geometry();
        QCOMPARE(shown.size(), first.size());
        QCOMPARE(shown.top(), first.top());
        QVERIFY(std::abs((shown.left() - before.right()) - gapPixels) <= 1);
    }
}

QTEST_MAIN(tst_WindowProportions)
#include "tst_windowproportions.moc"
