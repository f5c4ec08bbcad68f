// The hook through which tests answer the program's modal questions: every
// kind of question is answered without waiting, and what was asked is kept.
#include "app/modal.h"
#include "app/modalanswers.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class ModalAnswersTest : public QObject
{
    Q_OBJECT

private slots:
    void unansweredMessageBoxes_data();
    void unansweredMessageBoxes();
    void queuedAnswersAreUsedInOrder();
    void dialogs();
    void liveDialogThatNobodyClosesTimesOut();
    void fileQuestions_data();
    void fileQuestions();
    void menus();
    void nesting();
};

void ModalAnswersTest::unansweredMessageBoxes_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("problem");
    QTest::newRow("OK only") << int(QMessageBox::Ok) << int(QMessageBox::Ok) << false;
    QTest::newRow("Yes and No") << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::No) << true;
    QTest::newRow("OK and Cancel") << int(QMessageBox::Ok | QMessageBox::Cancel) << int(QMessageBox::Cancel)
                                   << true;
}

void ModalAnswersTest::unansweredMessageBoxes()
{
    QFETCH(int, buttons);
    QFETCH(int, answer);
    QFETCH(bool, problem);
    ModalAnswers answers;
    QMessageBox box;
    box.setText(QStringLiteral("text"));
    box.setStandardButtons(QMessageBox::StandardButtons(buttons));
    QCOMPARE(int(modal::execMessageBox(box)), answer);
    QCOMPARE(answers.messageBoxes().size(), 1);
    QCOMPARE(int(answers.messageBoxes().first().answer), answer);
    QCOMPARE(!answers.problems().isEmpty(), problem);
}

void ModalAnswersTest::queuedAnswersAreUsedInOrder()
{
    ModalAnswers answers;
    answers.answerMessageBox(QMessageBox::Yes);
    answers.answerMessageBox(QMessageBox::No);
    answers.answerMessageBox(QMessageBox::Yes);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(modal::execMessageBox(box), QMessageBox::Yes);
    QCOMPARE(modal::execMessageBox(box), QMessageBox::No);
    QCOMPARE(answers.unusedAnswers(), 1);
    QCOMPARE(modal::execMessageBox(box), QMessageBox::Yes);
    QCOMPARE(answers.unusedAnswers(), 0);
    QVERIFY(answers.problems().isEmpty());
}

void ModalAnswersTest::dialogs()
{
    ModalAnswers answers;
    QDialog chooser;
    chooser.setObjectName(QStringLiteral("LocalDbSelForm"));
    QSignalSpy finished(&chooser, &QDialog::finished);

    answers.answerDialog(QDialog::Accepted);
    QCOMPARE(modal::execDialog(chooser), int(QDialog::Accepted));
    QCOMPARE(chooser.result(), int(QDialog::Accepted));
    answers.answerDialog([](QDialog &dialog) {
        dialog.accept();
        return dialog.result();
    });
    QCOMPARE(modal::execDialog(chooser), int(QDialog::Accepted));
    QVERIFY(answers.problems().isEmpty());

    // Nothing queued: rejected, as if the user had cancelled.
    QCOMPARE(modal::execDialog(chooser), int(QDialog::Rejected));
    QCOMPARE(chooser.result(), int(QDialog::Rejected));
    QCOMPARE(finished.size(), 3);
    QCOMPARE(finished.last().first().toInt(), int(QDialog::Rejected));
    QCOMPARE(answers.dialogs(), QStringList(3, QStringLiteral("LocalDbSelForm")));
    QCOMPARE(answers.problems().size(), 1);
}

void ModalAnswersTest::liveDialogThatNobodyClosesTimesOut()
{
    ModalAnswers answers;
    answers.setLiveTimeLimit(100);
    QDialog dialog;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(modal::execLiveDialog(dialog), int(QDialog::Rejected));
    QVERIFY(clock.elapsed() >= 90);
    QCOMPARE(answers.problems().size(), 1);

    // One that the program closes itself runs its own loop and is no problem.
    QTimer::singleShot(10, &dialog, &QDialog::accept);
    QCOMPARE(modal::execLiveDialog(dialog), int(QDialog::Accepted));
    QCOMPARE(answers.problems().size(), 1);
}

void ModalAnswersTest::fileQuestions_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("save") << true;
    QTest::newRow("open") << false;
}

void ModalAnswersTest::fileQuestions()
{
    QFETCH(bool, save);
    ModalAnswers answers;
    answers.answerFile(QStringLiteral("/tmp/list"), QStringLiteral("CSV Files(*.csv)"));
    const QString filters = QStringLiteral("VCard Files(*.vcf);;CSV Files(*.csv)");
    QString selected;
    auto ask = [&] {
        return save ? modal::askSaveFileName(nullptr, QString(), QStringLiteral("/home/x/contacts"), filters, &selected)
                    : modal::askOpenFileName(nullptr, QString(), QStringLiteral("/home/x/contacts"), filters, &selected);
    };
    QCOMPARE(ask(), QStringLiteral("/tmp/list"));
    QCOMPARE(selected, QStringLiteral("CSV Files(*.csv)"));
    QCOMPARE(answers.fileQuestions().size(), 1);
    QCOMPARE(answers.fileQuestions().first().save, save);
    QCOMPARE(answers.fileQuestions().first().proposed, QStringLiteral("/home/x/contacts"));
    QCOMPARE(answers.fileQuestions().first().filter, filters);
    QVERIFY(answers.problems().isEmpty());

    // Nothing queued: the user cancelled.
    QCOMPARE(ask(), QString());
    QCOMPARE(answers.problems().size(), 1);
}

void ModalAnswersTest::menus()
{
    ModalAnswers answers;
    QMenu menu;
    QAction *first = menu.addAction(QStringLiteral("first"));
    QAction *second = menu.addAction(QStringLiteral("second"));
    answers.answerMenu([second](QMenu &shown) {
        return shown.actions().contains(second) ? second : nullptr;
    });
    QCOMPARE(modal::execMenu(menu, QPoint(10, 10)), second);
    QCOMPARE(modal::execMenu(menu, QPoint(10, 10)), nullptr);
    QCOMPARE(answers.menusShown(), 2);
    QCOMPARE(answers.problems().size(), 1);
    Q_UNUSED(first)
}

void ModalAnswersTest::nesting()
{
    QCOMPARE(ModalAnswers::active(), nullptr);
    ModalAnswers outer;
    outer.answerMessageBox(QMessageBox::Yes);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    {
        ModalAnswers inner;
        QCOMPARE(ModalAnswers::active(), &inner);
        QCOMPARE(modal::execMessageBox(box), QMessageBox::No);
        QCOMPARE(inner.messageBoxes().size(), 1);
    }
    QCOMPARE(ModalAnswers::active(), &outer);
    QCOMPARE(modal::execMessageBox(box), QMessageBox::Yes);
    QCOMPARE(outer.messageBoxes().size(), 1);
}

QTEST_MAIN(ModalAnswersTest)
#include "modalanswerstest.moc"
