// quentry-emulator: a virtual transmitter on a pseudo-terminal. Prints the port path on
// stdout and serves it until SIGINT or SIGTERM.
#include "faultplan.h"
#include "quentryversion.h"
#include "virtualtransmitter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace quentry::emulator;

namespace {

int gSignalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &c, 1);
}

[[noreturn]] void usageError(const QString& text)
{
    std::fprintf(stderr, "quentry-emulator: %s (see --help)\n", qPrintable(text));
    std::exit(2);
}

int intOption(const QCommandLineParser& p, const QString& name, int lo, int hi)
{
    bool ok = false;
    const int v = p.value(name).toInt(&ok, 0);
    if (!ok || v < lo || v > hi) usageError(QStringLiteral("--%1 wants a number %2..%3").arg(name).arg(lo).arg(hi));
    return v;
}

TEmulatorConfig configFrom(const QCommandLineParser& p)
{
    TEmulatorConfig c;
    const QString protocol = p.value(QStringLiteral("protocol"));
    if (protocol == QLatin1String("hart")) c.protocol = TEmuProtocol::Hart;
    else if (protocol == QLatin1String("fast")) c.protocol = TEmuProtocol::Fast;
    else usageError(QStringLiteral("--protocol is hart or fast"));
    const QString adapter = p.value(QStringLiteral("adapter"));
    if (adapter == QLatin1String("none")) c.adapter = TEmuAdapter::None;
    else if (adapter == QLatin1String("usb")) c.adapter = TEmuAdapter::Usb;
    else if (adapter == QLatin1String("irda")) c.adapter = TEmuAdapter::IrDA;
    else usageError(QStringLiteral("--adapter is none, usb or irda"));
    c.pollingAddress = quint8(intOption(p, QStringLiteral("address"), 0, 15));
    if (p.isSet(QStringLiteral("unique-id"))) {
        bool ok = false;
        const QString hex = p.value(QStringLiteral("unique-id"));
        const quint64 id = hex.toULongLong(&ok, 16);
        if (!ok || hex.size() != 10) usageError(QStringLiteral("--unique-id wants 10 hex digits"));
        c.factoryId = quint8(id >> 32);
        c.deviceTypeId = quint8(id >> 24);
        c.deviceId = quint32(id & 0xFFFFFF);
    }
    c.replyPreambles = intOption(p, QStringLiteral("preambles"), 2, 20);
    c.pages = intOption(p, QStringLiteral("pages"), 1, kMaxPages);
    c.rows = intOption(p, QStringLiteral("rows"), 0, c.capacity());
    c.wrapped = p.isSet(QStringLiteral("wrapped"));
    if (p.isSet(QStringLiteral("start"))) {
        const QDateTime t = QDateTime::fromString(p.value(QStringLiteral("start")), Qt::ISODate);
        const QDateTime first(QDate(2001, 1, 1), QTime(0, 0));
        if (!t.isValid() || t < first) usageError(QStringLiteral("--start wants a date and time from 2001 on, such as 2020-06-01T00:00"));
        c.startMinute = first.secsTo(QDateTime(t.date(), t.time())) / 60;
    }
    c.pace = p.isSet(QStringLiteral("pace"));
    c.turnaroundMs = intOption(p, QStringLiteral("turnaround"), 0, 10000);
    if (p.isSet(QStringLiteral("chunk"))) {
        const QStringList parts = p.value(QStringLiteral("chunk")).split(QLatin1Char(':'));
        bool ok1 = false, ok2 = true;
        c.chunkBytes = parts[0].toInt(&ok1);
        if (parts.size() > 1) c.chunkGapMs = parts[1].toInt(&ok2);
        if (!ok1 || !ok2 || parts.size() > 2) usageError(QStringLiteral("--chunk wants N or N:MS"));
    }
    c.featureId = quint16(intOption(p, QStringLiteral("feature-id"), 0, 65535));
    bool ok = false;
    c.seed = p.value(QStringLiteral("seed")).toULongLong(&ok, 0);
    if (!ok) usageError(QStringLiteral("--seed wants a number"));
    QString error;
    const auto plan = TFaultPlan::parse(p.value(QStringLiteral("faults")), &error);
    if (!plan) usageError(error);
    c.faults = *plan;
    const auto defects = TLoggerDefects::parse(p.value(QStringLiteral("defects")), &error);
    if (!defects) usageError(error);
    c.defects = *defects;
    const QString invalid = c.validate();
    if (!invalid.isEmpty()) usageError(invalid);
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quentry-emulator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUENTRY_VERSION));
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("A virtual transmitter with a data logger on a pseudo-terminal. It prints the path of the\n"
                       "port to open (e.g. /dev/pts/7) and answers HART or FAST requests there until it is\n"
                       "interrupted (Ctrl-C, SIGTERM).\n\n") +
        FaultGrammarHelp() + QStringLiteral("\n") + LoggerDefectsHelp());
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("protocol"), QStringLiteral("Protocol at start: hart (1200 baud 8-O-1) or fast (57600 8-N-1); "
                                                    "with an adapter, its mode commands switch it. Default hart."),
         QStringLiteral("hart|fast"), QStringLiteral("hart")},
        {QStringLiteral("adapter"), QStringLiteral("What sits in the line: none (a HART modem or a direct line), usb "
                                                   "(the USB link adapter) or irda (the IrDA module); the adapters "
                                                   "answer their 9600-baud mode commands. Default none."),
         QStringLiteral("none|usb|irda"), QStringLiteral("none")},
        {QStringLiteral("address"), QStringLiteral("HART polling address, 0..15. Default 0."), QStringLiteral("N"),
         QStringLiteral("0")},
        {QStringLiteral("unique-id"), QStringLiteral("Manufacturer, device type and 24-bit device id as 10 hex digits. "
                                                     "Default 6051012345."),
         QStringLiteral("HEX"), QStringLiteral("6051012345")},
        {QStringLiteral("preambles"), QStringLiteral("Preambles before each HART reply, 2..20. Default 5."), QStringLiteral("N"),
         QStringLiteral("5")},
        {QStringLiteral("rows"), QStringLiteral("Rows written into the logger since it was cleared, at most six a "
                                                "page. Default 12288."),
         QStringLiteral("N"), QStringLiteral("12288")},
        {QStringLiteral("pages"), QStringLiteral("Pages of six rows in the logger ring, 1..10922. Default 2048."), QStringLiteral("N"),
         QStringLiteral("2048")},
        {QStringLiteral("wrapped"), QStringLiteral("The ring has gone round once before those rows: it is full and its "
                                                   "wrapped flag is set; --rows is then where it writes now.")},
        {QStringLiteral("start"), QStringLiteral("The logger was cleared at this moment and has logged every five "
                                                 "minutes since: the same --start and --seed give the same rows, so "
                                                 "more --rows (or --wrapped) is the same logger visited later, its "
                                                 "old rows byte for byte as before. Default: the rows end in April "
                                                 "2021, however many there are."),
         QStringLiteral("ISO")},
        {QStringLiteral("pace"), QStringLiteral("Deliver every byte at the line rate the port is set to (11 bits a byte "
                                                "at 1200 baud for HART, 10 at 57600 for FAST, 10 at 9600 for adapter "
                                                "commands). Off by default: replies go out at once.")},
        {QStringLiteral("turnaround"), QStringLiteral("Milliseconds from the end of a request to the start of its "
                                                      "reply. Default 10."),
         QStringLiteral("MS"), QStringLiteral("10")},
        {QStringLiteral("chunk"), QStringLiteral("Write replies N bytes at a time with MS ms between the pieces "
                                                 "(MS at most 100, below the byte gap that ends a reply)."),
         QStringLiteral("N[:MS]")},
        {QStringLiteral("feature-id"), QStringLiteral("Value of parameter 98, the hardware feature id; its third digit "
                                                      "says whether a logger is fitted (2, 3, 6, 7: yes). Default 12345."),
         QStringLiteral("N"), QStringLiteral("12345")},
        {QStringLiteral("faults"), QStringLiteral("Faults to inject (grammar above). Default none."), QStringLiteral("RULES")},
        {QStringLiteral("defects"), QStringLiteral("Defects of the logger's rows (grammar above). Default none."),
         QStringLiteral("DEFECTS")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the logger content and of percentage faults. Default 1."),
         QStringLiteral("N"), QStringLiteral("1")},
    });
    p.process(app);
    const TEmulatorConfig config = configFrom(p);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) {
        std::perror("quentry-emulator: socketpair");
        return 1;
    }
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    QSocketNotifier signalNotifier(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    TVirtualTransmitter transmitter(config);
    transmitter.setOnUnplugged([] { std::fprintf(stderr, "quentry-emulator: line closed (unplugged)\n"); });
    const QString path = transmitter.start();
    if (path.isEmpty()) {
        std::fprintf(stderr, "quentry-emulator: %s\n", qPrintable(transmitter.errorString()));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
    const TLoggerState logger = transmitter.loggerState();
    std::fprintf(stderr, "quentry-emulator: %s%s, polling address %d, logger %d rows (%d pages%s)%s\n",
                 config.protocol == TEmuProtocol::Hart ? "HART" : "FAST",
                 config.adapter == TEmuAdapter::Usb ? " behind the USB adapter"
                 : config.adapter == TEmuAdapter::IrDA ? " behind the IrDA module" : "",
                 config.pollingAddress, logger.total, logger.pages, logger.wrapped ? ", wrapped" : "",
                 config.pace ? ", paced" : "");
    const int rc = app.exec();
    transmitter.stop();
    return rc;
}
