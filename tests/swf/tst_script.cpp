// The movies' scripts on hand-written bytecode: conversions by version,
// control flow, functions, the bounds on hostile scripts, the hook that
// runs a button's actions, and the collector. The trace corpus does the
// broad checking; these pin what it does not show in isolation.
#include "ActionWriter.h"
#include "MovieBuilder.h"
#include "Player.h"
#include "display/Clip.h"
#include "script/Conversions.h"
#include "script/Heap.h"
#include "script/Object.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

using W = ActionWriter;

enum Op {
    Add2 = 0x47, Equals2 = 0x49, Not = 0x12, ToNumber = 0x4A, GetVariable = 0x1C, SetVariable = 0x1D,
    Divide = 0x0D, Equals = 0x0E, GetMember = 0x4E, SetMember = 0x4F, CallFunction = 0x3D,
    CallMethod = 0x52, Return = 0x3E, Throw = 0x2A, InitObject = 0x43, InitArray = 0x42, Pop = 0x17,
    DefineLocal = 0x3C, Jump = 0x99, If = 0x9D, Increment = 0x50, NewObject = 0x40, Less2 = 0x48,
};

// What the frame's actions trace, one line each; `frames` frames run.
QStringList traceOf(int version, const QByteArray &code, int frames = 1, QString *stopped = nullptr)
{
    MovieBuilder b(version);
    b.actions(code).showFrame().end();
    QStringList lines;
    QString error;
    auto p = swf::Player::fromBytes(b.build(), &error, [&lines](const QString &l) { lines << l; });
    if (!p) {
        qWarning("decode failed: %s", qPrintable(error));
        return {QStringLiteral("<no movie>")};
    }
    for (int i = 1; i < frames; ++i)
        p->advance();
    if (stopped)
        *stopped = p->scriptsStopped();
    return lines;
}

// trace(a op b) of two pushed values.
QByteArray binary(const QVariant &a, const QVariant &b, int code)
{
    return W().push({a, b}).op(code).trace().bytes();
}

} // namespace

class TestScript : public QObject
{
    Q_OBJECT
private slots:
    void conversions_data();
    void conversions();
    void numberText_data();
    void numberText();
    void stringToNumber_data();
    void stringToNumber();
    void controlFlow_data();
    void controlFlow();
    void bounds_data();
    void bounds();
    void scriptLimitsRaiseRecursion();
    void buttonActionsRunOnTheirTimeline();
    void soundObject_data();
    void soundObject();
    void collectorFreesCycles();
};

void TestScript::conversions_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("expected");

    const QByteArray undefinedText = binary(QStringLiteral("<"), QVariant(), Add2);
    QTest::newRow("undefined as text, 6") << 6 << undefinedText << "<";
    QTest::newRow("undefined as text, 7") << 7 << undefinedText << "<undefined";
    QTest::newRow("version 9 follows 7") << 9 << undefinedText << "<undefined";
    const QByteArray hex = W().push({QStringLiteral("0x12")}).op(ToNumber).trace().bytes();
    QTest::newRow("hexadecimal text, 5") << 5 << hex << "NaN";
    QTest::newRow("hexadecimal text, 6") << 6 << hex << "18";
    const QByteArray octal = W().push({QStringLiteral("-010")}).op(ToNumber).trace().bytes();
    QTest::newRow("octal text, 5") << 5 << octal << "-10";
    QTest::newRow("octal text, 6") << 6 << octal << "-8";
    const QByteArray truth = W().push({QStringLiteral("abc")}).op(Not).op(Not).trace().bytes();
    QTest::newRow("text as boolean, 6") << 6 << truth << "false";
    QTest::newRow("text as boolean, 7") << 7 << truth << "true";
    const QByteArray undefinedNumber = W().push({QVariant()}).op(ToNumber).trace().bytes();
    QTest::newRow("undefined as number, 6") << 6 << undefinedNumber << "0";
    QTest::newRow("undefined as number, 7") << 7 << undefinedNumber << "NaN";
    const QByteArray names = W().push({QStringLiteral("Foo"), 1}).op(SetVariable)
                                 .push({QStringLiteral("foo")}).op(GetVariable).trace().bytes();
    QTest::newRow("names ignore case, 6") << 6 << names << "1";
    QTest::newRow("names keep case, 7") << 7 << names << "undefined";
    QTest::newRow("version 4 compares to 1 and 0") << 4 << binary(1, 1, Equals) << "1";
    QTest::newRow("version 5 compares to booleans") << 5 << binary(1, 1, Equals) << "true";
    // x = 0/0; trace(x == x); trace(0/0 == 0/0)
    const QByteArray nan = W().push({QStringLiteral("x"), 0, 0}).op(Divide).op(SetVariable)
                               .push({QStringLiteral("x")}).op(GetVariable)
                               .push({QStringLiteral("x")}).op(GetVariable).op(Equals2).trace()
                               .push({0, 0}).op(Divide).push({0, 0}).op(Divide).op(Equals2).trace()
                               .bytes();
    QTest::newRow("a NaN equals only itself") << 7 << nan << "true|false";
    QTest::newRow("text and number add as text") << 7 << binary(QStringLiteral("1"), 2, Add2) << "12";
    QTest::newRow("numbers compare as numbers") << 7 << binary(10, 9, Less2) << "false";
}

