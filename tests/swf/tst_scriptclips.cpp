// Scripts and the timelines they drive: the order frames and events run
// in, gotos, rewinding, removal, and what MovieClip, Color and the
// intervals do to the clips. Each case is a hand-made movie and the text
// it traces.
#include "ActionWriter.h"
#include "MovieBuilder.h"
#include "Player.h"
#include "display/Clip.h"
#include "display/Timeline.h"

#include <QtTest>

namespace {

using W = ActionWriter;

enum Op {
    GetVariable = 0x1C, SetVariable = 0x1D, GetMember = 0x4E, SetMember = 0x4F, CallMethod = 0x52,
    CallFunction = 0x3D, Pop = 0x17, Add2 = 0x47, GetProperty = 0x22, NewObject = 0x40,
    InitObject = 0x43, DefineLocal = 0x3C, Play = 0x06,
};

// trace(name) of a variable or path.
QByteArray traceVariable(const QString &name)
{
    return W().push({name}).op(GetVariable).trace().bytes();
}

// object.method(args...); the result dropped, or traced.
QByteArray callOn(const QString &object, const QString &method, const QVariantList &args, bool trace = false)
{
    QVariantList pushed(args.rbegin(), args.rend());
    pushed << int(args.size()) << object;
    W w;
    w.push(pushed).op(GetVariable).push({method}).op(CallMethod);
    return (trace ? w.trace() : w.op(Pop)).bytes();
}

QByteArray say(const QString &text) { return W().traceValue(text).bytes(); }

QStringList traces(const QByteArray &movie, int frames)
{
    QStringList lines;
    auto p = swf::Player::fromBytes(movie, nullptr, [&lines](const QString &l) { lines << l; });
    if (!p)
        return {QStringLiteral("<no movie>")};
    for (int i = 1; i < frames; ++i)
        p->advance();
    return lines;
}

// A sprite of `frames` frames tracing "<name> <frame>" in each.
MovieBuilder tracingSprite(const QString &name, int frames)
{
    MovieBuilder s(7);
    for (int f = 1; f <= frames; ++f)
        s.actions(say(QStringLiteral("%1 %2").arg(name).arg(f))).showFrame();
    s.end();
    return s;
}

} // namespace

class TestScriptClips : public QObject
{
    Q_OBJECT
private slots:
    void order_data();
    void order();
    void clipProperties_data();
    void clipProperties();
    void colorTransform();
    void intervals();
    void registeredClassConstructsAttachedClip();
};

