#include "ScratchFolder.h"
#include "Picture.h"
#include "ToolkitError.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace platform;

namespace {
// The smallest GIF: one red pixel.
const QByteArray OneRedPixel = QByteArray::fromHex(
    "474946383961010001008000" "00ff0000000000"
    "2c00000000010001000002024401003b");

int errorOf(const QString &path)
{
    try {
        LoadPicture(path);
    } catch (const ToolkitError &error) {
        return error.number();
    }
    return 0;
}
} // namespace

// LoadPicture and the shared picture object.
class TestPicture : public QObject
{
    Q_OBJECT
private:
    ScratchFolder m_dir;

private slots:
    void loadsAGif()
    {
        const Picture picture = LoadPicture(m_dir.write(QStringLiteral("scena1.gif"), OneRedPixel));
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.image().size(), QSize(1, 1));
        QCOMPARE(QColor(picture.image().pixel(0, 0)), QColor(Qt::red));
    }

    void errors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error");
        QTest::newRow("missing") << QString() << QByteArray() << 53;
        QTest::newRow("text") << "nota.gif" << QByteArray("non sono una figura") << 481;
        QTest::newRow("empty file") << "vuota.gif" << QByteArray() << 481;
        QTest::newRow("truncated gif") << "rotta.gif" << OneRedPixel.left(14) << 481;
    }
    void errors()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        const QString path = name.isEmpty() ? m_dir.filePath(QStringLiteral("manca.gif")) : m_dir.write(name, bytes);
        QCOMPARE(errorOf(path), error);
    }

    void folderIsNoPicture()
    {
        QCOMPARE(errorOf(m_dir.path()), 481);
    }

    // Nothing that is not a plain file is opened: a pipe would wait for a
    // writer for ever, a device never end.
    void specialFilesAreNoPicture()
    {
        const QString pipe = m_dir.filePath(QStringLiteral("tubo1.gif"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QCOMPARE(errorOf(pipe), 481);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_dir.filePath(QStringLiteral("zeri1.gif"))));
        QCOMPARE(errorOf(m_dir.filePath(QStringLiteral("zeri1.gif"))), 481);
    }

    void emptyPathIsNoPicture()
    {
        QVERIFY(LoadPicture(QString()).isNull());
    }

    void copiesShareTheImage()
    {
        const Picture first = LoadPicture(m_dir.write(QStringLiteral("a.gif"), OneRedPixel));
        const Picture copy = first;
        QVERIFY(copy == first);
        QCOMPARE(copy.image().constBits(), first.image().constBits());
        // Another load of the same file is another object.
        const Picture again = LoadPicture(m_dir.filePath(QStringLiteral("a.gif")));
        QVERIFY(again != first);
        QVERIFY(Picture() == Picture());
        QVERIFY(Picture().image().isNull());
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
