// The editor's text rules that need no window: command word file, file encodings and line
// ends, rich text, keyword help, the help index and manual pages, and the error box's text.
#include "AppTitle.h"
#include "EditorError.h"
#include "document/BlockText.h"
#include "document/RtfText.h"
#include "document/TextFileCodec.h"
#include "document/Windows1252.h"
#include "help/HelpIndex.h"
#include "help/HelpKeyword.h"
#include "help/ManPageText.h"
#include "highlight/CommandWords.h"

#include "TestPrinters.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

TEST(CommandWords, EveryLineIsTakenExactlyAsRead) {
    EXPECT_EQ(ParseCommandWords("set\r\nputs\n\nset\nif \nforeach"),
              (QStringList{"set", "puts", "", "set", "if ", "foreach"}));
    EXPECT_EQ(ParseCommandWords("a\n"), QStringList{"a"});
    EXPECT_EQ(ParseCommandWords(""), QStringList{});
}

struct TSplitCase {
    QString Text;
    QStringList Lines;
};

class SplitLinesCases : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitLinesCases, BreaksAtEveryLineEnd) {
    EXPECT_EQ(SplitLines(GetParam().Text), GetParam().Lines);
}

INSTANTIATE_TEST_SUITE_P(Text, SplitLinesCases,
                         testing::Values(TSplitCase{"a\nb", {"a", "b"}},
                                         TSplitCase{"a\r\nb\r\n", {"a", "b"}},
                                         TSplitCase{"a\rb", {"a", "b"}},
                                         TSplitCase{"a\n\n", {"a", ""}}, TSplitCase{"\n", {""}},
                                         TSplitCase{"", {}},
                                         TSplitCase{"a\r\r\nb", {"a", "", "b"}}));

TEST(TextFileCodec, ValidUtf8IsReadAsUtf8) {
    const TDecodedText text = DecodeText("caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(text.Encoding, TTextEncoding::Utf8);
    EXPECT_EQ(text.Text, QString::fromUtf8("caf\u00e9 \u20ac"));
}

TEST(TextFileCodec, ByteOrderMarkIsRemembered) {
    const TDecodedText text = DecodeText("\xEF\xBB\xBFset x");
    EXPECT_EQ(text.Encoding, TTextEncoding::Utf8WithBom);
    EXPECT_EQ(text.Text, "set x");
    EXPECT_EQ(EncodeLines({"set x"}, text.Encoding), QByteArray("\xEF\xBB\xBFset x\r\n"));
}

TEST(TextFileCodec, AnythingElseIsOneCharacterPerByteAndComesBackWhole) {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes += char(b);
    }
    const TDecodedText text = DecodeText(bytes);
    EXPECT_EQ(text.Encoding, TTextEncoding::Windows1252);
    ASSERT_EQ(text.Text.size(), bytes.size());
    EXPECT_EQ(EncodeLines({text.Text}, text.Encoding), bytes + "\r\n");
}

TEST(TextFileCodec, FileEndingInsideACharacterIsNotUtf8AndLosesNoByte) {
    for (const QByteArray& bytes : {QByteArray("abc\xE2"), QByteArray("abc\xE2\x82"),
                                    QByteArray("\xEF\xBB\xBF"
                                               "a\xF0\x9F\x98")}) {
        const TDecodedText text = DecodeText(bytes);
        EXPECT_EQ(text.Encoding, TTextEncoding::Windows1252) << bytes.toHex().constData();
        EXPECT_EQ(EncodeLines({text.Text}, text.Encoding), bytes + "\r\n")
            << bytes.toHex().constData();
    }
}

