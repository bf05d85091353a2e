#include "App.h"
#include "Form.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <thread>

using namespace platform;

// The single-copy rule across processes. The test binary plays the other
// copies itself: "hold NAME" takes the lock and waits to be killed,
// "check NAME" reports on stdout whether another copy holds it.
class TestPrevInstance : public QObject
{
    Q_OBJECT
private:
    QString m_name;
    // The environment of the copies the test starts.
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();

    QString runCheck()
    {
        QProcess check;
        check.setProcessEnvironment(m_environment);
        check.start(QCoreApplication::applicationFilePath(), {QStringLiteral("check"), m_name});
        if (!check.waitForFinished(20000))
            return QStringLiteral("timeout");
        return QString::fromLatin1(check.readAllStandardOutput()).trimmed();
    }

    void startHolder(QProcess &holder)
    {
        holder.setProcessEnvironment(m_environment);
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("hold"), m_name});
        QVERIFY(holder.waitForReadyRead(20000));
        QCOMPARE(QString::fromLatin1(holder.readLine()).trimmed(), QStringLiteral("held"));
    }

private slots:
    void init()
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_name = QStringLiteral("ambrelia-test-%1-%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(QTest::currentTestFunction());
    }

    void secondCopyIsRefused()
    {
        QProcess holder;
        startHolder(holder);
        QCOMPARE(runCheck(), QStringLiteral("running"));
        QCOMPARE(runCheck(), QStringLiteral("running"));
        holder.kill();
        QVERIFY(holder.waitForFinished(20000));
        // The next copy takes over the lock of the killed one (and removes
        // its file when it ends).
        QCOMPARE(runCheck(), QStringLiteral("alone"));
    }

    void killedHolderLeavesNothingBehind()
    {
        QProcess holder;
        startHolder(holder);
        QCOMPARE(runCheck(), QStringLiteral("running"));
        ::kill(pid_t(holder.processId()), SIGKILL);
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(holder.exitStatus(), QProcess::CrashExit);
        QCOMPARE(runCheck(), QStringLiteral("alone"));
    }

    void lockFolderThatTakesNoFile_data()
    {
        QTest::addColumn<QString>("folder");
        // Nobody, root included, can make a file in these.
        QTest::newRow("proc") << QStringLiteral("/proc");
        QTest::newRow("sys") << QStringLiteral("/sys");
        QTest::newRow("a file, not a folder") << QStringLiteral("/dev/null");
    }

    // A temporary folder where the lock file cannot be written does not
    // stop the game, and still lets one copy run at a time.
    void lockFolderThatTakesNoFile()
    {
        QFETCH(QString, folder);
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder);
        m_environment.insert(QStringLiteral("TMPDIR"), folder);
        QProcess holder;
        startHolder(holder);
        QCOMPARE(runCheck(), QStringLiteral("running"));
        ::kill(pid_t(holder.processId()), SIGKILL);
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(runCheck(), QStringLiteral("alone"));
    }

    void endStopsAtOnce()
    {
        QProcess copy;
        copy.start(QCoreApplication::applicationFilePath(), {QStringLiteral("end"), m_name});
        QVERIFY(copy.waitForFinished(20000));
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.exitCode(), 3);
        // Written before End; nothing of the window's closing after it.
        QCOMPARE(QString::fromLatin1(copy.readAllStandardOutput()).trimmed(), QStringLiteral("ending"));
        // Its lock went with it.
        QCOMPARE(runCheck(), QStringLiteral("alone"));
    }

    void ownLockIsNoOtherCopy()
    {
        QVERIFY(!App::PrevInstance(m_name));
        QVERIFY(!App::PrevInstance(m_name));
        QCOMPARE(runCheck(), QStringLiteral("running"));
    }

    void pathIsTheProgramsFolder()
    {
        const QString path = App::Path();
        QVERIFY(!path.endsWith(QLatin1Char('/')));
        QCOMPARE(path, QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath());
        QVERIFY(QFileInfo::exists(path + QStringLiteral("/tst_previnstance")));
        App::overridePath(QStringLiteral("/tmp/altrove/"));
        QCOMPARE(App::Path(), QStringLiteral("/tmp/altrove"));
        App::overridePath(QString());
        QCOMPARE(App::Path(), path);
    }

    void versionRecord()
    {
        App::setUpVersionRecord();
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Ambrelia"));
        // Qt appends a display name to every window title; the program sets none.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Ambrelia"));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.example.ambrelia"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.00"));
        QVERIFY(QCoreApplication::organizationName().isEmpty());
    }
};

namespace {
// A window that reports its own closing, which End must not bring about.
class NoisyForm : public Form
{
protected:
    void closeEvent(QCloseEvent *event) override
    {
        std::printf("closed\n");
        Form::closeEvent(event);
    }
};
} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "end") == 0) {
        QApplication app(argc, argv);
        if (App::PrevInstance(QString::fromLocal8Bit(argv[2])))
            return 1;
        NoisyForm form;
        form.Show();
        QTimer::singleShot(50, [] {
            std::printf("ending\n");
            App::End(3);
        });
        return app.exec();
    }
    if (argc == 3 && (qstrcmp(argv[1], "hold") == 0 || qstrcmp(argv[1], "check") == 0)) {
        QCoreApplication app(argc, argv);
        const bool other = App::PrevInstance(QString::fromLocal8Bit(argv[2]));
        if (qstrcmp(argv[1], "check") == 0) {
            std::printf("%s\n", other ? "running" : "alone");
            return 0;
        }
        std::printf("%s\n", other ? "refused" : "held");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    QApplication app(argc, argv);
    TestPrevInstance test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_previnstance.moc"
