#include "clioptions.h"

#include <QMap>

namespace quentry::cli {
namespace {

struct TCommandInfo
{
    const char* name;
    const char* usage;
    const char* summary;
    QStringList options; // command options it accepts, besides the common ones
};

const QList<TCommandInfo>& commands()
{
    static const QList<TCommandInfo> list = {
        {"ports", "ports", "List the serial ports present.", {}},
        {"detect", "detect",
         "Find the transmitter: identity, logger present, logger status, clock and logger configuration.", {}},
        {"read", "read [--new] [--out FILE.img] [--ascii F] [--dbf F] [--csv F] [--give-up SECONDS] [--device KEY]",
         "Read the logger into the site history (everything, or with --new only what it lacks) and into the "
         "files asked for.",
         {"out", "ascii", "dbf", "csv", "give-up", "new", "device"}},
        {"clear", "clear [--yes]", "Clear the transmitter's logger (asks first unless --yes).", {"yes"}},
        {"rtc", "rtc get | rtc set YYYY-MM-DDTHH:MM | rtc sync",
         "Read the transmitter's clock, set it, or set it to this computer's clock.", {}},
        {"config", "config get | config set MODE EXT STATUS V1 V2",
         "Read or write the logger configuration: logger mode (0-5), extended events (0-3), status "
         "handling (0-1), values 1 and 2 (0-9999).",
         {}},
        {"convert", "convert FILE.img --ascii F | --dbf F | --csv F",
         "Export a saved log image to ASCII, dBASE or CSV (any combination).", {"ascii", "dbf", "csv"}},
        {"info", "info FILE.img", "Summarise a log image: rows, time span, events and errors.", {}},
        {"report", "report FILE.img --pdf OUT.pdf",
         "Write the service report of a log image as a PDF: data, completeness, daily volumes, events, trend.",
         {"pdf"}},
        {"decode", "decode hart HEX | decode fast HEX | decode row HEX [--page]",
         "Decode a reply frame or a 44-byte logger row copied from the communication log.", {"page"}},
        {"history", "history list | history show KEY | history export KEY [--from ISO] [--to ISO] --out F.img | "
                    "--ascii F | --dbf F | --csv F | history import FILE.img --device KEY",
         "The site history: its transmitters, the visits and gaps of one, any period of its rows into a file, "
         "an image file joined into it.",
         {"out", "ascii", "dbf", "csv", "from", "to", "device"}},
        {"simulate", "simulate --out FILE.img [--rows N --start ISO --period MIN ...]",
         "Write a generated log image, as the simulator window makes it (see simulate --help).", {}},
    };
    return list;
}

const TCommandInfo* find(const QString& name)
{
    for (const TCommandInfo& c : commands())
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

const char* const kCommonHelp =
    "Options of every command:\n"
    "  --port NAME|PATH      serial port (ttyUSB0, COM3, /dev/pts/7); default from the settings file\n"
    "  --protocol hart|fast  link protocol; default from the settings file\n"
    "  --adapter none|usb|irda-rs232|irda-tambo\n"
    "                        what sits between port and transmitter; default from the settings file\n"
    "  --cycle MS            byte gap that ends a reply (the setup dialog's cycle time)\n"
    "  --address N           HART polling address 0..15 to talk to, instead of scanning 0..15\n"
    "  --quick               quick replies: end a reply as soon as its frame is complete and\n"
    "                        checks, instead of waiting for the byte gap (settings file:\n"
    "                        QuickReplies=1); a device that sends bytes after its frame is\n"
    "                        better read without it\n"
    "  --settings FILE       settings file to take the defaults from (Quentry.ini)\n"
    "  --demo                talk to a virtual transmitter started inside this process\n"
    "  --demo-rows N         rows in the virtual transmitter's logger (default 3000)\n"
    "  --log FILE            write the communication log to FILE as text\n"
    "  --history FILE        the site history (default: HistoryFile= of the settings file, else\n"
    "                        history.sqlite in $QUENTRY_SITE_DIR, else in ~/.local/share/Quentry);\n"
    "                        with --demo a private one unless this names one\n"
    "  --no-history          leave the site history alone\n"
    "  --json                machine-readable output (detect, info, decode, rtc, config, history)\n"
    "  --help                this text\n"
    "  --version             the program's version\n";

const char* const kExitHelp =
    "Exit status:\n"
    "  0    done; for read: the whole logger was read and nothing is missing\n"
    "  1    failed; the reason is on stderr (for read: nothing was written)\n"
    "  2    usage error\n"
    "  3    read: the logger was read to its end but rows are missing; files written,\n"
    "       the count is on stderr\n"
    "  4    read: cut short (line lost, no reply for --give-up seconds, logger not moving\n"
    "       on); the rows read so far were written\n"
    "  130  interrupted by Ctrl-C, 143 by SIGTERM; a read writes the rows read so far.\n"
    "       A second Ctrl-C ends at once.\n";

std::optional<int> parseChoice(const QString& v, const QMap<QString, int>& choices, QString& error,
                               const char* what)
{
    const auto it = choices.find(v.toLower());
    if (it == choices.end()) {
        error = QStringLiteral("unknown %1 '%2' (one of: %3)").arg(what, v, QStringList(choices.keys()).join(", "));
        return std::nullopt;
    }
    return *it;
}

} // namespace

bool IsCommand(const QString& name) { return find(name) != nullptr; }

QString GeneralHelp()
{
    QString s = QStringLiteral("Usage: quentry-cli <command> [arguments] [options]\n\n"
                               "The service tool's core without a window. Commands:\n");
    for (const TCommandInfo& c : commands())
        s += QStringLiteral("  %1\n      %2\n").arg(QLatin1String(c.usage), QLatin1String(c.summary));
    s += QStringLiteral("\n") + QLatin1String(kCommonHelp) + QStringLiteral("\n") + QLatin1String(kExitHelp);
    return s;
}

QString CommandHelp(const QString& command)
{
    const TCommandInfo* c = find(command);
    if (!c) return GeneralHelp();
    QString s = QStringLiteral("Usage: quentry-cli %1\n\n%2\n\n").arg(QLatin1String(c->usage), QLatin1String(c->summary));
    if (command == "read" || command == "convert")
        s += QStringLiteral("  --out FILE   the log image file (not for convert)\n"
                            "  --ascii F    fixed-width text export\n"
                            "  --dbf F      dBASE table export\n"
                            "  --csv F      CSV with a header line, for spreadsheets\n\n");
    if (command == "read")
        s += QStringLiteral("  --give-up S  end the read after S seconds without a good reply from the transmitter\n"
                            "               (default 60; 0: never); the rows read so far are written\n"
                            "  --new        read only the rows the site history lacks: start at the newest row it\n"
                            "               holds, prove the logger still holds that row, read on from there\n"
                            "               (a first visit reads everything)\n"
                            "  --device KEY the transmitter's key, which FAST does not tell (HART: checked against\n"
                            "               the identity detected)\n\n"
                            "Every read joins the site history unless --no-history; the files hold the rows of\n"
                            "this read. Without --out, --ascii, --dbf or --csv only the history keeps them.\n\n");
    if (command == "history")
        s += QStringLiteral(
            "  list                   one line per transmitter: key, rows, first and last row, visits, gaps\n"
            "                         (--json: an array of {device, rows, first, last, visits, gaps})\n"
            "  show KEY               the visits and the gaps of a transmitter (--json: {visits, gaps})\n"
            "  export KEY             its rows of a period into files; --out refuses more than 12 288 rows\n"
            "    --from ISO, --to ISO   the period, both ends included, in the transmitter's time\n"
            "                           (2026-03-01 or 2026-03-01T06:00; a date alone for --to means\n"
            "                           the whole day); default: everything\n"
            "    --out, --ascii, --dbf, --csv F   as for read\n"
            "  import FILE.img --device KEY   join the rows of an image file into the record of KEY\n\n"
            "KEY is the transmitter as detect shows it: manufacturer id, device type id and device id in\n"
            "decimal, joined by '-', e.g. 96-81-74565.\n"
            "A gap is a span of rows the record lacks, with its cause: 'missing' (the logger skipped those\n"
            "indexes), 'unreadable' (rows the logger has never came back readable) or 'overwritten' (the\n"
            "ring went round before anyone read them).\n\n");
    if (command == "clear") s += QStringLiteral("  --yes        do not ask\n\n");
    if (command == "report") s += QStringLiteral("  --pdf FILE   the report to write (replaced only once it is whole)\n\n");
    if (command == "decode") s += QStringLiteral("  --page       the row was read in a page (words low byte first)\n\n");
    s += QLatin1String(kCommonHelp);
    if (command != "ports" && command != "convert" && command != "info" && command != "decode" &&
        command != "report")
        s += QStringLiteral("\n") + QLatin1String(kExitHelp);
    return s;
}

TCommandLine ParseCommandLine(const QStringList& args)
{
    TCommandLine c;
    auto needValue = [&](int& i, QString& into) {
        if (i + 1 >= args.size()) {
            c.error = QStringLiteral("option %1 needs a value").arg(args[i]);
            return false;
        }
        into = args[++i];
        return true;
    };
    QStringList used;
    for (int i = 1; i < args.size() && c.error.isEmpty(); ++i) {
        QString a = args[i];
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            if (c.command.isEmpty()) c.command = a;
            else c.arguments << a;
            continue;
        }
        QString value;
        const int eq = int(a.indexOf('='));
        bool inlineValue = false;
        if (eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
            inlineValue = true;
        }
        auto take = [&](QString& into) { return inlineValue ? (into = value, true) : needValue(i, into); };
        const QString name = a.mid(2);
        QString v;
        if (name == "help") c.help = true;
        else if (name == "demo") c.common.demo = true;
        else if (name == "json") c.common.json = true;
        else if (name == "quick") c.common.quick = true;
        else if (name == "no-history") c.common.noHistory = true;
        else if (name == "history") take(c.common.history);
        else if (name == "new") { c.newRows = true; used << name; }
        else if (name == "device") { take(c.device); used << name; }
        else if (name == "from") { take(c.from); used << name; }
        else if (name == "to") { take(c.to); used << name; }
        else if (name == "yes") { c.yes = true; used << name; }
        else if (name == "page") { c.pageOrder = true; used << name; }
        else if (name == "port") take(c.common.port);
        else if (name == "settings") take(c.common.settings);
        else if (name == "log") take(c.common.logFile);
        else if (name == "out") { take(c.out); used << name; }
        else if (name == "ascii") { take(c.ascii); used << name; }
        else if (name == "dbf") { take(c.dbf); used << name; }
        else if (name == "csv") { take(c.csv); used << name; }
        else if (name == "pdf") { take(c.pdf); used << name; }
        else if (name == "protocol") {
            if (take(v)) c.common.protocol = parseChoice(v, {{"hart", 0}, {"fast", 1}, {"mode3", 1}}, c.error, "protocol");
        } else if (name == "adapter") {
            if (take(v))
                c.common.adapter = parseChoice(
                    v, {{"none", 0}, {"modem", 0}, {"usb", 1}, {"irda-rs232", 2}, {"irda-tambo", 3}}, c.error, "adapter");
        } else if (name == "cycle" || name == "demo-rows" || name == "address" || name == "give-up") {
            if (!take(v)) break;
            if (name == "give-up") used << name;
            bool ok = false;
            const int n = v.toInt(&ok);
            const int low = name == "demo-rows" ? 1 : 0;
            const int high = name == "cycle" ? 5000 : name == "address" ? 15 : name == "give-up" ? 86400 : 65532;
            if (!ok || n < low || n > high) c.error = QStringLiteral("--%1 wants a number from %2 to %3").arg(name).arg(low).arg(high);
            else if (name == "cycle") c.common.cycleMs = n;
            else if (name == "address") c.common.address = n;
            else if (name == "give-up") c.giveUpSeconds = n;
            else c.common.demoRows = n;
        } else {
            c.error = QStringLiteral("unknown option %1").arg(args[i]);
        }
    }
    if (!c.error.isEmpty() || c.help) return c;
    if (c.command.isEmpty()) {
        c.error = QStringLiteral("no command given (try --help)");
        return c;
    }
    const TCommandInfo* info = find(c.command);
    if (!info) {
        c.error = QStringLiteral("unknown command '%1' (try --help)").arg(c.command);
        return c;
    }
    for (const QString& u : used)
        if (!info->options.contains(u)) {
            c.error = QStringLiteral("option --%1 does not belong to '%2'").arg(u, c.command);
            return c;
        }
    return c;
}

} // namespace quentry::cli
