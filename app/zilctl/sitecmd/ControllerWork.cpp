#include "sitecmd/ControllerWork.h"

#include "ExitCode.h"
#include "schedule/DeviceModelNames.h"
#include "site/SiteModel.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <chrono>
#include <unistd.h>

namespace {

// A child asked to stop ends within its own wait; past this it is killed.
constexpr std::chrono::seconds StopGrace{15};

int differingSlots(const QJsonObject &verified)
{
    QSet<int> differing;
    for (const QJsonValue &d : verified.value(QStringLiteral("differences")).toArray())
        differing.insert(d[QStringLiteral("day")].toInt() * 100 + d[QStringLiteral("slot")].toInt());
    return int(differing.size());
}

} // namespace

ControllerWork::ControllerWork(const SiteController &controller, const ControllerWorkSetup &setup, QObject *parent)
    : QObject(parent), m_deviceArguments{controller.linkOption, QStringLiteral("--model=") + modelShortName(controller.model),
                                         QStringLiteral("--json")},
      m_setup(setup)
{
    m_outcome.name = controller.name;
    m_outcome.link = controller.linkText;
    m_outcome.model = modelCaption(controller.model);
    m_process.setProgram(QCoreApplication::applicationFilePath());
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    // A group of its own: Ctrl-C at the terminal reaches this zilctl alone,
    // which then asks each child once. A second signal would end a child at
    // once, in the middle of a record.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(&m_process, &QProcess::finished, this, &ControllerWork::childEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            childEnded();
    });
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { cancel(QStringLiteral("no result within %1 s (--deadline)").arg(m_setup.deadlineSeconds)); });
}

void ControllerWork::start()
{
    m_deadline.start(std::chrono::seconds(m_setup.deadlineSeconds));
    // The clock first: it is short, and tells soonest whether the controller answers.
    runChild({QStringLiteral("clock"), QStringLiteral("read")}, [this](const ChildResult &read) { afterClockRead(read); });
}

void ControllerWork::cancel(const QString &why)
{
    if (m_done || !m_cancelled.isEmpty())
        return;
    m_cancelled = why;
    if (m_process.state() == QProcess::NotRunning) {
        finish();
        return;
    }
    m_process.terminate(); // SIGTERM: the child's own stop, as Ctrl-C
    QTimer::singleShot(StopGrace, &m_process, [this] { m_process.kill(); });
}

void ControllerWork::runChild(const QStringList &command, Next next)
{
    if (!m_cancelled.isEmpty()) {
        finish();
        return;
    }
    m_next = std::move(next);
    m_process.setArguments(command + m_deviceArguments);
    // Started from the event loop, not from inside the last child's finished().
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_cancelled.isEmpty())
                finish();
            else if (!m_done)
                m_process.start();
        },
        Qt::QueuedConnection);
}

void ControllerWork::childEnded()
{
    if (m_done)
        return;
    ChildResult result;
    const QByteArray out = m_process.readAllStandardOutput();
    result.json = QJsonDocument::fromJson(out).object();
    if (m_process.exitStatus() == QProcess::NormalExit && m_process.error() != QProcess::FailedToStart && !result.json.isEmpty())
        result.exitCode = m_process.exitCode();
    result.message = result.json.value(QStringLiteral("message")).toString();
    if (result.message.isEmpty())
        result.message =
            m_process.error() == QProcess::FailedToStart ? m_process.errorString() : QStringLiteral("zilctl ended without a result");
    if (!m_cancelled.isEmpty()) {
        m_outcome.failed = true;
        m_outcome.action = ControllerOutcome::Action::Failed;
        m_outcome.message = m_cancelled + (result.exitCode >= 0 ? QStringLiteral("; ") + result.message.section(u'\n', 0, 0) : QString());
        finish();
        return;
    }
    const Next next = std::move(m_next);
    next(result);
}

