#include "App.h"
#include "MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>

using namespace platform;

// Message boxes: preset answers for tests, and the real modal box with
// Qt's own Italian button texts.
class TestMessageBox : public QObject
{
    Q_OBJECT
private:
    // Answers the next real box by clicking the button whose text (without
    // its mnemonic) is `text`, after writing down what the box showed.
    void answerWith(const QString &text)
    {
        QTimer::singleShot(100, this, [this, text] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            m_seenTitle = box->windowTitle();
            m_seenText = box->text();
            m_seenIcon = box->icon();
            m_seenButtons.clear();
            QAbstractButton *chosen = nullptr;
            for (QAbstractButton *button : box->buttons()) {
                const QString plain = button->text().remove(QLatin1Char('&'));
                m_seenButtons << plain;
                if (plain == text)
                    chosen = button;
            }
            if (chosen)
                chosen->click();
            else
                box->reject();
        });
    }

    QString m_seenTitle;
    QString m_seenText;
    QMessageBox::Icon m_seenIcon = QMessageBox::NoIcon;
    QStringList m_seenButtons;

private slots:
    void initTestCase()
    {
        App::setUpLocale();
    }

    void localeAndFonts()
    {
        QCOMPARE(QLocale().language(), QLocale::Italian);
        QCOMPARE(QFont::substitute(QStringLiteral("Arial")).toLower(), QStringLiteral("Liberation Sans").toLower());
        QCOMPARE(QFont::substitute(QStringLiteral("MS Sans Serif")).toLower(), QStringLiteral("Liberation Sans").toLower());
        QCOMPARE(QFont::substitute(QStringLiteral("Comic Sans MS")).toLower(), QStringLiteral("Comic Neue").toLower());
    }

    void presetAnswerIsTakenOnce()
    {
        const int before = MessageBox::shownCount();
        MessageBox::setNextAnswer(MessageBox::ResultYes);
        QCOMPARE(MessageBox::MsgBox(QStringLiteral("Vuoi uscire dal programma?"), 36, QStringLiteral("L'Ambrelia")),
                 MessageBox::ResultYes);
        QCOMPARE(MessageBox::shownCount(), before + 1);
        QCOMPARE(MessageBox::lastShown().prompt, QStringLiteral("Vuoi uscire dal programma?"));
        QCOMPARE(MessageBox::lastShown().flags, 36);
        QCOMPARE(MessageBox::lastShown().title, QStringLiteral("L'Ambrelia"));

        MessageBox::setResponder([](const MessageBox::Shown &shown) {
            return shown.flags == 36 ? MessageBox::ResultNo : MessageBox::ResultOk;
        });
        QCOMPARE(MessageBox::MsgBox(QStringLiteral("?"), 36, QString()), MessageBox::ResultNo);
        QCOMPARE(MessageBox::MsgBox(QStringLiteral("!"), 64, QString()), MessageBox::ResultOk);
        QCOMPARE(MessageBox::shownCount(), before + 3);
        MessageBox::setResponder(nullptr);
    }

    void italianYesNo_data()
    {
        QTest::addColumn<QString>("click");
        QTest::addColumn<int>("result");
        QTest::newRow("Sì") << QStringLiteral("Sì") << 6;
        QTest::newRow("No") << QStringLiteral("No") << 7;
    }
    void italianYesNo()
    {
        QFETCH(QString, click);
        QFETCH(int, result);
        answerWith(click);
        const int answer = MessageBox::MsgBox(QStringLiteral("Vuoi uscire dal programma?"), 36,
                                              QStringLiteral("L'Ambrelia"));
        QCOMPARE(m_seenButtons, (QStringList{QStringLiteral("Sì"), QStringLiteral("No")}));
        QCOMPARE(m_seenIcon, QMessageBox::Question);
        QCOMPARE(m_seenTitle, QStringLiteral("L'Ambrelia"));
        QCOMPARE(answer, result);
    }

    void errorBox()
    {
        answerWith(QStringLiteral("OK"));
        const QString prompt = QStringLiteral("E' già stata avviata una copia di questo programma!");
        QCOMPARE(MessageBox::MsgBox(prompt, 16, QStringLiteral("Error")), MessageBox::ResultOk);
        QCOMPARE(m_seenIcon, QMessageBox::Critical);
        QCOMPARE(m_seenText, prompt);
        QCOMPARE(m_seenButtons.size(), 1);
    }

    void informationBoxClosedWithoutButton()
    {
        answerWith(QString());
        QCOMPARE(MessageBox::MsgBox(QStringLiteral("info"), 64, QStringLiteral("L'Ambrelia")), MessageBox::ResultOk);
        QCOMPARE(m_seenIcon, QMessageBox::Information);
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
