// description.cpp - reads a description of JQ files and builds the files.
//
// The language is kGrammar below, which jqwrite --help prints: statements one
// per line, blocks closed by 'end'. The parser keeps one context per open
// block (file, package, container, entry, and the schedule and record blocks
// of description_syntax.h) and builds each file when its block closes, so
// that a faulty description writes nothing.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <system_error>

#include "description_syntax.h"
#include "jqwrite.h"
#include "paths.h"
#include "put_bytes.h"
#include "record_data.h"

namespace jq::write {
namespace {

const char kGrammar[] =
    R"(A description names one or more files, one statement per line. '#' starts a
comment (outside quotes), indentation is free, blocks close with 'end'.
Numbers are decimal (42) or hexadecimal (0x2A).

  file NAME                          broadcast layout; NAME is relative to OUTDIR
    header [value=N] [BYTES]         16-byte file header: 00 0E, the 12-bit value,
                                     then up to 12 pass-through bytes (the rest zero)
    keys BLOCK                       key-parameter package; later packages use its keys
    encrypt-with BLOCK               later packages use these keys; nothing is written
    package type=N [country=N] [host=N] [odd=1|0] [update=N] [version=N]
      packet-header BYTES            appended to the packet header
      data BYTES                     appended to the plain data
      compress                       deflate the data (CompressMethod 2)
      method N                       CompressMethod of an uncompressed package (0-3)
      fault checksum=N | plain-length=N | blocks=N | uncompressed-length=N
      fault start-code=N
      fault wrong-key                encrypt with the other key word
      fault stream BYTES             this zlib stream instead of deflating the data
      schedule ... end               a programme schedule (below)
    end
    stray BYTES                      bytes as they stand
    truncate N | truncate -N         keep the first N bytes / drop the last N bytes
  end

  container NAME type=N              container layout
    entry [host=N] [country=N] [gap=N]
      source BYTES                   entry bytes 8-15 (8 bytes)
      packet-header BYTES            instead of source: the packet header as decoded
                                     (6 bytes; 8 for type 0xF5)
      data BYTES
      fault length=N                 a wrong entry length
    end
    fault size=N | count=N           a wrong total size or package count
    stray BYTES | truncate N | truncate -N
                                     after the last entry: applied to the finished file
  end

BLOCK is 14 bytes in block order (0D 7F ... 8F), 'default' (the built-in block),
or attributes that change the built-in block: month=1..12, year=1990..2053,
odd-key=N, even-key=N, p2= p3= p4= p6= f8= f9= f10=, terminator=N.

BYTES is any mix of: hexadecimal bytes (0D, or 0D7F2A as three bytes); "text"
with escapes \\ \" \n \r \t \0 \xHH; u8:N, be16:N, be32:N, le16:N, le32:N;
fill:COUNT:BYTE (COUNT copies of BYTE); random:COUNT:SEED (COUNT pseudo-random
bytes, the same for the same seed); arib:HEX (a broadcast text: HEX is
Shift-JIS, code page 932, in hexadecimal, written as ARIB STD-B24 8-unit bytes
that the decoder turns back into the same Shift-JIS, e.g.
arib:93FA967B82CC834A835E834A8369). Each arib: item is one whole text, written
from the decoder's initial state. Accepted: JIS X 0208 rows 1-84, the ARIB
additional symbols as the user-defined codes in F29F-F79D that the decoder gives
them, ASCII 20-7E and CR LF (0D0A); half-width katakana, other controls and
other codes are refused.

A package of type 0x4C, 0x4D or 0x51 may hold one programme schedule, which
appends its packet header (GCN, JulianDay, 00, sector) and its record data:

    schedule gcn=N day=N|YYYY-MM-DD [sector=N]
      item [start=N|HH:MM] [major=N] [special=N] [feature=N] [show=N] [minor=N]
           [book=DIGITS|absent]      one programme; book= is the booking code
        title TEXT                   the texts; a repeated statement continues
        detail1 TEXT                 its text (several lines, one text)
        detail2 TEXT
        aux ...                      auxiliary items, in order (below)
        fault sie-size=N | title-length=N | detail1-length=N | detail2-length=N
        fault book-length=N          written instead of the computed value
      end
    end

TEXT is quoted UTF-8 text and arib:HEX items joined into one text, written as
ARIB STD-B24 8-unit bytes (as arib: in BYTES): the quoted text may hold ASCII
and the characters of JIS X 0208 (the code page 932 forms of the wave dash,
double vertical line, minus, cent, pound and not signs as well) and "\r\n" for
a line break; arib:HEX adds Shift-JIS in hexadecimal, e.g. the ARIB additional
symbols (F29F-F79D). Or 'raw BYTES' for exact bytes, or 'absent': the all-ones
length and no bytes (type 0x4D only). DATE is YYYY-MM-DD.

Every aux statement takes [form=long|short|auto] (the header form; auto: the
short form where InfoType 0-15 and InfoSize 0-7 fit) and [size=N] (a wrong
InfoSize, the payload as given). On one line:

