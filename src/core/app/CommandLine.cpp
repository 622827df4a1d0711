#include "app/CommandLine.h"

#include "app/Captions.h"

namespace palomex {

QString joinArguments(const QStringList& args) {
    QStringList parts;
    for (const QString& a : args)
        parts << (a.contains(QLatin1Char(' ')) || a.isEmpty()
                      ? QLatin1Char('"') + a + QLatin1Char('"')
                      : a);
    return parts.join(QLatin1Char(' '));
}

QStringList tokenizeCommandLine(const QString& line) {
    QString text = line;
    text.replace(QLatin1Char('\''), QLatin1Char('"'));
    text = text.trimmed();
    QStringList out;
    QString current;
    bool quoted = false;
    bool inToken = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inToken = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (inToken)
                out << current;
            current.clear();
            inToken = false;
        } else {
            current.append(c);
            inToken = true;
        }
    }
    if (inToken)
        out << current;
    return out;
}

Command commandOf(const QString& word) {
    if (word.isEmpty())
        return Command::None;
    if (word == QLatin1String("?") || word == QLatin1String("-?") || word == QLatin1String("/?"))
        return Command::Help;
    if (word.compare(QLatin1String("PRINT"), Qt::CaseInsensitive) == 0)
        return Command::Print;
    if (word.compare(QLatin1String("OPEN"), Qt::CaseInsensitive) == 0)
        return Command::Open;
    if (word.compare(QLatin1String("FILEPRINT"), Qt::CaseInsensitive) == 0)
        return Command::FilePrint;
    return Command::Unknown;
}

CommandRequest::CommandRequest(const QString& line)
    : line_(QString(line).replace(QLatin1Char('\''), QLatin1Char('"')).trimmed()),
      args_(tokenizeCommandLine(line)), command_(commandOf(args_.value(0))) {}

std::optional<QString> CommandRequest::parameter(int n) const {
    if (n < param::NveBasis || n > param::Count || n > args_.size())
        return std::nullopt;
    QString v = args_[n - 1];
    if (v == QLatin1String("-"))
        return std::nullopt;
    if (n >= param::FirstZusatzText)
        v.replace(QLatin1String("\\n"), QLatin1String("\r\n"));
    return v;
}

QString usageText() {
    return caption(msg::UsageText);
}

QString unknownCommandText(const CommandRequest& request) {
    return caption(msg::UnknownCommand).arg(request.commandWord(), request.line());
}

QString wrongParameterText(const QString& programName, const QString& line) {
    return caption(msg::WrongParameter).arg(programName, line);
}

} // namespace palomex
