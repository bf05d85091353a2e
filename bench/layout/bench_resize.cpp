// One rescale of the exercise window: the median time of ResizeControls and
// the paints it causes, against placing the same controls directly with
// their scaled values (the work any layout must do) in the same run.
#include "Form1.h"
#include "Modulo1.h"
#include "clsResize.h"

#include "platform/Control.h"
#include "platform/MessageBox.h"
#include "platform/PaintLock.h"
#include "platform/Screen.h"
#include "platform/Twips.h"

#include "BenchReport.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rounds = 201;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Counts the paint events of every widget of a window, apart for the ones
// that come while its painting is suspended.
class PaintSpy : public QObject
{
public:
    explicit PaintSpy(platform::Form *form) : m_form(form)
    {
        for (QWidget *w : form->findChildren<QWidget *>())
            w->installEventFilter(this);
    }
    void reset() { m_perWidget.clear(); }
    int whileSuspended = 0;
    // How many times the most painted widget was painted since reset().
    int drawings() const
    {
        int most = 0;
        for (int n : m_perWidget)
            most = std::max(most, n);
        return most;
    }
    int events() const
    {
        int sum = 0;
        for (int n : m_perWidget)
            sum += n;
        return sum;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            if (platform::PaintLock::lockedForm() == m_form)
                ++whileSuspended;
            else
                ++m_perWidget[watched];
        }
        return false;
    }

private:
    platform::Form *m_form;
    QHash<QObject *, int> m_perWidget;
};

void settle()
{
    QTest::qWait(15);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    platform::MessageBox::setResponder([](const platform::MessageBox::Shown &) {
        return platform::MessageBox::ResultOk;
    });
    platform::Twips::overrideDpi(96);
    platform::Screen::overrideSize(1920 * 15, 1080 * 15);

    auto *form = new Form1;
    form->Show();
    QTest::qWait(100);

    // The window's own scaler would follow every size change by itself; the
    // benchmark's scaler is called only where it is timed.
    Modulo1::objResize.reset();
    clsResize resizer;
    resizer.setSourceForm(form);
    form->setClientSize(9825, 6555);
    resizer.ReInitialise();

    struct Placement
    {
        platform::Control *control;
        double left, top, width, height;
    };
    std::vector<Placement> design;
    for (platform::Control *c : form->Controls()) {
        if (c->kind() != platform::Control::Kind::Menu)
            design.push_back({c, c->Left(), c->Top(), c->Width(), c->Height()});
    }

    PaintSpy spy(form);

    const double sizes[2][2] = {{1920 * 15, (1080 - 40) * 15}, {1440 * 15, (810 - 40) * 15}};
    std::vector<double> scalerTimes, directTimes, drawingTimes, drawings, events;
    std::vector<std::vector<double>> perControl(design.size());
    for (int round = 0; round < Rounds; ++round) {
        const auto &size = sizes[round % 2];
        form->setClientSize(size[0], size[1]);
        settle();

        spy.reset();
        QElapsedTimer timer;
        timer.start();
        resizer.ResizeControls();
        scalerTimes.push_back(timer.nsecsElapsed() / 1000.0);
        settle();
        drawings.push_back(spy.drawings());
        events.push_back(spy.events());

        // The same placement by hand, from the same size back to the design
        // and out again, so that every control really moves.
        const double rx = form->ScaleWidth() / 9825, ry = form->ScaleHeight() / 6555;
        for (const Placement &p : design)
            p.control->move(p.left, p.top, p.width, p.height);
        settle();
        timer.restart();
        platform::PaintLock::LockWindowUpdate(form);
        for (std::size_t i = 0; i < design.size(); ++i) {
            const Placement &p = design[i];
            const qint64 start = timer.nsecsElapsed();
            p.control->move(p.left * rx, p.top * ry, p.width * rx, p.height * ry);
            perControl[i].push_back((timer.nsecsElapsed() - start) / 1000.0);
        }
        const qint64 placed = timer.nsecsElapsed();
        platform::PaintLock::LockWindowUpdate(nullptr);
        directTimes.push_back(timer.nsecsElapsed() / 1000.0);
        drawingTimes.push_back((timer.nsecsElapsed() - placed) / 1000.0);
        settle();
    }

    const double scaler = median(scalerTimes);
    const double direct = median(directTimes);
    std::printf("ResizeControls of Form1 (%zu records), median of %d calls: %.1f us\n",
                design.size() + 3, Rounds, scaler);
    std::printf("direct placement of the same controls, median:           %.1f us\n", direct);
    std::printf("  of which the window's one drawing when painting resumes:  %.1f us\n",
                median(drawingTimes));
    reportRatio("one rescale of the exercise window, scaler / placing by hand", scaler / direct);
    std::printf("paint events while painting was suspended: %d in %d rescales\n",
                spy.whileSuspended, Rounds);
    std::printf("per rescale, median: %.0f paint events over the window's widgets; "
                "the window drawn %.0f time(s), worst %.0f\n",
                median(events), median(drawings), *std::max_element(drawings.begin(), drawings.end()));

    // Where the placement's time goes: the controls that cost most to move.
    std::vector<std::pair<double, QString>> costs;
    for (std::size_t i = 0; i < design.size(); ++i)
        costs.emplace_back(median(perControl[i]), design[i].control->objectName());
    std::sort(costs.rbegin(), costs.rend());
    std::printf("dearest controls to place, median:");
    for (std::size_t i = 0; i < std::min<std::size_t>(3, costs.size()); ++i)
        std::printf(" %s %.1f us;", qPrintable(costs[i].second), costs[i].first);
    std::printf("\n");

    platform::MessageBox::setResponder(nullptr);
    delete form;
    return 0;
}