  aux type=N BYTES                   any InfoType (an unknown one too), raw payload
  aux series [episode=N] [total=N] [wide-episode=1] [wide-total=1] [repeat=N]
      [program-flag=N] [pattern=N] [series-id=N] [expire=N|DATE] [TEXT]      1
  aux keywords N...                  3
  aux package-ids N...               4
  aux categories MAJOR/MINOR...      5
  aux parental [country=XXX] [rating=N]                                       6
  aux content-nibbles CONTENT/USER...                                         7
  aux actors N...                    8
  aux time-shift [nid=N] [start-second=N] [duration=H:MM:SS]                 18
  aux eit-version [basic-version=N] [basic-crc=N] [basic-date=N|DATE]
      [basic-time=H:MM:SS] [ext-version=N] [ext-crc=N] [ext-date=N|DATE]
      [ext-time=H:MM:SS] [event-name-length=N] [event-name-crc=N]
      [event-text-length=N] [event-text-crc=N] [event-ext-length=N]
      [event-ext-crc=N]                                                       28
  aux icons N...                     30

and as blocks closed by 'end', one statement per entry:

  aux video                                                                   20
    component [type=N] [tag=N] [TEXT]
  aux audio                                                                   21
    component [type=N] [tag=N] [simulcast=N] [mcom=N] [quality=N] [sampling=N]
              [lang=XXX] [sub-lang=XXX] [TEXT]
  aux copy-control [record=N] [copy=N] [aps=N] [max-bit-rate=N]               22
    component [tag=N] [record=N] [copy=N] [aps=N] [max-bit-rate=N]
  aux access [pay=1|0]                                                        23
    contract [system=N] [unit=N] [tags=N,N...] [data=HEX] [TEXT]
  aux groups [group-type=N]                                                   24
    group [id=N] [bit-rate=N] [TEXT]
    unit [id=N] [tags=N,N...]        a unit of the group above
  aux data                                                                    25
    entry component=N [entry-comp=N] [country=XXX] [refs=N,N...]
          [selector-length=N] [TEXT]
    bml [tf=N] [astt=1] [dres=N] [uxml=1] [indp=1] [actn=1] [tvst=1] [updf=1]
        [ondr=1] [flst=1] [lang=XXX] [content-id=N] [content-version=N]
        [bml-version=A.B] [bxml-version=A.B]
    module tag=N [data-events=N] [modules=N] [resources=N] [compressed-size=N]
           [size=N] [transaction=N] [dii-timeout=N] [leak-rate=N]     (tf 1-3)
    carousel tag=N [evst=1] [size=N] [transaction=N] [dii-timeout=N]
             [leak-rate=N]                                            (tf 0)
    caption [tag=N] [dmf=N] [lang=XXX]
  aux events                                                                  27
    group [type=N] [event-count=N]
    event [service=N] [event=N]      same network (group types but 4 and 5)
    other [nid=N] [ts=N] [service=N] [event=N]    other networks (types 4, 5)
    private BYTES
  aux texts                                                                   29
    title TEXT | detail1 TEXT | detail2 TEXT

An entry of component 7, 11 or 12 has a BML selector (bml, module and
carousel fill it), one of component 8 a caption selector (caption adds its
languages). A flag that says a field follows (SeriesCtrlFlag, SeriesInfoFlag,
ExpireFlag, ESML, MBRF, CCF, CTNT, NDEV ... DLKR, TotalBitRateFlag) is set by
giving the field; DVER is 0 when bml-version= is given.

A container entry's country defaults to its bytes 14-15 as given by source (or
an 8-byte packet header); giving both with different values is an error.

Record blocks: a package of the type named may hold one block instead of (or
before) raw packet-header/data; the block appends its packet header and data.
TXT is quoted UTF-8 (written as Shift-JIS) or one BYTES item; T is seconds
since 1991-12-31, YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS.

