// zilsim: a stand-in bell controller for trying the program by hand or from
// scripts. Prints where it listens, then every frame it receives.
#include "ControllerSimulator.h"
#include "FaultOption.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Non-printable bytes as \r, \n or \xHH, so every frame is one line.
QByteArray escaped(const QByteArray &bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (b < 0x20 || b > 0x7E)
            out += "\\x" + QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        else
            out += c;
    }
    return out;
}

void printLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A pipe or a terminal on stdin ends the simulator when it closes; /dev/null
// or a file does not (scripts use --quit-after-seconds instead).
bool stdinCanClose()
{
    struct stat info
    { };
    if (::fstat(STDIN_FILENO, &info) != 0)
        return false;
    return ::isatty(STDIN_FILENO) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zilsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated bell controller on 127.0.0.1 and a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption tcpPort(QStringLiteral("tcp-port"), QStringLiteral("TCP port (0 = any free)."), QStringLiteral("N"),
                                     QStringLiteral("0"));
    const QCommandLineOption noSerial(QStringLiteral("no-serial"), QStringLiteral("Do not open a pseudo-terminal."));
    const QCommandLineOption model(QStringLiteral("model"), QStringLiteral("Controller model 0..4 (0 = V1)."), QStringLiteral("N"),
                                   QStringLiteral("0"));
    const QCommandLineOption fault(QStringLiteral("fault"),
                                   QStringLiteral("silent|wrong-status|noise|late:MS|short|drop|no-ack|no-marker|chunk:N (may repeat)."),
                                   QStringLiteral("KIND"));
    const QCommandLineOption faultAfter(QStringLiteral("fault-after"), QStringLiteral("Answer this many frames normally first."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after-seconds"), QStringLiteral("Exit after this many seconds."),
                                       QStringLiteral("S"));
    parser.addOptions({tcpPort, noSerial, model, fault, faultAfter, quitAfter});
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(tcpPort).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "zilsim: bad --tcp-port\n");
        return 2;
    }
    const int deviceVersion = parser.value(model).toInt(&ok);
    if (!ok || deviceVersion < 0 || deviceVersion > 4) {
        std::fprintf(stderr, "zilsim: --model must be 0..4\n");
        return 2;
    }
    ControllerSimulator::Faults faults;
    faults.afterFrames = parser.value(faultAfter).toInt(&ok);
    if (!ok || faults.afterFrames < 0) {
        std::fprintf(stderr, "zilsim: bad --fault-after\n");
        return 2;
    }
    for (const QString &kind : parser.values(fault)) {
        if (!zilsim::applyFaultOption(kind, faults)) {
            std::fprintf(stderr, "zilsim: unknown --fault %s\n", qPrintable(kind));
            return 2;
        }
    }

    ControllerSimulator simulator;
    simulator.setModel(deviceVersion);
    simulator.setFaults(faults);
    QObject::connect(&simulator, &ControllerSimulator::frameReceived, [](const QByteArray &frame) { printLine("<- " + escaped(frame)); });
    QObject::connect(&simulator, &ControllerSimulator::answerSent, [](const QByteArray &bytes) { printLine("-> " + escaped(bytes)); });

    if (!simulator.listenTcp(quint16(port))) {
        std::fprintf(stderr, "zilsim: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    printLine("TCP 127.0.0.1:" + QByteArray::number(simulator.tcpPort()));
    if (!parser.isSet(noSerial)) {
        if (!simulator.openSerial()) {
            std::fprintf(stderr, "zilsim: cannot open a pseudo-terminal\n");
            return 1;
        }
        printLine("SERIAL " + simulator.serialDevicePath().toLocal8Bit());
    }

    if (parser.isSet(quitAfter)) {
        const double seconds = parser.value(quitAfter).toDouble(&ok);
        if (!ok || seconds < 0) {
            std::fprintf(stderr, "zilsim: bad --quit-after-seconds\n");
            return 2;
        }
        QTimer::singleShot(int(seconds * 1000), &app, &QCoreApplication::quit);
    }

    QSocketNotifier *stdinWatch = nullptr;
    if (stdinCanClose()) {
        stdinWatch = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
        QObject::connect(stdinWatch, &QSocketNotifier::activated, &app, [stdinWatch] {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                stdinWatch->setEnabled(false);
                QCoreApplication::quit();
            }
        });
    }
    return app.exec();
}
