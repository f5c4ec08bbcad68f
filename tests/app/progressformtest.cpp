// The progress form, the task runner that shows it while a job runs, and the
// three job reports crossing from the job's thread.
#include "app/modalanswers.h"
#include "app/progressform.h"
#include "app/taskrunner.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <functional>

namespace {

// A job whose body is given by the test; it reports through the JobProgress
// it was constructed with, from its own thread.
class ScriptedJob : public QThread
{
public:
    ScriptedJob(JobProgress progress, std::function<void(const JobProgress &)> body)
        : m_progress(progress)
        , m_body(std::move(body))
    {
    }

protected:
    void run() override { m_body(m_progress); }

private:
    JobProgress m_progress;
    std::function<void(const JobProgress &)> m_body;
};

template <typename T>
T *child(QWidget &form, const char *name)
{
    return form.findChild<T *>(QLatin1String(name));
}

} // namespace

class ProgressFormTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formLayout();
    void updateProgress_data();
    void updateProgress();
    void onFinishMirrorsResult_data();
    void onFinishMirrorsResult();
    void successReport_data();
    void successReport();
    void errorReportShowsBoxBeforeClosing();
    void cancelClosesAtOnceAndStopsTheJob();
    void escapeCancels();
    void reportsArriveInOrder();

private:
    QTranslator m_translator;
};

void ProgressFormTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void ProgressFormTest::formLayout()
{
    ProgressForm form(QStringLiteral("Loading Contacts from Device"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Loading Contacts from Device"));
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(form.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(form.styleSheet().contains(QStringLiteral("#ProgressForm")));
    QCOMPARE(form.size(), QSize(350, 122));
    QVERIFY(!form.isCancelled());

    auto *status = child<QLabel>(form, "lbStatus");
    auto *bar = child<QProgressBar>(form, "progressBar");
    auto *progress = child<QLabel>(form, "lbProgress");
    auto *cancel = child<QPushButton>(form, "btnCancel");
    QVERIFY(status && bar && progress && cancel);
    QCOMPARE(status->geometry(), QRect(20, 20, 311, 16));
    QCOMPARE(bar->geometry(), QRect(20, 40, 321, 23));
    QCOMPARE(progress->geometry(), QRect(25, 70, 281, 20));
    QCOMPARE(cancel->geometry(), QRect(130, 90, 75, 23));
    QCOMPARE(status->text(), QString());
    QCOMPARE(progress->text(), QString());
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->isTextVisible());
    QCOMPARE(progress->alignment(), Qt::AlignCenter);
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
}

void ProgressFormTest::updateProgress_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shownText");
    QTest::newRow("empty text shows the percentage") << QStringLiteral("Backing up") << 40 << QString()
                                                     << QStringLiteral("Progress:40%");
    QTest::newRow("zero") << QString() << 0 << QString() << QStringLiteral("Progress:0%");
    QTest::newRow("full") << QStringLiteral("Done") << 100 << QString() << QStringLiteral("Progress:100%");
    QTest::newRow("text shown unchanged") << QStringLiteral("Backing up") << 33 << QStringLiteral("Contacts:1/3")
                                          << QStringLiteral("Contacts:1/3");
}

void ProgressFormTest::updateProgress()
{
    QFETCH(QString, status);
    QFETCH(int, percent);
    QFETCH(QString, text);
    QFETCH(QString, shownText);
    ProgressForm form{QString()};
    form.updateProgress(QStringLiteral("earlier"), 10, QStringLiteral("earlier text"));
    form.updateProgress(status, percent, text);
    QCOMPARE(child<QLabel>(form, "lbStatus")->text(), status);
    QCOMPARE(child<QProgressBar>(form, "progressBar")->value(), percent);
    QCOMPARE(child<QLabel>(form, "lbProgress")->text(), shownText);
}

void ProgressFormTest::onFinishMirrorsResult_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("rejected") << int(QDialog::Rejected) << true;
    QTest::newRow("accepted") << int(QDialog::Accepted) << false;
    QTest::newRow("other result") << 5 << false;
}

void ProgressFormTest::onFinishMirrorsResult()
{
    QFETCH(int, result);
    QFETCH(bool, cancelled);
    ProgressForm form{QString()};
    form.onFinish(QDialog::Rejected);
    form.onFinish(result);
    QCOMPARE(form.isCancelled(), cancelled);
    // Finishing the dialog goes through the same slot.
    ProgressForm finished{QString()};
    finished.done(result);
    QCOMPARE(finished.isCancelled(), cancelled);
    QCOMPARE(finished.jobProgress().isCancelled(), cancelled);
}

void ProgressFormTest::successReport_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("with a message") << QStringLiteral("Successfully imported 3 contacts.")
                                    << QStringList{QStringLiteral("Successfully imported 3 contacts.")};
    QTest::newRow("without a message") << QString() << QStringList{};
}

