#include "app/CommandLine.h"
#include "app/Paths.h"
#include "app/Workspace.h"
#include "db/InitialLayout.h"
#include "db/LabelStrings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace palomex;

TEST(CommandLine, Tokenising) {
    const struct {
        const char* line;
        QStringList expected;
    } cases[] = {
        {"  print   Lager  ", {"print", "Lager"}},
        {"print \"Lager Nord\" 4012345", {"print", "Lager Nord", "4012345"}},
        {"print 'Lager Nord' 4012345", {"print", "Lager Nord", "4012345"}},
        {"print Lindmark - 0001234 2  -  -  \"1. Juli 2004\"",
         {"print", "Lindmark", "-", "0001234", "2", "-", "-", "1. Juli 2004"}},
        {"open \"\" x", {"open", "", "x"}},
        {"open a\"b c\"d", {"open", "ab cd"}},
        {"open \"unterminated text", {"open", "unterminated text"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tokenizeCommandLine(QString::fromUtf8(c.line)), c.expected) << c.line;
}

TEST(CommandLine, ArgumentsFromTheShellKeepTheirBoundaries) {
    const QStringList argv = {"print", "Lager Nord", "-", "", "5"};
    EXPECT_EQ(tokenizeCommandLine(joinArguments(argv)), argv);
}

TEST(CommandLine, Commands) {
    const struct {
        const char* word;
        Command expected;
    } cases[] = {
        {"print", Command::Print},         {"PRINT", Command::Print}, {"Open", Command::Open},
        {"fileprint", Command::FilePrint}, {"?", Command::Help},      {"-?", Command::Help},
        {"printx", Command::Unknown},      {"", Command::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(commandOf(QString::fromUtf8(c.word)), c.expected) << c.word;
}

TEST(CommandLine, PositionalParameters) {
    const CommandRequest r(QStringLiteral(
        "open Lager - - 5 2 a b c d e f g h i j \"Zeile\\nzwei\" - z3 \"Abs\\nender\" Empf extra"));
    EXPECT_EQ(r.command(), Command::Open);
    EXPECT_EQ(r.labelName(), QStringLiteral("Lager"));
    EXPECT_FALSE(r.parameter(param::NveBasis)) << "\"-\" keeps the stored value";
    EXPECT_EQ(r.parameter(param::AnzahlNVEs), QStringLiteral("5"));
    EXPECT_EQ(r.parameter(param::AnzProNVE), QStringLiteral("2"));
    EXPECT_EQ(r.parameter(param::FirstDIText + 9), QStringLiteral("j"));
    EXPECT_EQ(r.parameter(param::AbsenderText), QStringLiteral("Abs\r\nender"));
    EXPECT_EQ(r.parameter(param::EmpfaengerText), QStringLiteral("Empf"));
    EXPECT_FALSE(r.parameter(22)) << "a 22nd parameter is not read";

    const CommandRequest shortLine(QStringLiteral("print Lager"));
    for (int n = param::NveBasis; n <= param::Count; ++n)
        EXPECT_FALSE(shortLine.parameter(n)) << n;
    // Line breaks are written "\n" in the texts only.
    EXPECT_EQ(
        CommandRequest(QStringLiteral("print L - - - - C:\\new")).parameter(param::FirstDIText),
        QStringLiteral("C:\\new"));
}

// The label a run starts with, which has no name yet, speaks the caption language
// of the settings with or without windows, as does every label without a name.
TEST(CommandLine, TheUnnamedLabelFollowsTheCaptionLanguage) {
    const test::CaptionsRestorer restore;
    for (const int sprache : {1000, 0}) {
        test::TempAppData appData;
        Settings(iniPath()).writeNumber(QStringLiteral("Einstellungen"), QStringLiteral("Sprache"),
                                        sprache);
        test::ScriptedPrompter prompter;
        Workspace workspace(prompter);
        workspace.open({});
        const Label& label = workspace.session().label();
        const Captions& texts = Captions::global();
        EXPECT_TRUE(label.name.isEmpty());
        EXPECT_EQ(label.parties[1].caption, texts.raw(msg::ReceiverDesignation + sprache));
        EXPECT_EQ(label.extras[2].caption,
                  texts.raw(msg::ExtraDesignation + sprache).replace(QStringLiteral("%1"), "2"));
    }
}
