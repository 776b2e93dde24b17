#include "lists/ProtocolWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sumbrook {
namespace {

// Collects what the writer hands over, piece by piece.
struct RecordingSink {
    std::vector<std::string> pieces;
    std::size_t refuseFrom = static_cast<std::size_t>(-1);  // index of the first refused piece

    ProtocolWriter::ByteSink Sink() {
        return [this](std::string_view bytes) {
            if (pieces.size() >= refuseFrom) return false;
            pieces.emplace_back(bytes);
            return true;
        };
    }
    std::string Joined() const {
        std::string all;
        for (const std::string& piece : pieces) all += piece;
        return all;
    }
};

const LocalDateTime kExampleTime{2026, 12, 6, 1, 19, 4};

TEST(ProtocolWriter, WorkedExampleComesOutByteForByte) {
    RecordingSink sink;
    ProtocolWriter writer(sink.Sink());
    writer.WriteHead(kExampleTime, "C:\\Data\\Samples");
    EXPECT_TRUE(writer.AddFile("abc.txt", "352441C2"));
    EXPECT_FALSE(writer.AddFile("empty.log", "00000000"));
    EXPECT_TRUE(writer.AddFile("crc_check_value_of_the_nine_digits.txt", "CBF43926"));
    writer.WriteTail();

    const std::string expected =
        "CRC32-codes of following files calculated 06.12.2026, 01:19:04\r\n"
        "Directory C:\\Data\\Samples\r\n"
        "File name                         CRC32-code\r\n"
        "--------------------------------------------------------------\r\n"
        "abc.txt                           352441C2\r\n"
        "crc_check_value_of_the_nine_digitsCBF43926\r\n"
        "--------------------------------------------------------------\r\n"
        "2 files calculated by program Sumbrook.exe\r\n"
        "\r\n";
    EXPECT_EQ(sink.Joined(), expected);
    EXPECT_EQ(sink.Joined().size(), 399U);
    EXPECT_EQ(writer.Count(), 2);
    EXPECT_TRUE(writer.Ok());
}

TEST(ProtocolWriter, EachLineIsItsTextThenCrLfAndTheEmptyLineIsCrLfAlone) {
    RecordingSink sink;
    ProtocolWriter writer(sink.Sink());
    writer.WriteHead(kExampleTime, "D:");
    writer.AddFile("a", "00000001");
    writer.WriteTail();
    // 4 head lines, 1 file line, separator and count: text + CR LF each; then CR LF.
    ASSERT_EQ(sink.pieces.size(), 7U * 2 + 1);
    for (std::size_t i = 0; i + 1 < sink.pieces.size(); i += 2) {
        EXPECT_NE(sink.pieces[i], "\r\n");
        EXPECT_EQ(sink.pieces[i].find('\r'), std::string::npos);
        EXPECT_EQ(sink.pieces[i + 1], "\r\n");
    }
    EXPECT_EQ(sink.pieces.back(), "\r\n");
}

TEST(ProtocolWriter, NoListedFileGivesAdjacentSeparatorsAndCountZero) {
    RecordingSink sink;
    ProtocolWriter writer(sink.Sink());
    writer.WriteHead(kExampleTime, "C:\\Empty");
    EXPECT_FALSE(writer.AddFile("empty.txt", "00000000"));
    writer.WriteTail();
    const std::string dashes(62, '-');
    EXPECT_NE(sink.Joined().find(dashes + "\r\n" + dashes +
                                 "\r\n0 files calculated by program "
                                 "Sumbrook.exe\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(writer.Count(), 0);
}

TEST(ProtocolWriter, LongDirectoryLengthensBothSeparators) {
    RecordingSink sink;
    ProtocolWriter writer(sink.Sink());
    const std::string directory = "C:\\" + std::string(60, 'x');  // 63 characters
    writer.WriteHead(kExampleTime, directory);
    writer.WriteTail();
    const std::string dashes(73, '-');
    EXPECT_EQ(sink.pieces[6], dashes);
    EXPECT_EQ(sink.pieces[8], dashes);
}

TEST(ProtocolWriter, OneListedFileCountsOne) {
    RecordingSink sink;
    ProtocolWriter writer(sink.Sink());
    writer.WriteHead(kExampleTime, "C:\\One");
    writer.AddFile("only.bin", "FFFFFFFF");
    writer.WriteTail();
    EXPECT_NE(sink.Joined().find("\r\n1 files calculated by program Sumbrook.exe\r\n\r\n"),
              std::string::npos);
}

TEST(ProtocolWriter, StopsWritingAtTheFirstRefusedPiece) {
    RecordingSink sink;
    sink.refuseFrom = 3;
    ProtocolWriter writer(sink.Sink());
    writer.WriteHead(kExampleTime, "C:\\Data");
    writer.AddFile("a.txt", "12345678");
    writer.WriteTail();
    EXPECT_FALSE(writer.Ok());
    EXPECT_EQ(sink.pieces.size(), 3U);
}

}  // namespace
}  // namespace sumbrook
