#pragma once
// The program's command line: tokenising, the commands and the 21 positional
// parameters that open or print a stored label.

#include <QString>
#include <QStringList>
#include <optional>

namespace palomex {

enum class Command { None, Help, Print, Open, FilePrint, Unknown };

// Rebuilds one command line from the arguments the shell split, quoting arguments
// that contain blanks, so the same grammar serves argv and lines of a FILEPRINT file.
QString joinArguments(const QStringList& args);

// Single quotation marks count as double ones; blanks separate arguments except
// inside double quotation marks, which are removed.
QStringList tokenizeCommandLine(const QString& line);

Command commandOf(const QString& word);

// Parameter numbers of the usage text (the command is parameter 1).
namespace param {
inline constexpr int LabelName = 2;
inline constexpr int NveBasis = 3;
inline constexpr int NveLaufNr = 4;
inline constexpr int AnzahlNVEs = 5;
inline constexpr int AnzProNVE = 6;
inline constexpr int FirstDIText = 7;      // 7..16
inline constexpr int FirstZusatzText = 17; // 17..19
inline constexpr int AbsenderText = 20;
inline constexpr int EmpfaengerText = 21;
inline constexpr int Count = 21;
} // namespace param

class CommandRequest {
public:
    explicit CommandRequest(const QString& line);

    const QString& line() const { return line_; }
    Command command() const { return command_; }
    QString commandWord() const { return args_.value(0); }
    QString labelName() const { return args_.value(1); }

    // Parameter n (3 to 21) as it should be applied: nothing when it is missing or
    // "-" (the stored value stays); "\n" in the texts 17 to 21 becomes a line break,
    // CR LF as the label table stores it.
    std::optional<QString> parameter(int n) const;

private:
    QString line_;
    QStringList args_;
    Command command_;
};

// The texts shown for help requests, unknown commands and other failures.
QString usageText();
QString unknownCommandText(const CommandRequest& request);
QString wrongParameterText(const QString& programName, const QString& line);

} // namespace palomex
