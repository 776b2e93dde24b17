#include "lists/ProtocolReader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lists/ProtocolWriter.h"

namespace sumbrook {
namespace {

const LocalDateTime kExampleTime{2026, 12, 6, 1, 19, 4};

// A protocol as the writer makes it.
std::string Written(const std::string& directory,
                    const std::vector<std::pair<std::string, std::string>>& files) {
    std::string text;
    ProtocolWriter writer([&text](std::string_view bytes) {
        text.append(bytes);
        return true;
    });
    writer.WriteHead(kExampleTime, directory);
    for (const auto& [name, crc] : files) writer.AddFile(name, crc);
    writer.WriteTail();
    return text;
}

const std::string kExample =
    "CRC32-codes of following files calculated 06.12.2026, 01:19:04\r\n"
    "Directory C:\\Data\\Samples\r\n"
    "File name                         CRC32-code\r\n"
    "--------------------------------------------------------------\r\n"
    "abc.txt                           352441C2\r\n"
    "crc_check_value_of_the_nine_digitsCBF43926\r\n"
    "--------------------------------------------------------------\r\n"
    "2 files calculated by program Sumbrook.exe\r\n"
    "\r\n";

// The error of a protocol that must be refused, as "line N: what".
std::string Refusal(const std::string& text) {
    const ProtocolReadResult result = ParseProtocol(text);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    return "line " + std::to_string(result.line) + ": " + result.error;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(ProtocolReader, ReadsTheWorkedExample) {
    const ProtocolReadResult result = ParseProtocol(kExample);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.protocol.headerLine,
              "CRC32-codes of following files calculated 06.12.2026, 01:19:04");
    EXPECT_EQ(result.protocol.directoryText, "C:\\Data\\Samples");
    ASSERT_EQ(result.protocol.entries.size(), 2U);
    EXPECT_EQ(result.protocol.entries[0].nameField, "abc.txt                           ");
    EXPECT_EQ(result.protocol.entries[0].crcText, "352441C2");
    EXPECT_EQ(result.protocol.entries[0].line, 5U);
    EXPECT_EQ(result.protocol.entries[1].nameField, "crc_check_value_of_the_nine_digits");
    EXPECT_EQ(result.protocol.entries[1].crcText, "CBF43926");
    EXPECT_EQ(result.protocol.entries[1].line, 6U);
    EXPECT_EQ(kExample, Written("C:\\Data\\Samples",
                                {{"abc.txt", "352441C2"},
                                 {"empty.log", "00000000"},
                                 {"crc_check_value_of_the_nine_digits.txt", "CBF43926"}}));
}

TEST(ProtocolReader, ReadsWhatTheWriterWrites) {
    const std::string longDirectory = "/srv/" + std::string(70, 'd');  // separator of 85 dashes
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a", "00000001"},
        {std::string(34, 'x'), "FFFFFFFF"},
        {"name with  blanks ", "0A0B0C0D"},
        {"\xC4\xD6\xDC umlauts.txt", "12345678"}};
    for (const std::string& directory : {std::string("C:\\"), longDirectory, std::string()}) {
        const ProtocolReadResult result = ParseProtocol(Written(directory, files));
        ASSERT_TRUE(result.ok) << directory << ": line " << result.line << ": " << result.error;
        EXPECT_EQ(result.protocol.directoryText, directory);
        ASSERT_EQ(result.protocol.entries.size(), files.size());
        EXPECT_EQ(result.protocol.entries[2].nameField, "name with  blanks                 ");
        EXPECT_EQ(TrimmedNameField(result.protocol.entries[2].nameField), "name with  blanks");
    }
}

TEST(ProtocolReader, ReadsAProtocolWithoutFiles) {
    const ProtocolReadResult result = ParseProtocol(Written("D:\\empty", {{"e", "00000000"}}));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.protocol.entries.empty());
}

TEST(ProtocolReader, EveryTruncationIsRefused) {
    for (std::size_t length = 0; length < kExample.size(); ++length) {
        const ProtocolReadResult result = ParseProtocol(kExample.substr(0, length));
        EXPECT_FALSE(result.ok) << "cut at " << length;
        EXPECT_GE(result.line, 1U);
        EXPECT_LE(result.line, 9U);
    }
    EXPECT_EQ(Refusal(kExample.substr(0, kExample.size() - 2)),
              "line 9: the protocol ends early; expected the empty last line");
    EXPECT_EQ(Refusal(""), "line 1: the protocol ends early; expected the header line");
}