void TestScript::conversions()
{
    QFETCH(int, version);
    QFETCH(QByteArray, code);
    QFETCH(QString, expected);
    QCOMPARE(traceOf(version, code).join(u'|'), expected);
}

void TestScript::numberText_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("integer") << 42.0 << "42";
    QTest::newRow("sum with a rounding error") << 0.1 + 0.2 << "0.3";
    QTest::newRow("fifteen digits") << 2.0 / 3 << "0.666666666666667";
    QTest::newRow("exponent from 1e15") << 1e15 << "1e+15";
    QTest::newRow("below 1e15 in full") << 123456789012345.0 << "123456789012345";
    QTest::newRow("small exponent without zeros") << 0.00001 << "1e-5";
    QTest::newRow("0.0001 in full") << 0.0001 << "0.0001";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << "-Infinity";
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "NaN";
    QTest::newRow("largest is cut, not rounded up") << std::numeric_limits<double>::max()
                                                     << "1.79769313486231e+308";
}

void TestScript::numberText()
{
    QFETCH(double, number);
    QFETCH(QString, text);
    QCOMPARE(swf::script::numberToString(number), text);
}

void TestScript::stringToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("version");
    QTest::addColumn<double>("number");    // NaN: expected NaN
    QTest::addColumn<double>("parsedInt"); // parseInt(text), no radix

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("blanks before") << "\t\n \r2" << 6 << 2.0 << 2.0;
    QTest::newRow("blanks after") << "2 " << 6 << nan << 2.0;
    QTest::newRow("hex after a blank") << " 0x2" << 6 << nan << 0.0;
    QTest::newRow("hex with a sign inside") << "0x-2" << 6 << -2.0 << -2.0;
    QTest::newRow("sign before hex") << "-0x2" << 6 << nan << nan;
    QTest::newRow("octal digits only") << "030" << 6 << 24.0 << 24.0;
    QTest::newRow("not all octal digits") << "030.12" << 6 << 30.12 << 30.0;
    QTest::newRow("octal after a blank") << " 030" << 6 << 30.0 << 30.0;
    QTest::newRow("exponent") << "030e12" << 6 << 3e13 << 30.0;
    QTest::newRow("empty") << "" << 6 << nan << nan;
    QTest::newRow("fraction alone") << ".2" << 6 << 0.2 << nan;
    QTest::newRow("Infinity is no number") << "Infinity" << 7 << nan << nan;
}

void TestScript::stringToNumber()
{
    QFETCH(QString, text);
    QFETCH(int, version);
    QFETCH(double, number);
    QFETCH(double, parsedInt);
    const double n = swf::script::stringToNumber(text, version);
    const double p = swf::script::parseInteger(text, 0);
    QVERIFY2(std::isnan(number) ? std::isnan(n) : n == number, qPrintable(QString::number(n)));
    QVERIFY2(std::isnan(parsedInt) ? std::isnan(p) : p == parsedInt, qPrintable(QString::number(p)));
}