void ControllerWork::fail(const ChildResult &result, const QString &what)
{
    m_outcome.failed = true;
    m_outcome.action = ControllerOutcome::Action::Failed;
    m_outcome.message = QStringLiteral("%1: %2").arg(what, QString(result.message).replace(u'\n', QStringLiteral("; ")));
    finish();
}

void ControllerWork::afterClockRead(const ChildResult &read)
{
    if (read.exitCode != exitStatus(ExitCode::Success)) {
        fail(read, QStringLiteral("clock read"));
        return;
    }
    m_outcome.reached = true;
    m_outcome.clockRead = true;
    const QJsonValue offset = read.json.value(QStringLiteral("offset_seconds"));
    m_outcome.clockOffsetSeconds = offset.isDouble() ? std::optional<qint64>(qint64(offset.toDouble())) : std::nullopt;
    runChild({QStringLiteral("verify"), QStringLiteral("--calendar"), m_setup.plannedWeekPath},
             [this](const ChildResult &verified) { afterVerify(verified); });
}

void ControllerWork::afterVerify(const ChildResult &verified)
{
    if (verified.exitCode != exitStatus(ExitCode::Success) && verified.exitCode != exitStatus(ExitCode::Differences)) {
        fail(verified, QStringLiteral("schedule read"));
        return;
    }
    m_outcome.differences = differingSlots(verified.json);
    if (m_outcome.differences == 0 || !m_setup.apply) {
        clockStep();
        return;
    }
    if (m_setup.dryRun) {
        m_outcome.action = ControllerOutcome::Action::WouldSend;
        clockStep();
        return;
    }
    runChild({QStringLiteral("send"), QStringLiteral("--verify"), QStringLiteral("--calendar"), m_setup.plannedWeekPath},
             [this](const ChildResult &sent) { afterSend(sent); });
}

void ControllerWork::afterSend(const ChildResult &sent)
{
    if (sent.exitCode != exitStatus(ExitCode::Success)) {
        if (sent.exitCode == exitStatus(ExitCode::Differences))
            m_outcome.differences = differingSlots(sent.json);
        fail(sent, QStringLiteral("send"));
        return;
    }
    m_outcome.differences = 0;
    m_outcome.action = ControllerOutcome::Action::Sent;
    clockStep();
}

void ControllerWork::clockStep()
{
    const bool off = !m_outcome.clockOffsetSeconds || qAbs(*m_outcome.clockOffsetSeconds) > m_setup.clockToleranceSeconds;
    if (!m_setup.apply || !m_setup.setClocks || !off) {
        finish();
        return;
    }
    if (m_setup.dryRun) {
        m_outcome.wouldSetClock = true;
        finish();
        return;
    }
    runChild({QStringLiteral("clock"), QStringLiteral("set")}, [this](const ChildResult &set) {
        if (set.exitCode != exitStatus(ExitCode::Success)) {
            fail(set, QStringLiteral("clock set"));
            return;
        }
        m_outcome.clockSet = true;
        if (m_outcome.action == ControllerOutcome::Action::None)
            m_outcome.action = ControllerOutcome::Action::ClockSet;
        // Judged on what the controller now says, not on what was sent.
        runChild({QStringLiteral("clock"), QStringLiteral("read")}, [this](const ChildResult &read) {
            if (read.exitCode != exitStatus(ExitCode::Success)) {
                fail(read, QStringLiteral("clock read after the set"));
                return;
            }
            const QJsonValue offset = read.json.value(QStringLiteral("offset_seconds"));
            m_outcome.clockOffsetSeconds = offset.isDouble() ? std::optional<qint64>(qint64(offset.toDouble())) : std::nullopt;
            finish();
        });
    });
}

void ControllerWork::finish()
{
    if (m_done)
        return;
    m_done = true;
    m_deadline.stop();
    if (!m_cancelled.isEmpty() && !m_outcome.failed) {
        m_outcome.failed = true;
        m_outcome.action = ControllerOutcome::Action::Failed;
        m_outcome.message = m_cancelled;
    }
    emit finished();
}