  jqid-table grt=N [start=N] [end=N] [update-cur=1] [update-start=1]
      [update-end=1] [time=T]                                          0xDF
    event|id|uri|actor|message|sponsor|link jqid=N [effective=T] [expiry=T]
      [length=N]  (a wrong entry length); the statement suits CurrentGRT:
    event gcn=N event=N | event gcn=N date=DATE|N|mjd=N start=H:MM:SS duration=M:SS
    id id=N    message id=N service=N    link to=JQID
    uri TXT TXT    actor actor=N TXT TXT    sponsor sponsor=N TXT TXT
  topic-list major=N                                              0x6F, 0x62
    entry [lead=N] [major=N] [minor=N] [object=N service=N | ref=HEX]
          [message=N] [TITLE [DETAILS]]
  topic-message [message=N] [service=N] [serial=N] [smk=N] [data-smk=N]
      [tolvo=1]                                                   0x61, 0x6E
    object BYTES                   object bytes as they stand
    message-object [type=N] [byte=N] [message-byte=N] [time=T] [values=N,N]
      element type=N [length=N] BYTES      an element of any type
      text type=N [length=N] [TXT]         an element whose payload is a text
      expiry T                             type 5: the expiry time
      values N N N N                       type 7: three 16-bit values, a byte
      trailer [BYTES]                      instead of the trailer 00 00
    end
  The object and message-object statements append to the object in order. A
  message object is its type (6 unless type=), byte=, then message-byte=, the
  time, the two values= and the elements, then the trailer. Elements 2, 6
  and 8 are the texts a host reads back, 9 is kept, 5 and 7 are read, others
  skipped. length= writes a wrong element length; a short expiry or values
  payload is 'element type=5 BYTES'. tolvo=1 writes the packet header as the
  container reading takes it (serial little-endian, message, service, SMK).
  The data begins with SMK again (data-smk= writes another value); a reader
  takes the message when bit 1 of SMK or of the second data byte is set.
  dictionary categories|keywords|keyword-categories|actors|actor-categories|icons
    category major=N [minor=N] [contents=C/U,...] [TXT [TXT]]    0x5D, 0xE2
    keyword [host=N] code=N [category=N] [TXT]    (host= in 0xE2 only)
    keyword-category|actor-category [host=N] category=N [TXT]
    actor [host=N] id=N [born=Y-M-D] [gender=N] [categories=N,...] [TXT x5]
    icon code=N [display=1] [TXT]                               (0xE2 only)
  channel-map cmid=N                                                    0xF3
    group gcn=N                    then its entries, each with [last=1]:
    analog ch=N | analog2 ch=N | digital nid=N sid=N service-type=N
    source type=4..15 multi=N | skip [byte=0x00|0x3F|0x4F]
  areas                                                     0x71, 0x72, 0x7E
    list [cmid=N] [half-hour=1 dst=1 negative=1 offset=N] [open=1] N|N-M...
  reception [rule=N] [info=R|u|N]                                 0x75, 0x85
    service [nid=N] [sid=N] [tag=N] DAY/HH:MM/DURATION[/UPDATE]...
    description [gcn=N] [nid=N] [sid=N] [graphics=N,...] [TXT]
    data BYTES                     (other InfoTypes)
  code-download [code=N] [major=N] [minor=N] [files=N] [file=N]
      [info-size=N] [crc=N] [offset=N]                                  0x5B
    bytes BYTES
  stations                                                              0x70
    station [gcn=N] [mosaic=N] [xcie=N] [TXT]
  micp-object [type=N] [byte=N]                                         0xF5
    info [value=N] [time=T] [values=N,N]   type 1: a value, a time, two values
    expiry T                               type 2: the expiry time
    datum [type=N] [kind=N] [byte=N] NAME [BYTES]      a whole datum (kind 1)
    part part=N total=N offset=N [type=N] [kind=N] [byte=N] [second-byte=N]
      NAME [BYTES]                         one part of a datum (kind 2)
    parts count=M [first=N] [last=N] NAME [BYTES]
                                           parts first to last of the bytes cut
                                           in M near-equal parts (kind 2)
    element type=N [length=N] BYTES        an element of any type
    trailer [BYTES]                        instead of the trailer 00 00
  A datum's element type is 0x10 (whole) or 0x11 (part) unless type=; its
  name is a text. kind= other than 1 or 2 writes the whole layout (a fault).
  every block closes with 'end'. A container entry holds a record block of
  its container's type for its data; in a container of type 0xF5 its
  'micp [object=N] [blocks=N] [block=N]' writes the 8-byte packet header.
)";