void TestScript::controlFlow_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("expected");

    QTest::newRow("catch") << 7
        << W().tryBlock(W().push({QStringLiteral("boom")}).op(Throw), QStringLiteral("e"),
                        W().push({QStringLiteral("e")}).op(GetVariable).trace())
               .traceValue(QStringLiteral("after")).bytes()
        << "boom|after";
    // function f() { try { return 1 } finally { return 2 } } trace(f())
    const W last = W().push({2}).op(Return);
    QTest::newRow("a return in finally wins") << 7
        << W().defineFunction(QStringLiteral("f"), {},
                              W().tryBlock(W().push({1}).op(Return), QString(), W(), &last))
               .push({0, QStringLiteral("f")}).op(CallFunction).trace().bytes()
        << "2";
    QTest::newRow("an uncaught throw ends the list") << 7
        << W().push({QStringLiteral("x")}).op(Throw).traceValue(QStringLiteral("after")).bytes()
        << "";
    // function outer() { var v = 5; return function () { return v } } trace(outer()())
    const QByteArray closure =
        W().defineFunction(QStringLiteral("outer"), {},
                           W().push({QStringLiteral("v"), 5}).op(DefineLocal)
                               .defineFunction(QString(), {}, W().push({QStringLiteral("v")}).op(GetVariable).op(Return))
                               .op(Return))
            .push({0, QStringLiteral("outer")}).op(CallFunction)
            .push({0}).op(0x4D /* StackSwap */).push({QVariant()}).op(CallMethod).trace().bytes();
    QTest::newRow("closures from version 6") << 6 << closure << "5";
    QTest::newRow("no closures in version 5") << 5 << closure << "undefined";
    // o = {a: 7}; with (o) { trace(a); jump out } trace(a)
    const QByteArray with =
        W().push({QStringLiteral("o"), QStringLiteral("a"), 7, 1}).op(InitObject).op(SetVariable)
            .push({QStringLiteral("o")}).op(GetVariable)
            .with(W().push({QStringLiteral("a")}).op(GetVariable).trace().branch(Jump, QStringLiteral("out")))
            .label(QStringLiteral("out"))
            .push({QStringLiteral("a")}).op(GetVariable).trace().bytes();
    QTest::newRow("with, and a jump out of it") << 7 << with << "7|undefined";
    // o.m = function (x: r2) preloading this in r1; o.k = "kay"; o.m("arg")
    const QByteArray registers =
        W().push({QStringLiteral("o"), QStringLiteral("k"), QStringLiteral("kay"), 1}).op(InitObject).op(SetVariable)
            .push({QStringLiteral("o")}).op(GetVariable).push({QStringLiteral("m")})
            .defineFunction2(QString(), 3, 0x1 /* PreloadThis */, {{QStringLiteral("x"), 2}},
                             W().push({W::Reg(2)}).trace()
                                 .push({W::Reg(1), QStringLiteral("k")}).op(GetMember).trace())
            .op(SetMember)
            .push({QStringLiteral("arg"), 1, QStringLiteral("o")}).op(GetVariable)
            .push({QStringLiteral("m")}).op(CallMethod).op(Pop).bytes();
    QTest::newRow("registers of DefineFunction2") << 7 << registers << "arg|kay";
}

void TestScript::controlFlow()
{
    QFETCH(int, version);
    QFETCH(QByteArray, code);
    QFETCH(QString, expected);
    QCOMPARE(traceOf(version, code).join(u'|'), expected);
}

