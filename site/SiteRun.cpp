#include "site/SiteRun.h"

#include "link/LinkOptions.h"
#include "operations/MemoryImage.h"
#include "protocol/Exchange.h"
#include "schedule/DeviceModelNames.h"
#include "site/SitePlan.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <signal.h>
#include <unistd.h>

namespace {

// A child asked to stop ends within its own wait; past this it is killed.
constexpr std::chrono::seconds StopGrace{15};
// What is kept of a child's standard error, and how many of its last lines a failure shows.
constexpr qsizetype StderrKept = 8192;
constexpr qsizetype StderrLinesShown = 3;
// A line of the child longer than this is no line of the contract.
constexpr qsizetype LongestLine = 1 << 20;

const QString TcpOption = QStringLiteral("--tcp=");
const QString SerialOption = QStringLiteral("--serial=");

std::optional<ChildRequest> requestFor(const Site &site, const SiteController &controller, const SiteRunSetup &setup)
{
    ChildRequest request;
    request.controller = controller.name;
    request.model = controller.model;
    request.apply = setup.apply;
    request.dryRun = setup.dryRun;
    request.setClocks = setup.setClocks;
    request.clockToleranceSeconds = site.clockToleranceSeconds;
    request.plannedWeek = plannedWeek(site, controller, setup.date).calendar;
    if (controller.linkOption.startsWith(TcpOption)) {
        const Result<LinkSettings> tcp = parseTcpTarget(controller.linkOption.mid(TcpOption.size()));
        if (!tcp)
            return std::nullopt;
        request.transport = LinkTransport::Tcp;
        request.host = tcp->host;
        request.tcpPort = tcp->tcpPort;
    } else if (controller.linkOption.startsWith(SerialOption)) {
        request.transport = LinkTransport::Serial;
        request.serialTarget = controller.linkOption.mid(SerialOption.size());
    } else {
        return std::nullopt;
    }
    return request;
}

// A controller's work is mostly its schedule read, and that mostly the passes
// of the event loop before each frame: the measure of how long it keeps a job.
int scheduleReadPasses(DeviceModel model)
{
    if (facts(model).family == ModelFamily::ProgramMode)
        return MemoryImage::BlockCount * Commands::BlockRead.preSendPasses;
    return DayCount * facts(model).slotsCarried * Commands::RecordRead.preSendPasses;
}

// "killed by signal 9 (SIGKILL)"
QString signalText(int number)
{
    const char *abbreviation = ::sigabbrev_np(number);
    return abbreviation ? QStringLiteral("killed by signal %1 (SIG%2)").arg(number).arg(QLatin1String(abbreviation))
                        : QStringLiteral("killed by signal %1").arg(number);
}

QString lastLines(const QByteArray &text)
{
    QStringList lines = QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() > StderrLinesShown)
        lines = lines.mid(lines.size() - StderrLinesShown);
    return lines.join(QStringLiteral(" | "));
}

} // namespace

struct SiteRun::Child
{
    QProcess process;
    QTimer deadline;
    QByteArray pending; // standard output not yet a whole line
    QByteArray stderrTail;
    QString stopped; // why it was asked to stop; empty: it was not
    std::optional<ChildResult> result;
    QString problem; // a line that broke the contract
    bool done = false;
};

SiteRun::SiteRun(const Site &site, const QStringList &controllerNames, const SiteRunSetup &setup, QObject *parent)
    : QObject(parent), m_setup(setup)
{
    for (const QString &name : controllerNames) {
        ControllerOutcome outcome;
        outcome.name = name;
        const SiteController *controller = site.controller(name);
        if (controller) {
            outcome.link = controller->linkText;
            outcome.model = modelCaption(controller->model);
        }
        m_requests.append(controller ? requestFor(site, *controller, setup) : std::nullopt);
        m_outcomes.append(outcome);
        m_children.push_back(std::make_unique<Child>());
        m_launchOrder.append(int(m_launchOrder.size()));
    }
    // The longest first, so that no long one is left alone at the end while
    // the other jobs stand idle; equals in the site's order.
    const auto passes = [this](int index) { return m_requests[index] ? scheduleReadPasses(m_requests[index]->model) : 0; };
    std::stable_sort(m_launchOrder.begin(), m_launchOrder.end(), [&passes](int a, int b) { return passes(a) > passes(b); });
}

SiteRun::~SiteRun()
{
    for (const std::unique_ptr<Child> &child : m_children) {
        child->process.disconnect(this);
        if (child->process.state() != QProcess::NotRunning) {
            child->process.kill();
            child->process.waitForFinished(1000);
        }
    }
}

void SiteRun::start()
{
    if (m_running || m_started > 0)
        return;
    m_running = true;
    // From the event loop, so that every signal comes after start() returned.
    QMetaObject::invokeMethod(this, &SiteRun::startNext, Qt::QueuedConnection);
}

void SiteRun::cancel(const QString &why)
{
    if (!m_running || wasCancelled())
        return;
    m_cancelled = why;
    for (int i = 0; i < m_started; ++i)
        stopChild(m_launchOrder[i], why);
    QMetaObject::invokeMethod(this, &SiteRun::startNext, Qt::QueuedConnection);
}