using namespace description;

std::string validName(const Args& args) {
    if (args.items.empty()) fail("missing file name");
    const std::string name = args.items.front().text;
    const std::filesystem::path path = pathFromUtf8(name);
    bool climbs = false;
    for (const auto& part : path) climbs = climbs || part == "..";
    if (name.empty() || path.has_root_path() || climbs || !path.has_filename())
        fail("file name '" + name + "' must be a relative path inside the output folder");
    return name;
}

GcspBlock blockFromAttrs(Args& args) {
    GcspBlock b = builtInDefaultBlock();
    takeAttrs(args, {{"month", 12, b.Month}});
    if (const auto year = args.take("year", 2053)) {
        if (*year < 1990) fail("year must be 1990 to 2053");
        b.YearOffset = static_cast<uint8_t>(*year - 1990);
    }
    takeOnly(args, {{"odd-key", 63, b.OddKeyParameter},
                    {"even-key", 63, b.EvenKeyParameter},
                    {"p2", 63, b.Param2},
                    {"p3", 31, b.Param3},
                    {"p4", 31, b.Param4},
                    {"p6", 7, b.Param6},
                    {"f8", 1, b.Flag8},
                    {"f9", 1, b.Flag9},
                    {"f10", 1, b.Flag10},
                    {"terminator", 255, b.Terminator}});
    if (b.Month == 0) fail("month must be 1 to 12");
    return b;
}

GcspBlock parseBlock(Args args) {
    if (args.empty()) fail("missing key-parameter block");
    if (args.items.size() == 1 && !args.items[0].quoted && args.items[0].text == "default") {
        args.items.clear();
        args.done(false);
        return builtInDefaultBlock();
    }
    if (args.items.empty()) return blockFromAttrs(args);
    const Bytes bytes = bytesOf(args);
    if (bytes.size() != 14)
        fail("a key-parameter block has 14 bytes, not " + std::to_string(bytes.size()));
    GcspBlock block;
    std::memcpy(&block, bytes.data(), sizeof block);
    return block;
}

// Applies "truncate N" (keep N bytes) or "truncate -N" (drop N bytes).
size_t truncatedSize(const Args& args, size_t size) {
    args.done(true);
    if (args.items.size() != 1 || args.items[0].quoted) fail("truncate takes one number");
    const std::string& text = args.items[0].text;
    const bool fromEnd = !text.empty() && text[0] == '-';
    const uint64_t n = parseNumber(fromEnd ? text.substr(1) : text, UINT32_MAX, "truncate");
    if (n > size)
        fail("truncate " + text + " goes beyond the " + std::to_string(size) + " bytes written");
    return fromEnd ? size - static_cast<size_t>(n) : static_cast<size_t>(n);
}

// ---- The parser ------------------------------------------------------------

class Parser {
public:
    explicit Parser(std::vector<DescribedFile>& files) : files_(files) {}

    void statement(size_t line, const std::vector<Token>& tokens) {
        line_ = line;
        if (tokens.front().quoted) fail("a statement begins with a keyword, not a string");
        const std::string& keyword = tokens.front().text;
        Args args(tokens);
        // One handler per context, in the order of Context.
        static constexpr void (Parser::*kHandlers[])(const std::string&, Args&) = {
            &Parser::topStatement,       &Parser::fileStatement,  &Parser::packageStatement,
            &Parser::containerStatement, &Parser::entryStatement, &Parser::recordStatement};
        (this->*kHandlers[static_cast<size_t>(context_)])(keyword, args);
    }

    void finish() const {
        switch (context_) {
            case Context::Top:
                return;
            case Context::Package:
                fail("package is not closed with 'end'", packageLine_);
            case Context::Record: {
                const auto [name, line] = record_->openBlock();
                fail(name + " is not closed with 'end'", line ? line : recordLine_);
            }
            case Context::Entry:
                fail("entry is not closed with 'end'", entryLine_);
            default:
                fail("'" + name_ + "' is not closed with 'end'", blockLine_);
        }
    }

private:
    enum class Context { Top, File, Package, Container, Entry, Record };

    // A stray or truncate of a container, applied once it is built.
    struct Edit {
        size_t line;
        Args args;
        bool truncate;
    };