void TestScript::bounds_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("reason");

    QTest::newRow("endless loop") << W().label(QStringLiteral("top")).branch(Jump, QStringLiteral("top")).bytes()
                                  << "actions in one frame";
    QTest::newRow("endless recursion")
        << W().defineFunction(QStringLiteral("f"), {}, W().push({0, QStringLiteral("f")}).op(CallFunction))
               .push({0, QStringLiteral("f")}).op(CallFunction).bytes()
        << "recursion";
    W nested = W().push({QStringLiteral("x")});
    for (int i = 0; i < 20; ++i)
        nested = W().push({QStringLiteral("o")}).op(GetVariable).with(nested);
    QTest::newRow("with in with")
        << W().push({QStringLiteral("o"), 0}).op(InitObject).op(SetVariable).bytes() + nested.bytes()
        << "nested with blocks";
    // s = "x"; loop: s = s + s
    QTest::newRow("text doubling")
        << W().push({QStringLiteral("s"), QStringLiteral("x")}).op(SetVariable).label(QStringLiteral("top"))
               .push({QStringLiteral("s"), QStringLiteral("s")}).op(GetVariable)
               .push({QStringLiteral("s")}).op(GetVariable).op(Add2).op(SetVariable)
               .branch(Jump, QStringLiteral("top")).bytes()
        << "string length";
    // a = []; loop: a.push(new Array(100000))
    QTest::newRow("arrays kept")
        << W().push({QStringLiteral("a"), 0}).op(InitArray).op(SetVariable).label(QStringLiteral("top"))
               .push({100000, 1, QStringLiteral("Array")}).op(NewObject)
               .push({1, QStringLiteral("a")}).op(GetVariable).push({QStringLiteral("push")})
               .op(CallMethod).op(Pop).branch(Jump, QStringLiteral("top")).bytes()
        << "memory";
    QTest::newRow("stack") << W().label(QStringLiteral("top")).push({1}).branch(Jump, QStringLiteral("top")).bytes()
                           << "stack";
}

void TestScript::bounds()
{
    QFETCH(QByteArray, code);
    QFETCH(QString, reason);
    // Frame 1 runs the hostile script, frames 2 and 3 trace: they must
    // not, while the timeline itself goes on.
    MovieBuilder b(7);
    b.actions(code).showFrame();
    b.actions(W().traceValue(QStringLiteral("frame 2")).bytes()).showFrame();
    b.actions(W().traceValue(QStringLiteral("frame 3")).bytes()).showFrame().end();
    QStringList lines;
    auto p = swf::Player::fromBytes(b.build(), nullptr, [&lines](const QString &l) { lines << l; });
    QVERIFY(p);
    QVERIFY2(p->scriptsStopped().contains(reason), qPrintable(p->scriptsStopped()));
    p->advance();
    p->advance();
    QCOMPARE(p->currentFrame(), 3);
    QVERIFY(lines.isEmpty());
}

void TestScript::scriptLimitsRaiseRecursion()
{
    // function f(n) { if (n > 0) f(n - 1) } f(400); trace("done")
    const W body = W().push({0, QStringLiteral("n")}).op(GetVariable).op(Less2).op(Not)
                       .branch(If, QStringLiteral("end"))
                       .push({QStringLiteral("n")}).op(GetVariable).push({1}).op(0x0B /* Subtract */)
                       .push({1, QStringLiteral("f")}).op(CallFunction).op(Pop).label(QStringLiteral("end"));
    const QByteArray code = W().defineFunction(QStringLiteral("f"), {QStringLiteral("n")}, body)
                                .push({400, 1, QStringLiteral("f")}).op(CallFunction).op(Pop)
                                .traceValue(QStringLiteral("done")).bytes();
    QString stopped;
    QCOMPARE(traceOf(7, code, 1, &stopped), QStringList());
    QCOMPARE(stopped, QStringLiteral("recursion"));

    MovieBuilder b(7);
    QByteArray limits;
    limits.append(char(0xF4)).append(char(0x01)); // 500 calls deep
    limits.append(char(15)).append(char(0));       // 15 seconds
    b.tag(65, limits).actions(code).showFrame().end();
    QStringList lines;
    auto p = swf::Player::fromBytes(b.build(), nullptr, [&lines](const QString &l) { lines << l; });
    QVERIFY(p);
    QCOMPARE(lines, QStringList{QStringLiteral("done")});
}

