// code_download_records.cpp - code download (type 0x5B).
//
// Packet header: CodeID be16, MajorVer, MinorVer, TotalFileNum, FileNum;
// further bytes unread. Plain data: a 16-byte descriptor
//
//   FileInfoSize be16 | 6 unread bytes | CRC be16 | CodeOffset be32 |
//   DataSize be16
//
// then the piece's DataSize bytes. Pieces are copied as they come: they are
// not joined, their CRC is not checked, and bytes after the piece are
// ignored.
#include "code_download_records.h"

#include "list_records.h"

namespace jq::records {
namespace {

constexpr size_t kPacketHeaderSize = 6;
constexpr size_t kUnreadDescriptorBytes = 6;

}  // namespace

JQStatus parseCodeDownload(const RecordInput& input, CodeDownloadRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kPacketHeaderSize) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    record.CodeID = header.u16be();
    record.MajorVer = header.u8();
    record.MinorVer = header.u8();
    record.TotalFileNum = header.u8();
    record.FileNum = header.u8();

    ByteReader data(input.data);
    record.FileInfoSize = data.u16be();
    data.skip(kUnreadDescriptorBytes);
    record.CRC = data.u16be();
    record.CodeOffset = data.u32be();
    record.DataSize = data.u16be();
    // A piece shorter than its descriptor or than its DataSize is refused
    // like a short packet header: what is there cannot be the whole piece.
    const ByteView piece = data.bytes(record.DataSize);
    if (!data.ok()) return JQ_ERR_FORMAT;
    record.CodeData = copyBytes(piece.data, piece.size);
    return JQ_OK;
}

void releaseCodeDownload(CodeDownloadRecord* record) {
    if (record == nullptr) return;
    delete[] record->CodeData;
    delete record;
}

void writeCodeDownload(const CodeDownloadRecord& record, CsvFile& out) {
    out.line("CodeID,MajorVer,MinorVer,TotalFileNum,FileNum,FileInfoSize,CRC,CodeOffset,DataSize\n");
    out.line("0x%04X,%d,%d,%d,%d,%d,0x%04X,0x%08X,%d\n", record.CodeID, record.MajorVer,
             record.MinorVer, record.TotalFileNum, record.FileNum, record.FileInfoSize, record.CRC,
             record.CodeOffset, record.DataSize);
}

}  // namespace jq::records