    void topStatement(const std::string& keyword, Args& args) {
        if (keyword != "file" && keyword != "container")
            fail("expected 'file' or 'container', found '" + keyword + "'");
        name_ = validName(args);
        if (!names_.insert(name_).second) fail("file '" + name_ + "' is described twice");
        args.items.erase(args.items.begin());
        blockLine_ = line_;
        if (keyword == "container")
            containerType_ = static_cast<uint8_t>(args.require("type", 255));
        args.done(false);
        broadcast_ = BroadcastFile();
        entries_.clear();
        edits_.clear();
        containerSize_.reset();
        containerCount_.reset();
        context_ = keyword == "file" ? Context::File : Context::Container;
    }

    void fileStatement(const std::string& keyword, Args& args) {
        if (keyword == "header") {
            header(args);
        } else if (keyword == "keys") {
            broadcast_.keyPackage(parseBlock(args));
        } else if (keyword == "encrypt-with") {
            broadcast_.encryptWith(parseBlock(args));
        } else if (keyword == "package") {
            beginPackage(args);
        } else if (keyword == "stray") {
            broadcast_.raw(bytesOf(args));
        } else if (keyword == "truncate") {
            broadcast_.truncate(truncatedSize(args, broadcast_.size()));
        } else if (keyword == "end") {
            args.done(false);
            files_.push_back({name_, broadcast_.bytes()});
            context_ = Context::Top;
        } else {
            fail("unknown statement '" + keyword + "' in a file");
        }
    }

    void header(Args& args) {
        const auto value = static_cast<uint16_t>(args.take("value", 0xFFF).value_or(0));
        const Bytes bytes = bytesOf(args);
        if (bytes.size() > 12)
            fail("a file header has 12 pass-through bytes, not " + std::to_string(bytes.size()));
        std::array<uint8_t, 12> rest{};
        std::copy(bytes.begin(), bytes.end(), rest.begin());
        broadcast_.fileHeader(value, rest);
    }

    void beginPackage(Args& args) {
        DataPackage& p = package_ = DataPackage();
        p.typeCode = static_cast<uint8_t>(args.require("type", 255));
        takeOnly(args, {{"country", 1023, p.countryCode},
                        {"host", 4095, p.hostId},
                        {"odd", 1, p.oddEvenFlag},
                        {"update", 63, p.updateNumber},
                        {"version", 63, p.versionNumber}});
        methodGiven_ = false;
        blockGiven_ = false;
        packageLine_ = line_;
        context_ = Context::Package;
    }

    void packageStatement(const std::string& keyword, Args& args) {
        if (keyword == "packet-header") {
            addToPackage(bytesOf(args), {});
        } else if (keyword == "data") {
            appendBytes(args, package_.plain);
        } else if (keyword == "compress") {
            args.done(false);
            if (methodGiven_) fail("'compress' and 'method' exclude each other");
            package_.compress = true;
        } else if (keyword == "method") {
            method(args);
        } else if (keyword == "fault") {
            packageFault(args);
        } else if (keyword == "schedule" && blockGiven_) {
            fail("a package holds one schedule");
        } else if (auto block = description::openRecordBlock(keyword, package_.typeCode, args)) {
            if (blockGiven_) fail("a package holds one record block");
            record_ = std::move(block);
            blockGiven_ = true;
            recordLine_ = line_;
            context_ = Context::Record;
        } else if (keyword == "end") {
            args.done(false);
            endPackage();
        } else {
            fail("unknown statement '" + keyword + "' in a package");
        }
    }

    // A statement inside a record block; its end appends the block's packet
    // header and data to the package.
    // A record block of a package, or of a container entry (no packet header
    // of its own there: the entry's statements give it).
    void recordStatement(const std::string& keyword, Args& args) {
        if (!record_->statement(keyword, args, line_)) return;
        if (!recordInEntry_) {
            addToPackage(record_->packetHeader(), record_->data());
        } else {
            if (!record_->packetHeader().empty())
                fail("in a container entry the entry's statements give the packet header",
                     recordLine_);
            append(entry_.data, record_->data());
            recordInEntry_ = false;
            context_ = Context::Entry;
        }
        record_.reset();
    }

    // Appends to the package's packet header and plain data, and returns to
    // the package's statements.
    void addToPackage(const Bytes& header, const Bytes& data) {
        Bytes& h = package_.packetHeader;
        append(h, header);
        if (h.size() > 255) fail("packet header longer than 255 bytes");
        append(package_.plain, data);
        context_ = Context::Package;
    }