void TestScriptClips::order_data()
{
    QTest::addColumn<QByteArray>("movie");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QString>("expected");

    {
        // Two sprites placed one after the other: each frame after the
        // first runs the newest clip's actions first, the main timeline last.
        MovieBuilder b(7);
        b.sprite(10, tracingSprite(QStringLiteral("a"), 3)).sprite(11, tracingSprite(QStringLiteral("b"), 3));
        b.actions(say(QStringLiteral("root 1"))).place(1, 10).place(2, 11).showFrame();
        b.actions(say(QStringLiteral("root 2"))).showFrame().end();
        QTest::newRow("children first, newest first")
            << b.build() << 2 << "root 1|a 1|b 1|b 2|a 2|root 2";
    }
    {
        // An enterFrame handler runs before its clip's frame, from the
        // second frame on; load before the clip's first frame actions.
        MovieBuilder b(7);
        b.sprite(10, tracingSprite(QStringLiteral("c"), 2));
        b.placeWithEvents(1, 10, QStringLiteral("c"),
                          {{swf::ClipEvent::EnterFrame, say(QStringLiteral("enterFrame"))},
                           {swf::ClipEvent::Load, say(QStringLiteral("load"))}});
        b.showFrame().showFrame().end();
        QTest::newRow("load, enterFrame") << b.build() << 2 << "load|c 1|enterFrame|c 2";
    }
    {
        // A DoAction before the PlaceObject still finds the clip placed.
        MovieBuilder b(7);
        b.sprite(10, MovieBuilder(7).showFrame().end());
        b.actions(traceVariable(QStringLiteral("m"))).place(1, 10, {}, QStringLiteral("m")).showFrame().end();
        QTest::newRow("actions after the frame's placements") << b.build() << 1 << "_level0.m";
    }
    {
        // gotoAndStop(3); trace(_currentframe): the jump acts at once; the
        // frame's actions run after the list.
        MovieBuilder b(7);
        b.actions(W().push({3}).record(0x9F, QByteArray(1, '\0')).bytes() + traceVariable(QStringLiteral("_currentframe")))
            .showFrame().showFrame().actions(say(QStringLiteral("three"))).showFrame().end();
        QTest::newRow("a goto acts at once") << b.build() << 1 << "3|three";
    }
    {
        // gotoAndStop(9) of three frames: the last, without its actions;
        // frame 0 and an unknown label do nothing.
        MovieBuilder b(7);
        b.actions(W().push({9}).record(0x9F, QByteArray(1, '\0')).bytes() + traceVariable(QStringLiteral("_currentframe"))
                  + W().push({0}).record(0x9F, QByteArray(1, '\0')).bytes() + traceVariable(QStringLiteral("_currentframe"))
                  + W().push({QStringLiteral("nowhere")}).record(0x9F, QByteArray(1, '\0')).bytes()
                  + traceVariable(QStringLiteral("_currentframe")))
            .showFrame().showFrame().actions(say(QStringLiteral("three"))).showFrame().end();
        QTest::newRow("past the end, frame 0, no label") << b.build() << 1 << "3|3|3";
    }
    {
        // Labels match ignoring ASCII case; the first of a name wins.
        MovieBuilder b(7);
        b.actions(W().push({QStringLiteral("FINE")}).record(0x9F, QByteArray(1, '\0')).bytes()
                  + traceVariable(QStringLiteral("_currentframe")))
            .showFrame().label(QStringLiteral("fine")).showFrame().label(QStringLiteral("Fine")).showFrame().end();
        QTest::newRow("labels") << b.build() << 1 << "2";
    }
    {
        // The sprite is removed by the main timeline's frame 2: its own
        // frame 2 actions, queued before, are dropped.
        MovieBuilder b(7);
        b.sprite(10, tracingSprite(QStringLiteral("d"), 3));
        b.place(1, 10).showFrame().remove(1).actions(say(QStringLiteral("root 2"))).showFrame().end();
        QTest::newRow("actions of a removed clip dropped") << b.build() << 2 << "d 1|root 2";
    }
    {
        // Init actions run once, before the frame's own actions, however
        // often the frame comes back.
        MovieBuilder b(7);
        b.sprite(10, MovieBuilder(7).showFrame().end());
        b.actions(say(QStringLiteral("frame 1"))).initActions(10, say(QStringLiteral("init")))
            .showFrame().showFrame().end();
        QTest::newRow("init actions once") << b.build() << 4 << "init|frame 1|frame 1";
    }
    {
        // A one-frame clip stays stopped whatever play() says.
        MovieBuilder b(7);
        b.sprite(10, MovieBuilder(7).showFrame().end());
        b.place(1, 10, {}, QStringLiteral("one"))
            .actions(callOn(QStringLiteral("one"), QStringLiteral("play"), {}) + traceVariable(QStringLiteral("one._currentframe")))
            .showFrame().showFrame().actions(traceVariable(QStringLiteral("one._currentframe"))).showFrame().end();
        QTest::newRow("one-frame clips stay") << b.build() << 3 << "1|1";
    }
    {
        // Looping back keeps the clip the same tag placed (its variable
        // stays); one placed by a later frame is made again.
        MovieBuilder b(7);
        b.sprite(10, MovieBuilder(7).showFrame().showFrame().end());
        const QByteArray mark = W().push({QStringLiteral("kept.v"), QStringLiteral("yes")}).op(SetVariable)
                                    .push({QStringLiteral("later.v"), QStringLiteral("yes")}).op(SetVariable).bytes();
        b.place(1, 10, {}, QStringLiteral("kept")).showFrame();
        b.place(2, 10, {}, QStringLiteral("later")).actions(mark).showFrame();
        b.showFrame().end();
        b.actions(QByteArray()); // nothing: frame 4 is the loop back to 1
        MovieBuilder c(7);
        c.sprite(10, MovieBuilder(7).showFrame().showFrame().end());
        c.place(1, 10, {}, QStringLiteral("kept")).actions(traceVariable(QStringLiteral("kept.v"))).showFrame();
        c.place(2, 10, {}, QStringLiteral("later")).actions(mark).showFrame();
        c.actions(traceVariable(QStringLiteral("later.v"))).showFrame().end();
        QTest::newRow("rewinding keeps what the same tag placed")
            << c.build() << 4 << "undefined|yes|yes";
    }
    {
        // A removed clip with an unload handler waits below the list until
        // the handler ran; then it is gone.
        MovieBuilder b(7);
        b.sprite(10, MovieBuilder(7).showFrame().end());
        b.placeWithEvents(3, 10, QStringLiteral("u"),
                          {{swf::ClipEvent::Unload, say(QStringLiteral("unload"))
                                                        + callOn(QStringLiteral("this"), QStringLiteral("getDepth"), {}, true)}})
            .showFrame();
        b.remove(3).showFrame().actions(traceVariable(QStringLiteral("u"))).showFrame().end();
        QTest::newRow("unload waits below the list") << b.build() << 3 << "unload|-16388|undefined";
    }
}

