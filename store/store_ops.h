// The store operations: open a store file, walk a path of names to a record, read or write it, close.
//
// Every operation opens the file, does its work and closes it again; nothing
// outlives a call. Results are the block file's error codes (StoreError):
// 0 none, 1 write, 2 read, 3 seek. A file that cannot be opened or created
// gives 4 (kOpenError), reads nothing and writes nothing; the caller that
// passes openFailure learns why ("Cannot open file <path>" / "Cannot create
// file <path>"). Operations that return no code report it only there.
//
// Choices made where the file format leaves room, and why:
// - The result is the first failure of the call, not the last primitive's
//   status: a failed write followed by successful ones must not read as 0.
//   After the first failure nothing more is read or written.
// - A damaged or foreign file (bad magic, header or free list pointing outside
//   the file, record lengths past the used space) gives 2 and is not written.
// - Texts longer than kLargestRecordPayload are refused (1) before the file is
//   opened, never cut to 32 bits.
// - Running out of memory ends the program before anything held lands: the
//   writes are landed through the journal only at commit, so the file stays
//   as it was.
// - Reading operations open the file for reading only when it or its medium
//   refuses writing (read-only attribute, write-protected or read-only mount).
// - Paths of more than 16 names are refused before the file is opened:
//   writes give 1, reads give 2, nothing is read, created or written.
// - A name that cannot be stored (empty, or holding CR, LF or a zero byte) is
//   refused with 1 and nothing is written; its index would read back wrong.
// - A name used as an index that holds a data record is not walked through:
//   reads find nothing (0), writes are refused (1). A data record is never
//   turned into an index, an index record is never read as a record, and a
//   record is never written over an index (1; delete the index first).
// - An index whose text failed to inflate is read as it stands but never
//   saved: writes through it give 2 and leave the file as it was.
// - Zlib failures show "Inflate Error" through CurrentUi() and do not change
//   the result, as the mail client does.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/string_list.h"
#include "base/text.h"

namespace pel {

class ByteStream;
class TDataBuf;
struct StoreFileError;

inline constexpr int kMaxPathNames = 16;
// The longest payload a record could ever take: its block (length word,
// 12-byte head, payload) and the header must stay below 2^31 bytes. Longer
// ones are refused with 1 before anything is opened.
inline constexpr int64_t kLargestRecordPayload = 0x7FFFFFFF - 64;
inline constexpr char kPathSeparator = '\xFF';

// Writes buffer as the data record at path, creating the file and missing
// indexes; with no buffer, deletes the record and its entry.
int StoreWrite(std::string_view path, TDataBuf* buffer, const Text& file,
    StoreFileError* openFailure = nullptr);
// Reads the record at path into buffer. A missing file reads nothing: 0.
int StoreRead(std::string_view path, TDataBuf& buffer, const Text& file,
    StoreFileError* openFailure = nullptr);
// Empties list, then fills it with the record's lines. On a non-zero result
// the list stays empty.
int ReadSection(StringList& list, std::string_view path, const Text& file,
    StoreFileError* openFailure = nullptr);
// Stores the list's text (CR LF after every line) as the record at path; with
// no list, deletes the record.
int WriteSection(std::string_view path, const StringList* list, const Text& file,
    StoreFileError* openFailure = nullptr);
// The value of name in the settings record, or def when it is missing or empty.
Text ReadSetting(std::string_view name, std::string_view def, const Text& file,
    StoreFileError* openFailure = nullptr);
// Sets name=value in the settings record; an empty value removes the line.
// Refused with 1 when the name is empty or holds "=", or name or value hold
// CR, LF or a zero byte (they would become other lines); refused with the
// read's code (or 2 when the record failed to inflate) when the settings
// record could not be read, so existing settings are never overwritten.
int WriteSetting(std::string_view name, std::string_view value, const Text& file,
    StoreFileError* openFailure = nullptr);
// Appends the root index's names with their record positions to list. Like
// every operation that walks from the root, it opens the file as a writer
// would: a missing file is created (ListIndex below does not).
int ListRoot(StringList& list, const Text& file,
    StoreFileError* openFailure = nullptr);
// Copies the record's payload into target (when given); true when not empty.
bool ReadBuffer(std::string_view path, TDataBuf* target, const Text& file,
    StoreFileError* openFailure = nullptr);
// Replaces strings' text with the record's lines (when given); true when there
// was at least one line.
bool ReadSectionTo(std::string_view path, StringList* strings, const Text& file,
    StoreFileError* openFailure = nullptr);
// Gives the entry at path a new name, keeping its record. The new name must be
// storable and free of the separator byte, or the call is refused with 1.
int RenameEntry(std::string_view path, std::string_view newName, const Text& file,
    StoreFileError* openFailure = nullptr);
// RenameEntry after trimming spaces and control characters off both ends of path.
int RenameTrimmedEntry(std::string_view path, std::string_view newName, const Text& file,
    StoreFileError* openFailure = nullptr);

// Mailbox entries live in the store file's index "Mailboxes", one index per
// mailbox. selection holds one byte per entry from index 1 (byte k selects
// entry k - 1; byte 0 is not looked at; entries past its end are not
// selected); no selection selects every entry. Both return the number of
// entries handled, 0 when the file is missing, and -1 when the store reported
// an error. Moving a mailbox onto itself does nothing and returns 0.
int DeleteMailboxEntries(std::string_view mailbox, const std::vector<uint8_t>* selection,
                         const Text& storeFile,
    StoreFileError* openFailure = nullptr);
int MoveMailboxEntries(std::string_view source, const std::vector<uint8_t>* selection,
                       std::string_view target, const Text& storeFile,
    StoreFileError* openFailure = nullptr);

// The same operations on a stream the caller owns (always treated as
// existing). Tools, tests and the fuzzer use them.
int StoreWrite(std::string_view path, TDataBuf* buffer, ByteStream& stream);
int StoreRead(std::string_view path, TDataBuf& buffer, ByteStream& stream);
int ReadSection(StringList& list, std::string_view path, ByteStream& stream);
int WriteSection(std::string_view path, const StringList* list, ByteStream& stream);
Text ReadSetting(std::string_view name, std::string_view def, ByteStream& stream);
int WriteSetting(std::string_view name, std::string_view value, ByteStream& stream);
int ListRoot(StringList& list, ByteStream& stream);
bool ReadBuffer(std::string_view path, TDataBuf* target, ByteStream& stream);
bool ReadSectionTo(std::string_view path, StringList* strings, ByteStream& stream);
int RenameEntry(std::string_view path, std::string_view newName, ByteStream& stream);
int RenameTrimmedEntry(std::string_view path, std::string_view newName, ByteStream& stream);
int DeleteMailboxEntries(std::string_view mailbox, const std::vector<uint8_t>* selection,
                         ByteStream& stream);
int MoveMailboxEntries(std::string_view source, const std::vector<uint8_t>* selection,
                       std::string_view target, ByteStream& stream);

// Lists the index at path (the root index when path has no names) into list,
// names with their record positions. 0 and an empty list when it is missing.
int ListIndex(StringList& list, std::string_view path, ByteStream& stream);
int ListIndex(StringList& list, std::string_view path, const Text& file,
              StoreFileError* openFailure = nullptr);

}  // namespace pel