    void method(Args& args) {
        args.done(true);
        if (args.items.size() != 1 || args.items[0].quoted) fail("method takes one number");
        if (package_.compress) fail("'compress' and 'method' exclude each other");
        package_.compressMethod =
            static_cast<uint8_t>(parseNumber(args.items[0].text, 3, "method"));
        methodGiven_ = true;
    }

    void packageFault(Args& args) {
        DataPackage& p = package_;
        takeFaults(args,
                   {{"checksum", 0xFFFF, p.totalCheckSum},
                    {"plain-length", 0xFFFF, p.plainPackageDataLength},
                    {"blocks", 0x3FFF, p.packageDataLength},
                    {"uncompressed-length", 0xFFFF, p.unCompressedDataLength},
                    {"start-code", 255, p.startCode}},
                   true);
        if (args.items.empty()) return;
        const Token& what = args.items.front();
        if (!what.quoted && what.text == "wrong-key" && args.items.size() == 1) {
            p.wrongKey = true;
        } else if (!what.quoted && what.text == "stream") {
            if (p.compressedStream) fail("fault stream given twice");
            p.compressedStream = parseBytes(args.items, 1);
        } else {
            fail("unknown fault '" + what.text + "'");
        }
    }

    void endPackage() {
        try {
            broadcast_.dataPackage(package_);
        } catch (const std::invalid_argument& e) {
            fail(std::string("package: ") + e.what(), packageLine_);
        }
        context_ = Context::File;
    }

    void containerStatement(const std::string& keyword, Args& args) {
        if (keyword == "entry") {
            if (!edits_.empty()) fail("entries come before stray and truncate in a container");
            beginEntry(args);
        } else if (keyword == "fault") {
            takeFaults(args, {{"size", kMax32, containerSize_}, {"count", 255, containerCount_}});
        } else if (keyword == "stray" || keyword == "truncate") {
            edits_.push_back({line_, args, keyword == "truncate"});
        } else if (keyword == "end") {
            args.done(false);
            endContainer();
        } else {
            fail("unknown statement '" + keyword + "' in a container");
        }
    }

    void endContainer() {
        if (entries_.size() > 255 && !containerCount_)
            fail("a container holds at most 255 packages", blockLine_);
        Bytes bytes = containerFile(containerType_, entries_, containerSize_, containerCount_);
        for (const Edit& edit : edits_) {
            try {
                if (edit.truncate)
                    bytes.resize(truncatedSize(edit.args, bytes.size()));
                else
                    appendBytes(edit.args, bytes);
            } catch (DescriptionError& e) {
                e.line = e.line ? e.line : edit.line;  // the edit's own line, not the 'end'
                throw;
            }
        }
        files_.push_back({name_, std::move(bytes)});
        context_ = Context::Top;
    }

    void beginEntry(Args& args) {
        entry_ = ContainerEntry();
        entryCountry_.reset();
        takeOnly(args, {{"host", 0xFFFF, entry_.hostId},
                        {"country", 0xFFFF, entryCountry_},
                        {"gap", kMaxFill, entry_.gap}});
        source_.reset();
        packetHeader_.reset();
        entryLine_ = line_;
        context_ = Context::Entry;
    }

    void entryStatement(const std::string& keyword, Args& args) {
        if (keyword == "source" || keyword == "packet-header") {
            std::optional<Bytes>& target = keyword == "source" ? source_ : packetHeader_;
            appendBytes(args, target ? *target : target.emplace());
        } else if (keyword == "micp") {
            uint32_t object = 0;
            uint16_t blocks = 1, block = 0;
            takeOnly(
                args,
                {{"object", kMax32, object}, {"blocks", 0xFFFF, blocks}, {"block", 0xFFFF, block}});
            if (containerType_ != 0xF5) fail("micp belongs in a container of type 0xF5");
            if (packetHeader_ || source_) fail("micp, source and packet-header exclude each other");
            packetHeader_ = micpPacketHeader(object, blocks, block);
        } else if (keyword == "data") {
            appendBytes(args, entry_.data);
        } else if (keyword == "schedule") {  // it would bring a packet header of its own
            fail("unknown statement 'schedule' in an entry");
        } else if (auto block = description::openRecordBlock(keyword, containerType_, args)) {
            record_ = std::move(block);
            recordInEntry_ = true;
            recordLine_ = line_;
            context_ = Context::Record;
        } else if (keyword == "fault") {
            takeFaults(args, {{"length", kMax32, entry_.entryLength}});
        } else if (keyword == "end") {
            args.done(false);
            endEntry();
        } else {
            fail("unknown statement '" + keyword + "' in an entry");
        }
    }