void TestScriptClips::order()
{
    QFETCH(QByteArray, movie);
    QFETCH(int, frames);
    QFETCH(QString, expected);
    QCOMPARE(traces(movie, frames).join(u'|'), expected);
}

void TestScriptClips::clipProperties_data()
{
    QTest::addColumn<QByteArray>("code");    // run on a movie with clip `m` at depth 1
    QTest::addColumn<QString>("expected");

    auto set = [](const QString &path, const QVariant &v) {
        return W().push({path, v}).op(SetVariable).bytes();
    };
    QTest::newRow("_x in whole twips") << set("m._x", 10.33) + traceVariable("m._x") << "10.3";
    QTest::newRow("_alpha in 256ths") << set("m._alpha", 50) + traceVariable("m._alpha") << "50";
    QTest::newRow("_rotation read back, kept in range") << set("m._rotation", 270) + traceVariable("m._rotation") << "-90";
    QTest::newRow("_xscale read back negative") << set("m._xscale", -42) + traceVariable("m._xscale") << "-42";
    QTest::newRow("_name renames the path") << set("m._name", "n") + traceVariable("n") + traceVariable("m") << "_level0.n|undefined";
    QTest::newRow("_visible") << set("m._visible", false) + traceVariable("m._visible") << "false";
    QTest::newRow("depth of a timeline clip") << callOn("m", "getDepth", {}, true) << "-16383";
    QTest::newRow("swapDepths") << callOn("m", "swapDepths", {5}) + callOn("m", "getDepth", {}, true) << "5";
    QTest::newRow("a timeline clip stays on removeMovieClip")
        << callOn("m", "removeMovieClip", {}) + traceVariable("m") << "_level0.m";
    QTest::newRow("duplicate: a new clip, depth given")
        << callOn("m", "duplicateMovieClip", {"d", 7}) + callOn("d", "getDepth", {}, true) << "7";
    QTest::newRow("removeMovieClip takes a script's clip")
        << callOn("m", "duplicateMovieClip", {"d", 7}) + callOn("d", "removeMovieClip", {}) + traceVariable("d")
        << "undefined";
    QTest::newRow("createEmptyMovieClip")
        << callOn("m", "createEmptyMovieClip", {"e", 2}) + traceVariable("m.e") + traceVariable("m.e._totalframes")
        << "_level0.m.e|1";
    QTest::newRow("attachMovie by linkage name")
        << W().push({2, "a", "piece", 3, "this"}).op(GetVariable).push({"attachMovie"}).op(CallMethod).trace().bytes()
        << "_level0.a";
    QTest::newRow("a reference follows the clip's path")
        << W().push({"r", "m"}).op(GetVariable).op(SetVariable).bytes() + set("m._name", "x")
               + callOn("x", "duplicateMovieClip", {"m", 3}) + traceVariable("r._currentframe")
        << "1";
    QTest::newRow("gotoAndStop on a clip") << callOn("m", "gotoAndStop", {2}) + traceVariable("m._currentframe") << "2";
    QTest::newRow("tellTarget") << W().setTarget("m").push({"_currentframe"}).op(GetVariable).trace().setTarget("").bytes()
                                << "1";
}

void TestScriptClips::clipProperties()
{
    QFETCH(QByteArray, code);
    QFETCH(QString, expected);
    MovieBuilder b(7);
    b.sprite(10, MovieBuilder(7).showFrame().showFrame().end());
    b.sprite(11, MovieBuilder(7).showFrame().end()).exportAs(11, QStringLiteral("piece"));
    b.place(1, 10, {}, QStringLiteral("m")).actions(code).showFrame().end();
    QCOMPARE(traces(b.build(), 1).join(u'|'), expected);
}