void ProgressFormTest::successReport()
{
    QFETCH(QString, message);
    QFETCH(QStringList, boxes);
    ModalAnswers answers;
    TaskRunner task(QString(), nullptr);
    ScriptedJob job(task.progress(), [message](const JobProgress &p) {
        p.progress(QStringLiteral("Working"), 50, QString());
        p.success(message);
    });
    QVERIFY(task.run(job));
    QVERIFY(job.isFinished());
    QCOMPARE(answers.messageBoxTexts(), boxes);
    if (!boxes.isEmpty())
        QCOMPARE(answers.messageBoxes().first().icon, QMessageBox::Information);
    QCOMPARE(child<QLabel>(task.form(), "lbProgress")->text(), QStringLiteral("Progress:50%"));
    QVERIFY(!task.form().isCancelled());
    QVERIFY2(answers.problems().isEmpty(), qPrintable(answers.problems().join(u'\n')));
}

void ProgressFormTest::errorReportShowsBoxBeforeClosing()
{
    ModalAnswers answers;
    TaskRunner task(QString(), nullptr);
    bool formOpenDuringBox = false;
    answers.answerMessageBox([&](QMessageBox &) {
        formOpenDuringBox = task.form().isVisible();
        return QMessageBox::Ok;
    });
    ScriptedJob job(task.progress(), [](const JobProgress &p) { p.error(QStringLiteral("disk full")); });
    QVERIFY(!task.run(job));
    QVERIFY(formOpenDuringBox);
    QVERIFY(!task.form().isVisible());
    QVERIFY(task.form().isCancelled());
    QCOMPARE(answers.messageBoxes().size(), 1);
    const auto &box = answers.messageBoxes().first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY(box.text.startsWith(QStringLiteral("An Error Occurred.")));
    QVERIFY(box.text.endsWith(QStringLiteral("Error info: \"disk full\"")));
}

void ProgressFormTest::cancelClosesAtOnceAndStopsTheJob()
{
    ModalAnswers answers;
    TaskRunner task(QString(), nullptr);
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> reportedAfterCancel{false};
    ScriptedJob job(task.progress(), [&](const JobProgress &p) {
        for (int unit = 0; !p.isCancelled(); ++unit) {
            p.progress(QStringLiteral("Working"), unit % 100, QString());
            QThread::msleep(2);
        }
        sawCancel = true;
        // A job that still reports after the cancel must not reopen or accept
        // the closed form.
        QThread::msleep(300);
        p.success(QStringLiteral("too late"));
        reportedAfterCancel = true;
    });
    bool jobRunningWhenClosed = false;
    answers.answerLiveDialog([&](QDialog &form) {
        QTimer::singleShot(50, &form, [&form] {
            QTest::mousePress(child<QPushButton>(form, "btnCancel"), Qt::LeftButton);
        });
        const int result = form.exec();
        jobRunningWhenClosed = job.isRunning();
        return result;
    });
    QVERIFY(!task.run(job));
    QVERIFY(jobRunningWhenClosed);
    QVERIFY(sawCancel);
    QVERIFY(reportedAfterCancel);
    QVERIFY(task.form().isCancelled());
    QVERIFY(!task.form().isVisible());
    QCoreApplication::processEvents();
    QVERIFY(answers.messageBoxes().isEmpty());
}

void ProgressFormTest::escapeCancels()
{
    ModalAnswers answers;
    TaskRunner task(QString(), nullptr);
    ScriptedJob job(task.progress(), [](const JobProgress &p) {
        while (!p.isCancelled())
            QThread::msleep(2);
    });
    answers.answerLiveDialog([](QDialog &form) {
        QTimer::singleShot(20, &form, [&form] { QTest::keyClick(&form, Qt::Key_Escape); });
        return form.exec();
    });
    QVERIFY(!task.run(job));
    QVERIFY(task.form().isCancelled());
}

void ProgressFormTest::reportsArriveInOrder()
{
    ModalAnswers answers;
    TaskRunner task(QString(), nullptr);
    QList<int> seen;
    connect(child<QProgressBar>(task.form(), "progressBar"), &QProgressBar::valueChanged, this,
            [&seen](int value) { seen << value; });
    ScriptedJob job(task.progress(), [](const JobProgress &p) {
        for (int i = 1; i <= 100; ++i)
            p.progress(QStringLiteral("Contacts"), i, QStringLiteral("Contacts:%1/100").arg(i));
        p.success(QString());
    });
    QVERIFY(task.run(job));
    QList<int> expected;
    for (int i = 1; i <= 100; ++i)
        expected << i;
    QCOMPARE(seen, expected);
    QCOMPARE(child<QLabel>(task.form(), "lbProgress")->text(), QStringLiteral("Contacts:100/100"));
}

QTEST_MAIN(ProgressFormTest)
#include "progressformtest.moc"
