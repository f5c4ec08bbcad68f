// The five message boxes and the general box they share, and dragging
// frameless windows with WinMovable.
#include "app/messageboxes.h"
#include "app/modalanswers.h"
#include "app/winmovable.h"

#include <QAbstractButton>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

class MessageBoxesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void boxes_data();
    void boxes();
    void generalBox();
    void buttonsAddedInFixedOrder();
    void questionIsTrueOnlyForYes_data();
    void questionIsTrueOnlyForYes();
    void textIsNeverRichText();
    void drag_data();
    void drag();
    void messageBoxCanBeDragged();

private:
    QTranslator m_translator;
};

void MessageBoxesTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void MessageBoxesTest::boxes_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("shownText");
    const QString detail = QStringLiteral("no such table: data");
    QTest::newRow("question") << 0 << int(QMessageBox::Question) << int(QMessageBox::Yes | QMessageBox::No)
                              << QStringLiteral("Confirm?");
    QTest::newRow("warning") << 1 << int(QMessageBox::Warning) << int(QMessageBox::Ok) << QStringLiteral("Confirm?");
    QTest::newRow("information") << 2 << int(QMessageBox::Information) << int(QMessageBox::Ok)
                                 << QStringLiteral("Confirm?");
    QTest::newRow("critical") << 3 << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                              << QStringLiteral("Confirm?");
    QTest::newRow("error") << 4 << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                           << QStringLiteral("An Error Occurred. Please contact our support team at "
                                             "support@quillmarrow.example for help.\n\nError info: \"%1\"")
                                  .arg(detail);
}

void MessageBoxesTest::boxes()
{
    QFETCH(int, which);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(QString, shownText);
    ModalAnswers answers;
    answers.answerMessageBox(QMessageBox::Ok);
    const QString text = QStringLiteral("Confirm?");
    switch (which) {
    case 0:
        QVERIFY(!askQuestion(text));
        break;
    case 1:
        showWarning(text);
        break;
    case 2:
        showInformation(text);
        break;
    case 3:
        showCritical(text);
        break;
    case 4:
        showError(QStringLiteral("no such table: data"));
        break;
    }
    QCOMPARE(answers.messageBoxes().size(), 1);
    const auto &box = answers.messageBoxes().first();
    QCOMPARE(int(box.icon), icon);
    QCOMPARE(int(box.buttons.toInt()), buttons);
    QCOMPARE(box.text, shownText);
    QCOMPARE(box.title, QStringLiteral("Quillmarrow"));
}

void MessageBoxesTest::generalBox()
{
    ModalAnswers answers;
    bool checked = false;
    answers.answerMessageBox([&checked](QMessageBox &box) {
        checked = true;
        [&] {
            QVERIFY(box.windowFlags().testFlag(Qt::FramelessWindowHint));
            QCOMPARE(box.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
            QCOMPARE(box.parent(), nullptr);
            QVERIFY(box.styleSheet().contains(QStringLiteral("QMessageBox")));
            QVERIFY(box.findChild<WinMovable *>());
        }();
        return QMessageBox::Cancel;
    });
    QCOMPARE(showMessageBox(QMessageBox::Warning, QStringLiteral("text"), QMessageBox::Ok | QMessageBox::Cancel),
             QMessageBox::Cancel);
    QVERIFY(checked);
}

void MessageBoxesTest::buttonsAddedInFixedOrder()
{
    ModalAnswers answers;
    QList<QMessageBox::StandardButton> order;
    answers.answerMessageBox([&order](QMessageBox &box) {
        // The buttons are created as they are added; the dialog button box
        // lays them out in the platform's own order.
        const QList<QPushButton *> buttons = box.findChildren<QPushButton *>();
        for (QPushButton *button : buttons)
            order << box.standardButton(button);
        return QMessageBox::Ok;
    });
    showMessageBox(QMessageBox::Question, QStringLiteral("text"),
                   QMessageBox::Cancel | QMessageBox::Ok | QMessageBox::No | QMessageBox::Yes);
    QCOMPARE(order, (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok,
                                                         QMessageBox::Cancel}));
}

void MessageBoxesTest::questionIsTrueOnlyForYes_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("expected");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
    QTest::newRow("closed otherwise") << int(QMessageBox::NoButton) << false;
}

void MessageBoxesTest::questionIsTrueOnlyForYes()
{
    QFETCH(int, answer);
    QFETCH(bool, expected);
    // Through the real box: its button is clicked while it is shown.
    ModalAnswers answers;
    answers.answerMessageBox([answer](QMessageBox &box) {
        QTimer::singleShot(0, &box, [&box, answer] {
            if (answer == QMessageBox::NoButton)
                box.done(QMessageBox::NoButton);
            else
                box.button(QMessageBox::StandardButton(answer))->click();
        });
        return QMessageBox::StandardButton(box.exec());
    });
    QCOMPARE(askQuestion(QStringLiteral("Confirm to delete the Group?")), expected);
}

void MessageBoxesTest::textIsNeverRichText()
{
    ModalAnswers answers;
    Qt::TextFormat format = Qt::RichText;
    answers.answerMessageBox([&format](QMessageBox &box) {
        format = box.textFormat();
        return QMessageBox::Ok;
    });
    showWarning(QStringLiteral("<b>Ann</b> <img src=x>"));
    QCOMPARE(format, Qt::PlainText);
}

void MessageBoxesTest::drag_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("moved");
    QTest::newRow("left button drags") << int(Qt::LeftButton) << QPoint(20, 15);
    QTest::newRow("right button does not") << int(Qt::RightButton) << QPoint(0, 0);
    QTest::newRow("middle button does not") << int(Qt::MiddleButton) << QPoint(0, 0);
}

void MessageBoxesTest::drag()
{
    QFETCH(int, button);
    QFETCH(QPoint, moved);
    QDialog dialog;
    dialog.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog.resize(200, 100);
    new WinMovable(&dialog);
    dialog.move(100, 100);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();

    QTest::mousePress(&dialog, Qt::MouseButton(button), {}, QPoint(10, 10));
    QTest::mouseMove(&dialog, QPoint(30, 25));
    QTRY_COMPARE(dialog.pos(), start + moved);
    QTest::mouseRelease(&dialog, Qt::MouseButton(button), {}, QPoint(30, 25));

    // After the release, moving the mouse moves nothing.
    const QPoint afterRelease = dialog.pos();
    QTest::mouseMove(&dialog, QPoint(60, 60));
    QTest::qWait(20);
    QCOMPARE(dialog.pos(), afterRelease);
}

void MessageBoxesTest::messageBoxCanBeDragged()
{
    ModalAnswers answers;
    QPoint moved;
    answers.answerMessageBox([&moved](QMessageBox &box) {
        box.move(200, 200);
        box.show();
        if (!QTest::qWaitForWindowExposed(&box))
            return QMessageBox::NoButton;
        const QPoint start = box.pos();
        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(&box, QPoint(45, 35));
        QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(45, 35));
        moved = box.pos() - start;
        return QMessageBox::Ok;
    });
    showInformation(QStringLiteral("Successfully deleted contact."));
    QCOMPARE(moved, QPoint(40, 30));
}

QTEST_MAIN(MessageBoxesTest)
#include "messageboxestest.moc"
