#include "lists/ProtocolWriter.h"

#include <utility>

#include "crc/Crc32.h"

namespace sumbrook {

ProtocolWriter::ProtocolWriter(ByteSink sink) : sink_(std::move(sink)) {}

void ProtocolWriter::WriteHead(const LocalDateTime& when, std::string_view directoryText) {
    const std::string header = ProtocolHeaderLine(when);
    const std::string directory = ProtocolDirectoryLine(directoryText);
    separator_ = ProtocolSeparatorLine(header.size(), directory.size());
    WriteLine(header);
    WriteLine(directory);
    WriteLine(kProtocolColumnLine);
    WriteLine(separator_);
}

bool ProtocolWriter::AddFile(std::string_view name, std::string_view crcText) {
    if (crcText == kNoCrc32Text) return false;
    WriteLine(ProtocolFileLine(name, crcText));
    ++count_;
    return true;
}

void ProtocolWriter::WriteTail() {
    WriteLine(separator_);
    WriteLine(ProtocolCountLine(count_));
    WriteLine({});
}

void ProtocolWriter::WriteLine(std::string_view line) {
    if (!ok_) return;
    if (!line.empty()) ok_ = sink_(line);
    if (ok_) ok_ = sink_(kProtocolLineEnd);
}

}  // namespace sumbrook