void TestScript::buttonActionsRunOnTheirTimeline()
{
    MovieBuilder b(7);
    b.actions(MovieBuilder::stop()).showFrame().showFrame();
    b.actions(W().push({QStringLiteral("this")}).op(GetVariable).trace().bytes()).showFrame().end();
    QStringList lines;
    auto p = swf::Player::fromBytes(b.build(), nullptr, [&lines](const QString &l) { lines << l; });
    QVERIFY(p);
    // gotoAndStop(3), then trace(_currentframe): the jump acts at once,
    // the frame's own actions run after the list.
    const QByteArray code = W().push({3}).record(0x9F /* GotoFrame2, stop */, QByteArray(1, '\0'))
                                .push({QStringLiteral("_currentframe")}).op(GetVariable).trace().bytes();
    p->runActions(const_cast<swf::Clip &>(p->rootClip()), code);
    QCOMPARE(p->currentFrame(), 3);
    QCOMPARE(lines, (QStringList{QStringLiteral("3"), QStringLiteral("_level0")}));
    p->advance();
    QCOMPARE(p->currentFrame(), 3);
}

void TestScript::soundObject_data()
{
    QTest::addColumn<QByteArray>("after");   // what runs after start()
    QTest::addColumn<int>("level");          // the mix's first sample
    // s = new Sound(); s.attachSound("tone"); s.setVolume(50); s.start()
    QTest::newRow("half volume") << QByteArray() << 500;
    QTest::newRow("stopped") << W().push({0, QStringLiteral("s")}).op(GetVariable).push({QStringLiteral("stop")})
                                    .op(CallMethod).bytes()
                             << 0;
    QTest::newRow("StopSounds") << W().op(0x09).bytes() << 0;
}

void TestScript::soundObject()
{
    QFETCH(QByteArray, after);
    QFETCH(int, level);
    const auto call = [](const QString &method, const QVariantList &args) {
        W w;
        QVariantList pushed = args;
        std::reverse(pushed.begin(), pushed.end());
        pushed << int(args.size()) << QStringLiteral("s");
        return w.push(pushed).op(GetVariable).push({method}).op(CallMethod).op(Pop).bytes();
    };
    const QByteArray code = W().push({QStringLiteral("s"), 0, QStringLiteral("Sound")}).op(NewObject)
                                .op(SetVariable).bytes()
        + call(QStringLiteral("attachSound"), {QStringLiteral("tone")})
        + call(QStringLiteral("setVolume"), {50}) + call(QStringLiteral("start"), {}) + after;
    MovieBuilder b(7);
    QByteArray samples;
    for (int i = 0; i < 4410; ++i)
        samples.append(char(1000 & 0xff)).append(char(1000 >> 8));
    b.defineSound(1, (3 << 4) | (3 << 2) | 2, 4410, samples);
    QByteArray exports;
    exports.append(char(1)).append(char(0)).append(char(1)).append(char(0)).append("tone").append('\0');
    b.tag(56, exports).actions(code).showFrame().end();
    auto p = swf::Player::fromBytes(b.build());
    QVERIFY(p);
    std::int16_t mix[2 * 64];
    p->mixSound(mix, 64);
    QVERIFY2(std::abs(mix[10] - level) <= 1, qPrintable(QString::number(mix[10])));
}

void TestScript::collectorFreesCycles()
{
    using namespace swf::script;
    Heap heap;
    Object *kept = heap.make<Object>(nullptr);
    // Two objects pointing at each other, and one the kept object holds.
    Object *a = heap.make<Object>(nullptr);
    Object *b = heap.make<Object>(a);
    a->setPrototype(b);
    Object *held = heap.make<Object>(nullptr);
    kept->setPrototype(held);
    QCOMPARE(heap.cells(), std::size_t(4));
    heap.collect([kept](Tracer &t) { t.mark(kept); });
    QCOMPARE(heap.cells(), std::size_t(2));
    QCOMPARE(kept->prototype(), held);
    heap.collect([](Tracer &) {});
    QCOMPARE(heap.cells(), std::size_t(0));
}

QTEST_MAIN(TestScript)
#include "tst_script.moc"