void SiteRun::startNext()
{
    if (!m_running)
        return;
    while (m_started < m_outcomes.size() && m_started - m_ended < m_setup.jobs && !wasCancelled())
        launch(m_launchOrder[m_started++]);
    if (m_ended == m_started && (m_started == m_outcomes.size() || wasCancelled()))
        finish();
}

void SiteRun::launch(int index)
{
    Child &child = *m_children[size_t(index)];
    emit controllerStarted(index);
    if (!m_requests[index]) {
        m_outcomes[index].action = ControllerOutcome::Action::Failed;
        m_outcomes[index].message = QStringLiteral("its link cannot be read from the site file");
        child.done = true;
        ++m_ended;
        emit controllerFinished(index);
        return;
    }
    QProcess &process = child.process;
    process.setProgram(m_setup.childProgram);
    process.setArguments({QStringLiteral("site-child")});
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // A group of its own: Ctrl-C at the terminal reaches the parent alone,
    // which then asks each child once. A second signal would end a child at
    // once, in the middle of a record.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(&process, &QProcess::readyReadStandardOutput, this, [this, index] { readLines(index); });
    connect(&process, &QProcess::readyReadStandardError, this,
            [&child] { child.stderrTail = (child.stderrTail + child.process.readAllStandardError()).right(StderrKept); });
    connect(&process, &QProcess::finished, this, [this, index] { childEnded(index); });
    connect(&process, &QProcess::errorOccurred, this, [this, index](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            childEnded(index);
    });
    child.deadline.setSingleShot(true);
    connect(&child.deadline, &QTimer::timeout, this,
            [this, index] { stopChild(index, QStringLiteral("no result within %1 s (--deadline)").arg(m_setup.deadlineSeconds)); });
    child.deadline.start(std::chrono::seconds(m_setup.deadlineSeconds));
    process.start();
    process.write(QJsonDocument(childRequestJson(*m_requests[index])).toJson(QJsonDocument::Compact));
    process.closeWriteChannel();
}

void SiteRun::readLines(int index)
{
    Child &child = *m_children[size_t(index)];
    child.pending += child.process.readAllStandardOutput();
    qsizetype end;
    while ((end = child.pending.indexOf('\n')) >= 0) {
        const QByteArray line = child.pending.left(end);
        child.pending.remove(0, end + 1);
        if (line.trimmed().isEmpty())
            continue;
        const Result<ChildLine> read = childLineFromJson(line);
        if (!read) {
            child.problem = QStringLiteral("the child wrote a line it should not: %1").arg(read.error());
            continue;
        }
        if (const int *percent = std::get_if<int>(&*read))
            emit controllerProgress(index, *percent);
        else
            child.result = std::get<ChildResult>(*read);
    }
    if (child.pending.size() > LongestLine) {
        child.problem = QStringLiteral("the child wrote a line of more than %1 bytes").arg(LongestLine);
        child.pending.clear();
    }
}

void SiteRun::stopChild(int index, const QString &why)
{
    Child &child = *m_children[size_t(index)];
    if (child.done || !child.stopped.isEmpty())
        return;
    child.stopped = why;
    child.process.terminate(); // SIGTERM: the child's own stop, as Ctrl-C
    QTimer::singleShot(StopGrace, &child.process, [&child] { child.process.kill(); });
}

void SiteRun::childEnded(int index)
{
    Child &child = *m_children[size_t(index)];
    if (child.done)
        return;
    child.done = true;
    child.deadline.stop();
    readLines(index);
    if (!child.pending.trimmed().isEmpty())
        child.problem = QStringLiteral("the child's last line is cut off");
    child.stderrTail += child.process.readAllStandardError();

    ControllerOutcome &outcome = m_outcomes[index];
    const ControllerOutcome known = outcome; // name, link and model are the parent's
    QString said;                            // what the child said of its end
    if (child.result && child.problem.isEmpty()) {
        outcome = child.result->outcome;
        said = outcome.message;
    } else {
        outcome.action = ControllerOutcome::Action::Failed;
        if (child.process.error() == QProcess::FailedToStart)
            said = QStringLiteral("%1 did not start: %2").arg(m_setup.childProgram, child.process.errorString());
        else if (child.process.exitStatus() == QProcess::CrashExit)
            said = signalText(child.process.exitCode());
        else
            said = QStringLiteral("ended with exit status %1 without a result").arg(child.process.exitCode());
        if (!child.problem.isEmpty())
            said += QStringLiteral("; ") + child.problem;
        if (const QString lines = lastLines(child.stderrTail); !lines.isEmpty())
            said += QStringLiteral("; its last words: ") + lines;
        outcome.message = said;
    }
    outcome.name = known.name;
    outcome.link = known.link;
    outcome.model = known.model;
    if (!child.stopped.isEmpty()) {
        // Stopped early: what it managed to say of the step under way, after why.
        outcome.action = ControllerOutcome::Action::Failed;
        const QString step = child.result && child.result->stopped ? said.section(u'\n', 0, 0) : (child.result ? QString() : said);
        outcome.message = child.stopped + (step.isEmpty() ? QString() : QStringLiteral("; ") + step);
    }
    ++m_ended;
    emit controllerFinished(index);
    startNext();
}

void SiteRun::finish()
{
    m_running = false;
    for (const int index : m_launchOrder.mid(m_started)) {
        m_outcomes[index].action = ControllerOutcome::Action::Failed;
        m_outcomes[index].message = QStringLiteral("not begun: ") + m_cancelled;
    }
    emit finished();
}
