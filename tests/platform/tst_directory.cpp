#include "Directory.h"
#include "ToolkitError.h"

#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace platform;

namespace {
QStringList listAll(const QString &pattern, int attributes)
{
    QStringList names;
    for (QString name = Directory::Dir(pattern, attributes); !name.isEmpty(); name = Directory::Dir())
        names << name;
    return names;
}

int errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const ToolkitError &error) {
        return error.number();
    }
    return 0;
}
} // namespace

// Dir(pattern, attributes) and Dir(): the content scan's directory listing.
class TestDirectory : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_root;
    QString m_gif;

    void touch(const QString &name)
    {
        QFile file(m_gif + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_gif = m_root.filePath(QStringLiteral("gif"));
        QVERIFY(QDir().mkpath(m_gif));
        touch(QStringLiteral("1.swf"));
        touch(QStringLiteral("2.SWF"));
        touch(QStringLiteral("nota.txt"));
        touch(QStringLiteral("film.swf.bak"));
        touch(QStringLiteral(".swf"));
        QVERIFY(QDir(m_gif).mkdir(QStringLiteral("1")));
        QVERIFY(QDir(m_gif).mkdir(QStringLiteral("3.swf")));
        QVERIFY(QDir(m_gif).mkdir(QStringLiteral("[a]")));
    }

    void matching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("movies, any letter case, folders too")
            << "*.swf" << 16 << QStringList{".swf", "1.swf", "2.SWF", "3.swf"};
        QTest::newRow("files only") << "*.swf" << 0 << QStringList{".swf", "1.swf", "2.SWF"};
        QTest::newRow("pattern in capitals") << "*.SWF" << 0 << QStringList{".swf", "1.swf", "2.SWF"};
        QTest::newRow("question mark") << "?.swf" << 16 << QStringList{"1.swf", "2.SWF", "3.swf"};
        QTest::newRow("everything with folders")
            << "*" << 16
            << QStringList{".", "..", ".swf", "1", "1.swf", "2.SWF", "3.swf", "[a]", "film.swf.bak", "nota.txt"};
        QTest::newRow("star dot star is everything")
            << "*.*" << 0 << QStringList{".swf", "1.swf", "2.SWF", "film.swf.bak", "nota.txt"};
        QTest::newRow("brackets are plain characters") << "[a]" << 16 << QStringList{"[a]"};
        QTest::newRow("exact name") << "NOTA.TXT" << 0 << QStringList{"nota.txt"};
        QTest::newRow("no match") << "*.gif" << 16 << QStringList{};
    }
    void matching()
    {
        QFETCH(QString, pattern);
        QFETCH(int, attributes);
        QFETCH(QStringList, expected);
        QStringList names = listAll(m_gif + QLatin1Char('/') + pattern, attributes);
        // Every entry once; the order is the file system's own.
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);
    }

    void orderIsTheFileSystems()
    {
        // The same listing twice gives the same order, whatever it is.
        QCOMPARE(listAll(m_gif + QStringLiteral("/*"), 16), listAll(m_gif + QStringLiteral("/*"), 16));
    }

    void backslashSeparator()
    {
        QStringList names = listAll(m_gif + QStringLiteral("\\*.swf"), 0);
        names.sort();
        QCOMPARE(names, (QStringList{".swf", "1.swf", "2.SWF"}));
    }

    void missingFolderGivesNothing()
    {
        QCOMPARE(Directory::Dir(m_root.filePath(QStringLiteral("manca/*.swf")), 16), QString());
        // A file where the folder should be is no folder either.
        QCOMPARE(Directory::Dir(m_gif + QStringLiteral("/nota.txt/*"), 16), QString());
    }

    void unreadableFolderRaises76()
    {
        // A link that points to itself exists but cannot be opened, for
        // every user, root included.
        const QString loop = m_root.filePath(QStringLiteral("anello"));
        QVERIFY(QFile::link(loop, loop));
        QCOMPARE(errorOf([&] { Directory::Dir(loop + QStringLiteral("/*.swf"), 16); }), 76);
        // After a failed listing there is nothing to continue.
        QCOMPARE(errorOf([] { Directory::Dir(); }), 5);
    }

    void folderWithoutPermission()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every folder whatever its permissions; the link loop above covers 76");
        const QString locked = m_root.filePath(QStringLiteral("chiusa"));
        QVERIFY(QDir().mkdir(locked));
        QFile::setPermissions(locked, QFileDevice::Permissions());
        const int error = errorOf([&] { Directory::Dir(locked + QStringLiteral("/*"), 16); });
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(error, 76);
    }

    void continuingWithoutAListing()
    {
        listAll(m_gif + QStringLiteral("/*.swf"), 16);
        // The listing ended with "": a further Dir() is a misuse.
        QCOMPARE(errorOf([] { Directory::Dir(); }), 5);
        QCOMPARE(Directory::Dir(m_gif + QStringLiteral("/nota.txt"), 0), QStringLiteral("nota.txt"));
        QCOMPARE(Directory::Dir(), QString());
    }
};

QTEST_MAIN(TestDirectory)
#include "tst_directory.moc"