TEST(ProtocolReader, NamesTheLineOfAWrongWidth) {
    EXPECT_EQ(Refusal(Replaced(kExample, "abc.txt                           352441C2",
                               "abc.txt                          352441C2")),
              "line 5: a file line has 42 characters (a name field of 34 and a checksum of 8), "
              "this one has 41");
    EXPECT_EQ(Refusal(Replaced(kExample, "abc.txt                           352441C2",
                               "abc.txt                           352441C2 ")),
              "line 5: a file line has 42 characters (a name field of 34 and a checksum of 8), "
              "this one has 43");
    EXPECT_EQ(Refusal(Replaced(
                  kExample, "--------------------------------------------------------------\r\n2",
                  "-------------------------------------------------------------\r\n2")),
              "line 7: expected a separator of 62 dashes");
    EXPECT_EQ(Refusal(Replaced(kExample, "File name                         CRC32-code",
                               "File name                        CRC32-code")),
              "line 3: expected \"File name                         CRC32-code\"");
    EXPECT_EQ(Refusal(Replaced(kExample, "01:19:04", "1:19:04 ")),
              "line 1: expected the header \"CRC32-codes of following files calculated "
              "DD.MM.YYYY, HH:MM:SS\"");
}

TEST(ProtocolReader, RefusesChecksumsThatNoWriterWrites) {
    EXPECT_EQ(Refusal(Replaced(kExample, "352441C2", "352441c2")),
              "line 5: the checksum \"352441c2\" is not eight characters 0-9 and A-F");
    EXPECT_EQ(Refusal(Replaced(kExample, "352441C2", "3524 1C2")),
              "line 5: the checksum \"3524 1C2\" is not eight characters 0-9 and A-F");
    EXPECT_EQ(Refusal(Replaced(kExample, "352441C2", "00000000")),
              "line 5: the checksum 00000000 is never listed in a protocol");
}

TEST(ProtocolReader, CountLineMustMatchTheFileLines) {
    EXPECT_EQ(Refusal(Replaced(kExample, "2 files", "3 files")),
              "line 8: the count line says 3 files, the protocol lists 2");
    EXPECT_EQ(Refusal(Replaced(kExample, "2 files", "02 files")),
              "line 8: expected the count line \"<number> files calculated by program "
              "Sumbrook.exe\"");
    EXPECT_EQ(Refusal(Replaced(kExample, "2 files", "-2 files")).substr(0, 8), "line 8: ");
    EXPECT_EQ(Refusal(Replaced(kExample, "2 files", "99999999999999999999 files")).substr(0, 8),
              "line 8: ");
    // 2^32 + 2 is not 2, on a 32-bit build too.
    EXPECT_EQ(Refusal(Replaced(kExample, "2 files", "4294967298 files")),
              "line 8: the count line says 4294967298 files, the protocol lists 2");
}

TEST(ProtocolReader, LineEndsMustBeCrLf) {
    std::string unixText;
    for (const char c : kExample) {
        if (c != '\r') unixText += c;
    }
    EXPECT_EQ(Refusal(unixText), "line 1: the line does not end with CR LF");
    EXPECT_EQ(Refusal(Replaced(kExample, "abc.txt ", "abc.txt\n")),
              "line 5: the line does not end with CR LF");
    EXPECT_EQ(Refusal(Replaced(kExample, "abc.txt ", "abc.txt\r")),
              "line 5: the line does not end with CR LF");
}

TEST(ProtocolReader, RefusesTextAroundTheProtocol) {
    EXPECT_EQ(Refusal(kExample + "more\r\n"), "line 10: text after the end of the protocol");
    EXPECT_EQ(Refusal(kExample + "\r\n"), "line 10: text after the end of the protocol");
    EXPECT_EQ(Refusal("\xEF\xBB\xBF" + kExample).substr(0, 8), "line 1: ");
    EXPECT_EQ(Refusal(Replaced(kExample, "\r\n\r\n", "\r\nx\r\n")),
              "line 9: expected the empty last line");
}

TEST(ProtocolReader, RefusesNulBytesAndBinaryJunk) {
    EXPECT_EQ(Refusal(Replaced(kExample, "abc.txt ", std::string("abc.tx\0 ", 8))),
              "line 5: the line holds a NUL byte");
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string junk(static_cast<std::size_t>(random() % 600), '\0');
        for (char& c : junk) c = static_cast<char>(random());
        // Half of them start as a real protocol does, to get past the first lines.
        if (round % 2 == 1) junk.insert(0, kExample.substr(0, random() % kExample.size()));
        const ProtocolReadResult result = ParseProtocol(junk);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(ProtocolReader, TrimsOnlyTheFillingBlanks) {
    EXPECT_EQ(TrimmedNameField("a b                               "), "a b");
    EXPECT_EQ(TrimmedNameField(std::string(34, ' ')), "");
    EXPECT_EQ(TrimmedNameField(std::string(34, 'n')), std::string(34, 'n'));
}

}  // namespace
}  // namespace sumbrook