TEST(TextFileCodec, EveryLineEndsWithCrLf) {
    EXPECT_EQ(EncodeLines({"a", "b"}, TTextEncoding::Utf8), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(EncodeLines({"", ""}, TTextEncoding::Windows1252), QByteArray("\r\n\r\n"));
    EXPECT_EQ(EncodeLines({}, TTextEncoding::Utf8), QByteArray());
}

TEST(TextFileCodec, EightBitFileRefusesCharactersItCannotHold) {
    EXPECT_EQ(EncodeLines({"a", QString::fromUtf8("\u0151")}, TTextEncoding::Windows1252),
              std::nullopt);
    EXPECT_EQ(EncodeLines({QString::fromUtf8("\u00e9\u20ac")}, TTextEncoding::Windows1252),
              QByteArray("\xE9\x80\r\n"));
    EXPECT_FALSE(CanEncode({"a", QString::fromUtf8("\u0151")}, TTextEncoding::Windows1252));
    EXPECT_TRUE(CanEncode({QString::fromUtf8("\u00e9\u20ac\u0178")}, TTextEncoding::Windows1252));
    EXPECT_TRUE(CanEncode({QString::fromUtf8("\u0151")}, TTextEncoding::Utf8));
    EXPECT_TRUE(CanEncode({QString::fromUtf8("\u0151")}, TTextEncoding::Utf8WithBom));
}

TEST(TextFileCodec, EightBitTextIsReadInTheWindowsWesternCodePage) {
    const TDecodedText text = DecodeText("\x93"
                                         "caf\xE9\x94 \x80 \x85\x99\x9F\xA0\xFF");
    EXPECT_EQ(text.Encoding, TTextEncoding::Windows1252);
    EXPECT_EQ(text.Text,
              QString::fromUtf8("\u201ccaf\u00e9\u201d \u20ac \u2026\u2122\u0178\u00a0\u00ff"));
}

TEST(Windows1252, UndefinedBytesAreTheirControlCharactersBothWays) {
    for (const unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(FromWindows1252(byte), QChar(byte)) << int(byte);
        EXPECT_EQ(EncodeWindows1252(QString(QChar(byte))), QByteArray(1, char(byte))) << int(byte);
    }
    // The other control characters of that range have no byte: 0x80 is the euro sign.
    for (const char16_t c : {u'\u0080', u'\u0093', u'\u009F'})
        EXPECT_EQ(EncodeWindows1252(QString(QChar(c))), std::nullopt) << int(c);
}

TEST(Windows1252, EveryByteHasItsOwnCharacter) {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    const QString text = DecodeWindows1252(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(QSet<QChar>(text.begin(), text.end()).size(), 256);
    EXPECT_EQ(EncodeWindows1252(text), bytes);
}

TEST(TextFileCodec, TellsWhetherTheLastLineEnds) {
    EXPECT_TRUE(EndsWithLineBreak("a\nb\n"));
    EXPECT_TRUE(EndsWithLineBreak("a\r\n"));
    EXPECT_TRUE(EndsWithLineBreak("a\r"));
    EXPECT_TRUE(EndsWithLineBreak("\n"));
    EXPECT_FALSE(EndsWithLineBreak("a\nb"));
    EXPECT_FALSE(EndsWithLineBreak(""));
}

TEST(BlockText, CharactersThatWouldBreakTheLineStandInAndComeBack) {
    const QString line = QString::fromUtf8("set a 1\u2029puts $a\u2028\ufdd0x\ufdd1\u00e9");
    const QString block = ToBlockText(line);
    ASSERT_EQ(block.size(), line.size());
    for (const char16_t breaking : {u'\u2028', u'\u2029', u'\ufdd0', u'\ufdd1', u'\n', u'\r'})
        EXPECT_FALSE(block.contains(QChar(breaking))) << int(breaking);
    EXPECT_EQ(block.left(7), "set a 1");
    EXPECT_EQ(block.mid(8, 7), "puts $a");
    EXPECT_EQ(FromBlockText(block), line);
    // Stand-ins are distinct, so each comes back as its own character.
    EXPECT_EQ(QSet<QChar>({block[7], block[15], block[16], block[18]}).size(), 4);
}

TEST(BlockText, OrdinaryTextIsLeftAlone) {
    const QString line = QString::fromUtf8("puts \"caf\u00e9 \U0001F600\"\t\u00a0\ufeff");
    EXPECT_EQ(ToBlockText(line), line);
    EXPECT_EQ(FromBlockText(line), line);
    EXPECT_EQ(ToBlockText(""), "");
}

TEST(BlockText, CharactersBeyondTheBasicPlaneComeBackWhole) {
    // Their second code units are those of the stand-ins: the koala's is the one of U+2028.
    const QString line =
        QString::fromUtf8("puts \U0001F428 \U0001F429 \U0009E028 \U000100D0 \U000100D1");
    EXPECT_EQ(ToBlockText(line), line);
    EXPECT_EQ(FromBlockText(ToBlockText(line)), line);
    EXPECT_EQ(FromBlockText(line), line);
}

TEST(RtfText, RecognisesRichText) {
    EXPECT_TRUE(IsRichText("{\\rtf1\\ansi x}"));
    EXPECT_FALSE(IsRichText("set x {\\rtf1}"));
}

TEST(RtfText, ParagraphsBecomeLinesAndTablesAreSkipped) {
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Courier New;}}"
                           "{\\colortbl ;\\red0\\green0\\blue255;}"
                           "{\\*\\generator Riched20;}\\viewkind4\\uc1\\pard\\f0\\fs20 "
                           "\\cf1 set\\cf0  x \\{1\\}\\par\n"
                           "\\tab puts caf\\'e9 \\u8364?\\par\n}";
    EXPECT_EQ(RtfPlainText(rtf), QString::fromUtf8("set x {1}\n\tputs caf\u00e9 \u20ac\n"));
}