void TestScriptClips::colorTransform()
{
    // c = new Color("m"); c.setRGB(0x336699); c.setTransform({aa: 50})
    MovieBuilder b(7);
    b.sprite(10, MovieBuilder(7).showFrame().end());
    const QByteArray code = W().push({"c", "m", 1, "Color"}).op(NewObject).op(SetVariable).bytes()
        + callOn("c", "setRGB", {0x336699})
        + W().push({"aa", 50, 1}).op(InitObject).push({1, "c"}).op(GetVariable).push({"setTransform"})
              .op(CallMethod).op(Pop).bytes()
        + callOn("c", "getRGB", {}, true);
    b.place(1, 10, {}, QStringLiteral("m")).actions(code).showFrame().end();
    QStringList lines;
    auto p = swf::Player::fromBytes(b.build(), nullptr, [&lines](const QString &l) { lines << l; });
    QVERIFY(p);
    QCOMPARE(lines, QStringList{QString::number(0x336699)});
    const swf::ColorTransform cx = p->rootClip().objects().at(1).cxform;
    QCOMPARE((QList<int>{cx.rMult, cx.gMult, cx.bMult, cx.aMult, cx.rAdd, cx.gAdd, cx.bAdd}),
             (QList<int>{0, 0, 0, 128, 0x33, 0x66, 0x99}));
}

void TestScriptClips::intervals()
{
    // n = 0; id = setInterval(function () { trace(++n); if (n == 3) clearInterval(id) }, 100)
    // at 12 frames a second: due at 100, 200 and 300 ms, the frames coming
    // at 83, 167, 250 and 333 ms; none after the clear.
    const W tick = W().push({"n", "n"}).op(GetVariable).op(0x50).op(SetVariable).push({"n"}).op(GetVariable).trace()
                       .push({"n"}).op(GetVariable).push({3}).op(0x49).op(0x12).branch(0x9D, "end")
                       .push({"id"}).op(GetVariable).push({1, "clearInterval"}).op(CallFunction).op(Pop)
                       .label("end");
    const QByteArray code = W().push({"n", 0}).op(SetVariable).push({"id", 100})
                                .defineFunction(QString(), {}, tick)
                                .push({2, "setInterval"}).op(CallFunction).op(SetVariable).op(0x07 /* Stop */).bytes();
    MovieBuilder b(7);
    b.actions(code).showFrame().showFrame().end();
    QStringList lines;
    auto p = swf::Player::fromBytes(b.build(), nullptr, [&lines](const QString &l) { lines << l; });
    QVERIFY(p);
    QList<int> seen;
    for (int frame = 2; frame <= 14; ++frame) {
        p->advance();
        seen << int(lines.size());
    }
    QCOMPARE(lines, (QStringList{"1", "2", "3"}));
    QCOMPARE(seen.mid(0, 6), (QList<int>{0, 1, 2, 3, 3, 3}));
}

void TestScriptClips::registeredClassConstructsAttachedClip()
{
    // function Piece() { trace("made " + this) }
    // Object.registerClass("piece", Piece); attachMovie("piece", "p", 1)
    // The constructor runs on the clip; the clip has its prototype.
    const QByteArray code =
        W().defineFunction("Piece", {}, W().push({"made ", "this"}).op(GetVariable).op(Add2).trace())
            .push({"Piece"}).op(GetVariable).push({"piece", 2, "Object"}).op(GetVariable)
            .push({"registerClass"}).op(CallMethod).op(Pop)
            .push({1, "p", "piece", 3, "this"}).op(GetVariable).push({"attachMovie"}).op(CallMethod).op(Pop)
            .push({"p"}).op(GetVariable).push({"Piece"}).op(GetVariable).op(0x54 /* InstanceOf */).trace()
            .bytes();
    MovieBuilder b(7);
    b.sprite(11, MovieBuilder(7).showFrame().end()).exportAs(11, QStringLiteral("piece"));
    b.actions(code).showFrame().end();
    QCOMPARE(traces(b.build(), 1), (QStringList{"made _level0.p", "true"}));
}

QTEST_MAIN(TestScriptClips)
#include "tst_scriptclips.moc"
