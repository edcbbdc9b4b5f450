// What scripts and people read from the command line: JSON lines that always parse, CSV fields,
// the plain progress lines of a log, and the serial-number counter as the log shows it.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/csv_log.h"
#include "cli/json_line.h"
#include "cli/production_loop.h"
#include "cli/text_reporter.h"
#include "e2e/cli_json_syntax.h"
#include "image/memory_buffer.h"
#include "support/recording_ui.h"
#include "unit/image_test_files.h"

namespace tovel::cli {
namespace {

TEST(CliJson, StringsEscapeQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(jsonString("plain"), "\"plain\"");
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString("line\nnext\ttab\r"), "\"line\\nnext\\ttab\\r\"");
    EXPECT_EQ(jsonString(std::string("nul\0bell\a", 9)), "\"nul\\u0000bell\\u0007\"");
    EXPECT_EQ(jsonString("\x7f"), "\"\\u007f\"");
}

TEST(CliJson, Utf8PassesThroughAndBrokenBytesBecomeReplacementCharacters) {
    EXPECT_EQ(jsonString("Ошибка соединения"), "\"Ошибка соединения\"");
    EXPECT_EQ(jsonString("€ 𝄞"), "\"€ 𝄞\"");
    // A Latin-1 file name, a lone continuation byte, an overlong '/', a surrogate, a cut sequence.
    EXPECT_EQ(jsonString("caf\xe9.hex"), "\"caf\\ufffd.hex\"");
    EXPECT_EQ(jsonString("\x80"), "\"\\ufffd\"");
    EXPECT_EQ(jsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("ok\xd0"), "\"ok\\ufffd\"");
    for (const char* text : {"caf\xe9", "\xff\xfe", "\xf4\x90\x80\x80", "\x01\x1f"})
        EXPECT_TRUE(test::JsonSyntax::valid(jsonString(text))) << text;
}

TEST(CliJson, LinesKeepFieldOrderAndAppendMerges) {
    JsonLine details;
    details.add("firstMismatch", 291L).add("ok", false).addNull("device");
    JsonLine line;
    line.add("type", "result").add("exit", 5).append(details).append(JsonLine());
    EXPECT_EQ(line.text(), R"({"type":"result","exit":5,"firstMismatch":291,"ok":false,"device":null})");
    EXPECT_EQ(JsonLine().append(details).text(), R"({"firstMismatch":291,"ok":false,"device":null})");
    EXPECT_EQ(JsonLine().text(), "{}");
    EXPECT_TRUE(test::JsonSyntax::valid(line.text()));
}

TEST(CliJson, SyntaxCheckRejectsBrokenLines) {
    for (const char* bad : {"", "{", "{\"a\":}", "{\"a\":1,}", "{\"a\" 1}", "[1 2]", "\"raw\ttab\"",
                            "{\"a\":01}", "{\"a\":\"\\x\"}", "{} {}", "nul"})
        EXPECT_FALSE(test::JsonSyntax::valid(bad)) << bad;
    EXPECT_TRUE(test::JsonSyntax::valid(R"( {"a":[1,-2.5e3,true,null,{"b":"\u00e9\n"}]} )"));
}

TEST(CliCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(csvField("Autoprogram: DONE (184 Flash bytes programmed)"),
              "Autoprogram: DONE (184 Flash bytes programmed)");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(csvField(" padded"), "\" padded\"");
    EXPECT_EQ(csvField(""), "");
}

TEST(CliCsv, HeaderOnlyForANewFileAndOneLinePerAppend) {
    test::ScratchFolder folder;
    const std::string path = folder.file("chips.csv");
    {
        CsvLog log;
        ASSERT_TRUE(log.open(path, {"time", "result"}));
        ASSERT_TRUE(log.append({"", "Device erased"}));
    }
    {
        CsvLog log;
        ASSERT_TRUE(log.open(path, {"time", "result"}));
        ASSERT_TRUE(log.append({"t2", "a,b"}));
    }
    EXPECT_EQ(test::readFile(path), "time,result\n,Device erased\nt2,\"a,b\"\n");
    CsvLog nowhere;
    EXPECT_FALSE(nowhere.open(folder.file("missing/chips.csv"), {"time"}));
    EXPECT_FALSE(nowhere.append({"x"}));
}

TEST(CliProgress, ALogGetsTheOperationThenEveryTenthPercent) {
    std::ostringstream out;
    std::ostringstream err;
    TextReporter reporter(out, err, false, 80);
    reporter.progress({"Read", "Reading Flash", "", 0, true});
    for (int percent = 1; percent <= 100; ++percent)
        reporter.progress({"Read", "Reading Flash", std::to_string(percent) + "% completed", percent, false});
    reporter.status("Flash read: OK");
    std::string expected = "Read: Reading Flash\n";
    for (int percent = 10; percent <= 100; percent += 10)
        expected += std::to_string(percent) + "% completed\n";
    EXPECT_EQ(out.str(), expected + "Flash read: OK\n");
    EXPECT_EQ(err.str(), "");
}

TEST(CliProgress, ATerminalBarIsRedrawnInPlaceAndClearedBeforeTheNextText) {
    std::ostringstream out;
    std::ostringstream err;
    TextReporter reporter(out, err, true, 60);
    reporter.progress({"Program", "Programming Flash", "", 0, true});
    reporter.progress({"Program", "Programming Flash", "50% completed", 50, false});
    reporter.box("Tovel/Tovel-U Programmer", "Error during polling", BoxIcon::Information);
    const std::string text = out.str();
    EXPECT_NE(text.find("\r\033[KProgram: Programming Flash ["), std::string::npos);
    EXPECT_NE(text.find("] 50% completed  0:00"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K"); // taken away before the box
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(err.str(), "Tovel/Tovel-U Programmer: Error during polling\n");
    EXPECT_EQ(displayWidth("Ошибка"), 6u);
}

TEST(CliCounter, UpToFourBytesEndingAtTheAddressMostSignificantFirst) {
    test::RecordingUi ui;
    Messages messages;
    MemoryBuffer buffer(ui, messages, true);
    EXPECT_EQ(counterText(buffer, 3), "");
    ASSERT_TRUE(buffer.create(6));
    const std::uint8_t bytes[] = {0x00, 0x01, 0x02, 0xA3, 0x04, 0x05};
    std::copy(std::begin(bytes), std::end(bytes), buffer.data().begin());
    EXPECT_EQ(counterText(buffer, 3), "000102A3");
    EXPECT_EQ(counterText(buffer, 1), "0001");      // near the start: fewer bytes
    EXPECT_EQ(counterText(buffer, 99), "02A30405"); // past the end: the last byte
}

} // namespace
} // namespace tovel::cli