TEST(RtfText, EscapedBytesUseTheWesternCodePage) {
    EXPECT_EQ(RtfPlainText("{\\rtf1 \\'80\\'93a\\'94\\\\}"),
              QString::fromUtf8("\u20ac\u201ca\u201d\\"));
}

struct TKeywordCase {
    QString Line;
    int Column;
    std::optional<QString> Keyword;
};

class HelpKeywordCases : public testing::TestWithParam<TKeywordCase> {};

TEST_P(HelpKeywordCases, CollectsTheWordAtTheCaret) {
    const TKeywordCase& c = GetParam();
    EXPECT_EQ(HelpKeywordAt(c.Line, c.Column), c.Keyword)
        << c.Line.toStdString() << " at " << c.Column;
}

INSTANTIATE_TEST_SUITE_P(
    Help, HelpKeywordCases,
    testing::Values(TKeywordCase{"puts x", 5, QString("puts")}, // just after the blank
                    TKeywordCase{"puts x", 4, QString("puts")}, // right after puts
                    TKeywordCase{"puts x", 2, QString("puts")}, // inside puts
                    TKeywordCase{"puts x", 0, QString("puts")},
                    TKeywordCase{"puts x", 1, QString("puts")},
                    TKeywordCase{"puts x", 6, QString("x")},
                    TKeywordCase{"\tset\tx", 3, QString("set")}, TKeywordCase{"x", 1, std::nullopt},
                    TKeywordCase{"", 0, std::nullopt}, TKeywordCase{"  ", 2, QString("")}));

TEST(HelpIndex, KeywordsMapToTopics) {
    const THelpIndex index = THelpIndex::Parse("; comment\n\nputs\tputs\r\nargv\ttcl_platform\n"
                                               "lsort\n");
    ASSERT_EQ(index.Entries().size(), 3u);
    EXPECT_EQ(index.TopicFor("argv"), QString("tcl_platform"));
    EXPECT_EQ(index.TopicFor("lsort"), QString("lsort"));
    EXPECT_EQ(index.TopicFor("PUTS"), QString("puts"));
    EXPECT_EQ(index.TopicFor("nosuch"), std::nullopt);
}

TEST(ManPageText, KeepsHeadingsParagraphsAndCode) {
    const QString troff = ".de XX\n.SH \"IN A MACRO\"\n..\n.TH puts n\n.BS\n.SH NAME\n"
                          "puts \\- Write to a channel\n.SH SYNOPSIS\n"
                          "\\fBputs \\fR?\\fB\\-nonewline\\fR? \\fIstring\\fR\n.BE\n"
                          ".SH DESCRIPTION\n.PP\nWrites the\ncharacters.\n.TP\n"
                          "\\fB\\-nonewline\\fR\nNo newline \\(em see\n.QW puts .\n"
                          ".CS\nputs \"Hello\"\n.CE\n";
    EXPECT_EQ(ManPageText(troff), QString::fromUtf8("NAME\n    puts - Write to a channel\n\n"
                                                    "SYNOPSIS\n    puts ?-nonewline? string\n\n"
                                                    "DESCRIPTION\n\n    Writes the characters.\n\n"
                                                    "    -nonewline\n        No newline \u2014 "
                                                    "see \u201cputs\u201d.\n\n"
                                                    "            puts \"Hello\""));
}

TEST(ErrorBox, FullStopIsAddedAfterCharactersAboveIt) {
    EXPECT_EQ(WithFullStop("File not found"), "File not found.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop("Why?"), "Why?.");
    EXPECT_EQ(WithFullStop("Really!"), "Really!");
    EXPECT_EQ(WithFullStop("(a)"), "(a)");
    EXPECT_EQ(WithFullStop("1/2"), "1/2.");
    EXPECT_EQ(WithFullStop(""), "");
}

// The version is written once, in the build's project(); the title is made from it.
TEST(ApplicationTitle, CarriesTheProjectsVersion) {
    EXPECT_EQ(ApplicationVersion(), QUILLET_PROJECT_VERSION);
    EXPECT_EQ(ApplicationTitle(),
              "Quillet v" QUILLET_PROJECT_VERSION "    -    by the Quillet developers");
}

} // namespace