    // The header source bytes from source or packet-header; true when they
    // include entry bytes 14-15.
    bool entrySource() {
        if (source_ && packetHeader_) fail("give source or packet-header, not both", entryLine_);
        if (source_) {
            if (source_->size() != 8)
                fail("source has 8 bytes, not " + std::to_string(source_->size()), entryLine_);
            std::copy(source_->begin(), source_->end(), entry_.headerSource.begin());
            return true;
        }
        if (!packetHeader_) return false;
        const Bytes& h = *packetHeader_;
        if (containerType_ == 0xF5) {
            if (h.size() != 8) fail("a type 0xF5 packet header has 8 bytes", entryLine_);
            std::copy(h.begin(), h.end(), entry_.headerSource.begin());
            return true;
        }
        if (h.size() != 6) fail("the packet header of a container entry has 6 bytes", entryLine_);
        // Three little-endian words in the entry, big-endian in the header.
        for (size_t i = 0; i < 6; ++i) entry_.headerSource[i ^ 1] = h[i];
        return false;
    }

    void endEntry() {
        const bool sourceHasCountry = entrySource();
        const auto fromSource =
            static_cast<uint16_t>(entry_.headerSource[6] | entry_.headerSource[7] << 8);
        if (entryCountry_ && sourceHasCountry && *entryCountry_ != fromSource)
            fail("country= differs from entry bytes 14-15, which hold the country code",
                 entryLine_);
        entry_.countryCode = entryCountry_.value_or(fromSource);
        entries_.push_back(entry_);
        context_ = Context::Container;
    }

    std::vector<DescribedFile>& files_;
    std::set<std::string> names_;
    Context context_ = Context::Top;
    size_t line_ = 0;
    size_t blockLine_ = 0;
    std::string name_;

    BroadcastFile broadcast_;
    DataPackage package_;
    bool methodGiven_ = false;
    size_t packageLine_ = 0;
    std::unique_ptr<description::RecordBlock> record_;
    size_t recordLine_ = 0;
    bool recordInEntry_ = false;
    bool blockGiven_ = false;  // a schedule or record block

    uint8_t containerType_ = 0;
    std::vector<ContainerEntry> entries_;
    std::vector<Edit> edits_;
    std::optional<uint32_t> containerSize_;
    std::optional<uint8_t> containerCount_;
    ContainerEntry entry_;
    std::optional<uint16_t> entryCountry_;
    std::optional<Bytes> source_;
    std::optional<Bytes> packetHeader_;
    size_t entryLine_ = 0;
};

}  // namespace

const char* descriptionGrammar() { return kGrammar; }

bool buildFromDescription(const std::string& text, std::vector<DescribedFile>& files,
                          std::string& error) {
    std::vector<DescribedFile> built;
    Parser parser(built);
    size_t number = 0;
    size_t start = 0;
    try {
        while (start <= text.size()) {
            const size_t end = std::min(text.find('\n', start), text.size());
            ++number;
            const std::vector<Token> tokens = tokenize(text.substr(start, end - start));
            if (!tokens.empty()) parser.statement(number, tokens);
            start = end + 1;
        }
        parser.finish();
    } catch (const DescriptionError& e) {
        error = "line " + std::to_string(e.line ? e.line : number) + ": " + e.message;
        return false;
    } catch (const std::invalid_argument& e) {
        error = "line " + std::to_string(number) + ": " + e.what();
        return false;
    }
    files = std::move(built);
    return true;
}

bool writeFromDescription(const std::string& text, const std::string& outputFolder,
                          std::string& error) {
    std::vector<DescribedFile> files;
    if (!buildFromDescription(text, files, error)) return false;
    const std::filesystem::path folder = pathFromUtf8(outputFolder);
    for (const DescribedFile& file : files) {
        const std::filesystem::path path = folder / pathFromUtf8(file.name);
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
        const std::u8string name = path.u8string();
        if (ec || !saveFile(std::string(name.begin(), name.end()), file.bytes)) {
            error = "cannot write " + std::string(name.begin(), name.end());
            return false;
        }
    }
    return true;
}

}  // namespace jq::write
