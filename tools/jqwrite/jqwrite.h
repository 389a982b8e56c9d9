// jqwrite.h - writes JQ files: the inverse of the decoder.
//
// Tests, samples, fuzz corpora and benchmarks make their data with it. It
// writes well-formed files and, on request, files with deliberate faults.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "feedcore.h"

namespace jq::write {

using Bytes = std::vector<uint8_t>;

// One data package of the broadcast layout, described by its plain data.
struct DataPackage {
    uint8_t typeCode = 0x56;
    uint16_t countryCode = 0;   // 10 bits
    uint16_t hostId = 0;        // 12 bits
    uint8_t oddEvenFlag = 1;    // 1: odd-month key word, 0: even-month
    uint8_t updateNumber = 0;   // 6 bits
    uint8_t versionNumber = 0;  // 6 bits
    Bytes packetHeader;         // at most 255 bytes
    Bytes plain;                // the record data, before compression

    // Deflate the plain data: CompressMethod 2 and the payload begins with the
    // big-endian uncompressed length. Otherwise CompressMethod is written as
    // compressMethod (any value but 2).
    bool compress = false;
    uint8_t compressMethod = 0;

    // Deliberate faults; each replaces the value the writer would compute.
    std::optional<uint16_t> totalCheckSum;           // wrong checksum
    std::optional<uint16_t> plainPackageDataLength;  // wrong plain length
    std::optional<uint16_t> packageDataLength;       // wrong block count (14 bits)
    std::optional<uint16_t> unCompressedDataLength;  // wrong inflated size
    std::optional<Bytes> compressedStream;           // this zlib stream instead of deflating plain
    bool wrongKey = false;                           // encrypt with the other key word
    uint8_t startCode = 0x0D;                        // wrong start code
};

// The built-in default block of the decoder (the build's configured value).
GcspBlock builtInDefaultBlock();

// The 12 bytes of a key-parameter package holding block. Bytes 0-1 are always
// 0D 7F; throws std::invalid_argument for a value wider than its field.
std::array<uint8_t, 12> packKeyPackage(const GcspBlock& block);

// The bytes of one data package, encrypted under block's key words. Throws
// std::invalid_argument for values that do not fit their fields, a plain
// payload above 65,528 bytes, or an override that cannot take effect.
// Each override replaces only its own value (unCompressedDataLength the first
// two plain bytes, the others a header field), and the checksum is computed
// over the plain length as written, so that each fault stands alone.
Bytes encodeDataPackage(const DataPackage& package, const GcspBlock& block);

// A broadcast-layout file, built front to back.
class BroadcastFile {
public:
    // Appends a 16-byte file header: big-endian 14, the 12-bit value, then
    // the twelve pass-through bytes.
    BroadcastFile& fileHeader(uint16_t value12 = 0, const std::array<uint8_t, 12>& rest = {});
    // Appends a key-parameter package and encrypts later packages with it.
    BroadcastFile& keyPackage(const GcspBlock& block);
    // Encrypts later packages with block without writing it (files that rely
    // on the decoder's default).
    BroadcastFile& encryptWith(const GcspBlock& block);
    // Appends a data package; returns its offset in the file.
    uint32_t dataPackage(const DataPackage& package);
    // Appends bytes as they stand (stray bytes, misplaced packages).
    BroadcastFile& raw(const Bytes& bytes);
    // Cuts the file to its first size bytes; throws std::invalid_argument if
    // the file is shorter than that.
    BroadcastFile& truncate(size_t size);

    const Bytes& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }

private:
    Bytes bytes_;
    GcspBlock block_ = builtInDefaultBlock();
};

// One package of the container layout. Entry bytes 14-15 are both the last
// two header source bytes and the little-endian CountryCode: countryCode is
// written there and headerSource[6..7] are not.
struct ContainerEntry {
    uint16_t hostId = 0;
    uint16_t countryCode = 0;
    std::array<uint8_t, 8> headerSource{};  // entry bytes 8-15
    Bytes data;
    uint32_t gap = 0;                     // bytes between the data and the next entry
    std::optional<uint32_t> entryLength;  // fault: a wrong entry length
};

// A container-layout file; totalSize replaces the computed size (fault).
Bytes containerFile(uint8_t typeCode, const std::vector<ContainerEntry>& entries,
                    std::optional<uint32_t> totalSize = std::nullopt,
                    std::optional<uint8_t> packageCount = std::nullopt);

// One file of a description: its name below the output folder and its bytes.
struct DescribedFile {
    std::string name;
    Bytes bytes;
};

// The description language, as jqwrite --help prints it.
const char* descriptionGrammar();

// Builds every file of a description without writing anything. Returns false
// and sets error ("line N: ...") on a malformed description.
bool buildFromDescription(const std::string& descriptionText, std::vector<DescribedFile>& files,
                          std::string& error);

// Reads a readable description of one or more files (see jqwrite --help) and
// writes each file it names below outputFolder. Returns false and sets error
// with the line number on a malformed description; then nothing is written.
bool writeFromDescription(const std::string& descriptionText, const std::string& outputFolder,
                          std::string& error);

// Writes bytes to path (UTF-8) through a temporary file renamed into place,
// so that a failed write never leaves a partial file under the final name.
bool saveFile(const std::string& path, const Bytes& bytes);

}  // namespace jq::write
